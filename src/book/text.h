#pragma once
// Conversions between the program's UTF-8 texts and the encodings found in book
// files and documents: Windows-1252 (the book file's 8-bit code page) and UTF-16.

#include <optional>
#include <string>
#include <string_view>

namespace tavelo {

// The Windows-1252 bytes of a UTF-8 text, or nothing when some character has no
// Windows-1252 byte. The five bytes that Windows-1252 leaves undefined (81, 8D,
// 8F, 90, 9D) stand for the C1 controls of the same value, so that any byte
// string read from a file is written back unchanged.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);
// The same into a buffer the caller reuses; false (and `out` unspecified) when
// some character does not fit.
bool Utf8ToCp1252(std::string_view utf8, std::string& out);

// Every byte is a character: the result is always valid UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);
void AppendCp1252AsUtf8(std::string& out, std::string_view bytes);

// The length of the leading run of ASCII bytes.
std::size_t AsciiPrefixLength(std::string_view bytes);

// Invalid UTF-8 sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

bool IsValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point (U+FFFD for surrogates and values past U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

// Decodes the code point at `pos` and advances `pos`; U+FFFD (one byte consumed)
// for an invalid sequence.
char32_t DecodeUtf8(std::string_view utf8, std::size_t& pos);

} // namespace tavelo
