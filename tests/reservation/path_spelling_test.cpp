// One reservation per book whatever the path that reaches it (symbolic links
// in the file or its folders, "..", "./", "//", a relative path), in the
// window's open, the command-line tool's create and merge; a hard-linked book
// is never held nor replaced.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "book/held_file.h"
#include "book/merge.h"
#include "cli/commands.h"
#include "test_support.h"

namespace tavelo {
namespace {

class PathSpellingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755) | ::mkdir(dir.File("elsewhere").c_str(), 0755), 0);
        test::WriteFileBytes(book, bookBytes);
        test::WriteFileBytes(json, R"({"subjects":[]})");
    }
    // tavelo-cli create --force through `path`: its message, empty when it replaced the book.
    std::string CreateForce(const std::string& path)
    {
        std::ostringstream out, err;
        return cli::RunCreate({json, path, "--force"}, {out, err}) == 0 ? std::string() : err.str();
    }

    test::TempDir dir;
    std::string book = dir.File("real/Maison.tvo");
    std::string bookBytes = WriteSubjectList(test::MakeBook("maison", 2));
    std::string json = dir.File("vide.json");
};

TEST_F(PathSpellingTest, EverySpellingMeetsTheOneReservation)
{
    ASSERT_EQ(::symlink("../real/Maison.tvo", dir.File("elsewhere/Lien.tvo").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("real").c_str(), dir.File("elsewhere/dossier").c_str()), 0);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.File("elsewhere"));
    for (const std::string& other : {dir.File("elsewhere/Lien.tvo"), dir.File("elsewhere/dossier/Maison.tvo"),
                                     dir.File("elsewhere/../real/Maison.tvo"), dir.Path() + "//real/./Maison.tvo",
                                     std::string("../real/Maison.tvo")}) {
        for (const bool holderUsesOther : {false, true}) {
            SCOPED_TRACE(other + (holderUsesOther ? " holds" : " reads"));
            bool readOnly = true;
            auto holder = OpenHeldFile(holderUsesOther ? other : book, readOnly, false);
            ASSERT_TRUE(holder && !readOnly);
            const std::string second = holderUsesOther ? book : other;
            auto reader = OpenHeldFile(second, readOnly, false);
            ASSERT_TRUE(reader && reader->GetReadOnlyReason() == ReadOnlyReason::kHeldElsewhere);
            EXPECT_NE(CreateForce(second).find("il n'est pas remplacé"), std::string::npos);
            EXPECT_EQ(ReadBookForMerge(second).outcome, MergeReadOutcome::kRefused);
            holder->Save(bookBytes); // to the book itself, whatever spelling opened it
        }
    }
    std::filesystem::current_path(cwd);
    EXPECT_EQ(test::ReadFileBytes(book), bookBytes);
    // The only lock file is the one beside the real book.
    EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere/.Lien.tvo.lock")));
}

TEST_F(PathSpellingTest, HardLinkedBookOpensReadOnlyAndIsNeverReplaced)
{
    const std::string link = dir.File("elsewhere/Lien.tvo");
    ASSERT_EQ(::link(book.c_str(), link.c_str()), 0);
    for (const std::string& path : {book, link}) {
        SCOPED_TRACE(path);
        bool readOnly = false;
        auto held = OpenHeldFile(path, readOnly, false);
        ASSERT_TRUE(held && readOnly);
        EXPECT_EQ(held->GetReadOnlyReason(), ReadOnlyReason::kHardLinked);
        EXPECT_NE(held->DescribeReadOnly().find("plusieurs noms"), std::string::npos);
        // Replacing it would split its names and pass by a holder of the other one.
        EXPECT_NE(CreateForce(path).find("plusieurs noms"), std::string::npos);
        EXPECT_EQ(test::ReadFileBytes(link), bookBytes);
        // Nobody can be rewriting it, so the merge, which only reads, takes it.
        held.reset();
        EXPECT_EQ(ReadBookForMerge(path).subjects.size(), 2u);
    }
}

} // namespace
} // namespace tavelo
