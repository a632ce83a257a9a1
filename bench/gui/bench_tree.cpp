// A book of 100,000 subjects under 2,000 general titles: the time to build its
// subject tree, and to read the book file and show its window's tree.

#include <QApplication>
#include <benchmark/benchmark.h>
#include <random>

#include "app/tenorel_doc.h"
#include "book/tenorels.h"
#include "views/tenorel_view.h"

using namespace tavelo;
using namespace tavelo::gui;

namespace {

constexpr int kSubjects = 100000;
constexpr int kTitles = 2000;

SubjectList MakeLargeBook()
{
    std::mt19937 random(42);
    const char* words[] = {"Facture", "avis", "Échéance", "relevé", "Contrat", "quittance", "Impôts", "été", "Banque", "œuvre"};
    SubjectList list;
    list.reserve(kSubjects);
    for (int i = 0; i < kSubjects; ++i) {
        const int title = static_cast<int>(random() % kTitles);
        std::string name = words[random() % 10];
        name += ' ';
        name += std::to_string(random() % 100000);
        auto record = std::make_unique<CTenorels>(std::string(words[title % 10]) + " " + std::to_string(title), name,
                                                  static_cast<int>(random() % 2));
        record->AddDocumentPath("/home/ana/Papiers/" + name + ".pdf");
        list.push_back(std::move(record));
    }
    return list;
}

const std::string& LargeBookBytes()
{
    static const std::string bytes = WriteSubjectList(MakeLargeBook());
    return bytes;
}

void BM_FillTree(benchmark::State& state)
{
    CTenorelDoc doc;
    doc.Deserialize(LargeBookBytes());
    for (auto _ : state) {
        CTenorelView tree(&doc);
        tree.OnInitialUpdate();
        benchmark::DoNotOptimize(tree.GetRootItem());
    }
    state.counters["subjects"] = kSubjects;
}
BENCHMARK(BM_FillTree)->Unit(benchmark::kMillisecond)->Iterations(3);

// Reading the file's bytes, building the tree and painting it once.
void BM_OpenLargeBook(benchmark::State& state)
{
    for (auto _ : state) {
        CTenorelDoc doc;
        doc.Deserialize(LargeBookBytes());
        CTenorelView tree(&doc);
        tree.resize(250, 700);
        tree.OnInitialUpdate();
        tree.expandItem(tree.GetRootItem());
        tree.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(tree.grab());
    }
}
BENCHMARK(BM_OpenLargeBook)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    (void)LargeBookBytes();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
