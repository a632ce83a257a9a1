// One folder mounted twice through sshfs, as two machines see one share: byte
// locks stay on each mount, so only the lock file's text and the book's
// version keep two writers apart. The test starts its own sshd on 127.0.0.1
// with keys made in a temporary folder, and skips where /dev/fuse, sshd or
// sshfs is missing or a mount is refused.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "book/held_file.h"
#include "book/version_merge.h"
#include "cli/commands.h"
#include "test_support.h"

namespace tavelo {
namespace {

bool Executable(const char* path)
{
    return ::access(path, X_OK) == 0;
}

int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool Shell(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

class SshfsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::access("/dev/fuse", R_OK | W_OK) != 0)
            GTEST_SKIP() << "/dev/fuse is missing or closed: the sshfs tests need FUSE";
        if (!Executable("/usr/sbin/sshd") || !Executable("/usr/bin/sshfs") || !Executable("/usr/bin/ssh-keygen"))
            GTEST_SKIP() << "sshd, sshfs or ssh-keygen is missing (packages openssh-server and sshfs)";
        // sshd wants its privilege separation folder.
        ::mkdir("/run/sshd", 0755);
        struct stat st {};
        if (::stat("/run/sshd", &st) != 0)
            GTEST_SKIP() << "/run/sshd cannot be made: sshd cannot start here";
        const std::string keys = dir.File("keys");
        ::mkdir(keys.c_str(), 0700);
        share = dir.File("share");
        ::mkdir(share.c_str(), 0755);
        if (!Shell("ssh-keygen -q -t ed25519 -N '' -f '" + keys + "/host'") ||
            !Shell("ssh-keygen -q -t ed25519 -N '' -f '" + keys + "/user'") ||
            !Shell("cp '" + keys + "/user.pub' '" + keys + "/authorized_keys'"))
            GTEST_SKIP() << "ssh-keygen failed";
        port = FreePort();
        pidFile = keys + "/sshd.pid";
        std::ofstream(keys + "/sshd_config") << "Port " << port << "\nListenAddress 127.0.0.1\nHostKey " << keys
                                             << "/host\nAuthorizedKeysFile " << keys
                                             << "/authorized_keys\nPasswordAuthentication no\n"
                                                "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\n"
                                                "StrictModes no\nUsePAM no\nPidFile "
                                             << pidFile << "\nSubsystem sftp internal-sftp\n";
        if (!Shell("/usr/sbin/sshd -f '" + keys + "/sshd_config' -E '" + keys + "/sshd.log'"))
            GTEST_SKIP() << "sshd did not start on 127.0.0.1:" << port;
        for (int i = 0; i < 100 && ::access(pidFile.c_str(), F_OK) != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        // Both mounts without sshfs's caches, so that each sees the other's
        // writes at once (see the README for what the defaults allow).
        for (const char* name : {"m1", "m2"}) {
            const std::string mount = dir.File(name);
            ::mkdir(mount.c_str(), 0755);
            const std::string user = ::getenv("USER") ? ::getenv("USER") : "root";
            if (!Shell("timeout 30 sshfs -o IdentityFile='" + keys + "/user',StrictHostKeyChecking=no,"
                     "UserKnownHostsFile=/dev/null,BatchMode=yes,port=" + std::to_string(port) +
                     ",dir_cache=no,attr_timeout=0,entry_timeout=0 " + user + "@127.0.0.1:'" + share + "' '" + mount + "'"))
                GTEST_SKIP() << "sshfs could not mount the test's share (FUSE mounts refused here?)";
            mounts.push_back(mount);
        }
        first = mounts[0] + "/Maison.tvo";
        second = mounts[1] + "/Maison.tvo";
        test::WriteFileBytes(share + "/Maison.tvo", WriteSubjectList(test::MakeBook("ancien", 3)));
    }

    void TearDown() override
    {
        for (const std::string& mount : mounts)
            Shell("fusermount3 -u '" + mount + "' || fusermount -u '" + mount + "'");
        std::ifstream pid(pidFile);
        long sshd = 0;
        if (pid >> sshd && sshd > 0)
            ::kill(static_cast<pid_t>(sshd), SIGTERM);
    }

    test::TempDir dir;
    std::string share;
    std::string pidFile;
    int port = 0;
    std::vector<std::string> mounts;
    std::string first;
    std::string second;
};

TEST_F(SshfsTest, SecondWriterThroughTheOtherMountIsRefused)
{
    bool readOnly = true;
    auto holder = OpenHeldFile(first, readOnly, false);
    ASSERT_TRUE(holder);
    ASSERT_FALSE(readOnly);
    const std::string before = test::ReadFileBytes(share + "/Maison.tvo");

    bool otherReadOnly = false;
    auto other = OpenHeldFile(second, otherReadOnly, false);
    ASSERT_TRUE(other);
    EXPECT_TRUE(otherReadOnly);
    EXPECT_EQ(other->GetReadOnlyReason(), ReadOnlyReason::kHeldElsewhere);
    EXPECT_NE(other->DescribeReadOnly().find("Réservé par "), std::string::npos) << other->DescribeReadOnly();

    const std::string json = dir.File("livre.json");
    test::WriteFileBytes(json, R"({"subjects":[]})");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::RunCreate({json, second, "--force"}, {out, err}), 1);
    EXPECT_NE(err.str().find("il n'est pas remplacé"), std::string::npos) << err.str();
    EXPECT_EQ(test::ReadFileBytes(share + "/Maison.tvo"), before);
}

TEST_F(SshfsTest, ReaderThroughTheOtherMountFollowsTheWritersSaves)
{
    bool readOnly = true;
    auto holder = OpenHeldFile(first, readOnly, false);
    ASSERT_FALSE(readOnly);
    holder->Load();
    bool readerReadOnly = false;
    auto reader = OpenHeldFile(second, readerReadOnly, false);
    ASSERT_TRUE(readerReadOnly);
    reader->Load();
    EXPECT_EQ(reader->CheckDisk(), VersionCheck::kSame);

    const std::string next = WriteSubjectList(test::MakeBook("nouveau", 5));
    ASSERT_EQ(SaveHeldFile(holder, readOnly, first, next).outcome, SaveOutcome::kSaved);
    EXPECT_EQ(reader->CheckDisk(), VersionCheck::kChanged);
    EXPECT_EQ(reader->Load().View(), next);
    EXPECT_EQ(reader->CheckDisk(), VersionCheck::kSame);
}

TEST_F(SshfsTest, HolderKilledIsTakenOver)
{
    test::ChildProcess child([&](int in, int out) {
        bool readOnly = true;
        auto held = OpenHeldFile(first, readOnly, false);
        test::SendByte(out, held && !readOnly ? 'H' : 'R');
        test::ReceiveByte(in, 60000);
    });
    ASSERT_EQ(child.Receive(30000), 'H');
    bool readOnly = false;
    EXPECT_TRUE(OpenHeldFile(second, readOnly, false));
    EXPECT_TRUE(readOnly) << "the live holder through the other mount is seen";
    child.Kill();
    child.Wait();
    auto taker = OpenHeldFile(second, readOnly, false);
    ASSERT_TRUE(taker);
    EXPECT_FALSE(readOnly) << "a holder of this machine whose process is gone is replaced";
    EXPECT_EQ(ReadBookHolder(share + "/Maison.tvo").session, taker->Session());
}

TEST_F(SshfsTest, SaveAfterAChangeBehindTheHoldersBackMerges)
{
    const SubjectList base = test::MakeBook("ancien", 3);
    bool readOnly = true;
    auto holder = OpenHeldFile(first, readOnly, false);
    ASSERT_FALSE(readOnly);
    holder->Load();
    // A sync client, or an older instance, rewrites the book through the
    // other mount: one subject more.
    SubjectList theirs = test::MakeBook("ancien", 3);
    theirs.push_back(std::make_unique<CTenorels>("Banque", "Livret", 0));
    test::WriteFileBytes(second, WriteSubjectList(theirs));
    // Here, the first subject was closed.
    SubjectList mine = test::MakeBook("ancien", 3);
    mine[0]->SetState(CTenorels::kClosed);

    const SaveResult refused = SaveHeldFile(holder, readOnly, first, WriteSubjectList(mine));
    ASSERT_EQ(refused.outcome, SaveOutcome::kChangedOnDisk) << refused.message;
    EXPECT_EQ(test::ReadFileBytes(share + "/Maison.tvo"), WriteSubjectList(theirs));

    BookVersion version;
    const FileBytes current = holder->ReadCurrent(version);
    const SubjectList onDisk = ReadSubjectList(current.View());
    const SubjectList loaded = ReadSubjectList(holder->BaseBytes());
    const MergeResult merged = MergeVersions(&loaded, mine, onDisk);
    EXPECT_FALSE(merged.NeedsUser());
    holder->AdoptVersion(version, std::string(current.View()));
    ASSERT_EQ(SaveHeldFile(holder, readOnly, first, WriteSubjectList(merged.merged)).outcome, SaveOutcome::kSaved);
    const SubjectList saved = ReadSubjectList(test::ReadFileBytes(share + "/Maison.tvo"));
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved[0]->GetState(), CTenorels::kClosed);
    EXPECT_EQ(saved[3]->GetSubjectName(), "Livret");
}

} // namespace
} // namespace tavelo
