#pragma once
// The text a browser shows of an HTML page: for saved web pages and for the
// HTML parts of e-mails.

#include <string>
#include <string_view>

#include "reading/formats/format.h"

namespace tavelo {

// Past this depth of nested elements a page is refused: browsers stop nesting
// there too, and the parser's cost grows with the depth.
inline constexpr int kMaxHtmlDepth = 512;

// Adds the page's title and its text to the sink, each as one piece matched
// with the pattern: entities decoded, scripts, styles, templates and comments
// left out, block elements, table cells and line breaks kept apart so that
// words never run together, runs of white space made one. The character set
// is the byte-order mark's, else `charset` (what the page came with: a mail
// part's parameter; may be empty), else the page's own <meta>, else UTF-8
// when the bytes are valid UTF-8, Windows-1252 otherwise (as browsers do).
// False with a French reason when the page cannot be read.
bool ReadHtmlPage(std::string_view bytes, std::string_view charset, TextSink& sink, std::string& reason);

// The character set a page declares in a <meta> element near its start (the
// charset attribute, or the charset of an http-equiv Content-Type); empty
// when it declares none.
std::string MetaCharset(std::string_view bytes);

} // namespace tavelo
