#include "search/search_run.h"

#include "base/tr.h"
#include "search/document_search.h"
#include "search/search_pattern.h"

namespace tavelo {

namespace {

// Names, expected texts and file names come from books and are searched like
// any text; a match too complex for the library counts as no match.
bool SearchText(const SearchPattern& pattern, std::string_view text)
{
    try {
        return pattern.Search(text);
    } catch (const std::runtime_error&) {
        return false;
    }
}

bool MatchesOutsideContents(const CTenorels& subject, const SearchPattern& pattern, unsigned scopes)
{
    if ((scopes & kScopeSubjectNames) && SearchText(pattern, subject.GetSubjectName()))
        return true;
    if ((scopes & kScopeExpectedTexts) && SearchText(pattern, subject.GetExpectedText()))
        return true;
    if (scopes & kScopeDocumentNames) {
        for (int i = 0; i < subject.GetDocumentCount(); ++i)
            if (SearchText(pattern, subject.GetDocumentFileName(i)))
                return true;
    }
    return false;
}

} // namespace

SearchResult RunSearch(const SubjectList& subjects, const SearchPattern& pattern, unsigned scopes,
                       SearchProgress* progress)
{
    SearchResult result;
    const std::size_t count = subjects.size();
    for (std::size_t index = 0; index < count; ++index) {
        CTenorels& subject = *subjects[index];
        if (progress != nullptr)
            progress->SubjectStarted(subject, index, count);
        bool matched = MatchesOutsideContents(subject, pattern, scopes);
        if (!matched && (scopes & kScopeDocumentContents))
            matched = SearchDocumentContents(subject, pattern, progress, result.unreadable);
        if (matched)
            result.hits.push_back(&subject);
        if (progress != nullptr)
            progress->SubjectExamined(subject, index, count);
    }
    return result;
}

std::string DescribeUnreadableDocuments(const std::vector<UnreadableDocument>& unreadable)
{
    if (unreadable.empty())
        return {};
    std::string message =
        unreadable.size() == 1
            ? Tr("Search", "Un document n'a pas pu être lu pendant la recherche :\n")
            : Format(Tr("Search", "%1 documents n'ont pas pu être lus pendant la recherche :\n"), {std::to_string(unreadable.size())});
    for (const UnreadableDocument& doc : unreadable) {
        message += doc.message;
        message += '\n';
    }
    return message;
}

} // namespace tavelo
