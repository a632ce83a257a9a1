#pragma once
// One search over the subjects of a book, in book order.

#include <string>
#include <vector>

#include "book/book_file.h"
#include "search/search_progress.h"

namespace tavelo {

class SearchPattern;

// Where to look ("Zone de recherche"). The scopes are tried in the order
// name, expected text, document file names, document contents, and the first
// one that matches ends the tests of a subject.
enum SearchScope : unsigned {
    kScopeSubjectNames = 1u << 0,     // "Titres des sujets"
    kScopeDocumentNames = 1u << 1,    // "Titre des documents"
    kScopeExpectedTexts = 1u << 2,    // "Attendus"
    kScopeDocumentContents = 1u << 3, // "Documents des sujets"
    kScopeAll = 0xFu,
};

struct SearchResult {
    // The subjects found, in book order, each once. They belong to the book.
    std::vector<CTenorels*> hits;
    // The documents that could not be searched, in the order met.
    std::vector<UnreadableDocument> unreadable;
};

SearchResult RunSearch(const SubjectList& subjects, const SearchPattern& pattern, unsigned scopes,
                       SearchProgress* progress = nullptr);

// The French message that lists the unreadable documents at the end of a
// search; empty when there is none.
std::string DescribeUnreadableDocuments(const std::vector<UnreadableDocument>& unreadable);

} // namespace tavelo
