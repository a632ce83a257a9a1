// Instances killed in the middle of a save, and readers loading while another
// process saves: the book read is always a whole one, old or new.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <random>
#include <thread>
#include <unistd.h>

#include "book/held_file.h"
#include "book/lock_file.h"
#include "test_support.h"

namespace tavelo {
namespace {

using test::ChildProcess;
using test::TempDir;

// Writes in small pieces with a pause after each, so that a book being
// rewritten stays torn long enough for kills and readers to meet it. Renaming
// over `refuseRenameOver` is refused, as some shares do: every save of that
// book rewrites it in place.
class SlowWrites : public FileSystemOps {
public:
    std::string refuseRenameOver;
    int Rename(const std::string& from, const std::string& to) override
    {
        errno = EPERM;
        return to == refuseRenameOver ? -1 : FileSystemOps::Rename(from, to);
    }
    ssize_t Write(int fd, const void* data, std::size_t size, off_t offset) override
    {
        const ssize_t n = FileSystemOps::Write(fd, data, std::min<std::size_t>(size, 64 * 1024), offset);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        return n;
    }
};

struct Method {
    const char* name;
    bool inPlace; // every save is an in-place rewriting
};

class CrashTest : public ::testing::TestWithParam<Method> {
protected:
    void SetUp() override
    {
        book = dir.File("Maison.tvo");
        bookA = test::MakeBook("A", 200, 2 << 20);
        bookB = test::MakeBook("B", 300, 2 << 20);
        bytesA = WriteSubjectList(bookA);
        bytesB = WriteSubjectList(bookB);
        test::WriteFileBytes(book, bytesA);
        slow.refuseRenameOver = GetParam().inPlace ? book : std::string();
    }

    // Parses what an instance loads and says which book it is.
    char Which(const std::string& bytes) const
    {
        SubjectList read;
        try {
            read = ReadSubjectList(bytes);
        } catch (const BookFormatError&) {
            return '?';
        }
        if (test::SameBook(read, bookA))
            return 'A';
        if (test::SameBook(read, bookB))
            return 'B';
        return '?';
    }

    // A child that holds the book and saves A and B in turn until it is
    // killed or told to stop.
    std::unique_ptr<ChildProcess> StartSaver()
    {
        return std::make_unique<ChildProcess>([this](int in, int out) {
            bool readOnly = true;
            auto held = OpenHeldFile(book, readOnly, false, nullptr, slow);
            test::SendByte(out, held && !readOnly ? 'H' : 'R');
            if (!held || readOnly)
                return;
            for (int i = firstIsA ? 0 : 1; test::ReceiveByte(in, 0) == 0; ++i)
                held->Save(i % 2 ? bytesB : bytesA);
            test::SendByte(out, 'D');
        });
    }

    TempDir dir;
    SlowWrites slow;
    std::string book;
    bool firstIsA = false; // the saver starts with the book that is not on disk
    SubjectList bookA;
    SubjectList bookB;
    std::string bytesA;
    std::string bytesB;
};

TEST_P(CrashTest, KilledSaverLeavesAWholeBook)
{
    // Kills spread over about three saves, as long as saves take here.
    std::chrono::microseconds saveTime{0};
    {
        bool readOnly = true;
        auto held = OpenHeldFile(book, readOnly, false, nullptr, slow);
        ASSERT_FALSE(readOnly);
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 4; ++i)
            held->Save(i % 2 ? bytesA : bytesB);
        saveTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start) / 4;
    }
    std::mt19937 random(12345);
    std::uniform_int_distribution<long> pause(0, 3 * saveTime.count() + 1000);
    int seen[2] = {0, 0};
    // 50 kills for each method, 100 in all.
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto saver = StartSaver();
        ASSERT_EQ(saver->Receive(), 'H');
        std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        saver->Kill();
        saver->Wait();

        const std::string onDisk = test::ReadFileBytes(book);
        if (!GetParam().inPlace) {
            // Replaced by renaming: the path names a whole book at every instant.
            ASSERT_TRUE(onDisk == bytesA || onDisk == bytesB);
        }
        bool readOnly = true;
        auto next = OpenHeldFile(book, readOnly, false);
        ASSERT_TRUE(next);
        ASSERT_FALSE(readOnly);
        const std::string loadedBytes(next->Load().View());
        const char loaded = Which(loadedBytes);
        ASSERT_NE(loaded, '?');
        ++seen[loaded == 'B'];
        firstIsA = loaded == 'B';
        // The next holder has put the book back whole and cleared the leftovers.
        EXPECT_EQ(test::ReadFileBytes(book), loadedBytes);
        for (const auto& name : dir.Entries())
            EXPECT_TRUE(name == "Maison.tvo" || name == ".Maison.tvo.lock") << name;
    }
    // Both books came up, so kills did fall in the middle of saves.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
}

TEST_P(CrashTest, ReaderNeverAcceptsATornBook)
{
    auto saver = StartSaver();
    ASSERT_EQ(saver->Receive(), 'H');
    // Each load overlaps several saves (a save is much quicker than a parse).
    for (int load = 0; load < 25; ++load) {
        bool readOnly = false;
        auto reader = OpenHeldFile(book, readOnly, false);
        ASSERT_TRUE(reader);
        ASSERT_TRUE(readOnly);
        ASSERT_NE(Which(std::string(reader->Load().View())), '?') << "load " << load;
    }
    saver->Send('q');
    EXPECT_EQ(saver->Receive(), 'D');
    EXPECT_EQ(saver->Wait(), 0);
}

INSTANTIATE_TEST_SUITE_P(Methods, CrashTest,
                         ::testing::Values(Method{"Replace", false}, Method{"InPlace", true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tavelo
