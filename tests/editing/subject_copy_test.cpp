#include <gtest/gtest.h>

#include <sys/stat.h>

#include "editing/subject_copy.h"
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

const std::string kSuccess = "Les documents ont été correctement copié dans le dossier spécifié";
const std::string kErrors = "Il existe au moins un document qui n'a pas été copié correctementé";

class SubjectCopyTest : public ::testing::Test {
protected:
    std::string Doc(const std::string& name, const std::string& bytes)
    {
        const std::string path = docs / name;
        WriteFile(path, bytes);
        return path;
    }
    const CTenorels& Subject(std::vector<std::string> documents, std::string expected)
    {
        AddSubjects(book, {{"EDF", "Maison", std::move(documents), std::move(expected)}});
        return *book.GetSubject(book.GetSubjectCount() - 1);
    }

    ScratchFolder docs;
    ScratchFolder target;
    SubjectBook book;
    RecordingObserver ui;
};

TEST_F(SubjectCopyTest, CopiesIntoTheFolderItselfWithExpectedTextInWindows1252)
{
    const auto& s = Subject({Doc("edf.pdf", "edf"), Doc("gaz.pdf", "gaz")}, "Relevé de mai\r\nAvis €");

    const SubjectCopyResult r = CopySubject(s, target.Path(), ui);

    EXPECT_TRUE(r.AllCopied());
    EXPECT_TRUE(r.expectedWritten);
    EXPECT_EQ(ListFolder(target.Path()), (std::vector<std::string>{"Attendu.txt", "edf.pdf", "gaz.pdf"}));
    EXPECT_EQ(ReadFile(target / "Attendu.txt"), "Relev\xE9 de mai\r\nAvis \x80");
    EXPECT_EQ(ReadFile(target / "gaz.pdf"), "gaz");
    EXPECT_EQ(ui.Messages(), (Messages{{kSuccess, MessageLook::Information}}));
}

TEST_F(SubjectCopyTest, ExpectedTextOutsideWindows1252IsUtf8WithMark)
{
    const auto& s = Subject({}, "Urząd");
    CopySubject(s, target.Path(), ui);
    EXPECT_EQ(ReadFile(target / "Attendu.txt"), "\xEF\xBB\xBFUrząd");
}

TEST_F(SubjectCopyTest, ProgressStepsPerDocumentWithFullPathAfterEachCopy)
{
    const std::string edf = Doc("edf.pdf", "edf");
    const std::string absent = docs / "absent.pdf";
    const auto& s = Subject({edf, absent}, "");

    const SubjectCopyResult r = CopySubject(s, target.Path(), ui);

    EXPECT_EQ(r.failed, 1);
    using K = Event::Kind;
    std::vector<std::pair<K, std::string>> seen;
    for (const auto& e : ui.events)
        seen.emplace_back(e.kind, e.text);
    const std::vector<std::pair<K, std::string>> expected = {
        {K::ProgressOpen, "Copie du sujet|Exportation vers le dossier " + target.Path()},
        {K::ProgressText, "Copie du fichier " + edf},
        {K::ProgressStep, ""},
        {K::ProgressText, "Copie du fichier " + absent},
        {K::ProgressStep, ""},
        {K::ProgressClose, ""},
        {K::Message, kErrors},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(ui.events.front().maximum, 2);
    EXPECT_EQ(ui.events.back().look, MessageLook::Exclamation);
}

TEST_F(SubjectCopyTest, NoDocumentsWithAndWithoutExpectedText)
{
    const auto& withText = Subject({}, "attendu");
    EXPECT_TRUE(CopySubject(withText, target.Path(), ui).expectedWritten);
    EXPECT_EQ(ListFolder(target.Path()), std::vector<std::string>{"Attendu.txt"});
    EXPECT_EQ(ui.events.front().maximum, 0);

    ScratchFolder other;
    RecordingObserver ui2;
    const auto& empty = Subject({}, "");
    const SubjectCopyResult r = CopySubject(empty, other.Path(), ui2);
    EXPECT_FALSE(r.expectedWritten);
    EXPECT_TRUE(ListFolder(other.Path()).empty());
    EXPECT_EQ(ui2.Messages(), (Messages{{kSuccess, MessageLook::Information}}));
}

TEST_F(SubjectCopyTest, CopyingTwiceReplacesEarlierCopiesWithoutQuestion)
{
    const auto& s = Subject({Doc("edf.pdf", "edf")}, "un");
    CopySubject(s, target.Path(), ui);
    book.GetSubject(0)->SetExpectedText("deux");

    RecordingObserver again;
    const SubjectCopyResult r = CopySubject(*book.GetSubject(0), target.Path(), again);

    EXPECT_TRUE(r.AllCopied());
    EXPECT_TRUE(again.Questions().empty());
    EXPECT_EQ(ReadFile(target / "Attendu.txt"), "deux");
    EXPECT_EQ(ListFolder(target.Path()), (std::vector<std::string>{"Attendu.txt", "edf.pdf"}));
}

TEST_F(SubjectCopyTest, OtherFileUnderTheSameNameIsReplacedOnlyWhenTheUserSaysYes)
{
    WriteFile(target / "edf.pdf", "someone else's file");
    const auto& s = Subject({Doc("edf.pdf", "edf")}, "");

    ui.answers = {false};
    SubjectCopyResult r = CopySubject(s, target.Path(), ui);
    EXPECT_EQ(ui.Questions(), std::vector<std::string>{
                                  "Le fichier edf.pdf existe déjà dans le dossier spécifié \n Voulez-vous le remplacer ?"});
    EXPECT_EQ(r.failed, 1);
    EXPECT_EQ(ReadFile(target / "edf.pdf"), "someone else's file");
    EXPECT_EQ(ui.Messages().back(), std::make_pair(kErrors, MessageLook::Exclamation));

    RecordingObserver yes;
    yes.answers = {true};
    r = CopySubject(s, target.Path(), yes);
    EXPECT_TRUE(r.AllCopied());
    EXPECT_EQ(yes.Questions().size(), 1u);
    EXPECT_EQ(ReadFile(target / "edf.pdf"), "edf");
}

TEST_F(SubjectCopyTest, SameFileNameTwiceKeepsTheFirstCopy)
{
    ::mkdir((docs / "b").c_str(), 0777);
    const auto& s = Subject({Doc("edf.pdf", "first"), Doc("b/edf.pdf", "second")}, "");

    const SubjectCopyResult r = CopySubject(s, target.Path(), ui);

    EXPECT_EQ(r.failed, 1);
    EXPECT_TRUE(ui.Questions().empty());
    EXPECT_EQ(ReadFile(target / "edf.pdf"), "first");
    EXPECT_EQ(ui.Messages(), (Messages{{kErrors, MessageLook::Exclamation}}));
}

TEST_F(SubjectCopyTest, DocumentNamedAttenduIsNotOverwrittenByTheExpectedText)
{
    const auto& s = Subject({Doc("Attendu.txt", "a document")}, "le texte");

    const SubjectCopyResult r = CopySubject(s, target.Path(), ui);

    EXPECT_EQ(r.failed, 1);
    EXPECT_EQ(ReadFile(target / "Attendu.txt"), "le texte");
    EXPECT_EQ(ui.Messages(), (Messages{{kErrors, MessageLook::Exclamation}}));

    // Without an expected text the document is copied like any other.
    ScratchFolder other;
    book.GetSubject(0)->SetExpectedText("");
    RecordingObserver ui3;
    EXPECT_TRUE(CopySubject(*book.GetSubject(0), other.Path(), ui3).AllCopied());
    EXPECT_EQ(ReadFile(other / "Attendu.txt"), "a document");
}

TEST_F(SubjectCopyTest, CopyIntoTheDocumentsOwnFolderLeavesThemUntouched)
{
    const std::string edf = Doc("edf.pdf", "edf");
    const std::string notes = Doc("Attendu.txt", "my notes");
    struct stat before {};
    ASSERT_EQ(::stat(edf.c_str(), &before), 0);
    const auto& s = Subject({edf, notes}, "");

    const SubjectCopyResult r = CopySubject(s, docs.Path(), ui);

    EXPECT_TRUE(r.AllCopied());
    struct stat after {};
    ASSERT_EQ(::stat(edf.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadFile(edf), "edf");
    EXPECT_EQ(ReadFile(notes), "my notes");

    // With an expected text, Attendu.txt there is a document of the subject: kept and told.
    book.GetSubject(0)->SetExpectedText("texte");
    RecordingObserver ui2;
    const SubjectCopyResult r2 = CopySubject(*book.GetSubject(0), docs.Path(), ui2);
    EXPECT_FALSE(r2.expectedWritten);
    EXPECT_EQ(ReadFile(notes), "my notes");
    EXPECT_EQ(ui2.Messages(),
              (Messages{{"Impossible de créer le fichier Attendu.txt dans le dossier spécifié", MessageLook::Exclamation},
                        {kErrors, MessageLook::Exclamation}}));
}

TEST_F(SubjectCopyTest, CommandNeedsACurrentSubjectAndAFolder)
{
    Subject({Doc("edf.pdf", "edf")}, "");
    EXPECT_FALSE(RunSubjectCopyCommand(book, ui).ran);
    EXPECT_TRUE(ui.events.empty());

    book.SetCurrentSubject(book.GetSubject(0));
    EXPECT_FALSE(RunSubjectCopyCommand(book, ui).ran);
    EXPECT_EQ(ui.Messages(), (Messages{{"Donner le dossier où copier les documents", MessageLook::None}}));
    EXPECT_TRUE(ListFolder(target.Path()).empty());

    RecordingObserver chooses;
    chooses.folderToChoose = target.Path();
    EXPECT_TRUE(RunSubjectCopyCommand(book, chooses).AllCopied());
    EXPECT_EQ(book.GetChosenFolder(), target.Path());
    EXPECT_EQ(ReadFile(target / "edf.pdf"), "edf");
}

} // namespace
} // namespace tavelo
