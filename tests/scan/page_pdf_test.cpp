// Page images from SANE frames, blank pages, and the searchable PDF: its text
// layer, and a write that leaves no half file.

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <random>
#include <sys/resource.h>

#include <leptonica/allheaders.h>

#include "scan/page_image.h"
#include "scan/searchable_pdf.h"
#include "scan_support.h"

namespace tavelo::scan {
namespace {

using test::ReadPdf;

std::string Fixture(const char* name)
{
    // Leptonica's notes about the PNG it reads are no test output.
    setMsgSeverity(L_SEVERITY_WARNING);
    return std::string(TAVELO_SCAN_FIXTURES) + "/" + name;
}

// Values of the page's pixels along its first line: gray levels, colours as
// 0xRRGGBB, 1-bit pixels as 0 or 1.
std::vector<unsigned> FirstLine(Pix* page)
{
    std::vector<unsigned> values;
    for (int x = 0; x < pixGetWidth(page); ++x) {
        l_uint32 value = 0;
        pixGetPixel(page, x, 0, &value);
        values.push_back(pixGetDepth(page) == 32 ? value >> 8 : value);
    }
    return values;
}

std::vector<std::uint8_t> Native16(std::initializer_list<std::uint16_t> samples)
{
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), std::data(samples), bytes.size());
    return bytes;
}

TEST(PageImage, FramesBecomePagesOfTheirDepth)
{
    using Kind = FrameLayout::Kind;
    const struct {
        const char* what;
        std::vector<FrameLayout> frames;
        std::vector<std::vector<std::uint8_t>> bytes;
        int depth;
        std::vector<unsigned> line;
    } cases[] = {
        // Five pixels make whole 32-bit words of Leptonica's and a partial one.
        {"gray", {{Kind::kGray, 5, 5, 1, 8}}, {{0, 255, 128, 64, 7}}, 8, {0, 255, 128, 64, 7}},
        {"gray 16 bits, the high byte kept", {{Kind::kGray, 4, 2, 1, 16}}, {Native16({0x1234, 0xff00})}, 8, {0x12, 0xff}},
        {"line art, 1 for black", {{Kind::kGray, 2, 10, 1, 1}}, {{0b1010'0000, 0b0100'0000}}, 1,
         {1, 0, 1, 0, 0, 0, 0, 0, 0, 1}},
        {"colour", {{Kind::kRgb, 7, 2, 1, 8}}, {{10, 20, 30, 200, 100, 50, 99}}, 32, {0x0a141e, 0xc86432}},
        {"three passes",
         {{Kind::kRed, 2, 2, 1, 8}, {Kind::kGreen, 2, 2, 1, 8}, {Kind::kBlue, 2, 2, 1, 8}},
         {{1, 2}, {3, 4}, {5, 6}},
         32,
         {0x010305, 0x020406}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PagePtr page;
        std::string reason;
        for (std::size_t i = 0; i < c.frames.size(); ++i)
            ASSERT_TRUE(AddFrame(c.frames[i], c.bytes[i], 150, page, reason)) << reason;
        EXPECT_EQ(c.depth, pixGetDepth(page.get()));
        EXPECT_EQ(150, pixGetYRes(page.get()));
        EXPECT_EQ(c.line, FirstLine(page.get()));
    }

    // Bytes that do not match what the device announced are refused.
    PagePtr page;
    std::string reason;
    EXPECT_FALSE(AddFrame({Kind::kGray, 4, 8, 2, 8}, {1, 2, 3, 4}, 150, page, reason));
    EXPECT_FALSE(AddFrame({Kind::kRgb, 3, 2, 1, 8}, {1, 2, 3}, 150, page, reason));
    ASSERT_TRUE(AddFrame({Kind::kRed, 2, 2, 1, 8}, {1, 2}, 150, page, reason));
    EXPECT_FALSE(AddFrame({Kind::kGreen, 3, 3, 1, 8}, {1, 2, 3}, 150, page, reason));
    EXPECT_NE("", reason);
}

// A white A4 page at 300 dpi, as a scanner sends it.
PagePtr WhitePage(int level = 255)
{
    PagePtr page(pixCreate(2480, 3508, 8));
    pixSetAllArbitrary(page.get(), static_cast<l_uint32>(level));
    pixSetResolution(page.get(), 300, 300);
    return page;
}

TEST(BlankPage, InkInTheMiddleCountsNotDustNorEdges)
{
    const PagePtr letter(pixRead(Fixture("avis_echeance.png").c_str()));
    ASSERT_TRUE(letter);
    const auto withLetterLine = [&](PagePtr page) {
        // The first line of the letter, "Avis d'échéance", alone on the page.
        Box* box = boxCreate(60, 70, 400, 70);
        const PagePtr line(pixClipRectangle(letter.get(), box, nullptr));
        boxDestroy(&box);
        const PagePtr gray(pixConvertTo8(line.get(), 0));
        pixRasterop(page.get(), 1200, 1700, 400, 70, PIX_SRC, gray.get(), 0, 0);
        return page;
    };
    const auto withSpecks = [](PagePtr page) {
        // Sensor noise and dust: 0.5 % of the pixels, one by one.
        std::mt19937 random(7);
        std::uniform_int_distribution<int> x(0, 2479), y(0, 3507);
        for (int i = 0; i < 2480 * 3508 / 200; ++i)
            pixSetPixel(page.get(), x(random), y(random), 0);
        return page;
    };
    const auto withShadows = [](PagePtr page) {
        // The sheet's edges and the feeder's rollers, within the margin.
        pixRasterop(page.get(), 0, 0, 2480, 100, PIX_CLR, nullptr, 0, 0);
        pixRasterop(page.get(), 2400, 0, 80, 3508, PIX_CLR, nullptr, 0, 0);
        return page;
    };
    const struct {
        const char* what;
        PagePtr page;
        bool blank;
    } cases[] = {
        {"the letter", PagePtr(pixClone(letter.get())), false},
        {"one short line on an A4 page", withLetterLine(WhitePage()), false},
        {"white", WhitePage(), true},
        {"gray recycled paper", WhitePage(215), true},
        {"specks", withSpecks(WhitePage()), true},
        {"shadows at the edges", withShadows(WhitePage()), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.blank, IsBlankPage(c.page.get())) << InkShare(c.page.get());
    }
}

TEST(SearchablePdf, PagesCarryTheirRecognisedText)
{
    test::TempDir out;
    const std::string path = out.File("avis.pdf");
    const PagePtr letter(pixRead(Fixture("avis_echeance.png").c_str()));
    ASSERT_TRUE(letter);
    SearchablePdf pdf;
    std::string reason;
    const std::atomic<bool> cancel{false};
    ASSERT_TRUE(pdf.Begin(path, "Avis", reason)) << reason;
    ASSERT_TRUE(pdf.AddPage(letter.get(), cancel, reason)) << reason;
    ASSERT_TRUE(pdf.AddPage(letter.get(), cancel, reason)) << reason;
    EXPECT_TRUE(out.Names().size() == 1 && out.Names()[0] != "avis.pdf") << "only a temporary file until the end";
    ASSERT_TRUE(pdf.Finish(reason)) << reason;
    EXPECT_EQ(std::vector<std::string>{"avis.pdf"}, out.Names());

    const test::PdfContent content = ReadPdf(path);
    EXPECT_EQ(2, content.pages);
    for (const char* word : {"Électricité", "Prélèvement", "échéance", "123,45", "4711"})
        EXPECT_NE(std::string::npos, content.text.find(word)) << word << " in\n" << content.text;
    // The page is as large as the image at its resolution (1240 pixels at 300 dpi).
    const std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(path));
    const std::unique_ptr<poppler::page> page(doc->create_page(0));
    EXPECT_NEAR(1240 * 72.0 / 300, page->page_rect().width(), 0.5);

    // An existing file is never replaced.
    SearchablePdf again;
    EXPECT_FALSE(again.Begin(path, "Avis", reason));
    EXPECT_NE(std::string::npos, reason.find("existe déjà")) << reason;
    EXPECT_EQ(2, ReadPdf(path).pages);
}

TEST(SearchablePdf, AFullDiskLeavesNoFile)
{
    // The file size limit stands for a full disk: writes beyond it fail
    // (EFBIG) as they would with ENOSPC.
    const PagePtr letter(pixRead(Fixture("avis_echeance.png").c_str()));
    ASSERT_TRUE(letter);
    const std::atomic<bool> cancel{false};
    for (const int limit : {3000, 12000}) {
        SCOPED_TRACE(limit);
        test::TempDir out;
        SearchablePdf pdf;
        std::string reason;
        ASSERT_TRUE(pdf.Begin(out.File("plein.pdf"), "Plein", reason)) << reason;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = static_cast<rlim_t>(limit);
        ::setrlimit(RLIMIT_FSIZE, &small);
        bool ok = true;
        for (int i = 0; i < 3 && ok; ++i)
            ok = pdf.AddPage(letter.get(), cancel, reason);
        if (ok)
            ok = pdf.Finish(reason);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        EXPECT_FALSE(ok);
        EXPECT_NE(std::string::npos, reason.find("Impossible d'écrire le PDF")) << reason;
        EXPECT_NE(std::string::npos, reason.find("plein.pdf » : le fichier est trop grand")) << reason;
        EXPECT_TRUE(out.Names().empty());
    }
}

} // namespace
} // namespace tavelo::scan
