// The quick search's folding and query language, as a person types.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "search/query/folding.h"
#include "search/query/query.h"
#include "search/search_pattern.h"

namespace tavelo::query {
namespace {

using namespace std::string_view_literals;

struct Case {
    std::string_view text;
    const char* query;
    bool matches;
};

bool MatchesContents(std::string_view text, const std::string& queryText)
{
    const Query query = ParseQuery(queryText);
    const std::vector<Word> words = Words(text);
    const Field field{kFieldContents, text, words};
    return Evaluate(query, std::span(&field, 1)).matches;
}

TEST(QueryLanguage, MatchesAsPeopleType)
{
    const std::string notice = "AVIS D\xE2\x80\x99IMP\xC3\x94T 2023 \xE2\x80\x94 Taxe fonci\xC3\xA8re";
    const Case cases[] = {
        // case, accents, several words in any order, phrases
        {notice.c_str(), "impot", true},
        {notice.c_str(), "taxe fonciere", true},
        {notice.c_str(), "fonci\xC3\xA8re taxe", true},
        {notice.c_str(), "\"taxe fonciere\"", true},
        {notice.c_str(), "\"fonciere taxe\"", false},
        {notice.c_str(), "avis d'imp\xC3\xB4t", true},       // straight apostrophe for the curly one
        {notice.c_str(), "\"avis d'impot\"", true},
        {notice.c_str(), "imp\xC3\xB4ts", true},              // plural for singular
        {notice.c_str(), "impot habitation", false},          // every word, not one of them
        {notice.c_str(), "impot -fonciere", false},
        {notice.c_str(), "impot -habitation", true},
        {notice.c_str(), "habitation OR fonciere", true},
        {notice.c_str(), "habitation OR loyer", false},
        {notice.c_str(), "fonci*", true},
        {notice.c_str(), "\xC2\xAB taxe fonci\xC3\xA8re \xC2\xBB", true}, // guillemets quote too
        {"Lettre de ma s\xC5\x93ur", "soeur", true},          // ligature and its spelled form
        {"Lettre de ma soeur", "s\xC5\x93ur", true},
        {"\xEF\xAC\x81" "chier cl\xC3\xB4tur\xC3\xA9", "fichier cloture", true}, // PDF ligature fi
        {"Stra\xC3\x9F" "e 12", "strasse", true},
        {"Les Imp\xC3\x94TS", "impot", true},
        {"Travaux de toiture", "travau", true},
        {"taxes", "taxe", true},
        {"cheveux", "cheveu", true},
        {"e\xCC\x81" "lectricit\xC3\xA9", "electricite", true}, // decomposed accent
        // folding must not join different words
        {"Quittance de loyer", "loi", false},
        {"La loi de finances", "loyer", false},
        {"taxe d'habitation 2023, valeur fonci\xC3\xA8re", "\"taxe fonci\xC3\xA8re\"", false},
        {"impotence", "impot", false},
        {"bus", "bu", false},
        // reference numbers as typed
        {"Facture FA-2023-0042 du 3 mars", "FA-2023-0042", true},
        {"Facture FA-2023-0042 du 3 mars", "0042", true},
        {"Facture FA-2023-0042 du 3 mars", "fa20230042", true},
        {"Facture FA20230042", "FA-2023-0042", true},
        {"Facture FA-2023-0043", "FA-2023-0042", false},
        {"IBAN FR76 3000 6000 0112 3456 7890 189", "FR7630006000011234567890189", true},
        {"IBAN FR7630006000011234567890189", "FR76 3000 6000 0112 3456 7890 189", true},
        {"IBAN FR76 3000 6000 0112 3456 7890 189", "FR76 3000 6000 0112 3456 7890 189", true},
        {"IBAN FR76 3000 6000 0112 3456 7890 188", "FR7630006000011234567890189", false},
        {"FR76 3000\n6000 0112 3456 7890 189", "FR7630006000011234567890189", false}, // not across lines
        {"ann\xC3\xA9" "e 2023, rappel 2024", "2023 2024", true},  // numbers apart still count as words
        // bad input answers plainly
        {"anything", "", false},
        {"anything", "-", false},
        {"anything", "!!! ??", false},
        {"anything", "-anything", false},
        {"a\0b nul"sv, "nul", true},
        {"bad \xFF\xFE utf8 mot", "mot", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesContents(c.text, c.query), c.matches) << "text: " << std::string(c.text) << " query: " << c.query;
}

TEST(QueryLanguage, WordsOfADocumentAndItsSubjectCombine)
{
    const std::string name = "EDF", title = "Maison", fileName = "facture-2023.pdf", text = "Montant TTC 84,20";
    const auto nameWords = Words(name), titleWords = Words(title), fileWords = Words(fileName), textWords = Words(text);
    const Field subject[] = {{kFieldName, name, nameWords}, {kFieldGeneralTitle, title, titleWords}};
    const Field document[] = {{kFieldFileName, fileName, fileWords}, {kFieldContents, text, textWords}};

    const Evaluation both = Evaluate(ParseQuery("edf 2023"), document, subject);
    EXPECT_TRUE(both.matches);
    EXPECT_EQ(both.where, unsigned{kFieldFileName});
    // The subject's fields alone do not make each of its documents a hit.
    EXPECT_FALSE(Evaluate(ParseQuery("edf maison"), document, subject).matches);
    EXPECT_TRUE(Evaluate(ParseQuery("edf maison"), subject).matches);
    EXPECT_FALSE(Evaluate(ParseQuery("edf -maison"), document, subject).matches);
    EXPECT_EQ(Evaluate(ParseQuery("montant ttc"), document, subject).hits, 2u);
}

TEST(QueryLanguage, BadQueriesAnswerAtOnce)
{
    EXPECT_THROW(ParseQuery("\"taxe fonciere"), QueryError);
    EXPECT_THROW(ParseQuery("taxe \xE2\x80\x9C" "fonciere"), QueryError);
    EXPECT_FALSE(ParseQuery("").HasPositive());
    EXPECT_FALSE(ParseQuery(" - * \" \" ").HasPositive());
    std::string many;
    for (int i = 0; i < 2000; ++i)
        many += "mot" + std::to_string(i) + "a ";
    EXPECT_THROW(ParseQuery(many), QueryError);
    const std::string longWord(5000, 'a');
    EXPECT_FALSE(MatchesContents("aaaa", longWord));
    EXPECT_TRUE(MatchesContents("x " + longWord + " y", longWord));
}

TEST(QueryLanguage, ExtractsShowTheTextAsWritten)
{
    const std::string text = std::string(200, 'x') + " d\xC3\xA9" "but de la phrase AVIS D\xE2\x80\x99IMP\xC3\x94T  2023\n\nsuite " +
                             std::string(300, 'y');
    const Query query = ParseQuery("impot");
    const auto words = Words(text);
    const Field field{kFieldContents, text, words};
    const Spans spans = QuerySpans(query, field);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_EQ(text.substr(spans[0].first, spans[0].second - spans[0].first), "IMP\xC3\x94T");
    const Extract extract = MakeExtract(text, spans);
    ASSERT_EQ(extract.marks.size(), 1u);
    EXPECT_EQ(extract.text.substr(extract.marks[0].first, extract.marks[0].second - extract.marks[0].first),
              "IMP\xC3\x94T");
    EXPECT_NE(extract.text.find("D\xE2\x80\x99IMP\xC3\x94T 2023 suite"), std::string::npos) << extract.text;
    EXPECT_EQ(extract.text.rfind("\xE2\x80\xA6 ", 0), 0u);
    EXPECT_EQ(extract.text.find('\n'), std::string::npos);
}

// The word index gives a hit's place as its word's number: WordBegin must
// count words exactly as the cut does, across its 16-byte steps too.
TEST(QueryLanguage, WordBeginCountsWordsAsTheCutDoes)
{
    const std::string sixteen = "abcdefghijklmnop";
    const std::vector<std::string> texts = {
        "",
        "   ",
        "a",
        sixteen,
        sixteen + "q",
        sixteen + " " + sixteen + " " + sixteen,
        std::string(15, 'x') + " y" + std::string(14, ' ') + "z",
        std::string(15, 'x') + "\xC3\xA9t\xC3\xA9 \xC3\xA9" "cole",   // an accent astride two steps
        std::string(16, ' ') + "\xC3\x89T\xC3\x89 2023-0042 fin",
        "e\xCC\x81t\xC3\xA9 \xCC\x81" + std::string(20, 'm') + " \xC5\x93uvre", // marks, a lone mark, œ
        "t\xC2\xBE" + std::string(30, '.') + "x\xC2\xBEy",                     // one sign, several words
        std::string("ab\0cd\xFF\xFE" "ef\xC3" "gh", 12) + std::string(40, 'k') + "\xE2\x80\x99s",
        "FA-2023-0042;IBAN FR76 3000 6000 0112 3456 7890 189 \xC3\xA0 l'\xC3\xA9" "ch\xC3\xA9" "ance\tAVIS D\xE2\x80\x99IMP\xC3\x94T",
    };
    for (const std::string& text : texts) {
        const std::vector<Word> words = Words(text);
        for (std::size_t k = 0; k < words.size(); ++k)
            EXPECT_EQ(WordBegin(text, k), std::optional<std::uint32_t>(words[k].begin)) << text << " word " << k;
        EXPECT_EQ(WordBegin(text, words.size()), std::nullopt) << text;
    }
}

TEST(IgnoreAccents, FoldsBothSidesAndMarksTheTextAsWritten)
{
    const std::string text = "AVIS D\xE2\x80\x99IMP\xC3\x94T \xE2\x80\x94 \xC5\x92uvre et c\xC5\x93ur";
    SearchOptions options;
    options.ignoreAccents = true;
    const SearchPattern impot("impot", options);
    EXPECT_TRUE(impot.Search(text));
    EXPECT_TRUE(impot.MayMatchBytes(text));
    EXPECT_TRUE(impot.RequiredLiterals().empty());
    EXPECT_TRUE(impot.SearchLiteral(text));
    const auto spans = impot.Matches(text, MatchRule::kPattern);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_EQ(text.substr(spans[0].first, spans[0].second - spans[0].first), "IMP\xC3\x94T");
    // The accented word finds the plain one, a ligature its spelling, and a
    // span that ends inside a ligature takes it whole.
    EXPECT_TRUE(SearchPattern("\xC3\xAEmpot", options).Search("impot"));
    EXPECT_TRUE(SearchPattern("oeuvre", options).Search(text));
    const auto coe = SearchPattern("co", options).Matches(text, MatchRule::kPattern);
    ASSERT_EQ(coe.size(), 1u);
    EXPECT_EQ(text.substr(coe[0].first, coe[0].second - coe[0].first), "c\xC5\x93");
    // Case still counts when asked, and the pattern keeps its syntax.
    options.matchCase = true;
    EXPECT_FALSE(SearchPattern("impot", options).Search(text));
    EXPECT_TRUE(SearchPattern("IMPOT", options).Search(text));
    EXPECT_TRUE(SearchPattern("IMP.T", options).Search(text));
    // Without the option nothing changes.
    EXPECT_FALSE(SearchPattern("impot", {}).Search(text));
}

} // namespace
} // namespace tavelo::query
