// Images (scans, photos of letters): the text Tesseract recognises on each
// page, one piece per page (TIFF may hold several).

#include "reading/formats/format.h"
#include "reading/formats/image_pages.h"
#include "reading/formats/ocr.h"
#include "reading/reader_protocol.h"

namespace tavelo {

bool ReadImage(const FormatInput& input, TextSink& sink, std::string& reason)
{
    ImagePages pages;
    if (!pages.Open(input.bytes, reason))
        return false;
    for (std::size_t i = 0; i < pages.Count(); ++i) {
        sink.Progress(reader_protocol::kOcrPageUnit, i + 1, pages.Count());
        PixPtr page = pages.Decode(i, reason);
        std::string text;
        if (!page)
            return false;
        if (!RecognisePage(std::move(page), text, reason)) {
            if (LastOcrFailureWasTransient())
                sink.NotLasting();
            return false;
        }
        if (!sink.Add(MatchRule::kPattern, text)) {
            reason = TooMuchTextReason();
            return false;
        }
    }
    return true;
}

} // namespace tavelo
