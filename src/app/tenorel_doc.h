#pragma once
// The book of a book window: the Qt-free SubjectBook with its title, path,
// views, file commands and the enabling rules of the book's commands.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "app/book_storage.h"
#include "app/command.h"
#include "book/book_version.h"
#include "book/conflict_copies.h"
#include "book/subject_book.h"

class QFileSystemWatcher;
class QTimer;
class QWidget;

namespace tavelo::gui {

class CView;
class CTenorelView;
class CHTMLView;
class CListeView;

class CTenorelDoc : public QObject, public CCmdTarget, public tavelo::SubjectBook {
    Q_OBJECT
public:
    explicit CTenorelDoc(QObject* parent = nullptr);
    ~CTenorelDoc() override;

    const QString& GetTitle() const { return m_strTitle; }
    // Sets the title and the text of the root item of the book's first tree.
    virtual void SetTitle(const QString& title);
    const QString& GetPathName() const { return m_strPathName; }
    // Sets the path and makes the file's name the title.
    void SetPathName(const QString& path);

    // The book file is held by another instance, or cannot be reserved here.
    bool IsReadOnly() const { return m_storage->IsReadOnly(); }
    bool IsNotifyRequested() const { return m_bNotify; }
    // The read-only bar's line: "Lecture seule : réservé par marie sur le poste salon".
    QString ReadOnlyLine() const;
    // Whether the book is held by someone whose release can be waited for.
    bool CanWaitForHolder() const;
    // "Me prévenir": be told when the holder releases the book.
    void RequestNotify();
    // Looks at the book file (the watch calls it when the file or its folder
    // changes, and every few seconds): a read-only book follows the writer's
    // saves, a holder learns that another instance took the book over.
    void CheckBookOnDisk();
    // The poll's period for the books opened from now on (tests shorten it).
    static void SetPollInterval(int milliseconds);
    // Runs on the thread that looks at the disk, before each look (tests
    // stand a share that stops answering with it).
    static void SetDiskLookHook(std::function<void()> hook);

    bool OnNewDocument();
    // False (after telling the user) when the book cannot be opened.
    bool OnOpenDocument(const QString& path);
    bool OnSaveDocument(const QString& path);
    // Gives the file up and asks the application to destroy the book's windows
    // and the book itself.
    void OnCloseDocument();

    // "&Enregistrer": a read-only book is saved under a new name.
    bool DoFileSave();
    // Saves to `path`, or asks for a name when it is empty. True when saved.
    bool DoSave(const QString& path, bool replace = true);
    // Offers to save a modified book; false when the user cancels.
    bool SaveModified();

    // Views in creation order; a book window adds tree, preview, list.
    void AddView(CView* view);
    void RemoveView(CView* view);
    std::size_t GetViewCount() const { return m_viewList.size(); }
    CView* GetView(std::size_t index) const { return index < m_viewList.size() ? m_viewList[index] : nullptr; }
    // The first view when it is a subject tree.
    CTenorelView* GetTreeView() const;
    // The third view when it is a document list.
    CListeView* GetListView() const;
    CHTMLView* GetPreviewView() const;

    // Refills the document list from the current subject and blanks the preview.
    void RefreshDocumentList();

    // The book's general titles, each once, in the order of the subject list.
    QStringList GeneralTitles() const;
    // Every subject under `from` goes under `to`; false when none was under it.
    bool RenameGeneralTitle(const std::string& from, const std::string& to);
    // The subject goes under another general title; false when it was already there.
    bool MoveSubject(CTenorels* subject, const std::string& generalTitle);
    // Refuses an edit of a read-only book, telling the user; true when refused.
    bool RefuseReadOnlyEdit() const;
    // The subject tree of the window the current command came from when it
    // shows this book, else the book's first tree.
    CTenorelView* CommandTree() const;

    // Enabling rules shared by the book's commands.
    static void UpdateNeedsCurrentSubject(CTenorelDoc& doc, CCmdUI& ui);
    static void UpdateNeedsPath(CTenorelDoc& doc, CCmdUI& ui);
    static void UpdateNotReadOnly(CTenorelDoc& doc, CCmdUI& ui);

    // The window dialogs of this book are parented to.
    static QWidget* DialogParent();

    // Replaces the records (a reload, a merge), shows them and selects again
    // the subject that was selected.
    void ShowReplacedSubjects(SubjectList subjects);
    // Selects again, by general title and name, the subject selected before a
    // reload or a merge replaced the records.
    void ReselectSubject(const std::string& generalTitle, const std::string& name);

Q_SIGNALS:
    void titleChanged(const QString& title);
    void closeRequested(tavelo::gui::CTenorelDoc* doc);
    void saved(const QString& path);
    // The book became read-only or writable, or its holder changed.
    void readOnlyChanged();

private:
    void InstallCommands();
    // The book file for this book, after the reservation dialog when another
    // instance holds it; none (the user told) when it cannot be opened or the
    // user gives up.
    std::unique_ptr<HeldFile> TakeBookFile(const QString& path, bool& notify);
    // Reads the subjects from `file`; on failure tells why and keeps the book.
    bool ReadBookFile(const HeldFile& file, const QString& path);
    void StartWaiting();
    void OnBookAvailable();
    void ReopenReadWrite(const QString& path);
    void ShowReloadedSubjects();
    // Lays every tree of the book out again after general titles changed.
    void RelayOutTrees();
    // A save found another version on disk: merge with it, or save a copy.
    bool ResolveChangedOnDisk(const QString& path, const QString& why);
    // Watches the held file's path for CheckBookOnDisk.
    void WatchBookFile();
    // Reads the version on disk into this read-only book, keeping the selection.
    void ReloadFromDisk();
    // Merges the version on disk into this book's edits (three-way).
    void MergeFromDisk();
    // What a look at the disk found, away from the window's thread: a share
    // that stops answering holds that thread, never the window.
    struct DiskLook {
        std::string path;
        bool readOnly = false;
        BookVersion seen;              // the version seen, copied; updated by the check
        BookVersion copied;            // as it was copied
        bool checked = false;          // the check answered
        VersionCheck check = VersionCheck::kSame;
        std::vector<ConflictCopy> copies; // for a book held for writing
    };
    static void LookAtDisk(DiskLook& look);
    void OnDiskLook(DiskLook look);
    // Offers to merge the conflict copies that sync clients left beside the
    // book, each once; a merged copy goes to the trash once the book is saved.
    void OfferConflictCopies(const std::vector<ConflictCopy>& copies);


    QString m_strTitle;
    QString m_strPathName;
    std::vector<CView*> m_viewList;
    bool m_bNotify = false;
    std::unique_ptr<BookStorage> m_storage;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_poll = nullptr;
    bool m_checking = false;
    bool m_looking = false; // a look at the disk is under way
    bool m_takenOverTold = false;
    long long m_askedForVersion = -1; // the version whose merge was offered under edits
    std::vector<std::string> m_offeredCopies; // path and version of the copies already offered
};

} // namespace tavelo::gui
