#pragma once
// What the parts of the text cache share, and nothing else includes: small
// SQLite helpers, a connection with its prepared statements, and the schema.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <sqlite3.h>

#include "reading/text_cache.h"

namespace tavelo {

namespace text_cache_sql {

inline std::int64_t Today()
{
    using namespace std::chrono;
    return duration_cast<hours>(system_clock::now().time_since_epoch()).count() / 24;
}

// How long a connection waits for another program's write before it gives
// up on the cache for the rest of the search.
inline constexpr int kBusyWaitMs = 2000;

inline std::int64_t Signed(std::uint64_t value)
{
    return static_cast<std::int64_t>(value);
}

inline bool IsDamage(int code)
{
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

inline bool IsBusy(int code)
{
    const int primary = code & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

inline std::string ColumnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text != nullptr ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                           : std::string();
}

inline std::string ColumnBlob(sqlite3_stmt* statement, int column)
{
    const auto* blob = static_cast<const char*>(sqlite3_column_blob(statement, column));
    return blob != nullptr ? std::string(blob, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                           : std::string();
}

// Runs a statement that returns no row, or one row read by `row`.
template <typename Row>
inline int Run(sqlite3_stmt* s, Row&& row)
{
    int code = sqlite3_step(s);
    if (code == SQLITE_ROW) {
        row(s);
        code = sqlite3_step(s);
    }
    sqlite3_reset(s);
    return code == SQLITE_DONE ? SQLITE_OK : code;
}

// Runs a query and reads each of its rows with `row`.
template <typename Row>
inline int RunEach(sqlite3_stmt* s, Row&& row)
{
    int code;
    while ((code = sqlite3_step(s)) == SQLITE_ROW)
        row(s);
    sqlite3_reset(s);
    return code == SQLITE_DONE ? SQLITE_OK : code;
}

inline int Run(sqlite3_stmt* s)
{
    return Run(s, [](sqlite3_stmt*) {});
}

inline void BindHash(sqlite3_stmt* s, int index, const ContentHash& hash)
{
    sqlite3_bind_blob(s, index, hash.data(), static_cast<int>(hash.size()), SQLITE_STATIC);
}

// An empty view may have no data at all, which SQLite would store as NULL.
inline void BindText(sqlite3_stmt* s, int index, std::string_view text)
{
    sqlite3_bind_text(s, index, text.empty() ? "" : text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

inline void BindBlob(sqlite3_stmt* s, int index, std::string_view bytes)
{
    sqlite3_bind_blob(s, index, bytes.empty() ? "" : bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
}

// The version of the tables below, kept in `PRAGMA user_version`; a cache of
// another version is emptied.
extern const int kSchemaVersion;
// Empties the cache and makes its tables anew, at this build's schema
// version, in one transaction (text_cache_index.cpp, with the full-text
// tables).
int CreateSchema(sqlite3* db);
// Whether texts wait for the full-text index (true when it cannot tell).
bool IndexBehind(sqlite3* db);
// Whether the cache knows no file and no path (false when it cannot tell).
bool KnowsNoFile(sqlite3* db);
// Empties the full-text index once the texts are removed.
int ClearIndex(sqlite3* db);
// Brings a cache of schema 4 (before the counted size and the word index) to
// this one, keeping its texts.
int UpgradeFromSchema4(sqlite3* db);
// Adds, when it is missing, the index that lets a search read the state of
// every text without reading the texts.
int AddStateIndex(sqlite3* db);
// Makes the table of the paths last seen, one row per folder, in place of
// the row per path of schema 6 and before.
int UpgradeSeen(sqlite3* db);

// A file last seen in a folder, and the folder's row of them, sorted by name
// (text_cache_seen.cpp).
struct SeenFile {
    std::string name;
    KnownFile known;
};
std::string EncodeSeen(const std::vector<SeenFile>& files);
// False when the row is damaged.
bool DecodeSeen(std::string_view blob, std::vector<SeenFile>& files);
// What a batch saw, by folder, then by name.
using SeenUpdates = std::map<std::string, std::map<std::string, KnownFile>>;
void AddSeen(SeenUpdates& updates, std::string_view path, const KnownFile& known);

// The count of the changes made to `files` and `texts`, which the
// transaction that makes one adds to: the state of both that a search read
// before it (`known.state`) is dropped.
int CountChange(sqlite3* db);
// Makes the row of the files and texts known in one piece, in place of
// schema 7's reading of every row (text_cache_index.cpp).
int UpgradeKnown(sqlite3* db);

// The state of every file and text in one row, as EncodeKnown writes it
// (text_cache_known.cpp).
std::string EncodeKnown(const TextCache::KnownFiles& known);
// False when the row is damaged, or written by a build of another layout.
bool DecodeKnown(std::string_view blob, TextCache::KnownFiles& known);

} // namespace text_cache_sql

// Every row of `files` in the order of the table's key, and the state of
// every text, in order of id: what a search asks of the cache for each of its
// documents, read at once.
struct TextCache::KnownFiles {
    // Both laid out without padding, so that they are kept as they stand.
    struct File {
        std::int64_t device, inode, size, mtimeNs, version, textId;
        std::int32_t kind, unused;

        // The table's key, by which `files` is sorted.
        auto Key() const { return std::make_tuple(device, inode, kind); }
    };
    // Sorted, so kept small: the reasons stand apart.
    struct Text {
        std::int64_t id, version, used;
        std::int32_t reason; // in `reasons`; -1 when the text is readable
        std::int32_t unused;
    };
    // False when the cache holds too many files for one pass: FindMany
    // then searches for each, and `files` and `texts` are empty.
    bool whole = false;
    std::vector<File> files;
    std::vector<Text> texts;
    std::vector<std::string> reasons;

    const File* FindFile(const FileState& state, DocumentKind kind) const
    {
        const auto key = std::make_tuple(text_cache_sql::Signed(state.device), text_cache_sql::Signed(state.inode),
                                         static_cast<std::int32_t>(kind));
        const auto at = std::lower_bound(files.begin(), files.end(), key,
                                         [](const File& f, const auto& k) { return f.Key() < k; });
        return at != files.end() && at->Key() == key ? &*at : nullptr;
    }
    const Text* FindText(std::int64_t id) const
    {
        const auto at =
            std::lower_bound(texts.begin(), texts.end(), id, [](const Text& t, std::int64_t i) { return t.id < i; });
        return at != texts.end() && at->id == id ? &*at : nullptr;
    }
};

// One database connection and its statements, each prepared once.
struct TextCache::Connection {
    sqlite3* db = nullptr;
    std::map<std::string, sqlite3_stmt*, std::less<>> statements;
    // A read transaction spans a whole search: one snapshot, and no lock
    // taken and released for every document.
    bool reading = false;

    void EndReading()
    {
        if (reading)
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        reading = false;
    }

    ~Connection()
    {
        for (auto& [sql, statement] : statements)
            sqlite3_finalize(statement);
        sqlite3_close_v2(db);
    }

    // The statement for `sql`, reset and ready for binding; nullptr on error
    // (`code` says which).
    sqlite3_stmt* Prepare(std::string_view sql, int& code)
    {
        const auto found = statements.find(sql);
        if (found != statements.end()) {
            sqlite3_reset(found->second);
            sqlite3_clear_bindings(found->second);
            code = SQLITE_OK;
            return found->second;
        }
        sqlite3_stmt* statement = nullptr;
        code = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &statement,
                                  nullptr);
        if (code != SQLITE_OK)
            return nullptr;
        statements.emplace(std::string(sql), statement);
        return statement;
    }

    int Exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

} // namespace tavelo
