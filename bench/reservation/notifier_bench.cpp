// What a waiting instance costs: the processor time of a notifier that waits
// 10 seconds for a book held by this same process, and the cost of one probe.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

#include "book/book_file.h"
#include "book/held_file.h"
#include "book/notifier.h"

namespace {

struct ScratchBook {
    ScratchBook()
    {
        folder = "/tmp/tavelo-bench-XXXXXX";
        if (!::mkdtemp(folder.data()))
            std::abort();
        path = folder + "/Maison.tvo";
        std::ofstream(path, std::ios::binary) << tavelo::WriteSubjectList({});
    }
    ~ScratchBook()
    {
        ::unlink(path.c_str());
        ::unlink(tavelo::LockFilePath(path).c_str());
        ::rmdir(folder.c_str());
    }
    std::string folder;
    std::string path;
};

double ProcessCpuSeconds()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
         + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The main thread sleeps meanwhile, so the process's processor time is the
// notifier's.
void BM_WaitingNotifierCpu(benchmark::State& state)
{
    ScratchBook book;
    bool readOnly = true;
    auto holder = tavelo::OpenHeldFile(book.path, readOnly, false);
    const auto wait = std::chrono::seconds(state.range(0));
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        tavelo::StartNotifier(book.path, [](const std::string&) {});
        std::this_thread::sleep_for(wait);
        const bool stillWaiting = tavelo::IsNotifierRunning();
        tavelo::ClearNotifierThread();
        const double cpu = ProcessCpuSeconds() - before;
        state.SetIterationTime(static_cast<double>(wait.count()));
        state.counters["cpu_ms"] = cpu * 1000.0;
        state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / static_cast<double>(wait.count());
        if (!stillWaiting)
            state.SkipWithError("the notifier stopped while the book was held");
    }
}
BENCHMARK(BM_WaitingNotifierCpu)->Arg(10)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_Probe(benchmark::State& state)
{
    ScratchBook book;
    bool readOnly = true;
    auto holder = tavelo::OpenHeldFile(book.path, readOnly, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(tavelo::ProbeBookAvailable(book.path));
}
BENCHMARK(BM_Probe)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
