#include "base/tr.h"
#include "reading/formats/image_pages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include <leptonica/allheaders.h>
#include <tiffio.h>

namespace tavelo {

namespace {

// Bytes a pixel costs at the peak of reading a page. A grey or bilevel image
// is decoded at one byte a pixel at most, and Tesseract makes its own copy
// and a grey one. A colour or palette image is decoded at four bytes a pixel,
// beside the decoder's own rows (PNG) or raster (some TIFF), then copied by
// Tesseract before ours is released.
constexpr std::uint64_t kGreyPixelBytes = 3;
constexpr std::uint64_t kColourPixelBytes = 8;
// The largest JPEG read at a fraction of its size: a 200-megapixel photo.
constexpr std::uint64_t kMaxJpegPixels = std::uint64_t{256} << 20;

std::string Dimensions(std::uint32_t width, std::uint32_t height)
{
    return std::to_string(width) + " × " + std::to_string(height) + " pixels";
}

// libtiff reads the image from memory through these.
struct MemoryFile {
    std::string_view bytes;
    std::uint64_t pos = 0;
};

tmsize_t ReadMemory(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (size < 0 || file->pos >= file->bytes.size())
        return 0;
    const std::uint64_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), file->bytes.size() - file->pos);
    std::memcpy(buffer, file->bytes.data() + file->pos, n);
    file->pos += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t WriteMemory(thandle_t, void*, tmsize_t)
{
    return -1;
}

toff_t SeekMemory(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = file->pos;
    else if (whence == SEEK_END)
        base = file->bytes.size();
    if (offset > UINT64_MAX - base)
        return static_cast<toff_t>(-1);
    file->pos = base + offset;
    return file->pos;
}

int CloseMemory(thandle_t)
{
    return 0;
}

toff_t MemorySize(thandle_t handle)
{
    return static_cast<MemoryFile*>(handle)->bytes.size();
}

int MapMemory(thandle_t, void**, toff_t*)
{
    return 0;
}

void UnmapMemory(thandle_t, void*, toff_t) {}

// libtiff and Leptonica report damaged files on the standard error stream;
// the search reports unreadable documents itself.
void QuietLibraries()
{
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        setMsgSeverity(L_SEVERITY_NONE);
    });
}

} // namespace

bool ImagePages::Open(std::string_view bytes, std::string& reason)
{
    QuietLibraries();
    m_bytes = bytes;
    m_pages.clear();
    const auto starts = [&](std::string_view magic) { return bytes.substr(0, magic.size()) == magic; };
    if (starts("\x89PNG\r\n\x1a\n"))
        m_format = Format::kPng;
    else if (starts("\xFF\xD8\xFF"))
        m_format = Format::kJpeg;
    else if (starts(std::string_view("II*\0", 4)) || starts(std::string_view("MM\0*", 4)) ||
             starts(std::string_view("II+\0", 4)) || starts(std::string_view("MM\0+", 4)))
        m_format = Format::kTiff;
    else {
        reason = TAVELO_TR_NOOP("Search", "ce n'est pas une image PNG, JPEG ou TIFF");
        return false;
    }
    if (m_format == Format::kTiff)
        return OpenTiff(reason);

    l_int32 width = 0;
    l_int32 height = 0;
    l_int32 bits = 0;
    l_int32 samples = 0;
    l_int32 palette = 0;
    const auto* data = reinterpret_cast<const l_uint8*>(bytes.data());
    const bool read = m_format == Format::kPng
                          ? readHeaderMemPng(data, bytes.size(), &width, &height, &bits, &samples, &palette) == 0
                          : readHeaderMemJpeg(data, bytes.size(), &width, &height, &samples, nullptr, nullptr) == 0;
    if (!read || width <= 0 || height <= 0) {
        reason = TAVELO_TR_NOOP("Search", "l'en-tête de l'image est endommagé");
        return false;
    }
    Page page;
    if (!Check(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), samples > 1 || palette != 0,
               page, reason))
        return false;
    m_pages.push_back(page);
    return true;
}

bool ImagePages::OpenTiff(std::string& reason)
{
    MemoryFile file{m_bytes};
    TIFF* tiff = TIFFClientOpen("image", "rm", &file, ReadMemory, WriteMemory, SeekMemory, CloseMemory, MemorySize,
                                MapMemory, UnmapMemory);
    if (tiff == nullptr) {
        reason = TAVELO_TR_NOOP("Search", "l'en-tête de l'image est endommagé");
        return false;
    }
    // libtiff follows the chain of directories, one per page, and stops at
    // one that loops back.
    bool fits = true;
    do {
        if (m_pages.size() == kMaxOcrPages) {
            static_assert(kMaxOcrPages == 1000, "the reason names the limit");
            reason = TAVELO_TR_NOOP("Search", "l'image a plus de 1000 pages");
            fits = false;
            break;
        }
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        std::uint16_t samples = 1;
        std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
        const bool grey = samples == 1 && (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE);
        if (width == 0 || height == 0) {
            reason = TAVELO_TR_NOOP("Search", "l'en-tête de l'image est endommagé");
            fits = false;
            break;
        }
        Page page;
        page.offset = TIFFCurrentDirOffset(tiff);
        if (!Check(width, height, !grey, page, reason)) {
            fits = false;
            break;
        }
        m_pages.push_back(page);
    } while (TIFFReadDirectory(tiff) != 0);
    TIFFClose(tiff);
    return fits;
}

bool ImagePages::Check(std::uint32_t width, std::uint32_t height, bool colour, Page& page, std::string& reason) const
{
    const std::uint64_t pixelBytes = colour ? kColourPixelBytes : kGreyPixelBytes;
    // JPEG decodes at a half, a quarter or an eighth of its size as cheaply,
    // so a photo too large at full size is read smaller; but every pixel is
    // still decoded, hence a bound on the full size too.
    const bool jpeg = m_format == Format::kJpeg;
    const int largest = jpeg && std::uint64_t{width} * height <= kMaxJpegPixels ? 8 : 1;
    for (int reduction = 1; reduction <= largest; reduction *= 2) {
        const std::uint64_t w = (width + reduction - 1) / reduction;
        const std::uint64_t h = (height + reduction - 1) / reduction;
        if (w <= kMaxOcrSide && h <= kMaxOcrSide && w * h * pixelBytes <= kMaxPageImageBytes) {
            page.width = width;
            page.height = height;
            page.reduction = reduction;
            return true;
        }
    }
    // The detail after " : " stays as it is when the reason is translated.
    reason = TAVELO_TR_NOOP("Search", "l'image est trop grande pour être lue") + std::string(" : ") +
             Dimensions(width, height);
    return false;
}

PixPtr ImagePages::Decode(std::size_t index, std::string& reason) const
{
    const Page& page = m_pages.at(index);
    const auto* data = reinterpret_cast<const l_uint8*>(m_bytes.data());
    PixPtr pix;
    switch (m_format) {
    case Format::kPng:
        pix.reset(pixReadMemPng(data, m_bytes.size()));
        break;
    case Format::kJpeg: {
        l_int32 warnings = 0;
        // A damaged JPEG is read as far as it goes, as image viewers show it.
        pix.reset(pixReadMemJpeg(data, m_bytes.size(), 0, page.reduction, &warnings, L_JPEG_CONTINUE_WITH_BAD_DATA));
        if (pix && page.reduction > 1)
            pixSetResolution(pix.get(), pixGetXRes(pix.get()) / page.reduction, pixGetYRes(pix.get()) / page.reduction);
        break;
    }
    case Format::kTiff: {
        // The page whose directory was measured, not the n-th one found again.
        std::size_t offset = page.offset;
        pix.reset(pixReadMemFromMultipageTiff(data, m_bytes.size(), &offset));
        break;
    }
    }
    // The decoder must have given what the header promised.
    const auto within = [&](l_int32 decoded, std::uint32_t claimed) {
        return decoded > 0 && static_cast<std::uint32_t>(decoded) <= (claimed + page.reduction - 1) / page.reduction;
    };
    if (!pix || !within(pixGetWidth(pix.get()), page.width) || !within(pixGetHeight(pix.get()), page.height)) {
        reason = m_pages.size() > 1 ? TAVELO_TR_NOOP("Search", "une page de l'image est endommagée") +
                                          std::string(" : page ") + std::to_string(index + 1)
                                    : std::string(TAVELO_TR_NOOP("Search", "l'image est endommagée"));
        return nullptr;
    }
    return pix;
}

} // namespace tavelo
