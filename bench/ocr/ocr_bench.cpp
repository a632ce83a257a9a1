// OCR throughput on scanned pages (300 dpi, grey), in pages per second:
// Tavelo's search, one reader process per core and no text cache, beside the
// tesseract command (fra+eng, one thread, as many at once as there are
// cores) on the same page files. Both are first checked to recognise the
// planted word. Tavelo/scans reports time_ratio: its time per page over the
// command's (goal: 1.0 or less).
//
//   ocr_bench [--benchmark_filter=...]   (TAVELO_OCR_BENCH_PAGES=N, default 8 a core)

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "book/book_file.h"
#include "book/file_io.h"
#include "reading/text_source.h"
#include "search/search_pattern.h"
#include "search/search_run.h"

extern char** environ;

namespace tavelo::bench {
namespace {

constexpr const char* kPlantedWord = "électricité";

unsigned Cores()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

struct Pages {
    std::filesystem::path folder;
    std::vector<std::string> files;
};

// Copies of one scanned page: distinct files, the same work for both sides.
const Pages& ThePages()
{
    static const Pages pages = [] {
        Pages p;
        char pattern[] = "/tmp/tavelo-ocr-bench-XXXXXX";
        p.folder = ::mkdtemp(pattern);
        const char* count = std::getenv("TAVELO_OCR_BENCH_PAGES");
        const int n = count != nullptr ? std::max(1, std::atoi(count)) : static_cast<int>(8 * Cores());
        for (int i = 0; i < n; ++i) {
            const std::filesystem::path file = p.folder / ("page-" + std::to_string(i) + ".png");
            std::filesystem::copy_file(std::string(TAVELO_SCAN_FIXTURES) + "/lettre.png", file);
            p.files.push_back(file.string());
        }
        static const std::filesystem::path cleanup = p.folder;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(cleanup, ignored);
        });
        return p;
    }();
    return pages;
}

// Seconds per page of each side, for the ratio.
double g_commandSecondsPerPage = 0;

pid_t Spawn(const std::vector<std::string>& argv, const std::string& output)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    static char oneThread[] = "OMP_THREAD_LIMIT=1";
    for (char** e = environ; *e != nullptr; ++e)
        if (std::string_view(*e).substr(0, 17) != "OMP_THREAD_LIMIT=")
            env.push_back(*e);
    env.push_back(oneThread);
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Runs the command on every page, as many at once as there are cores; false
// when one cannot be run or fails.
bool RunCommandOnAll(const std::vector<std::string>& files, const std::string& output)
{
    std::size_t next = 0;
    unsigned running = 0;
    bool ok = true;
    while (next < files.size() || running > 0) {
        while (running < Cores() && next < files.size()) {
            const pid_t pid = Spawn({"tesseract", files[next++], "stdout", "-l", "fra+eng"}, output);
            if (pid < 0)
                return false;
            ++running;
        }
        int status = 0;
        if (::wait(&status) < 0)
            return false;
        --running;
        ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return ok;
}

void Command(benchmark::State& state)
{
    const Pages& pages = ThePages();
    const std::string output = (pages.folder / "out.txt").string();
    // The command must recognise the planted word too.
    if (!RunCommandOnAll({pages.files.front()}, output) ||
        ReadWholeFile(output).find(kPlantedWord) == std::string::npos) {
        state.SkipWithError("tesseract (tesseract-ocr, tesseract-ocr-fra) missing or not finding the planted word");
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!RunCommandOnAll(pages.files, "/dev/null")) {
            state.SkipWithError("tesseract failed");
            return;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    g_commandSecondsPerPage = seconds / static_cast<double>(state.iterations() * pages.files.size());
    state.counters["pages_per_second"] = 1.0 / g_commandSecondsPerPage;
    state.counters["pages"] = static_cast<double>(pages.files.size());
}

void Tavelo(benchmark::State& state)
{
    const Pages& pages = ThePages();
    SubjectList book;
    for (const std::string& file : pages.files) {
        book.push_back(std::make_unique<CTenorels>("Scans", file, 0));
        book.back()->AddDocumentPath(file);
    }
    const SearchPattern pattern(kPlantedWord, {});
    double seconds = 0;
    for (auto _ : state) {
        // No cache, and new reader processes: what the first search over a
        // folder of scans costs, models loaded once per reader.
        TextSource source(TextCache::Disabled());
        SearchEnvironment environment;
        environment.source = &source;
        const auto start = std::chrono::steady_clock::now();
        const SearchResult result = RunSearch(book, pattern, kScopeDocumentContents, environment);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!result.unreadable.empty()) {
            state.SkipWithError(result.unreadable.front().message.c_str());
            return;
        }
        if (result.hits.size() != pages.files.size()) {
            state.SkipWithError("the planted word was not found on every page");
            return;
        }
    }
    const double perPage = seconds / static_cast<double>(state.iterations() * pages.files.size());
    state.counters["pages_per_second"] = 1.0 / perPage;
    state.counters["pages"] = static_cast<double>(pages.files.size());
    if (g_commandSecondsPerPage > 0)
        state.counters["time_ratio"] = perPage / g_commandSecondsPerPage;
}

BENCHMARK(Command)->Name("Reference/scans_tesseract")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(Tavelo)->Name("Tavelo/scans")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace
} // namespace tavelo::bench

BENCHMARK_MAIN();
