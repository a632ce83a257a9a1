// What a search costs before any document is looked at, on a text cache of
// 100,000 texts: opening the cache (and closing it), and a book of one
// document, searched with the cache and without it in the same run; the
// floor beside them is SQLite opening the same file and reading its version.
//
//   FixedCosts/open_close          TextCache::Open and its end
//   FixedCosts/one_text/cache      a book of one text file, cache on
//   FixedCosts/one_text/no_cache   the same, --no-cache
//   FixedCosts/one_rtf/cache       a book of one RTF letter the cache knows
//   FixedCosts/one_rtf/no_cache    the same read by a reader
//   Reference/sqlite_open          sqlite3_open_v2, PRAGMA user_version, close
//
// The cache is made once under $TAVELO_FIXED_COSTS_CACHE/tavelo (by default
// in the temporary folder) and kept, so that bench/search/whole_process.sh
// can time whole processes on it too. Each search first checks its answer.

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "book/tenorels.h"
#include "reading/content_hash.h"
#include "reading/text_source.h"
#include "search/search_pattern.h"
#include "search/search_run.h"

namespace tavelo::bench {
namespace {

constexpr int kCachedTexts = 100000;

std::string Home()
{
    const char* set = std::getenv("TAVELO_FIXED_COSTS_CACHE");
    return set != nullptr && set[0] == '/' ? set : (std::filesystem::temp_directory_path() / "tavelo-fixed-costs").string();
}

std::string Folder()
{
    return Home() + "/tavelo";
}

std::string Document(const char* name)
{
    return Home() + "/" + name;
}

// 100,000 texts of about 300 bytes, one in twenty with the word, indexed; then
// the two documents of the books, the RTF one read once into the cache.
bool Prepare()
{
    static const bool ready = [] {
        std::filesystem::create_directories(Home());
        std::ofstream(Document("lettre.txt")) << "Madame, veuillez trouver la quittance de loyer zorglub.\n";
        std::ofstream(Document("lettre.rtf")) << "{\\rtf1\\ansi Quittance de loyer zorglub.\\par}";
        auto cache = TextCache::Open(Folder(), std::uint64_t{4} << 30);
        if (!cache->Enabled()) {
            std::cerr << cache->TakeWarning() << '\n';
            return false;
        }
        const std::optional<CacheStats> stats = cache->Stats();
        if (!stats || stats->texts < kCachedTexts) {
            std::string reason;
            cache->Clear(reason);
            cache->Resume();
            for (int i = 0; i < kCachedTexts; ++i) {
                DocumentText text;
                text.Append(MatchRule::kPattern, "Lettre " + std::to_string(i) +
                                                     " : quittance de loyer, échéance de mars, relevé de compte" +
                                                     (i % 20 == 7 ? " zorglub" : "") + std::string(220, '.'));
                FileState state;
                state.device = 1;
                state.inode = static_cast<std::uint64_t>(i) + 1;
                state.size = text.Size();
                state.mtimeNs = i;
                cache->Store("/nulle-part/" + std::to_string(i) + ".rtf", state, DocumentKind::kRtf,
                             HashBytes(text.Body()), &text);
            }
            cache->Flush();
            cache->FinishIndexing();
        }
        cache.reset();
        TextSource source(TextCache::Open(Folder(), std::uint64_t{4} << 30));
        SubjectList book;
        book.push_back(std::make_unique<CTenorels>("Titre", "Sujet", 0));
        book.back()->AddDocumentPath(Document("lettre.rtf"));
        RunSearch(book, SearchPattern("zorglub", {}), kScopeDocumentContents, {&source});
        source.Cache().FinishIndexing();
        return true;
    }();
    return ready;
}

void OpenClose(benchmark::State& state)
{
    if (!Prepare())
        return state.SkipWithError("no cache");
    for (auto _ : state) {
        auto cache = TextCache::Open(Folder(), std::uint64_t{4} << 30);
        if (!cache->Enabled())
            return state.SkipWithError("cache disabled");
        cache.reset();
    }
}

void OneDocument(benchmark::State& state, const char* name, bool useCache)
{
    if (!Prepare())
        return state.SkipWithError("no cache");
    SubjectList book;
    book.push_back(std::make_unique<CTenorels>("Titre", "Sujet", 0));
    book.back()->AddDocumentPath(Document(name));
    const SearchPattern pattern("zorglub", {});
    for (auto _ : state) {
        // As tavelo-cli: a source, one search, its end.
        TextSource source(useCache ? TextCache::Open(Folder(), std::uint64_t{4} << 30) : TextCache::Disabled());
        const SearchResult result = RunSearch(book, pattern, kScopeDocumentContents, {&source});
        if (result.hits.size() != 1)
            return state.SkipWithError("the document's word was not found");
        if (!source.Cache().TakeWarning().empty())
            return state.SkipWithError("the cache warned");
    }
}

void SqliteOpen(benchmark::State& state)
{
    if (!Prepare())
        return state.SkipWithError("no cache");
    const std::string path = Folder() + "/textes.sqlite3";
    for (auto _ : state) {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            return state.SkipWithError("sqlite3_open_v2");
        sqlite3_exec(db, "PRAGMA user_version", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db);
    }
}

void Configure(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
}

BENCHMARK(OpenClose)->Name("FixedCosts/open_close")->Apply(Configure);
BENCHMARK_CAPTURE(OneDocument, one_text_cache, "lettre.txt", true)->Name("FixedCosts/one_text/cache")->Apply(Configure);
BENCHMARK_CAPTURE(OneDocument, one_text_no_cache, "lettre.txt", false)->Name("FixedCosts/one_text/no_cache")->Apply(Configure);
BENCHMARK_CAPTURE(OneDocument, one_rtf_cache, "lettre.rtf", true)->Name("FixedCosts/one_rtf/cache")->Apply(Configure);
BENCHMARK_CAPTURE(OneDocument, one_rtf_no_cache, "lettre.rtf", false)->Name("FixedCosts/one_rtf/no_cache")->Apply(Configure);
BENCHMARK(SqliteOpen)->Name("Reference/sqlite_open")->Apply(Configure);

} // namespace
} // namespace tavelo::bench

BENCHMARK_MAIN();
