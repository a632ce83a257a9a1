#pragma once
// Whether the search pattern occurs in what was read out of a document.

#include <string>
#include <string_view>

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

// The French message for a document that could not be searched.
std::string UnreadableDocumentMessage(const std::string& path, const std::string& reason);

// Each piece by its own rule: text, RTF, PDF pages and scans with the compiled
// pattern and all its options; word-processor text with the word sought
// literally, and workbook cells with the spreadsheet's wildcards, both without
// regard to case. Throws std::runtime_error when a match is too complex for
// the regular-expression library.
bool MatchesText(const DocumentText& text, const SearchPattern& pattern);

// Plain text in its file's bytes (decoded as DecodeTextFile does).
bool SearchTextBytes(std::string_view bytes, const SearchPattern& pattern);

// Non-zero when the pattern occurs in the PDF document at `path`; zero when it
// does not or the file cannot be read. The document is read by a reader
// process.
int FindWord(const SearchPattern* pattern, const char* path);

} // namespace tavelo
