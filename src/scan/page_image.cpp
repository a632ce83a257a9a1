#include "scan/page_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <leptonica/allheaders.h>

#include "base/tr.h"

namespace tavelo::scan {

void PageDeleter::operator()(Pix* pix) const
{
    pixDestroy(&pix);
}

namespace {

// Sample `index` of a line, from 0 to 255; for 1-bit samples, 255 when the
// bit is set.
int Sample(const std::uint8_t* line, int index, int depth)
{
    switch (depth) {
    case 1: return (line[index / 8] >> (7 - index % 8) & 1) != 0 ? 255 : 0;
    case 16: {
        // Host byte order, as SANE sends them.
        std::uint16_t value;
        std::memcpy(&value, line + 2 * index, 2);
        return value >> 8;
    }
    default: return line[index];
    }
}

bool CheckLayout(const FrameLayout& layout, std::size_t size, int channels, std::string& reason)
{
    const std::int64_t lineBits = std::int64_t{layout.pixelsPerLine} * channels * layout.depth;
    if ((layout.depth != 1 && layout.depth != 8 && layout.depth != 16) || layout.pixelsPerLine <= 0 || layout.lines <= 0
        || layout.bytesPerLine <= 0 || (lineBits + 7) / 8 > layout.bytesPerLine
        || std::int64_t{layout.bytesPerLine} * layout.lines > static_cast<std::int64_t>(size)) {
        reason = Tr("Scan", "le scanner a envoyé une image incohérente");
        return false;
    }
    return true;
}

PagePtr GrayPage(const FrameLayout& layout, const std::uint8_t* bytes)
{
    const int w = layout.pixelsPerLine;
    const int h = layout.lines;
    PagePtr page(pixCreate(w, h, layout.depth == 1 ? 1 : 8));
    if (!page)
        return page;
    l_uint32* data = pixGetData(page.get());
    const int wpl = pixGetWpl(page.get());
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = bytes + std::size_t(y) * layout.bytesPerLine;
        l_uint32* out = data + std::size_t(y) * wpl;
        if (layout.depth == 1) {
            // 1 is black for SANE as for Leptonica, the leftmost pixel first.
            for (int i = 0; i < (w + 7) / 8; ++i)
                SET_DATA_BYTE(out, i, in[i]);
        } else {
            for (int x = 0; x < w; ++x)
                SET_DATA_BYTE(out, x, Sample(in, x, layout.depth));
        }
    }
    return page;
}

PagePtr RgbPage(const FrameLayout& layout, const std::uint8_t* bytes)
{
    const int w = layout.pixelsPerLine;
    PagePtr page(pixCreate(w, layout.lines, 32));
    if (!page)
        return page;
    l_uint32* data = pixGetData(page.get());
    const int wpl = pixGetWpl(page.get());
    for (int y = 0; y < layout.lines; ++y) {
        const std::uint8_t* in = bytes + std::size_t(y) * layout.bytesPerLine;
        l_uint32* out = data + std::size_t(y) * wpl;
        for (int x = 0; x < w; ++x) {
            l_uint32 pixel = 0;
            composeRGBPixel(Sample(in, 3 * x, layout.depth), Sample(in, 3 * x + 1, layout.depth),
                            Sample(in, 3 * x + 2, layout.depth), &pixel);
            out[x] = pixel;
        }
    }
    return page;
}

bool FillChannel(const FrameLayout& layout, const std::uint8_t* bytes, Pix* page, std::string& reason)
{
    if (pixGetDepth(page) != 32 || pixGetWidth(page) != layout.pixelsPerLine
        || pixGetHeight(page) != layout.lines) {
        reason = Tr("Scan", "le scanner a envoyé une image incohérente");
        return false;
    }
    const int channel = layout.kind == FrameLayout::Kind::kRed     ? COLOR_RED
                        : layout.kind == FrameLayout::Kind::kGreen ? COLOR_GREEN
                                                                   : COLOR_BLUE;
    l_uint32* data = pixGetData(page);
    const int wpl = pixGetWpl(page);
    for (int y = 0; y < layout.lines; ++y) {
        const std::uint8_t* in = bytes + std::size_t(y) * layout.bytesPerLine;
        l_uint32* out = data + std::size_t(y) * wpl;
        for (int x = 0; x < layout.pixelsPerLine; ++x)
            SET_DATA_BYTE(out + x, channel, Sample(in, x, layout.depth));
    }
    return true;
}

} // namespace

bool AddFrame(const FrameLayout& layout, const std::vector<std::uint8_t>& bytes, int dpi, PagePtr& page,
              std::string& reason)
{
    const bool rgb = layout.kind == FrameLayout::Kind::kRgb;
    if (!CheckLayout(layout, bytes.size(), rgb ? 3 : 1, reason))
        return false;
    if (layout.kind == FrameLayout::Kind::kGray || rgb) {
        page = rgb ? RgbPage(layout, bytes.data()) : GrayPage(layout, bytes.data());
    } else {
        if (!page) {
            page.reset(pixCreate(layout.pixelsPerLine, layout.lines, 32));
            if (page)
                pixSetAllArbitrary(page.get(), 0);
        }
        if (page && !FillChannel(layout, bytes.data(), page.get(), reason))
            return false;
    }
    if (!page) {
        reason = Tr("Scan", "la mémoire manque pour garder la page");
        return false;
    }
    pixSetResolution(page.get(), dpi, dpi);
    return true;
}

double InkShare(const Pix* page)
{
    Pix* source = const_cast<Pix*>(page);
    const int w = pixGetWidth(source);
    const int h = pixGetHeight(source);
    const int mx = static_cast<int>(w * kBlankMargin);
    const int my = static_cast<int>(h * kBlankMargin);
    if (w - 2 * mx <= 0 || h - 2 * my <= 0)
        return 0;
    PagePtr gray(pixGetDepth(source) == 32 ? pixConvertRGBToLuminance(source) : pixConvertTo8(source, 0));
    if (!gray)
        return 1; // kept when it cannot be measured
    Box* box = boxCreate(mx, my, w - 2 * mx, h - 2 * my);
    PagePtr middle(pixClipRectangle(gray.get(), box, nullptr));
    boxDestroy(&box);
    if (!middle)
        return 1;
    PagePtr ink(pixThresholdToBinary(middle.get(), kInkThreshold));
    if (!ink)
        return 1;
    // Specks of dust and sensor noise are smaller than any stroke of print.
    const int dpi = pixGetXRes(source) > 0 ? pixGetXRes(source) : 300;
    const int speck = std::max(1, static_cast<int>(std::lround(dpi / 150.0)));
    if (speck > 1)
        ink.reset(pixOpenBrick(nullptr, ink.get(), speck, speck));
    if (!ink)
        return 1;
    l_int32 count = 0;
    pixCountPixels(ink.get(), &count, nullptr);
    return static_cast<double>(count) / (double(pixGetWidth(ink.get())) * pixGetHeight(ink.get()));
}

bool IsBlankPage(const Pix* page)
{
    return InkShare(page) < kBlankInkShare;
}

} // namespace tavelo::scan
