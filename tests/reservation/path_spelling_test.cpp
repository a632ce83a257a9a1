// One reservation per book whatever the path that reaches it: symbolic links
// in the file or its folders, "..", "./", doubled slashes, relative paths and
// hard links, in the window's open, the command-line tool's create and merge.

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "book/held_file.h"
#include "book/lock_file.h"
#include "book/merge.h"
#include "cli/commands.h"
#include "test_support.h"

namespace tavelo {
namespace {

class PathSpellingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir(dir.File("elsewhere").c_str(), 0755), 0);
        book = dir.File("real/Maison.tvo");
        bookBytes = WriteSubjectList(test::MakeBook("maison", 2));
        test::WriteFileBytes(book, bookBytes);
        json = dir.File("vide.json");
        test::WriteFileBytes(json, R"({"subjects":[]})");
    }

    int CreateForce(const std::string& path)
    {
        std::ostringstream out;
        err.str("");
        return cli::RunCreate({json, path, "--force"}, {out, err});
    }

    test::TempDir dir;
    std::string book;
    std::string bookBytes;
    std::string json;
    std::ostringstream err;
};

struct Spelling {
    const char* name;
    // Makes whatever the spelling needs and returns it.
    std::string (*make)(const test::TempDir& dir);
};

const Spelling kSpellings[] = {
    {"link to the file", [](const test::TempDir& d) {
         EXPECT_EQ(::symlink("../real/Maison.tvo", d.File("elsewhere/Lien.tvo").c_str()), 0);
         return d.File("elsewhere/Lien.tvo");
     }},
    {"link to the folder", [](const test::TempDir& d) {
         EXPECT_EQ(::symlink(d.File("real").c_str(), d.File("elsewhere/dossier").c_str()), 0);
         return d.File("elsewhere/dossier/Maison.tvo");
     }},
    {"dot-dot", [](const test::TempDir& d) { return d.File("elsewhere/../real/Maison.tvo"); }},
    {"dot and doubled slashes", [](const test::TempDir& d) { return d.Path() + "//real/./Maison.tvo"; }},
    {"relative", [](const test::TempDir& d) {
         EXPECT_EQ(::chdir(d.File("elsewhere").c_str()), 0);
         return std::string("../real/Maison.tvo");
     }},
};

TEST_F(PathSpellingTest, EverySpellingMeetsTheOneReservation)
{
    char cwd[4096];
    ASSERT_TRUE(::getcwd(cwd, sizeof cwd));
    for (const Spelling& spelling : kSpellings) {
        SCOPED_TRACE(spelling.name);
        const std::string other = spelling.make(dir);
        for (const bool holderUsesOther : {false, true}) {
            bool readOnly = true;
            auto holder = OpenHeldFile(holderUsesOther ? other : book, readOnly, false);
            ASSERT_TRUE(holder);
            ASSERT_FALSE(readOnly);
            const std::string second = holderUsesOther ? book : other;

            bool secondReadOnly = false;
            auto reader = OpenHeldFile(second, secondReadOnly, false);
            ASSERT_TRUE(reader);
            EXPECT_TRUE(secondReadOnly);
            EXPECT_EQ(reader->GetReadOnlyReason(), ReadOnlyReason::kHeldElsewhere);
            reader.reset();

            EXPECT_EQ(CreateForce(second), 1);
            EXPECT_NE(err.str().find("il n'est pas remplacé"), std::string::npos) << err.str();
            EXPECT_EQ(ReadBookForMerge(second).outcome, MergeReadOutcome::kRefused);
            EXPECT_TRUE(IsBookHeld(second));
            // The holder saves to the book itself, whatever spelling it opened.
            holder->Save(bookBytes);
        }
        EXPECT_EQ(test::ReadFileBytes(book), bookBytes);
        struct stat st {};
        EXPECT_EQ(::lstat(dir.File("elsewhere/.Lien.tvo.lock").c_str(), &st), -1);
        ASSERT_EQ(::chdir(cwd), 0);
    }
}

TEST_F(PathSpellingTest, HardLinkedBookOpensReadOnlyAndIsNeverReplaced)
{
    const std::string link = dir.File("elsewhere/Lien.tvo");
    ASSERT_EQ(::link(book.c_str(), link.c_str()), 0);
    for (const std::string& path : {book, link}) {
        SCOPED_TRACE(path);
        bool readOnly = false;
        auto held = OpenHeldFile(path, readOnly, false);
        ASSERT_TRUE(held);
        EXPECT_TRUE(readOnly);
        EXPECT_EQ(held->GetReadOnlyReason(), ReadOnlyReason::kHardLinked);
        EXPECT_NE(held->DescribeReadOnly().find("plusieurs noms"), std::string::npos) << held->DescribeReadOnly();
        EXPECT_EQ(held->Load().View(), bookBytes);

        // Replacing it would split its names and pass by a holder of the other one.
        EXPECT_EQ(CreateForce(path), 1);
        EXPECT_NE(err.str().find("plusieurs noms"), std::string::npos) << err.str();
        std::unique_ptr<HeldFile> none;
        EXPECT_EQ(SaveHeldFile(none, readOnly, path, WriteSubjectList({})).outcome, SaveOutcome::kFailed);
        EXPECT_EQ(test::ReadFileBytes(book), bookBytes);

        // Nobody can be rewriting it, so the merge, which only reads, takes it.
        held.reset();
        const MergeRead read = ReadBookForMerge(path);
        EXPECT_EQ(read.outcome, MergeReadOutcome::kRead) << read.message;
        EXPECT_EQ(read.subjects.size(), 2u);
    }
    struct stat st {};
    ASSERT_EQ(::stat(book.c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 2u);
}

} // namespace
} // namespace tavelo
