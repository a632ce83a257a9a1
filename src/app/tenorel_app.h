#pragma once
// The application: start-up, the books and their windows, the file commands
// (new, open, recent files, quit), the about box and the desktop association.

#include <QObject>
#include <QStringList>
#include <QPrinter>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "app/command.h"
#include "app/recent_files.h"

namespace tavelo::gui {

class CMainFrame;
class CSplitter;
class CTenorelDoc;

class CTenorelApp : public QObject, public CCmdTarget {
    Q_OBJECT
public:
    CTenorelApp();
    ~CTenorelApp() override;

    // Start-up with the command-line arguments (without the program name).
    // False when the program must end (a named book could not be opened).
    bool InitInstance(const QStringList& arguments);

    CMainFrame* MainFrame() const { return m_pMainWnd.get(); }
    const std::vector<CTenorelDoc*>& Documents() const { return m_documents; }
    QStringList RecentFiles() const { return m_recentFiles.Paths(); }

    // A new, empty book in a new window.
    CTenorelDoc* OnFileNew();
    // The file dialog, then OpenDocumentFile.
    void OnFileOpen();
    // Opens the book (or activates it when already open); none on failure.
    CTenorelDoc* OpenDocumentFile(const QString& path);
    // One more window, with its own three views, on the book.
    CSplitter* CreateBookWindow(CTenorelDoc* doc);
    void OnAppAbout();
    // The example book, written into a temporary folder that lives as long as
    // the application, opened on its first subject; none on failure.
    CTenorelDoc* OnOpenExample();

    // Offers to save every modified book; false when the user cancels.
    bool SaveAllModified();
    void CloseAllDocuments();

    // Brings the unsaved mark (*) of each book window's title up to date.
    void RefreshModifiedMarks();

    static CTenorelApp* Instance();

private:
    void InstallCommands();
    CTenorelDoc* MakeDocument();
    void DestroyDocument(CTenorelDoc* doc);
    bool CanCloseWindow(CSplitter* window);
    void OnWindowClosed(CSplitter* window);
    void UpdateWindowTitles(CTenorelDoc* doc);
    std::vector<CSplitter*> WindowsOf(const CTenorelDoc* doc) const;
    void ScheduleCapture();

    std::unique_ptr<CMainFrame> m_pMainWnd;
    std::vector<CTenorelDoc*> m_documents;
    std::unique_ptr<QPrinter> m_printer;
    tavelo::gui::RecentFiles m_recentFiles;
    std::unique_ptr<QTemporaryDir> m_exampleFolder;
    int m_nUntitledCount = 0;
    bool m_closingAll = false;
};

} // namespace tavelo::gui
