// A folder's row of the paths last seen, as the text cache reads it from its
// file, which may be damaged: any bytes decode or are refused without a
// fault, and what decodes is sorted, each name once, and encodes back to
// bytes that decode to the same files.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "reading/text_cache_sqlite.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavelo::text_cache_sql;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<SeenFile> files;
    if (!DecodeSeen(bytes, files))
        return 0;
    for (std::size_t i = 1; i < files.size(); ++i)
        if (!(files[i - 1].name < files[i].name))
            __builtin_trap();
    std::vector<SeenFile> again;
    if (!DecodeSeen(EncodeSeen(files), again) || again.size() != files.size())
        __builtin_trap();
    for (std::size_t i = 0; i < files.size(); ++i)
        if (again[i].name != files[i].name || again[i].known.size != files[i].known.size ||
            again[i].known.hash != files[i].known.hash)
            __builtin_trap();
    return 0;
}
