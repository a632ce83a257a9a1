// Content search over 5,000 generated documents (500 of each kind), beside the
// usual command-line tools doing the same work on the same files: grep and rg
// for text, pdftotext for PDF, catdoc for Word, xls2csv for Excel, docx2txt,
// xlsx2csv and odt2txt for the office formats of today, and for PowerPoint,
// which has no such tool, unzip -p (inflating the parts, not reading them).
// Compare each Tavelo/<kind> time with Reference/<kind>. Tavelo/<kind> is
// mostly warm (the text cache answers after the first run); TaveloCold/<kind>
// reads every document every time.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "book/book_file.h"
#include "corpus.h"
#include "search/search_pattern.h"
#include "search/search_run.h"
#include "reading/text_cache.h"
#include "reading/text_source.h"

extern char** environ;

namespace tavelo::bench {
namespace {

constexpr int kPerKind = 500;
constexpr int kDocumentsPerSubject = 10;

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

enum Kind { kText, kPdf, kWord, kSpreadsheet, kDocx, kXlsx, kPptx, kOdt, kOds, kOdp };

const std::vector<std::string>& Files(Kind kind)
{
    const Corpus& c = TheCorpus();
    switch (kind) {
    case kText: return c.text;
    case kPdf: return c.pdf;
    case kWord: return c.word;
    case kSpreadsheet: return c.spreadsheet;
    case kDocx: return c.docx;
    case kXlsx: return c.xlsx;
    case kPptx: return c.pptx;
    case kOdt: return c.odt;
    case kOds: return c.ods;
    case kOdp: return c.odp;
    }
    return c.text;
}

void Search(benchmark::State& state, Kind kind, TextSource* source)
{
    const std::vector<std::string>& files = Files(kind);
    SubjectList book;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i % kDocumentsPerSubject == 0)
            book.push_back(std::make_unique<CTenorels>("Titre", "Sujet " + std::to_string(i), 0));
        book.back()->AddDocumentPath(files[i]);
    }
    const SearchPattern pattern(kSoughtWord, {});
    std::size_t hits = 0;
    for (auto _ : state) {
        const SearchResult result = RunSearch(book, pattern, kScopeDocumentContents, {source});
        hits = result.hits.size();
        if (!result.unreadable.empty())
            state.SkipWithError(result.unreadable.front().message.c_str());
    }
    // One document in twenty holds the word: every subject of ten documents
    // whose 8th document is one of them.
    state.counters["hits"] = static_cast<double>(hits);
    state.counters["documents"] = static_cast<double>(files.size());
}

void Tavelo(benchmark::State& state, Kind kind)
{
    Search(state, kind, nullptr);
}

void TaveloCold(benchmark::State& state, Kind kind)
{
    TextSource source(TextCache::Disabled());
    Search(state, kind, &source);
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

void ReferenceEach(benchmark::State& state, Kind kind, std::vector<std::string> command)
{
    const std::vector<std::string>& files = Files(kind);
    for (auto _ : state) {
        for (const std::string& file : files) {
            std::vector<std::string> argv = command;
            argv.push_back(file);
            if (kind == kPdf || kind == kDocx)
                argv.push_back("-");
            if (Run(argv) < 0) {
                state.SkipWithError(("cannot run " + command[0]).c_str());
                return;
            }
        }
    }
    state.counters["documents"] = static_cast<double>(files.size());
}

void ReferenceAll(benchmark::State& state, std::vector<std::string> command)
{
    std::vector<std::string> argv = std::move(command);
    argv.insert(argv.end(), TheCorpus().text.begin(), TheCorpus().text.end());
    for (auto _ : state) {
        if (Run(argv) < 0) {
            state.SkipWithError(("cannot run " + argv[0]).c_str());
            return;
        }
    }
    state.counters["documents"] = static_cast<double>(TheCorpus().text.size());
}

void Configure(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}

BENCHMARK_CAPTURE(Tavelo, text, kText)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceAll, text_grep, std::vector<std::string>{"grep", "-il", kSoughtWord})->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceAll, text_rg, std::vector<std::string>{"rg", "-il", kSoughtWord})->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, pdf, kPdf)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, pdf_pdftotext, kPdf, std::vector<std::string>{"pdftotext", "-q"})->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, doc, kWord)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, doc_catdoc, kWord, std::vector<std::string>{"catdoc"})->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, doc_antiword, kWord, std::vector<std::string>{"antiword"})->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, xls, kSpreadsheet)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, xls_xls2csv, kSpreadsheet, std::vector<std::string>{"xls2csv"})->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, docx, kDocx)->Apply(Configure);
BENCHMARK_CAPTURE(TaveloCold, docx, kDocx)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, docx_docx2txt, kDocx, std::vector<std::string>{"docx2txt"})->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, xlsx, kXlsx)->Apply(Configure);
BENCHMARK_CAPTURE(TaveloCold, xlsx, kXlsx)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, xlsx_xlsx2csv, kXlsx, std::vector<std::string>{"xlsx2csv", "-a"})->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, pptx, kPptx)->Apply(Configure);
BENCHMARK_CAPTURE(TaveloCold, pptx, kPptx)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, pptx_unzip, kPptx, std::vector<std::string>{"unzip", "-p"})->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, odt, kOdt)->Apply(Configure);
BENCHMARK_CAPTURE(TaveloCold, odt, kOdt)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, odt_odt2txt, kOdt, std::vector<std::string>{"odt2txt"})->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, ods, kOds)->Apply(Configure);
BENCHMARK_CAPTURE(TaveloCold, ods, kOds)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, ods_odt2txt, kOds, std::vector<std::string>{"odt2txt"})->Apply(Configure);
BENCHMARK_CAPTURE(Tavelo, odp, kOdp)->Apply(Configure);
BENCHMARK_CAPTURE(TaveloCold, odp, kOdp)->Apply(Configure);
BENCHMARK_CAPTURE(ReferenceEach, odp_odt2txt, kOdp, std::vector<std::string>{"odt2txt"})->Apply(Configure);

} // namespace
} // namespace tavelo::bench

BENCHMARK_MAIN();
