// A read-only window following the holder's saves of a 100,000-subject book:
// the time from the holder's save to the window showing it (the look at the
// file, reading it whole, rebuilding the tree with the selection kept). The
// reference, in the same run: opening that book afresh in a new window's tree.

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/tenorel_doc.h"
#include "app/ui_prompts.h"
#include "book/held_file.h"
#include "views/tenorel_view.h"

using namespace tavelo;
using namespace tavelo::gui;

namespace {

constexpr int kSubjects = 100000;

std::string BookBytes(int version)
{
    SubjectList list;
    list.reserve(kSubjects);
    for (int i = 0; i < kSubjects; ++i) {
        auto s = std::make_unique<CTenorels>("Titre " + std::to_string(i / 50), "Sujet " + std::to_string(i), 0);
        s->SetExpectedText(i == 7 ? "version " + std::to_string(version) : std::string());
        s->AddDocumentPath("/home/ana/Papiers/" + std::to_string(i) + ".pdf");
        list.push_back(std::move(s));
    }
    return WriteSubjectList(list);
}

using Clock = std::chrono::steady_clock;

void BM_ReaderReloadsAfterSave(benchmark::State& state)
{
    char folder[] = "/tmp/tavelo-bench-XXXXXX";
    if (!::mkdtemp(folder))
        std::abort();
    const std::string path = std::string(folder) + "/Maison.tvo";
    const std::string first = BookBytes(0);
    WriteNewFile(path, first, true);
    bool readOnly = true;
    std::unique_ptr<HeldFile> holder = OpenHeldFile(path, readOnly, false);
    holder->Load();
    // The reader: a window's book and tree, opened read-only.
    DialogRunner::SetNextHandler([](QDialog&) { return int{QDialog::Accepted}; });
    CTenorelDoc doc;
    CTenorelView tree(&doc);
    if (!doc.OnOpenDocument(QString::fromStdString(path)) || !doc.IsReadOnly()) {
        state.SkipWithError("the reader did not open the book read-only");
        return;
    }
    tree.OnInitialUpdate();
    tree.resize(250, 700);
    tree.show();
    QApplication::processEvents();
    int version = 0;
    for (auto _ : state) {
        ++version;
        holder->Save(BookBytes(version));
        const auto start = Clock::now();
        doc.CheckBookOnDisk();
        QApplication::processEvents();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (doc.GetSubjectCount() != kSubjects || doc.GetSubject(7)->GetExpectedText() != "version " + std::to_string(version))
            state.SkipWithError("the reader did not show the saved version");
    }
    holder.reset();
    doc.OnCloseDocument();
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
}
BENCHMARK(BM_ReaderReloadsAfterSave)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_ReferenceOpenAfresh(benchmark::State& state)
{
    const std::string bytes = BookBytes(1);
    for (auto _ : state) {
        CTenorelDoc doc;
        doc.Deserialize(bytes);
        CTenorelView tree(&doc);
        tree.resize(250, 700);
        tree.OnInitialUpdate();
        tree.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(tree.GetRootItem());
    }
}
BENCHMARK(BM_ReferenceOpenAfresh)->Iterations(3)->Unit(benchmark::kMillisecond);

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
