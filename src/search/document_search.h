#pragma once
// Whether the search pattern occurs in what was read out of a document.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reading/document_text.h"
#include "reading/kinds.h"
#include "reading/text_source.h"

namespace tavelo {

class SearchPattern;

struct DocumentMatch {
    enum Status { kNotFound, kFound, kUnreadable, kCancelled };
    Status status = kNotFound;
    std::string reason; // French, without the document's name, for kUnreadable
};

// What a read document says about the pattern: found or not, or why it could
// not be searched.
DocumentMatch MatchRead(const DocumentRead& read, DocumentKind kind, const SearchPattern& pattern);

// One document read through `source` and searched.
DocumentMatch SearchDocumentFile(const std::string& path, DocumentKind kind, const SearchPattern& pattern,
                                 TextSource& source = DefaultTextSource(), const ReadContext& context = {});

// A reason given by a reader, in the user's language: whole, or as a
// translated reason followed by " : " and a detail left as it is.
std::string TranslateReason(const std::string& reason);

// The message, in the user's language, for a document that could not be searched.
std::string UnreadableDocumentMessage(const std::string& path, const std::string& reason);

// Each piece by its own rule: text, RTF, PDF pages and scans with the compiled
// pattern and all its options; word-processor text with the word sought
// literally, and workbook cells with the spreadsheet's wildcards, both without
// regard to case. Throws std::runtime_error when a match is too complex for
// the regular-expression library.
bool MatchesText(const DocumentText& text, const SearchPattern& pattern);

// Where the preview shows hits: [begin, end) offsets, left to right.
using HitSpans = std::vector<std::pair<std::size_t, std::size_t>>;
inline constexpr std::size_t kMaxShownHits = 10000;

// Every match in a read document, each piece by its rule, as byte offsets in
// its body; at most `limit`. A match too complex for the regular-expression
// library ends the list there.
HitSpans FindHits(const DocumentText& text, const SearchPattern& pattern, std::size_t limit = kMaxShownHits);

// The matches of the pattern itself in a text of UTF-16 units, as a text view
// holds it, as offsets in those units. A lone surrogate reads as U+FFFD.
HitSpans FindHitsUtf16(std::u16string_view text, const SearchPattern& pattern, std::size_t limit = kMaxShownHits);

// Byte offsets in a valid UTF-8 text made offsets in its UTF-16 units; `spans`
// must be in order and within the text.
HitSpans Utf8SpansToUtf16(std::string_view utf8, const HitSpans& spans);

// Plain text in its file's bytes (decoded as DecodeTextFile does).
bool SearchTextBytes(std::string_view bytes, const SearchPattern& pattern);

// Non-zero when the pattern occurs in the PDF document at `path`; zero when it
// does not or the file cannot be read. The document is read by a reader
// process.
int FindWord(const SearchPattern* pattern, const char* path);

} // namespace tavelo
