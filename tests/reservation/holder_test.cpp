// Who holds a book when the byte lock says nothing: a holder through another
// mount of the share, or on another machine of a sync folder, is known only by
// the lock file's text and by how long that file has not changed.

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "book/held_file.h"
#include "book/holder.h"
#include "book/lock_file.h"
#include "cli/commands.h"
#include "test_support.h"

namespace tavelo {
namespace {

long long Now()
{
    return static_cast<long long>(std::time(nullptr));
}

// A pid that no process has any more.
long DeadPid()
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

std::string HolderText(const std::string& host, const std::string& boot, long pid, const std::string& session,
                       long long alive)
{
    HolderInfo info;
    info.user = "marie";
    info.host = host;
    info.boot = boot;
    info.pid = pid;
    info.since = Now() - 600;
    info.session = session;
    info.alive = alive;
    return FormatHolderInfo(info);
}

class HolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        book = dir.File("Maison.tvo");
        oldBytes = WriteSubjectList(test::MakeBook("ancien", 3));
        test::WriteFileBytes(book, oldBytes);
    }

    // What another instance, whose byte locks do not reach this one, left in
    // the lock file `ageSeconds` ago.
    void PutLockText(const std::string& text, long long ageSeconds)
    {
        // Written over the old text, then cut, as a holder writes it.
        const int fd = ::open(LockFilePath(book).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(text.size())), 0);
        ::close(fd);
        const struct timespec times[2] = {{static_cast<time_t>(Now() - ageSeconds), 0},
                                          {static_cast<time_t>(Now() - ageSeconds), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, LockFilePath(book).c_str(), times, 0), 0);
    }

    test::TempDir dir;
    std::string book;
    std::string oldBytes;
};

TEST(HolderJudgementTest, GoneAliveOrSilent)
{
    const std::string host = "poste-a";
    const std::string boot = "boot-1";
    struct Case {
        const char* name;
        std::string text;
        long long lockAge; // -1: the share's clock is unknown
        bool processExists;
        HolderState state;
    };
    const std::string older = "user=marie\nhost=poste-a\npid=12\nsince=1\n"; // before sessions
    const Case cases[] = {
        {"empty file", "", 5, true, HolderState::kFree},
        {"another format", "\x89PNG\r\n\x1a\nBINARY", 5, true, HolderState::kFree},
        {"same machine, process there", HolderText(host, boot, 12, "s", 0), 5, true, HolderState::kAlive},
        {"same machine, process ended", HolderText(host, boot, 12, "s", 0), 5, false, HolderState::kGone},
        {"same machine, silent", HolderText(host, boot, 12, "s", 0), 200, true, HolderState::kGone},
        {"same host, other boot: the pid means nothing", HolderText(host, "boot-0", 12, "s", 0), 5, false,
         HolderState::kAlive},
        {"other machine, fresh", HolderText("salon", "b", 12, "s", 0), 179, false, HolderState::kAlive},
        {"other machine, silent 3 min", HolderText("salon", "b", 12, "s", 0), 180, false, HolderState::kSilent},
        {"other machine, no clock of the share", HolderText("salon", "b", 12, "s", 0), -1, false, HolderState::kAlive},
        // The holder's own clock is a hint only: far ahead, it keeps no one alive.
        {"alive in the future", HolderText("salon", "b", 12, "s", Now() + 86400), 600, false, HolderState::kSilent},
        {"older instance, fresh", older, 5, false, HolderState::kAlive},
        {"older instance, silent", older, 600, false, HolderState::kSilent},
        {"newer version, fresh", "version=9\nowner=x\n", 5, false, HolderState::kAlive},
        {"newer version on this machine", "version=9\nhost=poste-a\nboot=boot-1\npid=12\nuser=m\n", 5, false,
         HolderState::kAlive},
        {"newer version, silent", "version=9\nowner=x\n", 600, false, HolderState::kSilent},
    };
    for (const Case& c : cases) {
        HolderFacts facts;
        facts.info = ParseHolderInfo(c.text);
        facts.thisHost = host;
        facts.thisBoot = boot;
        if (c.lockAge >= 0) {
            facts.shareNow = 1000000;
            facts.lockChanged = facts.shareNow - c.lockAge;
        }
        const HolderVerdict verdict = JudgeHolder(facts, [&](long) { return c.processExists; });
        EXPECT_EQ(verdict.state, c.state) << c.name;
    }
}

TEST(HolderJudgementTest, DamagedLockFilesReadSafely)
{
    struct Case {
        const char* name;
        std::string text;
        bool describes;
        std::string user;
        std::string host;
    };
    const Case cases[] = {
        {"empty", "", false, "", ""},
        {"cut in its second line", "user=marie\nhost=sal", true, "marie", ""},
        {"cut in its first line", "user=mar", false, "", ""},
        {"another format", "{\"holder\": \"marie\"}\n", false, "", ""},
        {"huge", std::string(kMaxLockFileText + 1, 'x'), false, "", ""},
        {"huge but starting well", "user=marie\n" + std::string(kMaxLockFileText, 'x'), false, "", ""},
        {"unknown keys skipped", "colour=blue\nuser=marie\nhost=salon\n", true, "marie", "salon"},
        {"bad numbers", "user=marie\npid=12abc\nalive=-\n", true, "marie", ""},
        // A shorter text written over a longer one, read before it was cut.
        {"old tail after the new text", "user=bo\nhost=b\nsession=new\nhost=salon-du-bas\nsession=old\n", true, "bo", "b"},
    };
    for (const Case& c : cases) {
        const HolderInfo info = ParseHolderInfo(c.text);
        EXPECT_EQ(info.Describes(), c.describes) << c.name;
        EXPECT_EQ(info.user, c.user) << c.name;
        EXPECT_EQ(info.host, c.host) << c.name;
        EXPECT_EQ(info.pid, 0) << c.name;
    }
}

// Each lock file text as found at the open, with the byte lock free: whether
// the open holds the book, with and without taking a silent holder over.
TEST_F(HolderTest, OpenReadsTheTextWhenTheByteLockIsFree)
{
    const std::string host = ThisHostName();
    const std::string boot = ThisBootId();
    struct Case {
        const char* name;
        std::string text;
        long long age;
        bool holds;          // a plain open
        bool holdsTakingOver; // an open that takes a silent holder over
    };
    const Case cases[] = {
        {"nothing written", "", 0, true, true},
        {"another format", "garbage without keys\n", 0, true, true},
        {"huge", std::string(1 << 20, '\n'), 0, true, true},
        {"holder of this machine, process ended", HolderText(host, boot, DeadPid(), "s1", Now()), 0, true, true},
        {"holder of this machine, process there", HolderText(host, boot, ::getpid(), "s1", Now()), 0, false, false},
        {"holder of another machine", HolderText("salon", "b", 12, "s1", Now()), 20, false, false},
        {"holder of another machine, silent", HolderText("salon", "b", 12, "s1", Now()), 600, false, true},
        {"alive in the future, silent", HolderText("salon", "b", 12, "s1", Now() + 86400), 600, false, true},
        {"truncated, fresh", "user=marie\nhost=sal", 10, false, false},
        {"newer version, fresh", "version=3\nuser=marie\n", 10, false, false},
    };
    for (const Case& c : cases) {
        for (const TakeOver takeOver : {TakeOver::kNever, TakeOver::kSilentHolder}) {
            PutLockText(c.text, c.age);
            const bool expected = takeOver == TakeOver::kNever ? c.holds : c.holdsTakingOver;
            bool readOnly = false;
            auto held = OpenHeldFile(book, readOnly, false, nullptr, DefaultFileSystem(), takeOver);
            ASSERT_TRUE(held) << c.name;
            EXPECT_EQ(!readOnly, expected) << c.name;
            if (expected) {
                EXPECT_EQ(ReadBookHolder(book).session, held->Session()) << c.name;
                EXPECT_EQ(ReadBookHolder(book).pid, ::getpid()) << c.name;
            } else {
                EXPECT_EQ(held->GetReadOnlyReason(), ReadOnlyReason::kHeldElsewhere) << c.name;
                EXPECT_EQ(test::ReadFileBytes(LockFilePath(book)), c.text) << c.name << ": the holder's text stays";
                // A save to that path is refused the same way.
                bool saveReadOnly = false;
                HeldFileStatus status;
                EXPECT_FALSE(OpenHeldFile(book, saveReadOnly, true, &status, DefaultFileSystem(), takeOver)) << c.name;
                EXPECT_EQ(status.kind, HeldFileError::kInUse) << c.name;
            }
        }
    }
}

TEST_F(HolderTest, ReaderSeesWhoAndHowLongSilent)
{
    PutLockText(HolderText("salon", "b", 12, "s1", Now()), 600);
    bool readOnly = false;
    auto reader = OpenHeldFile(book, readOnly, false);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(reader->OtherVerdict().state, HolderState::kSilent);
    EXPECT_GE(reader->OtherVerdict().silentFor, 600);
    const std::string line = reader->DescribeReadOnly();
    EXPECT_EQ(line.rfind("Réservé par marie sur le poste salon depuis ", 0), 0u) << line;
    EXPECT_NE(line.find("Aucun signe de vie depuis 10 min"), std::string::npos) << line;
    // The notifier waits on: a silent holder is not a free book.
    EXPECT_FALSE(ProbeBookAvailable(book));
    PutLockText("", 0);
    EXPECT_TRUE(ProbeBookAvailable(book));
}

TEST_F(HolderTest, HolderFindsItsTakerAndStopsWriting)
{
    bool readOnly = true;
    auto holder = OpenHeldFile(book, readOnly, false);
    ASSERT_TRUE(holder);
    ASSERT_FALSE(readOnly);
    EXPECT_EQ(holder->KeepAlive(), AliveResult::kHeld);
    EXPECT_EQ(ReadBookHolder(book).session, holder->Session());

    // Another machine took the book over after this holder went silent.
    const std::string taker = HolderText("salon", "b", 12, "taker", Now());
    holder->StartHeartbeat(std::chrono::milliseconds(5));
    PutLockText(taker, 0);
    for (int i = 0; i < 1000 && !holder->IsTakenOver(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(holder->IsTakenOver());
    EXPECT_EQ(holder->KeepAlive(), AliveResult::kTakenOver);
    try {
        holder->Save(WriteSubjectList(test::MakeBook("nouveau", 2)));
        ADD_FAILURE() << "a holder that was taken over saved";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("a été repris par marie sur le poste salon"), std::string::npos) << e.what();
    }
    EXPECT_EQ(test::ReadFileBytes(book), oldBytes);
    ReleaseHeldFile(holder);
    EXPECT_EQ(test::ReadFileBytes(LockFilePath(book)), taker);
}

TEST_F(HolderTest, CliRefusesAHeldBookAndTakesOverOnlyASilentOne)
{
    const std::string json = dir.File("livre.json");
    test::WriteFileBytes(json, R"({"subjects":[]})");
    const std::string empty("\0\0", 2);
    const auto run = [](auto command, const cli::Args& args, std::string* err = nullptr) {
        std::ostringstream out;
        std::ostringstream errors;
        const int status = command(args, {out, errors});
        if (err)
            *err = errors.str();
        return status;
    };

    PutLockText(HolderText("salon", "b", 12, "s1", Now()), 20);
    std::string err;
    EXPECT_EQ(run(cli::RunCreate, {json, book, "--force"}, &err), 1);
    EXPECT_NE(err.find("Réservé par marie sur le poste salon"), std::string::npos) << err;
    EXPECT_EQ(err.find("--take-over"), std::string::npos) << err;
    EXPECT_EQ(run(cli::RunCreate, {json, book, "--force", "--take-over"}), 1) << "a live holder is never taken";
    EXPECT_EQ(run(cli::RunRelink, {book, dir.Path(), "--take-over"}), 1);
    EXPECT_EQ(test::ReadFileBytes(book), oldBytes);

    PutLockText(HolderText("salon", "b", 12, "s1", Now()), 600);
    EXPECT_EQ(run(cli::RunCreate, {json, book, "--force"}, &err), 1);
    EXPECT_NE(err.find("--take-over"), std::string::npos) << err;
    EXPECT_EQ(test::ReadFileBytes(book), oldBytes);
    EXPECT_EQ(run(cli::RunCreate, {json, book, "--force", "--take-over"}, &err), 0) << err;
    EXPECT_EQ(test::ReadFileBytes(book), empty);
    // Released after the command: the book is free again.
    EXPECT_FALSE(ReadBookHolder(book).Describes());
}

TEST_F(HolderTest, CliHolderSaysWhoOrFree)
{
    const auto holderOf = [&](bool json) {
        std::ostringstream out;
        std::ostringstream err;
        cli::Args args{book};
        if (json)
            args.push_back("--json");
        EXPECT_EQ(cli::RunHolder(args, {out, err}), 0) << err.str();
        return out.str();
    };
    EXPECT_NE(holderOf(false).find("est libre"), std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(holderOf(true))["state"], "free");

    PutLockText(HolderText("salon", "b", 4242, "s1", Now()), 600);
    const std::string text = holderOf(false);
    EXPECT_NE(text.find("Réservé par marie sur le poste salon"), std::string::npos) << text;
    EXPECT_NE(text.find("Processus 4242"), std::string::npos) << text;
    EXPECT_NE(text.find("Aucun signe de vie depuis 10 min"), std::string::npos) << text;
    const auto json = nlohmann::json::parse(holderOf(true));
    EXPECT_EQ(json["state"], "silent");
    EXPECT_EQ(json["user"], "marie");
    EXPECT_EQ(json["host"], "salon");
    EXPECT_GE(json["seconds_since_alive"].get<long long>(), 600);

    bool readOnly = true;
    auto held = OpenHeldFile(book, readOnly, false, nullptr, DefaultFileSystem(), TakeOver::kSilentHolder);
    ASSERT_FALSE(readOnly);
    const auto mine = nlohmann::json::parse(holderOf(true));
    EXPECT_EQ(mine["state"], "held");
    EXPECT_EQ(mine["byte_lock"], true);
    EXPECT_EQ(mine["pid"], ::getpid());
    EXPECT_EQ(mine["session"], held->Session());

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::RunHolder({dir.File("absent.tvo")}, {out, err}), 1);
    EXPECT_FALSE(err.str().empty());
}

} // namespace
} // namespace tavelo
