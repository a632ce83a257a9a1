#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "book/file_io.h"
#include "book/held_file.h"
#include "cli/commands.h"

namespace fs = std::filesystem;

namespace tavelo {
namespace {

class CliFiling : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("tavelo-filing-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "docs");
        fs::create_directories(dir / "inbox");
        const std::string edf = Write("docs/edf.txt", "EDF facture d'électricité\nN° de contrat : 1234 5678 90\n"
                                                       "Consommation 420 kWh, abonnement, acheminement.\n");
        const std::string tax = Write("docs/impots.txt", "Direction générale des Finances publiques\nAvis d'impôt 2024\n"
                                                          "Numéro fiscal : 12 34 567 890 123\n");
        book = (dir / "b.tvo").string();
        const std::string json = Write("b.json", R"({"subjects":[{"general_title":"EDF","name":"Maison","documents":[")" +
                                                     edf + R"("]},{"general_title":"Impôts","name":"2024","documents":[")" +
                                                     tax + R"("]}]})");
        ASSERT_EQ(Run(cli::RunCreate, {json, book}), 0) << err.str();
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const std::string& name, const std::string& content)
    {
        const auto path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    int Run(int (*command)(const cli::Args&, cli::Streams), const cli::Args& args)
    {
        out.str("");
        err.str("");
        return command(args, {out, err});
    }

    fs::path dir;
    std::string book;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(CliFiling, SuggestWritesTheFirstChoiceOrNewSubject)
{
    const std::string bill = Write("inbox/bill.txt", "EDF facture\nContrat n° 1234-5678-90\nConsommation 380 kWh\n");
    const std::string vet = Write("inbox/vet.txt", "Clinique vétérinaire des Pins, vaccin du chat Filou\n");
    ASSERT_EQ(Run(cli::RunSuggest, {book, bill, vet}), 0) << err.str();
    std::istringstream lines(out.str());
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.substr(0, bill.size() + 12), bill + "\tEDF/Maison\t");
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.substr(0, vet.size() + 15), vet + "\tnouveau sujet\t");

    ASSERT_EQ(Run(cli::RunSuggest, {book, bill, "--json"}), 0) << err.str();
    const auto json = nlohmann::json::parse(out.str());
    ASSERT_EQ(json.size(), 1u);
    EXPECT_EQ(json[0]["new_subject"], false);
    const auto& first = json[0]["suggestions"][0];
    EXPECT_EQ(first["general_title"], "EDF");
    EXPECT_EQ(first["subject"], "Maison");
    EXPECT_GT(first["score"].get<double>(), 0.5);
    EXPECT_EQ(first["reason"], "même numéro de contrat 1234 5678 90 que EDF / Maison");

    // An unreadable file is told, the others still listed; bad words are refused.
    EXPECT_EQ(Run(cli::RunSuggest, {book, (dir / "inbox/none.txt").string(), bill}), 1);
    EXPECT_NE(out.str().find("\tillisible\t"), std::string::npos);
    EXPECT_NE(out.str().find(bill + "\tEDF/Maison\t"), std::string::npos);
    EXPECT_EQ(Run(cli::RunSuggest, {book}), 1);
    EXPECT_EQ(Run(cli::RunSuggest, {book, bill, "--jsn"}), 1);
    EXPECT_EQ(Run(cli::RunSuggest, {(dir / "none.tvo").string(), bill}), 1);
}

TEST_F(CliFiling, InboxListsWhatTheBookLacksNewestFirst)
{
    const std::string older = Write("inbox/older.txt", "EDF facture\nContrat n° 1234 5678 90\n");
    const std::string newer = Write("inbox/newer.txt", "Avis d'impôt 2024, numéro fiscal 1234567890123\n");
    const std::string bad = Write("inbox/scan.pdf", "not a pdf");
    Write("inbox/.hidden.txt", "EDF");
    fs::last_write_time(older, fs::file_time_type::clock::now() - std::chrono::hours(2));
    fs::last_write_time(bad, fs::file_time_type::clock::now() - std::chrono::hours(1));
    // A file the book holds is not new, through any spelling of its path.
    fs::create_symlink(dir / "docs/edf.txt", dir / "inbox/edf-link.txt");

    EXPECT_EQ(Run(cli::RunInbox, {book, (dir / "inbox").string(), "--json"}), 1); // the PDF cannot be read
    const auto json = nlohmann::json::parse(out.str());
    ASSERT_EQ(json.size(), 3u) << out.str();
    EXPECT_EQ(json[0]["file"], newer);
    EXPECT_EQ(json[0]["suggestions"][0]["subject"], "2024");
    EXPECT_EQ(json[1]["file"], bad);
    EXPECT_TRUE(json[1].contains("unreadable"));
    EXPECT_EQ(json[2]["file"], older);
    EXPECT_EQ(json[2]["suggestions"][0]["subject"], "Maison");

    EXPECT_EQ(Run(cli::RunInbox, {book, (dir / "nowhere").string()}), 1);
    EXPECT_NE(err.str().find("ne peut pas être lu"), std::string::npos);
}

TEST_F(CliFiling, AddFilesOnlyWhatItMay)
{
    const std::string bill = Write("inbox/bill.txt", "EDF facture\n");
    const std::string other = Write("inbox/other.txt", "Clio\n");
    const std::string before = ReadWholeFile(book);
    const struct {
        cli::Args args;
        const char* message;
    } refused[] = {
        {{book, "Voiture/Clio", other}, "--create"},
        {{book, "EDF/Maison", (dir / "docs/edf.txt").string()}, "déjà dans le livre"},
        {{book, "EDF/Maison", bill, bill}, "déjà dans le livre"},
        {{book, "EDF/Maison", (dir / "inbox/none.txt").string()}, "ne peut pas être ajouté"},
        {{book, "EDF/Maison", (dir / "inbox").string()}, "ne peut pas être ajouté"},
        {{book, "Sans barre", bill}, "TITRE GÉNÉRAL/INTITULÉ"},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(Run(cli::RunAdd, r.args), 1) << r.args[1];
        EXPECT_NE(err.str().find(r.message), std::string::npos) << err.str();
        EXPECT_EQ(ReadWholeFile(book), before);
    }
    {
        // Held by an instance of Tavelo: read-only for the command.
        bool readOnly = true;
        auto holder = OpenHeldFile(book, readOnly, false);
        ASSERT_FALSE(readOnly);
        EXPECT_EQ(Run(cli::RunAdd, {book, "EDF/Maison", bill}), 1);
        EXPECT_NE(err.str().find("ne peut pas être modifié"), std::string::npos);
        EXPECT_EQ(ReadWholeFile(book), before);
    }
    ASSERT_EQ(Run(cli::RunAdd, {book, "EDF/Maison", bill}), 0) << err.str();
    EXPECT_EQ(out.str(), "EDF/Maison\t" + bill + "\n");
    ASSERT_EQ(Run(cli::RunAdd, {book, "Voiture/Clio", other, "--create"}), 0) << err.str();
    ASSERT_EQ(Run(cli::RunDump, {book}), 0);
    const auto json = nlohmann::json::parse(out.str());
    ASSERT_EQ(json["subjects"].size(), 3u);
    EXPECT_EQ(json["subjects"][0]["documents"].back(), bill);
    EXPECT_EQ(json["subjects"][2]["general_title"], "Voiture");
    EXPECT_EQ(json["subjects"][2]["documents"][0], other);
    // Filed, it is no longer in the inbox.
    ASSERT_EQ(Run(cli::RunInbox, {book, (dir / "inbox").string()}), 0) << err.str();
    EXPECT_EQ(out.str(), "");
}

} // namespace
} // namespace tavelo
