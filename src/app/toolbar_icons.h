#pragma once
// The toolbar's five pictures, drawn in code, and the program's icon.

#include <QIcon>

namespace tavelo::gui {

// Blank sheet (57600), opening folder (57601), floppy disk (57603),
// magnifying glass (57636), question mark (57664); a null icon otherwise.
QIcon ToolbarIcon(int commandId);
QIcon ApplicationIcon();

} // namespace tavelo::gui
