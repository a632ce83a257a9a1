// Content search over a generated corpus (kPerKind documents of each kind),
// beside the usual command-line tools doing the same work on the same files:
// grep and rg for text, pdftotext for PDF, catdoc for Word, xls2csv for Excel,
// html2text for web pages, ripmime (which decodes every part of a message to
// a file) for e-mails, docx2txt, xlsx2csv and odt2txt for the office formats of
// today, and for PowerPoint, which has no such tool, unzip -p (inflating the
// parts without reading them: a floor).
//
//   Tavelo/<kind>/cold      empty text cache, one reader per processor
//   Tavelo/<kind>/cold1     empty text cache, one reader
//   Tavelo/<kind>/warm      the same search again, nothing changed
//   Tavelo/all/warm         every document of the corpus, warm
//   Tavelo/cached100k       100,000 cached documents, warm
//   Reference/<tool>        the reference tool over the same files
//   Memory/search           growth of the peak resident size during a cold
//                           search over the whole corpus (counter, in MiB)
//   Cancel/latency          from the cancel request to the end of a search
//                           over documents that never end
//
// Each Tavelo run first checks that it found the subjects that hold the word.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "book/book_file.h"
#include "corpus.h"
#include "reading/text_source.h"
#include "search/search_pattern.h"
#include "search/search_run.h"
#include "test_files.h"

extern char** environ;

namespace tavelo::bench {
namespace {

constexpr int kPerKind = 2000;
constexpr int kDocumentsPerSubject = 10;
constexpr int kCachedDocuments = 100000;

const Corpus& TheCorpus()
{
    static const Corpus corpus = [] {
        Corpus c = MakeCorpus(kPerKind);
        static Corpus forCleanup;
        forCleanup = c;
        std::atexit([] { RemoveCorpus(forCleanup); });
        return c;
    }();
    return corpus;
}

enum Kind { kText, kPdf, kWord, kSpreadsheet, kHtml, kMail, kDocx, kXlsx, kPptx, kOdt, kOds, kOdp, kAll };

std::vector<std::string> Files(Kind kind)
{
    const Corpus& c = TheCorpus();
    switch (kind) {
    case kText: return c.text;
    case kPdf: return c.pdf;
    case kWord: return c.word;
    case kSpreadsheet: return c.spreadsheet;
    case kHtml: return c.html;
    case kMail: return c.mail;
    case kDocx: return c.docx;
    case kXlsx: return c.xlsx;
    case kPptx: return c.pptx;
    case kOdt: return c.odt;
    case kOds: return c.ods;
    case kOdp: return c.odp;
    case kAll: break;
    }
    std::vector<std::string> all;
    for (const auto* files : {&c.text, &c.pdf, &c.word, &c.spreadsheet, &c.html, &c.mail, &c.docx, &c.xlsx, &c.pptx,
                              &c.odt, &c.ods, &c.odp})
        all.insert(all.end(), files->begin(), files->end());
    return all;
}

SubjectList BookOf(const std::vector<std::string>& files)
{
    SubjectList book;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i % kDocumentsPerSubject == 0)
            book.push_back(std::make_unique<CTenorels>("Titre", "Sujet " + std::to_string(i), 0));
        book.back()->AddDocumentPath(files[i]);
    }
    return book;
}

// Subjects with a document that holds the word: the corpus puts it in one
// document in twenty, the 8th of each twenty.
std::size_t ExpectedHits(const std::vector<std::string>& files)
{
    std::size_t hits = 0;
    for (std::size_t first = 0; first < files.size(); first += kDocumentsPerSubject) {
        bool found = false;
        for (std::size_t i = first; i < std::min(files.size(), first + kDocumentsPerSubject); ++i)
            found |= HoldsSoughtWord(files[i]);
        hits += found;
    }
    return hits;
}

std::string FreshFolder(const char* name)
{
    const std::string folder = TheCorpus().folder + "/" + name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

bool Check(benchmark::State& state, const SearchResult& result, std::size_t expected)
{
    if (!result.unreadable.empty()) {
        state.SkipWithError(result.unreadable.front().message.c_str());
        return false;
    }
    if (result.hits.size() != expected) {
        state.SkipWithError(("wrong hits: " + std::to_string(result.hits.size()) + " instead of " +
                             std::to_string(expected)).c_str());
        return false;
    }
    return true;
}

void Tavelo(benchmark::State& state, Kind kind, bool warm, unsigned readers)
{
    const std::vector<std::string> files = Files(kind);
    const SubjectList book = BookOf(files);
    const std::size_t expected = ExpectedHits(files);
    const SearchPattern pattern(kSoughtWord, {});
    std::unique_ptr<TextSource> source;
    const auto newSource = [&] {
        source = std::make_unique<TextSource>(TextCache::Open(FreshFolder("cache")), SourceOptions{{}, {}, readers});
    };
    newSource();
    if (warm && !Check(state, RunSearch(book, pattern, kScopeDocumentContents, {source.get()}), expected))
        return;
    // Warm: the full-text index has caught up with the first search, as it
    // does between two searches in the window.
    if (warm)
        source->Cache().FinishIndexing();
    for (auto _ : state) {
        if (!warm) {
            state.PauseTiming();
            newSource();
            state.ResumeTiming();
        }
        if (!Check(state, RunSearch(book, pattern, kScopeDocumentContents, {source.get()}), expected))
            return;
    }
    state.counters["documents"] = static_cast<double>(files.size());
    state.counters["hits"] = static_cast<double>(expected);
}

// 100,000 small RTF letters, one in twenty with the word, read once into the
// cache; then the timed searches find everything there.
void TaveloCached100k(benchmark::State& state)
{
    const std::string folder = TheCorpus().folder + "/cent-mille";
    std::vector<std::string> files;
    if (!std::filesystem::exists(folder)) {
        std::filesystem::create_directories(folder);
        for (int i = 0; i < kCachedDocuments; ++i) {
            files.push_back(folder + "/" + std::to_string(i) + ".rtf");
            std::ofstream(files.back()) << "{\\rtf1\\ansi Lettre " << i << " : quittance de loyer"
                                        << (i % 20 == 7 ? " zorglub" : "") << ".\\par}";
        }
    } else {
        for (int i = 0; i < kCachedDocuments; ++i)
            files.push_back(folder + "/" + std::to_string(i) + ".rtf");
    }
    SubjectList book;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i % kDocumentsPerSubject == 0)
            book.push_back(std::make_unique<CTenorels>("Titre", "Sujet " + std::to_string(i), 0));
        book.back()->AddDocumentPath(files[i]);
    }
    const std::size_t expected = kCachedDocuments / 20;
    TextSource source(TextCache::Open(FreshFolder("cache100k"), std::uint64_t{4} << 30));
    const SearchPattern pattern(kSoughtWord, {});
    if (!Check(state, RunSearch(book, pattern, kScopeDocumentContents, {&source}), expected))
        return;
    source.Cache().FinishIndexing();
    for (auto _ : state)
        if (!Check(state, RunSearch(book, pattern, kScopeDocumentContents, {&source}), expected))
            return;
    state.counters["documents"] = kCachedDocuments;
}

long PeakResidentKib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// In a child of its own, so that its peak is the search's.
void MemoryOfASearch(benchmark::State& state)
{
    const SubjectList book = BookOf(Files(kAll));
    const std::size_t expected = ExpectedHits(Files(kAll));
    const std::string cache = FreshFolder("cache-memory");
    double growthMib = 0;
    for (auto _ : state) {
        int fds[2];
        if (::pipe(fds) != 0)
            return state.SkipWithError("pipe");
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(fds[0]);
            TextSource source(TextCache::Open(cache));
            const long before = PeakResidentKib();
            const SearchResult result = RunSearch(book, SearchPattern(kSoughtWord, {}), kScopeDocumentContents, {&source});
            long growth = PeakResidentKib() - before;
            if (result.hits.size() != expected)
                growth = -1;
            [[maybe_unused]] const ssize_t n = ::write(fds[1], &growth, sizeof growth);
            ::_exit(0);
        }
        ::close(fds[1]);
        long growth = -1;
        [[maybe_unused]] const ssize_t n = ::read(fds[0], &growth, sizeof growth);
        ::close(fds[0]);
        ::waitpid(child, nullptr, 0);
        if (growth < 0)
            return state.SkipWithError("wrong hits in the child");
        growthMib = static_cast<double>(growth) / 1024.0;
        std::filesystem::remove_all(cache);
        std::filesystem::create_directories(cache);
    }
    state.counters["peak_growth_MiB"] = growthMib;
}

// A PDF that never ends (forms within forms), repeated: the search is
// cancelled after 300 ms; the time measured is from the request to the end.
void CancelLatency(benchmark::State& state)
{
    const std::string path = TheCorpus().folder + "/formes.pdf";
    std::ofstream(path, std::ios::binary) << test::NestedFormsPdf();
    SubjectList book;
    for (int i = 0; i < 8; ++i) {
        book.push_back(std::make_unique<CTenorels>("Titre", "Sujet " + std::to_string(i), 0));
        book.back()->AddDocumentPath(path);
    }
    TextSource source(TextCache::Disabled());
    for (auto _ : state) {
        state.PauseTiming();
        std::atomic<bool> cancel{false};
        std::chrono::steady_clock::time_point requested;
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            requested = std::chrono::steady_clock::now();
            cancel = true;
        });
        const SearchResult result = RunSearch(book, SearchPattern(kSoughtWord, {}), kScopeDocumentContents,
                                              {&source, nullptr, &cancel});
        const auto ended = std::chrono::steady_clock::now();
        canceller.join();
        if (!result.cancelled)
            return state.SkipWithError("not cancelled");
        state.SetIterationTime(std::chrono::duration<double>(ended - requested).count());
        state.ResumeTiming();
    }
}

int Run(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One run of the tool per file, `parallel` at a time, as the search reads
// with one reader per processor.
// Stands, in a reference command, for a folder of the corpus that the tool
// may write into (ripmime writes each decoded part to a file).
constexpr const char* kOutputFolder = "<output>";

void ReferenceEach(benchmark::State& state, Kind kind, std::vector<std::string> command)
{
    const std::vector<std::string> files = Files(kind);
    for (std::string& argument : command)
        if (argument == kOutputFolder)
            argument = FreshFolder("output");
    const unsigned parallel = std::max(1u, std::thread::hardware_concurrency());
    for (auto _ : state) {
        std::atomic<std::size_t> next{0};
        std::atomic<bool> failed{false};
        std::vector<std::thread> workers;
        for (unsigned w = 0; w < parallel; ++w) {
            workers.emplace_back([&] {
                for (std::size_t i; (i = next++) < files.size();) {
                    std::vector<std::string> argv = command;
                    argv.push_back(files[i]);
                    if (kind == kPdf || kind == kDocx)
                        argv.push_back("-");
                    if (Run(argv) < 0)
                        failed = true;
                }
            });
        }
        for (std::thread& w : workers)
            w.join();
        if (failed)
            return state.SkipWithError(("cannot run " + command[0]).c_str());
    }
    state.counters["documents"] = static_cast<double>(files.size());
}

void ReferenceAll(benchmark::State& state, std::vector<std::string> command)
{
    std::vector<std::string> argv = std::move(command);
    argv.insert(argv.end(), TheCorpus().text.begin(), TheCorpus().text.end());
    for (auto _ : state) {
        if (Run(argv) < 0)
            return state.SkipWithError(("cannot run " + argv[0]).c_str());
    }
    state.counters["documents"] = static_cast<double>(TheCorpus().text.size());
}

void Configure(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}

void Once(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
}

const unsigned kAllReaders = 0;

BENCHMARK_CAPTURE(Tavelo, text/cold, kText, false, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, text/cold1, kText, false, 1)->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, text/warm, kText, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceAll, text_grep, std::vector<std::string>{"grep", "-il", kSoughtWord})->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceAll, text_rg, std::vector<std::string>{"rg", "-il", kSoughtWord})->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, pdf/cold, kPdf, false, kAllReaders)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, pdf/cold1, kPdf, false, 1)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, pdf/warm, kPdf, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, pdf_pdftotext, kPdf, std::vector<std::string>{"pdftotext", "-q"})->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, doc/cold, kWord, false, kAllReaders)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, doc/cold1, kWord, false, 1)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, doc/warm, kWord, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, doc_catdoc, kWord, std::vector<std::string>{"catdoc"})->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, xls/cold, kSpreadsheet, false, kAllReaders)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, xls/cold1, kSpreadsheet, false, 1)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, xls/warm, kSpreadsheet, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, xls_xls2csv, kSpreadsheet, std::vector<std::string>{"xls2csv"})->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, html/cold, kHtml, false, kAllReaders)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, html/cold1, kHtml, false, 1)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, html/warm, kHtml, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, html_html2text, kHtml, std::vector<std::string>{"html2text", "-utf8"})->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, eml/cold, kMail, false, kAllReaders)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, eml/cold1, kMail, false, 1)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, eml/warm, kMail, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, eml_ripmime, kMail,
                  std::vector<std::string>{"ripmime", "--overwrite", "-q", "-d", kOutputFolder, "-i"})->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, docx/cold, kDocx, false, kAllReaders)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, docx/cold1, kDocx, false, 1)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, docx/warm, kDocx, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, docx_docx2txt, kDocx, std::vector<std::string>{"docx2txt"})->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, xlsx/cold, kXlsx, false, kAllReaders)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, xlsx/cold1, kXlsx, false, 1)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, xlsx/warm, kXlsx, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, xlsx_xlsx2csv, kXlsx, std::vector<std::string>{"xlsx2csv", "-a"})->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, pptx/cold, kPptx, false, kAllReaders)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, pptx/cold1, kPptx, false, 1)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, pptx/warm, kPptx, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, pptx_unzip, kPptx, std::vector<std::string>{"unzip", "-p"})->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, odt/cold, kOdt, false, kAllReaders)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, odt/cold1, kOdt, false, 1)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, odt/warm, kOdt, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, odt_odt2txt, kOdt, std::vector<std::string>{"odt2txt"})->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, ods/cold, kOds, false, kAllReaders)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, ods/cold1, kOds, false, 1)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, ods/warm, kOds, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, ods_odt2txt, kOds, std::vector<std::string>{"odt2txt"})->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, odp/cold, kOdp, false, kAllReaders)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, odp/cold1, kOdp, false, 1)->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, odp/warm, kOdp, true, kAllReaders)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, odp_odt2txt, kOdp, std::vector<std::string>{"odt2txt"})->Apply(Once);
BENCHMARK_CAPTURE(Tavelo, all/warm, kAll, true, kAllReaders)->Apply(Configure);
BENCHMARK(TaveloCached100k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(MemoryOfASearch)->Iterations(1);
BENCHMARK(CancelLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
} // namespace tavelo::bench

BENCHMARK_MAIN();
