#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "search/document_search.h"
#include "search/search_pattern.h"
#include "search/spreadsheet.h"
#include "search/spreadsheet_worker.h"
#include "search/spreadsheet_worker_protocol.h"
#include "test_files.h"

namespace tavelo {
namespace {

using namespace std::chrono_literals;
using test::Fixture;
using test::TempDir;
namespace protocol = xls_protocol;

const std::vector<std::string> kComptesCells = {"Libellé", "Montant", "Électricité", "123.45",
                                                "Assurance habitation", "42", "Zèbre rayé (réf. 7*8?)", "3.25"};

struct Walked {
    std::optional<CellWalk> walk;
    std::vector<std::string> cells;
    std::string reason;
};

Walked WalkWith(SpreadsheetWorker& worker, const std::string& path, std::string_view stopAt = {},
                std::chrono::milliseconds timeout = 10s)
{
    Walked result;
    result.walk = worker.Walk(path, [&](std::string_view cell) {
        result.cells.emplace_back(cell);
        return !stopAt.empty() && cell == stopAt;
    }, result.reason, timeout);
    return result;
}

// A shell command that writes these frames, every byte escaped for printf.
std::string PrintFrames(std::initializer_list<std::pair<char, std::string_view>> frames)
{
    std::string bytes;
    for (const auto& [tag, payload] : frames)
        protocol::AppendFrame(bytes, tag, payload);
    std::string command = "printf '";
    for (const unsigned char c : bytes) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\%03o", c);
        command += escaped;
    }
    return command + "'\n";
}

const std::string kHello = PrintFrames({{protocol::kHello, protocol::kVersion}});
// Waits for the first byte of a request.
const std::string kReadRequest = "head -c 1 >/dev/null\n";

// A stand-in for the reader, to play the failures the real one shows only on
// crafted files.
std::string FakeReader(const TempDir& dir, std::string_view name, const std::string& body)
{
    const std::string path = dir.Write(name, "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// Ended once every thread of the process is gone or a zombie: a killed
// process's leader turns zombie before its other threads have let go of the
// descriptors they share, so the leader alone says too little.
bool ProcessEnded(pid_t pid)
{
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream stat(task.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos || close + 2 >= line.size())
            continue;
        if (line[close + 2] != 'Z' && line[close + 2] != 'X')
            return false;
    }
    return true;
}

bool WaitUntilEnded(pid_t pid)
{
    for (int i = 0; i < 400; ++i) {
        if (ProcessEnded(pid))
            return true;
        std::this_thread::sleep_for(25ms);
    }
    return false;
}

TEST(SpreadsheetWorker, OneReaderReadsWorkbookAfterWorkbook)
{
    const std::string reader = FindSpreadsheetWorker();
    ASSERT_FALSE(reader.empty()) << "tavelo-xls-reader is not built";
    TempDir dir;
    const std::string notAWorkbook = dir.Write("faux.xls", "pas un classeur");
    SpreadsheetWorker worker(reader);
    EXPECT_EQ(worker.Starts(), 0);
    for (int i = 0; i < 25; ++i) {
        const Walked read = WalkWith(worker, Fixture("comptes.xls"));
        ASSERT_EQ(read.walk, CellWalk::kFinished) << read.reason;
        EXPECT_EQ(read.cells, kComptesCells);
        // The walk stops at the match; the rest of the workbook is still
        // taken off the channel, so that the next workbook starts clean.
        const Walked stopped = WalkWith(worker, Fixture("comptes.xls"), "Montant");
        EXPECT_EQ(stopped.walk, CellWalk::kStopped);
        EXPECT_EQ(stopped.cells, (std::vector<std::string>{"Libellé", "Montant"}));
        const Walked refused = WalkWith(worker, notAWorkbook);
        EXPECT_EQ(refused.walk, CellWalk::kUnreadable);
        EXPECT_EQ(refused.reason, "ce n'est pas un classeur Excel 97-2003 valide");
    }
    EXPECT_EQ(worker.Starts(), 1);
    EXPECT_TRUE(worker.Running());
}

TEST(SpreadsheetWorker, TheCraftedWorkbookIsUnreadableAndTheNextOneIsRead)
{
    // Under AddressSanitizer the reader dies on this file and is replaced;
    // without it FreeXL refuses the file. Either way the next one is read.
    SpreadsheetWorker worker(FindSpreadsheetWorker());
    const Walked crafted = WalkWith(worker, Fixture("crafted.xls"));
    EXPECT_EQ(crafted.walk, CellWalk::kUnreadable);
    EXPECT_FALSE(crafted.reason.empty());
    const Walked next = WalkWith(worker, Fixture("comptes.xls"));
    EXPECT_EQ(next.walk, CellWalk::kFinished) << next.reason;
    EXPECT_EQ(next.cells, kComptesCells);
    EXPECT_LE(worker.Starts(), 2);
}

TEST(SpreadsheetWorker, AReaderThatDiesIsReplacedForTheNextWorkbook)
{
    TempDir dir;
    SpreadsheetWorker worker(FakeReader(dir, "crash.sh", kHello + kReadRequest + "kill -s SEGV $$\n"));
    for (int i = 1; i <= 3; ++i) {
        const Walked read = WalkWith(worker, Fixture("comptes.xls"));
        EXPECT_EQ(read.walk, CellWalk::kUnreadable);
        EXPECT_EQ(read.reason, "le classeur est endommagé");
        EXPECT_EQ(worker.Starts(), i);
    }

    // One killed from outside between two workbooks is replaced silently.
    SpreadsheetWorker real(FindSpreadsheetWorker());
    ASSERT_EQ(WalkWith(real, Fixture("comptes.xls")).walk, CellWalk::kFinished);
    ASSERT_TRUE(real.Running());
    const pid_t first = real.ProcessId();
    ::kill(first, SIGKILL);
    WaitUntilEnded(first);
    const Walked next = WalkWith(real, Fixture("comptes.xls"));
    EXPECT_EQ(next.walk, CellWalk::kFinished) << next.reason;
    EXPECT_EQ(next.cells, kComptesCells);
    EXPECT_EQ(real.Starts(), 2);
    EXPECT_NE(real.ProcessId(), first);
}

TEST(SpreadsheetWorker, AReaderThatHangsIsCutOffAtTheLimit)
{
    TempDir dir;
    SpreadsheetWorker worker(FakeReader(dir, "hang.sh", kHello + "exec sleep 600\n"));
    for (int i = 1; i <= 2; ++i) {
        const Walked read = WalkWith(worker, Fixture("comptes.xls"), {}, 1s);
        EXPECT_EQ(read.walk, CellWalk::kUnreadable);
        EXPECT_EQ(read.reason, "sa lecture ne s'est pas terminée à temps");
        EXPECT_FALSE(worker.Running());
        EXPECT_EQ(worker.Starts(), i);
    }
    // Cells sent before the hang count: a match found there stands.
    SpreadsheetWorker partly(FakeReader(dir, "partly.sh",
        kHello + kReadRequest + PrintFrames({{protocol::kCell, "zorglub"}}) + "exec sleep 600\n"));
    const Walked found = WalkWith(partly, Fixture("comptes.xls"), "zorglub", 1s);
    EXPECT_EQ(found.walk, CellWalk::kStopped);
    EXPECT_FALSE(partly.Running());
}

TEST(SpreadsheetWorker, FramesSplitAcrossWritesAreJoined)
{
    TempDir dir;
    std::string frames;
    protocol::AppendFrame(frames, protocol::kCell, "abc");
    protocol::AppendFrame(frames, protocol::kCell, "été");
    protocol::AppendFrame(frames, protocol::kFinished, {});
    std::string body = kHello + kReadRequest;
    // One byte per write, with pauses, so that reads see every split.
    for (std::size_t i = 0; i < frames.size(); ++i) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\%03o", static_cast<unsigned char>(frames[i]));
        body += std::string("printf '") + escaped + "'\n" + (i % 4 == 0 ? "sleep 0.02\n" : "");
    }
    body += "exec sleep 600\n";
    SpreadsheetWorker worker(FakeReader(dir, "split.sh", body));
    const Walked read = WalkWith(worker, Fixture("comptes.xls"));
    EXPECT_EQ(read.walk, CellWalk::kFinished) << read.reason;
    EXPECT_EQ(read.cells, (std::vector<std::string>{"abc", "été"}));
    EXPECT_TRUE(worker.Running());
}

TEST(SpreadsheetWorker, WhatTheExchangeDoesNotAllowMakesTheWorkbookUnreadable)
{
    TempDir dir;
    const std::string incoherent = "sa lecture a donné une réponse incohérente";
    struct Case {
        const char* name;
        std::string answer;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"tag.sh", "printf 'Zgarbage'\n", incoherent},
        {"huge.sh", "printf 'C\\377\\377\\377\\177'\n", incoherent},
        {"utf8.sh", PrintFrames({{protocol::kCell, "\xC3("}}), incoherent},
        {"empty.sh", PrintFrames({{protocol::kCell, ""}}), incoherent},
        {"hello.sh", PrintFrames({{protocol::kHello, protocol::kVersion}}), incoherent},
        {"trailing.sh", PrintFrames({{protocol::kFinished, ""}, {protocol::kCell, "x"}}), incoherent},
        {"twice.sh", PrintFrames({{protocol::kUnreadable, "non"}, {protocol::kFinished, ""}}), incoherent},
        {"cut.sh", "printf 'C\\005\\000\\000\\000ab'\nexit 0\n", "le classeur est endommagé"},
        {"silent.sh", "exit 0\n", "le classeur est endommagé"},
    };
    for (const Case& c : cases) {
        SpreadsheetWorker worker(FakeReader(dir, c.name, kHello + kReadRequest + c.answer + "exec sleep 600\n"));
        const Walked read = WalkWith(worker, Fixture("comptes.xls"));
        EXPECT_EQ(read.walk, CellWalk::kUnreadable) << c.name;
        EXPECT_EQ(read.reason, c.reason) << c.name;
        EXPECT_FALSE(worker.Running()) << c.name;
    }
    // The reader's own reason is passed on as it is.
    SpreadsheetWorker refusing(FakeReader(dir, "refuse.sh",
        kHello + kReadRequest + PrintFrames({{protocol::kUnreadable, "le classeur est protégé par un mot de passe"}}) +
            "exec sleep 600\n"));
    const Walked refused = WalkWith(refusing, Fixture("comptes.xls"));
    EXPECT_EQ(refused.walk, CellWalk::kUnreadable);
    EXPECT_EQ(refused.reason, "le classeur est protégé par un mot de passe");
    EXPECT_TRUE(refusing.Running());
}

TEST(SpreadsheetWorker, FramesSentAfterAWorkbookEndedAreNotTakenForTheNext)
{
    TempDir dir;
    SpreadsheetWorker worker(FakeReader(dir, "late.sh",
        kHello + kReadRequest + PrintFrames({{protocol::kFinished, ""}}) + "sleep 0.3\n" +
            PrintFrames({{protocol::kCell, "zorglub"}, {protocol::kFinished, ""}}) + "exec sleep 600\n"));
    EXPECT_EQ(WalkWith(worker, Fixture("comptes.xls")).walk, CellWalk::kFinished);
    std::this_thread::sleep_for(600ms);
    // The late frames make the reader out of step: a new one gets the
    // workbook, and it answers for that workbook only.
    const Walked next = WalkWith(worker, Fixture("comptes.xls"), "zorglub");
    EXPECT_EQ(next.walk, CellWalk::kFinished);
    EXPECT_TRUE(next.cells.empty());
    EXPECT_EQ(worker.Starts(), 2);
}

TEST(SpreadsheetWorker, AReaderThatCannotStartLeavesTheWorkbookToTheCaller)
{
    TempDir dir;
    const std::string notExecutable = dir.Write("plain.sh", "#!/bin/sh\n" + kHello);
    const std::vector<std::string> readers = {
        "",
        dir.File("missing"),
        notExecutable,
        FakeReader(dir, "mute.sh", "exit 0\n"),
        FakeReader(dir, "older.sh", PrintFrames({{protocol::kHello, "tavelo-xls-0"}}) + "exec sleep 600\n"),
    };
    for (const std::string& path : readers) {
        SpreadsheetWorker worker(path);
        EXPECT_FALSE(WalkWith(worker, Fixture("comptes.xls")).walk.has_value()) << path;
        const int starts = worker.Starts();
        EXPECT_FALSE(WalkWith(worker, Fixture("comptes.xls")).walk.has_value()) << path;
        EXPECT_EQ(worker.Starts(), starts) << path << ": tried again";
        EXPECT_FALSE(worker.Running());
    }
}

TEST(SpreadsheetWorker, TheReaderInheritsOnlyItsChannelAndErrorOutput)
{
    TempDir dir;
    // An inheritable descriptor, as a library of the program might leave one.
    const int stray = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(stray, 0);
    ASSERT_EQ(::dup2(stray, 97), 97);
    ::close(stray);
    // Each open descriptor of the reader comes back as a cell.
    const std::string listing =
        "for f in /proc/$$/fd/*; do n=${f##*/}; printf \"C\\\\$(printf %03o ${#n})\\\\000\\\\000\\\\000%s\" \"$n\"; done\n" +
        PrintFrames({{protocol::kFinished, ""}}) + "exec sleep 600\n";
    SpreadsheetWorker worker(FakeReader(dir, "fds.sh", kHello + kReadRequest + listing));
    const Walked read = WalkWith(worker, Fixture("comptes.xls"));
    ::close(97);
    ASSERT_EQ(read.walk, CellWalk::kFinished) << read.reason;
    EXPECT_NE(std::find(read.cells.begin(), read.cells.end(), "0"), read.cells.end());
    EXPECT_NE(std::find(read.cells.begin(), read.cells.end(), "1"), read.cells.end());
    EXPECT_EQ(std::find(read.cells.begin(), read.cells.end(), "97"), read.cells.end());
}

TEST(SpreadsheetWorker, TheReaderEndsWithTheProgramThatStartedIt)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        ::close(fds[0]);
        // Left running on purpose: only the end of this process stops it.
        auto* worker = new SpreadsheetWorker(FindSpreadsheetWorker());
        std::string reason;
        worker->Walk(Fixture("comptes.xls"), [](std::string_view) { return false; }, reason, 10s);
        const pid_t reader = worker->ProcessId();
        [[maybe_unused]] const ssize_t written = ::write(fds[1], &reader, sizeof reader);
        ::_exit(0);
    }
    ::close(fds[1]);
    pid_t reader = 0;
    const ssize_t got = ::read(fds[0], &reader, sizeof reader);
    ::close(fds[0]);
    ::waitpid(program, nullptr, 0);
    ASSERT_EQ(got, static_cast<ssize_t>(sizeof reader));
    ASSERT_GT(reader, 0);
    const bool ended = WaitUntilEnded(reader);
    EXPECT_TRUE(ended);
    if (!ended)
        ::kill(reader, SIGKILL);
}

TEST(SpreadsheetWorker, TheSearchKeepsOneReaderForAllItsWorkbooks)
{
    const SearchPattern pattern("zèbre", {});
    const int before = SharedSpreadsheetWorkerStarts();
    int found = 0;
    for (int i = 0; i < 20; ++i) {
        const DocumentMatch match = SearchDocumentFile(Fixture("comptes.xls"), DocumentKind::kSpreadsheet, pattern);
        found += match.status == DocumentMatch::kFound;
    }
    EXPECT_EQ(found, 20);
    const DocumentMatch crafted = SearchDocumentFile(Fixture("crafted.xls"), DocumentKind::kSpreadsheet, pattern);
    EXPECT_EQ(crafted.status, DocumentMatch::kUnreadable);
    EXPECT_EQ(SearchDocumentFile(Fixture("comptes.xls"), DocumentKind::kSpreadsheet, pattern).status,
              DocumentMatch::kFound);
    const int started = SharedSpreadsheetWorkerStarts() - before;
    EXPECT_GE(SharedSpreadsheetWorkerStarts(), 1);
    // One for the first workbook of the process, one more at most when the
    // crafted workbook ends it (as it does under AddressSanitizer).
    EXPECT_LE(started, 2);
}

} // namespace
} // namespace tavelo
