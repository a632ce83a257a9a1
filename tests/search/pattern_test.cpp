#include <cstdio>
#include <fstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "search/document_search.h"
#include "search/literal_filter.h"
#include "search/search_pattern.h"
#include "search/unicode/unicode_module.h"

namespace tavelo {
namespace {

bool Finds(std::string_view word, std::string_view text, bool matchCase = false, bool wholeWord = false)
{
    return SearchPattern(word, {wholeWord, matchCase}).Search(text);
}

TEST(SearchPattern, PatternTextWrapsAWholeWordWithoutEscaping)
{
    EXPECT_EQ(BuildPatternText("fact.re", false), "fact.re");
    EXPECT_EQ(BuildPatternText("a(b", true), "\\b(a(b)\\b");
    EXPECT_EQ(SearchPattern("Mot", {true, false}).PatternText(), "\\b(Mot)\\b");
}

TEST(SearchPattern, DotMatchesAnyCharacterAndCaseFollowsTheOption)
{
    EXPECT_TRUE(Finds("fact.re", "Facture EDF"));
    EXPECT_FALSE(Finds("fact.re", "Facture EDF", true));
    EXPECT_TRUE(Finds("Fact.re", "Facture EDF", true));
}

TEST(SearchPattern, AccentedLettersFoldWithoutMatchCase)
{
    EXPECT_TRUE(Finds("é", "ÉTÉ 2006"));
    EXPECT_TRUE(Finds("ÉLECTRICITÉ", "facture d'électricité"));
    EXPECT_TRUE(Finds("impôts", "IMPÔTS"));
    EXPECT_FALSE(Finds("é", "ÉTÉ", true));
    EXPECT_FALSE(Finds("e", "été"));
}

TEST(SearchPattern, WholeWordTreatsHyphenAsABoundary)
{
    EXPECT_TRUE(Finds("Mot", "un Mot-clé", false, true));
    EXPECT_FALSE(Finds("Mot", "un Motif", false, true));
    EXPECT_TRUE(Finds("Mot", "un Motif"));
    EXPECT_TRUE(Finds("clé", "Mot-clé", false, true));
    EXPECT_FALSE(Finds("cl", "Mot-clé", false, true));
}

TEST(SearchPattern, BracesAreCountsOnlyWithMatchCase)
{
    EXPECT_TRUE(Finds("a{2}", "baab", true));
    EXPECT_FALSE(Finds("a{2}", "ba{2}b", true));
    EXPECT_TRUE(Finds("a{2}", "ba{2}b"));
    EXPECT_FALSE(Finds("a{2}", "baab"));
}

TEST(SearchPattern, TrailingSpaceIsPartOfTheWord)
{
    EXPECT_FALSE(Finds("EDF ", "Facture EDF"));
    EXPECT_TRUE(Finds("EDF ", "EDF 2006"));
}

TEST(SearchPattern, CaseInsensitiveSetKeepsItsOperators)
{
    EXPECT_TRUE(Finds("gaz|eau", "Facture EAU"));
    EXPECT_TRUE(Finds("^fac", "Facture"));
    EXPECT_FALSE(Finds("^ture", "Facture"));
    EXPECT_TRUE(Finds("ture$", "Facture"));
    EXPECT_TRUE(Finds("fa(c)+ture", "FACCTURE"));
    EXPECT_TRUE(Finds("x?facture", "facture"));
    EXPECT_TRUE(Finds("[a-c]ture", "fACTURE"));
    EXPECT_TRUE(Finds("[^x]ture", "facture"));
    EXPECT_TRUE(Finds("\\bfac", "la facture"));
    EXPECT_FALSE(Finds("\\bact", "la facture"));
}

TEST(SearchPattern, CaseInsensitiveSetMakesPerlSyntaxLiteral)
{
    // A backslash inside brackets is one of the set's characters.
    EXPECT_TRUE(Finds("[\\d]", "a\\b"));
    EXPECT_FALSE(Finds("[\\d]", "2006"));
    // Class names are not recognised: "[[:digit:]]" is the set "[:digt" then "]".
    EXPECT_FALSE(Finds("[[:digit:]]", "2006"));
    EXPECT_TRUE(Finds("[[:digit:]]", "d]"));
    // No back-references: "\1" is the digit.
    EXPECT_TRUE(Finds("(a)\\1", "A1"));
    EXPECT_FALSE(Finds("(a)\\1", "aa"));
    EXPECT_TRUE(Finds("(a)\\1", "aa", true));
    // No Perl extensions: "(?" is a group holding a literal question mark.
    EXPECT_TRUE(Finds("(?i)", "(?i)"));
    // A repeat after a repeat repeats the repeat: no lazy or possessive forms.
    EXPECT_TRUE(Finds("a++a", "aa"));
    EXPECT_FALSE(Finds("a++a", "aa", true));
    EXPECT_TRUE(Finds("ab*?c", "abbc"));
    // An escaped operator is that character.
    EXPECT_TRUE(Finds("fact\\.re", "fact.re"));
    EXPECT_FALSE(Finds("fact\\.re", "facture"));
}

TEST(SearchPattern, TranslationOfTheCaseInsensitiveSyntax)
{
    EXPECT_EQ(TranslateCaseInsensitiveSyntax("a{2}"), "a\\{2\\}");
    EXPECT_EQ(TranslateCaseInsensitiveSyntax("[\\w[:x:]]"), "[\\\\w\\[:x:]]");
    EXPECT_EQ(TranslateCaseInsensitiveSyntax("[]a]"), "[\\]a]");
    EXPECT_EQ(TranslateCaseInsensitiveSyntax("*a+?"), "\\*a*");
    EXPECT_EQ(TranslateCaseInsensitiveSyntax("\\b(\\1)\\b"), "\\b(1)\\b");
}

TEST(SearchPattern, RejectedPatternsGiveAFrenchMessage)
{
    for (const bool matchCase : {false, true}) {
        for (const char* word : {"(facture", "[abc", "facture)"}) {
            try {
                SearchPattern pattern(word, {false, matchCase});
                ADD_FAILURE() << word << " compiled";
            } catch (const PatternError& e) {
                EXPECT_NE(std::string(e.what()).find(std::string("« ") + word + " »"), std::string::npos) << e.what();
                EXPECT_NE(std::string(e.what()).find("ne peut pas être recherché"), std::string::npos);
            }
        }
    }
    EXPECT_THROW(SearchPattern("a{2,1}", {false, true}), PatternError);
    EXPECT_NO_THROW(SearchPattern("a{2,1}", {false, false}));
    EXPECT_THROW(SearchPattern("(imp\u00F4t", {false, false, true}), PatternError);
    EXPECT_THROW(SearchPattern("imp\u00F4t)", {true, false, true}), PatternError);
}

// The module that holds ICU and Boost.Regex is loaded when first needed; one
// that is missing or is not a module of Tavelo is said in French, and the
// one the build made is found.
TEST(UnicodeModule, AMissingOrForeignModuleIsSaidAndTheBuiltOneFound)
{
    std::string message;
    EXPECT_EQ(unicode::Open("/nonexistent/tavelo-unicode.so", message), nullptr);
    EXPECT_NE(message.find("ne peut pas \u00EAtre charg\u00E9 (/nonexistent/tavelo-unicode.so)"), std::string::npos)
        << message;
    const std::string garbage = ::testing::TempDir() + "/pas-un-module.so";
    std::ofstream(garbage) << "pas du code";
    message.clear();
    EXPECT_EQ(unicode::Open(garbage, message), nullptr);
    EXPECT_NE(message.find("R\u00E9installez Tavelo"), std::string::npos) << message;
    std::remove(garbage.c_str());
    message.clear();
    const unicode::Api* api = unicode::TryModule(message);
    ASSERT_NE(api, nullptr) << message;
    EXPECT_EQ(api->foldCharacter(U'\u00C9', false), "E");
    EXPECT_EQ(api->foldCharacter(U'\u0153', true), "oe");
}

// Literal words have their expressions compiled when first run, by whichever
// thread comes first: every thread gets the answers a pattern compiled at
// once would give.
TEST(SearchPattern, ExpressionsCompiledWhenFirstRunAnswerTheSameOnEveryThread)
{
    const char* const texts[] = {"Facture EDF n\u00B012", "IMP\u00D4TS l\u2019avis", "la facturette", "rien",
                                 "FACT*RE", "FaCtUrE", "factur\u00E9"};
    const std::pair<const char*, SearchOptions> patterns[] = {
        {"facture", {}},          {"facture", {true, false}},      {"FACTURE", {false, true}},
        {"impots", {false, false, true}}, {"n\u00B012", {}}, {"l'avis", {false, false, true}},
        {"fact.re", {}},          {"fact*", {}},                   {"fact*re", {}},
        {"fact~*re", {}},         {"facture edf", {}},
    };
    const auto answers = [&texts](const SearchPattern& pattern) {
        std::vector<int> found;
        for (const char* text : texts)
            found.push_back(pattern.Search(text) + 2 * pattern.SearchLiteral(text) + 4 * pattern.SearchCell(text) +
                            8 * static_cast<int>(pattern.Matches(text, MatchRule::kWordProcessor).size()));
        return found;
    };
    for (const auto& [word, options] : patterns) {
        // What the literal filters answer alone is what the expressions say.
        const SearchPattern alone(word, options);
        for (const char* text : texts) {
            EXPECT_EQ(alone.Search(text), !alone.Matches(text, MatchRule::kPattern).empty()) << word << " / " << text;
            EXPECT_EQ(alone.SearchLiteral(text), !alone.Matches(text, MatchRule::kWordProcessor).empty())
                << word << " / " << text;
            EXPECT_EQ(alone.SearchCell(text), !alone.Matches(text, MatchRule::kCell).empty()) << word << " / " << text;
        }
        const std::vector<int> expected = answers(SearchPattern(word, options));
        const SearchPattern shared(word, options);
        std::vector<std::vector<int>> got(4);
        std::vector<std::thread> threads;
        for (auto& into : got)
            threads.emplace_back([&] { into = answers(shared); });
        for (std::thread& thread : threads)
            thread.join();
        for (const std::vector<int>& answer : got)
            EXPECT_EQ(answer, expected) << word;
    }
    EXPECT_TRUE(SearchPattern("facture", {true, false}).SearchLiteral("Facture EDF"));
    EXPECT_FALSE(SearchPattern("facture", {true, false}).SearchLiteral("la facturette"));
    EXPECT_TRUE(SearchPattern("impots", {false, false, true}).SearchLiteral("IMP\u00D4TS"));
}

TEST(SearchPattern, InvalidUtf8InTextIsSearchedNotThrown)
{
    EXPECT_TRUE(Finds("EDF", std::string_view("\xFF\xFE EDF", 6)));
    EXPECT_FALSE(Finds("zz", std::string_view("\xC3", 1)));
}

TEST(SearchPattern, PrefilterNeverHidesCaseVariantsOutsideAscii)
{
    // The Kelvin sign folds to "k".
    EXPECT_TRUE(Finds("kilo", "\u212Ailo"));
    EXPECT_TRUE(Finds("KILO", "\u212Ailo"));
    EXPECT_TRUE(Finds("MARS", "mars"));
    EXPECT_FALSE(Finds("mars", "marz"));
}

TEST(SearchPattern, AWordFoundLiterallyIsTheMatchTheExpressionGives)
{
    // A word of ASCII characters meant literally is matched by finding it;
    // the same word in a group is matched by the expression alone. Both must
    // agree, on decoded text and on the raw bytes of a text file.
    const std::vector<std::string> words = {"zorglub", "ZorGlub", "FA-2023-0042", "mars", "kilo", "a b", "0042 "};
    const std::vector<std::string> texts = {
        "un ZORGLUB ici", "zorglu b", "caf\xE9 zorglub", "Facture FA-2023-0042.", "fa-2023-0042",
        "\xEF\xBB\xBFzorglub", "\xFF\xFEz\0o\0r\0g\0l\0u\0b\0", "MARS \xE9t\xE9", "\u212Ailo",
        "A B", "ab", "n\xC2\xB0 0042 ", "zorglubs", "marz", std::string("zorg\0lub zorglub", 17)};
    for (const bool matchCase : {false, true})
        for (const bool wholeWord : {false, true})
            for (const std::string& word : words) {
                const SearchPattern direct(word, {wholeWord, matchCase});
                const SearchPattern grouped("(" + word + ")", {wholeWord, matchCase});
                for (const std::string& text : texts) {
                    EXPECT_EQ(SearchTextBytes(text, direct), SearchTextBytes(text, grouped))
                        << word << " in " << text << (matchCase ? ", case" : "") << (wholeWord ? ", whole" : "");
                    EXPECT_EQ(direct.Search(text), grouped.Search(text)) << word << " in " << text;
                }
            }
    EXPECT_TRUE(SearchTextBytes("caf\xE9 ZORGLUB", SearchPattern("zorglub", {})));
    EXPECT_FALSE(SearchTextBytes("un Zorglub", SearchPattern("zorglub", {false, true})));
}

TEST(SearchPattern, PrefilterFindsTheRunAtEveryOffsetInAnyCase)
{
    // Texts are scanned thirty-two or sixteen positions at a time, the rest
    // one by one: a run at any offset, in any case, across them, is found; a
    // near miss (one letter changed, or bit 5 set on a byte that is no
    // letter) is not.
    const LiteralFilter filter("Zorglub", false);
    const LiteralFilter digits("a1b@2", false);
    for (std::size_t size = 7; size < 120; ++size) {
        for (std::size_t at = 0; at + 7 <= size; ++at) {
            std::string text(size, '.');
            text.replace(at, 7, at % 2 ? "zORGLUB" : "ZorgluB");
            EXPECT_TRUE(filter.MayMatch(text)) << size << " " << at;
            text[at + 3] = 'x';
            EXPECT_FALSE(filter.MayMatch(text)) << size << " " << at;
            if (at + 5 <= size) {
                std::string other(size, 'q');
                other.replace(at, 5, "A1B@2");
                EXPECT_TRUE(digits.MayMatch(other)) << size << " " << at;
                other[at + 3] = '`'; // '@' with bit 5 set
                EXPECT_FALSE(digits.MayMatch(other)) << size << " " << at;
            }
        }
    }
}

TEST(SearchPattern, LiteralFindIgnoresSyntaxAndCase)
{
    const SearchPattern pattern("fact.re (2006)", {false, true});
    EXPECT_TRUE(pattern.SearchLiteral("la FACT.RE (2006) jointe"));
    EXPECT_FALSE(pattern.SearchLiteral("la facture (2006)"));
    // Quotes and angle brackets are plain characters, not anchors.
    EXPECT_TRUE(SearchPattern("l'été <x>", {}).SearchLiteral("de L'ÉTÉ <X>"));
    EXPECT_TRUE(SearchPattern("l'été <x>", {}).SearchCell("de L'ÉTÉ <X>"));
    const SearchPattern whole("clé", {true, true});
    EXPECT_TRUE(whole.SearchLiteral("Mot-CLÉ : x"));
    EXPECT_FALSE(whole.SearchLiteral("clés"));
}

TEST(SearchPattern, CellFindUsesSpreadsheetWildcards)
{
    EXPECT_TRUE(SearchPattern("fac*re", {}).SearchCell("FACTURE"));
    EXPECT_TRUE(SearchPattern("f?cture", {}).SearchCell("facture"));
    EXPECT_FALSE(SearchPattern("f?cture", {}).SearchCell("fcture"));
    EXPECT_TRUE(SearchPattern("7~*8~?", {}).SearchCell("réf. 7*8?"));
    EXPECT_FALSE(SearchPattern("7~*8", {}).SearchCell("7x8"));
    EXPECT_TRUE(SearchPattern("a~~b", {}).SearchCell("a~b"));
    EXPECT_TRUE(SearchPattern("a.b", {}).SearchCell("A.B"));
    EXPECT_FALSE(SearchPattern("a.b", {}).SearchCell("axb"));
}

} // namespace
} // namespace tavelo

namespace tavelo {
namespace {

// Where the preview highlights: every match, by the rule of its kind.
TEST(SearchPattern, MatchesGiveTheSpansOfEachRule)
{
    using Spans = std::vector<std::pair<std::size_t, std::size_t>>;
    const std::string text = "Été : facture, FACTURE et fac.ure";
    struct Case {
        const char* word;
        SearchOptions options;
        MatchRule rule;
        Spans spans;
    };
    const Case cases[] = {
        {"facture", {}, MatchRule::kPattern, {{8, 15}, {17, 24}}},
        {"fac.ure", {}, MatchRule::kPattern, {{8, 15}, {17, 24}, {28, 35}}},
        {"fac.ure", {}, MatchRule::kWordProcessor, {{28, 35}}},
        {"facture", {false, true}, MatchRule::kPattern, {{8, 15}}},
        {"été", {}, MatchRule::kPattern, {{0, 5}}},
        {"fac*", {}, MatchRule::kCell, {{8, 35}}},
        {"x*", {}, MatchRule::kPattern, {}}, // empty matches are no hits
        {"absent", {}, MatchRule::kPattern, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SearchPattern(c.word, c.options).Matches(text, c.rule), c.spans) << c.word;
    EXPECT_EQ(SearchPattern("a", {}).Matches(std::string(100, 'a'), MatchRule::kPattern, 3).size(), 3u);
}

} // namespace
} // namespace tavelo

namespace tavelo {
namespace {

// The spans the preview highlights: a read document piece by piece, and the
// text a view holds in UTF-16 units (accents, characters past U+FFFF, lone
// surrogates).
TEST(SearchPattern, HitsInADocumentAndInUtf16)
{
    DocumentText read;
    read.Append(MatchRule::kPattern, "Été : la facture");
    read.Append(MatchRule::kWordProcessor, "fac.ure et facture");
    read.Append(MatchRule::kCell, "Fac.ure");
    const HitSpans bytes = FindHits(read, SearchPattern("fac.ure", {}));
    EXPECT_EQ(bytes, (HitSpans{{11, 18}, {19, 26}, {38, 45}}));
    EXPECT_EQ(FindHits(read, SearchPattern("fac.ure", {}), 2).size(), 2u);
    EXPECT_EQ(Utf8SpansToUtf16(read.Body(), bytes), (HitSpans{{9, 16}, {17, 24}, {36, 43}}));

    struct Case {
        std::u16string text;
        const char* word;
        HitSpans spans;
    };
    const Case cases[] = {
        {u"Été, été", "été", {{0, 3}, {5, 8}}},
        {u"\U0001F600 reçu \U0001F600 reçu", "reçu", {{3, 7}, {11, 15}}},
        {std::u16string(u"a\xD800 reçu"), "reçu", {{3, 7}}},
        {u"rien", "reçu", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindHitsUtf16(c.text, SearchPattern(c.word, {})), c.spans) << c.word;
}

} // namespace
} // namespace tavelo
