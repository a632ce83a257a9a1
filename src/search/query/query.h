#pragma once
// The quick search's query language, the same in the window and in
// `tavelo-cli find`:
//
//   edf 2023          every word, in any order, anywhere in the document or
//                     in its subject's name, general title or expected text
//   "taxe foncière"   the words adjacent and in that order, whatever signs
//                     or line breaks stand between them
//   -brouillon        leaves out what holds the word
//   fonci*            a word that begins so
//   edf OR engie      either word
//
// Words are folded (see folding.h) on both sides, and a plural meets its
// singular. A word with digits is a reference: "FA-2023-0042", or an IBAN
// typed with or without its spaces, also matches the same characters written
// with other thin signs between them, or none.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/query/folding.h"

namespace tavelo::query {

// A query that cannot be read; what() is the French message to show.
class QueryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Term {
    // Folded words: one for a word, several for a phrase or a word written
    // with signs inside ("d'impôt", "FA-2023-0042").
    std::vector<std::string> words;
    // The last word is a prefix ("fonci*").
    bool prefix = false;
    // A reference's characters without the signs between them; it then also
    // matches as one run of words joined by thin signs.
    std::string compact;
    // Several references typed apart ("FR76 3000 6000"): each may also stand
    // anywhere on its own, as separate words would.
    bool scattered = false;
};

struct Clause {
    std::vector<Term> either; // one, or the alternatives of OR
    bool excluded = false;
};

struct Query {
    std::vector<Clause> clauses;

    bool HasPositive() const;
    // The folded words sought, for marking and for extracts.
    std::vector<std::string> PositiveWords() const;
};

// More words than this in one query is a paste, not a question.
inline constexpr std::size_t kMaxWords = 64;

// Throws QueryError for an unbalanced quote or too many words. A query made
// of signs only, or of a lone "-", has no clause.
Query ParseQuery(std::string_view text);

// Where a text stands for the search.
enum FieldKind : unsigned {
    kFieldName = 1u << 0,         // the subject's name
    kFieldGeneralTitle = 1u << 1, // its general title
    kFieldExpected = 1u << 2,     // its expected text
    kFieldFileName = 1u << 3,     // a document's file name
    kFieldContents = 1u << 4,     // a document's text
};

struct Field {
    FieldKind kind;
    std::string_view text;
    std::span<const Word> words;
};

using Spans = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// Where a term occurs in a field, as byte offsets in the field's text, left to
// right; at most `limit`.
Spans TermSpans(const Term& term, const Field& field, std::size_t limit = SIZE_MAX);
bool TermOccurs(const Term& term, const Field& field);

struct Evaluation {
    bool matches = false;
    unsigned where = 0;      // the own fields in which a positive clause occurs
    std::size_t hits = 0;    // occurrences of the positive terms in the own fields
    unsigned ownClauses = 0; // positive clauses found in the own fields
};

// A hit's own fields (a document's file name and text; a subject's own fields
// for the subject itself), and those it takes from where it is filed (a
// document's subject). It matches when every positive clause occurs in one of
// them, one at least in its own, and no excluded clause in any.
Evaluation Evaluate(const Query& query, std::span<const Field> own, std::span<const Field> inherited = {});

// Every occurrence of the positive terms in one field, merged, left to right.
Spans QuerySpans(const Query& query, const Field& field, std::size_t limit = 10000);

struct Extract {
    std::string text;   // whitespace folded to single spaces
    Spans marks;        // the hits, as byte offsets in `text`
};

// The text around the first of `spans` in `text`: about `before` bytes before
// and `after` after, cut at word boundaries, "…" where it is cut.
Extract MakeExtract(std::string_view text, const Spans& spans, std::size_t before = 60, std::size_t after = 120);

} // namespace tavelo::query
