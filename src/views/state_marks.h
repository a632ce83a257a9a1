#pragma once
// The state marks of subject items and the program's pictures, drawn in code.

#include <QIcon>

namespace tavelo::gui {

// Green check mark: a closed subject. Red check mark: an open one.
const QIcon& ClosedSubjectMark();
const QIcon& OpenSubjectMark();

} // namespace tavelo::gui
