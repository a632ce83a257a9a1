// Office Open XML (.docx, .xlsx, .pptx) and OpenDocument (.odt, .ods, .odp)
// documents: fixtures written by LibreOffice (scripts/make-office-fixtures.sh)
// and hostile archives built here.

#include <gtest/gtest.h>

#include "book/file_io.h"
#include "reading/formats/format.h"
#include "search/document_search.h"
#include "search/search_pattern.h"
#include "search/search_run.h"
#include "test_files.h"
#include "word_builder.h"
#include "zip_builder.h"

namespace tavelo {
namespace {

using test::Fixture;

constexpr const char* kWordNs = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

// The pieces of a document, or its reason in angle brackets.
std::vector<std::string> Pieces(DocumentKind kind, std::string_view bytes)
{
    DocumentText text;
    std::string reason;
    if (!ReadDocumentText(kind, FormatInput{bytes, {}}, text, reason))
        return {"<" + reason + ">"};
    std::vector<std::string> pieces;
    text.AnyPiece([&](const TextPiece& piece) {
        pieces.emplace_back(piece.text);
        return false;
    });
    return pieces;
}

std::string Joined(const std::vector<std::string>& pieces)
{
    std::string all;
    for (const std::string& p : pieces)
        all += p + "\n\n";
    return all;
}

struct FixtureCase {
    const char* file;
    DocumentKind kind;
    std::vector<const char*> found;
    std::vector<const char*> absent;
};

TEST(OfficeXmlDocument, FixturesAreFoundByTheWordsInEachPlace)
{
    // Body across formatting runs, header, footer, footnote, comment, table
    // cells; cells on the second sheet, a date, a formula's value; slide
    // text, a slide table, speaker notes. Cells and table cells never join.
    const std::vector<const char*> letter = {"FACTURE N° 2006-123", "l'été", "Hirondelle", "Pélican",
                                             "Coquelicot des champs", "Libellule", "Tournesol",
                                             "Quincaillerie. Suite du texte"};
    const std::vector<const char*> notInLetter = {"zorglub", "TournesolMarmotte", "Tournesol Marmotte", "fact.re",
                                                  "Quincaillerie.1"};
    const std::vector<const char*> book = {"zèbre", "7~*8~?", "123.4?", "2006-12-31", "246.9", "VRAI", "élec*ité", "Bis"};
    const std::vector<const char*> notInBook = {"zorglub", "Électricité 123", "Février", "B2*2", "31/12/2006"};
    const std::vector<const char*> show = {"kangourou", "Ornithorynque", "Baobab", "Cerise", "PRUNE"};
    const std::vector<const char*> notInShow = {"zorglub", "CerisePrune", "Cerise Prune"};
    const FixtureCase cases[] = {
        {"courrier.docx", DocumentKind::kWordXml, letter, notInLetter},
        {"courrier.odt", DocumentKind::kOpenText, letter, notInLetter},
        {"budget.xlsx", DocumentKind::kSheetXml, book, notInBook},
        {"budget.ods", DocumentKind::kOpenSheet, book, notInBook},
        {"diaporama.pptx", DocumentKind::kSlidesXml, show, notInShow},
        {"diaporama.odp", DocumentKind::kOpenSlides, show, notInShow},
    };
    for (const FixtureCase& c : cases) {
        const std::string path = Fixture(c.file);
        for (const char* word : c.found)
            EXPECT_EQ(SearchDocumentFile(path, c.kind, SearchPattern(word, {})).status, DocumentMatch::kFound)
                << c.file << ": " << word << "\n" << Joined(Pieces(c.kind, ReadWholeFile(path)));
        for (const char* word : c.absent)
            EXPECT_EQ(SearchDocumentFile(path, c.kind, SearchPattern(word, {})).status, DocumentMatch::kNotFound)
                << c.file << ": " << word;
    }
    // Word processors and presentations ignore the case option, as .doc does.
    EXPECT_EQ(SearchDocumentFile(Fixture("courrier.docx"), DocumentKind::kWordXml, SearchPattern("hirondelle", {false, true}))
                  .status,
              DocumentMatch::kFound);
}

TEST(OfficeXmlDocument, StructureIsKeptAsLinesTabsAndCells)
{
    std::vector<std::string> cells = {"Libellé", "Montant", "Électricité", "123.45", "Échéance", "2006-12-31",
                                      "Double", "246.9", "Zèbre rayé (réf. 7*8?)", "VRAI", "Bis", "Bis"};
    EXPECT_EQ(Pieces(DocumentKind::kSheetXml, ReadWholeFile(Fixture("budget.xlsx"))), cells);
    // OpenDocument writes a cell repeated over columns once, and it is read once.
    cells.pop_back();
    EXPECT_EQ(Pieces(DocumentKind::kOpenSheet, ReadWholeFile(Fixture("budget.ods"))), cells);
    for (const auto& [file, kind] : {std::pair{"courrier.docx", DocumentKind::kWordXml},
                                     std::pair{"courrier.odt", DocumentKind::kOpenText}}) {
        const std::vector<std::string> pieces = Pieces(kind, ReadWholeFile(Fixture(file)));
        ASSERT_FALSE(pieces.empty());
        EXPECT_EQ(pieces.front().rfind("Objet : résiliation du contrat d'électricité\nVeuillez trouver la facture", 0), 0u)
            << file << "\n" << Joined(pieces);
        EXPECT_NE(pieces.front().find("\nTournesol\tMarmotte\nSalutations distinguées."), std::string::npos)
            << file << "\n" << Joined(pieces);
    }
    const std::vector<std::string> slides = Pieces(DocumentKind::kSlidesXml, ReadWholeFile(Fixture("diaporama.pptx")));
    ASSERT_EQ(slides.size(), 3u) << Joined(slides);
    EXPECT_EQ(slides[0], "Bilan annuel du Kangourou\nCerise\tPrune");
    EXPECT_EQ(slides[2], "Penser au Baobab");
}

std::string WordPackage(std::string_view body)
{
    const std::string document = std::string("<?xml version=\"1.0\"?><w:document ") + kWordNs + "><w:body>" +
                                 std::string(body) + "</w:body></w:document>";
    return test::BuildZip({test::Stored("word/document.xml", document)});
}

std::string Nested(std::string_view open, std::string_view close, std::size_t depth)
{
    std::string xml;
    for (std::size_t i = 0; i < depth; ++i)
        xml += open;
    for (std::size_t i = 0; i < depth; ++i)
        xml += close;
    return xml;
}

TEST(OfficeXmlDocument, HostileFilesAreUnreadableWithAReason)
{
    const std::string head = std::string("<?xml version=\"1.0\"?><w:document ") + kWordNs + "><w:body><w:p><w:t>";
    // 300 MiB of text that deflate stores in about 300 kB; the same with a
    // directory that declares 1,000 bytes.
    test::ZipEntry bomb = test::DeflatedRepeat("word/document.xml", head, std::string(1 << 20, ' '), 300);
    test::ZipEntry liar = bomb;
    liar.size = 1000;
    const std::string valid = WordPackage("<w:p><w:r><w:t>Bonjour</w:t></w:r></w:p>");
    std::string badEntry = valid;
    badEntry[test::BuildZip({}).size() + 40] ^= 0x55; // a byte of the stored part: its checksum fails
    const std::string odfManifest = "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
                                    "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data/>"
                                    "</manifest:file-entry></manifest:manifest>";
    // Entities that expand to more and more text ("billion laughs").
    const std::string entities = test::BuildZip({test::Stored(
        "word/document.xml", "<!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]><w:document " +
                                 std::string(kWordNs) + "><w:t>&b;</w:t></w:document>")});
    const struct {
        const char* what;
        DocumentKind kind;
        std::string bytes;
        const char* expected;
    } cases[] = {
        {"valid", DocumentKind::kWordXml, valid, "Bonjour"},
        {"1,000 entries", DocumentKind::kWordXml,
         test::BuildZip({test::Stored("word/document.xml", std::string(head) + "Bonjour</w:t></w:p></w:body></w:document>")},
                        999),
         "Bonjour"},
        {"a million entries", DocumentKind::kWordXml,
         test::BuildZip({test::Stored("word/document.xml", std::string(head) + "Bonjour</w:t></w:p></w:body></w:document>")},
                        1'000'000),
         "<le document contient trop de fichiers internes>"},
        {"zip bomb", DocumentKind::kWordXml, test::BuildZip({bomb}), "<le document décompressé dépasse 256 Mio>"},
        {"lying size", DocumentKind::kWordXml, test::BuildZip({liar}), "<le document est endommagé>"},
        {"bad checksum", DocumentKind::kWordXml, badEntry, "<le document est endommagé>"},
        {"deep XML", DocumentKind::kWordXml, WordPackage(Nested("<w:p>", "</w:p>", 100'000)),
         "<la structure du document est trop profonde>"},
        {"deep ODF", DocumentKind::kOpenSheet,
         test::BuildZip({test::Stored("content.xml", "<a>" + Nested("<b>", "</b>", 100'000) + "</a>")}),
         "<la structure du document est trop profonde>"},
        {"entities", DocumentKind::kWordXml, entities, "<le document est endommagé>"},
        {"encrypted OOXML", DocumentKind::kSheetXml,
         test::BuildCompoundFile({{"EncryptionInfo", std::string(200, 'i')}, {"EncryptedPackage", std::string(900, 'e')}}),
         "<le document est protégé par un mot de passe>"},
        {"encrypted ODF", DocumentKind::kOpenText,
         test::BuildZip({test::Stored("META-INF/manifest.xml", odfManifest), test::Stored("content.xml", "\x01\x02")}),
         "<le document est protégé par un mot de passe>"},
        {"not an archive", DocumentKind::kSlidesXml, "texte brut", "<ce n'est pas un document Office Open XML valide>"},
        {"no content", DocumentKind::kOpenSlides, test::BuildZip({test::Stored("mimetype", "x")}),
         "<ce n'est pas un document OpenDocument valide>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Joined(Pieces(c.kind, c.bytes)), std::string(c.expected) + "\n\n") << c.what;
}

TEST(OfficeXmlDocument, DamagedAndHostileDocumentsDoNotStopTheSearch)
{
    // Every truncation of a real document reads or gives a reason.
    for (const auto& [file, kind] : {std::pair{"courrier.docx", DocumentKind::kWordXml},
                                     std::pair{"budget.ods", DocumentKind::kOpenSheet}}) {
        const std::string real = ReadWholeFile(Fixture(file));
        for (std::size_t size = 0; size < real.size(); size += 61)
            EXPECT_FALSE(Pieces(kind, std::string_view(real).substr(0, size)).empty());
    }
    // Through the reader processes: the hostile files are reported and the
    // document of the next subject is still found.
    test::TempDir dir;
    const std::string head = std::string("<?xml version=\"1.0\"?><w:document ") + kWordNs + "><w:body><w:p><w:t>";
    test::ZipEntry liar = test::DeflatedRepeat("word/document.xml", head, std::string(1 << 20, 'a'), 200);
    liar.size = 1 << 20;
    SubjectList book;
    book.push_back(std::make_unique<CTenorels>("G", "Piégé", 0));
    book.back()->AddDocumentPath(dir.Write("bombe.docx", test::BuildZip({liar})));
    book.back()->AddDocumentPath(dir.Write("profond.docx", WordPackage(Nested("<w:p>", "</w:p>", 100'000))));
    book.push_back(std::make_unique<CTenorels>("G", "Sain", 0));
    book.back()->AddDocumentPath(Fixture("diaporama.odp"));
    const SearchResult result = RunSearch(book, SearchPattern("baobab", {}), kScopeDocumentContents);
    ASSERT_EQ(result.hits.size(), 1u);
    EXPECT_EQ(result.hits.front()->GetSubjectName(), "Sain");
    ASSERT_EQ(result.unreadable.size(), 2u);
    EXPECT_NE(result.unreadable[0].message.find("le document est endommagé"), std::string::npos);
    EXPECT_NE(result.unreadable[1].message.find("la structure du document est trop profonde"), std::string::npos);
}

} // namespace
} // namespace tavelo
