// Loading and saving a large book: 100,000 subjects of 10 document paths each,
// through the real files (read whole, parse; serialise, write, flush).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "book/file_io.h"
#include "book/held_file.h"
#include "book/subject_book.h"

namespace {

tavelo::SubjectList MakeBook(std::size_t subjects, int pathsPerSubject)
{
    static const char* titles[] = {"Impôts", "Électricité", "Banque", "Santé", "Voiture", "Assurance habitation"};
    static const char* folders[] = {"/home/ana/Documents/Papiers/Impôts/", "/home/ana/Documents/Factures/EDF/",
                                    "/mnt/partage/famille/Santé/Remboursements/"};
    std::mt19937 rng(42);
    tavelo::SubjectList list;
    list.reserve(subjects);
    for (std::size_t i = 0; i < subjects; ++i) {
        auto s = std::make_unique<tavelo::CTenorels>(std::string(titles[i % 6]) + " " + std::to_string(i % 2000),
                                                     "Dossier n° " + std::to_string(i), static_cast<int>(i % 2));
        if (i % 3 == 0)
            s->SetExpectedText("Attendre le relevé de l'année\r\net le courrier de confirmation");
        for (int p = 0; p < pathsPerSubject; ++p) {
            s->AddDocumentPath(std::string(folders[rng() % 3]) + "facture_" + std::to_string(i) + "_" +
                               std::to_string(p) + (p % 2 ? ".pdf" : ".doc"));
        }
        list.push_back(std::move(s));
    }
    return list;
}

std::string BenchPath()
{
    return (std::filesystem::temp_directory_path() / "tavelo-bench-book.tvo").string();
}

// Saving as the window does: serialise, then replace the held book atomically
// (temporary file, flush, rename, flush of the folder).
void BM_SaveBook(benchmark::State& state)
{
    tavelo::SubjectBook book;
    book.AppendSubjects(MakeBook(100000, 10));
    const std::string path = BenchPath();
    tavelo::WriteNewFile(path, std::string_view("\0\0", 2), true);
    bool readOnly = true;
    auto held = tavelo::OpenHeldFile(path, readOnly, false);
    if (!held || readOnly) {
        state.SkipWithError("the benchmark book could not be reserved");
        return;
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        held->Save([&](const tavelo::ByteSink& sink) {
            book.Serialize([&](std::string_view chunk) {
                bytes += chunk.size();
                sink(chunk);
            });
        });
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    tavelo::ReleaseHeldFile(held);
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveBook)->Unit(benchmark::kMillisecond)->UseRealTime();

// Loading as the window does: read the held book whole, then parse it.
void BM_LoadBook(benchmark::State& state)
{
    const std::string path = BenchPath();
    tavelo::WriteNewFile(path, tavelo::WriteSubjectList(MakeBook(100000, 10)), true);
    bool readOnly = true;
    auto held = tavelo::OpenHeldFile(path, readOnly, false);
    if (!held) {
        state.SkipWithError("the benchmark book could not be opened");
        return;
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto book = std::make_unique<tavelo::SubjectBook>();
        const tavelo::FileBytes data = held->Load();
        book->Deserialize(data.View());
        bytes += data.Size();
        // Closing the book is not part of loading it.
        state.PauseTiming();
        book.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    tavelo::ReleaseHeldFile(held);
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadBook)->Unit(benchmark::kMillisecond)->UseRealTime();

// The format alone, without the file system.
void BM_ParseBook(benchmark::State& state)
{
    const std::string data = tavelo::WriteSubjectList(MakeBook(100000, 10));
    for (auto _ : state) {
        tavelo::SubjectList list = tavelo::ReadSubjectList(data);
        state.PauseTiming();
        list.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(data.size() * state.iterations()));
}
BENCHMARK(BM_ParseBook)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SerializeBook(benchmark::State& state)
{
    const tavelo::SubjectList list = MakeBook(100000, 10);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string data = tavelo::WriteSubjectList(list);
        bytes += data.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_SerializeBook)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SerializeBookReusedBuffer(benchmark::State& state)
{
    const tavelo::SubjectList list = MakeBook(100000, 10);
    std::size_t bytes = 0;
    std::string data;
    for (auto _ : state) {
        data.clear();
        tavelo::WriteSubjectList(list, data);
        bytes += data.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_SerializeBookReusedBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
