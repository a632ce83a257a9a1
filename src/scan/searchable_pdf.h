#pragma once
// A searchable PDF made of page images: each page is recognised by Tesseract
// (French and English) and written by its PDF renderer, the image with its
// text laid invisibly over it. The file is written beside its final place
// under a temporary name and renamed there only once it is whole: a full disk
// or a failure leaves no file behind, and an existing file is never replaced.

#include <atomic>
#include <memory>
#include <string>

#include "scan/page_image.h"

namespace tesseract {
class TessBaseAPI;
class TessResultRenderer;
} // namespace tesseract

namespace tavelo::scan {

class SearchablePdf {
public:
    SearchablePdf();
    // Removes the temporary file of a PDF that was not finished.
    ~SearchablePdf();
    SearchablePdf(const SearchablePdf&) = delete;
    SearchablePdf& operator=(const SearchablePdf&) = delete;

    // Starts the PDF that Finish puts at `path`, with this title. False with a
    // French reason when the recognition cannot start (languages missing), the
    // folder cannot be written or `path` exists already.
    bool Begin(const std::string& path, const std::string& title, std::string& reason);

    // Recognises the page's text and adds the page, at the resolution the image
    // carries (300 dpi when it has none). `cancel` stops the recognition: the
    // page is then added without the rest of its text. False with a French
    // reason when the page could not be added (the PDF is then abandoned).
    bool AddPage(Pix* page, const std::atomic<bool>& cancel, std::string& reason);

    int Pages() const { return m_pages; }

    // Writes the end of the PDF, flushes it to disk and puts it at its path.
    // False with a French reason (and no file left) when it cannot be.
    bool Finish(std::string& reason);

    // Drops the PDF being made.
    void Abandon();

private:
    std::string WriteFailure() const;

    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    std::unique_ptr<tesseract::TessResultRenderer> m_renderer;
    std::string m_path;
    std::string m_temp;
    int m_pages = 0;
};

} // namespace tavelo::scan
