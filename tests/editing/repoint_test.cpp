#include <gtest/gtest.h>

#include "editing/repoint.h"
#include "editing_test_support.h"

namespace tavelo {
namespace {

using test::AddSubjects;
using test::RecordingObserver;
using Paths = std::vector<std::string>;

TEST(RepointTest, EveryDocumentMovesIntoTheFolderKeepingItsName)
{
    SubjectBook book;
    AddSubjects(book, {{"EDF", "a", {"/home/ana/Factures/2006/edf.pdf", "C:\\Impots\\avis.pdf", "lettre"}, ""},
                       {"EDF", "b", {}, ""},
                       {"Impôts", "c", {"/home/ana/Impots/edf.pdf"}, ""}});

    ChangeFolder(book, "/mnt/Archive");

    EXPECT_EQ(book.GetSubject(0)->GetDocumentPaths(),
              (Paths{"/mnt/Archive/edf.pdf", "/mnt/Archive/avis.pdf", "/mnt/Archive/lettre"}));
    EXPECT_TRUE(book.GetSubject(1)->GetDocumentPaths().empty());
    // Same file name part in two folders: the same path afterwards.
    EXPECT_EQ(book.GetSubject(2)->GetDocumentPaths(), Paths{"/mnt/Archive/edf.pdf"});
    EXPECT_TRUE(book.IsModified());
}

TEST(RepointTest, FolderEndingWithSlashOrRootJoinsWithOneSlash)
{
    CTenorels s("T", "s", 0);
    s.AddDocumentPath("/a/b/edf.pdf");
    RepointDocuments(s, "/mnt/usb/");
    EXPECT_EQ(s.GetDocumentPath(0), "/mnt/usb/edf.pdf");
    RepointDocuments(s, "/");
    EXPECT_EQ(s.GetDocumentPath(0), "/edf.pdf");
}

TEST(RepointTest, FolderChangeOnEmptyBookMarksItModified)
{
    SubjectBook book;
    RecordingObserver ui;
    ui.folderToChoose = "/mnt";
    EXPECT_TRUE(RunFolderChangeCommand(book, ui));
    EXPECT_TRUE(book.IsModified());
    EXPECT_EQ(ui.Messages().at(0).first, "Donner le dossier où se trouve désormais les fichiers");
    EXPECT_EQ(ui.Messages().at(0).second, MessageLook::None);
}

TEST(RepointTest, CancelledChooserLeavesBookAndFlagAsTheyWere)
{
    SubjectBook book;
    AddSubjects(book, {{"EDF", "a", {"/x/edf.pdf"}, ""}});
    RecordingObserver ui;
    EXPECT_FALSE(RunFolderChangeCommand(book, ui));
    EXPECT_FALSE(book.IsModified());
    EXPECT_EQ(book.GetSubject(0)->GetDocumentPath(0), "/x/edf.pdf");
}

TEST(RepointTest, TitleAndImportFolderOfABookPath)
{
    EXPECT_EQ(BookTitleFromPath("/media/Sauvegarde/Maison.tvo"), "Maison");
    EXPECT_EQ(BookTitleFromPath("/media/Sauvegarde/Maison.TVO"), "Maison");
    EXPECT_EQ(BookTitleFromPath("Maison.2006.tvo"), "Maison.2006");
    EXPECT_EQ(BookTitleFromPath("/a/Maison"), "Maison");
    EXPECT_EQ(BookTitleFromPath("/a/.tvo"), ".tvo");

    EXPECT_EQ(ImportFolder("/media/Sauvegarde/Maison.tvo", "Maison"), "/media/Sauvegarde/Maison");
    EXPECT_EQ(ImportFolder("Maison.tvo", "Maison"), "Maison");
    EXPECT_EQ(ImportFolder("/Maison.tvo", "Maison"), "/Maison");
}

TEST(RepointTest, ImportRepointsEachSubjectIntoTheExportFolderWhetherOrNotItExists)
{
    SubjectBook book;
    AddSubjects(book, {{"EDF", "a", {"/home/ana/Docs/edf.pdf"}, ""}, {"EDF", "b", {"C:\\Docs\\avis.pdf"}, ""}});
    RepointImportedBook(book, "/nulle/part/Maison.tvo", "Maison");
    EXPECT_EQ(book.GetSubject(0)->GetDocumentPath(0), "/nulle/part/Maison/edf.pdf");
    EXPECT_EQ(book.GetSubject(1)->GetDocumentPath(0), "/nulle/part/Maison/avis.pdf");
    EXPECT_TRUE(book.IsModified());

    SubjectBook empty;
    RepointImportedBook(empty, "/a/Vide.tvo", "Vide");
    EXPECT_FALSE(empty.IsModified());
}

} // namespace
} // namespace tavelo
