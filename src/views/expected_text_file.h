#pragma once
// Temp.txt, the file through which the preview shows a subject's expected text.
// It lives in a private temporary folder of the running program, so that two
// programs, or a current folder the user cannot write to, never get in the way.

#include <QString>
#include <string>

namespace tavelo::gui {

class ExpectedTextFile {
public:
    // The file's full path, or empty when no private folder could be made.
    static QString Path();
    // Writes the text (Windows-1252 when every character fits, else UTF-8
    // with a byte-order mark); false when the file cannot be written.
    static bool Write(const std::string& utf8Text);
    static void Remove();
};

} // namespace tavelo::gui
