#include <gtest/gtest.h>

#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "book/file_io.h"
#include "cli/commands.h"
#include "editing/export.h"
#include "editing/repoint.h"
#include "editing_test_support.h"

namespace tavelo {
namespace {

using test::AddSubjects;
using test::Event;
using test::ListFolder;
using test::ReadFile;
using test::RecordingObserver;
using test::ScratchFolder;
using test::WriteFile;
using Messages = std::vector<std::pair<std::string, MessageLook>>;

const std::string kSuccess = "Le fichier a été exporté avec succès \n Vous pouvez consulter le fichier de compte-rendu";
const std::string kErrors =
    "Il existe des erreurs \n Vous pouvez consulter le fichier de compte-rendu pour les connaitre";
const std::string kFolderRefused =
    "Impossible de créer le dossier \n 1/ Assurez-vous d'avoir les droits \n 2/ Assurez-vous qu'aucun dossier n'existe dans le répertoire de sauvegarde";

// Windows-1252 bytes of the report lines: é is E9, ê is EA.
std::string Copied(const std::string& name) { return "Le fichier " + name + " a \xE9t\xE9 copi\xE9 \r\n"; }
std::string NotCopied(const std::string& name)
{
    return "Le fichier " + name + " n'a pas \xE9t\xE9 copi\xE9, vous devez le faire manuellement \r\n";
}
std::string Warning(const std::string& name)
{
    return "Attention le fichier " + name + " n'a pas pu être copié, vous devez le faire manuellement";
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::mkdir((docs / "Factures").c_str(), 0777);
        ::mkdir((docs / "Impots").c_str(), 0777);
        ::mkdir(out.Path().c_str(), 0777);
    }
    std::string Doc(const std::string& relative, const std::string& bytes)
    {
        const std::string path = docs / relative;
        WriteFile(path, bytes);
        return path;
    }

    ScratchFolder docs;
    ScratchFolder out;
    SubjectBook book;
    RecordingObserver ui;
};

TEST_F(ExportTest, LayoutReportAndBookBesideTheCopyFolder)
{
    const std::string edf = Doc("Factures/edf.pdf", "%PDF edf");
    const std::string avis = Doc("Impots/avis 2006.pdf", "%PDF avis");
    AddSubjects(book, {{"EDF", "Maison", {edf}, "relevé"}, {"Impôts", "2006", {avis}, ""}});
    book.SetModifiedFlag(true);

    const ExportResult r = ExportBook(book, "Maison", out.Path(), ui);

    EXPECT_EQ(r.outcome, ExportResult::Outcome::Finished);
    EXPECT_TRUE(r.AllCopied());
    EXPECT_TRUE(r.reportWritten);
    EXPECT_EQ(ListFolder(out.Path()), (std::vector<std::string>{"Compte_rendu.txt", "Maison", "Maison.tvo"}));
    EXPECT_EQ(ListFolder(out / "Maison"), (std::vector<std::string>{"avis 2006.pdf", "edf.pdf"}));
    EXPECT_EQ(ReadFile(out / "Maison/edf.pdf"), "%PDF edf");
    EXPECT_EQ(ReadFile(out / "Maison/avis 2006.pdf"), "%PDF avis");
    EXPECT_EQ(ReadFile(out / "Compte_rendu.txt"), Copied("edf.pdf") + Copied("avis 2006.pdf"));
    // The exported book is the book in memory, paths unchanged; the book is untouched.
    EXPECT_EQ(ReadFile(out / "Maison.tvo"), book.Serialize());
    EXPECT_TRUE(book.IsModified());
    EXPECT_EQ(book.GetSubject(0)->GetDocumentPath(0), edf);
    EXPECT_EQ(ui.Messages(), (Messages{{kSuccess, MessageLook::Information}}));
}

TEST_F(ExportTest, ProgressHasOneStepPerSubjectAndNamesEachFileBeforeItsCopy)
{
    const std::string a = Doc("Factures/a.pdf", "a");
    const std::string b = Doc("Factures/b.pdf", "b");
    AddSubjects(book, {{"T", "un", {a, b}, ""}, {"T", "vide", {}, ""}, {"T", "trois", {a}, ""}});

    ExportBook(book, "Livre", out.Path(), ui);

    using K = Event::Kind;
    std::vector<std::pair<K, std::string>> seen;
    for (const auto& e : ui.events)
        seen.emplace_back(e.kind, e.text);
    const std::vector<std::pair<K, std::string>> expected = {
        {K::ProgressOpen, "Exportation|Exportation vers le dossier " + out.Path()},
        {K::ProgressText, "Copie du fichier a.pdf"},
        {K::ProgressText, "Copie du fichier b.pdf"},
        {K::ProgressStep, ""},
        {K::ProgressStep, ""},
        {K::ProgressText, "Copie du fichier a.pdf"},
        {K::ProgressStep, ""},
        {K::ProgressClose, ""},
        {K::Message, kSuccess},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(ui.events.front().maximum, 3);
}

TEST_F(ExportTest, MissingDocumentIsWarnedReportedAndTheRestCopied)
{
    const std::string edf = Doc("Factures/edf.pdf", "edf");
    const std::string avis = docs / "Impots/avis.pdf"; // never written
    const std::string gaz = Doc("Factures/gaz.pdf", "gaz");
    AddSubjects(book, {{"EDF", "Maison", {edf, avis, gaz}, ""}});

    const ExportResult r = ExportBook(book, "Maison", out.Path(), ui);

    EXPECT_EQ(r.outcome, ExportResult::Outcome::Finished);
    EXPECT_EQ(r.documents, 3);
    EXPECT_EQ(r.failed, 1);
    EXPECT_FALSE(r.AllCopied());
    EXPECT_EQ(ReadFile(out / "Compte_rendu.txt"), Copied("edf.pdf") + NotCopied("avis.pdf") + Copied("gaz.pdf"));
    EXPECT_EQ(ListFolder(out / "Maison"), (std::vector<std::string>{"edf.pdf", "gaz.pdf"}));
    EXPECT_EQ(ui.Messages(),
              (Messages{{Warning("avis.pdf"), MessageLook::Exclamation}, {kErrors, MessageLook::Exclamation}}));
}

TEST_F(ExportTest, SecondExportToTheSameFolderIsRefusedAndLeavesTheFirstAlone)
{
    const std::string edf = Doc("Factures/edf.pdf", "first");
    AddSubjects(book, {{"EDF", "Maison", {edf}, ""}});
    ASSERT_TRUE(ExportBook(book, "Maison", out.Path(), ui).AllCopied());
    const std::string firstBook = ReadFile(out / "Maison.tvo");
    const std::string firstReport = ReadFile(out / "Compte_rendu.txt");

    WriteFile(edf, "second");
    book.GetSubject(0)->SetSubjectName("Changé");
    RecordingObserver again;
    const ExportResult r = ExportBook(book, "Maison", out.Path(), again);

    EXPECT_EQ(r.outcome, ExportResult::Outcome::FolderNotCreated);
    EXPECT_EQ(again.Messages(), (Messages{{kFolderRefused, MessageLook::Stop}}));
    EXPECT_EQ(again.Count(Event::Kind::ProgressOpen), 0);
    EXPECT_EQ(ReadFile(out / "Maison/edf.pdf"), "first");
    EXPECT_EQ(ReadFile(out / "Maison.tvo"), firstBook);
    EXPECT_EQ(ReadFile(out / "Compte_rendu.txt"), firstReport);
}

TEST_F(ExportTest, ExistingBookFileBesideIsNotReplaced)
{
    // Exporting into the folder that holds the book itself would otherwise
    // write over the book file.
    WriteFile(out / "Maison.tvo", "the open book");
    AddSubjects(book, {{"EDF", "Maison", {}, ""}});

    const ExportResult r = ExportBook(book, "Maison", out.Path(), ui);

    EXPECT_EQ(r.outcome, ExportResult::Outcome::BookNotCreated);
    EXPECT_EQ(ReadFile(out / "Maison.tvo"), "the open book");
    EXPECT_EQ(ui.Messages(),
              (Messages{{"Impossible de créer les fichiers \n Le fichier Maison.tvo existe déjà dans le dossier choisi, "
                         "il n'est pas remplacé",
                         MessageLook::Stop}}));
    // A refused export leaves the folder as it found it: once that book is
    // moved away, the same export works.
    EXPECT_EQ(ListFolder(out.Path()), (std::vector<std::string>{"Maison.tvo"}));
    ::unlink((out / "Maison.tvo").c_str());
    EXPECT_TRUE(ExportBook(book, "Maison", out.Path(), ui).AllCopied());
}

TEST_F(ExportTest, SameFileNameInTwoSubjectsKeepsTheFirstCopyAndReportsTheSecond)
{
    const std::string edf2006 = Doc("Factures/edf.pdf", "2006");
    const std::string edf2007 = Doc("Impots/edf.pdf", "2007");
    AddSubjects(book, {{"EDF", "2006", {edf2006}, ""}, {"EDF", "2007", {edf2007}, ""}});

    const ExportResult r = ExportBook(book, "Maison", out.Path(), ui);

    EXPECT_EQ(r.failed, 1);
    EXPECT_EQ(ReadFile(out / "Maison/edf.pdf"), "2006");
    EXPECT_EQ(ReadFile(out / "Compte_rendu.txt"), Copied("edf.pdf") + NotCopied("edf.pdf"));
    EXPECT_EQ(ui.Messages(),
              (Messages{{Warning("edf.pdf"), MessageLook::Exclamation}, {kErrors, MessageLook::Exclamation}}));
}

TEST_F(ExportTest, DocumentListedUnderTwoSubjectsIsCopiedAndReportedTwice)
{
    const std::string edf = Doc("Factures/edf.pdf", "edf");
    AddSubjects(book, {{"EDF", "a", {edf}, ""}, {"EDF", "b", {edf}, ""}});

    const ExportResult r = ExportBook(book, "Maison", out.Path(), ui);

    EXPECT_TRUE(r.AllCopied());
    EXPECT_EQ(ReadFile(out / "Compte_rendu.txt"), Copied("edf.pdf") + Copied("edf.pdf"));
}

TEST_F(ExportTest, BookWithoutSubjectsGivesFolderBookAndEmptyReport)
{
    const ExportResult r = ExportBook(book, "Vide", out.Path(), ui);

    EXPECT_TRUE(r.AllCopied());
    EXPECT_TRUE(ListFolder(out / "Vide").empty());
    EXPECT_EQ(ReadFile(out / "Vide.tvo"), std::string("\0\0", 2));
    EXPECT_EQ(ReadFile(out / "Compte_rendu.txt"), "");
    EXPECT_EQ(ui.Messages(), (Messages{{kSuccess, MessageLook::Information}}));
    EXPECT_EQ(ui.events.front().maximum, 0);
}

TEST_F(ExportTest, ReportIsWindows1252WhenEveryCharacterFitsElseUtf8WithMark)
{
    const std::string fits = Doc("Factures/relevé €.pdf", "x");
    AddSubjects(book, {{"EDF", "a", {fits}, ""}});
    ExportBook(book, "A", out.Path(), ui);
    EXPECT_EQ(ReadFile(out / "Compte_rendu.txt"), "Le fichier relev\xE9 \x80.pdf a \xE9t\xE9 copi\xE9 \r\n");

    ScratchFolder out2;
    const std::string polish = Doc("Factures/Łódź.pdf", "y");
    book.GetSubject(0)->AddDocumentPath(polish);
    RecordingObserver ui2;
    ExportBook(book, "A", out2.Path(), ui2);
    EXPECT_EQ(ReadFile(out2 / "Compte_rendu.txt"),
              "\xEF\xBB\xBF" "Le fichier relevé €.pdf a été copié \r\nLe fichier Łódź.pdf a été copié \r\n");
}

TEST_F(ExportTest, CopiesKeepModificationTimeAndSourcesStayUnchanged)
{
    const std::string edf = Doc("Factures/edf.pdf", std::string(300000, 'e'));
    const timespec times[2] = {{1000000000, 0}, {1150000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, edf.c_str(), times, 0), 0);
    struct stat before {};
    ASSERT_EQ(::stat(edf.c_str(), &before), 0);
    AddSubjects(book, {{"EDF", "a", {edf}, ""}});

    ExportBook(book, "A", out.Path(), ui);

    struct stat copy {};
    struct stat after {};
    ASSERT_EQ(::stat((out / "A/edf.pdf").c_str(), &copy), 0);
    ASSERT_EQ(::stat(edf.c_str(), &after), 0);
    EXPECT_EQ(copy.st_mtim.tv_sec, 1150000000);
    EXPECT_EQ(copy.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(copy.st_size, 300000);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_atim.tv_sec, before.st_atim.tv_sec);
    EXPECT_EQ(ReadFile(edf), std::string(300000, 'e'));
}

TEST_F(ExportTest, NamesThatWouldLeaveTheCopyFolderAreNotCopied)
{
    // File name parts "..", "." and "" would put the copy outside the folder
    // or onto it.
    AddSubjects(book, {{"T", "s", {docs / "Factures/..", docs / "Factures/.", docs / "Factures/"}, ""}});

    const ExportResult r = ExportBook(book, "A", out.Path(), ui);

    EXPECT_EQ(r.failed, 3);
    EXPECT_EQ(ReadFile(out / "Compte_rendu.txt"), NotCopied("..") + NotCopied(".") + NotCopied(""));
    EXPECT_TRUE(ListFolder(out / "A").empty());
    EXPECT_EQ(ListFolder(out.Path()), (std::vector<std::string>{"A", "A.tvo", "Compte_rendu.txt"}));
}

TEST_F(ExportTest, TitleThatIsNoPlainNameIsRefused)
{
    for (const std::string title : {"", ".", ".."}) {
        RecordingObserver o;
        EXPECT_EQ(ExportBook(book, title, out.Path(), o).outcome, ExportResult::Outcome::FolderNotCreated) << title;
        EXPECT_EQ(o.Messages(), (Messages{{kFolderRefused, MessageLook::Stop}}));
    }
    EXPECT_TRUE(ListFolder(out.Path()).empty());
}

TEST_F(ExportTest, FolderWithTrailingSlashJoinsWithOneSlash)
{
    const std::string edf = Doc("Factures/edf.pdf", "edf");
    AddSubjects(book, {{"EDF", "a", {edf}, ""}});
    ExportBook(book, "A", out.Path() + "/", ui);
    EXPECT_EQ(ui.events.front().text, "Exportation|Exportation vers le dossier " + out.Path() + "/");
    EXPECT_EQ(ReadFile(out / "A/edf.pdf"), "edf");
}

TEST_F(ExportTest, UnwritableReportStillWarnsEveryFailedCopyAndEndsWithErrors)
{
    // A folder in the report's place makes its final rename fail.
    ::mkdir((out / "Compte_rendu.txt").c_str(), 0777);
    const std::string edf = Doc("Factures/edf.pdf", "edf");
    AddSubjects(book, {{"EDF", "a", {edf, docs / "absent.pdf"}, ""}});

    const ExportResult r = ExportBook(book, "A", out.Path(), ui);

    EXPECT_FALSE(r.reportWritten);
    EXPECT_EQ(r.failed, 1);
    EXPECT_EQ(ui.Messages(), (Messages{{Warning("absent.pdf"), MessageLook::Exclamation},
                                       {"Impossible de créer le fichier de compte rendu", MessageLook::Exclamation},
                                       {kErrors, MessageLook::Exclamation}}));
    EXPECT_EQ(ListFolder(out.Path()), (std::vector<std::string>{"A", "A.tvo", "Compte_rendu.txt"}));
}

TEST_F(ExportTest, ReportNeverReplacesADocumentOfTheBook)
{
    const std::string own = out / "Compte_rendu.txt";
    WriteFile(own, "my own notes");
    AddSubjects(book, {{"Notes", "a", {own}, ""}});

    const ExportResult r = ExportBook(book, "A", out.Path(), ui);

    EXPECT_TRUE(r.AllCopied());
    EXPECT_FALSE(r.reportWritten);
    EXPECT_EQ(ReadFile(own), "my own notes");
    EXPECT_EQ(ReadFile(out / "A/Compte_rendu.txt"), "my own notes");
    EXPECT_EQ(ui.Messages(), (Messages{{"Impossible de créer le fichier de compte rendu", MessageLook::Exclamation},
                                       {kSuccess, MessageLook::Information}}));
}

TEST_F(ExportTest, CommandPromptsThenStopsWhenNoFolderIsChosen)
{
    AddSubjects(book, {{"EDF", "a", {}, ""}});
    book.SetChosenFolder("/ancien");

    const ExportResult r = RunExportCommand(book, "A", ui);

    EXPECT_EQ(r.outcome, ExportResult::Outcome::NoFolder);
    EXPECT_EQ(book.GetChosenFolder(), "");
    EXPECT_EQ(ui.Messages(), (Messages{{"Donner le dossier où exporter les fichiers", MessageLook::None}}));
    EXPECT_EQ(ui.events.size(), 2u);
    EXPECT_TRUE(ListFolder(out.Path()).empty());
}

TEST_F(ExportTest, CommandExportsIntoTheChosenFolder)
{
    ui.folderToChoose = out.Path();
    const ExportResult r = RunExportCommand(book, "A", ui);
    EXPECT_EQ(r.outcome, ExportResult::Outcome::Finished);
    EXPECT_EQ(book.GetChosenFolder(), out.Path());
    EXPECT_EQ(ListFolder(out.Path()), (std::vector<std::string>{"A", "A.tvo", "Compte_rendu.txt"}));
}

TEST_F(ExportTest, ImportOfTheExportedBookPointsAtTheCopies)
{
    const std::string edf = Doc("Factures/edf.pdf", "edf");
    const std::string avis = Doc("Impots/avis.pdf", "avis");
    AddSubjects(book, {{"EDF", "Maison", {edf}, ""}, {"Impôts", "2006", {avis, edf}, ""}});
    ASSERT_TRUE(ExportBook(book, "Maison", out.Path(), ui).AllCopied());

    const std::string exported = out / "Maison.tvo";
    SubjectBook imported;
    imported.Deserialize(ReadWholeFile(exported));
    RepointImportedBook(imported, exported, BookTitleFromPath(exported));

    EXPECT_TRUE(imported.IsModified());
    const std::vector<std::string> expected0 = {out / "Maison/edf.pdf"};
    const std::vector<std::string> expected1 = {out / "Maison/avis.pdf", out / "Maison/edf.pdf"};
    EXPECT_EQ(imported.GetSubject(0)->GetDocumentPaths(), expected0);
    EXPECT_EQ(imported.GetSubject(1)->GetDocumentPaths(), expected1);
    EXPECT_EQ(ReadFile(imported.GetSubject(1)->GetDocumentPath(0)), "avis");
}

// Writes a file of the user's into the copy folder just before the copy of edf.pdf.
struct ArrivingFile : RecordingObserver {
    std::string path;
    void ProgressText(const std::string& secondText) override
    {
        if (secondText == "Copie du fichier edf.pdf")
            WriteFile(path, "le fichier de l'utilisateur");
    }
};

TEST_F(ExportTest, FileThatAppearsMeanwhileIsNeverReplaced)
{
    AddSubjects(book, {{"EDF", "Maison", {Doc("edf.pdf", "%PDF edf")}, ""}});
    ArrivingFile arriving;
    arriving.path = out / "Maison/edf.pdf";
    EXPECT_EQ(ExportBook(book, "Maison", out.Path(), arriving).failed, 1);
    EXPECT_EQ(ReadFile(out / "Maison/edf.pdf"), "le fichier de l'utilisateur");
    EXPECT_EQ(ListFolder(out / "Maison"), std::vector<std::string>{"edf.pdf"});
}

TEST_F(ExportTest, NextExportRemovesWhatACrashedOneLeftButNotWhatARunningOneWrites)
{
    // A crashed export's half-written copy, and the file that an export still
    // running elsewhere is writing (it holds a lock on it).
    WriteFile(out / ".tavelo-export-Ab12Cd", "partiel");
    WriteFile(out / ".tavelo-export-Ef34Gh", "en cours");
    const int fd = ::open((out / ".tavelo-export-Ef34Gh").c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);
    AddSubjects(book, {{"EDF", "Maison", {Doc("edf.pdf", "%PDF edf")}, ""}});
    EXPECT_TRUE(ExportBook(book, "Maison", out.Path(), ui).AllCopied());
    EXPECT_EQ(ListFolder(out.Path()), (std::vector<std::string>{".tavelo-export-Ef34Gh", "Compte_rendu.txt", "Maison", "Maison.tvo"}));
    ::close(fd);
}

TEST_F(ExportTest, CommandLineSaysWhyAnExportWithoutFolderFails)
{
    WriteFile(docs / "Maison.tvo", book.Serialize());
    std::ostringstream outStream, err;
    EXPECT_EQ(cli::RunExport({docs / "Maison.tvo", ""}, {outStream, err}), 1);
    EXPECT_NE(err.str().find("dossier"), std::string::npos) << err.str();
}

} // namespace
} // namespace tavelo
