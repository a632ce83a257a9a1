// PDF: the text of each page, one piece per page in page order, so that a
// match never runs from one page into the next. A page whose text layer is
// empty or nearly so is a scan: it is rendered and its text recognised by OCR.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include <leptonica/allheaders.h>
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include "book/text.h"
#include "reading/formats/format.h"
#include "reading/formats/ocr.h"
#include "reading/reader_protocol.h"

#include "base/tr.h"

namespace tavelo {

namespace {

// A page with fewer visible characters than this in its text layer is read by
// OCR. Scanners and their software leave a scanned page's text layer empty,
// or put a page number or a short stamp in it ("p. 2/5", "Reçu le 12/03");
// half a line of real text is more than that. A page of text with so little
// on it (a title page) is recognised as well, which costs time once but loses
// nothing: its text layer is kept beside what is recognised.
constexpr std::size_t kScanMaxCharacters = 32;

// Scans are recognised at the resolution Tesseract is trained for; a page
// larger than a poster is rendered coarser so that its image stays within the
// reader's memory (about three bytes a pixel with Tesseract's copies).
constexpr double kOcrDpi = 300;
constexpr double kMaxRenderPixels = 36e6;

void IgnorePopplerMessage(const std::string&, void*) {}

// Code points other than white space, counted up to `enough`.
std::size_t VisibleCharacters(std::string_view utf8, std::size_t enough)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < utf8.size() && count < enough;) {
        const char32_t c = DecodeUtf8(utf8, pos);
        if (c != U' ' && c != U'\t' && c != U'\n' && c != U'\r' && c != U'\f' && c != U'\v' && c != U'\u00A0')
            ++count;
    }
    return count;
}

// The page as an 8-bit grey image; null when it has no area. False when it
// cannot be rendered.
bool RenderPage(const poppler::page& page, PixPtr& out)
{
    out.reset();
    const poppler::rectf box = page.page_rect(poppler::crop_box);
    const double width = std::abs(box.width()) / 72.0;
    const double height = std::abs(box.height()) / 72.0;
    if (!(width > 0 && height > 0 && std::isfinite(width * height)))
        return true;
    double dpi = kOcrDpi;
    dpi = std::min(dpi, std::sqrt(kMaxRenderPixels / (width * height)));
    dpi = std::min(dpi, (kMaxOcrSide - 1) / std::max(width, height));

    poppler::page_renderer renderer;
    renderer.set_image_format(poppler::image::format_gray8);
    renderer.set_render_hint(poppler::page_renderer::antialiasing);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing);
    PixPtr pix;
    {
        const poppler::image image = renderer.render_page(&page, dpi, dpi);
        // poppler gives a 1 × 1 image when it cannot allocate the page's:
        // the size must be the page's, either way round (rotated pages).
        const auto near = [](int pixels, double inches, double dpi) { return std::abs(pixels - inches * dpi) <= 2; };
        const bool sized = (near(image.width(), width, dpi) && near(image.height(), height, dpi)) ||
                           (near(image.width(), height, dpi) && near(image.height(), width, dpi));
        if (!image.is_valid() || image.format() != poppler::image::format_gray8 || !sized)
            return false;
        pix.reset(pixCreate(image.width(), image.height(), 8));
        if (!pix)
            return false;
        // Leptonica keeps pixels in 32-bit words, most significant byte
        // first: rows are copied as they are, then swapped on little-endian
        // machines.
        const l_int32 wpl = pixGetWpl(pix.get());
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(pixGetData(pix.get()) + static_cast<std::size_t>(y) * wpl,
                        image.const_data() + static_cast<std::size_t>(y) * image.bytes_per_row(),
                        static_cast<std::size_t>(image.width()));
    }
    pixEndianByteSwap(pix.get());
    const auto resolution = static_cast<l_int32>(std::lround(dpi));
    pixSetResolution(pix.get(), resolution, resolution);
    out = std::move(pix);
    return true;
}

} // namespace

bool ReadPdf(const FormatInput& input, TextSink& sink, std::string& reason)
{
    static std::once_flag quiet;
    // poppler writes its complaints about damaged files on the standard error
    // stream; the search reports unreadable files itself.
    std::call_once(quiet, [] { poppler::set_debug_error_function(IgnorePopplerMessage, nullptr); });

    if (input.bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        reason = TAVELO_TR_NOOP("Search", "le document est trop volumineux");
        return false;
    }
    // poppler keeps a pointer to the bytes, which outlive the document here.
    const std::unique_ptr<poppler::document> document(poppler::document::load_from_raw_data(
        input.bytes.data(), static_cast<int>(input.bytes.size())));
    if (!document) {
        reason = TAVELO_TR_NOOP("Search", "ce n'est pas un document PDF lisible");
        return false;
    }
    if (document->is_locked()) {
        reason = TAVELO_TR_NOOP("Search", "le document est protégé par un mot de passe");
        return false;
    }
    const int pages = document->pages();

    // Every page's text layer first: which pages are scans, and how many.
    std::vector<std::string> layers(static_cast<std::size_t>(std::max(pages, 0)));
    std::vector<bool> scans(layers.size());
    std::size_t scanCount = 0;
    std::size_t size = 0;
    for (int i = 0; i < pages; ++i) {
        const std::unique_ptr<poppler::page> page(document->create_page(i));
        if (!page)
            continue;
        const poppler::byte_array utf8 = page->text().to_utf8();
        std::string& layer = layers[static_cast<std::size_t>(i)];
        layer.assign(utf8.data(), utf8.size());
        size += layer.size();
        if (size > kMaxDocumentTextBytes) {
            reason = TooMuchTextReason();
            return false;
        }
        if (VisibleCharacters(layer, kScanMaxCharacters) < kScanMaxCharacters) {
            scans[static_cast<std::size_t>(i)] = true;
            ++scanCount;
        }
    }
    if (scanCount > kMaxOcrPages) {
        reason = TooManyOcrPagesReason();
        return false;
    }

    for (int i = 0; i < pages; ++i) {
        std::string text = std::move(layers[static_cast<std::size_t>(i)]);
        if (scans[static_cast<std::size_t>(i)]) {
            sink.Progress(reader_protocol::kOcrPageUnit, static_cast<std::size_t>(i) + 1,
                          static_cast<std::size_t>(pages));
            const std::unique_ptr<poppler::page> page(document->create_page(i));
            PixPtr image;
            if (!page || !RenderPage(*page, image)) {
                reason = TAVELO_TR_NOOP("Search", "une page ne peut pas être affichée pour en reconnaître le texte") +
                         std::string(" : page ") + std::to_string(i + 1);
                return false;
            }
            std::string recognised;
            if (image && !RecognisePage(std::move(image), recognised, reason)) {
                if (LastOcrFailureWasTransient())
                    sink.NotLasting();
                return false;
            }
            if (VisibleCharacters(text, 1) == 0)
                text = std::move(recognised);
            else
                text += "\n" + recognised;
        }
        if (!sink.Add(MatchRule::kPattern, text)) {
            reason = TooMuchTextReason();
            return false;
        }
    }
    return true;
}

} // namespace tavelo
