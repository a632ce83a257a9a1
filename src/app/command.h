#pragma once
// Command routing: every command is a number. A command goes along a route of
// targets (active view, its book, the book window, the main window, the
// application) and runs the first handler found. Before a menu shows an item
// and before a command runs, the route's update handler (the first one found)
// decides whether it is enabled, checked or relabelled; a command for which no
// target on the route has a handler is disabled.

#include <QString>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tavelo::gui {

// The state an update handler sets for one command.
class CCmdUI {
public:
    explicit CCmdUI(int id) : m_nID(id) {}

    int GetID() const { return m_nID; }
    void Enable(bool enabled = true) { m_bEnabled = enabled; }
    void SetCheck(bool checked = true) { m_checked = checked; }
    void SetText(const QString& text) { m_text = text; }

    bool IsEnabled() const { return m_bEnabled; }
    const std::optional<bool>& Checked() const { return m_checked; }
    const std::optional<QString>& Text() const { return m_text; }

private:
    int m_nID;
    bool m_bEnabled = true;
    std::optional<bool> m_checked;
    std::optional<QString> m_text;
};

using CommandHandler = std::function<void()>;
using UpdateHandler = std::function<void(CCmdUI&)>;

// A target's command map: handlers and update handlers by identifier.
class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    bool HasCommandHandler(int id) const { return m_commands.count(id) != 0; }
    bool HasUpdateHandler(int id) const { return m_updates.count(id) != 0; }
    // Runs the handler; false when this target has none.
    bool RunCommand(int id);
    // Runs the update handler; false when this target has none.
    bool RunUpdate(int id, CCmdUI& ui);

    void OnCommand(int id, CommandHandler handler) { m_commands[id] = std::move(handler); }
    void OnCommandRange(int first, int last, const std::function<void(int)>& handler);
    void OnUpdate(int id, UpdateHandler handler) { m_updates[id] = std::move(handler); }
    void OnUpdateRange(int first, int last, const std::function<void(CCmdUI&)>& handler);

private:
    std::unordered_map<int, CommandHandler> m_commands;
    std::unordered_map<int, UpdateHandler> m_updates;
};

using CommandRoute = std::vector<CCmdTarget*>;

// The state of the command for this route (see above).
CCmdUI UpdateCommand(const CommandRoute& route, int id);

// Runs the command if it is enabled on the route; true when a handler ran.
bool ExecuteCommand(const CommandRoute& route, int id);

// Handlers that other parts of the program attach to every object of a class
// (the book, the subject tree) without the class knowing them. Each object
// installs what is registered when it is made.
template <class Target>
class CommandRegistry {
public:
    using Run = std::function<void(Target&)>;
    using Update = std::function<void(Target&, CCmdUI&)>;

    static void Register(int id, Run run, Update update = {})
    {
        Entries()[id] = Entry{std::move(run), std::move(update)};
    }
    static void Unregister(int id) { Entries().erase(id); }

    static void InstallInto(Target& target)
    {
        for (const auto& [id, entry] : Entries()) {
            Target* t = &target;
            Run run = entry.run;
            target.OnCommand(id, [t, run] { run(*t); });
            if (entry.update) {
                Update update = entry.update;
                target.OnUpdate(id, [t, update](CCmdUI& ui) { update(*t, ui); });
            }
        }
    }

private:
    struct Entry {
        Run run;
        Update update;
    };
    static std::unordered_map<int, Entry>& Entries()
    {
        static std::unordered_map<int, Entry> entries;
        return entries;
    }
};

} // namespace tavelo::gui
