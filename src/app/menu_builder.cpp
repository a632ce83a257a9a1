#include "app/menu_builder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <deque>

#include "app/translation.h"
#include "app/ui_prompts.h"

namespace tavelo::gui {

namespace {
std::deque<std::function<int(QMenu&)>>& Choosers()
{
    static std::deque<std::function<int(QMenu&)>> choosers;
    return choosers;
}
int g_tracked = 0;

QAction* MakeAction(const MenuItemDef& item, QWidget* parent)
{
    auto* action = new QAction(Tx(item.text), parent);
    action->setData(item.id);
    action->setStatusTip(CommandPrompt(item.id));
    action->setObjectName(QStringLiteral("command_%1").arg(item.id));
    return action;
}
} // namespace

QMenu* BuildPopup(const PopupDef& popup, QWidget* parent)
{
    auto* menu = new QMenu(Tx(popup.title), parent);
    for (const MenuItemDef& item : popup.items) {
        if (item.id == 0)
            menu->addSeparator();
        else
            menu->addAction(MakeAction(item, menu));
    }
    return menu;
}

QMenuBar* BuildMenuBar(int menuId, QWidget* parent)
{
    auto* bar = new QMenuBar(parent);
    bar->setProperty("menuResource", menuId);
    for (const PopupDef& popup : MenuResource(menuId))
        bar->addMenu(BuildPopup(popup, bar));
    return bar;
}

int CommandIdOf(const QAction* action)
{
    if (!action || action->isSeparator() || action->menu())
        return 0;
    return action->data().toInt();
}

QAction* FindCommandAction(const QWidget* menuOrBar, int id)
{
    if (!menuOrBar)
        return nullptr;
    for (QAction* action : menuOrBar->actions()) {
        if (QMenu* sub = action->menu()) {
            if (QAction* found = FindCommandAction(sub, id))
                return found;
        } else if (CommandIdOf(action) == id) {
            return action;
        }
    }
    return nullptr;
}

void UpdateMenuItems(QMenu* menu, const CommandRoute& route)
{
    for (QAction* action : menu->actions()) {
        const int id = CommandIdOf(action);
        if (id == 0)
            continue;
        const CCmdUI ui = UpdateCommand(route, id);
        action->setEnabled(ui.IsEnabled());
        if (ui.Checked()) {
            action->setCheckable(true);
            action->setChecked(*ui.Checked());
        }
        if (ui.Text())
            action->setText(*ui.Text());
    }
}

int PopupMenu::Track(QMenu& menu, const QPoint& position)
{
    ++g_tracked;
    if (!Choosers().empty()) {
        auto chooser = std::move(Choosers().front());
        Choosers().pop_front();
        return chooser(menu);
    }
    if (IsUnattended())
        return 0;
    QAction* chosen = menu.exec(position);
    return CommandIdOf(chosen);
}

void PopupMenu::SetNextChoice(std::function<int(QMenu&)> chooser)
{
    Choosers().push_back(std::move(chooser));
}

int PopupMenu::TrackedCount()
{
    return g_tracked;
}

} // namespace tavelo::gui
