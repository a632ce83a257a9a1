// The lock file of a book in a shared folder: whoever may write the folder may
// reserve the book after whoever made the lock file, and a lock file that
// keeps someone out is explained.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "book/held_file.h"
#include "book/lock_file.h"
#include "test_support.h"

namespace tavelo {
namespace {

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(LockModeTest, LockFileIsWritableByWhoeverMayWriteTheFolder)
{
    struct Case {
        mode_t folder;
        mode_t lock;
    };
    const Case cases[] = {{0755, 0644}, {02775, 0664}, {0777, 0666}, {0700, 0644}};
    const mode_t oldMask = ::umask(022);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.folder));
        test::TempDir dir;
        ASSERT_EQ(::chmod(dir.Path().c_str(), c.folder), 0);
        const std::string book = dir.File("Maison.tvo");
        test::WriteFileBytes(book, WriteSubjectList({}));
        ASSERT_EQ(::chmod(book.c_str(), 0600), 0); // the book's own mode does not narrow the lock's
        bool readOnly = true;
        auto held = OpenHeldFile(book, readOnly, false);
        ASSERT_TRUE(held);
        EXPECT_EQ(ModeOf(LockFilePath(book)), c.lock);

        // A lock file of ours made narrower before is widened at the next open.
        held.reset();
        ASSERT_EQ(::chmod(LockFilePath(book).c_str(), 0600), 0);
        held = OpenHeldFile(book, readOnly, false);
        EXPECT_EQ(ModeOf(LockFilePath(book)), c.lock);
    }
    ::umask(oldMask);
}

TEST(LockModeTest, LockFileOfAnotherUserThatKeepsUsOutIsExplained)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "playing two users needs root";
    test::TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    const std::string book = dir.File("Maison.tvo");
    test::WriteFileBytes(book, WriteSubjectList({}));
    ASSERT_EQ(::chmod(book.c_str(), 0666), 0);
    // Made read-only for others by a user of an older version.
    test::WriteFileBytes(LockFilePath(book), "");
    ASSERT_EQ(::chown(LockFilePath(book).c_str(), 4242, 4242), 0);
    ASSERT_EQ(::chmod(LockFilePath(book).c_str(), 0644), 0);

    test::ChildProcess other([&](int, int out) {
        if (::setgid(4343) != 0 || ::setuid(4343) != 0) {
            test::SendByte(out, 'E');
            return;
        }
        bool readOnly = false;
        auto held = OpenHeldFile(book, readOnly, false);
        const bool explained = held && readOnly && held->GetReadOnlyReason() == ReadOnlyReason::kLockFileNotWritable
            && held->DescribeReadOnly().find("uid 4242") != std::string::npos
            && held->DescribeReadOnly().find(".Maison.tvo.lock") != std::string::npos;
        HeldFileStatus status;
        bool saveReadOnly = true;
        auto saved = OpenHeldFile(book, saveReadOnly, true, &status);
        const bool saveExplained = !saved && status.reason.find("uid 4242") != std::string::npos;
        test::SendByte(out, explained && saveExplained ? 'Y' : 'N');
    });
    EXPECT_EQ(other.Receive(), 'Y');
    EXPECT_EQ(other.Wait(), 0);
    EXPECT_EQ(ModeOf(LockFilePath(book)), 0644u); // not ours to change
}

} // namespace
} // namespace tavelo
