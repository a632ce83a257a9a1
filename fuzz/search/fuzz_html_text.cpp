// Any bytes given as a web page, with or without a character set from a mail
// part, give valid UTF-8 that the pattern can search, or a reason; never a
// crash, a hang or a leak.
#include <cstddef>
#include <cstdint>
#include <string>

#include "book/text.h"
#include "reading/formats/html.h"
#include "search/document_search.h"
#include "search/search_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const tavelo::SearchPattern pattern("fac.ure|caf\u00E9", {});
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first byte picks the character set the page comes with.
    static const char* const charsets[] = {"", "", "utf-8", "windows-1252", "koi8-r", "shift_jis", "utf-16le", "x"};
    const char* charset = size > 0 ? charsets[data[0] % 8] : "";
    tavelo::CollectingSink sink;
    std::string reason;
    if (tavelo::ReadHtmlPage(bytes, charset, sink, reason)) {
        if (!tavelo::IsValidUtf8(sink.Text().Body()))
            __builtin_trap();
        tavelo::MatchesText(sink.Text(), pattern);
    } else if (reason.empty()) {
        __builtin_trap();
    }
    tavelo::MetaCharset(bytes);
    return 0;
}
