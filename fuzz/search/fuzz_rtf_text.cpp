// Any bytes given to the RTF and text decoders give valid UTF-8 that the
// pattern can search, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "book/text.h"
#include "reading/formats/format.h"
#include "reading/formats/rtf.h"
#include "reading/text_decoding.h"
#include "search/document_search.h"
#include "search/search_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const tavelo::SearchPattern pattern("fac.ure|caf\u00E9", {});
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = tavelo::RtfToText(bytes);
    if (!tavelo::IsValidUtf8(text))
        __builtin_trap();
    std::string storage;
    if (!tavelo::IsValidUtf8(tavelo::DecodeTextFile(bytes, storage)))
        __builtin_trap();
    tavelo::DocumentText read;
    std::string reason;
    if (tavelo::ReadDocumentText(tavelo::DocumentKind::kRtf, {bytes, {}}, read, reason))
        tavelo::MatchesText(read, pattern);
    tavelo::SearchTextBytes(bytes, pattern);
    return 0;
}
