#include <gtest/gtest.h>

#include "book/tenorels.h"
#include "book/text.h"

using namespace tavelo;

TEST(SubjectRecord, MadeWithValuesHasNoExpectedTextNorDocuments)
{
    const CTenorels s("EDF", "Facture", 1);
    EXPECT_EQ(s.GetGeneralTitle(), "EDF");
    EXPECT_EQ(s.GetSubjectName(), "Facture");
    EXPECT_EQ(s.GetState(), 1);
    EXPECT_EQ(s.GetExpectedText(), "");
    EXPECT_EQ(s.GetDocumentCount(), 0);
    const CTenorels forReading;
    EXPECT_EQ(forReading.GetState(), CTenorels::kOpen);
    EXPECT_EQ(forReading.GetSubjectName(), "");
}

TEST(SubjectRecord, DuplicatePathsKeepTheFirstOfEachAndTheOrder)
{
    CTenorels s;
    for (const char* p : {"a", "a", "a", "b", "a", "B", "b", "c"})
        s.AddDocumentPath(p);
    s.RemoveDuplicatePaths();
    EXPECT_EQ(s.GetDocumentPaths(), (std::vector<std::string>{"a", "b", "B", "c"}));

    // Long paths (beyond any small-string buffer) must survive the move.
    CTenorels longPaths;
    const std::string x(100, 'x');
    const std::string y(100, 'y');
    for (const auto* p : {&x, &y, &x, &y, &x})
        longPaths.AddDocumentPath(*p);
    longPaths.RemoveDuplicatePaths();
    EXPECT_EQ(longPaths.GetDocumentPaths(), (std::vector<std::string>{x, y}));
}

TEST(SubjectRecord, PathOperations)
{
    CTenorels s;
    s.AddDocumentPath("C:\\Docs\\A.pdf");
    s.AddDocumentPath("/home/ana/b.pdf");
    s.AddDocumentPath("/home/ana/c.pdf");
    EXPECT_TRUE(s.HasDocumentPath("C:\\Docs\\A.pdf"));
    EXPECT_FALSE(s.HasDocumentPath("c:\\docs\\a.pdf"));
    EXPECT_FALSE(s.HasDocumentPath("/home/ana/b.pdf "));
    s.RemoveDocumentPath(0);
    EXPECT_EQ(s.GetDocumentPath(0), "/home/ana/b.pdf");
    s.SetDocumentPath(1, "/tmp/d.txt");
    EXPECT_EQ(s.GetDocumentPaths(), (std::vector<std::string>{"/home/ana/b.pdf", "/tmp/d.txt"}));
    EXPECT_EQ(s.GetDocumentFileName(1), "d.txt");
    EXPECT_EQ(s.GetDocumentExtension(1), "txt");
}

TEST(SubjectRecord, FileNameAndExtensionOfPaths)
{
    EXPECT_EQ(GetDocumentFileName("C:\\Docs\\Facture 2006.pdf"), "Facture 2006.pdf");
    EXPECT_EQ(GetDocumentFileName("/home/ana/Factures/edf_2006.pdf"), "edf_2006.pdf");
    EXPECT_EQ(GetDocumentFileName("C:\\Docs\\"), "");
    EXPECT_EQ(GetDocumentFileName("/home/ana/"), "");
    EXPECT_EQ(GetDocumentFileName("Facture.pdf"), "Facture.pdf");
    EXPECT_EQ(GetDocumentFileName("/srv\\win/mixte\\x.doc"), "x.doc");

    EXPECT_EQ(GetDocumentExtension("C:\\Docs\\Facture 2006.pdf"), "pdf");
    EXPECT_EQ(GetDocumentExtension("C:\\Docs\\archive.tar.gz"), "gz");
    EXPECT_EQ(GetDocumentExtension("C:\\Docs\\Lisez"), "C:\\Docs\\Lisez");
    EXPECT_EQ(GetDocumentExtension("/home/ana/mes.docs/lettre"), "docs/lettre");
    EXPECT_EQ(GetDocumentExtension("/a/B.PDF"), "PDF");
}

TEST(SubjectRecord, JoinPathUsesOneSlash)
{
    EXPECT_EQ(JoinPath("/home/ana", "a.pdf"), "/home/ana/a.pdf");
    EXPECT_EQ(JoinPath("/home/ana/", "a.pdf"), "/home/ana/a.pdf");
    EXPECT_EQ(JoinPath("/home/ana//", "a.pdf"), "/home/ana/a.pdf");
    EXPECT_EQ(JoinPath("/", "a.pdf"), "/a.pdf");
}

TEST(Text, Windows1252RoundTripsEveryByte)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    const auto back = Utf8ToCp1252(utf8);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
    EXPECT_EQ(Cp1252ToUtf8("\x80\x9C\xE9"), "€œé");
}

TEST(Text, CharactersOutsideWindows1252AreRefused)
{
    EXPECT_FALSE(Utf8ToCp1252("Ελληνικά").has_value());
    EXPECT_FALSE(Utf8ToCp1252("a🧾").has_value());
    EXPECT_FALSE(Utf8ToCp1252("\xC3").has_value()); // cut sequence
    EXPECT_EQ(Utf8ToCp1252("Impôts"), std::optional<std::string>("Imp\xF4ts"));
}

TEST(Text, Utf16ConversionsAndInvalidInput)
{
    EXPECT_EQ(Utf8ToUtf16("é🧾"), (std::u16string{0x00E9, 0xD83E, 0xDDFE}));
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0x00E9, 0xD83E, 0xDDFE}), "é🧾");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83E, u'a'}), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(Utf8ToUtf16("\xFF" "a"), (std::u16string{0xFFFD, u'a'}));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBD"));      // a real U+FFFD
}
