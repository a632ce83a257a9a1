#include "reading/text_decoding.h"

#include "book/text.h"

namespace tavelo {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

void DecodeUtf16(std::string_view bytes, bool bigEndian, std::string& out)
{
    std::u16string units;
    units.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(bytes[2 * i]);
        const auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0));
    }
    out = Utf16ToUtf8(units);
    if (bytes.size() % 2 != 0)
        AppendUtf8(out, U'\uFFFD');
}

} // namespace

std::string_view DecodeTextFile(std::string_view bytes, std::string& storage)
{
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        const std::string_view body = bytes.substr(3);
        if (IsValidUtf8(body))
            return body;
        storage.clear();
        storage.reserve(body.size());
        for (std::size_t pos = 0; pos < body.size();)
            AppendUtf8(storage, DecodeUtf8(body, pos));
        return storage;
    }
    if (StartsWith(bytes, "\xFF\xFE")) {
        DecodeUtf16(bytes.substr(2), false, storage);
        return storage;
    }
    if (StartsWith(bytes, "\xFE\xFF")) {
        DecodeUtf16(bytes.substr(2), true, storage);
        return storage;
    }
    if (IsValidUtf8(bytes))
        return bytes;
    storage = Cp1252ToUtf8(bytes);
    return storage;
}

bool LooksLikeRtf(std::string_view bytes)
{
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    return StartsWith(bytes, "{\\rtf");
}

} // namespace tavelo
