#include "app/tenorel_app.h"
#include "views/quick_search_runner.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QPrinter>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "app/about_dlg.h"
#include "app/desktop_association.h"
#include "app/document_tools.h"
#include "app/editing_commands.h"
#include "app/example_book.h"
#include "app/main_frame.h"
#include "app/resources.h"
#include "app/search_commands.h"
#include "app/splitter.h"
#include "app/tenorel_doc.h"
#include "app/tool_commands.h"
#include "app/inbox_commands.h"
#include "app/toolbar_icons.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {
CTenorelApp* g_app = nullptr;
}

CTenorelApp* CTenorelApp::Instance()
{
    return g_app;
}

CTenorelApp::CTenorelApp()
{
    g_app = this;
    RegisterToolCommands();
    RegisterDocumentTools();
    InstallCommands();
    RegisterSearchCommands();
    RegisterEditingCommands();
    RegisterInboxCommands();
}

CTenorelApp::~CTenorelApp()
{
    StopSearches();
    m_closingAll = true;
    for (CTenorelDoc* doc : m_documents) {
        for (CSplitter* window : WindowsOf(doc))
            delete window;
        delete doc;
    }
    m_documents.clear();
    m_pMainWnd.reset();
    if (g_app == this)
        g_app = nullptr;
}

void CTenorelApp::InstallCommands()
{
    OnCommand(ID_APP_ABOUT, [this] { OnAppAbout(); });
    OnCommand(ID_CLEAR_TEXT_CACHE, [this] { ClearTextCache(MainFrame()); });
    OnUpdate(ID_CLEAR_TEXT_CACHE, [](CCmdUI& ui) { ui.Enable(!IsSearchRunning()); });
    OnCommand(ID_PAUSE_READING, [] { QuickSearchRunner::SetReadingPaused(!QuickSearchRunner::ReadingPaused()); });
    OnUpdate(ID_PAUSE_READING, [](CCmdUI& ui) { ui.SetCheck(QuickSearchRunner::ReadingPaused()); });
    OnCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    OnCommand(ID_HELP_EXAMPLE, [this] { OnOpenExample(); });
    OnCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
    OnCommand(ID_FILE_PRINT_SETUP, [this] {
        if (!m_printer)
            m_printer = std::make_unique<QPrinter>();
        PrintDialog::Exec(*m_printer, m_pMainWnd.get());
    });
    OnCommand(ID_APP_EXIT, [this] {
        if (m_pMainWnd)
            m_pMainWnd->close();
    });
    const int last = ID_FILE_MRU_FIRST + tavelo::gui::RecentFiles::kSize - 1;
    OnCommandRange(ID_FILE_MRU_FIRST, last, [this](int id) {
        const int index = id - ID_FILE_MRU_FIRST;
        const QStringList recent = m_recentFiles.Paths();
        if (index >= recent.size())
            return;
        const QString path = recent[index];
        if (!OpenDocumentFile(path))
            m_recentFiles.Remove(path);
    });
    OnUpdateRange(ID_FILE_MRU_FIRST, last,
                  [this](CCmdUI& ui) { ui.Enable(ui.GetID() - ID_FILE_MRU_FIRST < m_recentFiles.Paths().size()); });
}

bool CTenorelApp::InitInstance(const QStringList& arguments)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Morv"));
    QCoreApplication::setApplicationName(QStringLiteral("Tavelo"));
    QGuiApplication::setWindowIcon(ApplicationIcon());
    m_recentFiles.Load();

    m_pMainWnd = std::make_unique<CMainFrame>(this);

    RegisterForBuildTree();

    QString path;
    bool example = false;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--exemple")) {
            example = true;
        } else if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            path = argument;
            break;
        }
    }
    CTenorelDoc* doc = example ? OnOpenExample() : path.isEmpty() ? OnFileNew() : OpenDocumentFile(path);
    if (!doc)
        return false;

    // Without a window manager (a bare X server) maximising does nothing: the
    // window is given the screen's area first.
    if (const QScreen* screen = m_pMainWnd->screen())
        m_pMainWnd->setGeometry(screen->availableGeometry());
    m_pMainWnd->showMaximized();
    m_pMainWnd->RefreshTitle();
    m_pMainWnd->repaint();
    if (CSplitter* window = m_pMainWnd->ActiveBookWindow())
        window->SetActiveView(window->Tree());
    ScheduleCapture();
    return true;
}

CTenorelDoc* CTenorelApp::MakeDocument()
{
    auto* doc = new CTenorelDoc(this);
    connect(doc, &CTenorelDoc::closeRequested, this, [this](CTenorelDoc* d) { DestroyDocument(d); });
    connect(doc, &CTenorelDoc::titleChanged, this, [this, doc] { UpdateWindowTitles(doc); });
    connect(doc, &CTenorelDoc::saved, this, [this](const QString& path) { m_recentFiles.Add(path); });
    m_documents.push_back(doc);
    return doc;
}

CTenorelDoc* CTenorelApp::OnFileNew()
{
    CTenorelDoc* doc = MakeDocument();
    doc->OnNewDocument();
    doc->SetTitle(Tx(text::kDocumentName) + QString::number(++m_nUntitledCount));
    CreateBookWindow(doc);
    return doc;
}

void CTenorelApp::OnFileOpen()
{
    const QString filter = Tx(text::kFileFilter) + QStringLiteral(";;") + Tx(text::kAllFilesFilter);
    const QString path = FileDialog::GetOpenFileName(m_pMainWnd.get(), Tx(text::kOpenTitle), QString(), filter);
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

CTenorelDoc* CTenorelApp::OpenDocumentFile(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    // The same book reached by another path (a link, "..") is the book
    // already open, not a second copy waiting for its own reservation.
    const QString canonical = QFileInfo(full).canonicalFilePath();
    for (CTenorelDoc* doc : m_documents) {
        const QString open = doc->GetPathName();
        if (open == full || (!canonical.isEmpty() && !open.isEmpty() && QFileInfo(open).canonicalFilePath() == canonical)) {
            const std::vector<CSplitter*> windows = WindowsOf(doc);
            if (!windows.empty() && m_pMainWnd)
                m_pMainWnd->MdiArea()->setActiveSubWindow(windows.front());
            return doc;
        }
    }
    CTenorelDoc* doc = MakeDocument();
    if (!doc->OnOpenDocument(full)) {
        m_documents.erase(std::remove(m_documents.begin(), m_documents.end(), doc), m_documents.end());
        delete doc;
        return nullptr;
    }
    doc->SetPathName(full);
    CreateBookWindow(doc);
    m_recentFiles.Add(full);
    return doc;
}

CSplitter* CTenorelApp::CreateBookWindow(CTenorelDoc* doc)
{
    if (!doc || !m_pMainWnd)
        return nullptr;
    auto* window = new CSplitter(doc);
    window->setWindowIcon(ApplicationIcon());
    window->canClose = [this](CSplitter* w) { return CanCloseWindow(w); };
    connect(window, &CSplitter::windowClosed, this, [this](CSplitter* w) { OnWindowClosed(w); });
    m_pMainWnd->AddBookWindow(window);
    UpdateWindowTitles(doc);
    window->InitialUpdate();
    window->showMaximized();
    m_pMainWnd->MdiArea()->setActiveSubWindow(window);
    window->SetActiveView(window->Tree());
    m_pMainWnd->RefreshTitle();
    m_pMainWnd->UpdateToolbar();
    return window;
}

std::vector<CSplitter*> CTenorelApp::WindowsOf(const CTenorelDoc* doc) const
{
    std::vector<CSplitter*> windows;
    if (!m_pMainWnd)
        return windows;
    for (CSplitter* window : m_pMainWnd->BookWindows()) {
        if (window->GetDocument() == doc && !window->property("closing").toBool())
            windows.push_back(window);
    }
    return windows;
}

void CTenorelApp::UpdateWindowTitles(CTenorelDoc* doc)
{
    const std::vector<CSplitter*> windows = WindowsOf(doc);
    // The desktop's usual mark of a document not saved since its last change.
    const bool modified = doc->IsModified();
    doc->setProperty("titleMarked", modified);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        QString title = doc->GetTitle();
        if (windows.size() > 1)
            title += QStringLiteral(":%1").arg(i + 1);
        if (modified)
            title += QLatin1Char('*');
        windows[i]->setWindowTitle(title);
    }
    if (m_pMainWnd)
        m_pMainWnd->RefreshTitle();
}

void CTenorelApp::RefreshModifiedMarks()
{
    for (CTenorelDoc* doc : m_documents) {
        if (doc->property("titleMarked").toBool() != doc->IsModified())
            UpdateWindowTitles(doc);
    }
}

bool CTenorelApp::CanCloseWindow(CSplitter* window)
{
    CTenorelDoc* doc = window->GetDocument();
    if (m_closingAll || !doc || doc->property("closing").toBool())
        return true;
    if (WindowsOf(doc).size() > 1)
        return true;
    return doc->SaveModified();
}

void CTenorelApp::OnWindowClosed(CSplitter* window)
{
    window->setProperty("closing", true);
    CTenorelDoc* doc = window->GetDocument();
    window->DetachViews();
    if (!doc || doc->property("closing").toBool())
        return;
    if (WindowsOf(doc).empty())
        doc->OnCloseDocument();
    else
        UpdateWindowTitles(doc);
}

void CTenorelApp::DestroyDocument(CTenorelDoc* doc)
{
    if (doc->property("closing").toBool())
        return;
    doc->setProperty("closing", true);
    for (CSplitter* window : WindowsOf(doc))
        window->close();
    m_documents.erase(std::remove(m_documents.begin(), m_documents.end(), doc), m_documents.end());
    doc->deleteLater();
}

bool CTenorelApp::SaveAllModified()
{
    const std::vector<CTenorelDoc*> docs = m_documents;
    for (CTenorelDoc* doc : docs) {
        if (!doc->SaveModified())
            return false;
    }
    return true;
}

void CTenorelApp::CloseAllDocuments()
{
    m_closingAll = true;
    const std::vector<CTenorelDoc*> docs = m_documents;
    for (CTenorelDoc* doc : docs)
        doc->OnCloseDocument();
    m_closingAll = false;
}

void CTenorelApp::OnAppAbout()
{
    CAboutDlg dialog(m_pMainWnd.get());
    DialogRunner::Exec(dialog);
}

CTenorelDoc* CTenorelApp::OnOpenExample()
{
    if (!m_exampleFolder)
        m_exampleFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tavelo-exemple-XXXXXX"));
    QString book;
    if (m_exampleFolder->isValid()) {
        book = m_exampleFolder->filePath(ExampleBookFileName());
        const bool open = std::any_of(m_documents.begin(), m_documents.end(),
                                      [&](const CTenorelDoc* doc) { return doc->GetPathName() == book; });
        if (!open)
            book = WriteExampleBook(m_exampleFolder->path());
    }
    if (book.isEmpty()) {
        MessageBox::Show(m_pMainWnd.get(), Tx(text::kExampleFailed), MessageBox::Stop);
        return nullptr;
    }
    CTenorelDoc* doc = OpenDocumentFile(book);
    CSplitter* window = m_pMainWnd ? m_pMainWnd->ActiveBookWindow() : nullptr;
    if (doc && window && window->GetDocument() == doc) {
        CTenorelView* tree = window->Tree();
        tree->expandAll();
        const QList<QTreeWidgetItem*> found =
            tree->findItems(ExampleFirstSubject(), Qt::MatchExactly | Qt::MatchRecursive);
        if (!found.isEmpty())
            tree->setCurrentItem(found.front());
    }
    return doc;
}

void CTenorelApp::ScheduleCapture()
{
    // TAVELO_CAPTURE=file.png saves a picture of the main window shortly after
    // start-up and quits; TAVELO_CAPTURE_SUBJECT names a subject to select first.
    const QString target = qEnvironmentVariable("TAVELO_CAPTURE");
    if (target.isEmpty())
        return;
    const QString subject = qEnvironmentVariable("TAVELO_CAPTURE_SUBJECT");
    QTimer::singleShot(700, this, [this, subject] {
        CSplitter* window = m_pMainWnd->ActiveBookWindow();
        if (!window || subject.isEmpty())
            return;
        CTenorelView* tree = window->Tree();
        const QList<QTreeWidgetItem*> found = tree->findItems(subject, Qt::MatchExactly | Qt::MatchRecursive);
        if (!found.isEmpty()) {
            tree->expandAll();
            tree->setCurrentItem(found.front());
        }
    });
    QTimer::singleShot(1600, this, [this, target] {
        m_pMainWnd->grab().save(target, "PNG");
        QCoreApplication::quit();
    });
}

} // namespace tavelo::gui
