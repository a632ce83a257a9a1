// What an export leaves in the chosen folder when it is refused, when a file
// appears while it runs, and after an export that crashed.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "book/book_file.h"
#include "cli/commands.h"
#include "editing/export.h"
#include "editing_test_support.h"

namespace tavelo {
namespace {

using test::ListFolder;
using test::ReadFile;
using test::WriteFile;
using Names = std::vector<std::string>;

// Writes a file of the user's into the copy folder just before the copy of
// the document of that name.
class ArrivingFile : public test::RecordingObserver {
public:
    std::string folder;
    std::string name;
    void ProgressText(const std::string& secondText) override
    {
        RecordingObserver::ProgressText(secondText);
        if (secondText == "Copie du fichier " + name)
            WriteFile(folder + "/" + name, "le fichier de l'utilisateur");
    }
};

class ExportLeftoversTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        edf = docs / "edf.pdf";
        WriteFile(edf, "%PDF edf");
        test::AddSubjects(book, {{"EDF", "Maison", {edf}, ""}});
    }
    test::ScratchFolder docs;
    test::ScratchFolder out;
    SubjectBook book;
    std::string edf;
};

TEST_F(ExportLeftoversTest, RefusedExportLeavesTheFolderAsItFoundIt)
{
    WriteFile(out / "Maison.tvo", "un autre livre");
    test::RecordingObserver ui;
    EXPECT_EQ(ExportBook(book, "Maison", out.Path(), ui).outcome, ExportResult::Outcome::BookNotCreated);
    EXPECT_EQ(ListFolder(out.Path()), Names{"Maison.tvo"});
    EXPECT_EQ(ReadFile(out / "Maison.tvo"), "un autre livre");

    // Once the user has moved that book away, the same export works.
    ::unlink((out / "Maison.tvo").c_str());
    test::RecordingObserver again;
    EXPECT_TRUE(ExportBook(book, "Maison", out.Path(), again).AllCopied());
    EXPECT_EQ(ListFolder(out.Path()), (Names{"Compte_rendu.txt", "Maison", "Maison.tvo"}));
}

TEST_F(ExportLeftoversTest, FileThatAppearsMeanwhileIsNeverReplaced)
{
    ArrivingFile ui;
    ui.folder = out / "Maison";
    ui.name = "edf.pdf";
    const ExportResult r = ExportBook(book, "Maison", out.Path(), ui);
    EXPECT_EQ(r.failed, 1);
    EXPECT_EQ(ReadFile(out / "Maison/edf.pdf"), "le fichier de l'utilisateur");
    EXPECT_EQ(ListFolder(out / "Maison"), Names{"edf.pdf"});
}

TEST_F(ExportLeftoversTest, NextExportRemovesWhatACrashedOneLeftButNotWhatARunningOneWrites)
{
    // A crashed export's half-written copy, and the file that an export still
    // running elsewhere is writing (it holds a lock on it).
    WriteFile(out / ".tavelo-export-Ab12Cd", "partiel");
    const std::string running = out / ".tavelo-export-Ef34Gh";
    WriteFile(running, "en cours");
    const int fd = ::open(running.c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);

    test::RecordingObserver ui;
    EXPECT_TRUE(ExportBook(book, "Maison", out.Path(), ui).AllCopied());
    EXPECT_EQ(ListFolder(out.Path()), (Names{".tavelo-export-Ef34Gh", "Compte_rendu.txt", "Maison", "Maison.tvo"}));
    EXPECT_EQ(ListFolder(out / "Maison"), Names{"edf.pdf"});
    ::close(fd);
}

TEST_F(ExportLeftoversTest, CommandLineSaysWhyItFailsWhenTheFolderIsEmpty)
{
    const std::string bookPath = docs / "Maison.tvo";
    WriteFile(bookPath, book.Serialize());
    std::ostringstream outStream;
    std::ostringstream err;
    EXPECT_EQ(cli::RunExport({bookPath, ""}, {outStream, err}), 1);
    EXPECT_NE(err.str().find("dossier"), std::string::npos) << err.str();
}

} // namespace
} // namespace tavelo
