// Conflict copies left by sync clients: their names, finding them beside a
// book, merging one with tavelo-cli merge-copy, and the trash it goes to.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "book/conflict_copies.h"
#include "book/held_file.h"
#include "cli/commands.h"
#include "test_support.h"

namespace tavelo {
namespace {

TEST(ConflictCopyNamesTest, EachClientsNaming)
{
    struct Case {
        const char* candidate;
        const char* client; // "" for no copy of Maison.tvo
    };
    const Case cases[] = {
        {"Maison (conflicted copy 2024-05-03 101112).tvo", "Nextcloud"},
        {"Maison (conflicted copy).tvo", "Nextcloud"},
        {"Maison_conflict-20240503-101112.tvo", "ownCloud"},
        {"Maison.sync-conflict-20240503-101112-ABCDEFG.tvo", "Syncthing"},
        {"Maison (ana's conflicted copy 2024-05-03).tvo", "Dropbox"},
        {"Maison (Ordinateur de ana’s conflicted copy 2024-05-03).tvo", "Dropbox"},
        {"Maison (copie en conflit de ana 2024-05-03).tvo", "Dropbox"},
        {"Maison-SALON.tvo", "OneDrive"},
        {"Maison-DESKTOP-AB12CD.tvo", "OneDrive"},
        {"Maison.tvo", ""},
        {"Maison-2024.tvo", ""},          // a book of its own, not a machine's name
        {"Maison (2).tvo", ""},           // a file manager's copy, not a conflict
        {"Maisonnette.tvo", ""},
        {"Maison (conflicted copy 2024).txt", ""},
        {"Autre (conflicted copy 2024-05-03).tvo", ""},
        {"Maison.tvo.sync-conflict-20240503-101112-ABCDEFG.lock", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConflictCopyClient("Maison.tvo", c.candidate), c.client) << c.candidate;
}

class ConflictCopiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        book = dir.File("Maison.tvo");
        ::setenv("XDG_CACHE_HOME", dir.File("cache").c_str(), 1);
        ::setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("XDG_CACHE_HOME");
        ::unsetenv("XDG_DATA_HOME");
    }

    static std::string Book(std::initializer_list<std::pair<const char*, const char*>> subjects)
    {
        SubjectList list;
        for (const auto& [name, expected] : subjects) {
            auto s = std::make_unique<CTenorels>("EDF", name, 0);
            s->SetExpectedText(expected);
            list.push_back(std::move(s));
        }
        return WriteSubjectList(list);
    }

    int MergeCopy(const cli::Args& args, std::string* out = nullptr, std::string* err = nullptr)
    {
        std::ostringstream o;
        std::ostringstream e;
        const int status = cli::RunMergeCopy(args, {o, e});
        if (out)
            *out = o.str();
        if (err)
            *err = e.str();
        return status;
    }

    test::TempDir dir;
    std::string book;
};

TEST_F(ConflictCopiesTest, FoundBesideTheBookAndCheckedReadable)
{
    test::WriteFileBytes(book, Book({{"2006", ""}}));
    test::WriteFileBytes(dir.File("Maison (conflicted copy 2024-05-03 101112).tvo"), Book({{"2007", ""}}));
    test::WriteFileBytes(dir.File("Maison.sync-conflict-20240503-101112-ABCDEFG.tvo"), "not a book");
    test::WriteFileBytes(dir.File(".Maison.tvo.sync-conflict-20240503-101112-ABCDEFG.lock"), "user=x\n");
    test::WriteFileBytes(dir.File("Maison-2024.tvo"), Book({{"2024", ""}}));
    const std::vector<ConflictCopy> copies = FindConflictCopies(book);
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].client, "Nextcloud");
    EXPECT_TRUE(copies[0].readable);
    EXPECT_EQ(copies[1].client, "Syncthing");
    EXPECT_FALSE(copies[1].readable);
    EXPECT_NE(copies[1].problem.find("pas un livre lisible"), std::string::npos) << copies[1].problem;

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::RunConflicts({book}, {out, err}), 0);
    EXPECT_EQ(out.str().substr(0, out.str().find('\n')),
              dir.File("Maison (conflicted copy 2024-05-03 101112).tvo") + "\tNextcloud\tlisible");
}

TEST_F(ConflictCopiesTest, MergeCopyThreeWayTwoWayAndWhenTheUserMustLook)
{
    const std::string base = Book({{"2006", ""}, {"2007", ""}, {"2008", ""}});
    const std::string copyPath = dir.File("Maison (conflicted copy 2024-05-03 101112).tvo");
    const std::string basePath = dir.File("base.tvo");
    test::WriteFileBytes(basePath, base);

    // Here 2006 was paid; over there 2008 was removed and 2009 added.
    test::WriteFileBytes(book, Book({{"2006", "payé"}, {"2007", ""}, {"2008", ""}}));
    test::WriteFileBytes(copyPath, Book({{"2006", ""}, {"2007", ""}, {"2009", ""}}));
    std::string out;
    std::string err;
    EXPECT_EQ(MergeCopy({book, copyPath, "--base", basePath, "--dry-run"}, &out, &err), 0) << err;
    EXPECT_EQ(out, "livre\tmodifié\tEDF\t2006\ncopie\tajouté\tEDF\t2009\ncopie\tsupprimé\tEDF\t2008\n");
    EXPECT_NE(test::ReadFileBytes(copyPath).size(), 0u) << "a dry run writes nothing";

    EXPECT_EQ(MergeCopy({book, copyPath, "--base", basePath}, &out, &err), 0) << err;
    EXPECT_EQ(test::ReadFileBytes(book), Book({{"2006", "payé"}, {"2007", ""}, {"2009", ""}}));
    // The copy went to the trash, with its info file, not away.
    EXPECT_NE(::access(copyPath.c_str(), F_OK), 0);
    const std::string trashed = dir.File("data/Trash/files/Maison (conflicted copy 2024-05-03 101112).tvo");
    EXPECT_EQ(test::ReadFileBytes(trashed), Book({{"2006", ""}, {"2007", ""}, {"2009", ""}}));
    const std::string info =
        test::ReadFileBytes(dir.File("data/Trash/info/Maison (conflicted copy 2024-05-03 101112).tvo.trashinfo"));
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u) << info;
    EXPECT_NE(info.find("%20%28conflicted%20copy%20"), std::string::npos) << info;
    EXPECT_NE(info.find("DeletionDate="), std::string::npos) << info;

    // Changed on both sides: status 3 and nothing written.
    const std::string before = Book({{"2006", "payé ici"}});
    test::WriteFileBytes(book, before);
    test::WriteFileBytes(copyPath, Book({{"2006", "payé là-bas"}}));
    test::WriteFileBytes(basePath, Book({{"2006", ""}}));
    EXPECT_EQ(MergeCopy({book, copyPath, "--base", basePath}, &out, &err), 3);
    EXPECT_EQ(out, "les deux\tréuni\tEDF\t2006\n");
    EXPECT_EQ(test::ReadFileBytes(book), before);
    EXPECT_EQ(::access(copyPath.c_str(), F_OK), 0);

    // No base known: two-way, nothing removed, the copy's subject added.
    test::WriteFileBytes(copyPath, Book({{"2010", ""}}));
    EXPECT_EQ(MergeCopy({book, copyPath}, &out, &err), 0) << err;
    EXPECT_NE(err.find("Fusion à deux"), std::string::npos) << err;
    EXPECT_EQ(test::ReadFileBytes(book), Book({{"2006", "payé ici"}, {"2010", ""}}));
    // A second copy of the same name in the trash gets a name of its own.
    EXPECT_EQ(::access(dir.File("data/Trash/files/Maison (conflicted copy 2024-05-03 101112).2.tvo").c_str(), F_OK), 0);

    // Not a book: an error, nothing written.
    test::WriteFileBytes(copyPath, "abîmé");
    EXPECT_EQ(MergeCopy({book, copyPath}, &out, &err), 1);
    EXPECT_NE(err.find("n'est pas un livre lisible"), std::string::npos) << err;
    EXPECT_EQ(test::ReadFileBytes(book), Book({{"2006", "payé ici"}, {"2010", ""}}));
}

// The base kept in the cache is the newest version read from the share, not
// one this machine saved (that one already holds this side's changes).
TEST_F(ConflictCopiesTest, CommonBaseFromTheCache)
{
    const std::string base = Book({{"2006", ""}, {"2007", ""}});
    const std::string mineSaved = Book({{"2006", "payé"}, {"2007", ""}});
    const std::string theirs = Book({{"2006", ""}});
    RememberVersion(book, base, false);
    RememberVersion(book, mineSaved, true);
    RememberVersion(book, mineSaved, false); // read back after saving it: still this machine's own
    std::string found;
    ASSERT_TRUE(FindCommonBase(book, mineSaved, theirs, found));
    EXPECT_EQ(found, base);
    EXPECT_FALSE(FindCommonBase(book, base, theirs, found)) << "the book itself is no base";

    test::WriteFileBytes(book, mineSaved);
    const std::string copyPath = dir.File("Maison.sync-conflict-20240503-101112-ABCDEFG.tvo");
    test::WriteFileBytes(copyPath, theirs);
    std::string out;
    std::string err;
    EXPECT_EQ(MergeCopy({book, copyPath}, &out, &err), 0) << err;
    EXPECT_NE(err.find("Fusion à trois"), std::string::npos) << err;
    EXPECT_EQ(test::ReadFileBytes(book), Book({{"2006", "payé"}}));
}

TEST_F(ConflictCopiesTest, TrashOnAnotherFileSystemIsAtItsTop)
{
    test::ScratchTmpfs share(1 << 20);
    if (share.Path().empty())
        GTEST_SKIP() << "no tmpfs can be mounted here (needs root): the trash at the top of another file system is not tried";
    const std::string file = share.Path() + "/Maison (conflicted copy).tvo";
    test::WriteFileBytes(file, "x");
    ASSERT_EQ(MoveToTrash(file), 0);
    const std::string trash = share.Path() + "/.Trash-" + std::to_string(::getuid());
    EXPECT_EQ(test::ReadFileBytes(trash + "/files/Maison (conflicted copy).tvo"), "x");
    const std::string info = test::ReadFileBytes(trash + "/info/Maison (conflicted copy).tvo.trashinfo");
    EXPECT_NE(info.find("Path=Maison%20%28conflicted%20copy%29.tvo\n"), std::string::npos) << info;
}

} // namespace
} // namespace tavelo
