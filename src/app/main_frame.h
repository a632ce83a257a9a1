#pragma once
// The main window: menu bar (menu 128 without book windows, 129 with), the
// toolbar, the five-pane status bar, the area of the book windows, the
// accelerators, and the routing of commands to the active book window.

#include <QMainWindow>
#include <QStringList>
#include <vector>

#include "app/command.h"
#include "app/command_host.h"
#include "app/keyboard_locks.h"

class QLabel;
class QMdiArea;
class QMenuBar;
class QShortcut;
class QToolBar;
class QTimer;

namespace tavelo::gui {

class CSplitter;
class CTenorelApp;

class CMainFrame : public QMainWindow, public CCmdTarget, public CommandHost {
    Q_OBJECT
public:
    explicit CMainFrame(CTenorelApp* app);
    ~CMainFrame() override;

    QMdiArea* MdiArea() const { return m_mdiArea; }
    QToolBar* ToolBar() const { return m_wndToolBar; }
    QLabel* StatusPane(int index) const;
    std::vector<CSplitter*> BookWindows() const;
    CSplitter* ActiveBookWindow() const;
    void AddBookWindow(CSplitter* window);
    // The identifier of the menu bar shown (128 or 129).
    int CurrentMenuResource() const;

    // The "&Sujets" item of the menu bar, enabled or greyed.
    void EnableSubjectsMenu(bool enabled);
    bool IsSubjectsMenuEnabled() const { return m_subjectsMenuEnabled; }
    // Position of the first top-level item whose text is exactly `text`, or -1.
    static int FindMenuItemByText(const QMenuBar* menu, const QString& text);
    // What happens as the menu bar becomes active, before a popup opens.
    void OnMenuActivate();
    // Runs the update handlers of the toolbar buttons.
    void UpdateToolbar();
    // Message pane: the prompt, or "Prêt" when empty.
    void SetMessageText(const QString& text);
    // The pane of the background reading of documents; hidden when empty.
    void SetReadingText(const QString& text);
    QLabel* ReadingPane() const { return m_readingPane; }
    // "Tavelo - [Livre]" with the active book window's title, "Tavelo" without one.
    void RefreshTitle();
    // What just happened (a save, a merge…), in the message pane for a few
    // seconds.
    void ShowTransientMessage(const QString& text) override;
    // The MAJ, NUM and DEF panes.
    void SetLockIndicators(const KeyboardLocks& locks);
    // Opens each dropped file as a book, once the drop is over.
    void OpenDroppedFiles(const QStringList& paths);

    // CommandHost
    CommandRoute ActiveRoute() override;
    bool RunCommand(int id) override;
    bool IsImportPending() const override { return m_bImportPending; }
    void SetImportPending(bool pending) override { m_bImportPending = pending; }
    void SetModePaneText(const QString& text) override;
    QWidget* HostWindow() override { return this; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateToolBar();
    void CreateStatusBar();
    void CreateAccelerators();
    void InstallCommands();
    void RebuildMenuBar();
    void OnPopupAboutToShow(QMenu* menu);
    void UpdateRecentFiles(QMenu* fileMenu);
    void UpdateWindowList(QMenu* windowMenu);
    void ArrangeIcons();
    // "&Sujets", the mode pane and the unsaved marks after the active window.
    void FollowActiveWindow();

    CTenorelApp* m_app;
    bool m_bImportPending = false;
    bool m_subjectsMenuEnabled = true;
    QMdiArea* m_mdiArea;
    QToolBar* m_wndToolBar = nullptr;
    std::vector<QLabel*> m_statusPanes;
    QLabel* m_readingPane = nullptr;
    std::vector<QShortcut*> m_accelerators;
    QTimer* m_idleTimer;
    QTimer* m_messageTimer = nullptr;
    QString m_transientMessage;
    QMetaObject::Connection m_focusConnection;
    QMetaObject::Connection m_activationConnection;
};

} // namespace tavelo::gui
