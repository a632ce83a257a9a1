#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <set>
#include <thread>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "book/file_io.h"
#include "book/tenorels.h"
#include "reading/content_hash.h"
#include "reading/text_cache.h"
#include "reading/word_index.h"
#include "reading/text_source.h"
#include "search/search_pattern.h"
#include "search/search_run.h"
#include "test_files.h"

namespace tavelo {
namespace {

using test::Fixture;
using test::TempDir;

FileState StateOfPath(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return StateOf(st);
}

DocumentText TextOf(std::initializer_list<std::pair<MatchRule, std::string_view>> pieces)
{
    DocumentText text;
    for (const auto& [rule, piece] : pieces)
        text.Append(rule, piece);
    return text;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

// The row per path of the schemas up to 6.
constexpr const char* kPathsOfSchema6 =
    "CREATE TABLE paths(path TEXT PRIMARY KEY, size INTEGER NOT NULL, hash BLOB NOT NULL) WITHOUT ROWID; ";

std::string DatabaseOf(const TempDir& dir)
{
    return dir.File("cache/textes.sqlite3");
}

// Runs SQL on the cache's database from outside, as another program would.
void Sql(const std::string& database, const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    // The word index's tokenizer, as every instance of the program has it.
    ASSERT_EQ(RegisterWordTokenizer(db), SQLITE_OK);
    // As another instance of the program waits for a writer.
    sqlite3_busy_timeout(db, 5000);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// The first column of the first row of `sql`, as a number; -1 without a row.
std::int64_t SqlNumber(const std::string& database, const std::string& sql)
{
    sqlite3* db = nullptr;
    std::int64_t value = -1;
    EXPECT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    if (s != nullptr && sqlite3_step(s) == SQLITE_ROW)
        value = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return value;
}

// The default file system of SQLite, counting what makes a program wait
// without working: the file syncs (each one waits for the disk, and on a
// busy disk for everyone else's writes too) and the sleeps of the busy
// handler (each one waits for another connection). Installed for one test.
class WaitCountingVfs {
public:
    WaitCountingVfs()
    {
        s_real = sqlite3_vfs_find(nullptr);
        m_vfs = *s_real;
        m_vfs.zName = "tavelo-test-waits";
        m_vfs.szOsFile = static_cast<int>(sizeof(File)) + s_real->szOsFile;
        m_vfs.xOpen = &Open;
        m_vfs.xSleep = &Sleep;
        sqlite3_vfs_register(&m_vfs, 1);
        s_syncs = 0;
        s_sleeps = 0;
    }
    ~WaitCountingVfs()
    {
        sqlite3_vfs_unregister(&m_vfs);
        sqlite3_vfs_register(s_real, 1);
    }
    WaitCountingVfs(const WaitCountingVfs&) = delete;
    WaitCountingVfs& operator=(const WaitCountingVfs&) = delete;

    static int Syncs() { return s_syncs; }
    static int Sleeps() { return s_sleeps; }

private:
    struct File {
        sqlite3_file base;
        sqlite3_file* real;
    };
    static sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

    static int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
    {
        auto* shim = reinterpret_cast<File*>(file);
        shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
        const int code = s_real->xOpen(s_real, name, shim->real, flags, outFlags);
        shim->base.pMethods = shim->real->pMethods != nullptr ? &s_methods : nullptr;
        if (shim->real->pMethods != nullptr)
            s_methods.iVersion = std::min(shim->real->pMethods->iVersion, 3);
        return code;
    }
    static int Sleep(sqlite3_vfs*, int microseconds)
    {
        ++s_sleeps;
        return s_real->xSleep(s_real, microseconds);
    }
    static int Sync(sqlite3_file* f, int flags)
    {
        ++s_syncs;
        return Real(f)->pMethods->xSync(Real(f), flags);
    }
    static int Close(sqlite3_file* f)
    {
        const int code = Real(f)->pMethods->xClose(Real(f));
        f->pMethods = nullptr;
        return code;
    }

    static inline sqlite3_vfs* s_real = nullptr;
    static inline std::atomic<int> s_syncs{0};
    static inline std::atomic<int> s_sleeps{0};
    static inline sqlite3_io_methods s_methods = {
        3,
        &Close,
        [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return Real(f)->pMethods->xRead(Real(f), b, n, o); },
        [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) { return Real(f)->pMethods->xWrite(Real(f), b, n, o); },
        [](sqlite3_file* f, sqlite3_int64 size) { return Real(f)->pMethods->xTruncate(Real(f), size); },
        &Sync,
        [](sqlite3_file* f, sqlite3_int64* size) { return Real(f)->pMethods->xFileSize(Real(f), size); },
        [](sqlite3_file* f, int lock) { return Real(f)->pMethods->xLock(Real(f), lock); },
        [](sqlite3_file* f, int lock) { return Real(f)->pMethods->xUnlock(Real(f), lock); },
        [](sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); },
        [](sqlite3_file* f, int op, void* arg) { return Real(f)->pMethods->xFileControl(Real(f), op, arg); },
        [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); },
        [](sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); },
        [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
            return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, out);
        },
        [](sqlite3_file* f, int offset, int n, int flags) { return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags); },
        [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); },
        [](sqlite3_file* f, int remove) { return Real(f)->pMethods->xShmUnmap(Real(f), remove); },
        [](sqlite3_file* f, sqlite3_int64 o, int n, void** out) { return Real(f)->pMethods->xFetch(Real(f), o, n, out); },
        [](sqlite3_file* f, sqlite3_int64 o, void* p) { return Real(f)->pMethods->xUnfetch(Real(f), o, p); },
    };
    sqlite3_vfs m_vfs{};
};

// The cache recognises a file by the hash of its bytes: whether they are
// hashed whole, with whichever vectors the processor has, or read from the
// file piece by piece, the same bytes give the same hash.
TEST(ContentHash, TheSameBytesGiveTheSameHashHoweverTheyAreRead)
{
    TempDir dir;
    std::set<ContentHash> seen;
    for (const std::size_t size : {0u, 1u, 16u, 128u, 239u, 240u, 241u, 1000u, 1024u, 4099u, 65536u, 1048583u}) {
        std::string bytes(size, '\0');
        std::uint32_t state = static_cast<std::uint32_t>(size) * 2654435761u + 1;
        for (char& c : bytes)
            c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
        const std::string path = dir.Write("bytes-" + std::to_string(size), bytes);
        std::string reason;
        const std::optional<ContentHash> fromFile = HashFile(path, reason);
        ASSERT_TRUE(fromFile) << reason;
        EXPECT_EQ(HashBytes(bytes), *fromFile) << size << " bytes";
        seen.insert(*fromFile);
    }
    EXPECT_EQ(seen.size(), 12u);
}

// What held a first search after "cache clear" for minutes on a loaded
// machine: the cache waited for the disk at every checkpoint and at the end,
// though it only holds what can be read again. A search that keeps texts,
// its index catching up, the cache's statistics, emptying it and a search
// again never sync a file nor wait for another connection.
TEST(TextCache, ASearchNeverWaitsForTheDiskNorForItself)
{
    TempDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i)
        paths.push_back(dir.Write("d" + std::to_string(i) + ".rtf",
                                  "{\\rtf1 Lettre " + std::to_string(i) + (i % 20 == 7 ? " zorglub" : "") + ".\\par}"));
    SubjectList book;
    for (const std::string& path : paths) {
        book.push_back(std::make_unique<CTenorels>("Titre", path, 0));
        book.back()->AddDocumentPath(path);
    }
    const SearchPattern pattern("zorglub", {});
    WaitCountingVfs waits;
    const auto search = [&] {
        TextSource source(TextCache::Open(dir.File("cache")), SourceOptions{{}, {}, 2});
        EXPECT_EQ(RunSearch(book, pattern, kScopeDocumentContents, {&source}).hits.size(), 15u);
        EXPECT_EQ(source.Cache().TakeWarning(), "");
    };
    search();
    search();
    {
        auto cache = TextCache::Open(dir.File("cache"));
        ASSERT_TRUE(cache->Stats());
        EXPECT_EQ(cache->Stats()->texts, paths.size());
    }
    {
        auto cache = TextCache::Open(dir.File("cache"));
        std::string reason;
        ASSERT_TRUE(cache->Clear(reason)) << reason;
    }
    search();
    EXPECT_EQ(WaitCountingVfs::Syncs(), 0);
    EXPECT_EQ(WaitCountingVfs::Sleeps(), 0);
}

// The full-text index is built after a search, off its time: a text kept
// meanwhile is never ruled out, and is found through the index once it has
// caught up; removing texts, indexed or not, leaves the index whole.
TEST(TextCache, TextsKeptDuringASearchAreIndexedAfterIt)
{
    TempDir dir;
    auto cache = TextCache::Open(dir.File("cache"));
    ASSERT_TRUE(cache->Enabled()) << cache->TakeWarning();
    const auto keepIn = [&](TextCache& into, const char* name, const char* body) {
        const std::string path = dir.Write(name, body);
        const DocumentText text = TextOf({{MatchRule::kPattern, body}});
        into.Store(path, StateOfPath(path), DocumentKind::kRtf, HashBytes(body), &text);
        into.LastSeen(path); // waits for the writer, as any later question does
        return into.Find(StateOfPath(path), DocumentKind::kRtf)->textId;
    };
    const auto keep = [&](const char* name, const char* body) { return keepIn(*cache, name, body); };
    const std::int64_t first = keep("a.rtf", "la quittance de mai");
    cache->Flush(); // the search ends
    cache->FinishIndexing();
    cache->Resume(); // a search begins
    const std::int64_t during = keep("b.rtf", "une autre quittance");
    const std::int64_t other = keep("c.rtf", "rien");
    cache->Resume();
    const auto before = cache->TextsContaining({"quittance"});
    ASSERT_TRUE(before);
    EXPECT_FALSE(before->RulesOut(first));
    EXPECT_FALSE(before->RulesOut(during));
    EXPECT_FALSE(before->RulesOut(other));
    cache->FinishIndexing();
    const auto after = cache->TextsContaining({"quittance"});
    ASSERT_TRUE(after);
    EXPECT_EQ(after->ids, (std::unordered_set<std::int64_t>{first, during}));
    EXPECT_TRUE(after->RulesOut(other));
    cache.reset();

    // A search may begin while its cache is still opening: it does not wait
    // for it, and the cache, once open, holds its index back all the same.
    {
        std::promise<std::unique_ptr<TextCache>> opening;
        TextSource source(opening.get_future());
        auto begun = std::async(std::launch::async, [&source] { source.BeginSearch(); });
        const bool waited = begun.wait_for(std::chrono::seconds(10)) == std::future_status::timeout;
        opening.set_value(TextCache::Open(dir.File("cache")));
        begun.get();
        EXPECT_FALSE(waited) << "the search waited for its cache to open";
        const std::int64_t late = keepIn(source.Cache(), "d.rtf", "rien non plus");
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // an index that did not wait would run now
        EXPECT_FALSE(TextCache::Open(dir.File("cache"))->TextsContaining({"quittance"})->RulesOut(late));
        source.EndSearch();
        source.Cache().FinishIndexing();
        EXPECT_TRUE(source.Cache().TextsContaining({"quittance"})->RulesOut(late));
    }

    Sql(DatabaseOf(dir), "INSERT INTO texts(hash, kind, version, bytes, used, layout, body) "
                         "VALUES (x'00', 2, 1, 5, 0, x'', 'neuve');"
                         "DELETE FROM texts; INSERT INTO texts_fts(texts_fts) VALUES ('integrity-check');"
                         "INSERT INTO words_fts(words_fts) VALUES ('integrity-check');");
}

// The word index answers in folded words; a cache made before it keeps its
// texts (OCR is dear) and gets both indexes built again after the next search.
TEST(TextCache, WordIndexFoldsAndComesToOlderCaches)
{
    TempDir dir;
    const std::string path = dir.Write("a.rtf", "x");
    const std::string body = "AVIS D\xE2\x80\x99IMP\xC3\x94TS \xE2\x80\x94 Taxe fonci\xC3\xA8re";
    std::uint64_t kept = 0;
    {
        auto cache = TextCache::Open(dir.File("cache"));
        const DocumentText text = TextOf({{MatchRule::kPattern, body}});
        cache->Store(path, StateOfPath(path), DocumentKind::kRtf, HashBytes("x"), &text);
        cache->Flush();
        kept = cache->Stats()->textBytes;
    }
    // The schema before the counted size and the word index, with a row per
    // path seen.
    Sql(DatabaseOf(dir), "DROP TRIGGER texts_removed; DROP TABLE words_fts; DROP TRIGGER texts_added; "
                         "DROP TRIGGER texts_dropped; DROP TABLE totals; DROP TABLE seen; " +
                             std::string(kPathsOfSchema6) + "PRAGMA user_version=4;");
    auto cache = TextCache::Open(dir.File("cache"));
    ASSERT_TRUE(cache->Enabled()) << cache->TakeWarning();
    const auto entry = cache->Find(StateOfPath(path), DocumentKind::kRtf);
    ASSERT_TRUE(entry);
    // The size kept is counted from the texts that were there.
    EXPECT_EQ(cache->Stats()->textBytes, kept);
    EXPECT_GT(kept, 0u);
    std::int64_t upTo = -1;
    EXPECT_EQ(cache->TextsWithWords("\"impot\"", upTo), std::vector<std::int64_t>{});
    EXPECT_EQ(upTo, 0);
    cache->FinishIndexing();
    for (const char* query : {"\"impot\"", "\"taxe fonciere\"", "\"fonc\" *", "\"avis\" AND \"impots\""}) {
        EXPECT_EQ(cache->TextsWithWords(query, upTo), std::vector<std::int64_t>{entry->textId}) << query;
        EXPECT_EQ(upTo, entry->textId);
    }
    EXPECT_EQ(cache->TextsWithWords("\"fonciere taxe\"", upTo), std::vector<std::int64_t>{});
    EXPECT_FALSE(cache->TextsWithWords("\"unbalanced", upTo));
    EXPECT_TRUE(cache->TakeWarning().empty());
    const auto candidates = cache->TextsContaining({"taxe"});
    ASSERT_TRUE(candidates);
    EXPECT_EQ(candidates->ids.count(entry->textId), 1u);
}

// Schema 6 kept a row per path seen; from 7 on, a row per folder. Its texts
// stay, and the paths are seen afresh.
TEST(TextCache, PathsSeenComeToOneRowPerFolder)
{
    TempDir dir;
    const std::string path = dir.Write("a.rtf", "x");
    {
        auto cache = TextCache::Open(dir.File("cache"));
        const DocumentText text = TextOf({{MatchRule::kPattern, "loyer"}});
        cache->Store(path, StateOfPath(path), DocumentKind::kRtf, HashBytes("x"), &text);
        cache->Flush();
    }
    Sql(DatabaseOf(dir), "DROP TABLE seen; " + std::string(kPathsOfSchema6) +
                             "INSERT INTO paths VALUES ('/ailleurs/b.txt', 3, x'00'); PRAGMA user_version=6;");
    auto cache = TextCache::Open(dir.File("cache"));
    ASSERT_TRUE(cache->Enabled()) << cache->TakeWarning();
    EXPECT_TRUE(cache->TakeWarning().empty());
    EXPECT_TRUE(cache->Find(StateOfPath(path), DocumentKind::kRtf));
    EXPECT_FALSE(cache->LastSeen("/ailleurs/b.txt"));

    // Paths of one folder and of others, seen again with a new hash, and
    // names that sort around each other.
    const std::pair<const char*, const char*> seen[] = {
        {"/d/b.txt", "1"}, {"/d/a.txt", "2"}, {"/d/a.txt.bak", "3"}, {"/d/sous/a.txt", "4"},
        {"sans-dossier.txt", "5"}, {"/d/b.txt", "6"}, {"/racine.txt", "7"},
    };
    std::map<std::string, std::string> last;
    for (const auto& [where, bytes] : seen) {
        cache->RememberPath(where, std::strlen(bytes), HashBytes(bytes));
        last[where] = bytes;
        cache->Flush(); // one batch each: every folder's row is read back and merged
    }
    auto other = TextCache::Open(dir.File("cache"));
    for (const auto& [where, bytes] : last) {
        const std::optional<KnownFile> known = other->LastSeen(where);
        ASSERT_TRUE(known) << where;
        EXPECT_EQ(known->hash, HashBytes(bytes)) << where;
    }
    EXPECT_FALSE(other->LastSeen("/d/c.txt"));
    EXPECT_FALSE(other->LastSeen("/d"));
    const std::vector<std::string_view> many = {"/d/a.txt", "/d/zz.txt", "/d/sous/a.txt", "/d/b.txt"};
    const std::vector<std::optional<KnownFile>> found = other->LastSeenMany(many);
    ASSERT_EQ(found.size(), many.size());
    EXPECT_TRUE(found[0] && found[2] && found[3]);
    EXPECT_FALSE(found[1]);
    EXPECT_EQ(found[3]->hash, HashBytes("6"));

    // During a search the writer holds the paths back, for its end; someone
    // who asks meanwhile is answered with them all the same.
    other->Resume();
    // As many as make a batch, so that nothing is left in the queue once the
    // writer has taken them.
    for (int i = 0; i < 256; ++i)
        other->RememberPath("/grand/" + std::to_string(i) + ".txt", 1, HashBytes(std::to_string(i)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // lets the writer take them, and hold them
    for (const int i : {0, 150, 255}) {
        const std::optional<KnownFile> known = other->LastSeen("/grand/" + std::to_string(i) + ".txt");
        ASSERT_TRUE(known) << i;
        EXPECT_EQ(known->hash, HashBytes(std::to_string(i)));
    }
    other->Flush();
    EXPECT_EQ(TextCache::Open(dir.File("cache"))->LastSeen("/grand/7.txt")->hash, HashBytes("7"));

    // A damaged row forgets its folder, and the next sight writes it anew.
    Sql(DatabaseOf(dir), "UPDATE seen SET files = x'05616263' WHERE folder = '/d'");
    auto damaged = TextCache::Open(dir.File("cache"));
    EXPECT_FALSE(damaged->LastSeen("/d/a.txt"));
    EXPECT_TRUE(damaged->LastSeen("/racine.txt"));
    damaged->RememberPath("/d/a.txt", 1, HashBytes("8"));
    EXPECT_EQ(damaged->LastSeen("/d/a.txt")->hash, HashBytes("8"));
    EXPECT_TRUE(damaged->TakeWarning().empty());
}

TEST(TextCache, TextsByFileStateThenByContent)
{
    TempDir dir;
    const std::string path = dir.Write("a.pdf", "contenu");
    const ContentHash hash = HashBytes("contenu");
    const DocumentText text = TextOf({{MatchRule::kPattern, "page un"}, {MatchRule::kPattern, "page deux"}});
    {
        auto cache = TextCache::Open(dir.File("cache"));
        ASSERT_TRUE(cache->Enabled()) << cache->TakeWarning();
        EXPECT_FALSE(cache->Find(StateOfPath(path), DocumentKind::kPdf));
        cache->Store(path, StateOfPath(path), DocumentKind::kPdf, hash, &text);
        cache->Store(dir.File("b.doc"), StateOfPath(path), DocumentKind::kWord, HashBytes("x"), nullptr,
                     "le document est protégé par un mot de passe");
    }
    // Another instance, later.
    auto cache = TextCache::Open(dir.File("cache"));
    const std::optional<CacheEntry> entry = cache->Find(StateOfPath(path), DocumentKind::kPdf);
    ASSERT_TRUE(entry);
    EXPECT_FALSE(entry->unreadable);
    EXPECT_EQ(cache->LoadText(entry->textId), text);
    const std::optional<CacheEntry> refused = cache->Find(StateOfPath(path), DocumentKind::kWord);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->unreadable);
    EXPECT_EQ(refused->reason, "le document est protégé par un mot de passe");
    // Another kind, another state, another reader version: not this text.
    EXPECT_FALSE(cache->Find(StateOfPath(path), DocumentKind::kRtf));
    FileState touched = StateOfPath(path);
    touched.mtimeNs += 1;
    EXPECT_FALSE(cache->Find(touched, DocumentKind::kPdf));
    // Many files at once: the same answers, whether the cache is read whole
    // (it holds few more files than are said to be asked, read beforehand or
    // not) or file by file.
    const std::vector<std::pair<FileState, DocumentKind>> asked = {
        {StateOfPath(path), DocumentKind::kPdf}, {StateOfPath(path), DocumentKind::kWord},
        {StateOfPath(path), DocumentKind::kRtf}, {touched, DocumentKind::kPdf},
        {StateOfPath(path), DocumentKind::kPdf}};
    const auto sameAsOneByOne = [&](const char* when) {
        const std::shared_ptr<const TextCache::KnownFiles> whole = cache->KnownFilesFor(1000);
        const std::shared_ptr<const TextCache::KnownFiles> fileByFile = cache->KnownFilesFor(0);
        ASSERT_TRUE(whole && fileByFile) << cache->TakeWarning();
        for (const TextCache::KnownFiles* known : {whole.get(), fileByFile.get(), (const TextCache::KnownFiles*)nullptr}) {
            const std::vector<std::optional<CacheEntry>> many = cache->FindMany(asked, known);
            ASSERT_EQ(many.size(), asked.size());
            for (std::size_t i = 0; i < asked.size(); ++i) {
                const std::optional<CacheEntry> one = cache->Find(asked[i].first, asked[i].second);
                ASSERT_EQ(many[i].has_value(), one.has_value()) << when << ", file " << i;
                if (one) {
                    EXPECT_TRUE(many[i]->textId == one->textId && many[i]->unreadable == one->unreadable &&
                                many[i]->reason == one->reason)
                        << when << ", file " << i;
                }
            }
        }
    };
    sameAsOneByOne("read whole");
    // As another build would, counting its change.
    Sql(DatabaseOf(dir), "UPDATE files SET version = version + 1 WHERE kind = 3; "
                         "UPDATE known SET changes = changes + 1, files = NULL, state = NULL");
    cache->Flush(); // a search ends: the next one sees what others wrote
    EXPECT_FALSE(cache->Find(StateOfPath(path), DocumentKind::kPdf));
    sameAsOneByOne("read whole, a reader's version changed");
    const DocumentText other = TextOf({{MatchRule::kPattern, "autre"}});
    for (int i = 0; i < 400; ++i)
        cache->Store(dir.File("autre" + std::to_string(i) + ".txt"), FileState{1, std::uint64_t(1000 + i), 5, 1},
                     DocumentKind::kText, HashBytes(std::to_string(i)), &other);
    cache->Flush();
    sameAsOneByOne("file by file");
    // The same bytes anywhere else.
    const std::optional<CacheEntry> byContent = cache->FindContent(hash, DocumentKind::kPdf);
    ASSERT_TRUE(byContent);
    EXPECT_EQ(byContent->textId, entry->textId);
    const std::optional<KnownFile> seen = cache->LastSeen(path);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->size, 7u);
    EXPECT_EQ(seen->hash, hash);
    EXPECT_FALSE(cache->LastSeen(dir.File("jamais.pdf")));
    // Narrowing: only texts holding the literal, whatever its case.
    const auto holding = cache->TextsContaining({"PAGE DE", "zorglub"});
    ASSERT_TRUE(holding);
    EXPECT_EQ(holding->ids, (std::unordered_set<std::int64_t>{entry->textId}));
    EXPECT_FALSE(holding->RulesOut(entry->textId));
    EXPECT_TRUE(holding->RulesOut(refused->textId));
    // A text kept after the question may hold the literal: never ruled out.
    EXPECT_FALSE(holding->RulesOut(holding->upTo + 1));
    EXPECT_TRUE(cache->TextsContaining({"zorglub"})->ids.empty());
    EXPECT_FALSE(cache->TextsContaining({"ab"}));
    // Literals of every length from three, quotes among their characters.
    const DocumentText quoted = TextOf({{MatchRule::kPattern, "il a dit \"oui\" deux fois"}});
    cache->Store(dir.File("dit.pdf"), FileState{1, 77, 1, 1}, DocumentKind::kPdf, HashBytes("dit"), &quoted);
    cache->FinishIndexing();
    const std::int64_t quotedId = cache->Find(FileState{1, 77, 1, 1}, DocumentKind::kPdf)->textId;
    for (const char* literal : {"dit", "fois", "\"oui\"", "t \"oui", "DIT \"OUI\" DEUX"}) {
        const auto found = cache->TextsContaining({literal});
        ASSERT_TRUE(found) << literal;
        EXPECT_EQ(found->ids, (std::unordered_set<std::int64_t>{quotedId})) << literal;
    }
    EXPECT_TRUE(cache->TextsContaining({"\"non\""})->ids.empty());

    const std::optional<CacheStats> stats = cache->Stats();
    ASSERT_TRUE(stats);
    EXPECT_EQ(stats->texts, 403u);
    std::string reason;
    ASSERT_TRUE(cache->Clear(reason)) << reason;
    EXPECT_FALSE(cache->FindContent(hash, DocumentKind::kPdf));
    EXPECT_EQ(cache->Stats()->texts, 0u);
    EXPECT_TRUE(cache->TakeWarning().empty());
}

// A search reads the state of every file and text from one row, which a
// search that read the rows keeps. Whatever changes a file or a text drops
// it, here or in another instance: a state kept from before would answer for
// files and texts as they no longer are. A damaged row, or one an older build
// left behind, is read past.
TEST(TextCache, TheStateKeptInOneRowIsDroppedByEveryChange)
{
    constexpr int kFiles = 100;
    const auto stateOf = [](int i) { return FileState{1, std::uint64_t(i), 10, 10}; };
    const DocumentText text = TextOf({{MatchRule::kPattern, "texte"}});
    struct Case {
        const char* name;
        std::function<void(TextCache&, const TempDir&)> change;
        // Whether the change drops the row as it is made.
        bool drops = true;
    };
    const std::vector<Case> cases = {
        {"a file read again",
         [&](TextCache& cache, const TempDir& dir) {
             cache.Store(dir.File("0"), FileState{1, 0, 11, 11}, DocumentKind::kPdf, HashBytes("autre"), &text);
         }},
        {"a file linked to a text kept", [&](TextCache& cache, const TempDir& dir) {
             cache.Link(dir.File("0"), FileState{1, 0, 12, 12}, DocumentKind::kPdf, HashBytes("1"),
                        cache.Find(stateOf(1), DocumentKind::kPdf)->textId);
         }},
        {"a text used again", [&](TextCache& cache, const TempDir& dir) {
             Sql(DatabaseOf(dir), "UPDATE texts SET used = used - 3");
             cache.NewSnapshot();
             ASSERT_TRUE(cache.Find(stateOf(2), DocumentKind::kPdf));
         }},
        {"texts evicted", [&](TextCache&, const TempDir& dir) {
             auto small = TextCache::Open(dir.File("cache"), 600);
             small->Flush();
         }},
        {"the cache emptied", [&](TextCache& cache, const TempDir&) {
             std::string reason;
             ASSERT_TRUE(cache.Clear(reason)) << reason;
         }},
        {"a damaged row", [&](TextCache&, const TempDir& dir) {
             Sql(DatabaseOf(dir), "UPDATE known SET state = substr(state, 1, length(state) - 3)");
         },
         false},
        {"files changed by a build that does not keep the row", [&](TextCache&, const TempDir& dir) {
             Sql(DatabaseOf(dir), "UPDATE files SET mtime = 99 WHERE ino = 3; PRAGMA user_version = 7");
         },
         false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::vector<std::pair<FileState, DocumentKind>> asked;
        {
            auto cache = TextCache::Open(dir.File("cache"));
            for (int i = 0; i < kFiles; ++i) {
                const std::string name = std::to_string(i);
                if (i % 10 == 9)
                    cache->Store(dir.File(name), stateOf(i), DocumentKind::kPdf, HashBytes(name), nullptr,
                                 "illisible " + name);
                else
                    cache->Store(dir.File(name), stateOf(i), DocumentKind::kPdf, HashBytes(name), &text);
                asked.emplace_back(stateOf(i), DocumentKind::kPdf);
            }
            cache->Flush();
        }
        asked.emplace_back(FileState{1, 0, 11, 11}, DocumentKind::kPdf);
        asked.emplace_back(FileState{1, 0, 12, 12}, DocumentKind::kPdf);
        asked.emplace_back(FileState{1, 3, 10, 99}, DocumentKind::kPdf);
        // Each search: FindMany answers as Find does for each file.
        const auto search = [&](const char* when) {
            auto cache = TextCache::Open(dir.File("cache"));
            const std::shared_ptr<const TextCache::KnownFiles> known = cache->KnownFilesFor(asked.size());
            ASSERT_TRUE(known) << cache->TakeWarning();
            const std::vector<std::optional<CacheEntry>> many = cache->FindMany(asked, known.get());
            for (std::size_t i = 0; i < asked.size(); ++i) {
                const std::optional<CacheEntry> one = cache->Find(asked[i].first, asked[i].second);
                ASSERT_EQ(many[i].has_value(), one.has_value()) << c.name << ", " << when << ", file " << i;
                if (one) {
                    EXPECT_TRUE(many[i]->textId == one->textId && many[i]->unreadable == one->unreadable &&
                                many[i]->reason == one->reason)
                        << c.name << ", " << when << ", file " << i;
                }
            }
            cache->Flush();
            EXPECT_TRUE(cache->TakeWarning().empty()) << c.name;
        };
        const std::string database = DatabaseOf(dir);
        search("from the rows");
        ASSERT_EQ(SqlNumber(database, "SELECT state IS NOT NULL FROM known"), 1) << c.name;
        search("from the row kept");
        {
            auto cache = TextCache::Open(dir.File("cache"));
            c.change(*cache, dir);
            cache->Flush();
        }
        EXPECT_EQ(SqlNumber(database, "SELECT state IS NULL FROM known"), c.drops ? 1 : 0) << c.name;
        search("after the change");
        search("after the change, from the row kept anew");
        EXPECT_EQ(SqlNumber(database, "SELECT state IS NOT NULL FROM known"), 1) << c.name;

        // A search that read the rows before someone changed them keeps
        // nothing at its end.
        Sql(database, "UPDATE known SET changes = changes + 1, files = NULL, state = NULL");
        auto reading = TextCache::Open(dir.File("cache"));
        ASSERT_TRUE(reading->KnownFilesFor(asked.size()));
        {
            auto other = TextCache::Open(dir.File("cache"));
            other->Store(dir.File("5"), FileState{1, 5, 13, 13}, DocumentKind::kPdf, HashBytes("encore"), &text);
            other->Flush();
        }
        reading->Flush();
        EXPECT_EQ(SqlNumber(database, "SELECT state IS NULL FROM known"), 1) << c.name;
    }
}

TEST(TextCache, PrivateToTheUser)
{
    TempDir dir;
    const mode_t old = ::umask(0);
    ASSERT_EQ(::mkdir(dir.File("cache").c_str(), 0777), 0);
    {
        auto cache = TextCache::Open(dir.File("cache"));
        cache->Store(dir.File("a.pdf"), {1, 2, 3, 4}, DocumentKind::kPdf, HashBytes("a"), nullptr, "non");
        cache->Flush();
        EXPECT_EQ(ModeOf(dir.File("cache")), 0700u);
        for (const char* suffix : {"", "-wal", "-shm"}) {
            ASSERT_TRUE(std::filesystem::exists(DatabaseOf(dir) + suffix)) << suffix;
            EXPECT_EQ(ModeOf(DatabaseOf(dir) + suffix), 0600u) << suffix;
        }
    }
    ::umask(old);
}

TEST(TextCache, DamagedLockedOrUnwritableCachesNeverFailASearch)
{
    TempDir dir;
    const std::string document = dir.Write("lettre.doc", ReadWholeFile(Fixture("lettre.doc")));
    SubjectList book;
    book.push_back(std::make_unique<CTenorels>("G", "Lettre", 0));
    book.back()->AddDocumentPath(document);
    const SearchPattern pattern("Quincaillerie", {});

    struct Case {
        const char* name;
        std::function<std::string()> prepare; // the cache folder
        bool enabled;
        const char* warning; // part of the one warning
    };
    const Case cases[] = {
        {"damaged", [&] {
             std::filesystem::create_directories(dir.File("damaged"));
             dir.Write("damaged/textes.sqlite3", std::string(8192, 'x'));
             return dir.File("damaged");
         },
         true, "était endommagé : il a été recréé"},
        {"not a folder", [&] { return dir.Write("fichier", "x") + "/cache"; }, false, "ne peut pas être créé"},
        {"other schema", [&] {
             std::filesystem::create_directories(dir.File("older"));
             Sql(dir.File("older/textes.sqlite3"), "CREATE TABLE texts(x); PRAGMA user_version = 99;");
             return dir.File("older");
         },
         true, ""},
    };
    for (const Case& c : cases) {
        TextSource source(TextCache::Open(c.prepare()));
        EXPECT_EQ(source.Cache().Enabled(), c.enabled) << c.name;
        for (int run = 0; run < 2; ++run) {
            const SearchResult result = RunSearch(book, pattern, kScopeDocumentContents, {&source});
            EXPECT_EQ(result.hits.size(), 1u) << c.name;
            EXPECT_TRUE(result.unreadable.empty()) << c.name;
            // Said once, at the first search.
            if (run == 0 && *c.warning != '\0')
                EXPECT_NE(result.cacheWarning.find(c.warning), std::string::npos) << c.name << ": " << result.cacheWarning;
            else
                EXPECT_EQ(result.cacheWarning, "") << c.name;
        }
    }

    // Written by another program for longer than it waits: read afresh, said once.
    const std::string folder = dir.File("locked");
    TextSource source(TextCache::Open(folder));
    ASSERT_TRUE(source.Cache().Enabled());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((folder + "/textes.sqlite3").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const SearchResult locked = RunSearch(book, pattern, kScopeDocumentContents, {&source});
    sqlite3_close(other);
    EXPECT_EQ(locked.hits.size(), 1u);
    EXPECT_NE(locked.cacheWarning.find("occupé par un autre programme"), std::string::npos) << locked.cacheWarning;
}

TEST(TextCache, LeastRecentlyUsedTextsGoFirst)
{
    TempDir dir;
    const std::string text(3000, 'a');
    auto cache = TextCache::Open(dir.File("cache"), 10100);
    for (int i = 0; i < 3; ++i) {
        const DocumentText piece = TextOf({{MatchRule::kPattern, text}});
        cache->Store(dir.File(std::to_string(i)), {1, std::uint64_t(i), 1, 1}, DocumentKind::kPdf,
                     HashBytes(std::to_string(i)), &piece);
    }
    cache->Flush();
    // Text 0 was last used long ago, text 1 less long ago; text 0 is used now.
    Sql(DatabaseOf(dir), "UPDATE texts SET used = used - 10 WHERE hash = x'" + ToHex(HashBytes("0")) + "';"
                         "UPDATE texts SET used = used - 5 WHERE hash = x'" + ToHex(HashBytes("1")) + "';");
    ASSERT_TRUE(cache->Find({1, 0, 1, 1}, DocumentKind::kPdf));
    const DocumentText fourth = TextOf({{MatchRule::kPattern, text}});
    cache->Store(dir.File("3"), {1, 3, 1, 1}, DocumentKind::kPdf, HashBytes("3"), &fourth);
    cache->Flush();
    EXPECT_TRUE(cache->FindContent(HashBytes("0"), DocumentKind::kPdf));
    EXPECT_FALSE(cache->FindContent(HashBytes("1"), DocumentKind::kPdf));
    EXPECT_FALSE(cache->Find({1, 1, 1, 1}, DocumentKind::kPdf));
    EXPECT_TRUE(cache->FindContent(HashBytes("3"), DocumentKind::kPdf));
    EXPECT_LE(cache->Stats()->textBytes, 10100u);

    // A smaller cap is kept from the first search, even one that writes nothing.
    cache.reset();
    auto smaller = TextCache::Open(dir.File("cache"), 7000);
    EXPECT_TRUE(smaller->Find({1, 3, 1, 1}, DocumentKind::kPdf));
    smaller->Flush();
    EXPECT_FALSE(smaller->FindContent(HashBytes("0"), DocumentKind::kPdf));
    EXPECT_LE(smaller->Stats()->textBytes, 7000u);
}

// Damage that only a search comes upon, in a run that has written nothing:
// said once, and the next run starts from an empty cache.
TEST(TextCache, DamageFoundByASearchEmptiesTheCacheAtTheNextRun)
{
    TempDir dir;
    const FileState state{1, 1, 1, 1};
    {
        auto cache = TextCache::Open(dir.File("cache"));
        // Long enough to lie on pages of its own, away from the table's tree.
        const DocumentText long_text = TextOf({{MatchRule::kPattern, std::string(60000, 'z')}});
        cache->Store(dir.File("long"), state, DocumentKind::kPdf, HashBytes("long"), &long_text);
        cache->Flush();
    }
    std::vector<long> overflow;
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(DatabaseOf(dir).c_str(), &db), SQLITE_OK);
        sqlite3_stmt* s = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT pageno FROM dbstat WHERE name = 'texts' AND pagetype = 'overflow'", -1,
                                     &s, nullptr),
                  SQLITE_OK)
            << sqlite3_errmsg(db);
        while (sqlite3_step(s) == SQLITE_ROW)
            overflow.push_back(static_cast<long>(sqlite3_column_int64(s, 0)));
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
    ASSERT_GT(overflow.size(), 2u);
    {
        std::FILE* f = std::fopen(DatabaseOf(dir).c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        const std::string garbage(4096, '\xFF');
        ASSERT_EQ(std::fseek(f, (overflow[1] - 1) * 4096, SEEK_SET), 0);
        ASSERT_EQ(std::fwrite(garbage.data(), 1, garbage.size(), f), garbage.size());
        std::fclose(f);
    }
    {
        auto cache = TextCache::Open(dir.File("cache"));
        ASSERT_TRUE(cache->Enabled());
        const std::optional<CacheEntry> entry = cache->Find(state, DocumentKind::kPdf);
        ASSERT_TRUE(entry);
        EXPECT_FALSE(cache->LoadText(entry->textId));
        EXPECT_NE(cache->TakeWarning().find("endommagé : il sera recréé"), std::string::npos);
    }
    // Tables too damaged to be dropped: the file is made anew, and said so.
    auto cache = TextCache::Open(dir.File("cache"));
    ASSERT_TRUE(cache->Enabled());
    EXPECT_NE(cache->TakeWarning().find("était endommagé : il a été recréé"), std::string::npos);
    EXPECT_FALSE(cache->Find(state, DocumentKind::kPdf));
    EXPECT_EQ(cache->Stats()->texts, 0u);
}

// The answer does not depend on the cache, nor on how many documents are
// read at once.
TEST(CachedSearch, SameAnswerCachedOrNotAndOneAtATimeOrNot)
{
    TempDir dir;
    SubjectList book;
    const char* const fixtures[] = {"lettre.doc", "comptes.xls", "rapport.pdf", "lettre.rtf", "utf8.txt"};
    // Enough documents for the reader that the search asks the full-text index.
    for (int copy = 0; copy < 7; ++copy) {
        for (const char* fixture : fixtures) {
            book.push_back(std::make_unique<CTenorels>("G", std::to_string(copy) + fixture, 0));
            book.back()->AddDocumentPath(dir.File("absent" + std::to_string(copy) + ".pdf"));
            book.back()->AddDocumentPath(dir.Write(std::to_string(copy) + fixture, ReadWholeFile(Fixture(fixture))));
        }
    }
    const std::pair<const char*, SearchOptions> searches[] = {
        {"quittance", {}},        {"Quincaillerie", {true, false}}, {"ZÈBRE", {}},     {"zèbre", {false, true}},
        {"7~*8~?", {}},            {"fact.re", {}},                  {"a{2}", {}},       {"(loyer|été)", {}},
        {"r.f.rence QZ-[0-9]+", {false, true}}, {"Mot", {true, false}}, {"introuvable", {}},
    };
    TextSource uncached(TextCache::Disabled(), {{}, {}, 1});
    TextSource cached(TextCache::Open(dir.File("cache")), {{}, {}, 4});
    const auto names = [](const SearchResult& r) {
        std::vector<std::string> out;
        for (const CTenorels* s : r.hits)
            out.push_back(s->GetSubjectName());
        for (const UnreadableDocument& u : r.unreadable)
            out.push_back("! " + u.message);
        return out;
    };
    for (const auto& [word, options] : searches) {
        const SearchPattern pattern(word, options);
        const std::vector<std::string> expected = names(RunSearch(book, pattern, kScopeDocumentContents, {&uncached}));
        EXPECT_EQ(names(RunSearch(book, pattern, kScopeDocumentContents, {&cached})), expected) << word;
        const int starts = cached.ReaderStarts();
        // Again once the full-text index has caught up: it narrows the
        // candidates, never the answer.
        cached.Cache().FinishIndexing();
        EXPECT_EQ(names(RunSearch(book, pattern, kScopeDocumentContents, {&cached})), expected) << word;
        // The second time, every text comes from the cache.
        EXPECT_EQ(cached.ReaderStarts(), starts) << word;
    }
}

TEST(CachedSearch, ACopyReadDuringTheSearchIsNotRuledOut)
{
    TempDir dir;
    TextSource source(TextCache::Open(dir.File("cache")), {{}, {}, 1});
    const std::string rtf = "{\\rtf1 la quittance zorglub}";
    const std::string first = dir.Write("a.rtf", rtf);
    const std::string copy = dir.Write("b.rtf", rtf);
    // What the cache held when the search began: nothing with the word.
    const std::optional<TextCandidates> candidates = source.Cache().TextsContaining({"zorglub"});
    ASSERT_TRUE(candidates);
    ReadContext context;
    context.candidates = &*candidates;
    ASSERT_EQ(source.Read(first, DocumentKind::kRtf, context).status, ReadStatus::kRead);
    source.Cache().Flush();
    // The copy is known by its bytes, from a text newer than the question.
    const DocumentRead read = source.Read(copy, DocumentKind::kRtf, context);
    EXPECT_FALSE(read.ruledOut);
    EXPECT_NE(read.text.Body().find("zorglub"), std::string::npos);
}

TEST(CachedSearch, AChangedDocumentIsReadAgainAMovedOneIsNot)
{
    TempDir dir;
    const std::string rtf = "{\\rtf1 ancien mot}";
    const std::string path = dir.Write("note.rtf", rtf);
    SubjectList book;
    book.push_back(std::make_unique<CTenorels>("G", "S", 0));
    book.back()->AddDocumentPath(path);
    TextSource source(TextCache::Open(dir.File("cache")), {{}, {}, 1});
    const auto found = [&](const char* word) {
        return RunSearch(book, SearchPattern(word, {}), kScopeDocumentContents, {&source}).hits.size() == 1;
    };
    ASSERT_TRUE(found("ancien"));
    // Same size, new bytes, a new modification time.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    dir.Write("note.rtf", "{\\rtf1 nouvel mot}");
    EXPECT_TRUE(found("nouvel"));
    EXPECT_FALSE(found("ancien"));
    // Replaced by a rename, as editors save.
    dir.Write("autre.rtf", "{\\rtf1 changement}");
    std::filesystem::rename(dir.File("autre.rtf"), path);
    EXPECT_TRUE(found("changement"));
    // Copied elsewhere (a new file): known by its bytes, no reader needed.
    const int starts = source.ReaderStarts();
    const std::string moved = dir.File("rangé.rtf");
    std::filesystem::copy_file(path, moved);
    std::filesystem::remove(path);
    book.back()->SetDocumentPath(0, moved);
    EXPECT_TRUE(found("changement"));
    EXPECT_EQ(source.ReaderStarts(), starts);
    EXPECT_EQ(source.Cache().LastSeen(moved)->hash, HashBytes("{\\rtf1 changement}"));
}

} // namespace
} // namespace tavelo
