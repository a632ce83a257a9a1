// What sharing a book costs on a 100,000-subject book: the check a save makes
// before replacing the book (is it still the version seen?), the reader's poll
// (the same check), and the merge of two versions that each changed 1,000
// subjects. Each first checks its answer. The references, timed in the same
// run: reading and hashing the whole book (what the check avoids while size
// and time are unchanged), and GNU diff3 merging the same three versions
// written one subject a line.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "book/book_file.h"
#include "book/book_version.h"
#include "book/held_file.h"
#include "book/version_merge.h"

namespace {

constexpr std::size_t kSubjects = 100000;
constexpr std::size_t kChanges = 1000;

tavelo::SubjectList MakeBook(std::size_t subjects)
{
    tavelo::SubjectList list;
    list.reserve(subjects);
    for (std::size_t i = 0; i < subjects; ++i) {
        auto s = std::make_unique<tavelo::CTenorels>("Titre " + std::to_string(i / 20), "Sujet " + std::to_string(i), 0);
        s->SetExpectedText("attendu " + std::to_string(i));
        s->AddDocumentPath("/home/ana/Documents/" + std::to_string(i) + "/facture.pdf");
        list.push_back(std::move(s));
    }
    return list;
}

tavelo::SubjectList CopyOf(const tavelo::SubjectList& list)
{
    tavelo::SubjectList copy;
    copy.reserve(list.size());
    for (const auto& s : list)
        copy.push_back(std::make_unique<tavelo::CTenorels>(*s));
    return copy;
}

// 1,000 subjects changed, spread over the book, from `offset` on.
tavelo::SubjectList Changed(const tavelo::SubjectList& base, std::size_t offset, const std::string& text)
{
    tavelo::SubjectList version = CopyOf(base);
    for (std::size_t k = 0; k < kChanges; ++k)
        version[(offset + k * (kSubjects / kChanges)) % kSubjects]->SetExpectedText(text);
    return version;
}

struct Scratch {
    Scratch()
    {
        folder = "/tmp/tavelo-bench-XXXXXX";
        if (!::mkdtemp(folder.data()))
            std::abort();
    }
    ~Scratch() { std::system(("rm -rf '" + folder + "'").c_str()); }
    std::string File(const std::string& name) const { return folder + "/" + name; }
    std::string folder;
};

void BM_PreSaveCheck(benchmark::State& state)
{
    Scratch dir;
    const std::string path = dir.File("Maison.tvo");
    std::ofstream(path, std::ios::binary) << tavelo::WriteSubjectList(MakeBook(kSubjects));
    bool readOnly = true;
    auto held = tavelo::OpenHeldFile(path, readOnly, false);
    held->Load();
    if (held->CheckDisk() != tavelo::VersionCheck::kSame) {
        state.SkipWithError("the version just loaded does not check as the same");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(held->CheckDisk());
    state.counters["book_bytes"] = static_cast<double>(held->BaseBytes().size());
}
BENCHMARK(BM_PreSaveCheck)->Unit(benchmark::kMicrosecond);

// The poll of a reader: the book's state against the version shown.
void BM_ReaderPoll(benchmark::State& state)
{
    Scratch dir;
    const std::string path = dir.File("Maison.tvo");
    std::ofstream(path, std::ios::binary) << tavelo::WriteSubjectList(MakeBook(kSubjects));
    const tavelo::BookVersion seen = tavelo::StatBookVersion(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(tavelo::StatBookVersion(path).SameState(seen));
}
BENCHMARK(BM_ReaderPoll)->Unit(benchmark::kMicrosecond);

// Reference: what a check that reads the book again would cost.
void BM_ReferenceReadAndHashWholeBook(benchmark::State& state)
{
    Scratch dir;
    const std::string path = dir.File("Maison.tvo");
    std::ofstream(path, std::ios::binary) << tavelo::WriteSubjectList(MakeBook(kSubjects));
    for (auto _ : state)
        benchmark::DoNotOptimize(tavelo::HashBookBytes(tavelo::ReadFileBytes(path).View()));
}
BENCHMARK(BM_ReferenceReadAndHashWholeBook)->Unit(benchmark::kMillisecond);

void BM_MergeVersions(benchmark::State& state)
{
    const tavelo::SubjectList base = MakeBook(kSubjects);
    const tavelo::SubjectList mine = Changed(base, 3, "payé ici");
    const tavelo::SubjectList theirs = Changed(base, 7, "payé là-bas");
    const tavelo::MergeResult check = tavelo::MergeVersions(&base, mine, theirs);
    if (check.merged.size() != kSubjects || check.Count(tavelo::MergeSide::kMine, tavelo::MergeChange::kChanged) != kChanges ||
        check.Count(tavelo::MergeSide::kTheirs, tavelo::MergeChange::kChanged) != kChanges || check.NeedsUser() ||
        check.merged[3]->GetExpectedText() != "payé ici" || check.merged[7]->GetExpectedText() != "payé là-bas") {
        state.SkipWithError("wrong merge");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(tavelo::MergeVersions(&base, mine, theirs));
}
BENCHMARK(BM_MergeVersions)->Unit(benchmark::kMillisecond);

// Reference: diff3 -m on the same versions, one subject a line, as a process.
void BM_ReferenceDiff3(benchmark::State& state)
{
    Scratch dir;
    const tavelo::SubjectList base = MakeBook(kSubjects);
    const auto write = [&](const tavelo::SubjectList& list, const std::string& name) {
        std::ofstream out(dir.File(name));
        for (const auto& s : list)
            out << s->GetGeneralTitle() << '\t' << s->GetSubjectName() << '\t' << s->GetExpectedText() << '\t'
                << s->GetDocumentPath(0) << '\n';
    };
    write(base, "base.txt");
    write(Changed(base, 3, "payé ici"), "mine.txt");
    write(Changed(base, 7, "payé là-bas"), "theirs.txt");
    const std::string command = "diff3 -m '" + dir.File("mine.txt") + "' '" + dir.File("base.txt") + "' '" +
                                dir.File("theirs.txt") + "' > '" + dir.File("merged.txt") + "'";
    if (std::system(command.c_str()) != 0) {
        state.SkipWithError("diff3 failed or found conflicts");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
}
BENCHMARK(BM_ReferenceDiff3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
