// The lock file of a book in a shared folder: whoever may write the folder may
// reserve the book after whoever made the lock file, and another user's lock
// file that keeps us out is explained.

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
    const mode_t oldMask = ::umask(022);
    for (const auto& [folder, lock] : {std::pair<mode_t, mode_t>{0755, 0644}, {02775, 0664}, {0777, 0666}, {0700, 0644}}) {
        SCOPED_TRACE(folder);
        test::TempDir dir;
        ASSERT_EQ(::chmod(dir.Path().c_str(), folder), 0);
        const std::string book = dir.File("Maison.tvo");
        test::WriteFileBytes(book, WriteSubjectList({}));
        ASSERT_EQ(::chmod(book.c_str(), 0600), 0); // the book's own mode does not narrow the lock's
        bool readOnly = true;
        EXPECT_TRUE(OpenHeldFile(book, readOnly, false));
        EXPECT_EQ(ModeOf(LockFilePath(book)), lock);
        // A lock file of ours made narrower before is widened at the next open.
        ASSERT_EQ(::chmod(LockFilePath(book).c_str(), 0600), 0);
        EXPECT_TRUE(OpenHeldFile(book, readOnly, false));
        EXPECT_EQ(ModeOf(LockFilePath(book)), lock);
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
    // Made read-only for others by a user of an older version.
    test::WriteFileBytes(LockFilePath(book), "");
    ASSERT_EQ(::chmod(book.c_str(), 0666) | ::chmod(LockFilePath(book).c_str(), 0644) |
                  ::chown(LockFilePath(book).c_str(), 4242, 4242), 0);

    test::ChildProcess other([&](int, int out) {
        bool readOnly = false;
        HeldFileStatus status;
        auto held = ::setgid(4343) == 0 && ::setuid(4343) == 0 ? OpenHeldFile(book, readOnly, false) : nullptr;
        const std::string why = held ? held->DescribeReadOnly() : std::string();
        const bool told = readOnly && held->GetReadOnlyReason() == ReadOnlyReason::kLockFileNotWritable
            && why.find("uid 4242") != std::string::npos && why.find(".Maison.tvo.lock") != std::string::npos;
        const bool saveTold = !OpenHeldFile(book, readOnly, true, &status) && status.reason.find("uid 4242") != std::string::npos;
        test::SendByte(out, told && saveTold ? 'Y' : 'N');
    });
    EXPECT_EQ(other.Receive(), 'Y');
}

} // namespace
} // namespace tavelo
