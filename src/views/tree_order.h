#pragma once
// The two orders of the subject tree. General titles: unsigned byte order of
// their Windows-1252 text (so B, a, É), falling back to the UTF-8 bytes for a
// title that has no Windows-1252 form. Subjects: French alphabetical order.

#include <QCollator>
#include <QString>
#include <string>

namespace tavelo::gui {

std::string GeneralTitleKey(const std::string& utf8Title);

// Negative, zero or positive as std::string::compare on unsigned bytes.
inline int CompareGeneralTitleKeys(const std::string& a, const std::string& b)
{
    return a.compare(b);
}

const QCollator& SubjectCollator();

} // namespace tavelo::gui
