#include "app/command.h"

namespace tavelo::gui {

bool CCmdTarget::RunCommand(int id)
{
    const auto it = m_commands.find(id);
    if (it == m_commands.end())
        return false;
    // Copied: the handler may replace the map entry or destroy this target.
    const CommandHandler handler = it->second;
    handler();
    return true;
}

bool CCmdTarget::RunUpdate(int id, CCmdUI& ui)
{
    const auto it = m_updates.find(id);
    if (it == m_updates.end())
        return false;
    it->second(ui);
    return true;
}

void CCmdTarget::OnCommandRange(int first, int last, const std::function<void(int)>& handler)
{
    for (int id = first; id <= last; ++id)
        m_commands[id] = [handler, id] { handler(id); };
}

void CCmdTarget::OnUpdateRange(int first, int last, const std::function<void(CCmdUI&)>& handler)
{
    for (int id = first; id <= last; ++id)
        m_updates[id] = handler;
}

CCmdUI UpdateCommand(const CommandRoute& route, int id)
{
    CCmdUI ui(id);
    bool handled = false;
    for (CCmdTarget* target : route) {
        if (target && target->HasCommandHandler(id)) {
            handled = true;
            break;
        }
    }
    if (!handled) {
        ui.Enable(false);
        return ui;
    }
    for (CCmdTarget* target : route) {
        if (target && target->RunUpdate(id, ui))
            break;
    }
    return ui;
}

bool ExecuteCommand(const CommandRoute& route, int id)
{
    if (!UpdateCommand(route, id).IsEnabled())
        return false;
    for (CCmdTarget* target : route) {
        if (target && target->RunCommand(id))
            return true;
    }
    return false;
}

} // namespace tavelo::gui

#include "app/command_host.h"

namespace tavelo::gui {
namespace {
CommandHost* g_host = nullptr;
}
CommandHost* CommandHost::Instance()
{
    return g_host;
}
void CommandHost::SetInstance(CommandHost* host)
{
    g_host = host;
}
void CommandHost::Tell(const QString& text)
{
    if (g_host)
        g_host->ShowTransientMessage(text);
}
} // namespace tavelo::gui
