#pragma once
// Text in a named character set (a page's <meta charset>, a mail part's
// charset parameter) decoded to UTF-8, with the names as browsers and mail
// readers understand them.

#include <string>
#include <string_view>

namespace tavelo {

// The bytes decoded from the character set of that name (any name or alias
// ICU knows, case-insensitive). "iso-8859-1", "us-ascii" and their aliases
// are read as Windows-1252, as browsers and mail readers do: the bytes 80-9F
// are the typographic characters those files really hold. With an empty or
// unknown name, the bytes are decoded as a text file (byte-order mark, UTF-8
// when valid, Windows-1252 otherwise). Invalid sequences become U+FFFD: the
// result is always valid UTF-8.
std::string DecodeCharset(std::string_view bytes, std::string_view charset);

// Whether the name is one DecodeCharset knows.
bool IsKnownCharset(std::string_view charset);

// Whether the name means UTF-16 (which a page cannot declare of itself: it
// would not have been read that far).
bool IsUtf16Charset(std::string_view charset);

} // namespace tavelo
