#include <gtest/gtest.h>

#include <map>

#include "book/book_file.h"
#include "book/subject_book.h"

using namespace tavelo;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

// The two subjects under "Impôts" of the format's worked example.
SubjectList WorkedExampleSubjects()
{
    SubjectList list;
    auto s2006 = std::make_unique<CTenorels>("Impôts", "2006", 1);
    s2006->AddDocumentPath("C:\\Docs\\avis.pdf");
    auto s2007 = std::make_unique<CTenorels>("Impôts", "2007", 0);
    s2007->SetExpectedText("Avis");
    list.push_back(std::move(s2006));
    list.push_back(std::move(s2007));
    return list;
}

const std::string kWorkedExample = Bytes({
    0x02, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x09, 0x00, 0x43, 0x54, 0x65, 0x6E, 0x6F, 0x72, 0x65, 0x6C, 0x73,
    0x06, 0x49, 0x6D, 0x70, 0xF4, 0x74, 0x73, 0x04, 0x32, 0x30, 0x30, 0x36, 0x01, 0x00, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x10, 0x43, 0x3A, 0x5C, 0x44, 0x6F, 0x63, 0x73, 0x5C, 0x61, 0x76, 0x69, 0x73, 0x2E, 0x70,
    0x64, 0x66, 0x01, 0x80, 0x06, 0x49, 0x6D, 0x70, 0xF4, 0x74, 0x73, 0x04, 0x32, 0x30, 0x30, 0x37, 0x00,
    0x00, 0x00, 0x00, 0x04, 0x41, 0x76, 0x69, 0x73, 0x00, 0x00,
});

void ExpectSameSubjects(const SubjectList& a, const SubjectList& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(*a[i], *b[i]) << "subject " << i;
}

std::string Header(int schema)
{
    return Bytes({0xFF, 0xFF, schema, 0x00, 0x09, 0x00}) + "CTenorels";
}

std::string Text(std::string_view bytes)
{
    return std::string(1, static_cast<char>(bytes.size())) + std::string(bytes);
}

} // namespace

TEST(BookFile, WorkedExampleIsWrittenByteForByte)
{
    const std::string written = WriteSubjectList(WorkedExampleSubjects());
    ASSERT_EQ(written.size(), 78u);
    EXPECT_EQ(written, kWorkedExample);
}

TEST(BookFile, WorkedExampleReadsBack)
{
    const SubjectList read = ReadSubjectList(kWorkedExample);
    ExpectSameSubjects(read, WorkedExampleSubjects());
    EXPECT_EQ(read[0]->GetGeneralTitle(), "Impôts");
    EXPECT_EQ(read[0]->GetState(), 1);
    EXPECT_EQ(read[1]->GetExpectedText(), "Avis");
}

TEST(BookFile, EmptyBooks)
{
    EXPECT_EQ(WriteSubjectList({}), Bytes({0x00, 0x00}));
    EXPECT_TRUE(ReadSubjectList(Bytes({0x00, 0x00})).empty());
    EXPECT_TRUE(ReadSubjectList("").empty());

    SubjectBook book;
    book.SetModifiedFlag();
    book.Deserialize("");
    EXPECT_EQ(book.GetSubjectCount(), 0u);
    EXPECT_FALSE(book.IsModified());
}

TEST(BookFile, RoundTripKeepsOrderEmptyTextsStatesAndAccents)
{
    SubjectList list;
    auto a = std::make_unique<CTenorels>("", "", 0);
    auto b = std::make_unique<CTenorels>("Électricité", "Facture d'août", 1);
    b->SetExpectedText("Reçu\r\nà signer");
    b->AddDocumentPath("/home/ana/Factures/z.pdf");
    b->AddDocumentPath("/home/ana/Factures/a.pdf");
    b->AddDocumentPath("");
    auto c = std::make_unique<CTenorels>("Banque", "Prêt", 7); // a state other than 0 and 1 is kept
    list.push_back(std::move(a));
    list.push_back(std::move(b));
    list.push_back(std::move(c));
    const std::string bytes = WriteSubjectList(list);
    const SubjectList read = ReadSubjectList(bytes);
    ExpectSameSubjects(read, list);
    EXPECT_EQ(WriteSubjectList(read), bytes);
}

TEST(BookFile, TextsOutsideWindows1252SurviveInUtf16Form)
{
    SubjectList list;
    auto s = std::make_unique<CTenorels>("Œuvres €", "Ελληνικά 日本 🧾", 0);
    s->AddDocumentPath("/home/ana/Документы/счёт.pdf");
    list.push_back(std::move(s));
    const std::string bytes = WriteSubjectList(list);
    // The title fits Windows-1252: Œ is 8C, € is 80.
    EXPECT_NE(bytes.find(Bytes({0x08, 0x8C}) + "uvres " + Bytes({0x80})), std::string::npos);
    // The name does not: FF FE FF, then the length in 16-bit units (14 with the surrogate pair).
    EXPECT_NE(bytes.find(Bytes({0xFF, 0xFE, 0xFF, 14, 0x95, 0x03})), std::string::npos);
    ExpectSameSubjects(ReadSubjectList(bytes), list);
}

TEST(BookFile, AllWindows1252BytesRoundTrip)
{
    std::string every;
    for (int i = 1; i < 256; ++i)
        every.push_back(static_cast<char>(i));
    const std::string file = Bytes({0x01, 0x00}) + Header(2) + Bytes({0xFF, 0xFF, 0x00}) + every + Text("n") +
                             Bytes({0, 0, 0, 0}) + Text("") + Bytes({0, 0});
    const SubjectList read = ReadSubjectList(file);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(WriteSubjectList(read), file);
}

TEST(BookFile, LengthAndCountBoundaries)
{
    const auto prefixOf = [](std::size_t length) {
        SubjectList list;
        list.push_back(std::make_unique<CTenorels>(std::string(length, 'x'), "", 0));
        const std::string bytes = WriteSubjectList(list);
        return bytes.substr(17, std::min<std::size_t>(7, bytes.size() - 17));
    };
    EXPECT_EQ(prefixOf(254).substr(0, 1), Bytes({0xFE}));
    EXPECT_EQ(prefixOf(255).substr(0, 3), Bytes({0xFF, 0xFF, 0x00}));
    EXPECT_EQ(prefixOf(65533).substr(0, 3), Bytes({0xFF, 0xFD, 0xFF}));
    EXPECT_EQ(prefixOf(65534).substr(0, 7), Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
    for (std::size_t length : {254u, 255u, 65533u, 65534u, 70000u}) {
        SubjectList list;
        list.push_back(std::make_unique<CTenorels>(std::string(length, 'y'), "n", 0));
        EXPECT_EQ(ReadSubjectList(WriteSubjectList(list))[0]->GetGeneralTitle().size(), length);
    }

    SubjectList many;
    for (int i = 0; i < 65535; ++i)
        many.push_back(std::make_unique<CTenorels>());
    const std::string bytes = WriteSubjectList(many);
    EXPECT_EQ(bytes.substr(0, 6), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    // Every record after the first still refers to class 1.
    EXPECT_EQ(bytes.substr(bytes.size() - 11, 2), Bytes({0x01, 0x80}));
    EXPECT_EQ(ReadSubjectList(bytes).size(), 65535u);

    SubjectList paths;
    paths.push_back(std::make_unique<CTenorels>("t", "n", 0));
    for (int i = 0; i < 65535; ++i)
        paths[0]->AddDocumentPath("p");
    const std::string pathBytes = WriteSubjectList(paths);
    EXPECT_EQ(pathBytes.substr(17 + 2 + 2 + 4 + 1, 6), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(ReadSubjectList(pathBytes)[0]->GetDocumentCount(), 65535);

    SubjectList one;
    one.push_back(std::make_unique<CTenorels>());
    for (int i = 0; i < 65533; ++i)
        one.push_back(std::make_unique<CTenorels>());
    EXPECT_EQ(WriteSubjectList(one).substr(0, 2), Bytes({0xFE, 0xFF}));
}

TEST(BookFile, ReadsEveryLengthAndCountForm)
{
    // "ab" with a 3-byte, a 7-byte and a 15-byte length; the path count in 6 and 14 bytes.
    const std::string file = Bytes({0x01, 0x00}) + Header(2) + Bytes({0xFF, 0x02, 0x00}) + "ab" +
                             Bytes({0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00}) + "cd" + Bytes({1, 0, 0, 0}) +
                             Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0, 0, 0, 0, 0, 0, 0}) + "e" +
                             Bytes({0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00}) + Text("p1") +
                             // UTF-16 form: FF FE FF, length 2 units, "é€"
                             Bytes({0xFF, 0xFE, 0xFF, 0x02, 0xE9, 0x00, 0xAC, 0x20});
    const SubjectList read = ReadSubjectList(file);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0]->GetGeneralTitle(), "ab");
    EXPECT_EQ(read[0]->GetSubjectName(), "cd");
    EXPECT_EQ(read[0]->GetExpectedText(), "e");
    ASSERT_EQ(read[0]->GetDocumentCount(), 2);
    EXPECT_EQ(read[0]->GetDocumentPath(1), "é€");

    const std::string bigCount = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0, 0, 0, 0, 0, 0, 0}) + Header(2) +
                                 Text("t") + Text("n") + Bytes({0, 0, 0, 0}) + Text("") + Bytes({0, 0});
    EXPECT_EQ(ReadSubjectList(bigCount).size(), 1u);
}

TEST(BookFile, SchemaOneFilesReadWithoutExpectedText)
{
    const std::string file = Bytes({0x02, 0x00}) + Header(1) + Text("Impôts") + Text("2005") + Bytes({1, 0, 0, 0}) +
                             Bytes({0x01, 0x00}) + Text("C:\\a.pdf") + Bytes({0x01, 0x80}) + Text("Banque") +
                             Text("Livret") + Bytes({0, 0, 0, 0}) + Bytes({0x00, 0x00});
    const SubjectList read = ReadSubjectList(file);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0]->GetSubjectName(), "2005");
    EXPECT_EQ(read[0]->GetExpectedText(), "");
    EXPECT_EQ(read[0]->GetDocumentPath(0), "C:\\a.pdf");
    EXPECT_EQ(read[1]->GetGeneralTitle(), "Banque");
    // Written back in the current form.
    EXPECT_EQ(WriteSubjectList(read).substr(4, 2), Bytes({0x02, 0x00}));
}

TEST(BookFile, UnknownSchemaIsAnnouncedAndFailsTheLoad)
{
    for (int schema : {0, 3, 0x7FFF}) {
        const std::string file = Bytes({0x02, 0x00}) + Header(schema) + Text("t") + Text("n") + Bytes({0, 0, 0, 0}) +
                                 Text("") + Bytes({0, 0, 0x01, 0x80}) + Text("t") + Text("m") +
                                 Bytes({0, 0, 0, 0}) + Text("") + Bytes({0, 0});
        int notices = 0;
        std::string message;
        const auto notice = [&](std::string_view m) {
            ++notices;
            message = m;
        };
        EXPECT_THROW(ReadSubjectList(file, notice), BookFormatError) << schema;
        EXPECT_EQ(notices, 1);
        EXPECT_EQ(message, "Format du fichier inconnu");
    }
}

TEST(BookFile, DamagedFilesFailAsAWhole)
{
    const std::string body = Text("t") + Text("n") + Bytes({0, 0, 0, 0}) + Text("") + Bytes({0, 0});
    const std::map<std::string, std::string> cases = {
        {"other class name", Bytes({0x01, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x09, 0x00}) + "CTenorelx" + body},
        {"class index never described", Bytes({0x01, 0x00, 0x02, 0x80}) + body},
        {"class tag before any class", Bytes({0x01, 0x00, 0x01, 0x80}) + body},
        {"reference to an object not yet read", Bytes({0x02, 0x00}) + Header(2) + body + Bytes({0x05, 0x00})},
        {"reference to the class as an object", Bytes({0x02, 0x00}) + Header(2) + body + Bytes({0x01, 0x00})},
        {"big tag naming an unknown class", Bytes({0x01, 0x00, 0xFF, 0x7F, 0x09, 0x00, 0x00, 0x80}) + body},
        {"count larger than the file", Bytes({0x10, 0x00}) + Header(2) + body},
        {"path count larger than the file", Bytes({0x01, 0x00}) + Header(2) + Text("t") + Text("n") +
                                                Bytes({0, 0, 0, 0}) + Text("") + Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})},
        {"UTF-16 length past the end", Bytes({0x01, 0x00}) + Header(2) + Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x7F})},
        {"two UTF-16 announcements", Bytes({0x01, 0x00}) + Header(2) + Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00})},
        {"single byte", Bytes({0x01})},
    };
    for (const auto& [name, bytes] : cases) {
        int notices = 0;
        EXPECT_THROW(ReadSubjectList(bytes, [&](std::string_view) { ++notices; }), BookFormatError) << name;
        EXPECT_EQ(notices, 0) << name;
    }
}

TEST(BookFile, EveryTruncationOfAValidBookFails)
{
    SubjectList list = WorkedExampleSubjects();
    list.push_back(std::make_unique<CTenorels>(std::string(300, 'L'), "Ελληνικά", 0));
    list.back()->AddDocumentPath(std::string(70000, 'p'));
    const std::string bytes = WriteSubjectList(list);
    ASSERT_EQ(ReadSubjectList(bytes).size(), 3u);
    for (std::size_t length = 1; length < bytes.size(); ++length) {
        try {
            ReadSubjectList(std::string_view(bytes).substr(0, length));
            ADD_FAILURE() << "a copy cut at " << length << " bytes was accepted";
        } catch (const BookFormatError& e) {
            // A book cut short is told as damaged, never as another kind of file.
            EXPECT_NE(std::string(e.what()), "");
            EXPECT_EQ(std::string(e.what()).find("pas un livre"), std::string::npos) << length;
        }
    }
}

TEST(BookFile, OtherFilesAreToldAsNoBook)
{
    const std::string pdfStart = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n<< /Type /Catalog >>\nendobj\n";
    const std::map<std::string, std::string> cases = {
        {"text", "Liste des courses : pain, lait.\n"},
        {"short PDF", pdfStart},
        {"long PDF", pdfStart + std::string(100000, 'x')},
        {"PNG", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0x0D, 'I', 'H', 'D', 'R'})},
        {"three letters", "abc"},
    };
    for (const auto& [name, bytes] : cases) {
        try {
            ReadSubjectList(bytes);
            ADD_FAILURE() << name << " was read as a book";
        } catch (const BookFormatError& e) {
            EXPECT_EQ(std::string(e.what()), "Ce fichier n'est pas un livre Tavelo.") << name;
        }
    }
    // A real book cut short stays "tronqué".
    try {
        ReadSubjectList(kWorkedExample.substr(0, 40));
        ADD_FAILURE() << "a cut book was read";
    } catch (const BookFormatError& e) {
        EXPECT_NE(std::string(e.what()).find("tronqué"), std::string::npos) << e.what();
    }
}

TEST(BookFile, ForeignEmptyObjectsAndBackReferencesAddNothing)
{
    const std::string body = Text("t") + Text("n") + Bytes({0, 0, 0, 0}) + Text("") + Bytes({0, 0});
    // Four entries: a record (object 2), an empty object, a reference back to
    // object 2, and a second record (object 3) given by a 32-bit class tag.
    const std::string file = Bytes({0x04, 0x00}) + Header(2) + body + Bytes({0x00, 0x00}) + Bytes({0x02, 0x00}) +
                             Bytes({0xFF, 0x7F, 0x01, 0x00, 0x00, 0x80}) + Text("t") + Text("m") +
                             Bytes({0, 0, 0, 0}) + Text("") + Bytes({0, 0});
    const SubjectList read = ReadSubjectList(file);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_NE(read[0].get(), nullptr);
    EXPECT_NE(read[1].get(), nullptr);
    EXPECT_EQ(read[0]->GetSubjectName(), "n");
    EXPECT_EQ(read[1]->GetSubjectName(), "m");
}

TEST(BookFile, BytesAfterTheLastRecordAreIgnored)
{
    const SubjectList read = ReadSubjectList(kWorkedExample + "garbage");
    ExpectSameSubjects(read, WorkedExampleSubjects());
}

TEST(SubjectBook, FailedLoadLeavesTheBookAsItWas)
{
    SubjectBook book;
    book.Deserialize(kWorkedExample);
    book.SetCurrentSubject(book.GetSubject(1));
    book.SetModifiedFlag();
    EXPECT_THROW(book.Deserialize(kWorkedExample.substr(0, 40)), BookFormatError);
    EXPECT_EQ(book.GetSubjectCount(), 2u);
    EXPECT_EQ(book.GetCurrentSubject(), book.GetSubject(1));
    EXPECT_TRUE(book.IsModified());
}

TEST(SubjectBook, RemovingTheCurrentSubjectClearsIt)
{
    SubjectBook book;
    book.Deserialize(kWorkedExample);
    CTenorels* second = book.GetSubject(1);
    book.SetCurrentSubject(book.GetSubject(0));
    book.RemoveSubject(1);
    EXPECT_EQ(book.GetCurrentSubject(), book.GetSubject(0));
    EXPECT_EQ(book.IndexOf(second), -1);
    book.RemoveSubject(0);
    EXPECT_EQ(book.GetCurrentSubject(), nullptr);
    EXPECT_EQ(book.Serialize(), Bytes({0x00, 0x00}));
}
