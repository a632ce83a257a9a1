#include "reading/text_cache.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "base/tr.h"
#include "reading/text_cache_sqlite.h"

// The cache's tables and its full-text index: the writer's catching up after
// each search, and the questions the index answers.

namespace tavelo {

using namespace text_cache_sql;

// Raised whenever the tables change shape; an older cache is emptied.
const int text_cache_sql::kSchemaVersion = 8;

namespace {

constexpr const char* kSchema = R"SQL(
-- The text comes last: the columns before it are read without walking
-- through its pages.
-- Ids are never reused, so that a text newer than a query has a greater id.
CREATE TABLE texts(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    hash BLOB NOT NULL,
    kind INTEGER NOT NULL,
    version INTEGER NOT NULL,
    reason TEXT,
    bytes INTEGER NOT NULL,
    used INTEGER NOT NULL,
    layout BLOB NOT NULL,
    body TEXT NOT NULL,
    UNIQUE(hash, kind, version));
CREATE INDEX texts_used ON texts(used);
CREATE TABLE files(
    dev INTEGER NOT NULL,
    ino INTEGER NOT NULL,
    kind INTEGER NOT NULL,
    size INTEGER NOT NULL,
    mtime INTEGER NOT NULL,
    version INTEGER NOT NULL,
    text_id INTEGER NOT NULL,
    PRIMARY KEY(dev, ino, kind)) WITHOUT ROWID;
-- The full-text indexes are built after the searches that stored the texts,
-- in order of id: every text up to fts_state.indexed is in both, none after.
CREATE VIRTUAL TABLE texts_fts USING fts5(body, content='texts', content_rowid='id', tokenize='trigram');
CREATE TABLE fts_state(indexed INTEGER NOT NULL);
INSERT INTO fts_state VALUES (0);
)SQL";

// The size of the texts kept, without reading them all at every search.
constexpr const char* kTotalsSchema = R"SQL(
CREATE TABLE totals(bytes INTEGER NOT NULL);
INSERT INTO totals SELECT coalesce(sum(bytes), 0) FROM texts;
CREATE TRIGGER texts_added AFTER INSERT ON texts BEGIN
    UPDATE totals SET bytes = bytes + new.bytes;
END;
CREATE TRIGGER texts_dropped AFTER DELETE ON texts BEGIN
    UPDATE totals SET bytes = bytes - old.bytes;
END;
)SQL";

// The quick search's words, folded, each reduced to its singular.
constexpr const char* kWordIndexSchema = R"SQL(
CREATE VIRTUAL TABLE words_fts USING fts5(body, content='texts', content_rowid='id', tokenize='tavelo_words');
CREATE TRIGGER texts_removed AFTER DELETE ON texts WHEN old.id <= (SELECT indexed FROM fts_state) BEGIN
    INSERT INTO texts_fts(texts_fts, rowid, body) VALUES ('delete', old.id, old.body);
    INSERT INTO words_fts(words_fts, rowid, body) VALUES ('delete', old.id, old.body);
END;
)SQL";

// The paths last seen, by folder: `files` holds each file's name, size and
// hash, sorted by name (text_cache_seen.cpp).
constexpr const char* kSeenSchema = R"SQL(
DROP TABLE IF EXISTS paths;
CREATE TABLE IF NOT EXISTS seen(
    folder TEXT NOT NULL UNIQUE,
    files BLOB NOT NULL);
)SQL";

// The state of every file and text, in one row for a search to read at once
// (text_cache_known.cpp): `state` holds `files` files as they stood when the
// count of changes was `changes`, or is NULL. Made anew by every upgrade: a
// build that does not know it may have changed the files since.
constexpr const char* kKnownSchema = R"SQL(
DROP TABLE IF EXISTS known;
CREATE TABLE known(
    changes INTEGER NOT NULL,
    files INTEGER,
    state BLOB);
INSERT INTO known VALUES (0, NULL, NULL);
)SQL";

} // namespace

int text_cache_sql::CountChange(sqlite3* db)
{
    return sqlite3_exec(db, "UPDATE known SET changes = changes + 1, files = NULL, state = NULL", nullptr, nullptr,
                        nullptr);
}

namespace {

// Runs `scripts` in one transaction that brings the cache to this schema.
int Upgrade(sqlite3* db, std::initializer_list<const char*> scripts)
{
    const auto exec = [db](const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); };
    int code = exec("BEGIN IMMEDIATE");
    if (code != SQLITE_OK)
        return code;
    for (const char* script : scripts)
        if (code == SQLITE_OK)
            code = exec(script);
    if (code == SQLITE_OK)
        code = exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
    return code == SQLITE_OK ? exec("COMMIT") : (exec("ROLLBACK"), code);
}

} // namespace

int text_cache_sql::UpgradeKnown(sqlite3* db)
{
    return Upgrade(db, {kKnownSchema});
}

int text_cache_sql::UpgradeSeen(sqlite3* db)
{
    // What was seen at each path is only what lets a text be kept one
    // search sooner: it is not carried over.
    return Upgrade(db, {kSeenSchema, kKnownSchema});
}

int text_cache_sql::AddStateIndex(sqlite3* db)
{
    // What a search asks of every text but its body, in a few pages rather
    // than one for each text: its id (the index's rowid), whether it is
    // current and readable, and when it was last used.
    return sqlite3_exec(db, "CREATE INDEX IF NOT EXISTS texts_state ON texts(used, version, reason)", nullptr, nullptr,
                        nullptr);
}

int text_cache_sql::CreateSchema(sqlite3* db)
{
    const auto exec = [db](const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); };
    int code = exec("BEGIN IMMEDIATE");
    if (code == SQLITE_OK) {
        const int dropped =
            exec("DROP TABLE IF EXISTS words_fts; DROP TABLE IF EXISTS texts_fts; DROP TABLE IF EXISTS fts_state; "
                 "DROP TABLE IF EXISTS files; DROP TABLE IF EXISTS seen; DROP TABLE IF EXISTS totals; "
                 "DROP TABLE IF EXISTS texts;");
        // Tables too damaged to be dropped: the file is made anew.
        if (IsDamage(dropped)) {
            exec("ROLLBACK");
            return dropped;
        }
        code = exec(kSchema);
        if (code == SQLITE_OK)
            code = exec(kSeenSchema);
        if (code == SQLITE_OK)
            code = exec(kTotalsSchema);
        if (code == SQLITE_OK)
            code = exec(kWordIndexSchema);
        if (code == SQLITE_OK)
            code = exec(kKnownSchema);
        if (code == SQLITE_OK)
            code = exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
        code = code == SQLITE_OK ? exec("COMMIT") : (exec("ROLLBACK"), code);
    }
    return code;
}

int text_cache_sql::UpgradeFromSchema4(sqlite3* db)
{
    // The texts stay (reading them again is dear: OCR); the size kept is
    // counted once, and both indexes start again from the first text, so
    // that one mark says how far both go.
    return Upgrade(db, {"DROP TRIGGER IF EXISTS texts_removed; INSERT INTO texts_fts(texts_fts) VALUES ('delete-all'); "
                        "UPDATE fts_state SET indexed = 0;",
                        kSeenSchema, kTotalsSchema, kWordIndexSchema, kKnownSchema});
}

bool text_cache_sql::IndexBehind(sqlite3* db)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT (SELECT indexed FROM fts_state) < (SELECT coalesce(max(id), 0) FROM texts)", -1, &s,
                           nullptr) != SQLITE_OK)
        return true;
    const bool behind = sqlite3_step(s) != SQLITE_ROW || sqlite3_column_int(s, 0) != 0;
    sqlite3_finalize(s);
    return behind;
}

bool text_cache_sql::KnowsNoFile(sqlite3* db)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT NOT EXISTS (SELECT 1 FROM files) AND NOT EXISTS (SELECT 1 FROM seen)", -1, &s,
                           nullptr) != SQLITE_OK)
        return false;
    const bool none = sqlite3_step(s) == SQLITE_ROW && sqlite3_column_int(s, 0) != 0;
    sqlite3_finalize(s);
    return none;
}

int text_cache_sql::ClearIndex(sqlite3* db)
{
    return sqlite3_exec(db, "INSERT INTO texts_fts(texts_fts) VALUES ('rebuild'); "
                            "INSERT INTO words_fts(words_fts) VALUES ('rebuild');", nullptr, nullptr, nullptr);
}

std::optional<std::vector<std::int64_t>> TextCache::TextsWithWords(const std::string& wordQuery, std::int64_t& upTo,
                                                                   std::vector<WordHits>* hits)
{
    if (hits != nullptr)
        hits->clear();
    upTo = 0;
    std::unique_ptr<Connection> connection = Acquire();
    if (!connection)
        return std::nullopt;
    int code = SQLITE_OK;
    std::optional<std::vector<std::int64_t>> ids;
    sqlite3_stmt* newest = connection->Prepare("SELECT indexed FROM fts_state", code);
    sqlite3_stmt* match = code == SQLITE_OK
                              ? connection->Prepare(hits != nullptr ? "SELECT rowid, tavelo_hits(words_fts) FROM words_fts "
                                                                      "WHERE words_fts MATCH ?1 ORDER BY rowid"
                                                                    : "SELECT rowid FROM words_fts WHERE words_fts MATCH ?1 "
                                                                      "ORDER BY rowid",
                                                    code)
                              : nullptr;
    if (newest != nullptr && match != nullptr) {
        code = Run(newest, [&upTo](sqlite3_stmt* row) { upTo = sqlite3_column_int64(row, 0); });
        if (code == SQLITE_OK) {
            ids.emplace();
            BindText(match, 1, wordQuery);
            while ((code = sqlite3_step(match)) == SQLITE_ROW) {
                ids->push_back(sqlite3_column_int64(match, 0));
                if (hits != nullptr) {
                    const std::int64_t packed = std::max<std::int64_t>(0, sqlite3_column_int64(match, 1));
                    hits->push_back({static_cast<std::uint32_t>(packed >> 32), static_cast<std::uint32_t>(packed)});
                }
            }
            if (code == SQLITE_DONE)
                code = SQLITE_OK;
            sqlite3_reset(match);
        }
        if (code != SQLITE_OK) {
            ids.reset();
            if (hits != nullptr)
                hits->clear();
        }
    }
    Release(std::move(connection));
    // A query that FTS5 cannot read is the caller's to mend; only a cache that
    // fails is worth a warning.
    if (code != SQLITE_OK && code != SQLITE_ERROR) {
        const std::lock_guard lock(m_mutex);
        Failed(code, TAVELO_TR_NOOP("Search", "lu"));
    }
    return ids;
}

std::optional<TextCandidates> TextCache::TextsContaining(const std::vector<std::string>& literals)
{
    if (literals.empty())
        return std::nullopt;
    // Each literal asks for texts that hold trigrams covering it, one after
    // the other and the last at its end, rather than for the phrase of all
    // its trigrams: as narrow for a rare word, and without the positions of
    // every trigram of a common one (for a word in most texts, 0.9 ms against
    // 6.8). What the texts found hold is confirmed on them.
    std::vector<std::string> queries;
    for (const std::string& literal : literals) {
        if (literal.size() < 3)
            return std::nullopt;
        if (std::any_of(literal.begin(), literal.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            return std::nullopt;
        std::string query;
        for (std::size_t at = 0;; at = std::min(at + 3, literal.size() - 3)) {
            if (!query.empty())
                query += " AND ";
            query += '"';
            for (const char c : literal.substr(at, 3)) {
                query += c;
                if (c == '"')
                    query += '"';
            }
            query += '"';
            if (at == literal.size() - 3)
                break;
        }
        queries.push_back(std::move(query));
    }
    std::unique_ptr<Connection> connection = Acquire();
    if (!connection)
        return std::nullopt;
    // Both questions in the read transaction the connection keeps: one state
    // of the cache.
    int code = SQLITE_OK;
    std::optional<TextCandidates> candidates;
    sqlite3_stmt* newest = connection->Prepare("SELECT indexed FROM fts_state", code);
    sqlite3_stmt* match = connection->Prepare("SELECT rowid FROM texts_fts WHERE texts_fts MATCH ?1", code);
    if (newest != nullptr && match != nullptr) {
        candidates.emplace();
        code = Run(newest, [&candidates](sqlite3_stmt* row) { candidates->upTo = sqlite3_column_int64(row, 0); });
        for (const std::string& query : queries) {
            if (code != SQLITE_OK)
                break;
            sqlite3_reset(match);
            BindText(match, 1, query);
            while ((code = sqlite3_step(match)) == SQLITE_ROW)
                candidates->ids.insert(sqlite3_column_int64(match, 0));
            if (code == SQLITE_DONE)
                code = SQLITE_OK;
            sqlite3_reset(match);
        }
        if (code != SQLITE_OK)
            candidates.reset();
    }
    Release(std::move(connection));
    if (code != SQLITE_OK) {
        const std::lock_guard lock(m_mutex);
        Failed(code, TAVELO_TR_NOOP("Search", "lu"));
    }
    return candidates;
}

// Adds the oldest texts not yet in the full-text index to it; true when
// more are left. A cache busy elsewhere is tried again after the next search.
bool TextCache::IndexSome()
{
    constexpr int kTextsAtOnce = 64;
    if (m_writer->Exec("BEGIN IMMEDIATE") != SQLITE_OK)
        return false;
    int code = SQLITE_OK;
    std::int64_t indexed = 0;
    std::int64_t reached = 0;
    std::int64_t newest = 0;
    sqlite3_stmt* state = m_writer->Prepare(
        "SELECT indexed, (SELECT coalesce(max(id), 0) FROM "
        "(SELECT id FROM texts WHERE id > indexed ORDER BY id LIMIT ?1)), "
        "(SELECT coalesce(max(id), 0) FROM texts) FROM fts_state", code);
    if (state != nullptr) {
        sqlite3_bind_int(state, 1, kTextsAtOnce);
        code = Run(state, [&](sqlite3_stmt* row) {
            indexed = sqlite3_column_int64(row, 0);
            reached = sqlite3_column_int64(row, 1);
            newest = sqlite3_column_int64(row, 2);
        });
    }
    if (code == SQLITE_OK && reached > indexed) {
        for (const char* sql : {"INSERT INTO texts_fts(rowid, body) SELECT id, body FROM texts WHERE id > ?1 AND id <= ?2",
                                "INSERT INTO words_fts(rowid, body) SELECT id, body FROM texts WHERE id > ?1 AND id <= ?2"}) {
            sqlite3_stmt* add = code == SQLITE_OK ? m_writer->Prepare(sql, code) : nullptr;
            if (add != nullptr) {
                sqlite3_bind_int64(add, 1, indexed);
                sqlite3_bind_int64(add, 2, reached);
                code = Run(add);
            }
        }
        sqlite3_stmt* mark = code == SQLITE_OK ? m_writer->Prepare("UPDATE fts_state SET indexed = ?1", code) : nullptr;
        if (mark != nullptr) {
            sqlite3_bind_int64(mark, 1, reached);
            code = Run(mark);
        }
    }
    code = code == SQLITE_OK ? m_writer->Exec("COMMIT") : code;
    if (code != SQLITE_OK) {
        m_writer->Exec("ROLLBACK");
        return false;
    }
    return reached > indexed && reached < newest;
}

bool TextCache::MayIndex() const
{
    return m_indexPending && m_waiting == 0 && m_enabled && !m_searching;
}

// On the writer thread, with m_mutex held and nothing queued. Between
// searches, and before the program ends: the index catches up, a few texts at
// a time, giving way to anyone who waits. False when it may not.
bool TextCache::CatchUpIndex(std::unique_lock<std::mutex>& lock)
{
    if (!MayIndex())
        return false;
    m_writing = true;
    lock.unlock();
    const bool more = IndexSome();
    lock.lock();
    m_writing = false;
    m_indexPending = more;
    m_caughtUp.notify_all();
    return true;
}

void TextCache::FinishIndexing()
{
    std::unique_lock lock(m_mutex);
    if (Writer() == nullptr)
        return;
    StartWriter();
    m_searching = false;
    m_indexPending = true;
    m_wake.notify_all();
    m_caughtUp.wait(lock, [this] { return (!m_indexPending || !m_enabled) && m_queue.empty() && !m_writing; });
    // The next question sees the index as it is now.
    EndReading();
}

} // namespace tavelo
