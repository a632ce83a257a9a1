#pragma once
// The quick search over one book: every word of the query in the subjects'
// names, general titles and expected texts, the documents' file names and
// their texts as the text cache holds them. The cache's word index says which
// texts hold which words; a hit that the index cannot decide exactly (a
// prefix, a reference) is confirmed on the text itself.
//
// It works on a copy of the book's texts and paths taken when it is made, so
// that it can run on a thread of its own while the book changes.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "book/book_file.h"
#include "reading/document_text.h"
#include "reading/kinds.h"
#include "reading/text_cache.h"
#include "search/query/query.h"

namespace tavelo {

class TextSource;

struct QuickHit {
    std::size_t subject = 0; // its place in the book
    int document = -1;       // its place in the subject; -1: the subject's own fields
    unsigned where = 0;      // query::FieldKind bits of the own fields that hold a word
    std::size_t hits = 0;    // occurrences of the query's words in the own fields
    // The hit was checked on its texts: `hits` and `extract` are known.
    bool confirmed = false;
    query::Extract extract;
    // The word index counted the query's hits in the document's text and
    // said where the first is, so that confirming it folds only its extract.
    std::optional<TextCache::WordHits> textHits;
};

struct QuickResult {
    std::vector<QuickHit> hits;        // in book order
    std::vector<std::size_t> subjects; // with a hit, in book order, each once
    std::size_t documentHits = 0;
    // Documents of a kind that is read whose text the cache does not hold yet:
    // only their names were searched.
    std::size_t unread = 0;
};

class QuickSearch {
public:
    QuickSearch(const SubjectList& subjects, TextCache& cache);
    // With the source's cache, which may be opening still: the documents are
    // looked at meanwhile.
    QuickSearch(const SubjectList& subjects, TextSource& source);

    // Looks at each document's size and date again and finds its text in the
    // cache; done when it is made, and when a search starts.
    void Refresh();

    std::size_t SubjectCount() const { return m_subjects.size(); }
    std::size_t DocumentCount() const;
    // The documents whose text the cache does not hold, as (subject, document).
    std::vector<std::pair<std::size_t, int>> Unread() const;

    // Reads the documents whose text the cache lacks, with `source` (plain
    // text in this process, the rest by its reader processes), and keeps
    // their texts in the cache. `progress(done, total)` after each; stops
    // soon when `cancel` is set. The texts count from the next Refresh.
    void ReadMissing(TextSource& source, const std::atomic<bool>* cancel = nullptr,
                     const std::function<void(std::size_t, std::size_t)>& progress = {}, unsigned threads = 0);

    QuickResult Find(const query::Query& query);

    // Checks a hit on its texts, counts its words and makes its extract;
    // false when it does not match after all.
    bool Confirm(const query::Query& query, QuickHit& hit);

    // The text of a document as the cache holds it.
    std::optional<DocumentText> Text(std::size_t subject, int document);

    // Best first: a query's words in a document's name or in its subject's
    // name before words found only in the text, then by the number of hits;
    // book order between equals. Confirms the hits first.
    void Rank(const query::Query& query, std::vector<QuickHit>& hits);

    const std::string& GeneralTitle(std::size_t subject) const { return m_subjects[subject].title.text; }
    const std::string& SubjectName(std::size_t subject) const { return m_subjects[subject].name.text; }
    const std::string& DocumentPath(std::size_t subject, int document) const
    {
        return m_subjects[subject].documents[static_cast<std::size_t>(document)].path;
    }

private:
    // Looks the documents up in the cache; `meanwhile` runs on this thread
    // while they are looked at on disk.
    void LookUpDocuments(const std::function<void()>& meanwhile, TextSource* opening = nullptr);
    // Copies the book and looks its documents up.
    void Copy(const SubjectList& subjects, TextSource* opening);
    struct Folded {
        std::string text;
        std::vector<query::Word> words;
        void Set(std::string value);
        query::Field As(query::FieldKind kind) const { return {kind, text, words}; }
    };
    struct Document {
        std::string path;
        Folded fileName;
        DocumentKind kind = DocumentKind::kOther;
        std::int64_t textId = 0; // 0: no text known
        bool unreadable = false; // the cache knows it cannot be read
    };
    struct Subject {
        Folded name, title, expected;
        std::vector<Document> documents;
    };
    // The texts the word index counted hits in (sorted), and those hits.
    struct CountedTexts {
        std::vector<std::int64_t> ids;
        std::vector<TextCache::WordHits> hits;
        const TextCache::WordHits* Of(std::int64_t textId) const;
    };
    // What the word index says of one clause.
    struct ClauseTexts {
        std::vector<std::int64_t> ids; // sorted
        bool known = false;            // the index answered
        bool exact = false;            // the index's answer is the match itself
        // How many times each text holds the clause, when the index can say
        // it as the text would (see CountedByIndex): asked when first needed.
        bool counted = false;
        std::string asked; // the clause as the index is asked it
        bool hitsAsked = false;
        std::optional<CountedTexts> hits;
    };

    // Each clause's texts; with `together`, when the index counts, the texts
    // that hold every positive clause and their hits counted together.
    std::vector<ClauseTexts> AskIndex(const query::Query& query, std::int64_t& indexedUpTo,
                                      std::optional<CountedTexts>& together);
    // The index's hits of `wordQuery`; nothing when it cannot say.
    std::optional<CountedTexts> CountedBy(const std::string& wordQuery, std::int64_t& upTo);
    // The hits the index counts in a document's text, whose clauses are
    // `inText`; false when it cannot say.
    bool CountTextHits(const query::Query& query, std::vector<ClauseTexts>& index,
                       const std::optional<CountedTexts>& together, const std::vector<char>& inText,
                       std::int64_t textId, TextCache::WordHits& counted);
    bool Evaluate(const query::Query& query, const Subject& subject, const Document& document, QuickHit& hit,
                  bool confirm);

    TextCache* m_cache;
    std::vector<Subject> m_subjects;
};

// The word index's query for a term: its words, as a phrase, or a superset of
// the texts where it can match; `exact` says which.
std::string WordIndexQuery(const query::Term& term, bool& exact);

// Whether the word index's count of a query's phrases in a text is the count
// of its hits there: every term decided exactly by the index, no prefix, and
// no word sought twice (two terms' hits would then overlap, and a phrase
// whose end repeats its beginning would overlap itself).
bool CountedByIndex(const query::Query& query);

} // namespace tavelo
