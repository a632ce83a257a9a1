#pragma once
// What the panes of a book window need from the main window: the command route
// of the active book window, the import-pending flag, the mode pane, and the
// window that owns dialogs and popup menus.

#include <QString>

#include "app/command.h"

class QWidget;

namespace tavelo::gui {

class CommandHost {
public:
    virtual ~CommandHost() = default;

    virtual CommandRoute ActiveRoute() = 0;
    // Runs a command along the active route; true when a handler ran.
    virtual bool RunCommand(int id) = 0;
    virtual bool IsImportPending() const = 0;
    virtual void SetImportPending(bool pending) = 0;
    virtual void SetModePaneText(const QString& text) = 0;
    // Says in the status bar, for a few seconds, what a command just did.
    virtual void ShowTransientMessage(const QString& text) = 0;
    virtual QWidget* HostWindow() = 0;

    // The main window, or none (a view used without one, as in benchmarks).
    static CommandHost* Instance();
    static void SetInstance(CommandHost* host);
    // ShowTransientMessage on the main window, when there is one.
    static void Tell(const QString& text);
};

} // namespace tavelo::gui
