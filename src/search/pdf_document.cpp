#include "search/pdf_document.h"

#include <memory>
#include <mutex>

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include "base/tr.h"
#include "search/search_pattern.h"

namespace tavelo {

namespace {

void IgnorePopplerMessage(const std::string&, void*) {}

} // namespace

PdfSearch SearchPdfFile(const SearchPattern& pattern, const std::string& path, std::string& reason)
{
    static std::once_flag quiet;
    // poppler writes its complaints about damaged files on the standard error
    // stream; the search reports unreadable files itself.
    std::call_once(quiet, [] { poppler::set_debug_error_function(IgnorePopplerMessage, nullptr); });

    const std::unique_ptr<poppler::document> document(poppler::document::load_from_file(path));
    if (!document) {
        reason = TAVELO_TR_NOOP("Search", "ce n'est pas un document PDF lisible");
        return PdfSearch::kUnreadable;
    }
    if (document->is_locked()) {
        reason = TAVELO_TR_NOOP("Search", "le document est protégé par un mot de passe");
        return PdfSearch::kUnreadable;
    }
    const int pages = document->pages();
    for (int i = 0; i < pages; ++i) {
        const std::unique_ptr<poppler::page> page(document->create_page(i));
        if (!page)
            continue;
        const poppler::byte_array utf8 = page->text().to_utf8();
        if (pattern.Search(std::string_view(utf8.data(), utf8.size())))
            return PdfSearch::kFound;
    }
    return PdfSearch::kNotFound;
}

int FindWord(const SearchPattern* pattern, const char* path)
{
    if (pattern == nullptr || path == nullptr)
        return 0;
    std::string reason;
    try {
        return SearchPdfFile(*pattern, path, reason) == PdfSearch::kFound ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

} // namespace tavelo
