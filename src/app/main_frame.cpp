#include "app/main_frame.h"

#include <QApplication>
#include <algorithm>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>

#include "app/menu_builder.h"
#include "app/resources.h"
#include "app/splitter.h"
#include "app/tenorel_app.h"
#include "app/tenorel_doc.h"
#include "app/toolbar_icons.h"
#include "app/translation.h"
#include "book/tenorels.h"
#include "views/html_view.h"
#include "views/tenorel_view.h"
#include "views/view.h"

namespace tavelo::gui {

CMainFrame::CMainFrame(CTenorelApp* app) : m_app(app)
{
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(LoadString(IDR_MAINFRAME));
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);
    m_activationConnection = connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        RefreshTitle();
        UpdateToolbar();
    });
    m_messageTimer = new QTimer(this);
    m_messageTimer->setSingleShot(true);
    connect(m_messageTimer, &QTimer::timeout, this, [this] {
        if (QLabel* pane = StatusPane(0); pane && pane->text() == m_transientMessage)
            SetMessageText(QString());
        m_transientMessage.clear();
    });

    CreateToolBar();
    CreateStatusBar();
    if (const std::optional<KeyboardLocks> locks = ReadKeyboardLocks())
        SetLockIndicators(*locks);
    CreateAccelerators();
    InstallCommands();
    RebuildMenuBar();

    // The toolbar's enabled states follow the active window; the framework
    // refreshes them when idle, this timer does the same.
    m_idleTimer = new QTimer(this);
    m_idleTimer->setInterval(300);
    connect(m_idleTimer, &QTimer::timeout, this, [this] { UpdateToolbar(); });
    m_idleTimer->start();
    m_focusConnection = connect(qApp, &QApplication::focusChanged, this, [this] { UpdateToolbar(); });
    qApp->installEventFilter(this);

    CommandHost::SetInstance(this);
}

CMainFrame::~CMainFrame()
{
    // The book windows go after this part of the object; their focus and
    // activation changes must not call back into it.
    disconnect(m_focusConnection);
    disconnect(m_activationConnection);
    m_idleTimer->stop();
    m_wndToolBar = nullptr;
    qDeleteAll(m_mdiArea->subWindowList());
    qApp->removeEventFilter(this);
    if (CommandHost::Instance() == this)
        CommandHost::SetInstance(nullptr);
}

void CMainFrame::CreateToolBar()
{
    m_wndToolBar = new QToolBar(QStringLiteral("Standard"), this);
    m_wndToolBar->setObjectName(QStringLiteral("toolBar"));
    m_wndToolBar->setIconSize(QSize(16, 16));
    m_wndToolBar->setMovable(true);
    m_wndToolBar->setFloatable(true);
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : ToolbarButtons()) {
        if (id == 0) {
            m_wndToolBar->addSeparator();
            continue;
        }
        QAction* action = m_wndToolBar->addAction(ToolbarIcon(id), CommandTooltip(id));
        action->setData(id);
        action->setObjectName(QStringLiteral("toolbar_%1").arg(id));
        action->setToolTip(CommandTooltip(id));
        action->setStatusTip(CommandPrompt(id));
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    setDockNestingEnabled(true);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    for (int id : StatusIndicators()) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(QStringLiteral("indicator_%1").arg(id));
        pane->setProperty("indicatorId", id);
        if (id == 0) {
            pane->setText(Tx(text::kReady));
            pane->setMinimumWidth(1);
            pane->setIndent(3);
            bar->addWidget(pane, 1);
        } else {
            const QString sizing = LoadString(id);
            pane->setFrameShape(QFrame::Panel);
            pane->setFrameShadow(QFrame::Sunken);
            pane->setAlignment(Qt::AlignCenter);
            pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(sizing) + 14);
            // Only the mode pane starts with its text; the lock panes show theirs
            // while the key is on.
            if (id == ID_INDICATOR_MODE)
                pane->setText(sizing);
            bar->addPermanentWidget(pane);
        }
        m_statusPanes.push_back(pane);
    }
    m_readingPane = new QLabel(bar);
    m_readingPane->setObjectName(QStringLiteral("readingPane"));
    m_readingPane->hide();
    bar->addPermanentWidget(m_readingPane);
}

void CMainFrame::SetReadingText(const QString& text)
{
    m_readingPane->setText(text);
    m_readingPane->setVisible(!text.isEmpty());
}

QLabel* CMainFrame::StatusPane(int index) const
{
    return index >= 0 && index < static_cast<int>(m_statusPanes.size()) ? m_statusPanes[static_cast<std::size_t>(index)]
                                                                          : nullptr;
}

void CMainFrame::CreateAccelerators()
{
    for (const AcceleratorDef& accel : AcceleratorTable()) {
        auto* shortcut = new QShortcut(accel.keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setProperty("commandId", accel.id);
        const int id = accel.id;
        // Ctrl+A makes a subject from the tree and the list; in the preview it
        // is the text's own select-all (which takes the key first) or nothing.
        const bool notInPreview = accel.keys == QKeySequence(Qt::CTRL | Qt::Key_A);
        connect(shortcut, &QShortcut::activated, this, [this, id, notInPreview] {
            if (notInPreview) {
                const CSplitter* window = ActiveBookWindow();
                if (window && window->GetActiveView() == static_cast<CView*>(window->Preview()))
                    return;
            }
            RunCommand(id);
        });
        m_accelerators.push_back(shortcut);
    }
}

void CMainFrame::InstallCommands()
{
    OnCommand(ID_WINDOW_NEW, [this] {
        if (CSplitter* window = ActiveBookWindow())
            m_app->CreateBookWindow(window->GetDocument());
    });
    OnCommand(ID_WINDOW_CASCADE, [this] { m_mdiArea->cascadeSubWindows(); });
    OnCommand(ID_WINDOW_TILE_HORZ, [this] { m_mdiArea->tileSubWindows(); });
    OnCommand(ID_WINDOW_ARRANGE, [this] { ArrangeIcons(); });
    OnCommand(ID_VIEW_TOOLBAR, [this] { m_wndToolBar->setVisible(!m_wndToolBar->isVisible()); });
    OnUpdate(ID_VIEW_TOOLBAR, [this](CCmdUI& ui) { ui.SetCheck(m_wndToolBar->isVisibleTo(this)); });
    OnCommand(ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(!statusBar()->isVisible()); });
    OnUpdate(ID_VIEW_STATUS_BAR, [this](CCmdUI& ui) { ui.SetCheck(statusBar()->isVisibleTo(this)); });
}

std::vector<CSplitter*> CMainFrame::BookWindows() const
{
    std::vector<CSplitter*> windows;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* window = qobject_cast<CSplitter*>(sub))
            windows.push_back(window);
    }
    return windows;
}

CSplitter* CMainFrame::ActiveBookWindow() const
{
    if (auto* active = qobject_cast<CSplitter*>(m_mdiArea->activeSubWindow()))
        return active;
    // Between two activations (a dialog up, the window not yet focused) the
    // last window activated remains the active one.
    if (auto* current = qobject_cast<CSplitter*>(m_mdiArea->currentSubWindow()))
        return current;
    // The area forgets its current window when the active one closes while
    // the focus is elsewhere: the window used last before it is the one shown.
    const QList<QMdiSubWindow*> history = m_mdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = history.rbegin(); it != history.rend(); ++it) {
        if (auto* window = qobject_cast<CSplitter*>(*it); window && !window->property("closing").toBool())
            return window;
    }
    return nullptr;
}

void CMainFrame::AddBookWindow(CSplitter* window)
{
    m_mdiArea->addSubWindow(window);
    // After the window's own change of the title, when maximised or restored.
    connect(window, &QMdiSubWindow::windowStateChanged, this,
            [this] { QTimer::singleShot(0, this, [this] { RefreshTitle(); }); });
    connect(window, &QObject::destroyed, this, [this] {
        // After the window has left the area.
        QTimer::singleShot(0, this, [this] {
            RebuildMenuBar();
            if (!m_mdiArea->activeSubWindow()) {
                if (CSplitter* next = ActiveBookWindow())
                    m_mdiArea->setActiveSubWindow(next);
            }
            RefreshTitle();
            UpdateToolbar();
        });
    });
    RebuildMenuBar();
}

int CMainFrame::CurrentMenuResource() const
{
    return menuBar() ? menuBar()->property("menuResource").toInt() : 0;
}

void CMainFrame::RebuildMenuBar()
{
    const int wanted = BookWindows().empty() ? IDR_MAINFRAME : IDR_TAVELOTYPE;
    if (menuWidget() && CurrentMenuResource() == wanted)
        return;
    QMenuBar* bar = BuildMenuBar(wanted, this);
    bar->setObjectName(QStringLiteral("menuBar%1").arg(wanted));
    for (QAction* action : bar->actions()) {
        if (QMenu* menu = action->menu()) {
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { OnPopupAboutToShow(menu); });
            connect(menu, &QMenu::triggered, this, [this](QAction* chosen) {
                if (const int id = CommandIdOf(chosen))
                    RunCommand(id);
            });
        }
    }
    setMenuBar(bar);
    if (wanted == IDR_TAVELOTYPE) {
        const int pos = FindMenuItemByText(bar, Tx(text::kSubjectsMenu));
        if (pos >= 0)
            bar->actions().at(pos)->setEnabled(m_subjectsMenuEnabled);
    }
}

void CMainFrame::OnPopupAboutToShow(QMenu* menu)
{
    OnMenuActivate();
    const CommandRoute route = ActiveRoute();
    UpdateMenuItems(menu, route);
    if (FindCommandAction(menu, ID_APP_EXIT))
        UpdateRecentFiles(menu);
    if (FindCommandAction(menu, ID_WINDOW_NEW))
        UpdateWindowList(menu);
}

void CMainFrame::UpdateWindowList(QMenu* windowMenu)
{
    // The open book windows, numbered, after the window commands; the active
    // one is checked.
    for (QAction* action : windowMenu->actions()) {
        if (action->property("windowListEntry").toBool()) {
            windowMenu->removeAction(action);
            delete action;
        }
    }
    const std::vector<CSplitter*> windows = BookWindows();
    if (windows.empty())
        return;
    QAction* separator = windowMenu->addSeparator();
    separator->setProperty("windowListEntry", true);
    CSplitter* active = ActiveBookWindow();
    for (std::size_t i = 0; i < windows.size() && i < 9; ++i) {
        CSplitter* window = windows[i];
        QString title = window->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* entry = windowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        entry->setProperty("windowListEntry", true);
        entry->setCheckable(true);
        entry->setChecked(window == active);
        connect(entry, &QAction::triggered, this, [this, window] {
            const std::vector<CSplitter*> open = BookWindows();
            if (std::find(open.begin(), open.end(), window) != open.end())
                m_mdiArea->setActiveSubWindow(window);
        });
    }
}

void CMainFrame::UpdateRecentFiles(QMenu* fileMenu)
{
    QList<QAction*> actions = fileMenu->actions();
    QAction* anchor = nullptr;
    int firstIndex = -1;
    for (int i = 0; i < actions.size(); ++i) {
        const int id = CommandIdOf(actions[i]);
        if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) {
            if (firstIndex < 0)
                firstIndex = i;
        }
    }
    if (firstIndex < 0)
        return;
    // The action after the recent-file block is where new entries go.
    for (int i = firstIndex; i < actions.size(); ++i) {
        const int id = CommandIdOf(actions[i]);
        if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) {
            fileMenu->removeAction(actions[i]);
            delete actions[i];
        } else {
            anchor = actions[i];
            break;
        }
    }
    const QStringList recent = m_app->RecentFiles();
    if (recent.isEmpty()) {
        auto* placeholder = new QAction(Tx(text::kRecentPlaceholder), fileMenu);
        placeholder->setData(int{ID_FILE_MRU_FIRST});
        placeholder->setEnabled(false);
        fileMenu->insertAction(anchor, placeholder);
        return;
    }
    for (int i = 0; i < recent.size(); ++i) {
        QString label = recent[i];
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(label), fileMenu);
        entry->setData(ID_FILE_MRU_FIRST + i);
        entry->setStatusTip(CommandPrompt(ID_FILE_MRU_FIRST + i));
        entry->setEnabled(UpdateCommand(ActiveRoute(), ID_FILE_MRU_FIRST + i).IsEnabled());
        fileMenu->insertAction(anchor, entry);
    }
}

void CMainFrame::OnMenuActivate()
{
    CSplitter* window = ActiveBookWindow();
    if (!menuBar() || !window)
        return;
    if (window->isMinimized())
        window->showMaximized();
    CTenorelDoc* doc = window->GetDocument();
    const CTenorels* subject = doc ? doc->GetCurrentSubject() : nullptr;
    if (!subject)
        return;
    QAction* item = FindCommandAction(menuBar(), ID_CLOSE_SUBJECT);
    if (!item)
        return;
    if (subject->GetState() == CTenorels::kClosed)
        item->setText(Tx(text::kMenuReopenSubject));
    else if (subject->GetState() == CTenorels::kOpen)
        item->setText(Tx(text::kMenuCloseSubject));
}

void CMainFrame::EnableSubjectsMenu(bool enabled)
{
    m_subjectsMenuEnabled = enabled;
    QMenuBar* bar = menuBar();
    if (!bar || CurrentMenuResource() != IDR_TAVELOTYPE)
        return;
    const int pos = FindMenuItemByText(bar, Tx(text::kSubjectsMenu));
    if (pos < 0)
        return;
    bar->actions().at(pos)->setEnabled(enabled);
}

int CMainFrame::FindMenuItemByText(const QMenuBar* menu, const QString& text)
{
    if (!menu)
        return -1;
    const QList<QAction*> items = menu->actions();
    for (int i = 0; i < items.size(); ++i) {
        const QString itemText = items[i]->text();
        if (!itemText.isEmpty() && itemText == text)
            return i;
    }
    return -1;
}

void CMainFrame::SetModePaneText(const QString& text)
{
    if (QLabel* pane = StatusPane(1)) {
        pane->setText(text);
        pane->repaint();
    }
}

void CMainFrame::SetMessageText(const QString& text)
{
    if (QLabel* pane = StatusPane(0))
        pane->setText(text.isEmpty() ? Tx(text::kReady) : text);
}

CommandRoute CMainFrame::ActiveRoute()
{
    CommandRoute route;
    if (CSplitter* window = ActiveBookWindow()) {
        if (CTenorelDoc* doc = window->GetDocument()) {
            if (CView* view = window->GetActiveView())
                route.push_back(view);
            route.push_back(doc);
        }
        route.push_back(window);
    }
    route.push_back(this);
    route.push_back(m_app);
    return route;
}

bool CMainFrame::RunCommand(int id)
{
    const bool ran = ExecuteCommand(ActiveRoute(), id);
    UpdateToolbar();
    return ran;
}

void CMainFrame::UpdateToolbar()
{
    if (!m_wndToolBar)
        return;
    const CommandRoute route = ActiveRoute();
    for (QAction* action : m_wndToolBar->actions()) {
        const int id = action->data().toInt();
        if (id != 0)
            action->setEnabled(UpdateCommand(route, id).IsEnabled());
    }
    FollowActiveWindow();
}

void CMainFrame::FollowActiveWindow()
{
    // "&Sujets" and the mode pane show the active book window's navigation
    // mode, whichever of its panes has the focus; without a book window the
    // pane keeps its last text.
    CSplitter* window = ActiveBookWindow();
    const CTenorelView* tree = window ? window->Tree() : nullptr;
    if (!tree)
        return;
    if (m_subjectsMenuEnabled == tree->m_bSearchMode)
        EnableSubjectsMenu(!tree->m_bSearchMode);
    const QString mode = Tx(tree->m_bSearchMode ? text::kModeSearch : text::kModeStandard);
    if (StatusPane(1) && StatusPane(1)->text() != mode)
        SetModePaneText(mode);
    m_app->RefreshModifiedMarks();
}

void CMainFrame::ShowTransientMessage(const QString& text)
{
    // Long enough to be read, then the pane is "Prêt" again unless something
    // else was shown meanwhile.
    constexpr int kShownMs = 5000;
    m_transientMessage = text;
    SetMessageText(text);
    m_messageTimer->start(kShownMs);
}

void CMainFrame::RefreshTitle()
{
    // "Tavelo - [Livre]" whatever the active book window's state. A maximised
    // book window adds " - [its title]" to the title it finds itself, and
    // puts that title back when restored; setting the whole title here after
    // it (and when it is not maximised) gives the one form in every case.
    QString title = LoadString(IDR_MAINFRAME);
    if (const CSplitter* active = ActiveBookWindow(); active && !active->windowTitle().isEmpty())
        title += QStringLiteral(" - [") + active->windowTitle() + QLatin1Char(']');
    if (windowTitle() != title)
        setWindowTitle(title);
}

void CMainFrame::ArrangeIcons()
{
    // Minimised book windows go in a row along the bottom edge of the area.
    const QRect area = m_mdiArea->viewport()->rect();
    int x = 0;
    for (CSplitter* window : BookWindows()) {
        if (!window->isMinimized())
            continue;
        const QSize size = window->size();
        if (x + size.width() > area.width())
            x = 0;
        window->move(x, area.height() - size.height());
        x += size.width();
    }
}

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        // Leaving a menu item brings back what a command just said, while it
        // is still to be read.
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        SetMessageText(tip.isEmpty() && m_messageTimer && m_messageTimer->isActive() ? m_transientMessage : tip);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_app->SaveAllModified()) {
        event->ignore();
        return;
    }
    m_app->CloseAllDocuments();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    QStringList paths;
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    OpenDroppedFiles(paths);
}

void CMainFrame::OpenDroppedFiles(const QStringList& paths)
{
    // Opened after the drop has returned to the source application.
    QTimer::singleShot(0, this, [this, paths] {
        activateWindow();
        for (const QString& path : paths)
            m_app->OpenDocumentFile(path);
    });
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // A lock key changes its light after its press is handled: the state is
    // read on the release, and on any other key.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        if (const std::optional<KeyboardLocks> locks = ReadKeyboardLocks())
            SetLockIndicators(*locks);
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::SetLockIndicators(const KeyboardLocks& locks)
{
    const std::pair<int, bool> panes[] = {
        {ID_INDICATOR_CAPS, locks.caps}, {ID_INDICATOR_NUM, locks.num}, {ID_INDICATOR_SCRL, locks.scroll}};
    for (int i = 0; i < 3; ++i) {
        if (QLabel* pane = StatusPane(2 + i))
            pane->setText(panes[i].second ? LoadString(panes[i].first) : QString());
    }
}

} // namespace tavelo::gui
