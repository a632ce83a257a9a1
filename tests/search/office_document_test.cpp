#include <gtest/gtest.h>
#include <unistd.h>

#include "reading/formats/spreadsheet.h"
#include "reading/formats/word.h"
#include "search/document_search.h"
#include "search/search_pattern.h"
#include "book/file_io.h"
#include "test_files.h"
#include "word_builder.h"

namespace tavelo {
namespace {

using test::Fixture;
using test::TempDir;
using test::WordPiece;

DocumentMatch::Status SearchIn(const std::string& path, DocumentKind kind, std::string_view word,
                               SearchOptions options = {})
{
    return SearchDocumentFile(path, kind, SearchPattern(word, options)).status;
}

std::string WordText(std::string_view bytes)
{
    std::string reason;
    const std::optional<std::string> text = ReadWordText(bytes, reason);
    return text ? *text : "<" + reason + ">";
}

TEST(WordDocument, WrittenByAWordProcessor)
{
    const std::string path = Fixture("lettre.doc");
    const std::string text = WordText(ReadWholeFile(path));
    EXPECT_NE(text.find("résiliation du contrat d'électricité\n"), std::string::npos) << text;
    EXPECT_NE(text.find("la facture n° 2006-123"), std::string::npos) << text;
    // Literal and case-blind, whatever the options.
    EXPECT_EQ(SearchIn(path, DocumentKind::kWord, "FACTURE N° 2006", {false, true}), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(path, DocumentKind::kWord, "l'été"), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(path, DocumentKind::kWord, "fact.re"), DocumentMatch::kNotFound);
    EXPECT_EQ(SearchIn(path, DocumentKind::kWord, "Mot", {true, false}), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(path, DocumentKind::kWord, "Quincaille", {true, false}), DocumentMatch::kNotFound);
}

TEST(WordDocument, SeveralPiecesCompressedAndUnicode)
{
    const std::string doc = test::BuildWordDocument({
        {u"Objet : fac", true},
        {u"ture d\u2019\u00E9t\u00E9\r", false},
        {u"", true},
        {u"\x13 HYPERLINK \"cachee\" \x14lien\x15 fin\x07", true},
        {u"\u0416\u0443\u043A \u00AB\x1F\x1E\u00BB", false},
    });
    EXPECT_EQ(WordText(doc), "Objet : facture d\u2019été\nlien fin\tЖук «-»");
    const SearchPattern pattern("FACTURE D\u2019ÉTÉ", {});
    EXPECT_TRUE(pattern.SearchLiteral(WordText(doc)));
    EXPECT_FALSE(SearchPattern("cachee", {}).SearchLiteral(WordText(doc)));
    EXPECT_EQ(WordText(test::BuildWordDocument({{u"sans prc", true}}, {false, false, true})), "sans prc");
}

TEST(WordDocument, DamagedOrProtectedDocumentsAreUnreadableWithAReason)
{
    EXPECT_EQ(WordText(test::BuildWordDocument({{u"x", true}}, {true})), "<le document est protégé par un mot de passe>");
    EXPECT_EQ(WordText("pas un document"), "<ce n'est pas un document Office 97-2003 valide>");
    EXPECT_EQ(WordText(test::BuildCompoundFile({{"Book", "x"}})), "<ce n'est pas un document Word>");
    EXPECT_EQ(WordText(test::BuildCompoundFile({{"WordDocument", std::string(40, '\0')}})),
              "<l'en-tête du document Word est endommagé>");
    // Every truncation of a real document is a text or a reason, never a crash.
    const std::string real = ReadWholeFile(Fixture("lettre.doc"));
    for (std::size_t size = 0; size < real.size(); size += 97) {
        std::string reason;
        ReadWordText(std::string_view(real).substr(0, size), reason);
    }
}

TEST(WordDocument, DamagedPieceTablesCostNoMoreThanTheFileHolds)
{
    // Pieces that each read the same run of characters again: the file
    // claims far more text than it has bytes.
    const std::u16string nuls(4000, u'\0');
    const std::string repeated = test::BuildWordDocument({{nuls, true}}, {false, true, false, 5000});
    EXPECT_EQ(WordText(repeated), "<la table des fragments du document est endommagée>");
    // A few repeats stay within the file's size and are read.
    const std::string few = test::BuildWordDocument({{u"abc", true}}, {false, true, false, 2});
    EXPECT_EQ(WordText(few), "abcabcabc");
    // Fields nested deeper than any document: the code of each is left out,
    // the results kept, whatever the depth.
    std::u16string nested;
    for (int i = 0; i < 200; ++i)
        nested += u"\x13" u"code" u"\x14" u"r";
    for (int i = 0; i < 200; ++i)
        nested += u"\x15";
    nested += u"fin";
    EXPECT_EQ(WordText(test::BuildWordDocument({{nested, false}})), std::string(64, 'r') + "fin");
}

TEST(WordDocument, UnreadableDocumentIsReportedNotFatal)
{
    TempDir dir;
    const std::string path = dir.Write("faux.doc", "texte brut");
    const DocumentMatch match = SearchDocumentFile(path, DocumentKind::kWord, SearchPattern("texte", {}));
    EXPECT_EQ(match.status, DocumentMatch::kUnreadable);
    EXPECT_EQ(match.reason, "ce n'est pas un document Office 97-2003 valide");
}

TEST(Spreadsheet, EveryCellOfEverySheet)
{
    const std::string path = Fixture("comptes.xls");
    std::vector<std::string> cells;
    std::string reason;
    EXPECT_EQ(ForEachCell(path, [&](std::string_view c) { cells.emplace_back(c); return false; }, reason),
              CellWalk::kFinished);
    const std::vector<std::string> expected = {"Libellé", "Montant", "Électricité", "123.45",
                                               "Assurance habitation", "42", "Zèbre rayé (réf. 7*8?)", "3.25"};
    EXPECT_EQ(cells, expected);
    EXPECT_EQ(SearchIn(path, DocumentKind::kSpreadsheet, "ZÈBRE"), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(path, DocumentKind::kSpreadsheet, "zèbre", {false, true}), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(path, DocumentKind::kSpreadsheet, "ass*habit"), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(path, DocumentKind::kSpreadsheet, "7~*8~?"), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(path, DocumentKind::kSpreadsheet, "123.4?"), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(path, DocumentKind::kSpreadsheet, "Électricité 123"), DocumentMatch::kNotFound);
    EXPECT_EQ(SearchIn(path, DocumentKind::kSpreadsheet, "Février"), DocumentMatch::kNotFound); // a sheet name
}

TEST(Spreadsheet, DamagedWorkbooksAreUnreadable)
{
    TempDir dir;
    const std::string real = ReadWholeFile(Fixture("comptes.xls"));
    for (std::size_t size : {std::size_t{0}, std::size_t{100}, std::size_t{600}, real.size() / 2}) {
        const std::string path = dir.Write("cut" + std::to_string(size) + ".xls", real.substr(0, size));
        const DocumentMatch match = SearchDocumentFile(path, DocumentKind::kSpreadsheet, SearchPattern("x", {}));
        EXPECT_NE(match.status, DocumentMatch::kFound);
    }
    const DocumentMatch match =
        SearchDocumentFile(dir.Write("a.xls", "pas un classeur"), DocumentKind::kSpreadsheet, SearchPattern("x", {}));
    EXPECT_EQ(match.status, DocumentMatch::kUnreadable);
    EXPECT_EQ(match.reason, "ce n'est pas un classeur Excel 97-2003 valide");
}

TEST(Spreadsheet, ACraftedWorkbookThatFaultsTheLibraryIsUnreadable)
{
    // This file makes FreeXL read outside a stack buffer (found by fuzzing);
    // under AddressSanitizer that aborts the process that reads it.
    const DocumentMatch match =
        SearchDocumentFile(Fixture("crafted.xls"), DocumentKind::kSpreadsheet, SearchPattern("x", {}));
    EXPECT_NE(match.status, DocumentMatch::kFound);
}

TEST(PdfDocument, EveryPageIsSearchedWithTheCompiledPattern)
{
    const std::string path = Fixture("rapport.pdf");
    const SearchPattern lastPage("quittance de loyer", {});
    EXPECT_NE(FindWord(&lastPage, path.c_str()), 0);
    const SearchPattern regex("r.f.rence QZ-[0-9]+", {});
    EXPECT_NE(FindWord(&regex, path.c_str()), 0);
    const SearchPattern matchCase("QUITTANCE", {false, true});
    EXPECT_EQ(FindWord(&matchCase, path.c_str()), 0);
    const SearchPattern absent("zorglub", {});
    EXPECT_EQ(FindWord(&absent, path.c_str()), 0);
    EXPECT_EQ(SearchIn(path, DocumentKind::kPdf, "RÉSUMÉ"), DocumentMatch::kFound);
}

TEST(PdfDocument, DamagedFilesAreUnreadable)
{
    TempDir dir;
    const std::string real = ReadWholeFile(Fixture("rapport.pdf"));
    const SearchPattern pattern("quittance", {});
    const std::string bad = dir.Write("bad.pdf", "%PDF-1.4 rien");
    EXPECT_EQ(FindWord(&pattern, bad.c_str()), 0);
    EXPECT_EQ(SearchDocumentFile(bad, DocumentKind::kPdf, pattern).status, DocumentMatch::kUnreadable);
    for (std::size_t size = 0; size < real.size(); size += 1999)
        FindWord(&pattern, dir.Write("cut.pdf", real.substr(0, size)).c_str());
    EXPECT_EQ(FindWord(&pattern, nullptr), 0);
}

} // namespace
} // namespace tavelo
