// Any bytes given to the image reader's header checks and decoders are either
// refused with a reason or decoded to no more than the header promised, never
// a crash, a hang or an allocation past the page budget. Recognition itself
// is left out: it reads decoded pixels, not the file's bytes, and takes
// seconds a page.
#include <cstddef>
#include <cstdint>
#include <string>

#include "reading/formats/image_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tavelo::ImagePages pages;
    std::string reason;
    if (!pages.Open(bytes, reason)) {
        if (reason.empty())
            __builtin_trap();
        return 0;
    }
    for (std::size_t i = 0; i < pages.Count(); ++i) {
        reason.clear();
        const tavelo::PixPtr page = pages.Decode(i, reason);
        if (!page && reason.empty())
            __builtin_trap();
    }
    return 0;
}
