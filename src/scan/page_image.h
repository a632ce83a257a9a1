#pragma once
// Page images as they come from a scanner: SANE frames made into Leptonica
// images, and whether a page is blank.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Pix; // Leptonica's image

namespace tavelo::scan {

struct PageDeleter {
    void operator()(Pix* pix) const;
};
using PagePtr = std::unique_ptr<Pix, PageDeleter>;

// The layout of a frame, as SANE describes it (SANE_Parameters).
struct FrameLayout {
    enum class Kind { kGray, kRgb, kRed, kGreen, kBlue };
    Kind kind = Kind::kGray;
    int bytesPerLine = 0;
    int pixelsPerLine = 0;
    int lines = 0;
    int depth = 8; // bits a sample: 1, 8 or 16
};

// A page image SANE may send at most: beyond, the page is refused rather than
// memory running out (an A3 page in colour at 1200 dpi is about 700 MiB).
inline constexpr std::size_t kMaxFrameBytes = std::size_t{1} << 30;

// Adds one frame to the page being built: a gray or RGB frame makes the page
// (1-bit gray pages stay 1-bit, others become 8-bit gray or 32-bit colour,
// 16-bit samples keep their high byte); a red, green or blue frame fills its
// channel of a colour page, made by the first of them. False with a French
// reason when the bytes do not match the layout, or a channel frame does not
// match the page.
bool AddFrame(const FrameLayout& layout, const std::vector<std::uint8_t>& bytes, int dpi, PagePtr& page,
              std::string& reason);

// What counts as ink: after the page is made gray, a pixel darker than this
// (0 black, 255 white). Light enough paper, show-through from the other side
// and scanner noise stay above.
inline constexpr int kInkThreshold = 160;
// The margin left out on every side, a share of the width and height: the
// shadow of the sheet's edges and the feeder's rollers.
inline constexpr double kBlankMargin = 0.05;
// A page is blank below this share of ink pixels in its middle, once specks
// smaller than about 1/150 inch are gone. One short line alone on an A4 page
// ("Avis d'échéance" in 12 points) is 0.044 %; a page of text is 2 to 5 %.
inline constexpr double kBlankInkShare = 0.0002;

// The share of ink pixels in the page's middle, specks removed (from 0 to 1).
double InkShare(const Pix* page);
bool IsBlankPage(const Pix* page);

} // namespace tavelo::scan
