#pragma once
// How the quick search sees a text: a sequence of words, each folded the way
// people type it. Case, accents and other marks go; ligatures are spelled out
// (œ = oe, æ = ae, ﬁ = fi, ß = ss); apostrophes, dashes, spaces and every other
// sign only separate words. Each word keeps where it stands in the original
// text, so that hits are marked and extracts shown as the text was written.
//
// The folding of each character comes from ICU (compatibility decomposition,
// marks removed, case folding, then Latin-ASCII for the letters that do not
// decompose), worked out once per character and kept.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavelo::query {

struct Word {
    std::string folded;
    // [begin, end): byte offsets of the word in the original UTF-8 text.
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    // The length of its singular (Stem), worked out once.
    std::uint32_t stem = 0;

    std::string_view Singular() const { return std::string_view(folded).substr(0, stem); }
};

// The words of a UTF-8 text, in order. Invalid sequences and NUL bytes
// separate words like any sign. A text over 4 GiB is cut there.
std::vector<Word> Words(std::string_view utf8);

// Calls visit(folded, begin, end) for each word; the view is valid during the
// call only.
void ForEachWord(std::string_view utf8, void (*visit)(void* context, std::string_view folded, std::uint32_t begin,
                                                      std::uint32_t end),
                 void* context);

// Where the word at `place` (0 for the first) begins; nothing when the text
// has fewer words.
std::optional<std::uint32_t> WordBegin(std::string_view utf8, std::size_t place);

// The folded words joined by one space.
std::string FoldedWords(std::string_view utf8);

// A French plural and its singular meet: a final "s" or "x" is dropped from a
// word of four letters or more that is not a number ("impôts" and "impôt",
// "taxes" and "taxe", "travaux" and "travau").
std::string_view Stem(std::string_view folded);

// A text whose letters lost their accents and ligatures, case and signs
// kept, for the described search's "Ignorer les accents": "Impôt" gives
// "Impot", "Œuvre" "OEuvre".
struct AccentFolded {
    std::string text;
    // The byte of the original text each byte of `text` comes from, and the
    // original's size last.
    std::vector<std::uint32_t> origin;

    // A span of `text` as a span of the original.
    std::pair<std::size_t, std::size_t> Original(std::size_t begin, std::size_t end) const;
};
AccentFolded FoldAccents(std::string_view utf8);

// Whether the folded word holds a digit (reference numbers, years, IBANs).
bool HasDigit(std::string_view folded);

} // namespace tavelo::query
