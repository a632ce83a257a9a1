#include <gtest/gtest.h>
#include <sys/stat.h>

#include "book/tenorels.h"
#include "search/document_search.h"
#include "reading/formats/rtf.h"
#include "reading/text_decoding.h"
#include "search/search_pattern.h"
#include "test_files.h"

namespace tavelo {
namespace {

using test::Fixture;
using test::TempDir;

DocumentMatch::Status SearchIn(const std::string& path, std::string_view word, SearchOptions options = {})
{
    const std::string_view ext = std::string_view(path).substr(path.rfind('.') + 1);
    return SearchDocumentFile(path, KindOfExtension(ext), SearchPattern(word, options)).status;
}

TEST(TextDocument, ChunkBoundariesDoNotSplitTheText)
{
    TempDir dir;
    // The word straddles the 4096th byte, and ends a 4097-byte file.
    std::string bytes(4093, 'x');
    bytes += "ZORGLUB";
    ASSERT_EQ(bytes.size(), 4100u);
    EXPECT_EQ(SearchIn(dir.Write("a.txt", bytes), "zorglub"), DocumentMatch::kFound);
    std::string exact(4096, 'y');
    exact.replace(4089, 7, "ZORGLUB");
    EXPECT_EQ(SearchIn(dir.Write("b.txt", exact), "ZORGLUB$", {false, true}), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(dir.Write("c.txt", exact + "Q"), "ZORGLUBQ", {false, true}), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(dir.Write("d.txt", exact + "Q"), "ZORGLUBQ.", {false, true}), DocumentMatch::kNotFound);
}

TEST(TextDocument, BytesAfterANulAreSearched)
{
    TempDir dir;
    const std::string bytes = std::string("avant") + '\0' + "après la facture";
    EXPECT_EQ(SearchIn(dir.Write("nul.txt", bytes), "facture"), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(dir.Write("nul2.txt", bytes), "avant.apr", {false, true}), DocumentMatch::kFound);
}

TEST(TextDocument, EncodingsAreDecodedBeforeTheSearch)
{
    for (const char* name : {"utf8.txt", "utf16.txt", "cp1252.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(SearchIn(Fixture(name), "ÉLECTRICITÉ"), DocumentMatch::kFound);
        EXPECT_EQ(SearchIn(Fixture(name), "café crème", {true, true}), DocumentMatch::kFound);
        EXPECT_EQ(SearchIn(Fixture(name), "CAFÉ", {false, true}), DocumentMatch::kNotFound);
        EXPECT_EQ(SearchIn(Fixture(name), "cafe"), DocumentMatch::kNotFound);
    }
}

TEST(TextDocument, ByteOrderMarks)
{
    std::string storage;
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBFz\xC3\xA9", storage), "zé");
    EXPECT_EQ(DecodeTextFile(std::string_view("\xFE\xFF\x00\xE9\x00z", 6), storage), "éz");
    EXPECT_EQ(DecodeTextFile(std::string_view("\xFF\xFE\xE9\x00z\x00", 6), storage), "éz");
    EXPECT_EQ(DecodeTextFile("caf\xE9", storage), "café");
    EXPECT_EQ(DecodeTextFile("\x80", storage), "€");
    const std::string_view utf8 = "déjà";
    EXPECT_EQ(DecodeTextFile(utf8, storage).data(), utf8.data()); // no copy
    // A mark that lies: invalid bytes are replaced, not thrown.
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF\xE9t\xE9", storage), "\uFFFDt\uFFFD");
}

TEST(TextDocument, MissingOrSpecialFilesAreUnreadable)
{
    TempDir dir;
    const SearchPattern pattern("x", {});
    const DocumentMatch missing = SearchDocumentFile(dir.File("absent.txt"), DocumentKind::kText, pattern);
    EXPECT_EQ(missing.status, DocumentMatch::kUnreadable);
    EXPECT_NE(missing.reason.find("n'existe pas"), std::string::npos) << missing.reason;
    EXPECT_EQ(SearchDocumentFile(dir.File(""), DocumentKind::kRtf, pattern).status, DocumentMatch::kUnreadable);
    // A named pipe without a writer would block a plain open.
    const std::string fifo = dir.File("tube.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const DocumentKind kind : {DocumentKind::kText, DocumentKind::kPdf, DocumentKind::kWord, DocumentKind::kSpreadsheet})
        EXPECT_EQ(SearchDocumentFile(fifo, kind, pattern).status, DocumentMatch::kUnreadable);
}

TEST(RtfDocument, TextIsDecodedFromEscapesAndGroups)
{
    EXPECT_EQ(RtfToText("{\\rtf1\\ansi caf\\'e9 fac{\\b tu}re}"), "café facture");
    // \uN with its fallback: one character by default, N after \ucN, and the
    // fallback may be an escape.
    EXPECT_EQ(RtfToText("{\\rtf1 r\\u233\\'e9sum\\u233 e}"), "résumé");
    EXPECT_EQ(RtfToText("{\\rtf1\\uc2 \\u8364\\'80\\'80x\\uc0\\u8364 y}"), "€x€y");
    EXPECT_EQ(RtfToText("{\\rtf1 \\u-10179?\\u-8694?}"), "\U0001F60A");
    // Fallback skipping ends at a group.
    EXPECT_EQ(RtfToText("{\\rtf1 {\\u233}e}"), "ée");
    EXPECT_EQ(RtfToText("{\\rtf1 a\\par b\\tab c\\line d\\~e\\{\\}\\\\}"), "a\nb\tc\nd\u00A0e{}\\");
    EXPECT_EQ(RtfToText("{\\rtf1 \\ldblquote x\\rdblquote \\emdash}"), "\u201Cx\u201D\u2014");
}

TEST(RtfDocument, TablesAndIgnorableDestinationsGiveNoText)
{
    const std::string rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Liberation Serif;}}{\\colortbl;\\red0;}"
        "{\\stylesheet{\\s0 Normal;}}{\\info{\\title Secret}{\\author Paul}}"
        "{\\*\\generator Writer;}{\\*\\unknown cach\\'e9}{\\pict\\pngblip 89504e47}"
        "{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt lien}}"
        "\\bin4 {}\\ visible}";
    EXPECT_EQ(RtfToText(rtf), "lienvisible");
}

TEST(RtfDocument, CodePages)
{
    EXPECT_EQ(RtfToText("{\\rtf1\\ansi\\ansicpg1251 \\'c4\\'e0}"), "Да");
    EXPECT_EQ(RtfToText("{\\rtf1\\ansi\\ansicpg1252 \\'80}"), "€");
    // An unknown code page falls back to Windows-1252.
    EXPECT_EQ(RtfToText("{\\rtf1\\ansi\\ansicpg99999 \\'e9}"), "é");
    // Two escapes that form one double-byte character stay together.
    EXPECT_EQ(RtfToText("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0}"), "あ");
}

TEST(RtfDocument, DamagedInputIsBounded)
{
    EXPECT_EQ(RtfToText(std::string(100000, '{') + "abc"), "abc");
    EXPECT_EQ(RtfToText(std::string(100000, '}') + "abc"), "abc");
    EXPECT_EQ(RtfToText("{\\rtf1 \\'"), "");
    EXPECT_EQ(RtfToText("{\\rtf1 \\'zz a\\"), "zz a");
    EXPECT_EQ(RtfToText("{\\rtf1 \\bin999999999 abc"), "");
    EXPECT_LE(RtfToText("{\\rtf1 \\u99999999999999999999 x}").size(), 3u);
}

TEST(RtfDocument, WrittenByAWordProcessor)
{
    EXPECT_EQ(SearchIn(Fixture("lettre.rtf"), "facture"), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(Fixture("lettre.rtf"), "été dernier"), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(Fixture("lettre.rtf"), "DÉCEMBRE"), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(Fixture("lettre.rtf"), "n° 2006"), DocumentMatch::kFound);
    EXPECT_EQ(SearchIn(Fixture("lettre.rtf"), "DejaVu"), DocumentMatch::kNotFound);
    EXPECT_EQ(SearchIn(Fixture("lettre.rtf"), "Lettre"), DocumentMatch::kNotFound); // the title
    EXPECT_EQ(SearchIn(Fixture("lettre.rtf"), "loch"), DocumentMatch::kNotFound);
    EXPECT_EQ(SearchIn(Fixture("lettre.rtf"), "u233"), DocumentMatch::kNotFound);
}

TEST(RtfDocument, AFileThatIsNotRtfIsSearchedAsText)
{
    TempDir dir;
    EXPECT_EQ(SearchIn(dir.Write("faux.rtf", "caf\xE9 cr\xE8me"), "CAFÉ"), DocumentMatch::kFound);
}

} // namespace
} // namespace tavelo
