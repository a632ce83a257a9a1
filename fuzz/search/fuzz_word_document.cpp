// Any bytes given to the Word 97 reader give a text or a reason, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "book/text.h"
#include "reading/formats/word.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string reason;
    const auto text = tavelo::ReadWordText(std::string_view(reinterpret_cast<const char*>(data), size), reason);
    if (text && !tavelo::IsValidUtf8(*text))
        __builtin_trap();
    if (!text && reason.empty())
        __builtin_trap();
    return 0;
}
