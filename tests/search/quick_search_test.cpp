// The quick search over a book: its answers, whether the cache's word index
// decides them or the texts themselves do.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <set>

#include <nlohmann/json.hpp>
#include <sqlite3.h>
#include <sstream>

#include "book/text.h"
#include "cli/commands.h"
#include "reading/text_source.h"
#include "search/query/quick_search.h"
#include "test_files.h"

namespace tavelo {
namespace {

using test::TempDir;

std::unique_ptr<CTenorels> Subject(std::string title, std::string name, std::string expected = {},
                                   std::vector<std::string> paths = {})
{
    auto s = std::make_unique<CTenorels>(std::move(title), std::move(name), 0);
    s->SetExpectedText(std::move(expected));
    for (auto& p : paths)
        s->AddDocumentPath(std::move(p));
    return s;
}

// Each hit as "subject:file" ("subject:" for its own fields), sorted.
std::set<std::string> Hits(QuickSearch& search, const std::string& text)
{
    std::set<std::string> hits;
    for (const QuickHit& hit : search.Find(query::ParseQuery(text)).hits)
        hits.insert(search.SubjectName(hit.subject) + ":" +
                    (hit.document < 0 ? "" : GetDocumentFileName(search.DocumentPath(hit.subject, hit.document))));
    return hits;
}

class QuickSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_book.push_back(Subject("Maison", "EDF", "attendre la facture de régularisation",
                                 {m_dir.Write("facture-2023.txt", "Montant TTC 84,20 \xE2\x82\xAC. Contrat 1234 5678. Dossier AB-7."),
                                  m_dir.Write("echeancier.html", "<p>\xC3\x89" "ch\xC3\xA9" "ancier <b>2024</b> EDF</p>")}));
        m_book.push_back(Subject("Imp\xC3\xB4ts", "2023", "",
                                 {m_dir.Write("avis.txt", "AVIS D\xE2\x80\x99IMP\xC3\x94T 2023 \xE2\x80\x94 Taxe fonci\xC3\xA8re\n"
                                                          "R\xC3\xA9" "f\xC3\xA9rence FA-2023-0042"),
                                  m_dir.Write("notes.odd", "ce type de fichier n'est pas lu")}));
        m_book.push_back(Subject("Famille", "Lettres", "", {m_dir.Write("lettre.txt", "Lettre de ma s\xC5\x93ur, taxe")}));
        m_book.push_back(Subject("Banque", "Relev\xC3\xA9s"));
    }

    std::unique_ptr<TextSource> Source()
    {
        return std::make_unique<TextSource>(TextCache::Open(m_dir.File("cache")), SourceOptions{{}, {}, 2});
    }

    TempDir m_dir;
    SubjectList m_book;
};

TEST_F(QuickSearchTest, AnswersAreTheSameFromTheIndexAndFromTheTexts)
{
    const std::pair<const char*, std::set<std::string>> cases[] = {
        {"edf 2023", {"EDF:facture-2023.txt"}},        // the subject's name and the file's name
        {"edf", {"EDF:", "EDF:echeancier.html"}},      // the subject itself, and the document that says it
        {"impot fonciere", {"2023:avis.txt"}},
        {"\"taxe fonciere\"", {"2023:avis.txt"}},
        {"taxe", {"2023:avis.txt", "Lettres:lettre.txt"}},
        {"taxe -soeur", {"2023:avis.txt"}},
        {"soeur OR echeancier", {"Lettres:lettre.txt", "EDF:echeancier.html"}},
        {"fonci*", {"2023:avis.txt"}},
        {"fa20230042", {"2023:avis.txt"}},
        {"12345678", {"EDF:facture-2023.txt"}},
        {"ab7", {"EDF:facture-2023.txt"}},              // a reference whose last part is one character
        {"regularisation", {"EDF:"}},                  // an expected text
        {"releve", {"Relev\xC3\xA9s:"}},               // a subject without documents
        {"soeur fonciere", {}},                        // two documents of two subjects do not make a hit
        {"montant echeancier", {}},                    // nor two documents of one subject
        {"pas lu", {}},                                // a kind that is not read
    };
    auto source = Source();
    QuickSearch search(m_book, source->Cache());
    EXPECT_EQ(search.Unread().size(), 4u);
    // Before anything is read, only the names answer.
    EXPECT_EQ(Hits(search, "edf 2023"), (std::set<std::string>{"EDF:facture-2023.txt"}));
    EXPECT_TRUE(Hits(search, "fonciere").empty());
    EXPECT_EQ(search.Find(query::ParseQuery("fonciere")).unread, 4u);

    search.ReadMissing(*source);
    search.Refresh();
    ASSERT_TRUE(search.Unread().empty());
    // The texts are kept, the index does not hold them yet: each is read back.
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Hits(search, text), expected) << "from the texts: " << text;
    source->Cache().FinishIndexing();
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Hits(search, text), expected) << "from the index: " << text;

    // Another process sees the same, from the same cache, whether the cache
    // was open before or still opening while the documents were looked at.
    for (const bool opening : {false, true}) {
        SCOPED_TRACE(opening ? "cache still opening" : "cache open");
        std::unique_ptr<TextSource> again =
            opening ? std::make_unique<TextSource>(std::async(std::launch::async,
                                                              [this] { return TextCache::Open(m_dir.File("cache")); }),
                                                   SourceOptions{{}, {}, 2})
                    : Source();
        std::unique_ptr<QuickSearch> other = opening ? std::make_unique<QuickSearch>(m_book, *again)
                                                     : std::make_unique<QuickSearch>(m_book, again->Cache());
        EXPECT_TRUE(other->Unread().empty());
        EXPECT_EQ(Hits(*other, "impots 2023 taxe"), (std::set<std::string>{"2023:avis.txt"}));
        EXPECT_EQ(Hits(*other, "edf 2023"), (std::set<std::string>{"EDF:facture-2023.txt"}));
    }
}

TEST_F(QuickSearchTest, ChangedDocumentsAreReadAgainAndHitsRankedAndConfirmed)
{
    auto source = Source();
    QuickSearch search(m_book, source->Cache());
    search.ReadMissing(*source);
    source->Cache().FinishIndexing();
    search.Refresh();
    EXPECT_EQ(Hits(search, "soeur"), (std::set<std::string>{"Lettres:lettre.txt"}));

    // A document that changed is unread again, and its new words count once read.
    m_dir.Write("lettre.txt", "Carte postale de Bretagne, bien plus longue qu'avant");
    search.Refresh();
    ASSERT_EQ(search.Unread().size(), 1u);
    EXPECT_TRUE(Hits(search, "soeur").empty());
    search.ReadMissing(*source);
    search.Refresh();
    EXPECT_EQ(Hits(search, "bretagne"), (std::set<std::string>{"Lettres:lettre.txt"}));

    // A word in a file's name ranks before a word in a text, and every ranked
    // hit has its extract with the words marked as written.
    const query::Query q = query::ParseQuery("facture");
    QuickResult result = search.Find(q);
    search.Rank(q, result.hits);
    ASSERT_GE(result.hits.size(), 2u);
    EXPECT_EQ(result.hits[0].document, 0);
    EXPECT_NE(result.hits[0].where & query::kFieldFileName, 0u);
    for (const QuickHit& hit : result.hits) {
        EXPECT_TRUE(hit.confirmed);
        ASSERT_FALSE(hit.extract.marks.empty()) << hit.extract.text;
        const auto [begin, end] = hit.extract.marks[0];
        std::string marked = hit.extract.text.substr(begin, end - begin);
        std::transform(marked.begin(), marked.end(), marked.begin(), ::tolower);
        EXPECT_EQ(marked, "facture");
    }
}

TEST_F(QuickSearchTest, RankedHitsCountAndShowTheSameFromTheIndexAndFromTheTexts)
{
    // A long text whose hits stand far from its beginning, some more than
    // once, some written with accents or capitals.
    std::string longText;
    for (int i = 0; i < 400; ++i)
        longText += "ligne " + std::to_string(i) + " sans rien de particulier\n";
    longText += "Voici la TAXE FONCI\xC3\x88RE de l'ann\xC3\xA9" "e, et la taxe fonci\xC3\xA8re encore ; "
                "imp\xC3\xB4ts, imp\xC3\xB4t, facture.\n";
    for (int i = 0; i < 50; ++i)
        longText += "suite " + std::to_string(i) + " de la lettre\n";
    longText += "Derni\xC3\xA8re taxe.";
    m_book.push_back(Subject("Imp\xC3\xB4ts", "2024", "", {m_dir.Write("long.txt", longText)}));

    const char* const queries[] = {"taxe", "\"taxe fonciere\"", "impots facture", "taxe OR soeur", "taxe -soeur",
                                   "facture", "taxe taxe", "edf", "edf montant", "lettres taxe"};
    // Each hit as its place, where, count, extract and marks.
    const auto ranked = [](QuickSearch& search, const char* text) {
        const query::Query q = query::ParseQuery(text);
        QuickResult result = search.Find(q);
        search.Rank(q, result.hits);
        std::vector<std::string> lines;
        for (const QuickHit& hit : result.hits) {
            std::string line = std::to_string(hit.subject) + "/" + std::to_string(hit.document) + " where " +
                               std::to_string(hit.where) + " hits " + std::to_string(hit.hits) + " [" +
                               hit.extract.text + "]";
            for (const auto& [begin, end] : hit.extract.marks)
                line += " " + std::to_string(begin) + "-" + std::to_string(end);
            lines.push_back(line);
        }
        return lines;
    };
    auto source = Source();
    QuickSearch search(m_book, source->Cache());
    search.ReadMissing(*source);
    search.Refresh();
    std::vector<std::vector<std::string>> fromTexts;
    for (const char* text : queries)
        fromTexts.push_back(ranked(search, text));
    EXPECT_EQ(fromTexts[0].size(), 3u);
    source->Cache().FinishIndexing();
    for (std::size_t i = 0; i < std::size(queries); ++i)
        EXPECT_EQ(ranked(search, queries[i]), fromTexts[i]) << queries[i];
    // "EDF" in the subject's name, "montant" once in the bill's text: the
    // index counts the one word alone.
    const std::vector<std::string> edf = ranked(search, "edf montant");
    ASSERT_EQ(edf.size(), 1u);
    EXPECT_NE(edf[0].find(" hits 1 [Montant TTC"), std::string::npos) << edf[0];

    // A damaged text beside its hit: the hit stays, its extract is still
    // readable text, and the cache says it is damaged.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(m_dir.File("cache/textes.sqlite3").c_str(), &db), SQLITE_OK);
    const std::string damaged = [&] {
        std::string body = longText;
        body[body.find("particulier\nVoici")] = '\xFF';
        return body;
    }();
    sqlite3_stmt* update = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "UPDATE texts SET body = ?1 WHERE body = ?2", -1, &update, nullptr), SQLITE_OK);
    sqlite3_bind_text(update, 1, damaged.data(), static_cast<int>(damaged.size()), SQLITE_STATIC);
    sqlite3_bind_text(update, 2, longText.data(), static_cast<int>(longText.size()), SQLITE_STATIC);
    EXPECT_EQ(sqlite3_step(update), SQLITE_DONE);
    EXPECT_EQ(sqlite3_changes(db), 1);
    sqlite3_finalize(update);
    sqlite3_close(db);
    const std::vector<std::string> afterDamage = ranked(search, "taxe");
    ASSERT_EQ(afterDamage.size(), fromTexts[0].size());
    for (const std::string& line : afterDamage)
        EXPECT_TRUE(IsValidUtf8(line)) << line;
    EXPECT_NE(source->Cache().TakeWarning(), "");
}

// tavelo-cli find: best first, one line per hit, fields escaped; JSON; the
// exit statuses of a hit, of none and of a bad query.
TEST(FindCommand, LinesJsonAndStatuses)
{
    TempDir dir;
    const std::string avis = dir.Write("avis impot.txt", "AVIS D\xE2\x80\x99IMP\xC3\x94T 2023\nTaxe fonci\xC3\xA8re due");
    const std::string note = dir.Write("note.txt", "un imp\xC3\xB4t parmi d'autres mots");
    const std::string json = dir.Write("book.json", std::string(R"({"subjects":[)") +
        R"({"general_title":"Imp\u00f4ts","name":"2023\tbis","documents":[")" + note + R"(",")" + avis + R"("]},)" +
        R"({"general_title":"Divers","name":"Vide","expected":"payer l'imp\u00f4t"}]})");
    const std::string book = dir.File("b.tvo");
    std::ostringstream out, err;
    const auto run = [&](cli::Args args) {
        out.str("");
        err.str("");
        return cli::RunFind(args, {out, err});
    };
    ASSERT_EQ(cli::RunCreate({json, book}, {out, err}), 0) << err.str();

    ASSERT_EQ(run({book, "impot"}), 0) << err.str();
    std::vector<std::string> lines;
    std::istringstream text(out.str());
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u) << out.str();
    // The word in the file's name first, then in a subject's general title,
    // in an expected text, and in a text only; a tab in a name is written \x09,
    // a line break in an extract a space.
    EXPECT_EQ(lines[0], "Imp\xC3\xB4ts/2023\\x09bis\t" + avis + "\tAVIS D\xE2\x80\x99IMP\xC3\x94T 2023 Taxe fonci\xC3\xA8re due");
    EXPECT_EQ(lines[1], "Imp\xC3\xB4ts/2023\\x09bis\t\tImp\xC3\xB4ts");
    EXPECT_EQ(lines[2], "Divers/Vide\t\tpayer l'imp\xC3\xB4t");
    EXPECT_EQ(lines[3], "Imp\xC3\xB4ts/2023\\x09bis\t" + note + "\tun imp\xC3\xB4t parmi d'autres mots");

    ASSERT_EQ(run({book, "taxe", "fonciere", "--json", "--limit", "5"}), 0) << err.str();
    const auto parsed = nlohmann::json::parse(out.str());
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0]["general_title"], "Imp\xC3\xB4ts");
    EXPECT_EQ(parsed[0]["subject"], "2023\tbis");
    EXPECT_EQ(parsed[0]["document"], avis);
    EXPECT_EQ(parsed[0]["where"], nlohmann::json::array({"contents"}));
    EXPECT_EQ(parsed[0]["hits"], 2);
    EXPECT_EQ(parsed[0]["extract"], "AVIS D\xE2\x80\x99IMP\xC3\x94T 2023 Taxe fonci\xC3\xA8re due");
    ASSERT_EQ(run({book, "impot", "--json"}), 0);
    EXPECT_TRUE(nlohmann::json::parse(out.str())[1]["document"].is_null());
    EXPECT_EQ(nlohmann::json::parse(out.str())[1]["where"], nlohmann::json::array({"general_title"}));
    ASSERT_EQ(run({book, "impot", "--limit=1"}), 0);
    const std::string limited = out.str();
    EXPECT_EQ(std::count(limited.begin(), limited.end(), '\n'), 1);

    EXPECT_EQ(run({book, "loyer"}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(run({book, "\"taxe fonciere"}), 2);
    EXPECT_NE(err.str().find("guillemet"), std::string::npos) << err.str();
    EXPECT_EQ(run({book, "-"}), 2);
    EXPECT_EQ(run({book, std::string(10000, '!')}), 2);
    EXPECT_EQ(run({dir.File("absent.tvo"), "impot"}), 2);
    EXPECT_EQ(run({book}), 2);
    EXPECT_EQ(run({book, "impot", "--limit=0"}), 2);
}

} // namespace
} // namespace tavelo
