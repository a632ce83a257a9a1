#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>

#include "book/book_file.h"
#include "cli/commands.h"
#include "editing_test_support.h"

namespace tavelo {
namespace {

using test::AddSubjects;
using test::ListFolder;
using test::ReadFile;
using test::ScratchFolder;
using test::WriteFile;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun Cli(int (*command)(const cli::Args&, cli::Streams), cli::Args args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = command(args, {out, err});
    return {status, out.str(), err.str()};
}

class CliCopyTest : public ::testing::Test {
protected:
    void SetUp() override { ::mkdir((dir / "out").c_str(), 0777); }
    std::string WriteBook(const std::vector<test::SubjectSpec>& subjects)
    {
        SubjectBook book;
        AddSubjects(book, subjects);
        const std::string path = dir / "Maison.tvo";
        WriteFile(path, book.Serialize());
        return path;
    }
    ScratchFolder dir;
};

TEST_F(CliCopyTest, ExportSucceedsWithStatusZeroAndTheWindowsLayout)
{
    WriteFile(dir / "edf.pdf", "edf");
    const std::string bookPath = WriteBook({{"EDF", "a", {dir / "edf.pdf"}, ""}});

    const CliRun r = Cli(&cli::RunExport, {bookPath, dir / "out"});

    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Le fichier a été exporté avec succès \n Vous pouvez consulter le fichier de compte-rendu\n");
    EXPECT_EQ(ListFolder(dir / "out"), (std::vector<std::string>{"Compte_rendu.txt", "Maison", "Maison.tvo"}));
    EXPECT_EQ(ReadFile(dir / "out/Maison.tvo"), ReadFile(bookPath));
    EXPECT_EQ(ReadFile(dir / "out/Compte_rendu.txt"), "Le fichier edf.pdf a \xE9t\xE9 copi\xE9 \r\n");
}

TEST_F(CliCopyTest, ExportWithAMissingDocumentEndsWithStatusOne)
{
    const std::string bookPath = WriteBook({{"EDF", "a", {dir / "absent.pdf"}, ""}});

    const CliRun r = Cli(&cli::RunExport, {bookPath, dir / "out"});

    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Attention le fichier absent.pdf n'a pas pu être copié, vous devez le faire manuellement\n"
                     "Il existe des erreurs \n Vous pouvez consulter le fichier de compte-rendu pour les connaitre\n");

    const CliRun again = Cli(&cli::RunExport, {bookPath, dir / "out"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("Impossible de créer le dossier"), std::string::npos);
}

TEST_F(CliCopyTest, ExportOfADamagedOrMissingBookFails)
{
    WriteFile(dir / "bad.tvo", "\x01\x00\xFF\xFF\x05");
    CliRun r = Cli(&cli::RunExport, {dir / "bad.tvo", dir / "out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Impossible de lire le livre"), std::string::npos);
    EXPECT_TRUE(ListFolder(dir / "out").empty());

    r = Cli(&cli::RunExport, {dir / "absent.tvo", dir / "out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Impossible de lire le fichier"), std::string::npos);

    EXPECT_EQ(Cli(&cli::RunExport, {dir / "absent.tvo"}).status, 1);
}

TEST_F(CliCopyTest, CheckListsMissingAndUnreadableDocuments)
{
    WriteFile(dir / "edf.pdf", "edf");
    ::mkdir((dir / "dossier").c_str(), 0777);
    const std::string bookPath = WriteBook({{"EDF", "Maison", {dir / "edf.pdf", dir / "absent.pdf"}, ""},
                                            {"Impôts", "2006\tbis", {dir / "dossier", "C:\\Docs\\avis.pdf"}, ""}});

    const CliRun r = Cli(&cli::RunCheck, {bookPath});

    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "EDF\tMaison\t" + dir / "absent.pdf" + "\n" + "Impôts\t2006\\x09bis\t" + dir / "dossier" + "\n"
                         + "Impôts\t2006\\x09bis\tC:\\Docs\\avis.pdf\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(CliCopyTest, CheckOfASoundBookIsSilent)
{
    WriteFile(dir / "edf.pdf", "edf");
    const CliRun r = Cli(&cli::RunCheck, {WriteBook({{"EDF", "Maison", {dir / "edf.pdf"}, ""}, {"X", "vide", {}, ""}})});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");

    WriteFile(dir / "bad.tvo", std::string("\x01\x00\xFF\xFF", 4));
    const CliRun bad = Cli(&cli::RunCheck, {dir / "bad.tvo"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("Impossible de lire le livre"), std::string::npos);
}

} // namespace
} // namespace tavelo
