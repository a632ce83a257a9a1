#pragma once
// The text of a Word 97-2003 document (.doc): the "WordDocument" stream of the
// OLE2 compound file, its File Information Block, and the piece table (CLX) in
// the table stream, which says where each run of characters is stored,
// compressed (one Windows-1252 byte per character) or UTF-16LE.

#include <optional>
#include <string>
#include <string_view>

namespace tavelo {

// Upper bound on the characters taken from one document, against piece
// tables that claim more text than any real document holds.
inline constexpr std::size_t kMaxWordCharacters = std::size_t{32} << 20;

// The document's text as valid UTF-8, in character-position order over all
// pieces (main text, then footnotes, headers and the other stories). Paragraph,
// line, page and section ends become line feeds, cell ends tabs; field codes
// (between field begin and separator) are left out and field results kept;
// other control characters are dropped. Nothing when the bytes are not a
// readable Word 97+ document; `reason` then holds a French explanation.
std::optional<std::string> ReadWordText(std::string_view fileBytes, std::string& reason);

} // namespace tavelo
