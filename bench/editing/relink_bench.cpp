// Finding moved documents in a folder of 100,000 files (1,000 folders of 100)
// against `find FOLDER -printf '%s %p\n'` over the same folder, in the same
// run, warm. Two cases: by name only (the sizes of the files of the missing
// names are read), and with the content step on (every file's size is read,
// as find reads it). The book has 1,000 missing documents that moved into the
// folder and 100 that are nowhere. "ratio" is the relinking's total time over
// find's; "median_ratio" the median of the paired rounds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "book/subject_book.h"
#include "editing/relink.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr int kMoved = 1000;
constexpr int kLost = 100;

struct Corpus {
    fs::path root;
    tavelo::SubjectBook book;

    Corpus()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/tavelo-relink-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        root = pattern;
        for (int f = 0; f < kFolders; ++f) {
            const fs::path folder = root / "scan" / ("annee" + std::to_string(f % 20)) / ("dossier" + std::to_string(f));
            fs::create_directories(folder);
            for (int i = 0; i < kFilesPerFolder; ++i) {
                const int n = f * kFilesPerFolder + i;
                std::ofstream(folder / ("piece_" + std::to_string(n) + ".pdf")) << "piece " << n;
            }
        }
        // Every 100th file is a document of the book, filed elsewhere before.
        auto subject = std::make_unique<tavelo::CTenorels>("Archives", "Pièces", 0);
        for (int d = 0; d < kMoved; ++d)
            subject->AddDocumentPath("/ancien/disque/piece_" + std::to_string(d * 100) + ".pdf");
        for (int d = 0; d < kLost; ++d)
            subject->AddDocumentPath("/ancien/disque/perdu_" + std::to_string(d) + ".pdf");
        book.AppendSubject(std::move(subject));
    }
    ~Corpus()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

Corpus& TheCorpus()
{
    static Corpus corpus;
    return corpus;
}

double TimeFind(const Corpus& c)
{
    const std::string command = "find '" + (c.root / "scan").string() + "' -printf '%s %p\\n' > /dev/null";
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0)
        std::abort();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double TimeRelink(const Corpus& c, const std::vector<tavelo::MissingDocument>& missing, const tavelo::RelinkSources& sources)
{
    const auto start = Clock::now();
    const tavelo::RelinkScan scan = tavelo::FindMovedDocuments(missing, (c.root / "scan").string(), sources);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // The answer: each moved document found once and chosen, the lost ones not.
    if (scan.proposals.size() != kMoved || scan.notFound.size() != kLost || scan.scan.counts.files != kFolders * kFilesPerFolder)
        std::abort();
    for (const auto& p : scan.proposals) {
        if (p.chosen != 0 || p.candidates.size() != 1 ||
            tavelo::GetDocumentFileName(p.candidates[0].path) != tavelo::GetDocumentFileName(p.document.path))
            std::abort();
    }
    return seconds;
}

void BM_RelinkAgainstFind(benchmark::State& state)
{
    Corpus& c = TheCorpus();
    const std::vector<tavelo::MissingDocument> missing = tavelo::FindMissingDocuments(c.book);
    tavelo::RelinkSources sources;
    if (state.range(0) == 1) {
        // The content step: the lost documents were seen with a size that no
        // file has, so every file's size is read and nothing is hashed.
        sources.lastSeen = [](const std::string& path) -> std::optional<tavelo::LastSeenFile> {
            if (path.find("perdu_") == std::string::npos)
                return std::nullopt;
            return tavelo::LastSeenFile{1u << 30, {}};
        };
        sources.hash = [](const std::string&) -> std::optional<tavelo::FileDigest> { std::abort(); };
    }
    TimeFind(c); // warm
    double relinkTotal = 0;
    double findTotal = 0;
    std::vector<double> ratios;
    int round = 0;
    for (auto _ : state) {
        double r = 0;
        double f = 0;
        if (round++ % 2 == 0) {
            f = TimeFind(c);
            r = TimeRelink(c, missing, sources);
        } else {
            r = TimeRelink(c, missing, sources);
            f = TimeFind(c);
        }
        state.SetIterationTime(r);
        ratios.push_back(r / f);
        relinkTotal += r;
        findTotal += f;
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters["relink_s"] = relinkTotal / round;
    state.counters["find_s"] = findTotal / round;
    state.counters["ratio"] = relinkTotal / findTotal;
    state.counters["median_ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_RelinkAgainstFind)->ArgName("every_size")->Arg(0)->Arg(1)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
