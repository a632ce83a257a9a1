#pragma once
// The pages of a PNG, JPEG or TIFF image held in memory, each measured from
// its header before anything is decoded, so that an image too large for the
// reader's memory is refused at once rather than by running out of it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reading/formats/ocr.h"

namespace tavelo {

// What one page may cost once decoded and handed to Tesseract. The reader
// process has 512 MiB of address space; the libraries and the language
// models take about 170 MiB of it.
inline constexpr std::uint64_t kMaxPageImageBytes = std::uint64_t{224} << 20;

class ImagePages {
public:
    // Reads the headers of every page. False with a French reason when the
    // bytes are no such image, a page is too large to be read or there are
    // more than kMaxOcrPages pages. `bytes` must outlive this object.
    bool Open(std::string_view bytes, std::string& reason);

    std::size_t Count() const { return m_pages.size(); }

    // Decodes page `index` (from 0); null with a French reason when its data
    // is damaged.
    PixPtr Decode(std::size_t index, std::string& reason) const;

private:
    enum class Format { kPng, kJpeg, kTiff };
    struct Page {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        // Where the page's directory starts (TIFF).
        std::uint64_t offset = 0;
        // JPEG only: decoded at 1/reduction of its size (1, 2, 4 or 8).
        int reduction = 1;
    };

    bool OpenTiff(std::string& reason);
    bool Check(std::uint32_t width, std::uint32_t height, bool colour, Page& page, std::string& reason) const;

    std::string_view m_bytes;
    Format m_format = Format::kPng;
    std::vector<Page> m_pages;
};

} // namespace tavelo
