// Under an English interface the export speaks English, while what it writes
// (Compte_rendu.txt, the exported book) stays byte for byte as in French:
// those texts are data.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "base/catalogue.h"
#include "book/file_io.h"
#include "editing/export.h"
#include "editing_test_support.h"

namespace tavelo {
namespace {

struct EnglishForThisTest {
    EnglishForThisTest() { UseCatalogue(UiLanguage::kEnglish); }
    ~EnglishForThisTest() { UseCatalogue(UiLanguage::kFrench); }
};

TEST(EditingLanguage, MessagesFollowTheLanguageAndTheReportStaysFrench)
{
    test::ScratchFolder docs;
    test::ScratchFolder out;
    ::mkdir(out.Path().c_str(), 0777);
    const std::string edf = docs / "edf.pdf";
    test::WriteFile(edf, "edf");
    SubjectBook book;
    test::AddSubjects(book, {{"Impôts", "Maison", {edf, docs / "avis.pdf"}, "Avis attendu"}});

    test::RecordingObserver english;
    {
        EnglishForThisTest language;
        ExportBook(book, "Maison", out.Path(), english);
    }
    using Messages = std::vector<std::pair<std::string, MessageLook>>;
    EXPECT_EQ(english.Messages(),
              (Messages{{"Warning: the file avis.pdf could not be copied, you must copy it yourself", MessageLook::Exclamation},
                        {"There are errors \n See the report file for them", MessageLook::Exclamation}}));
    const std::string report = test::ReadFile(out / "Compte_rendu.txt");
    const std::string book1 = test::ReadFile(out / "Maison.tvo");
    EXPECT_EQ(report, "Le fichier edf.pdf a \xE9t\xE9 copi\xE9 \r\n"
                      "Le fichier avis.pdf n'a pas \xE9t\xE9 copi\xE9, vous devez le faire manuellement \r\n");

    // The same export in French writes the same bytes.
    test::ScratchFolder again;
    ::mkdir(again.Path().c_str(), 0777);
    test::RecordingObserver french;
    ExportBook(book, "Maison", again.Path(), french);
    EXPECT_EQ(test::ReadFile(again / "Compte_rendu.txt"), report);
    EXPECT_EQ(test::ReadFile(again / "Maison.tvo"), book1);
    EXPECT_EQ(french.Messages().front().first,
              "Attention le fichier avis.pdf n'a pas pu être copié, vous devez le faire manuellement");
}

} // namespace
} // namespace tavelo
