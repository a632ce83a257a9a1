// A subject of 1,000 documents on a slow folder: every check of a file there
// takes the given number of milliseconds (a distant share). The list must
// show its rows at once and mark the missing documents within a second. The
// reference is what a list that checked its documents itself, one after the
// other, would make the window wait: the same 1,000 checks in a row.

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "app/tenorel_doc.h"
#include "book/tenorels.h"
#include "editing/probe_pool.h"
#include "views/liste_view.h"

using namespace tavelo;
using namespace tavelo::gui;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDocuments = 1000;

// Odd documents are missing; each check waits as a slow share would.
DocumentProbe SlowProbe(const std::string& path, int latencyMs)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(latencyMs));
    DocumentProbe probe;
    const bool odd = (path[path.size() - 5] - '0') % 2 == 1; // "scan_N.pdf"
    probe.status = odd ? DocumentStatus::kMissing : DocumentStatus::kReadable;
    probe.error = odd ? ENOENT : 0;
    probe.size = 1000;
    return probe;
}

void BM_SlowFolderList(benchmark::State& state)
{
    const int latency = static_cast<int>(state.range(0));
    ProbePool::Shared().SetProber([latency](const std::string& path) { return SlowProbe(path, latency); });
    CTenorels subject("NAS", "Scans", 0);
    for (int i = 0; i < kDocuments; ++i)
        subject.AddDocumentPath("/mnt/partage/scans/scan_" + std::to_string(i) + (i % 3 == 0 ? ".pdf" : ".jpg"));
    CTenorelDoc doc;
    CListeView list(&doc);
    list.resize(900, 300);
    list.show();
    QApplication::processEvents();

    double shownTotal = 0;
    double markedTotal = 0;
    double markedWorst = 0;
    int rounds = 0;
    for (auto _ : state) {
        list.ShowDocuments(nullptr);
        QApplication::processEvents();
        const auto start = Clock::now();
        list.ShowDocuments(&subject);
        list.repaint();
        const double shown = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        while (list.Model()->PendingCount() > 0)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double marked = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        // The answer: every odd document marked missing, the others not.
        for (int i = 0; i < kDocuments; ++i) {
            const bool missing = list.Model()->StateAt(i) == DocumentListModel::State::kMissing;
            if (missing != (i % 2 == 1) || list.GetRowCount() != kDocuments)
                std::abort();
        }
        state.SetIterationTime(marked / 1000);
        shownTotal += shown;
        markedTotal += marked;
        markedWorst = std::max(markedWorst, marked);
        ++rounds;
    }
    // The reference, once: the checks in a row on the window thread.
    const auto start = Clock::now();
    for (int i = 0; i < kDocuments; ++i)
        benchmark::DoNotOptimize(SlowProbe(subject.GetDocumentPath(i), latency));
    const double inline_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ProbePool::Shared().SetProber({});

    state.counters["shown_ms"] = shownTotal / rounds;
    state.counters["marked_ms"] = markedTotal / rounds;
    state.counters["marked_worst_ms"] = markedWorst;
    state.counters["in_a_row_ms"] = inline_ms;
    state.counters["ratio"] = (markedTotal / rounds) / inline_ms;
}
BENCHMARK(BM_SlowFolderList)->ArgName("latency_ms")->Arg(2)->Arg(5)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
