// The text cache's row of the state of every file and text, as a search reads
// it from the cache's file, which may be damaged: any bytes decode or are
// refused without a fault; what decodes is sorted, each key once, each
// reason one of those kept, and encodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>

#include "reading/text_cache_sqlite.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavelo::text_cache_sql;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tavelo::TextCache::KnownFiles known;
    if (!DecodeKnown(bytes, known)) {
        if (!known.files.empty() || !known.texts.empty() || !known.reasons.empty())
            __builtin_trap();
        return 0;
    }
    for (std::size_t i = 1; i < known.files.size(); ++i) {
        const auto& a = known.files[i - 1];
        const auto& b = known.files[i];
        if (!(std::tie(a.device, a.inode, a.kind) < std::tie(b.device, b.inode, b.kind)))
            __builtin_trap();
    }
    for (std::size_t i = 0; i < known.texts.size(); ++i) {
        const auto& text = known.texts[i];
        if ((i > 0 && !(known.texts[i - 1].id < text.id)) || text.reason < -1 ||
            (text.reason >= 0 && static_cast<std::size_t>(text.reason) >= known.reasons.size()))
            __builtin_trap();
    }
    if (EncodeKnown(known) != bytes)
        __builtin_trap();
    return 0;
}
