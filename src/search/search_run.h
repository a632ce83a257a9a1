#pragma once
// One search over the subjects of a book, in book order.

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "book/book_file.h"
#include "search/search_progress.h"

namespace tavelo {

class SearchPattern;
class TextSource;

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
    // The documents that could not be searched, in book order: those of each
    // subject up to the one that matched.
    std::vector<UnreadableDocument> unreadable;
    // The search was stopped before its end; nothing else here counts.
    bool cancelled = false;
    // Said once, whatever the number of documents concerned: the reader
    // program could not be used, the text cache could not.
    std::string readerNotice;
    std::string cacheWarning;
    // Documents not searched because no reader reads their kind, by
    // extension in lower case (the whole name for one without a dot).
    std::map<std::string, std::size_t> unreadKinds;
};

struct SearchEnvironment {
    // Where document texts come from; nullptr: the process's own, with the
    // user's cache (DefaultTextSource).
    TextSource* source = nullptr;
    SearchProgress* progress = nullptr;
    // Set from any thread to stop the search soon (readers at work are killed).
    const std::atomic<bool>* cancel = nullptr;
};

// The answer is the one a search of one document after the other gives; the
// documents are read several at a time.
SearchResult RunSearch(const SubjectList& subjects, const SearchPattern& pattern, unsigned scopes,
                       const SearchEnvironment& environment = {});

// Whether a search of `subjects` in `scopes` gains from the text cache: not
// when it reads no document, nor when every document it reads is plain text,
// read in the process, and too few for the cache's index to be asked; opening
// the cache then costs more than it can spare.
bool CacheServesSearch(const SubjectList& subjects, unsigned scopes);

// The message, translated, that lists the unreadable documents at the end of a
// search (the first ones, then how many others); empty when there is none.
std::string DescribeUnreadableDocuments(const std::vector<UnreadableDocument>& unreadable);

// How many documents were not searched because their kind is not read, and
// which kinds; empty when there is none.
std::string DescribeUnreadKinds(const std::map<std::string, std::size_t>& unreadKinds);

// The progress line while a page of a document is recognised from its image.
std::string RecognitionLine(const std::string& fileName, std::size_t page, std::size_t pages);

} // namespace tavelo
