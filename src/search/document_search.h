#pragma once
// Whether the search pattern occurs inside the document files of a subject.

#include <string>
#include <string_view>
#include <vector>

#include "search/search_progress.h"

namespace tavelo {

class CTenorels;
class SearchPattern;

// The readers, chosen by the document's extension compared exactly (case
// counts): "txt", "rtf", "pdf", "doc", "xls". Anything else is never opened.
enum class DocumentKind { kOther, kText, kRtf, kPdf, kWord, kSpreadsheet };
DocumentKind KindOfExtension(std::string_view extension);

struct DocumentMatch {
    enum Status { kNotFound, kFound, kUnreadable };
    Status status = kNotFound;
    std::string reason; // French, for kUnreadable
};

// Text and RTF files and PDF pages are searched with the compiled pattern and
// all its options; Word documents with the word sought literally, and
// workbooks cell by cell with the spreadsheet's wildcards, both without regard
// to case. No file is changed or locked.
DocumentMatch SearchDocumentFile(const std::string& path, DocumentKind kind, const SearchPattern& pattern);

// Text and RTF content already in memory, as SearchDocumentFile searches it.
bool SearchTextBytes(std::string_view bytes, const SearchPattern& pattern);
bool SearchRtfBytes(std::string_view bytes, const SearchPattern& pattern);

// The subject's documents in order until one holds the pattern. Documents
// that cannot be read count as not matching, are appended to `unreadable` and
// reported to `progress`.
bool SearchDocumentContents(const CTenorels& subject, const SearchPattern& pattern, SearchProgress* progress,
                            std::vector<UnreadableDocument>& unreadable);

} // namespace tavelo
