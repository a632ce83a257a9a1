#pragma once
// Plain-text documents decoded to UTF-8: for the search and the preview.

#include <string>
#include <string_view>

namespace tavelo {

// The bytes of a text file as UTF-8: a byte-order mark says UTF-8, UTF-16LE or
// UTF-16BE (the mark itself is dropped); without one the bytes are UTF-8 when
// they are valid UTF-8, Windows-1252 otherwise. NUL bytes are kept as
// characters. When the bytes are already valid UTF-8 without a mark, the
// result is a view of `bytes` and `storage` is untouched; otherwise the text
// is decoded into `storage`. The result is always valid UTF-8.
std::string_view DecodeTextFile(std::string_view bytes, std::string& storage);

// Whether the bytes are an RTF document ("{\rtf" at the start, after any
// UTF-8 byte-order mark).
bool LooksLikeRtf(std::string_view bytes);

} // namespace tavelo
