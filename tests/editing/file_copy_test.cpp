#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "editing/document_check.h"
#include "editing/file_copy.h"
#include "editing/text_file.h"
#include "editing_test_support.h"

namespace tavelo {
namespace {

using test::ListFolder;
using test::ReadFile;
using test::ScratchFolder;
using test::WriteFile;

TEST(FileCopyTest, CopyReplacesTargetKeepingModeAndTimes)
{
    ScratchFolder dir;
    const std::string source = dir / "source.pdf";
    const std::string target = dir / "target.pdf";
    std::string bytes(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 % 251);
    WriteFile(source, bytes);
    WriteFile(target, "old");
    ASSERT_EQ(::chmod(source.c_str(), 0640), 0);
    const timespec times[2] = {{1200000000, 5}, {1300000000, 42}};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times, 0), 0);

    const CopyResult r = CopyDocumentFile(source, target);

    ASSERT_EQ(r.error, 0);
    EXPECT_EQ(ReadFile(target), bytes);
    struct stat s {};
    struct stat t {};
    ASSERT_EQ(::stat(source.c_str(), &s), 0);
    ASSERT_EQ(::stat(target.c_str(), &t), 0);
    EXPECT_EQ(r.source, (FileId{s.st_dev, s.st_ino}));
    EXPECT_EQ(t.st_mode & 0777, 0640u & ~CurrentUmask());
    EXPECT_EQ(t.st_mtim.tv_sec, 1300000000);
    EXPECT_EQ(t.st_mtim.tv_nsec, 42);
    EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"source.pdf", "target.pdf"}));
}

TEST(FileCopyTest, FailedCopyLeavesTargetAsItWasAndNoTemporaryFile)
{
    ScratchFolder dir;
    WriteFile(dir / "target.pdf", "keep me");
    EXPECT_EQ(CopyDocumentFile(dir / "absent.pdf", dir / "target.pdf").error, ENOENT);
    EXPECT_EQ(ReadFile(dir / "target.pdf"), "keep me");

    ::mkdir((dir / "folder").c_str(), 0777);
    WriteFile(dir / "source", "x");
    EXPECT_NE(CopyDocumentFile(dir / "source", dir / "folder").error, 0); // a folder in the target's place
    EXPECT_NE(CopyDocumentFile(dir / "source", dir / "missing/target").error, 0);
    EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"folder", "source", "target.pdf"}));
    EXPECT_TRUE(ListFolder(dir / "folder").empty());
}

TEST(FileCopyTest, FoldersPipesAndDevicesAreNotCopied)
{
    ScratchFolder dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    ::mkdir((dir / "folder").c_str(), 0777);
    EXPECT_EQ(CopyDocumentFile(dir / "pipe", dir / "a").error, EINVAL);
    EXPECT_EQ(CopyDocumentFile(dir / "folder", dir / "b").error, EISDIR);
    EXPECT_EQ(CopyDocumentFile("/dev/zero", dir / "c").error, EINVAL);
    EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"folder", "pipe"}));

    EXPECT_FALSE(IsReadableDocument(dir / "pipe"));
    EXPECT_FALSE(IsReadableDocument(dir / "folder"));
    EXPECT_FALSE(IsReadableDocument(dir / "absent"));
    WriteFile(dir / "doc", "");
    EXPECT_TRUE(IsReadableDocument(dir / "doc"));
}

TEST(FileCopyTest, FileWhoseSizeTheSystemDoesNotKnowIsCopiedWhole)
{
    // /proc files report a size of 0; the kernel copy calls copy nothing of them.
    ScratchFolder dir;
    const CopyResult r = CopyDocumentFile("/proc/self/mountinfo", dir / "mountinfo");
    ASSERT_EQ(r.error, 0);
    EXPECT_FALSE(ReadFile(dir / "mountinfo").empty());
}

TEST(FileCopyTest, EmptyFileIsCopied)
{
    ScratchFolder dir;
    WriteFile(dir / "empty", "");
    ASSERT_EQ(CopyDocumentFile(dir / "empty", dir / "copy").error, 0);
    EXPECT_EQ(ReadFile(dir / "copy"), "");
}

TEST(FileCopyTest, PlainFileNames)
{
    EXPECT_TRUE(IsPlainFileName("edf.pdf"));
    EXPECT_TRUE(IsPlainFileName("..."));
    EXPECT_TRUE(IsPlainFileName(".cache"));
    EXPECT_FALSE(IsPlainFileName(""));
    EXPECT_FALSE(IsPlainFileName("."));
    EXPECT_FALSE(IsPlainFileName(".."));
    EXPECT_FALSE(IsPlainFileName("a/b"));
    EXPECT_FALSE(IsPlainFileName(std::string("a\0b", 3)));
}

TEST(FileCopyTest, PendingFileAppearsOnlyWhenCommitted)
{
    ScratchFolder dir;
    WriteFile(dir / "report.txt", "old");
    {
        PendingFile f;
        ASSERT_EQ(f.Open(dir.Path()), 0);
        EXPECT_EQ(ReadFile(dir / "report.txt"), "old");
    }
    EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"report.txt"});

    PendingFile f;
    ASSERT_EQ(f.Open(dir.Path()), 0);
    ASSERT_EQ(f.Commit("new", dir / "report.txt"), 0);
    EXPECT_EQ(ReadFile(dir / "report.txt"), "new");
    EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"report.txt"});
    EXPECT_NE(f.Open(dir / "missing"), 0);
}

TEST(FileCopyTest, TextFileEncoding)
{
    EXPECT_EQ(EncodeTextFile("Relevé"), "Relev\xE9");
    EXPECT_EQ(EncodeTextFile("ﬁn"), "\xEF\xBB\xBF" "ﬁn");
    EXPECT_EQ(EncodeTextFile(""), "");
}

} // namespace
} // namespace tavelo
