#pragma once
// Menus made from the resource tables. Each action carries its command
// identifier; update passes set enabled state, check marks and texts from the
// command route.

#include <functional>

#include "app/command.h"
#include "app/resources.h"

class QAction;
class QMenu;
class QMenuBar;
class QPoint;
class QWidget;

namespace tavelo::gui {

QMenu* BuildPopup(const PopupDef& popup, QWidget* parent);
QMenuBar* BuildMenuBar(int menuId, QWidget* parent);

// The command identifier of an action, 0 for separators and submenus.
int CommandIdOf(const QAction* action);
// The first action with this identifier, searching submenus too.
QAction* FindCommandAction(const QWidget* menuOrBar, int id);

// Runs the update pass for every command item of the menu.
void UpdateMenuItems(QMenu* menu, const CommandRoute& route);

// Popup menus tracked by the views; tests choose ahead of time.
class PopupMenu {
public:
    // Shows the menu at a screen position; the chosen command, or 0.
    static int Track(QMenu& menu, const QPoint& position);
    // The next Track hands the menu to `chooser` instead of showing it; the
    // chooser returns the command to pick (0 for none).
    static void SetNextChoice(std::function<int(QMenu&)> chooser);
    static int TrackedCount();
};

} // namespace tavelo::gui
