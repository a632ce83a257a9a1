// The export of a book of 5,000 documents (about 500 MB) against `cp` of the
// same files into one folder, in the same run. Both copy from a warm page
// cache; the order alternates between iterations, and dirty pages are written
// back (sync, untimed) before each timed copy so that neither pays for the
// other's write-back. The "ratio" counter is the total export time over the
// total cp time; "median_ratio" the median of the rounds' ratios.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "book/subject_book.h"
#include "editing/export.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kSubjects = 50;
constexpr int kDocumentsPerSubject = 100;
constexpr std::size_t kAverageSize = 100 * 1000;

class SilentObserver final : public tavelo::CopyObserver {
public:
    void Message(const std::string&, tavelo::MessageLook) override {}
    bool AskYesNo(const std::string&) override { return false; }
};

struct Corpus {
    fs::path root;
    tavelo::SubjectBook book;
    std::size_t bytes = 0;

    Corpus()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/tavelo-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        root = pattern;
        std::mt19937_64 random(42);
        std::string noise(4 * 1024 * 1024, '\0');
        for (auto& c : noise)
            c = static_cast<char>(random());
        std::uniform_int_distribution<std::size_t> size(kAverageSize / 2, kAverageSize * 3 / 2);
        std::uniform_int_distribution<std::size_t> offset(0, noise.size() - kAverageSize * 2);
        for (int s = 0; s < kSubjects; ++s) {
            const fs::path folder = root / "docs" / ("dossier" + std::to_string(s));
            fs::create_directories(folder);
            auto subject = std::make_unique<tavelo::CTenorels>("Titre", "Sujet " + std::to_string(s), 0);
            for (int d = 0; d < kDocumentsPerSubject; ++d) {
                const fs::path file = folder / ("facture_" + std::to_string(s) + "_" + std::to_string(d) + ".pdf");
                const std::size_t n = size(random);
                std::ofstream(file, std::ios::binary).write(noise.data() + offset(random), static_cast<std::streamsize>(n));
                bytes += n;
                subject->AddDocumentPath(file.string());
            }
            book.AppendSubject(std::move(subject));
        }
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

double TimeCp(const Corpus& c, const fs::path& target)
{
    fs::create_directories(target);
    const std::string command = "cp --preserve=timestamps '" + (c.root / "docs").string() + "'/*/* '" + target.string() + "'/";
    ::sync();
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0)
        std::abort();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double TimeExport(Corpus& c, const fs::path& folder)
{
    fs::create_directories(folder);
    SilentObserver ui;
    ::sync();
    const auto start = Clock::now();
    const tavelo::ExportResult r = tavelo::ExportBook(c.book, "Livre", folder.string(), ui);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!r.AllCopied())
        std::abort();
    return seconds;
}

void BM_ExportAgainstCp(benchmark::State& state)
{
    Corpus& c = TheCorpus();
    double exportTotal = 0;
    double cpTotal = 0;
    int round = 0;
    std::vector<double> ratios;
    for (auto _ : state) {
        const fs::path cpTarget = c.root / "cp";
        const fs::path exportFolder = c.root / "export";
        double e = 0;
        double p = 0;
        if (round++ % 2 == 0) {
            p = TimeCp(c, cpTarget);
            e = TimeExport(c, exportFolder);
        } else {
            e = TimeExport(c, exportFolder);
            p = TimeCp(c, cpTarget);
        }
        state.SetIterationTime(e);
        ratios.push_back(e / p);
        exportTotal += e;
        cpTotal += p;
        fs::remove_all(cpTarget);
        fs::remove_all(exportFolder);
    }
    state.counters["export_s"] = benchmark::Counter(exportTotal / round);
    state.counters["cp_s"] = benchmark::Counter(cpTotal / round);
    state.counters["ratio"] = benchmark::Counter(exportTotal / cpTotal);
    // The shared disk is noisy: the median of the paired rounds is steadier.
    std::sort(ratios.begin(), ratios.end());
    if (!ratios.empty())
        state.counters["median_ratio"] = benchmark::Counter(ratios[ratios.size() / 2]);
    state.counters["MB"] = benchmark::Counter(static_cast<double>(c.bytes) / 1e6);
    state.SetBytesProcessed(static_cast<std::int64_t>(c.bytes) * round);
}
BENCHMARK(BM_ExportAgainstCp)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
