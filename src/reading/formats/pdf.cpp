// PDF: the text of each page that poppler extracts, one piece per page, so
// that a match never runs from one page into the next.

#include <climits>
#include <memory>
#include <mutex>

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include "reading/formats/format.h"

#include "base/tr.h"

namespace tavelo {

namespace {

void IgnorePopplerMessage(const std::string&, void*) {}

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
    for (int i = 0; i < pages; ++i) {
        const std::unique_ptr<poppler::page> page(document->create_page(i));
        const poppler::byte_array utf8 = page ? page->text().to_utf8() : poppler::byte_array();
        if (!sink.Add(MatchRule::kPattern, std::string_view(utf8.data(), utf8.size()))) {
            reason = TooMuchTextReason();
            return false;
        }
    }
    return true;
}

} // namespace tavelo
