// Failed saves in a row: each ends with the old book and its last good backup
// on disk, no temporary file, and a backup removed only while readers are kept
// out.

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <unistd.h>

#include "book/held_file.h"
#include "book/lock_file.h"
#include "book/safe_save.h"
#include "test_support.h"

namespace tavelo {
namespace {

// Refuses to rename anything over the book, so saves rewrite it in place;
// writes to the book fail after writing half their bytes while `tearWrites`
// is set; tells whether readers were kept out whenever a backup is removed.
class TearingFileSystem : public FileSystemOps {
public:
    explicit TearingFileSystem(std::string book) : m_book(std::move(book)) {}

    bool inPlace = true;
    bool tearWrites = false;
    int backupRemovals = 0;
    int backupRemovalsWithReadersIn = 0;

    int Open(const std::string& path, int flags, mode_t mode) override
    {
        const int fd = FileSystemOps::Open(path, flags, mode);
        if (fd >= 0 && path == m_book)
            m_bookFds.push_back(fd);
        return fd;
    }
    int Close(int fd) override
    {
        std::erase(m_bookFds, fd);
        return FileSystemOps::Close(fd);
    }
    ssize_t Write(int fd, const void* data, std::size_t size, off_t offset) override
    {
        if (!tearWrites || std::find(m_bookFds.begin(), m_bookFds.end(), fd) == m_bookFds.end())
            return FileSystemOps::Write(fd, data, size, offset);
        (void)FileSystemOps::Write(fd, data, size / 2, offset);
        errno = EIO;
        return -1;
    }
    int Rename(const std::string& from, const std::string& to) override
    {
        if (inPlace && to == m_book) {
            errno = EPERM;
            return -1;
        }
        return FileSystemOps::Rename(from, to);
    }
    int Unlink(const std::string& path) override
    {
        if (path == BackupFilePath(m_book)) {
            ++backupRemovals;
            if (!IsBookLocked(m_book, kSavingByte, F_RDLCK))
                ++backupRemovalsWithReadersIn;
        }
        return FileSystemOps::Unlink(path);
    }

private:
    std::string m_book;
    std::vector<int> m_bookFds;
};

class SaveLeftoversTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        book = dir.File("Maison.tvo");
        oldBytes = WriteSubjectList(test::MakeBook("ancien", 20, 8000));
        newBytes = WriteSubjectList(test::MakeBook("nouveau", 30, 16000));
        test::WriteFileBytes(book, oldBytes);
    }
    std::vector<std::string> Only(std::initializer_list<std::string> extra = {}) const
    {
        std::vector<std::string> names{".Maison.tvo.lock", "Maison.tvo"};
        names.insert(names.end(), extra);
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir dir;
    std::string book;
    std::string oldBytes;
    std::string newBytes;
};

TEST_F(SaveLeftoversTest, ProducerThatFailsLeavesNoTemporaryFile)
{
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "replace");
        TearingFileSystem fs(book);
        fs.inPlace = inPlace;
        bool readOnly = true;
        auto held = OpenHeldFile(book, readOnly, false, nullptr, fs);
        ASSERT_TRUE(held && !readOnly);
        const BookBytesProducer failing = [&](const ByteSink& sink) {
            sink(std::string_view(newBytes).substr(0, newBytes.size() / 2));
            throw std::bad_alloc();
        };
        EXPECT_THROW(held->Save(failing), std::bad_alloc);
        EXPECT_TRUE(test::ReadFileBytes(book) == oldBytes);
        EXPECT_EQ(dir.Entries(), Only());
    }
}

TEST_F(SaveLeftoversTest, FailuresInARowKeepTheLastGoodBackup)
{
    TearingFileSystem fs(book);
    bool readOnly = true;
    auto held = OpenHeldFile(book, readOnly, false, nullptr, fs);
    ASSERT_TRUE(held && !readOnly);

    // The rewriting and the putting back both tear: the book is torn and the
    // backup holds the good book; then two more saves fail the same way.
    fs.tearWrites = true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        SCOPED_TRACE(attempt);
        EXPECT_EQ(SaveHeldFile(held, readOnly, book, attempt == 1 ? oldBytes : newBytes, fs).outcome, SaveOutcome::kFailed);
        EXPECT_TRUE(test::ReadFileBytes(BackupFilePath(book)) == oldBytes) << "the backup is not the good book";
        EXPECT_TRUE(held->Load().View() == oldBytes) << "the book read is not the good one";
        EXPECT_EQ(dir.Entries(), Only({".Maison.tvo.backup"}));
    }
    // A reader that comes now reads the good book too.
    bool otherReadOnly = false;
    auto reader = OpenHeldFile(book, otherReadOnly, false);
    ASSERT_TRUE(reader && otherReadOnly);
    EXPECT_TRUE(reader->Load().View() == oldBytes) << "a reader reads a torn book";

    // The next save that works leaves the new book alone, and removes the
    // backup only while readers are kept out.
    fs.tearWrites = false;
    fs.inPlace = false;
    ASSERT_EQ(SaveHeldFile(held, readOnly, book, newBytes, fs).outcome, SaveOutcome::kSaved);
    EXPECT_TRUE(test::ReadFileBytes(book) == newBytes);
    EXPECT_EQ(dir.Entries(), Only());
    EXPECT_GT(fs.backupRemovals, 0);
    EXPECT_EQ(fs.backupRemovalsWithReadersIn, 0);
}

} // namespace
} // namespace tavelo
