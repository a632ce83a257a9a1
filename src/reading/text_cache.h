#pragma once
// The per-user cache of the text read out of documents, so that a document is
// read once until it changes. SQLite, under $XDG_CACHE_HOME/tavelo (by default
// ~/.cache/tavelo), private to the user: it holds the text of tax notices and
// bank letters.
//
// Two levels: a file's identity and state (device, inode, size, modification
// time to the nanosecond, and the reader's version) lead to a hash of its
// bytes, and the hash leads to the text. A moved, renamed or copied document
// is recognised by its bytes and not read again. The last hash seen at each
// path is kept too, so that a document that has since moved can be found again
// by its content.
//
// It is a cache: a damaged, locked or unwritable one never fails a search. It
// is rebuilt or skipped, with at most one warning (TakeWarning).

#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <sys/stat.h>

#include "reading/content_hash.h"
#include "reading/document_text.h"
#include "reading/kinds.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tavelo {

inline constexpr std::uint64_t kDefaultCacheCapBytes = std::uint64_t{1} << 30;

struct FileState {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
};

FileState StateOf(const struct stat& st);

// What the cache knows of a document's text.
struct CacheEntry {
    std::int64_t textId = 0;
    bool unreadable = false;
    std::string reason; // when unreadable
};

// The texts that may hold a literal, among those the cache held when it was
// asked: a text kept since (a greater id) may hold it too.
struct TextCandidates {
    std::unordered_set<std::int64_t> ids;
    std::int64_t upTo = 0;

    bool RulesOut(std::int64_t textId) const { return textId <= upTo && ids.count(textId) == 0; }
};

struct KnownFile {
    std::uint64_t size = 0;
    ContentHash hash{};
};

struct CacheStats {
    std::string folder;
    std::uint64_t files = 0;      // identities known
    std::uint64_t texts = 0;      // texts and verdicts kept
    std::uint64_t textBytes = 0;  // their size
    std::uint64_t fileBytes = 0;  // the database on disk
    std::uint64_t capBytes = 0;
};

class TextCache {
public:
    // $XDG_CACHE_HOME/tavelo, or ~/.cache/tavelo.
    static std::string DefaultFolder();

    // Opens or creates the cache in `folder` (made 0700; files 0600). Never
    // fails: a cache that cannot be used is disabled, and says why once.
    static std::unique_ptr<TextCache> Open(const std::string& folder = DefaultFolder(),
                                           std::uint64_t capBytes = kDefaultCacheCapBytes);
    // Open (or Disabled, without `enabled`) on a thread of its own, with a
    // connection ready for the first questions of a search: a program that
    // searches once reads its book meanwhile.
    static std::future<std::unique_ptr<TextCache>> OpenInBackground(bool enabled = true);
    // A cache that keeps nothing (--no-cache).
    static std::unique_ptr<TextCache> Disabled();

    ~TextCache();
    TextCache(const TextCache&) = delete;
    TextCache& operator=(const TextCache&) = delete;

    bool Enabled() const;
    // True when the cache holds nothing of any file, as after it was emptied:
    // nothing there is worth looking up. Another program may have filled it
    // since it was opened.
    bool KnowsNothing();
    // The warning about this cache, once; empty when there is none or it was
    // taken already.
    std::string TakeWarning();

    // All calls below are safe from several threads at once.

    // The text read from the file in this state by this kind's reader.
    std::optional<CacheEntry> Find(const FileState& state, DocumentKind kind);
    // Every file the cache knows, read in one pass when the cache holds few
    // more files than the `asked` to come, for FindMany to answer from; else
    // only that a search for each costs less. Nothing when the cache cannot
    // tell. It can be read while the files are looked at on disk.
    struct KnownFiles;
    std::shared_ptr<const KnownFiles> KnownFilesFor(std::size_t asked);
    // Find for many files at once, in the same order: from `known`, or with
    // one connection and one pass over the cache when it holds few more files
    // than are asked.
    std::vector<std::optional<CacheEntry>> FindMany(const std::vector<std::pair<FileState, DocumentKind>>& files,
                                                    const KnownFiles* known = nullptr);
    // The text read from other files of the same bytes by this kind's reader.
    std::optional<CacheEntry> FindContent(const ContentHash& hash, DocumentKind kind);
    std::optional<DocumentText> LoadText(std::int64_t textId);
    // A text's characters as stored, unchecked: for a look at part of them,
    // which the caller checks; LoadText checks the whole.
    std::optional<std::string> LoadBody(std::int64_t textId);
    // The texts in which one of `literals` (three ASCII characters or more
    // each) occurs, without regard to case: a superset of the texts where a
    // search for them can match. Nothing when the cache cannot tell.
    std::optional<TextCandidates> TextsContaining(const std::vector<std::string>& literals);

    // The texts whose words match a query of the word index (FTS5 syntax over
    // the quick search's folded words), in order of id; `upTo` says up to
    // which id the index holds every text. Nothing when the cache cannot tell.
    // With `hits`, also how many times each of those texts holds the query's
    // phrases and where the first begins, in the same order.
    struct WordHits {
        std::uint32_t count = 0;
        std::uint32_t firstWord = 0; // the place of its first word among the text's words
    };
    std::optional<std::vector<std::int64_t>> TextsWithWords(const std::string& wordQuery, std::int64_t& upTo,
                                                            std::vector<WordHits>* hits = nullptr);
    // The next question sees what was written since the last one.
    void NewSnapshot();

    // Keeps what a reader made of the file at `path`: its text, or that it
    // cannot be read and why.
    void Store(const std::string& path, const FileState& state, DocumentKind kind, const ContentHash& hash,
               const DocumentText* text, std::string_view unreadableReason = {});
    // Links this file state to a text already kept (FindContent's).
    void Link(const std::string& path, const FileState& state, DocumentKind kind, const ContentHash& hash,
              std::int64_t textId);
    // Only the path's hash, for documents whose text is not kept (plain text).
    void RememberPath(const std::string& path, std::uint64_t size, const ContentHash& hash);
    struct SeenPath {
        std::string path;
        std::uint64_t size = 0;
        ContentHash hash{};
    };
    // RememberPath for many paths under one lock, which threads reading at
    // once would otherwise take in turn for each file; empties `paths`.
    void RememberPaths(std::vector<SeenPath>& paths);
    // The size and hash last seen at this path.
    std::optional<KnownFile> LastSeen(const std::string& path);
    // LastSeen for many paths, in the same order, without waiting for what
    // this object has still to write: one pass over the cache when it knows
    // few more paths than are asked.
    std::vector<std::optional<KnownFile>> LastSeenMany(const std::vector<std::string_view>& paths);

    // Writes what is pending and keeps the cache within its size; called at
    // the end of a search.
    // Texts kept during a search go into the full-text index
    // (TextsContaining) after it, on the writer's thread.
    void Flush();
    // Whether this run has opened the cache for writing: it has written to
    // it, or has had something to write. One that has not, once flushed,
    // leaves the file as another run may find it without a close.
    bool OpenedForWriting();
    // Waits until every text kept is in the full-text index.
    void FinishIndexing();
    // Before a search: a cache that another program kept busy during the last
    // one is tried again.
    void Resume();

    std::optional<CacheStats> Stats();
    // Empties the cache; false with a French reason when it cannot.
    bool Clear(std::string& reason);

private:
    struct Connection;
    TextCache(std::string folder, std::uint64_t capBytes);
    bool OpenDatabase();
    void Warn(const std::string& message);
    // A connection of this object's pool, or nullptr when disabled.
    std::unique_ptr<Connection> Acquire();
    void Release(std::unique_ptr<Connection> connection);
    // Called with m_mutex held: the connection that writes, opened the first
    // time something is to be written; nullptr when the cache cannot be used.
    Connection* Writer();
    // A connection to the cache's file, `pragmas` run on it; nullptr, with
    // `code` set, when it cannot be opened.
    std::unique_ptr<Connection> OpenConnection(const char* pragmas, int& code) const;
    // The first row of `sql` on a reading connection, its parameters bound
    // by `bind`, read by `read` when there is one; a failure is reported.
    void ReadRow(const char* sql, const std::function<void(sqlite3_stmt*)>& bind,
                 const std::function<void(sqlite3_stmt*)>& read);
    void BeginReading(Connection& connection);
    static int ReadKnownFiles(Connection& connection, KnownFiles& known);
    void KeepKnown();
    // LastSeen's lookup, without waiting for the writer.
    std::optional<KnownFile> KnownPath(const std::string& path);
    void EndReading();
    // What Store, Link and RememberPath leave to the writer thread, which
    // writes it in large transactions while the search goes on.
    struct PendingWrite {
        enum What { kText, kLink, kPath } what = kText;
        std::string path;
        FileState state;
        DocumentKind kind = DocumentKind::kOther;
        ContentHash hash{};
        bool hasText = false;
        DocumentText text;
        std::string reason;
        std::int64_t textId = 0;
    };
    void Failed(int code, const char* what);
    void Queue(PendingWrite write);
    void QueueLocked(std::unique_lock<std::mutex>& lock, PendingWrite write);
    bool WorthWriting() const;
    bool SeenDue() const;
    void WriterLoop();
    void WriteQueue(std::unique_lock<std::mutex>& lock);
    void StartWriter();
    bool IndexSome();
    bool MayIndex() const;
    bool CatchUpIndex(std::unique_lock<std::mutex>& lock);
    void WaitForWriter(std::unique_lock<std::mutex>& lock);
    int WriteBatch(const std::vector<PendingWrite>& batch, bool settle);
    int WriteText(const PendingWrite& write, std::int64_t& id);
    int WriteSeen(const std::map<std::string, std::map<std::string, KnownFile>>& updates);
    int WriteLink(const FileState& state, DocumentKind kind, std::int64_t textId);
    void Evict();

    std::string m_folder;
    std::string m_path;
    std::uint64_t m_capBytes;
    std::mutex m_mutex; // pool, writer, warning
    std::vector<std::unique_ptr<Connection>> m_idle;
    std::unique_ptr<Connection> m_writer;
    std::vector<PendingWrite> m_queue;
    std::size_t m_queueBytes = 0;
    std::size_t m_queuedTexts = 0; // texts and links in m_queue
    bool m_writing = false;
    bool m_stopping = false;
    bool m_indexPending = false; // texts may be missing from the full-text index
    bool m_searching = false;    // between Resume and Flush
    int m_waiting = 0;           // threads in WaitForWriter
    // The paths the writer has taken from the queue and not written yet, by
    // folder; touched by whoever writes (m_writing), and m_seenHeld says so.
    std::map<std::string, std::map<std::string, KnownFile>> m_seenPending;
    std::size_t m_seenPendingCount = 0;
    bool m_seenHeld = false;
    // What RememberPath wrote in this run, so that an unchanged file is not
    // written again at every search.
    std::mutex m_rememberedMutex;
    std::unordered_map<std::string, std::pair<std::uint64_t, ContentHash>> m_remembered;
    std::condition_variable m_wake; // the writer: something to write
    std::condition_variable m_caughtUp; // the others: the writer caught up
    std::thread m_writerThread;
    bool m_enabled = false;
    bool m_pausedWhileBusy = false;
    bool m_knowsNothing = false; // at open, and until something is written or after Clear
    bool m_warned = false;
    std::string m_warning;
    std::vector<std::int64_t> m_touched; // texts used, to mark recent at Flush
    // The state KnownFilesFor read from the rows, with the count of changes
    // it read with it and m_changesQueued then, for KeepKnown.
    struct KnownToKeep {
        std::int64_t changes = 0;
        std::uint64_t queued = 0;
        std::shared_ptr<const KnownFiles> known;
    } m_knownToKeep;
    std::uint64_t m_changesQueued = 0; // texts and links handed to the writer, ever
};

} // namespace tavelo
