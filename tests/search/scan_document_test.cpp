// Scans read by OCR: images and PDF pages without a text layer, through the
// reader processes and the text cache, and hostile images refused at once.

#include <gtest/gtest.h>
#include <leptonica/allheaders.h>

#include <array>
#include <cstdint>

#include "book/book_file.h"
#include "book/file_io.h"
#include "reading/formats/format.h"
#include "reading/formats/image_pages.h"
#include "reading/reader_protocol.h"
#include "reading/text_source.h"
#include "search/document_search.h"
#include "search/search_pattern.h"
#include "search/search_run.h"
#include "test_files.h"

namespace tavelo {
namespace {

using test::TempDir;

std::string Scan(std::string_view name)
{
    return std::string(TAVELO_DOCUMENT_FIXTURES) + "/../scans/" + std::string(name);
}

// Every scan is recognised once per test run, in a cache of its own.
TextSource& ScanSource()
{
    static TempDir folder;
    static TextSource source(TextCache::Open(folder.File("cache")));
    return source;
}

struct Search {
    DocumentMatch match;
    std::vector<std::array<std::size_t, 2>> ocrPages; // done, total
};

Search SearchScan(const std::string& path, DocumentKind kind, std::string_view word, SearchOptions options = {})
{
    Search search;
    ReadContext context;
    context.progress = [&](std::string_view unit, std::size_t done, std::size_t total) {
        if (unit == reader_protocol::kOcrPageUnit)
            search.ocrPages.push_back({done, total});
    };
    // As a search does: the cache is written at its end.
    ScanSource().BeginSearch();
    search.match = SearchDocumentFile(path, kind, SearchPattern(word, options), ScanSource(), context);
    ScanSource().EndSearch();
    return search;
}

void PutU16(std::string& out, unsigned value, bool bigEndian = false)
{
    for (int i = 0; i < 2; ++i)
        out.push_back(static_cast<char>((value >> (8 * (bigEndian ? 1 - i : i))) & 0xFF));
}

void PutU32(std::string& out, std::uint32_t value, bool bigEndian = false)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * (bigEndian ? 3 - i : i))) & 0xFF));
}

// A grey PNG whose header claims that size, with a few bytes of data.
std::string CraftedPng(std::uint32_t width, std::uint32_t height)
{
    std::string png = "\x89PNG\r\n\x1a\n";
    const auto chunk = [&](std::string_view type, std::string_view data) {
        PutU32(png, static_cast<std::uint32_t>(data.size()), true);
        const std::string body = std::string(type) + std::string(data);
        png += body;
        PutU32(png, 0, true); // not checked before the image is decoded
    };
    std::string header;
    PutU32(header, width, true);
    PutU32(header, height, true);
    header += std::string("\x08\x00\x00\x00\x00", 5);
    chunk("IHDR", header);
    chunk("IDAT", std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9));
    chunk("IEND", "");
    return png;
}

// A grey baseline JPEG of that size whose scan ends at once (libjpeg-turbo
// brings the usual Huffman tables).
std::string CraftedJpeg(std::uint16_t width, std::uint16_t height)
{
    std::string jpeg = "\xFF\xD8";
    jpeg += "\xFF\xDB";
    PutU16(jpeg, 67, true);
    jpeg += std::string(1, '\0') + std::string(64, '\x01');
    jpeg += "\xFF\xC0";
    PutU16(jpeg, 11, true);
    jpeg.push_back(8);
    PutU16(jpeg, height, true);
    PutU16(jpeg, width, true);
    jpeg += std::string("\x01\x01\x11\x00", 4);
    jpeg += "\xFF\xDA";
    PutU16(jpeg, 8, true);
    jpeg += std::string("\x01\x01\x00\x00\x3F\x00", 6);
    return jpeg + "\x00\x00\xFF\xD9";
}

// A little-endian TIFF of `pages` grey pages of that size; each page's one
// strip holds a single byte.
std::string CraftedTiff(std::uint32_t width, std::uint32_t height, int pages)
{
    std::string tiff("II*\0", 4);
    PutU32(tiff, 8);
    constexpr std::uint32_t kIfdSize = 2 + 9 * 12 + 4;
    for (int page = 0; page < pages; ++page) {
        const auto ifd = static_cast<std::uint32_t>(tiff.size());
        const auto entry = [&](unsigned tag, unsigned type, std::uint32_t value) {
            PutU16(tiff, tag);
            PutU16(tiff, type);
            PutU32(tiff, 1);
            if (type == 3) {
                PutU16(tiff, value);
                PutU16(tiff, 0);
            } else {
                PutU32(tiff, value);
            }
        };
        PutU16(tiff, 9);
        entry(256, 4, width);
        entry(257, 4, height);
        entry(258, 3, 8);
        entry(259, 3, 1);
        entry(262, 3, 1);
        entry(273, 4, ifd + kIfdSize);
        entry(277, 3, 1);
        entry(278, 4, height);
        entry(279, 4, 1);
        PutU32(tiff, page + 1 == pages ? 0 : ifd + kIfdSize + 2);
        tiff += std::string("\x80\0", 2);
    }
    return tiff;
}

TEST(ScannedDocument, PlantedWordsAreFoundOnTheirPagesOnly)
{
    struct Case {
        const char* file;
        DocumentKind kind;
        std::vector<std::array<std::size_t, 2>> ocrPages;
        std::vector<std::string> found, absent;
    };
    const std::vector<Case> cases = {
        {"lettre.png", DocumentKind::kImage, {{1, 1}}, {"électricité", "DISTINGUÉES"}, {"chaudière", "zorglub"}},
        {"lettre.jpg", DocumentKind::kImage, {{1, 1}}, {"électricité", "l'été"}, {"chaudière", "zorglub"}},
        {"lettre.tif", DocumentKind::kImage, {{1, 2}, {2, 2}}, {"électricité", "chaudière"}, {"zorglub"}},
        {"lettre.pdf", DocumentKind::kPdf, {{1, 2}, {2, 2}}, {"électricité", "chaudière"}, {"zorglub"}},
        // The second page is a scan, the first has a text layer.
        {"mixte.pdf", DocumentKind::kPdf, {{2, 2}}, {"quittance", "chaudière"}, {"électricité"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = Scan(c.file);
        const Search first = SearchScan(path, c.kind, c.found.front());
        EXPECT_EQ(first.match.status, DocumentMatch::kFound) << first.match.reason;
        // A progress frame before each page recognised, then the cache's text.
        EXPECT_EQ(first.ocrPages, c.ocrPages);
        for (const std::string& word : c.found) {
            const Search again = SearchScan(path, c.kind, word);
            EXPECT_EQ(again.match.status, DocumentMatch::kFound) << word;
            EXPECT_TRUE(again.ocrPages.empty());
        }
        for (const std::string& word : c.absent)
            EXPECT_EQ(SearchScan(path, c.kind, word).match.status, DocumentMatch::kNotFound) << word;
    }
    // One piece per page, in page order, whichever way the page was read.
    const DocumentRead mixed = ScanSource().Read(Scan("mixte.pdf"), DocumentKind::kPdf, {});
    std::vector<std::string> pages;
    mixed.text.AnyPiece([&](const TextPiece& piece) {
        pages.emplace_back(piece.text);
        return false;
    });
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_NE(pages[0].find("Quittance de loyer"), std::string::npos) << pages[0];
    EXPECT_EQ(pages[0].find("chaudière"), std::string::npos) << pages[0];
    EXPECT_NE(pages[1].find("chaudière"), std::string::npos) << pages[1];
    // Matched as plain text, with the options.
    EXPECT_EQ(SearchScan(Scan("lettre.png"), DocumentKind::kImage, "ÉLECTRICITÉ", {false, true}).match.status,
              DocumentMatch::kNotFound);
    EXPECT_EQ(SearchScan(Scan("lettre.png"), DocumentKind::kImage, "contrat d.électricité", {true, true})
                  .match.status,
              DocumentMatch::kFound);
}

TEST(ScannedDocument, HostileImagesAreRefusedBeforeDecoding)
{
    struct Case {
        std::string bytes;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {CraftedPng(100000, 100000), "l'image est trop grande pour être lue : 100000 × 100000 pixels"},
        {CraftedTiff(100000, 100000, 1), "l'image est trop grande pour être lue : 100000 × 100000 pixels"},
        {CraftedJpeg(65500, 65500), "l'image est trop grande pour être lue : 65500 × 65500 pixels"},
        {CraftedPng(20000, 20000), "l'image est trop grande pour être lue : 20000 × 20000 pixels"},
        {CraftedTiff(1, 1, 1001), "l'image a plus de 1000 pages"},
        {CraftedPng(0, 5), "l'en-tête de l'image est endommagé"},
        {"GIF89a", "ce n'est pas une image PNG, JPEG ou TIFF"},
    };
    for (const Case& c : cases) {
        DocumentText text;
        std::string reason;
        EXPECT_FALSE(ReadDocumentText(DocumentKind::kImage, {c.bytes, {}}, text, reason));
        EXPECT_EQ(reason, c.reason);
    }
    // The same shapes within the limits are measured and decoded.
    for (const std::string& small : {CraftedTiff(1, 1, 3), CraftedJpeg(4000, 3000)}) {
        ImagePages pages;
        std::string reason;
        ASSERT_TRUE(pages.Open(small, reason)) << reason;
        for (std::size_t i = 0; i < pages.Count(); ++i)
            EXPECT_NE(pages.Decode(i, reason), nullptr) << reason;
    }
    // A large photo is read at a fraction of its size rather than refused.
    ImagePages photo;
    std::string reason;
    const std::string photoBytes = CraftedJpeg(12000, 9000);
    ASSERT_TRUE(photo.Open(photoBytes, reason)) << reason;
    const PixPtr reduced = photo.Decode(0, reason);
    ASSERT_NE(reduced, nullptr) << reason;
    EXPECT_EQ(pixGetWidth(reduced.get()), 6000);
    EXPECT_EQ(pixGetHeight(reduced.get()), 4500);

    // Truncated scans are refused or read, never a crash.
    for (const char* file : {"lettre.png", "lettre.jpg", "lettre.tif"}) {
        const std::string real = ReadWholeFile(Scan(file));
        for (std::size_t size = 0; size < real.size(); size += real.size() / 7) {
            ImagePages pages;
            if (pages.Open(std::string_view(real).substr(0, size), reason))
                for (std::size_t i = 0; i < pages.Count(); ++i)
                    pages.Decode(i, reason);
        }
    }
}

TEST(ScannedDocument, HostileScansAreUnreadableWithinTheReaderLimitsAndTheSearchGoesOn)
{
    TempDir dir;
    const std::string huge = dir.Write("immense.png", CraftedPng(100000, 100000));
    const std::string cut = dir.Write("coupee.png", ReadWholeFile(Scan("lettre.png")).substr(0, 20000));
    // A page of 5 × 5 m: rendered coarser, not at 300 dpi (3.6 gigapixels).
    const std::string poster = Scan("affiche.pdf");
    const Search hugeSearch = SearchScan(huge, DocumentKind::kImage, "x");
    EXPECT_EQ(hugeSearch.match.status, DocumentMatch::kUnreadable);
    EXPECT_EQ(hugeSearch.match.reason, "l'image est trop grande pour être lue : 100000 × 100000 pixels");
    EXPECT_TRUE(hugeSearch.ocrPages.empty());
    const Search cutSearch = SearchScan(cut, DocumentKind::kImage, "x");
    EXPECT_EQ(cutSearch.match.status, DocumentMatch::kUnreadable);
    EXPECT_EQ(cutSearch.match.reason, "l'image est endommagée");
    const Search posterSearch = SearchScan(poster, DocumentKind::kPdf, "zorglub");
    EXPECT_EQ(posterSearch.match.status, DocumentMatch::kNotFound) << posterSearch.match.reason;
    EXPECT_EQ(posterSearch.ocrPages.size(), 1u);

    SubjectList book;
    for (const std::string& path : {huge, cut, Scan("lettre.png")}) {
        book.push_back(std::make_unique<CTenorels>("Scans", path, 0));
        book.back()->AddDocumentPath(path);
    }
    SearchEnvironment environment;
    environment.source = &ScanSource();
    const SearchResult result = RunSearch(book, SearchPattern("électricité", {}), kScopeDocumentContents, environment);
    ASSERT_EQ(result.hits.size(), 1u);
    EXPECT_EQ(result.hits.front(), book.back().get());
    EXPECT_EQ(result.unreadable.size(), 2u);
}

} // namespace
} // namespace tavelo
