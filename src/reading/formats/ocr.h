#pragma once
// Optical character recognition of page images (scans, photos of letters,
// PDF pages without a text layer) with Tesseract, in French and English.

#include <cstddef>
#include <memory>
#include <string>

struct Pix; // Leptonica's image

namespace tavelo {

struct PixDeleter {
    void operator()(Pix* pix) const;
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

// The languages recognised, as Tesseract names them.
inline constexpr const char* kOcrLanguages = "fra+eng";

// Tesseract keeps coordinates in 16 bits: it refuses wider or taller images.
inline constexpr int kMaxOcrSide = 32767;

// At most this many pages are recognised in one document. Real scanned files
// stay far below; a crafted one of tiny pages would otherwise keep a reader
// busy for hours, each page within its own time.
inline constexpr std::size_t kMaxOcrPages = 1000;

// The text of one page image, recognised by the process's one engine (made on
// the first page and kept: loading the language models costs about as much as
// a page). The image is taken, and released as soon as the engine has its own
// copy. False with a French reason when recognition cannot run.
bool RecognisePage(PixPtr page, std::string& text, std::string& reason);

// The French reason given for a document that has more than kMaxOcrPages
// pages to recognise.
std::string TooManyOcrPagesReason();

// Whether RecognisePage's last failure says nothing lasting about the page:
// the engine could not start (languages not installed) or memory ran out.
bool LastOcrFailureWasTransient();

} // namespace tavelo
