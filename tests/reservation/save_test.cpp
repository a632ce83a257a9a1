// Saving a held book: exact bytes, permissions, links, interrupted rewritings,
// and every failing call of the file system.

#include <gtest/gtest.h>

#include <cerrno>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "book/file_io.h"
#include "book/held_file.h"
#include "book/lock_file.h"
#include "book/safe_save.h"
#include "test_support.h"

namespace tavelo {
namespace {

using test::TempDir;

class SaveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        book = dir.File("Maison.tvo");
        oldBytes = WriteSubjectList(test::MakeBook("ancien", 40, 20000));
        newBytes = WriteSubjectList(test::MakeBook("nouveau", 60, 40000));
        test::WriteFileBytes(book, oldBytes);
    }

    std::unique_ptr<HeldFile> Hold(FileSystemOps& fs = DefaultFileSystem())
    {
        bool readOnly = true;
        auto held = OpenHeldFile(book, readOnly, false, nullptr, fs);
        EXPECT_TRUE(held);
        EXPECT_FALSE(readOnly);
        return held;
    }

    std::vector<std::string> Expected(std::initializer_list<std::string> extra = {}) const
    {
        std::vector<std::string> names{".Maison.tvo.lock", "Maison.tvo"};
        names.insert(names.end(), extra);
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    std::string book;
    std::string oldBytes;
    std::string newBytes;
};

TEST_F(SaveTest, ReplacesTheBookByteForByteAndKeepsItsMode)
{
    ASSERT_EQ(::chmod(book.c_str(), 0640), 0);
    struct stat before {};
    ::stat(book.c_str(), &before);
    auto held = Hold();
    held->Save(newBytes);
    EXPECT_EQ(test::ReadFileBytes(book), newBytes);
    struct stat after {};
    ::stat(book.c_str(), &after);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_NE(after.st_ino, before.st_ino); // replaced, not rewritten
    // A book that shrinks leaves nothing of the longer one behind.
    held->Save(WriteSubjectList({}));
    EXPECT_EQ(test::ReadFileBytes(book), std::string("\0\0", 2));
    EXPECT_EQ(held->Load().View(), std::string("\0\0", 2));
    EXPECT_EQ(dir.Entries(), Expected());
}

TEST_F(SaveTest, KeepsAnotherOwnerWhenRootSaves)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "changing a file's owner needs root";
    ASSERT_EQ(::chown(book.c_str(), 1234, 2345), 0);
    auto held = Hold();
    EXPECT_EQ(SaveBookFile(book, newBytes), SaveMethod::kReplace);
    struct stat st {};
    ::stat(book.c_str(), &st);
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 2345u);
}

TEST_F(SaveTest, HardLinkedBookIsRewrittenInPlace)
{
    // No instance holds such a book (see path_spelling_test.cpp); a link made
    // while the book is held still keeps both names when it is saved.
    auto held = Hold();
    const std::string other = dir.File("Lien.tvo");
    ASSERT_EQ(::link(book.c_str(), other.c_str()), 0);
    EXPECT_EQ(SaveBookFile(book, newBytes), SaveMethod::kInPlace);
    EXPECT_EQ(test::ReadFileBytes(other), newBytes);
    EXPECT_EQ(SaveBookFile(book, oldBytes), SaveMethod::kInPlace); // shrinks
    EXPECT_EQ(test::ReadFileBytes(other), oldBytes);
    EXPECT_EQ(dir.Entries(), Expected({"Lien.tvo"}));
}

TEST_F(SaveTest, SymbolicLinkStaysALink)
{
    const std::string real = dir.File("Vrai.tvo");
    ASSERT_EQ(::rename(book.c_str(), real.c_str()), 0);
    ASSERT_EQ(::symlink("Vrai.tvo", book.c_str()), 0);
    auto held = Hold();
    held->Save(newBytes);
    struct stat st {};
    ASSERT_EQ(::lstat(book.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(test::ReadFileBytes(real), newBytes);
}

TEST_F(SaveTest, NextHolderPutsBackAnInterruptedRewriting)
{
    // What a crash in the middle of an in-place rewriting leaves: the backup
    // and a torn book, plus a temporary file of an earlier attempt.
    test::WriteFileBytes(BackupFilePath(book), oldBytes);
    test::WriteFileBytes(book, newBytes.substr(0, newBytes.size() / 3));
    test::WriteFileBytes(TempFilePrefix(book) + "Ab12Cd", "partiel");

    {
        // A reader (no holder yet) never takes the torn book.
        const std::string read(ReadSavedBook(book).View());
        EXPECT_EQ(read, oldBytes);
    }
    auto held = Hold();
    EXPECT_EQ(test::ReadFileBytes(book), oldBytes);
    EXPECT_EQ(held->Load().View(), oldBytes);
    EXPECT_EQ(dir.Entries(), Expected());
}

TEST_F(SaveTest, ClearMessageForAFolder)
{
    ::unlink(book.c_str());
    ASSERT_EQ(::mkdir(book.c_str(), 0755), 0);
    try {
        SaveBookFile(book, newBytes);
        FAIL() << "a folder was replaced";
    } catch (const FileError& e) {
        EXPECT_EQ(e.Error(), EISDIR);
        EXPECT_NE(std::string(e.what()).find("c'est un dossier"), std::string::npos);
    }
}

// Fails the n-th call of one kind, once, with a given errno.
class FaultyFileSystem : public FileSystemOps {
public:
    enum Kind { kWrite, kFsync, kClose, kRename, kAllocate, kKinds };

    // When set, renaming over this book is refused, as some shares do: every
    // save rewrites it in place.
    std::string refuseRenameOver;
    // While set, writes to the book write half their bytes, then fail.
    bool tearBook = false;
    // Removals of the backup of `refuseRenameOver`'s book made while readers
    // could be reading it.
    int backupRemovals = 0;
    int removalsUnderReaders = 0;

    int Open(const std::string& path, int flags, mode_t mode) override
    {
        const int fd = FileSystemOps::Open(path, flags, mode);
        m_bookFd = path == m_book ? fd : m_bookFd;
        return fd;
    }
    int Unlink(const std::string& path) override
    {
        if (path == BackupFilePath(m_book)) {
            ++backupRemovals;
            removalsUnderReaders += !IsBookLocked(m_book, kSavingByte, F_RDLCK);
        }
        return FileSystemOps::Unlink(path);
    }
    void RefuseRenameOver(const std::string& book) { refuseRenameOver = m_book = book; }

    void FailAt(Kind kind, int n, int error)
    {
        m_kind = kind;
        m_failAt = n;
        m_error = error;
    }
    int Count(Kind kind) const { return m_counts[kind]; }
    void Reset()
    {
        m_counts = {};
        m_failAt = 0;
    }

    ssize_t Write(int fd, const void* data, std::size_t size, off_t offset) override
    {
        if (tearBook && fd == m_bookFd) {
            (void)FileSystemOps::Write(fd, data, size / 2, offset);
            errno = EIO;
            return -1;
        }
        return Fail(kWrite) ? -1 : FileSystemOps::Write(fd, data, size, offset);
    }
    int Fsync(int fd) override { return Fail(kFsync) ? -1 : FileSystemOps::Fsync(fd); }
    int Close(int fd) override
    {
        m_bookFd = fd == m_bookFd ? -1 : m_bookFd;
        if (Fail(kClose)) {
            FileSystemOps::Close(fd); // Linux closes the descriptor even when close() reports an error
            errno = m_error;
            return -1;
        }
        return FileSystemOps::Close(fd);
    }
    int Rename(const std::string& from, const std::string& to) override
    {
        if (!refuseRenameOver.empty() && to == refuseRenameOver) {
            errno = EPERM;
            return -1;
        }
        return Fail(kRename) ? -1 : FileSystemOps::Rename(from, to);
    }
    int Allocate(int fd, off_t length) override { return Fail(kAllocate) ? -1 : FileSystemOps::Allocate(fd, length); }

private:
    bool Fail(Kind kind)
    {
        if (++m_counts[kind] != m_failAt || kind != m_kind)
            return false;
        errno = m_error;
        return true;
    }

    std::array<int, kKinds> m_counts{};
    std::string m_book;
    int m_bookFd = -1;
    Kind m_kind = kWrite;
    int m_failAt = 0;
    int m_error = 0;
};

struct FaultCase {
    const char* name;
    bool inPlace;
};

class SaveFaultTest : public SaveTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SaveFaultTest, EveryFailingCallLeavesTheOldBookAndTheReservation)
{
    const bool inPlace = GetParam().inPlace;
    const std::vector<std::string> entries = Expected();

    FaultyFileSystem fs;
    if (inPlace)
        fs.RefuseRenameOver(book);
    // How many calls of each kind a save that succeeds makes.
    std::array<int, FaultyFileSystem::kKinds> calls{};
    {
        auto held = Hold(fs);
        fs.Reset();
        held->Save(newBytes);
        for (int k = 0; k < FaultyFileSystem::kKinds; ++k)
            calls[static_cast<std::size_t>(k)] = fs.Count(static_cast<FaultyFileSystem::Kind>(k));
        held->Save(oldBytes);
    }
    EXPECT_GT(calls[FaultyFileSystem::kWrite], 0);
    EXPECT_GT(calls[FaultyFileSystem::kFsync], 0);
    EXPECT_GT(calls[FaultyFileSystem::kClose], 0);
    EXPECT_GT(calls[FaultyFileSystem::kRename], 0);
    EXPECT_EQ(calls[FaultyFileSystem::kAllocate], inPlace ? 1 : 0);

    const int errors[FaultyFileSystem::kKinds] = {ENOSPC, EIO, EIO, EIO, ENOSPC};
    int tried = 0;
    for (int kind = 0; kind < FaultyFileSystem::kKinds; ++kind) {
        for (int n = 1; n <= calls[static_cast<std::size_t>(kind)]; ++n) {
            SCOPED_TRACE("kind " + std::to_string(kind) + ", call " + std::to_string(n));
            auto held = Hold(fs);
            bool readOnly = false;
            fs.Reset();
            fs.FailAt(static_cast<FaultyFileSystem::Kind>(kind), n, errors[kind]);
            const SaveResult r = SaveHeldFile(held, readOnly, book, newBytes, fs);
            ASSERT_EQ(r.outcome, SaveOutcome::kFailed);
            EXPECT_EQ(r.error, errors[kind]);
            EXPECT_NE(r.message.find(DescribeError(errors[kind])), std::string::npos) << r.message;
            EXPECT_EQ(test::ReadFileBytes(book), oldBytes);
            EXPECT_EQ(dir.Entries(), entries);
            ASSERT_TRUE(held);
            EXPECT_FALSE(held->IsReadOnly());
            EXPECT_TRUE(IsBookHeld(book));
            EXPECT_EQ(held->Load().View(), oldBytes);
            ++tried;
        }
    }
    EXPECT_GE(tried, 4);
    // And the same holder saves once the fault is gone.
    auto held = Hold(fs);
    fs.Reset();
    held->Save(newBytes);
    EXPECT_EQ(test::ReadFileBytes(book), newBytes);
}

INSTANTIATE_TEST_SUITE_P(Methods, SaveFaultTest,
                         ::testing::Values(FaultCase{"Replace", false}, FaultCase{"InPlace", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaveTest, ProducerThatFailsLeavesNoTemporaryFile)
{
    auto held = Hold();
    EXPECT_THROW(held->Save([&](const ByteSink& sink) {
        sink(std::string_view(newBytes).substr(0, 1000));
        throw std::bad_alloc();
    }), std::bad_alloc);
    EXPECT_EQ(test::ReadFileBytes(book), oldBytes);
    EXPECT_EQ(dir.Entries(), Expected());
}

TEST_F(SaveTest, FailuresInARowKeepTheLastGoodBackup)
{
    FaultyFileSystem fs;
    fs.RefuseRenameOver(book);
    auto held = Hold(fs);
    bool readOnly = false;
    // The rewriting and its undoing both tear: the book is torn, the backup
    // holds the good book; then two more saves fail the same way.
    fs.tearBook = true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        SCOPED_TRACE(attempt);
        EXPECT_EQ(SaveHeldFile(held, readOnly, book, attempt == 1 ? oldBytes : newBytes, fs).outcome, SaveOutcome::kFailed);
        EXPECT_TRUE(test::ReadFileBytes(BackupFilePath(book)) == oldBytes) << "the good backup was replaced";
        EXPECT_TRUE(held->Load().View() == oldBytes) << "the book read is not the good one";
        EXPECT_EQ(dir.Entries(), Expected({".Maison.tvo.backup"}));
    }
    // The next save that works removes the backup only while readers are kept out.
    fs.tearBook = false;
    fs.refuseRenameOver.clear();
    ASSERT_EQ(SaveHeldFile(held, readOnly, book, newBytes, fs).outcome, SaveOutcome::kSaved);
    EXPECT_EQ(test::ReadFileBytes(book), newBytes);
    EXPECT_EQ(dir.Entries(), Expected());
    EXPECT_GT(fs.backupRemovals, 0);
    EXPECT_EQ(fs.removalsUnderReaders, 0);
}

// A rename the file system refuses falls back to rewriting in place.
class RefusedRename : public FileSystemOps {
public:
    int Rename(const std::string& from, const std::string& to) override
    {
        if (to.find(".backup") == std::string::npos) {
            errno = EPERM;
            return -1;
        }
        return FileSystemOps::Rename(from, to);
    }
};

TEST_F(SaveTest, RefusedRenameFallsBackToInPlace)
{
    RefusedRename fs;
    auto held = Hold(fs);
    EXPECT_EQ(SaveBookFile(book, newBytes, fs), SaveMethod::kInPlace);
    EXPECT_EQ(test::ReadFileBytes(book), newBytes);
    EXPECT_EQ(dir.Entries(), Expected());
}

TEST(FullDiskTest, SaveFailsCleanlyOnAFullFileSystem)
{
    test::ScratchTmpfs disk(512 * 1024);
    if (disk.Path().empty())
        GTEST_SKIP() << "mounting a small tmpfs needs root (CAP_SYS_ADMIN)";
    const std::string book = disk.Path() + "/Maison.tvo";
    const std::string oldBytes = WriteSubjectList(test::MakeBook("ancien", 20, 150 * 1024));
    const std::string bigBytes = WriteSubjectList(test::MakeBook("nouveau", 20, 450 * 1024));
    test::WriteFileBytes(book, oldBytes);
    ASSERT_EQ(test::ReadFileBytes(book), oldBytes);

    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "replace");
        RefusedRename refusing;
        FileSystemOps& fs = inPlace ? refusing : DefaultFileSystem();
        bool readOnly = true;
        auto held = OpenHeldFile(book, readOnly, false, nullptr, fs);
        ASSERT_TRUE(held);
        const SaveResult r = SaveHeldFile(held, readOnly, book, bigBytes, fs);
        ASSERT_EQ(r.outcome, SaveOutcome::kFailed);
        EXPECT_EQ(r.error, ENOSPC);
        EXPECT_NE(r.message.find("le disque est plein"), std::string::npos) << r.message;
        EXPECT_EQ(test::ReadFileBytes(book), oldBytes);
        EXPECT_FALSE(readOnly);
        EXPECT_TRUE(IsBookHeld(book));
        struct stat st {};
        EXPECT_NE(::lstat(BackupFilePath(book).c_str(), &st), 0);
        // Space enough for a smaller book.
        const std::string smallBytes = WriteSubjectList(test::MakeBook("petit", 3));
        ASSERT_EQ(SaveHeldFile(held, readOnly, book, smallBytes, fs).outcome, SaveOutcome::kSaved);
        EXPECT_EQ(test::ReadFileBytes(book), smallBytes);
        ASSERT_EQ(SaveHeldFile(held, readOnly, book, oldBytes, fs).outcome, SaveOutcome::kSaved);
    }
}

} // namespace
} // namespace tavelo
