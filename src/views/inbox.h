#pragma once
// The inbox of one book: the folders this user watches for it (kept in the
// settings under the book's resolved path), the files there that the book
// does not hold yet, newest first, each with its three best subjects, and
// filing one of them under a subject.
//
// Everything that touches the folders or the texts runs on a thread of its
// own: listing and looking at the folders, reading each new file's text (by
// the reader processes, kept in the text cache), making the scorer from the
// book and its cached texts, and the suggestions. The window's thread only
// copies the book and shows the answers. Local folders are watched (inotify);
// network folders, and those the watch refuses, are looked at every few
// seconds. A file is listed once it has stopped changing.

#include <QObject>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

class QFileSystemWatcher;
class QTimer;
class QWidget;

namespace tavelo {
class CTenorels;
}

namespace tavelo::gui {

class CTenorelDoc;

struct InboxSuggestion {
    CTenorels* record = nullptr; // may have left the book since: see Inbox::Holds
    QString generalTitle;
    QString name;
    QString label; // "Impôts / 2025"
    double score = 0;
    QString reason;
};

struct InboxEntry {
    QString path;
    std::int64_t modifiedNs = 0;
    bool readable = true;
    QString problem; // why it could not be read
    QString note;    // a document of the same name already in the book
    std::vector<InboxSuggestion> suggestions; // best first, up to three
    bool newSubject = true; // none reaches the threshold
};

class Inbox : public QObject {
    Q_OBJECT
public:
    // The book's inbox, made on first use (it belongs to the book).
    static Inbox* For(CTenorelDoc* doc);
    ~Inbox() override;

    // The folders kept for this book (none while the book has no file).
    QStringList Folders() const { return m_folders; }
    void SetFolders(const QStringList& folders);
    // "Ranger dans le dossier du sujet", for every book of this user.
    static bool MovesIntoSubjectFolder();
    static void SetMovesIntoSubjectFolder(bool moves);

    const std::vector<InboxEntry>& Entries() const { return m_entries; }
    // What is wrong with a folder or a file, one French line each.
    QStringList Lines() const;
    // No answer yet from the folders since they were chosen.
    bool Waiting() const { return m_waiting; }

    // Files the entry under the subject as adding a document does (the book
    // becomes modified; a read-only book refuses), after moving it into the
    // subject's folder when the user asked for it. The file is looked at and
    // moved off the window's thread: the subject lists it once that is done.
    // False, the user told, when it is refused at once.
    bool File(const QString& path, CTenorels* subject, QWidget* parent);
    // A document filed in some other way (a scan filed at once): its text is
    // read into the cache and the suggestions count it.
    void Filed(CTenorels* subject, const QString& path);
    // Looks at the folders again soon.
    void Refresh();
    // Whether the record is still one of the book's.
    bool Holds(const CTenorels* record) const;

    // For the tests: how long a file must stay unchanged, how often network
    // folders are looked at.
    static void SetSettleMilliseconds(int ms);
    static void SetPollMilliseconds(int ms);

Q_SIGNALS:
    void changed();

private:
    explicit Inbox(CTenorelDoc* doc);

    struct Copy;
    struct Filing {
        std::size_t subject = 0;
        std::string from;
        std::string to;
    };
    struct Request {
        std::shared_ptr<Copy> copy;
        std::vector<std::string> folders;
        std::vector<Filing> filings;
        std::uint64_t generation = 0;
        // Documents came or went other than by filing: the scorer is made again.
        bool rebuild = false;
    };
    struct FolderState {
        std::string path;
        bool readable = false;
        bool network = false;
    };
    struct Result;

    std::shared_ptr<Copy> TakeCopy() const;
    void LoadFolders();
    void SendRequest();
    void Apply(std::shared_ptr<Result> result);
    void Watch(const std::vector<FolderState>& folders);
    void Work();
    // The file's look and move, then the filing on the window's thread.
    void PostMove(std::function<void()> task);
    void MoveWork();
    void Complete(const QString& path, const QString& to, const QString& message, CTenorels* subject, QWidget* parent);

    CTenorelDoc* m_doc;
    QStringList m_folders;
    std::vector<InboxEntry> m_entries;
    QStringList m_lines;
    QStringList m_folderLines;
    bool m_waiting = false;
    QFileSystemWatcher* m_watcher;
    QTimer* m_soon;    // gathers change notices into one look
    QTimer* m_poll;    // network folders and those not watched
    QTimer* m_settle;  // files still changing are looked at again
    QTimer* m_stalled; // a look that does not come back
    std::int64_t m_askedAtNs = 0;
    std::uint64_t m_generation = 0;
    std::uint64_t m_answered = 0;
    std::vector<Filing> m_filings; // not sent yet
    // The book's documents as the scorer knows them: those of the last
    // request and the filings since.
    std::size_t m_expectedDocuments = 0;
    // Paths filed meanwhile, with the generation that first knows them.
    std::vector<std::pair<QString, std::uint64_t>> m_filed;
    std::set<QString> m_moving; // being looked at or moved

    std::mutex m_mutex; // what follows, with m_wake
    std::condition_variable m_wake;
    std::unique_ptr<Request> m_pending;
    std::deque<std::function<void()>> m_moves;
    bool m_stop = false;
    std::thread m_worker;
    std::thread m_mover;
};

} // namespace tavelo::gui
