#pragma once
// The search pattern: the user's word compiled once per search into a regular
// expression over UTF-8 (ICU case folding, so "é" finds "É" unless case is
// respected), plus the two literal forms that word-processor and spreadsheet
// documents are searched with.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "reading/document_text.h"
#include "search/literal_filter.h"

namespace tavelo {

// A word that does not compile under the chosen options; what() is the French
// message to show.
class PatternError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SearchOptions {
    bool wholeWord = false; // "Mot entier uniquement"
    bool matchCase = false; // "Respecter la casse"
    // "Ignorer les accents": accents and ligatures folded on both sides
    // before the pattern is matched ("impot" finds "IMPÔT", "oeuvre" "Œuvre").
    bool ignoreAccents = false;
};

// The pattern text: the word as typed, or "\b(" word ")\b" for a whole word.
// The word is not escaped: its characters keep their meaning in the syntax.
std::string BuildPatternText(std::string_view word, bool wholeWord);

// Rewrites a pattern text written for the case-insensitive option set (no
// Perl extensions, no counted repeats, no back-references, no class names,
// backslash literal inside brackets) into the Perl syntax that the regular
// expression library compiles, so that those characters stay literal while
// groups, alternation, the repeats * + ?, the dot, bracket sets, the anchors
// and the word-boundary escapes keep their meaning.
std::string TranslateCaseInsensitiveSyntax(std::string_view patternText);

class SearchPattern {
public:
    // Throws PatternError when the word is not a valid expression.
    SearchPattern(std::string_view word, SearchOptions options);
    ~SearchPattern();
    SearchPattern(SearchPattern&&) noexcept;
    SearchPattern& operator=(SearchPattern&&) noexcept;

    const std::string& Word() const { return m_word; }
    const std::string& PatternText() const { return m_patternText; }
    SearchOptions Options() const { return m_options; }

    // Whether the pattern occurs anywhere in the text (unanchored). Invalid
    // UTF-8 sequences in the text are read as U+FFFD. Throws
    // std::runtime_error when the match is too complex for the library.
    bool Search(std::string_view utf8) const;
    // As Search, for a text already known to be valid UTF-8 (no copy, no check).
    bool SearchValidUtf8(std::string_view utf8) const;

    // The word sought literally and without regard to case, as a word
    // processor's find does; for a whole word, not inside a longer word.
    bool SearchLiteral(std::string_view validUtf8) const;
    // The word sought in a spreadsheet cell, without regard to case, with the
    // spreadsheet's wildcards: '*' any run of characters, '?' one character,
    // '~' before one of "*?~" makes it literal.
    bool SearchCell(std::string_view validUtf8) const;

    // False only when Search cannot match a text whose bytes these are, in
    // UTF-8 or Windows-1252: a quick test before any decoding.
    bool MayMatchBytes(std::string_view bytes) const
    {
        return m_options.ignoreAccents || m_patternFilter.MayMatch(bytes);
    }
    // True only when Search matches a text whose bytes these are, in UTF-8
    // without a byte order mark or in Windows-1252: for a word of ASCII
    // characters meant as such, finding it is the match.
    bool SurelyMatchesBytes(std::string_view bytes) const { return m_sure && m_patternFilter.MayMatch(bytes); }
    // The same quick tests for SearchLiteral and SearchCell.
    bool MayMatchLiteral(std::string_view bytes) const
    {
        return m_options.ignoreAccents || m_literalFilter.MayMatch(bytes);
    }
    bool MayMatchCell(std::string_view bytes) const { return m_options.ignoreAccents || m_cellFilter.MayMatch(bytes); }

    // Where the pattern matches in a valid UTF-8 text, as [begin, end) byte
    // offsets, left to right and without overlap, by the rule of the
    // application that would search it: the pattern (`kPattern`), the word
    // literally (`kWordProcessor`) or the cell's wildcards (`kCell`, where the
    // whole text is one cell). At most `limit` matches; an empty match is
    // skipped. Throws std::runtime_error when a match is too complex.
    std::vector<std::pair<std::size_t, std::size_t>> Matches(std::string_view validUtf8, MatchRule rule,
                                                             std::size_t limit = 10000) const;

    // Texts of ASCII characters such that every match, by any of the three
    // ways above, contains one of them without regard to case; empty when no
    // such text of three characters or more exists (the pattern must then be
    // run on every text).
    std::vector<std::string> RequiredLiterals() const;

private:
    struct Compiled;
    bool SearchFolded(std::string_view validUtf8, MatchRule rule) const;
    // The rule's filter, then what it answers alone, then its expression.
    bool SearchBy(std::string_view validUtf8, MatchRule rule) const;
    const LiteralFilter& FilterFor(MatchRule rule) const;
    std::vector<std::pair<std::size_t, std::size_t>> MatchesIn(std::string_view validUtf8, MatchRule rule,
                                                               std::size_t limit) const;
    std::string m_word;
    std::string m_patternText;
    SearchOptions m_options;
    std::unique_ptr<Compiled> m_compiled;
    LiteralFilter m_patternFilter;
    // The filter's run is the whole pattern, every character of it literal:
    // what the filter finds, the pattern matches.
    bool m_sure = false;
    LiteralFilter m_literalFilter;
    LiteralFilter m_cellFilter;
    // The same for the word processors' and the spreadsheets' find, whose
    // expressions are the word as written, case ignored.
    bool m_literalSure = false;
    bool m_cellSure = false;
};

} // namespace tavelo
