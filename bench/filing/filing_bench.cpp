// Timings of the subject suggestions: one suggestion for a new document whose
// text is read, on books of 2,000 and 24,000 documents; an inbox of 500 new
// files listed with their suggestions once their texts are read; the scorer
// made from a book whose texts the cache holds. Each first checks its answer.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "book/subject_book.h"
#include "filing/book_filing.h"
#include "household_archive.h"
#include "reading/text_source.h"

namespace fs = std::filesystem;
using namespace tavelo;
using namespace tavelo::filing;
using namespace tavelo::filing::bench;

namespace {

// A book of the first `documents` documents of an archive, and the next 500
// documents of subjects it knows, held back as new ones.
struct Filed {
    Archive archive;
    std::unique_ptr<Scorer> scorer;
    std::vector<std::size_t> held; // documents left out, by place in the archive
    std::vector<long> subjectOf;   // archive subject -> scorer subject
};

const Filed& FiledArchive(std::size_t documents)
{
    constexpr std::size_t kHeld = 500;
    static std::map<std::size_t, std::unique_ptr<Filed>> made;
    auto& slot = made[documents];
    if (slot)
        return *slot;
    slot = std::make_unique<Filed>();
    Filed& f = *slot;
    // Households spread over the same two years: the book is their first
    // documents in date order, the new files what comes next.
    const int households = static_cast<int>((documents + 2 * kHeld) / 282 + 1);
    f.archive = MakeHouseholdArchive(kArchiveSeed, households);
    f.scorer = std::make_unique<Scorer>();
    f.subjectOf.assign(f.archive.subjects.size(), -1);
    for (std::size_t d = 0; d < f.archive.documents.size() && f.held.size() < kHeld; ++d) {
        const ArchiveDocument& doc = f.archive.documents[d];
        long& s = f.subjectOf[doc.subject];
        if (d >= documents) {
            if (s >= 0)
                f.held.push_back(d);
            continue;
        }
        if (s < 0) {
            const ArchiveSubject& a = f.archive.subjects[doc.subject];
            s = static_cast<long>(f.scorer->AddSubject({a.generalTitle, a.name, a.expected, false}));
        }
        f.scorer->AddDocument(static_cast<std::size_t>(s), ProfileText(doc.text));
    }
    return f;
}

// Most of the held documents go first to their own subject (at the turn of
// the year some go to last year's subjects, of the same issuers).
bool MostlyRight(const Filed& f, std::size_t count)
{
    std::size_t right = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const ArchiveDocument& doc = f.archive.documents[f.held[i]];
        const Suggestions s = f.scorer->Suggest(ProfileText(doc.text));
        right += !s.best.empty() && static_cast<long>(s.best.front().subject) == f.subjectOf[doc.subject] ? 1 : 0;
    }
    return right * 10 >= count * 7;
}

void BM_SuggestOne(benchmark::State& state)
{
    const Filed& f = FiledArchive(static_cast<std::size_t>(state.range(0)));
    if (f.held.size() < 100 || !MostlyRight(f, 100)) {
        state.SkipWithError("the suggestions are wrong");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& text = f.archive.documents[f.held[i++ % f.held.size()]].text;
        benchmark::DoNotOptimize(f.scorer->Suggest(ProfileText(text)));
    }
    state.counters["documents"] = static_cast<double>(f.scorer->DocumentCount());
    state.counters["subjects"] = static_cast<double>(f.scorer->SubjectCount());
}
BENCHMARK(BM_SuggestOne)->Arg(2000)->Arg(24000)->Unit(benchmark::kMillisecond);

struct Folder {
    fs::path dir;
    Folder()
    {
        dir = fs::temp_directory_path() / ("tavelo-filing-bench-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "inbox");
        fs::create_directories(dir / "book");
        ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    }
    ~Folder() { fs::remove_all(dir); }
};

const Folder& TempFolder()
{
    static Folder folder;
    return folder;
}

// 500 new files in an inbox beside a book whose scorer is made: listed,
// read, and each given its suggestions.
void BM_Inbox500(benchmark::State& state)
{
    const Filed& f = FiledArchive(static_cast<std::size_t>(state.range(0)));
    const fs::path inbox = TempFolder().dir / ("inbox-" + std::to_string(state.range(0)));
    fs::create_directories(inbox);
    for (std::size_t i = 0; i < f.held.size(); ++i)
        std::ofstream(inbox / f.archive.documents[f.held[i]].fileName) << f.archive.documents[f.held[i]].text;
    const SubjectList none;
    TextSource source(TextCache::Open());
    std::size_t listed = 0;
    for (auto _ : state) {
        std::string reason;
        const auto files = ListNewFiles(inbox.string(), none, reason);
        std::vector<std::string> paths;
        for (const InboxFile& file : *files)
            paths.push_back(file.path);
        const std::vector<FileText> texts = ReadFileTexts(source, paths);
        listed = 0;
        for (const FileText& text : texts)
            if (text.read && !f.scorer->Suggest(ProfileText(text.text)).best.empty())
                ++listed;
    }
    if (listed != f.held.size())
        state.SkipWithError("some new files were not listed with suggestions");
    state.counters["files"] = static_cast<double>(listed);
}
BENCHMARK(BM_Inbox500)->Arg(2000)->Arg(24000)->Unit(benchmark::kMillisecond)->Iterations(3);

// What every command pays first: the scorer made from a book of 2,000
// documents whose texts the cache holds.
void BM_ScorerFromCache(benchmark::State& state)
{
    const Filed& f = FiledArchive(2000);
    const fs::path folder = TempFolder().dir / "book";
    SubjectBook book;
    std::vector<CTenorels*> records(f.archive.subjects.size(), nullptr);
    for (std::size_t d = 0; d < 2000; ++d) {
        const ArchiveDocument& doc = f.archive.documents[d];
        CTenorels*& r = records[doc.subject];
        if (r == nullptr)
            r = book.AppendSubject(std::make_unique<CTenorels>(f.archive.subjects[doc.subject].generalTitle,
                                                               f.archive.subjects[doc.subject].name, CTenorels::kOpen));
        const fs::path path = folder / doc.fileName;
        std::ofstream(path) << doc.text;
        r->AddDocumentPath(path.string());
    }
    TextSource source(TextCache::Open());
    ScorerForBook(book.Subjects(), source); // reads them into the cache once
    source.Cache().FinishIndexing();
    std::size_t documents = 0;
    for (auto _ : state)
        documents = ScorerForBook(book.Subjects(), source, false).DocumentCount();
    if (documents != f.scorer->DocumentCount())
        state.SkipWithError("the cache did not give every text");
    state.counters["documents"] = static_cast<double>(documents);
}
BENCHMARK(BM_ScorerFromCache)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
