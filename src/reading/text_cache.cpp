#include "reading/text_cache.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <tuple>
#include <utility>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/tr.h"
#include "book/file_io.h"
#include "reading/text_cache_sqlite.h"
#include "reading/word_index.h"

// The store: opening the cache, its connections, the questions a search asks
// of it, and the writer thread that keeps what the readers made.

namespace tavelo {

using namespace text_cache_sql;

namespace {

constexpr const char* kDatabaseName = "textes.sqlite3";
// Writes are grouped in transactions of this many documents at most.
constexpr std::size_t kMaxQueuedBytes = std::size_t{32} << 20;

// The log and its index stay when the last connection closes (the log cut to
// nothing, journal_size_limit being set): each search would otherwise create
// both files again, and write the index's pages out, before its first question.
void KeepWalFiles(sqlite3* db)
{
    int keep = 1;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &keep);
}

// Before SQLite's first use in the process: it counts none of its memory,
// which would take a lock at each of its allocations.
void ConfigureSqlite()
{
    [[maybe_unused]] static const int configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}

} // namespace

FileState StateOf(const struct stat& st)
{
    FileState state;
    state.device = static_cast<std::uint64_t>(st.st_dev);
    state.inode = static_cast<std::uint64_t>(st.st_ino);
    state.size = static_cast<std::uint64_t>(st.st_size);
    state.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return state;
}

std::string TextCache::DefaultFolder()
{
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/tavelo";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + "/.cache/tavelo";
    return {};
}

TextCache::TextCache(std::string folder, std::uint64_t capBytes)
    : m_folder(std::move(folder)), m_path(m_folder + "/" + kDatabaseName), m_capBytes(capBytes)
{
}

TextCache::~TextCache()
{
    Flush();
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_wake.notify_all();
    }
    if (m_writerThread.joinable())
        m_writerThread.join();
}

std::unique_ptr<TextCache> TextCache::Disabled()
{
    return std::unique_ptr<TextCache>(new TextCache({}, 0));
}

std::unique_ptr<TextCache> TextCache::Open(const std::string& folder, std::uint64_t capBytes)
{
    ConfigureSqlite();
    std::unique_ptr<TextCache> cache(new TextCache(folder, capBytes));
    if (folder.empty()) {
        cache->Warn(Tr("Search", "Le cache des textes des documents n'a pas d'emplacement (ni XDG_CACHE_HOME ni HOME) : "
                                 "les documents seront lus à chaque recherche."));
        return cache;
    }
    cache->m_enabled = cache->OpenDatabase();
    return cache;
}

std::future<std::unique_ptr<TextCache>> TextCache::OpenInBackground(bool enabled)
{
    return std::async(std::launch::async, [enabled] {
        std::unique_ptr<TextCache> cache = enabled ? Open() : Disabled();
        // The schema is read and the first statement of FindMany prepared;
        // a second connection waits for the texts loaded two at a time, when
        // there are texts to load.
        if (std::unique_ptr<Connection> connection = cache->Acquire()) {
            int code = SQLITE_OK;
            connection->Prepare("SELECT changes, files, state FROM known", code);
            std::unique_ptr<Connection> second = cache->KnowsNothing() ? nullptr : cache->Acquire();
            if (second)
                second->Prepare("SELECT body FROM texts WHERE id = ?1", code);
            cache->Release(std::move(connection));
            if (second)
                cache->Release(std::move(second));
        }
        return cache;
    });
}

bool TextCache::OpenDatabase()
{
    // The folder and the files are the user's alone.
    std::string partial;
    for (std::size_t pos = 1; pos <= m_folder.size(); ++pos) {
        if (pos == m_folder.size() || m_folder[pos] == '/') {
            partial = m_folder.substr(0, pos);
            ::mkdir(partial.c_str(), pos == m_folder.size() ? 0700 : 0755);
        }
    }
    struct stat st {};
    if (::stat(m_folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        Warn(Format(Tr("Search", "Le dossier du cache des textes des documents (%1) ne peut pas être créé : %2. "
                                 "Les documents seront lus à chaque recherche."),
                    {m_folder, DescribeError(errno)}));
        return false;
    }
    if (st.st_uid == ::geteuid() && (st.st_mode & 0077) != 0)
        ::chmod(m_folder.c_str(), 0700);
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Made here so that it is private from its first byte; SQLite gives
        // its journal files the same mode.
        const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) {
            struct stat file {};
            if (::fstat(fd, &file) == 0 && file.st_uid == ::geteuid() && (file.st_mode & 0077) != 0)
                ::fchmod(fd, 0600);
            ::close(fd);
        }
        auto connection = std::make_unique<Connection>();
        int code = sqlite3_open_v2(m_path.c_str(), &connection->db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (code == SQLITE_OK) {
            sqlite3_busy_timeout(connection->db, kBusyWaitMs);
            // Never a sync: the cache holds only what can be read again, and
            // a sync waits for the disk, on a busy one behind every other
            // program's writes. What a crash leaves damaged is rebuilt.
            code = connection->Exec("PRAGMA synchronous=OFF; PRAGMA journal_mode=WAL; PRAGMA journal_size_limit=4194304;");
            KeepWalFiles(connection->db);
        }
        if (code == SQLITE_OK)
            code = RegisterWordTokenizer(connection->db);
        int version = -1;
        if (code == SQLITE_OK) {
            int prepared = SQLITE_OK;
            sqlite3_stmt* statement = connection->Prepare("PRAGMA user_version", prepared);
            code = prepared;
            if (statement != nullptr) {
                code = sqlite3_step(statement);
                if (code == SQLITE_ROW) {
                    version = sqlite3_column_int(statement, 0);
                    code = SQLITE_OK;
                }
                sqlite3_reset(statement);
            }
        }
        if (code == SQLITE_OK && version == 4 && UpgradeFromSchema4(connection->db) == SQLITE_OK)
            version = kSchemaVersion;
        if (code == SQLITE_OK && version == 6 && UpgradeSeen(connection->db) == SQLITE_OK)
            version = kSchemaVersion;
        if (code == SQLITE_OK && version == 7 && UpgradeKnown(connection->db) == SQLITE_OK)
            version = kSchemaVersion;
        if (code == SQLITE_OK && version != kSchemaVersion) {
            // A new cache, or one of another schema: it only holds what can be
            // read again.
            code = CreateSchema(connection->db);
        }
        if (code == SQLITE_OK) {
            // Without it the searches are slower, not wrong.
            AddStateIndex(connection->db);
            // Texts an earlier run kept may still wait for the index.
            m_indexPending = IndexBehind(connection->db);
            m_knowsNothing = KnowsNoFile(connection->db);
            // The connection that checked the schema is the first to read: a
            // search that finds everything in the cache writes nothing, and
            // each connection reads the whole schema again.
            connection->Exec("PRAGMA mmap_size = 268435456");
            m_idle.push_back(std::move(connection));
            return true;
        }
        const std::string detail = connection->db != nullptr ? sqlite3_errmsg(connection->db) : sqlite3_errstr(code);
        connection.reset();
        if (IsDamage(code) && attempt == 0) {
            for (const char* suffix : {"", "-wal", "-shm"})
                ::unlink((m_path + suffix).c_str());
            Warn(Format(Tr("Search", "Le cache des textes des documents (%1) était endommagé : il a été recréé."), {m_folder}));
            continue;
        }
        if (IsBusy(code))
            Warn(Tr("Search", "Le cache des textes des documents est occupé par un autre programme : "
                              "cette recherche lit les documents eux-mêmes."));
        else
            Warn(Format(Tr("Search", "Le cache des textes des documents (%1) ne peut pas être utilisé (%2) : "
                                     "les documents seront lus à chaque recherche."),
                        {m_folder, detail}));
        return false;
    }
    return false;
}

bool TextCache::Enabled() const
{
    return m_enabled;
}

bool TextCache::KnowsNothing()
{
    const std::lock_guard lock(m_mutex);
    return m_enabled && m_knowsNothing;
}

void TextCache::Warn(const std::string& message)
{
    if (m_warned)
        return;
    m_warned = true;
    m_warning = message;
}

std::string TextCache::TakeWarning()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_warning, std::string());
}

void TextCache::Failed(int code, const char* what)
{
    // Called with m_mutex held.
    if (IsBusy(code)) {
        // Each further wait would hold the search up as long: the rest of it
        // reads the documents themselves.
        Warn(Tr("Search", "Le cache des textes des documents est occupé par un autre programme : une partie des documents "
                          "a été lue à nouveau."));
        m_pausedWhileBusy = m_enabled;
        m_enabled = false;
        return;
    }
    if (IsDamage(code)) {
        Warn(Format(Tr("Search", "Le cache des textes des documents (%1) est endommagé : il sera recréé à la prochaine recherche."),
                    {m_folder}));
        // Emptied under the next search, whose schema check starts afresh.
        int opened = SQLITE_OK;
        std::unique_ptr<Connection> writer = m_writer ? nullptr : OpenConnection("", opened);
        if (Connection* marker = m_writer ? m_writer.get() : writer.get())
            marker->Exec("PRAGMA user_version=0");
    } else if ((code & 0xFF) == SQLITE_FULL) {
        Warn(Format(Tr("Search", "Le disque du cache des textes des documents (%1) est plein : les documents seront lus à "
                                 "chaque recherche."),
                    {m_folder}));
    } else {
        Warn(Format(Tr("Search", "Le cache des textes des documents ne peut pas être %1 (%2) : les documents seront lus à "
                                 "chaque recherche."),
                    {Tr("Search", what), sqlite3_errstr(code)}));
    }
    m_enabled = false;
}

std::unique_ptr<TextCache::Connection> TextCache::Acquire()
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_enabled)
            return nullptr;
        if (!m_idle.empty()) {
            std::unique_ptr<Connection> connection = std::move(m_idle.back());
            m_idle.pop_back();
            BeginReading(*connection);
            return connection;
        }
    }
    // Pages read from the file's mapping rather than copied in.
    int code = SQLITE_OK;
    std::unique_ptr<Connection> connection = OpenConnection("PRAGMA mmap_size = 268435456; BEGIN", code);
    if (!connection) {
        const std::lock_guard lock(m_mutex);
        Failed(code, TAVELO_TR_NOOP("Search", "ouvert"));
        return nullptr;
    }
    connection->reading = true;
    return connection;
}

std::unique_ptr<TextCache::Connection> TextCache::OpenConnection(const char* pragmas, int& code) const
{
    auto connection = std::make_unique<Connection>();
    code = sqlite3_open_v2(m_path.c_str(), &connection->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code == SQLITE_OK)
        code = RegisterWordTokenizer(connection->db);
    if (code == SQLITE_OK) {
        sqlite3_busy_timeout(connection->db, kBusyWaitMs);
        // The last connection to close checkpoints: without a sync either.
        KeepWalFiles(connection->db);
        code = connection->Exec("PRAGMA synchronous=OFF; PRAGMA journal_size_limit=4194304;");
    }
    if (code == SQLITE_OK)
        code = connection->Exec(pragmas);
    return code == SQLITE_OK ? std::move(connection) : nullptr;
}

TextCache::Connection* TextCache::Writer()
{
    if (!m_enabled)
        return nullptr;
    if (!m_writer) {
        int code = SQLITE_OK;
        m_writer = OpenConnection("", code);
        if (!m_writer)
            Failed(code, TAVELO_TR_NOOP("Search", "ouvert"));
    }
    return m_enabled ? m_writer.get() : nullptr;
}

void TextCache::NewSnapshot()
{
    const std::lock_guard lock(m_mutex);
    EndReading();
}

// Called with m_mutex held, at the end of a search: the next one sees what
// was written since.
void TextCache::EndReading()
{
    for (const std::unique_ptr<Connection>& connection : m_idle)
        connection->EndReading();
}

void TextCache::Release(std::unique_ptr<Connection> connection)
{
    if (!connection)
        return;
    const std::lock_guard lock(m_mutex);
    m_idle.push_back(std::move(connection));
}

void TextCache::BeginReading(Connection& connection)
{
    if (!connection.reading)
        connection.reading = connection.Exec("BEGIN") == SQLITE_OK;
}

std::optional<CacheEntry> TextCache::Find(const FileState& state, DocumentKind kind)
{
    std::unique_ptr<Connection> connection = Acquire();
    if (!connection)
        return std::nullopt;
    int code = SQLITE_OK;
    sqlite3_stmt* s = connection->Prepare(
        "SELECT f.size, f.mtime, f.version, t.id, t.reason, t.used FROM files f JOIN texts t ON t.id = f.text_id "
        "WHERE f.dev = ?1 AND f.ino = ?2 AND f.kind = ?3 AND t.version = f.version",
        code);
    std::optional<CacheEntry> entry;
    bool touched = false;
    if (s != nullptr) {
        sqlite3_bind_int64(s, 1, Signed(state.device));
        sqlite3_bind_int64(s, 2, Signed(state.inode));
        sqlite3_bind_int(s, 3, static_cast<int>(kind));
        code = sqlite3_step(s);
        if (code == SQLITE_ROW) {
            code = SQLITE_OK;
            if (sqlite3_column_int64(s, 0) == Signed(state.size) && sqlite3_column_int64(s, 1) == state.mtimeNs &&
                sqlite3_column_int64(s, 2) == static_cast<std::int64_t>(KindVersion(kind))) {
                entry.emplace();
                entry->textId = sqlite3_column_int64(s, 3);
                entry->unreadable = sqlite3_column_type(s, 4) != SQLITE_NULL;
                entry->reason = ColumnText(s, 4);
                touched = sqlite3_column_int64(s, 5) < Today();
            }
        } else if (code == SQLITE_DONE) {
            code = SQLITE_OK;
        }
        sqlite3_reset(s);
    }
    Release(std::move(connection));
    const std::lock_guard lock(m_mutex);
    if (code != SQLITE_OK)
        Failed(code, TAVELO_TR_NOOP("Search", "lu"));
    if (touched)
        m_touched.push_back(entry->textId);
    return entry;
}

std::vector<std::optional<CacheEntry>> TextCache::FindMany(const std::vector<std::pair<FileState, DocumentKind>>& files,
                                                           const KnownFiles* known)
{
    std::vector<std::optional<CacheEntry>> entries(files.size());
    if (files.empty())
        return entries;
    std::shared_ptr<const KnownFiles> read;
    if (known == nullptr) {
        read = KnownFilesFor(files.size());
        if (!read)
            return entries;
        known = read.get();
    }
    int code = SQLITE_OK;
    std::unique_ptr<Connection> connection;
    if (!known->whole) {
        connection = Acquire();
        if (!connection)
            return entries;
    }
    const std::int64_t today = Today();
    std::vector<std::int64_t> touched;
    if (known->whole) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            const auto& [state, kind] = files[i];
            const KnownFiles::File* file = known->FindFile(state, kind);
            if (file == nullptr || file->size != Signed(state.size) || file->mtimeNs != state.mtimeNs ||
                file->version != static_cast<std::int64_t>(KindVersion(kind)))
                continue;
            const KnownFiles::Text* text = known->FindText(file->textId);
            if (text == nullptr || text->version != file->version)
                continue;
            std::optional<CacheEntry>& entry = entries[i];
            entry.emplace();
            entry->textId = text->id;
            entry->unreadable = text->reason >= 0;
            if (entry->unreadable)
                entry->reason = known->reasons[static_cast<std::size_t>(text->reason)];
            if (text->used < today)
                touched.push_back(text->id);
        }
    } else {
        sqlite3_stmt* s = connection->Prepare(
            "SELECT f.size, f.mtime, f.version, t.id, t.reason, t.used FROM files f JOIN texts t ON t.id = f.text_id "
            "WHERE f.dev = ?1 AND f.ino = ?2 AND f.kind = ?3 AND t.version = f.version",
            code);
        for (std::size_t i = 0; s != nullptr && code == SQLITE_OK && i < files.size(); ++i) {
            const FileState& state = files[i].first;
            const DocumentKind kind = files[i].second;
            sqlite3_bind_int64(s, 1, Signed(state.device));
            sqlite3_bind_int64(s, 2, Signed(state.inode));
            sqlite3_bind_int(s, 3, static_cast<int>(kind));
            code = Run(s, [&](sqlite3_stmt* row) {
                if (sqlite3_column_int64(row, 0) != Signed(state.size) || sqlite3_column_int64(row, 1) != state.mtimeNs ||
                    sqlite3_column_int64(row, 2) != static_cast<std::int64_t>(KindVersion(kind)))
                    return;
                std::optional<CacheEntry>& entry = entries[i];
                entry.emplace();
                entry->textId = sqlite3_column_int64(row, 3);
                entry->unreadable = sqlite3_column_type(row, 4) != SQLITE_NULL;
                entry->reason = ColumnText(row, 4);
                if (sqlite3_column_int64(row, 5) < today)
                    touched.push_back(entry->textId);
            });
        }
    }
    Release(std::move(connection));
    const std::lock_guard lock(m_mutex);
    if (code != SQLITE_OK) {
        Failed(code, TAVELO_TR_NOOP("Search", "lu"));
        return std::vector<std::optional<CacheEntry>>(files.size());
    }
    m_touched.insert(m_touched.end(), touched.begin(), touched.end());
    return entries;
}

std::optional<CacheEntry> TextCache::FindContent(const ContentHash& hash, DocumentKind kind)
{
    std::optional<CacheEntry> entry;
    ReadRow(
        "SELECT id, reason FROM texts WHERE hash = ?1 AND kind = ?2 AND version = ?3",
        [&](sqlite3_stmt* s) {
            sqlite3_bind_blob(s, 1, hash.data(), static_cast<int>(hash.size()), SQLITE_STATIC);
            sqlite3_bind_int(s, 2, static_cast<int>(kind));
            sqlite3_bind_int(s, 3, static_cast<int>(KindVersion(kind)));
        },
        [&](sqlite3_stmt* s) {
            entry.emplace();
            entry->textId = sqlite3_column_int64(s, 0);
            entry->unreadable = sqlite3_column_type(s, 1) != SQLITE_NULL;
            entry->reason = ColumnText(s, 1);
        });
    return entry;
}

std::optional<DocumentText> TextCache::LoadText(std::int64_t textId)
{
    std::optional<DocumentText> text;
    bool damaged = false;
    ReadRow(
        "SELECT body, layout FROM texts WHERE id = ?1", [&](sqlite3_stmt* s) { sqlite3_bind_int64(s, 1, textId); },
        [&](sqlite3_stmt* s) {
            DocumentText stored;
            if (DocumentText::FromStored(ColumnText(s, 0), ColumnBlob(s, 1), stored))
                text = std::move(stored);
            else
                damaged = true;
        });
    if (damaged) {
        const std::lock_guard lock(m_mutex);
        Failed(SQLITE_CORRUPT, TAVELO_TR_NOOP("Search", "lu"));
    }
    return text;
}

std::optional<std::string> TextCache::LoadBody(std::int64_t textId)
{
    std::optional<std::string> body;
    ReadRow(
        "SELECT body FROM texts WHERE id = ?1", [&](sqlite3_stmt* s) { sqlite3_bind_int64(s, 1, textId); },
        [&](sqlite3_stmt* s) { body = ColumnText(s, 0); });
    return body;
}

void TextCache::ReadRow(const char* sql, const std::function<void(sqlite3_stmt*)>& bind,
                        const std::function<void(sqlite3_stmt*)>& read)
{
    std::unique_ptr<Connection> connection = Acquire();
    if (!connection)
        return;
    int code = SQLITE_OK;
    if (sqlite3_stmt* s = connection->Prepare(sql, code)) {
        bind(s);
        code = sqlite3_step(s);
        if (code == SQLITE_ROW) {
            code = SQLITE_OK;
            read(s);
        } else if (code == SQLITE_DONE) {
            code = SQLITE_OK;
        }
        sqlite3_reset(s);
    }
    Release(std::move(connection));
    if (code != SQLITE_OK) {
        const std::lock_guard lock(m_mutex);
        Failed(code, TAVELO_TR_NOOP("Search", "lu"));
    }
}

int TextCache::WriteLink(const FileState& state, DocumentKind kind, std::int64_t textId)
{
    int code = SQLITE_OK;
    sqlite3_stmt* s = m_writer->Prepare("INSERT OR REPLACE INTO files(dev, ino, kind, size, mtime, version, text_id) "
                                        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
                                        code);
    if (s == nullptr)
        return code;
    sqlite3_bind_int64(s, 1, Signed(state.device));
    sqlite3_bind_int64(s, 2, Signed(state.inode));
    sqlite3_bind_int(s, 3, static_cast<int>(kind));
    sqlite3_bind_int64(s, 4, Signed(state.size));
    sqlite3_bind_int64(s, 5, state.mtimeNs);
    sqlite3_bind_int(s, 6, static_cast<int>(KindVersion(kind)));
    sqlite3_bind_int64(s, 7, textId);
    return Run(s);
}

int TextCache::WriteText(const PendingWrite& write, std::int64_t& id)
{
    int code = SQLITE_OK;
    sqlite3_stmt* s = m_writer->Prepare(
        "INSERT INTO texts(hash, kind, version, reason, layout, body, bytes, used) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) "
        "ON CONFLICT(hash, kind, version) DO UPDATE SET used = excluded.used RETURNING id",
        code);
    if (s == nullptr)
        return code;
    const std::string_view body = write.hasText ? std::string_view(write.text.Body()) : std::string_view();
    const std::string_view layout = write.hasText ? std::string_view(write.text.Layout()) : std::string_view();
    BindHash(s, 1, write.hash);
    sqlite3_bind_int(s, 2, static_cast<int>(write.kind));
    sqlite3_bind_int(s, 3, static_cast<int>(KindVersion(write.kind)));
    if (!write.hasText)
        BindText(s, 4, write.reason);
    BindBlob(s, 5, layout);
    BindText(s, 6, body);
    sqlite3_bind_int64(s, 7, static_cast<std::int64_t>(body.size() + layout.size()));
    sqlite3_bind_int64(s, 8, Today());
    return Run(s, [&id](sqlite3_stmt* row) { id = sqlite3_column_int64(row, 0); });
}

// On the writer thread, without m_mutex: one transaction for the batch.
int TextCache::WriteBatch(const std::vector<PendingWrite>& batch, bool settle)
{
    // A folder's row is written whole: during a search, the paths wait for
    // many batches, or for its end, rather than rewrite it for each.
    constexpr std::size_t kPathsAtOnce = 4096;
    int code = m_writer->Exec("BEGIN IMMEDIATE");
    for (const PendingWrite& write : batch) {
        if (code != SQLITE_OK)
            break;
        switch (write.what) {
        case PendingWrite::kText: {
            std::int64_t id = 0;
            code = WriteText(write, id);
            if (code == SQLITE_OK)
                code = WriteLink(write.state, write.kind, id);
            break;
        }
        case PendingWrite::kLink: code = WriteLink(write.state, write.kind, write.textId); break;
        case PendingWrite::kPath: break;
        }
        AddSeen(m_seenPending, write.path, {write.state.size, write.hash});
        ++m_seenPendingCount;
    }
    const bool changes = std::any_of(batch.begin(), batch.end(),
                                     [](const PendingWrite& write) { return write.what != PendingWrite::kPath; });
    if (code == SQLITE_OK && changes)
        code = CountChange(m_writer->db);
    if (code == SQLITE_OK && (settle || m_seenPendingCount >= kPathsAtOnce)) {
        code = WriteSeen(m_seenPending);
        m_seenPending.clear();
        m_seenPendingCount = 0;
    }
    if (code == SQLITE_OK)
        code = m_writer->Exec("COMMIT");
    if (code != SQLITE_OK) {
        m_writer->Exec("ROLLBACK");
        // What was seen is only lost, never tried again and again.
        m_seenPending.clear();
        m_seenPendingCount = 0;
    }
    return code;
}

void TextCache::WriterLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Whoever waits for the writer may be writing in its place.
        m_wake.wait(lock, [&] { return !m_writing && (m_stopping || WorthWriting() || MayIndex()); });
        if ((m_queue.empty() && !SeenDue()) || !(m_stopping || WorthWriting())) {
            if (CatchUpIndex(lock))
                continue;
            if (m_stopping)
                return;
            continue;
        }
        WriteQueue(lock);
    }
}

// With m_mutex held and nobody writing: what is queued is written, the lock
// released meanwhile.
void TextCache::WriteQueue(std::unique_lock<std::mutex>& lock)
{
    std::vector<PendingWrite> batch = std::move(m_queue);
    m_queue.clear();
    m_queueBytes = 0;
    m_queuedTexts = 0;
    m_writing = true;
    const bool enabled = m_enabled;
    const bool settle = m_stopping || m_waiting > 0 || !m_searching;
    lock.unlock();
    int code = SQLITE_OK;
    if (enabled)
        code = WriteBatch(batch, settle);
    else
        m_seenPending.clear();
    const bool textsKept = std::any_of(batch.begin(), batch.end(),
                                       [](const PendingWrite& write) { return write.what == PendingWrite::kText; });
    batch.clear();
    lock.lock();
    m_writing = false;
    m_seenHeld = !m_seenPending.empty();
    if (code != SQLITE_OK)
        Failed(code, TAVELO_TR_NOOP("Search", "écrit"));
    else if (textsKept)
        m_indexPending = true;
    m_caughtUp.notify_all();
    // The writer may have been woken meanwhile, and waited for this.
    m_wake.notify_all();
}

// Called with m_mutex held: the writer has written everything handed to it.
void TextCache::WaitForWriter(std::unique_lock<std::mutex>& lock)
{
    ++m_waiting;
    // An idle writer is not woken and waited for: this thread writes what
    // is queued itself, on the writer's connection.
    if ((!m_queue.empty() || m_seenHeld) && !m_writing && m_writer != nullptr)
        WriteQueue(lock);
    if (!m_queue.empty() || m_seenHeld)
        m_wake.notify_all();
    m_caughtUp.wait(lock, [this] { return m_queue.empty() && !m_writing && !m_seenHeld; });
    --m_waiting;
    // Leaves the index to the writer again once the lock is free.
    if (m_indexPending && m_waiting == 0)
        m_wake.notify_all();
}

void TextCache::StartWriter()
{
    if (Writer() != nullptr && !m_writerThread.joinable())
        m_writerThread = std::thread([this] { WriterLoop(); });
}

void TextCache::Queue(PendingWrite write)
{
    std::unique_lock lock(m_mutex);
    QueueLocked(lock, std::move(write));
}

void TextCache::QueueLocked(std::unique_lock<std::mutex>& lock, PendingWrite write)
{
    if (Writer() == nullptr)
        return;
    m_knowsNothing = false;
    StartWriter();
    // Texts wait in memory for the writer; never more than this much.
    m_caughtUp.wait(lock, [this] { return m_queueBytes < kMaxQueuedBytes; });
    m_queueBytes += write.text.Size() + write.path.size() + 64;
    if (write.what != PendingWrite::kPath) {
        ++m_queuedTexts;
        ++m_changesQueued;
    }
    m_queue.push_back(std::move(write));
    if (WorthWriting())
        m_wake.notify_one();
}

// With m_mutex held: the paths the writer holds are to be written now, for
// someone who waits, or because no search runs.
bool TextCache::SeenDue() const
{
    return m_seenHeld && (m_stopping || m_waiting > 0 || !m_searching);
}

// With m_mutex held. A transaction costs the writer more than the rows in it:
// during a search, what is queued waits until there is enough of it, or until
// someone needs it written.
bool TextCache::WorthWriting() const
{
    constexpr std::size_t kTextsAtOnce = 64;
    constexpr std::size_t kRowsAtOnce = 256;
    if (m_queue.empty())
        return SeenDue();
    if (m_waiting > 0 || m_queueBytes >= kMaxQueuedBytes / 8 || m_queue.size() >= kRowsAtOnce)
        return true;
    return m_queuedTexts > 0 && (!m_searching || m_queuedTexts >= kTextsAtOnce);
}

void TextCache::Store(const std::string& path, const FileState& state, DocumentKind kind, const ContentHash& hash,
                      const DocumentText* text, std::string_view unreadableReason)
{
    PendingWrite write;
    write.what = PendingWrite::kText;
    write.path = path;
    write.state = state;
    write.kind = kind;
    write.hash = hash;
    write.hasText = text != nullptr;
    if (text != nullptr)
        write.text = *text;
    else
        write.reason = unreadableReason;
    Queue(std::move(write));
}

void TextCache::Link(const std::string& path, const FileState& state, DocumentKind kind, const ContentHash& hash,
                     std::int64_t textId)
{
    PendingWrite write;
    write.what = PendingWrite::kLink;
    write.path = path;
    write.state = state;
    write.kind = kind;
    write.hash = hash;
    write.textId = textId;
    Queue(std::move(write));
}

void TextCache::RememberPath(const std::string& path, std::uint64_t size, const ContentHash& hash)
{
    std::vector<SeenPath> one{{path, size, hash}};
    RememberPaths(one);
}

void TextCache::RememberPaths(std::vector<SeenPath>& paths)
{
    constexpr std::size_t kMaxRemembered = 500000;
    std::vector<PendingWrite> writes;
    writes.reserve(paths.size());
    {
        // The readers' threads come here at once: the queue's lock is held
        // only to hand the rows over.
        const std::lock_guard lock(m_rememberedMutex);
        for (SeenPath& seen : paths) {
            const std::pair<std::uint64_t, ContentHash> state{seen.size, seen.hash};
            const auto [it, added] = m_remembered.try_emplace(seen.path, state);
            if (!added && it->second == state)
                continue;
            it->second = state;
            if (m_remembered.size() > kMaxRemembered)
                m_remembered.clear();
            PendingWrite& write = writes.emplace_back();
            write.what = PendingWrite::kPath;
            write.path = std::move(seen.path);
            write.state.size = seen.size;
            write.hash = seen.hash;
        }
    }
    paths.clear();
    if (writes.empty())
        return;
    std::unique_lock lock(m_mutex);
    for (PendingWrite& write : writes)
        QueueLocked(lock, std::move(write));
}

std::optional<KnownFile> TextCache::LastSeen(const std::string& path)
{
    {
        std::unique_lock lock(m_mutex);
        WaitForWriter(lock);
        EndReading();
    }
    return KnownPath(path);
}

void TextCache::Flush()
{
    std::unique_lock lock(m_mutex);
    WaitForWriter(lock);
    EndReading();
    if (!m_enabled)
        return;
    if (!m_touched.empty() && Writer() != nullptr && m_writer->Exec("BEGIN IMMEDIATE") == SQLITE_OK) {
        int code = SQLITE_OK;
        sqlite3_stmt* s = m_writer->Prepare("UPDATE texts SET used = ?1 WHERE id = ?2", code);
        for (const std::int64_t id : m_touched) {
            if (s == nullptr || code != SQLITE_OK)
                break;
            sqlite3_bind_int64(s, 1, Today());
            sqlite3_bind_int64(s, 2, id);
            code = Run(s);
        }
        if (code == SQLITE_OK)
            code = CountChange(m_writer->db);
        m_writer->Exec(code == SQLITE_OK ? "COMMIT" : "ROLLBACK");
    }
    m_touched.clear();
    if (m_enabled)
        Evict();
    if (m_enabled)
        KeepKnown();
    // The texts of this search go into the full-text index now, off the
    // search's time.
    m_searching = false;
    if (m_indexPending)
        StartWriter();
    m_wake.notify_all();
}

bool TextCache::OpenedForWriting()
{
    const std::lock_guard lock(m_mutex);
    return m_writer != nullptr;
}

void TextCache::Resume()
{
    const std::lock_guard lock(m_mutex);
    // The index waits while a search runs: the readers have the processors.
    m_searching = true;
    if (m_pausedWhileBusy) {
        m_pausedWhileBusy = false;
        m_enabled = true;
    }
}

std::optional<CacheStats> TextCache::Stats()
{
    std::unique_lock lock(m_mutex);
    WaitForWriter(lock);
    if (Writer() == nullptr)
        return std::nullopt;
    CacheStats stats;
    stats.folder = m_folder;
    stats.capBytes = m_capBytes;
    int code = SQLITE_OK;
    sqlite3_stmt* s = m_writer->Prepare(
        "SELECT (SELECT count(*) FROM files), count(*), (SELECT bytes FROM totals) FROM texts", code);
    if (s != nullptr)
        code = Run(s, [&stats](sqlite3_stmt* row) {
            stats.files = static_cast<std::uint64_t>(sqlite3_column_int64(row, 0));
            stats.texts = static_cast<std::uint64_t>(sqlite3_column_int64(row, 1));
            stats.textBytes = static_cast<std::uint64_t>(sqlite3_column_int64(row, 2));
        });
    if (code != SQLITE_OK) {
        Failed(code, TAVELO_TR_NOOP("Search", "lu"));
        return std::nullopt;
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
        struct stat st {};
        if (::stat((m_path + suffix).c_str(), &st) == 0)
            stats.fileBytes += static_cast<std::uint64_t>(st.st_size);
    }
    return stats;
}

bool TextCache::Clear(std::string& reason)
{
    std::unique_lock lock(m_mutex);
    WaitForWriter(lock);
    EndReading();
    if (Writer() == nullptr) {
        reason = m_warning.empty() ? TAVELO_TR_NOOP("Search", "le cache des textes des documents n'est pas disponible") : m_warning;
        return false;
    }
    m_touched.clear();
    m_knownToKeep = {};
    {
        const std::lock_guard remembered(m_rememberedMutex);
        m_remembered.clear();
    }
    m_seenPending.clear();
    m_seenPendingCount = 0;
    int code = m_writer->Exec("BEGIN IMMEDIATE");
    if (code == SQLITE_OK)
        code = m_writer->Exec("DELETE FROM files; DELETE FROM seen; DELETE FROM texts;");
    if (code == SQLITE_OK)
        code = CountChange(m_writer->db);
    if (code == SQLITE_OK)
        code = ClearIndex(m_writer->db);
    if (code == SQLITE_OK)
        code = m_writer->Exec("COMMIT");
    if (code != SQLITE_OK) {
        m_writer->Exec("ROLLBACK");
        reason = IsBusy(code) ? TAVELO_TR_NOOP("Search", "il est occupé par un autre programme") : sqlite3_errmsg(m_writer->db);
        return false;
    }
    m_knowsNothing = true;
    // Gives the room back to the disk; a cache in use elsewhere keeps it.
    m_writer->Exec("VACUUM");
    m_writer->Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return true;
}

} // namespace tavelo
