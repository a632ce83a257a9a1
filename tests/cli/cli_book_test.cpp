#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/catalogue.h"
#include "book/file_io.h"
#include "base/tr.h"
#include "cli/commands.h"
#include "cli/manual.h"

namespace fs = std::filesystem;
using namespace tavelo;

namespace {

class CliBook : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("tavelo-cli-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
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
    std::ostringstream out;
    std::ostringstream err;
};

const char* kExample =
    R"({"subjects":[{"general_title":"Impôts","name":"2006","state":1,"expected":"","documents":["C:\\Docs\\avis.pdf"]},)"
    R"({"general_title":"Impôts","name":"2007","expected":"Avis"}]})";

} // namespace

TEST_F(CliBook, CreateThenDumpGivesTheWorkedExample)
{
    const auto json = Write("in.json", kExample);
    const auto book = (dir / "b.tvo").string();
    ASSERT_EQ(Run(cli::RunCreate, {json, book}), 0) << err.str();
    EXPECT_EQ(fs::file_size(book), 78u);
    ASSERT_EQ(Run(cli::RunDump, {book}), 0) << err.str();
    EXPECT_EQ(out.str(),
              R"({"subjects":[{"general_title":"Impôts","name":"2006","state":1,"expected":"","documents":["C:\\Docs\\avis.pdf"]},)"
              R"({"general_title":"Impôts","name":"2007","state":0,"expected":"Avis","documents":[]}]})"
              "\n");
    // No temporary file is left beside the book.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST_F(CliBook, CreateRefusesAnExistingBookUnlessForced)
{
    const auto json = Write("in.json", kExample);
    const auto book = Write("b.tvo", "keep me");
    EXPECT_EQ(Run(cli::RunCreate, {json, book}), 1);
    EXPECT_NE(err.str().find("existe déjà"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(book), "keep me");
    EXPECT_EQ(Run(cli::RunCreate, {json, book, "--force"}), 0) << err.str();
    EXPECT_EQ(fs::file_size(book), 78u);
}

TEST_F(CliBook, BadJsonWritesNothing)
{
    const auto book = (dir / "b.tvo").string();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{\"subjects\":[", "mal formé"},
        {"[1,2]", "doit être un objet"},
        {"{}", "« subjects » manque"},
        {R"({"subjects":{}})", "doit être une liste"},
        {R"({"subjects":[{"name":"n"}]})", "« general_title » manque"},
        {R"({"subjects":[{"general_title":1,"name":"n"}]})", "doit être un texte"},
        {R"({"subjects":[{"general_title":"t","name":"n","state":"1"}]})", "nombre entier"},
        {R"({"subjects":[{"general_title":"t","name":"n","state":1.5}]})", "nombre entier"},
        {R"({"subjects":[{"general_title":"t","name":"n","state":4294967296}]})", "hors des limites"},
        {R"({"subjects":[{"general_title":"t","name":"n","documents":"a"}]})", "liste de chemins"},
        {R"({"subjects":[{"general_title":"t","name":"n","documents":[3]}]})", "chemin"},
        {"{\"subjects\":[{\"general_title\":\"\xFF\",\"name\":\"n\"}]}", "mal formé"},
    };
    for (const auto& [json, message] : cases) {
        const auto path = Write("in.json", json);
        EXPECT_EQ(Run(cli::RunCreate, {path, book}), 1) << json;
        EXPECT_NE(err.str().find(message), std::string::npos) << json << " -> " << err.str();
        EXPECT_FALSE(fs::exists(book)) << json;
    }
    EXPECT_EQ(Run(cli::RunCreate, {(dir / "missing.json").string(), book}), 1);
    EXPECT_NE(err.str().find("n'existe pas"), std::string::npos);
}

TEST_F(CliBook, DumpOfDamagedOrMissingBooksFails)
{
    EXPECT_EQ(Run(cli::RunDump, {Write("bad.tvo", std::string("\x02\x00\xFF\xFF\x02\x00", 6))}), 1);
    EXPECT_NE(err.str().find("tronqué"), std::string::npos);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(Run(cli::RunDump, {(dir / "none.tvo").string()}), 1);
    EXPECT_NE(err.str().find("n'existe pas"), std::string::npos);
    EXPECT_EQ(Run(cli::RunDump, {dir.string()}), 1);
    EXPECT_EQ(Run(cli::RunDump, {}), 1);
    // A zero-length file is an empty book.
    EXPECT_EQ(Run(cli::RunDump, {Write("empty.tvo", "")}), 0);
    EXPECT_EQ(out.str(), "{\"subjects\":[]}\n");
}

TEST_F(CliBook, SearchPrintsOneLinePerSubjectWhateverItsNames)
{
    // A tab, a carriage return and a line feed in names, escaped as check does.
    const auto json = Write("in.json", R"({"subjects":[{"general_title":"EDF\tGaz","name":"facture"},)"
                                       R"({"general_title":"EDF","name":"facture\r2"},{"general_title":"EDF","name":"facture\n3"}]})");
    const auto book = (dir / "b.tvo").string();
    ASSERT_EQ(Run(cli::RunCreate, {json, book}), 0) << err.str();
    ASSERT_EQ(Run(cli::RunSearch, {book, "facture", "--scope", "names"}), 0) << err.str();
    EXPECT_EQ(out.str(), "EDF\\x09Gaz\tfacture\nEDF\tfacture\\x0D2\nEDF\tfacture\\x0A3\n");
}

TEST_F(CliBook, MessagesAndUsageFollowTheLanguage)
{
    // French by default; the English catalogue (what tavelo-cli installs under
    // an English locale) translates messages, usage and the reasons that come
    // from the book layer, with the file names put in their place.
    const std::string damaged = Write("abime.tvo", std::string("\x01\x00\xFF\xFF\x02\x00", 6));
    EXPECT_EQ(Run(&cli::RunSearch, {"livre.tvo", "mot", "--nimporte"}), 2);
    EXPECT_EQ(err.str(), "Option inconnue : --nimporte\nUsage : tavelo-cli search LIVRE.tvo MOT [--scope "
                         "names,expected,files,contents] [--whole-word] [--match-case] [--no-cache] [--readers=N] "
                         "[--memory=Mio] [--time=SECONDES] [--ocr-time=SECONDES]\n");
    UseCatalogue(UiLanguage::kEnglish);
    EXPECT_EQ(Run(&cli::RunSearch, {"livre.tvo", "mot", "--nimporte"}), 2);
    EXPECT_EQ(err.str(), "Unknown option: --nimporte\nUsage: tavelo-cli search BOOK.tvo WORD [--scope "
                         "names,expected,files,contents] [--whole-word] [--match-case] [--no-cache] [--readers=N] "
                         "[--memory=MiB] [--time=SECONDS] [--ocr-time=SECONDS]\n");
    EXPECT_EQ(Run(&cli::RunDump, {damaged}), 1);
    EXPECT_EQ(err.str(), "The book \"" + damaged + "\" cannot be read: The file is truncated: it ends in the middle of a subject.\n");
    EXPECT_EQ(Run(&cli::RunCreate, {Write("vide.json", "[]"), (dir / "x.tvo").string()}), 1);
    EXPECT_NE(err.str().find("does not have the shape of a book: the JSON document must be an object."), std::string::npos)
        << err.str();
    UseCatalogue(UiLanguage::kFrench);
}

TEST_F(CliBook, EveryCommandHasItsOwnHelp)
{
    // `COMMAND --help`, `COMMAND -h` and `help COMMAND` print the same help:
    // the command's usage first, and nothing on the error output, whatever
    // else is on the line.
    for (const cli::CliCommand& command : cli::CliCommands()) {
        if (command.run == nullptr)
            continue;
        SCOPED_TRACE(command.name);
        const std::string usage = cli::CommandUsage(command.name);
        ASSERT_EQ(Run(&cli::RunTool, {"help", command.name}), 0) << err.str();
        const std::string help = out.str();
        EXPECT_EQ(help.substr(0, usage.size()), usage);
        EXPECT_NE(help.find(Tr("Manual tavelo-cli", command.text).substr(0, 20)), std::string::npos) << help;
        for (const cli::Args& asked : {cli::Args{command.name, "--help"}, cli::Args{command.name, "-h"},
                                       cli::Args{command.name, "livre.tvo", "--help"}}) {
            EXPECT_EQ(Run(&cli::RunTool, asked), 0) << err.str();
            EXPECT_EQ(out.str(), help);
            EXPECT_EQ(err.str(), "");
        }
    }
    // Each option a command names is in the manual, and in its help.
    ASSERT_EQ(Run(&cli::RunTool, {"search", "--help"}), 0);
    for (const char* option : cli::FindCliCommand("search")->options)
        EXPECT_NE(out.str().find(std::string("\n  ") + option + "\n"), std::string::npos) << option;
    // The whole help lists every command; an unknown one is refused.
    ASSERT_EQ(Run(&cli::RunTool, {"help"}), 0);
    for (const cli::CliCommand& command : cli::CliCommands())
        EXPECT_NE(out.str().find(std::string("tavelo-cli ") + command.name), std::string::npos) << command.name;
    EXPECT_EQ(Run(&cli::RunTool, {"help", "nimporte"}), 1);
    EXPECT_EQ(err.str().substr(0, 29), "Commande inconnue : nimporte\n");
    EXPECT_EQ(Run(&cli::RunTool, {"nimporte", "--help"}), 1);
}
