// Holder and readers of one book: two opens in this process, and two processes.

#include <gtest/gtest.h>

#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

#include "book/file_io.h"
#include "book/held_file.h"
#include "book/lock_file.h"
#include "test_support.h"

namespace tavelo {
namespace {

using test::ChildProcess;
using test::TempDir;

class HeldFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        book = dir.File("Maison.tvo");
        oldBytes = WriteSubjectList(test::MakeBook("ancien", 3));
        newBytes = WriteSubjectList(test::MakeBook("nouveau", 5));
        test::WriteFileBytes(book, oldBytes);
    }

    std::unique_ptr<HeldFile> Open(const std::string& path, bool& readOnly)
    {
        return OpenHeldFile(path, readOnly, false);
    }

    TempDir dir;
    std::string book;
    std::string oldBytes;
    std::string newBytes;
};

TEST_F(HeldFileTest, FirstOpenHoldsLaterOpenReadsInOneProcess)
{
    bool firstReadOnly = true;
    auto first = Open(book, firstReadOnly);
    ASSERT_TRUE(first);
    EXPECT_FALSE(firstReadOnly);
    EXPECT_FALSE(first->IsReadOnly());
    EXPECT_EQ(first->GetFileName(), "Maison.tvo");
    EXPECT_TRUE(first->DescribeReadOnly().empty());
    EXPECT_TRUE(IsBookHeld(book));
    EXPECT_FALSE(ProbeBookAvailable(book));

    bool secondReadOnly = false;
    auto second = Open(book, secondReadOnly);
    ASSERT_TRUE(second);
    EXPECT_TRUE(secondReadOnly);
    EXPECT_EQ(second->GetReadOnlyReason(), ReadOnlyReason::kHeldElsewhere);
    const std::string who = second->DescribeReadOnly();
    EXPECT_NE(who.find("Réservé par "), std::string::npos) << who;
    EXPECT_EQ(second->OtherHolder().pid, ::getpid());
    EXPECT_EQ(second->Load().View(), oldBytes);
    // The reader's own open does not make the book look held.
    ReleaseHeldFile(first);
    EXPECT_FALSE(first);
    EXPECT_FALSE(IsBookHeld(book));
    EXPECT_TRUE(ProbeBookAvailable(book));
    EXPECT_TRUE(IsBookInUse(book));
    // The released holder wiped its description.
    EXPECT_TRUE(ReadBookHolder(book).user.empty());
}

TEST_F(HeldFileTest, AnotherProcessHoldsUntilItEnds)
{
    ChildProcess child([&](int in, int out) {
        bool readOnly = true;
        auto held = OpenHeldFile(book, readOnly, false);
        test::SendByte(out, held && !readOnly ? 'H' : 'R');
        test::ReceiveByte(in);
        ReleaseHeldFile(held);
        test::SendByte(out, 'F');
        test::ReceiveByte(in);
    });
    ASSERT_EQ(child.Receive(), 'H');

    bool readOnly = false;
    auto mine = Open(book, readOnly);
    ASSERT_TRUE(mine);
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(mine->GetReadOnlyReason(), ReadOnlyReason::kHeldElsewhere);
    EXPECT_EQ(mine->OtherHolder().pid, child.Pid());
    EXPECT_FALSE(ProbeBookAvailable(book));

    child.Send('r');
    ASSERT_EQ(child.Receive(), 'F');
    EXPECT_TRUE(ProbeBookAvailable(book));
    bool again = true;
    auto holder = Open(book, again);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(again);
    child.Send('q');
    EXPECT_EQ(child.Wait(), 0);
}

TEST_F(HeldFileTest, KilledHolderFreesTheBook)
{
    ChildProcess child([&](int in, int out) {
        bool readOnly = true;
        auto held = OpenHeldFile(book, readOnly, false);
        test::SendByte(out, held && !readOnly ? 'H' : 'R');
        test::ReceiveByte(in, 60000);
    });
    ASSERT_EQ(child.Receive(), 'H');
    EXPECT_TRUE(IsBookHeld(book));
    child.Kill();
    child.Wait();
    EXPECT_FALSE(IsBookHeld(book));
    bool readOnly = true;
    EXPECT_TRUE(Open(book, readOnly));
    EXPECT_FALSE(readOnly);
}

TEST_F(HeldFileTest, SimultaneousOpensMakeExactlyOneHolder)
{
    constexpr int kChildren = 6;
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (int i = 0; i < kChildren; ++i) {
        children.push_back(std::make_unique<ChildProcess>([&](int in, int out) {
            test::ReceiveByte(in);
            bool readOnly = true;
            auto held = OpenHeldFile(book, readOnly, false);
            test::SendByte(out, !held ? 'X' : readOnly ? 'R' : 'H');
            test::ReceiveByte(in);
        }));
    }
    for (auto& c : children)
        c->Send('g');
    int holders = 0;
    int readers = 0;
    for (auto& c : children) {
        const char r = c->Receive();
        holders += r == 'H';
        readers += r == 'R';
    }
    EXPECT_EQ(holders, 1);
    EXPECT_EQ(readers, kChildren - 1);
    for (auto& c : children)
        c->Send('q');
}

TEST_F(HeldFileTest, ReaderCannotSaveToItsOwnPath)
{
    bool holderReadOnly = true;
    auto holder = Open(book, holderReadOnly);
    bool readOnly = false;
    auto reader = Open(book, readOnly);
    ASSERT_TRUE(reader);
    ASSERT_TRUE(readOnly);

    const SaveResult r = SaveHeldFile(reader, readOnly, book, newBytes);
    EXPECT_EQ(r.outcome, SaveOutcome::kInUse);
    EXPECT_EQ(r.message, "Le fichier '" + book + "' est utilisé.\nSauvegarder le sous un nom différent.");
    EXPECT_EQ(test::ReadFileBytes(book), oldBytes);
    EXPECT_TRUE(readOnly);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->GetFilePath(), book);
    EXPECT_THROW(reader->Save(newBytes), FileError);
    EXPECT_EQ(test::ReadFileBytes(book), oldBytes);
}

TEST_F(HeldFileTest, SaveUnderNewNameMakesReaderTheHolder)
{
    ChildProcess child([&](int in, int out) {
        bool readOnly = true;
        auto held = OpenHeldFile(book, readOnly, false);
        test::SendByte(out, held && !readOnly ? 'H' : 'R');
        test::ReceiveByte(in);
    });
    ASSERT_EQ(child.Receive(), 'H');

    bool readOnly = false;
    auto held = Open(book, readOnly);
    ASSERT_TRUE(readOnly);
    const std::string copy = dir.File("Copie.tvo");
    const SaveResult r = SaveHeldFile(held, readOnly, copy, newBytes);
    ASSERT_EQ(r.outcome, SaveOutcome::kSaved) << r.message;
    EXPECT_FALSE(readOnly);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->GetFilePath(), copy);
    EXPECT_FALSE(held->IsReadOnly());
    EXPECT_EQ(test::ReadFileBytes(copy), newBytes);
    EXPECT_EQ(test::ReadFileBytes(book), oldBytes);
    EXPECT_TRUE(IsBookHeld(copy));

    // A further save goes to the new file, still as its holder.
    ASSERT_EQ(SaveHeldFile(held, readOnly, copy, oldBytes).outcome, SaveOutcome::kSaved);
    EXPECT_EQ(test::ReadFileBytes(copy), oldBytes);

    // The old book's presence went with the old held file.
    child.Send('q');
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_FALSE(IsBookInUse(book));
}

TEST_F(HeldFileTest, SaveUnderNameHeldElsewhereIsRefused)
{
    const std::string other = dir.File("Autre.tvo");
    test::WriteFileBytes(other, oldBytes);
    ChildProcess child([&](int in, int out) {
        bool readOnly = true;
        auto held = OpenHeldFile(other, readOnly, false);
        test::SendByte(out, held && !readOnly ? 'H' : 'R');
        test::ReceiveByte(in);
    });
    ASSERT_EQ(child.Receive(), 'H');

    bool readOnly = true;
    auto held = Open(book, readOnly);
    ASSERT_FALSE(readOnly);
    const SaveResult r = SaveHeldFile(held, readOnly, other, newBytes);
    EXPECT_EQ(r.outcome, SaveOutcome::kInUse);
    EXPECT_EQ(r.message, InUseMessage(other));
    EXPECT_EQ(test::ReadFileBytes(other), oldBytes);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->GetFilePath(), book);
    EXPECT_FALSE(readOnly);
    EXPECT_TRUE(IsBookHeld(book));
    child.Send('q');
}

TEST_F(HeldFileTest, FirstSaveOfNewBookHoldsItsFile)
{
    std::unique_ptr<HeldFile> held;
    bool readOnly = false;
    const std::string fresh = dir.File("Nouveau.tvo");
    ASSERT_EQ(SaveHeldFile(held, readOnly, fresh, newBytes).outcome, SaveOutcome::kSaved);
    ASSERT_TRUE(held);
    EXPECT_EQ(test::ReadFileBytes(fresh), newBytes);
    bool otherReadOnly = false;
    auto other = Open(fresh, otherReadOnly);
    EXPECT_TRUE(otherReadOnly);
}

TEST_F(HeldFileTest, MergeRefusesABookThatAnyInstanceHasOpen)
{
    EXPECT_FALSE(IsBookInUse(book));
    {
        bool readOnly = true;
        auto held = Open(book, readOnly);
        EXPECT_TRUE(IsBookInUse(book)); // this instance's own book
    }
    EXPECT_FALSE(IsBookInUse(book));

    // Another process that only reads the book.
    bool readOnly = true;
    auto holder = Open(book, readOnly);
    ChildProcess child([&](int in, int out) {
        bool childReadOnly = false;
        auto held = OpenHeldFile(book, childReadOnly, false);
        test::SendByte(out, held && childReadOnly ? 'R' : 'H');
        test::ReceiveByte(in);
    });
    ASSERT_EQ(child.Receive(), 'R');
    ReleaseHeldFile(holder);
    EXPECT_TRUE(IsBookInUse(book));
    child.Send('q');
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_FALSE(IsBookInUse(book));
    EXPECT_EQ(kMergeRefusedMessage, "Le fichier devant être fusionné n'a pas pu être ouvert");
}

TEST_F(HeldFileTest, MissingBookCannotBeOpened)
{
    const std::string missing = dir.File("Absent.tvo");
    bool readOnly = false;
    HeldFileStatus status;
    EXPECT_FALSE(OpenHeldFile(missing, readOnly, false, &status));
    EXPECT_EQ(status.kind, HeldFileError::kCannotOpen);
    EXPECT_NE(status.reason.find("n'existe pas"), std::string::npos) << status.reason;
    EXPECT_EQ(OpenErrorMessage(missing), "Erreur lors de l'ouverture du fichier '" + missing + "'");
    // No lock file is made for a book that is not there.
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Maison.tvo"});
    EXPECT_FALSE(OpenHeldFile(dir.Path(), readOnly, false, &status));
    EXPECT_EQ(status.error, EISDIR);
}

TEST_F(HeldFileTest, ReadOnlyShareOpensReadOnlyAndSaysWhy)
{
    test::ScratchTmpfs share(1 << 20);
    if (share.Path().empty())
        GTEST_SKIP() << "mounting a tmpfs needs root (CAP_SYS_ADMIN)";
    const std::string onShare = share.Path() + "/Maison.tvo";
    test::WriteFileBytes(onShare, oldBytes);
    ASSERT_TRUE(share.RemountReadOnly());

    bool readOnly = false;
    auto held = Open(onShare, readOnly);
    ASSERT_TRUE(held);
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(held->GetReadOnlyReason(), ReadOnlyReason::kFolderReadOnly);
    EXPECT_NE(held->DescribeReadOnly().find("lecture seule"), std::string::npos);
    EXPECT_EQ(held->Load().View(), oldBytes);
    EXPECT_EQ(SaveHeldFile(held, readOnly, onShare, newBytes).outcome, SaveOutcome::kInUse);
}

TEST_F(HeldFileTest, LockFileSitsHiddenBesideTheBook)
{
    EXPECT_EQ(LockFilePath("/d/Maison.tvo"), "/d/.Maison.tvo.lock");
    EXPECT_EQ(BackupFilePath("/d/Maison.tvo"), "/d/.Maison.tvo.backup");
    EXPECT_EQ(LockFilePath("Maison.tvo"), ".Maison.tvo.lock");
    bool readOnly = true;
    auto held = Open(book, readOnly);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{".Maison.tvo.lock", "Maison.tvo"}));
    const HolderInfo info = ReadBookHolder(book);
    EXPECT_EQ(info.pid, ::getpid());
    EXPECT_GT(info.since, 0);
    EXPECT_FALSE(info.host.empty());
}

TEST(DescribeHolderTest, SaysWhoAndSince)
{
    HolderInfo info;
    info.user = "marie";
    info.host = "salon";
    EXPECT_EQ(DescribeHolder(info), "Réservé par marie sur le poste salon");
    info.since = 1700000000;
    EXPECT_NE(DescribeHolder(info).find(" depuis le "), std::string::npos);
    // Today: the time alone.
    std::time_t now = std::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    local.tm_hour = 14;
    local.tm_min = 5;
    local.tm_sec = 0;
    info.since = static_cast<long long>(std::mktime(&local));
    EXPECT_EQ(DescribeHolder(info), "Réservé par marie sur le poste salon depuis 14:05");
    EXPECT_EQ(DescribeHolder({}), "Le livre est réservé par une autre instance de Tavelo.");
}

} // namespace
} // namespace tavelo
