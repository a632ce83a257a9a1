// Any bytes given as an e-mail give valid UTF-8 that the pattern can search,
// or a reason; never a crash, a hang or a leak. The attachments of the kinds
// read go to those modules in this process, as in the reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "book/text.h"
#include "reading/formats/format.h"
#include "search/document_search.h"
#include "search/search_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const tavelo::SearchPattern pattern("fac.ure|caf\u00E9", {});
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tavelo::DocumentText text;
    std::string reason;
    if (tavelo::ReadDocumentText(tavelo::DocumentKind::kMail, {bytes, {}}, text, reason)) {
        if (!tavelo::IsValidUtf8(text.Body()))
            __builtin_trap();
        tavelo::MatchesText(text, pattern);
    } else if (reason.empty()) {
        __builtin_trap();
    }
    return 0;
}
