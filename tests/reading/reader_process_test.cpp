#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "reading/reader_process.h"
#include "reading/reader_protocol.h"
#include "test_files.h"

namespace tavelo {
namespace {

using namespace std::chrono_literals;
using test::Fixture;
using test::NestedFormsPdf;
using test::TempDir;
namespace protocol = reader_protocol;

const std::vector<std::string> kComptesCells = {"Libellé", "Montant", "Électricité", "123.45",
                                                "Assurance habitation", "42", "Zèbre rayé (réf. 7*8?)", "3.25"};

ReaderLimits Limits(std::chrono::seconds time = 10s, std::size_t memory = std::size_t{512} << 20)
{
    ReaderLimits limits;
    limits.documentTime = time;
    limits.memoryBytes = memory;
    return limits;
}

std::vector<std::string> Pieces(const DocumentText& text)
{
    std::vector<std::string> pieces;
    text.AnyPiece([&](const TextPiece& piece) {
        pieces.emplace_back(piece.text);
        return false;
    });
    return pieces;
}

ReadOutcome ReadWith(ReaderProcess& reader, const std::string& path, DocumentKind kind,
                     const std::atomic<bool>* cancel = nullptr)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path;
    ReadOutcome outcome = reader.Read(fd, kind, cancel);
    ::close(fd);
    return outcome;
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

std::string Piece(std::string_view text)
{
    return "P" + std::string(text);
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

std::string StatusLine(pid_t pid, std::string_view field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return line.substr(field.size());
    return {};
}

TEST(ReaderProcess, OneReaderReadsEveryKindOneDocumentAfterTheOther)
{
    const std::string program = FindReaderProgram();
    ASSERT_FALSE(program.empty()) << "tavelo-reader is not built";
    TempDir dir;
    const std::string notAWorkbook = dir.Write("faux.xls", "pas un classeur");
    ReaderProcess reader(program, Limits());
    for (int i = 0; i < 10; ++i) {
        const ReadOutcome xls = ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
        ASSERT_EQ(xls.status, ReadStatus::kRead) << xls.reason;
        EXPECT_EQ(Pieces(xls.text), kComptesCells);
        EXPECT_TRUE(xls.text.HasRule(MatchRule::kCell));
        const ReadOutcome pdf = ReadWith(reader, Fixture("rapport.pdf"), DocumentKind::kPdf);
        ASSERT_EQ(pdf.status, ReadStatus::kRead) << pdf.reason;
        EXPECT_GE(pdf.text.PieceCount(), 2u); // one piece a page
        EXPECT_NE(pdf.text.Body().find("quittance de loyer"), std::string::npos);
        const ReadOutcome doc = ReadWith(reader, Fixture("lettre.doc"), DocumentKind::kWord);
        ASSERT_EQ(doc.status, ReadStatus::kRead) << doc.reason;
        EXPECT_TRUE(doc.text.HasRule(MatchRule::kWordProcessor));
        const ReadOutcome rtf = ReadWith(reader, Fixture("lettre.rtf"), DocumentKind::kRtf);
        EXPECT_NE(rtf.text.Body().find("électricité"), std::string::npos);
        const ReadOutcome refused = ReadWith(reader, notAWorkbook, DocumentKind::kSpreadsheet);
        EXPECT_EQ(refused.status, ReadStatus::kUnreadable);
        EXPECT_EQ(refused.reason, "ce n'est pas un classeur Excel 97-2003 valide");
        EXPECT_TRUE(refused.lasting);
    }
    EXPECT_EQ(reader.Starts(), 1);
}

TEST(ReaderProcess, TheReaderGivesUpWhatItDoesNotNeed)
{
    ReaderProcess reader(FindReaderProgram(), Limits());
    ASSERT_EQ(ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet).status, ReadStatus::kRead);
    const pid_t pid = reader.ProcessId();
    EXPECT_EQ(StatusLine(pid, "NoNewPrivs:\t"), "1");
    EXPECT_EQ(StatusLine(pid, "Seccomp:\t"), "2"); // a filter is in force
    std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
    const std::string text((std::istreambuf_iterator<char>(limits)), std::istreambuf_iterator<char>());
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_NE(text.find("Max address space         536870912"), std::string::npos) << text;
#endif
    EXPECT_NE(text.find("Max core file size        0"), std::string::npos) << text;
}

TEST(ReaderProcess, HostileDocumentsEndWithinTheirLimitsAndTheNextIsRead)
{
    TempDir dir;
    const std::string nestedForms = dir.Write("formes.pdf", NestedFormsPdf());
    // A file larger than the reader's whole address space, made sparse.
    const std::string huge = dir.File("enorme.rtf");
    {
        std::ofstream(huge).put('{');
        std::filesystem::resize_file(huge, std::size_t{300} << 20);
    }
    struct Case {
        std::string path;
        DocumentKind kind;
        std::vector<std::string> reasons;
    };
    // The forms grow poppler's memory as fast as they use time: which limit
    // comes first depends on the machine.
    const std::vector<Case> cases = {
        {nestedForms, DocumentKind::kPdf, {"trop long à lire", "trop de mémoire"}},
#if !defined(__SANITIZE_ADDRESS__) // which lifts the memory limit
        {huge, DocumentKind::kRtf, {"trop de mémoire"}},
#endif
    };
    ReaderProcess reader(FindReaderProgram(), Limits(2s, std::size_t{128} << 20));
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const ReadOutcome outcome = ReadWith(reader, c.path, c.kind);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 6s) << c.path;
        EXPECT_EQ(outcome.status, ReadStatus::kUnreadable) << c.path;
        EXPECT_NE(std::find(c.reasons.begin(), c.reasons.end(), outcome.reason), c.reasons.end())
            << c.path << ": " << outcome.reason;
        EXPECT_FALSE(outcome.lasting) << c.path;
        const ReadOutcome next = ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
        EXPECT_EQ(next.status, ReadStatus::kRead) << next.reason;
    }
    // Under AddressSanitizer the reader dies on this workbook; without it
    // FreeXL refuses it. Either way the next one is read.
    EXPECT_EQ(ReadWith(reader, Fixture("crafted.xls"), DocumentKind::kSpreadsheet).status, ReadStatus::kUnreadable);
    EXPECT_EQ(ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet).status, ReadStatus::kRead);
}

TEST(ReaderProcess, AReaderThatDiesOrHangsIsReplacedForTheNextDocument)
{
    TempDir dir;
    struct Case {
        const char* name;
        std::string body;
        const char* reason;
    };
    const Case cases[] = {
        {"crash.sh", kHello + kReadRequest + "kill -s SEGV $$\n", "le programme de lecture s'est arrêté en le lisant"},
        {"cpu.sh", kHello + kReadRequest + "kill -s XCPU $$\n", "trop long à lire"},
        {"memory.sh", kHello + kReadRequest + PrintFrames({{protocol::kOutOfMemory, ""}}) + "exit 3\n",
         "trop de mémoire"},
        {"hang.sh", kHello + "exec sleep 600\n", "trop long à lire"},
        // Text sent before the hang does not count: a document is read whole or not at all.
        {"partly.sh", kHello + kReadRequest + PrintFrames({{protocol::kPiece, Piece("zorglub")}}) + "exec sleep 600\n",
         "trop long à lire"},
    };
    for (const Case& c : cases) {
        ReaderProcess reader(FakeReader(dir, c.name, c.body), Limits(1s));
        for (int i = 1; i <= 2; ++i) {
            const ReadOutcome outcome = ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
            EXPECT_EQ(outcome.status, ReadStatus::kUnreadable) << c.name;
            EXPECT_EQ(outcome.reason, c.reason) << c.name;
            EXPECT_TRUE(outcome.text.Empty()) << c.name;
            EXPECT_EQ(reader.Starts(), i) << c.name;
        }
    }

    // One killed from outside between two documents is replaced silently.
    ReaderProcess real(FindReaderProgram(), Limits());
    ASSERT_EQ(ReadWith(real, Fixture("comptes.xls"), DocumentKind::kSpreadsheet).status, ReadStatus::kRead);
    const pid_t first = real.ProcessId();
    ::kill(first, SIGKILL);
    WaitUntilEnded(first);
    const ReadOutcome next = ReadWith(real, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
    EXPECT_EQ(next.status, ReadStatus::kRead) << next.reason;
    EXPECT_EQ(real.Starts(), 2);

    // A request that could not be sent (here, of no descriptor at all) has no
    // answer to wait for until the deadline, to a new reader or an older one.
    for (const bool older : {false, true}) {
        ReaderProcess waiting(FindReaderProgram(), Limits(30s));
        if (older) {
            ASSERT_EQ(ReadWith(waiting, Fixture("comptes.xls"), DocumentKind::kSpreadsheet).status, ReadStatus::kRead);
        }
        const ReadOutcome unsent = waiting.Read(-1, DocumentKind::kSpreadsheet);
        EXPECT_EQ(unsent.status, ReadStatus::kUnreadable) << older;
        EXPECT_EQ(unsent.reason, "il n'a pas pu être transmis au programme de lecture") << older;
        EXPECT_FALSE(unsent.lasting);
        EXPECT_EQ(ReadWith(waiting, Fixture("comptes.xls"), DocumentKind::kSpreadsheet).status, ReadStatus::kRead);
    }
}

TEST(ReaderProcess, ACancelledReadEndsAtOnceAndKillsTheReader)
{
    TempDir dir;
    ReaderProcess reader(FakeReader(dir, "slow.sh", kHello + "exec sleep 600\n"), Limits(60s));
    std::atomic<bool> cancel{false};
    std::thread canceller([&cancel] {
        std::this_thread::sleep_for(300ms);
        cancel = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const ReadOutcome outcome = ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet, &cancel);
    const auto took = std::chrono::steady_clock::now() - start;
    canceller.join();
    EXPECT_EQ(outcome.status, ReadStatus::kCancelled);
    EXPECT_LT(took, 2s);
    EXPECT_EQ(reader.ProcessId(), -1);
}

TEST(ReaderProcess, FramesSplitAcrossWritesAreJoined)
{
    TempDir dir;
    std::string frames;
    protocol::AppendFrame(frames, protocol::kPiece, Piece("abc"));
    protocol::AppendFrame(frames, protocol::kPiece, "C\xC3\xA9t\xC3\xA9");
    protocol::AppendFrame(frames, protocol::kFinished, {});
    std::string body = kHello + kReadRequest;
    // One byte per write, with pauses, so that reads see every split.
    for (std::size_t i = 0; i < frames.size(); ++i) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\%03o", static_cast<unsigned char>(frames[i]));
        body += std::string("printf '") + escaped + "'\n" + (i % 4 == 0 ? "sleep 0.02\n" : "");
    }
    body += "exec sleep 600\n";
    ReaderProcess reader(FakeReader(dir, "split.sh", body), Limits());
    const ReadOutcome outcome = ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
    EXPECT_EQ(outcome.status, ReadStatus::kRead) << outcome.reason;
    EXPECT_EQ(Pieces(outcome.text), (std::vector<std::string>{"abc", "été"}));
    EXPECT_FALSE(outcome.text.HasRule(MatchRule::kWordProcessor));
    EXPECT_TRUE(outcome.text.HasRule(MatchRule::kCell));
}

TEST(ReaderProcess, WhatTheExchangeDoesNotAllowMakesTheDocumentUnreadable)
{
    TempDir dir;
    const std::string incoherent = "sa lecture a donné une réponse incohérente";
    const std::string stopped = "le programme de lecture s'est arrêté en le lisant";
    struct Case {
        const char* name;
        std::string answer;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"tag.sh", "printf 'Zgarbage'\n", incoherent},
        {"huge.sh", "printf 'T\\377\\377\\377\\177'\n", incoherent},
        {"utf8.sh", PrintFrames({{protocol::kPiece, Piece("\xC3(")}}), incoherent},
        {"rule.sh", PrintFrames({{protocol::kPiece, "Xtexte"}}), incoherent},
        {"empty.sh", PrintFrames({{protocol::kPiece, ""}}), incoherent},
        {"hello.sh", PrintFrames({{protocol::kHello, protocol::kVersion}}), incoherent},
        {"trailing.sh", PrintFrames({{protocol::kFinished, ""}, {protocol::kPiece, Piece("x")}}), incoherent},
        {"twice.sh", PrintFrames({{protocol::kUnreadable, "non"}, {protocol::kFinished, ""}}), incoherent},
        {"progress.sh", PrintFrames({{protocol::kProgress, "ab"}}), incoherent},
        {"cut.sh", "printf 'T\\005\\000\\000\\000ab'\nexit 0\n", stopped},
        {"silent.sh", "exit 0\n", stopped},
    };
    for (const Case& c : cases) {
        ReaderProcess reader(FakeReader(dir, c.name, kHello + kReadRequest + c.answer + "exec sleep 600\n"), Limits());
        const ReadOutcome outcome = ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
        EXPECT_EQ(outcome.status, ReadStatus::kUnreadable) << c.name;
        EXPECT_EQ(outcome.reason, c.reason) << c.name;
        EXPECT_EQ(reader.ProcessId(), -1) << c.name;
    }
    // The reader's own reason is passed on as it is, and the reader kept.
    ReaderProcess refusing(FakeReader(dir, "refuse.sh",
        kHello + kReadRequest + PrintFrames({{protocol::kUnreadable, "le classeur est protégé par un mot de passe"}}) +
            "exec sleep 600\n"), Limits());
    const ReadOutcome refused = ReadWith(refusing, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
    EXPECT_EQ(refused.status, ReadStatus::kUnreadable);
    EXPECT_EQ(refused.reason, "le classeur est protégé par un mot de passe");
    EXPECT_TRUE(refused.lasting);
    EXPECT_GT(refusing.ProcessId(), 0);
    // A reason that may pass (a language of the recognition missing) is
    // said as such, and not kept.
    ReaderProcess passing(FakeReader(dir, "passing.sh",
        kHello + kReadRequest + PrintFrames({{protocol::kUnreadableNow, "la reconnaissance du texte a échoué"}}) +
            "exec sleep 600\n"), Limits());
    const ReadOutcome now = ReadWith(passing, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
    EXPECT_EQ(now.status, ReadStatus::kUnreadable);
    EXPECT_FALSE(now.lasting);
}

TEST(ReaderProcess, FramesSentAfterADocumentEndedAreNotTakenForTheNext)
{
    TempDir dir;
    ReaderProcess reader(FakeReader(dir, "late.sh",
        kHello + kReadRequest + PrintFrames({{protocol::kFinished, ""}}) + "sleep 0.3\n" +
            PrintFrames({{protocol::kPiece, Piece("zorglub")}, {protocol::kFinished, ""}}) + "exec sleep 600\n"),
        Limits());
    EXPECT_EQ(ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet).status, ReadStatus::kRead);
    std::this_thread::sleep_for(600ms);
    // The late frames make the reader out of step: a new one gets the
    // document, and it answers for that document only.
    const ReadOutcome next = ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
    EXPECT_EQ(next.status, ReadStatus::kRead);
    EXPECT_TRUE(next.text.Empty());
    EXPECT_EQ(reader.Starts(), 2);
}

TEST(ReaderProcess, AReaderProgramThatCannotServeIsToldApartFromTheDocument)
{
    TempDir dir;
    const std::string notExecutable = dir.Write("plain.sh", "#!/bin/sh\n" + kHello);
    struct Case {
        std::string program;
        const char* says;
    };
    const Case cases[] = {
        {"", "est introuvable"},
        {dir.File("missing"), "ne peut pas être lancé"},
        {notExecutable, "ne peut pas être lancé"},
        {FakeReader(dir, "mute.sh", "exit 0\n"), "s'arrête dès son lancement"},
        {FakeReader(dir, "older.sh", PrintFrames({{protocol::kHello, "tavelo-reader-0"}}) + "exec sleep 600\n"),
         "ne répond pas comme attendu"},
    };
    for (const Case& c : cases) {
        ReaderProcess reader(c.program, Limits(2s));
        const ReadOutcome outcome = ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
        EXPECT_EQ(outcome.status, ReadStatus::kNoReader) << c.program;
        EXPECT_NE(outcome.reason.find(c.says), std::string::npos) << c.program << ": " << outcome.reason;
        EXPECT_EQ(reader.ProcessId(), -1);
    }
}

TEST(ReaderProcess, TheReaderInheritsOnlyItsChannelAndErrorOutput)
{
    TempDir dir;
    // An inheritable descriptor, as a library of the program might leave one.
    const int stray = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(stray, 0);
    ASSERT_EQ(::dup2(stray, 97), 97);
    ::close(stray);
    // Each open descriptor of the reader comes back as a piece.
    const std::string listing =
        "for f in /proc/$$/fd/*; do n=${f##*/}; printf \"T\\\\$(printf %03o $((${#n} + 1)))\\\\000\\\\000\\\\000P%s\" "
        "\"$n\"; done\n" +
        PrintFrames({{protocol::kFinished, ""}}) + "exec sleep 600\n";
    ReaderProcess reader(FakeReader(dir, "fds.sh", kHello + kReadRequest + listing), Limits());
    const ReadOutcome outcome = ReadWith(reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
    ::close(97);
    ASSERT_EQ(outcome.status, ReadStatus::kRead) << outcome.reason;
    const std::vector<std::string> fds = Pieces(outcome.text);
    EXPECT_NE(std::find(fds.begin(), fds.end(), "0"), fds.end());
    EXPECT_NE(std::find(fds.begin(), fds.end(), "1"), fds.end());
    EXPECT_EQ(std::find(fds.begin(), fds.end(), "97"), fds.end());
}

TEST(ReaderProcess, TheReaderEndsWithTheProgramThatStartedIt)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        ::close(fds[0]);
        // Left running on purpose: only the end of this process stops it.
        auto* reader = new ReaderProcess(FindReaderProgram(), Limits());
        ReadWith(*reader, Fixture("comptes.xls"), DocumentKind::kSpreadsheet);
        const pid_t pid = reader->ProcessId();
        [[maybe_unused]] const ssize_t written = ::write(fds[1], &pid, sizeof pid);
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

} // namespace
} // namespace tavelo
