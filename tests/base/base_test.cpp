// The Qt-free foundations: where helper programs and data are found, which
// language the environment asks for, positional formats, the catalogue
// lookup and the manual's two renderings.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

#include "base/catalogue.h"
#include "base/helper_program.h"
#include "base/manual.h"
#include "base/tr.h"
#include "base/ui_language.h"
#include "cli/manual.h"

namespace fs = std::filesystem;
using namespace tavelo;

namespace {

struct TempTree {
    fs::path root = fs::temp_directory_path() / ("tavelo-base-" + std::to_string(::getpid()));
    TempTree() { fs::create_directories(root); }
    ~TempTree() { fs::remove_all(root); }
    std::string Add(const std::string& relative, fs::perms perms = fs::perms::owner_all)
    {
        const fs::path path = root / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
        fs::permissions(path, perms);
        return path.lexically_normal().string();
    }
};

} // namespace

TEST(HelperProgram, LooksBesideThenInLibexecThenInTheBuildTree)
{
    TempTree t;
    const std::string bin = (t.root / "prefix/bin").string();
    const std::string build = (t.root / "build").string();
    fs::create_directories(bin);
    // Nothing anywhere, a name that climbs out, an absolute name.
    EXPECT_EQ(detail::FindIn("tavelo-reader", bin, build, true), "");
    const std::string inBuild = t.Add("build/libexec/tavelo/tavelo-reader");
    EXPECT_EQ(detail::FindIn("tavelo-reader", bin, build, true), inBuild);
    const std::string installed = t.Add("prefix/libexec/tavelo/tavelo-reader");
    EXPECT_EQ(detail::FindIn("tavelo-reader", bin, build, true), installed);
    const std::string beside = t.Add("prefix/bin/tavelo-reader");
    EXPECT_EQ(detail::FindIn("tavelo-reader", bin, build, true), beside);
    // A file that may not be executed is passed over.
    fs::permissions(beside, fs::perms::owner_read | fs::perms::owner_write);
    if (::geteuid() != 0) {
        EXPECT_EQ(detail::FindIn("tavelo-reader", bin, build, true), installed);
    }
    EXPECT_EQ(detail::FindIn("../libexec/tavelo/tavelo-reader", bin, build, true), "");
    EXPECT_EQ(detail::FindIn(installed, bin, build, true), "");
    EXPECT_EQ(detail::FindIn("", bin, build, true), "");

    // Data: share/tavelo of the installation, then of the build tree.
    const std::string dataInBuild = t.Add("build/share/tavelo/translations/tavelo_en.qm");
    EXPECT_EQ(detail::FindIn("translations/tavelo_en.qm", bin, build, false), dataInBuild);
    const std::string data = t.Add("prefix/share/tavelo/translations/tavelo_en.qm");
    EXPECT_EQ(detail::FindIn("translations/tavelo_en.qm", bin, build, false), data);
}

TEST(HelperProgram, TheBuildTreesReaderIsFoundFromATest)
{
    // This test runs inside the build tree, whose reader programs are built
    // into build/libexec/tavelo.
    EXPECT_TRUE(RunsFromBuildTree());
    const std::string reader = FindHelperProgram("tavelo-reader");
    EXPECT_EQ(reader, (fs::path(BuildFolder()) / "libexec/tavelo/tavelo-reader").lexically_normal().string());
}

TEST(UiLanguage, FollowsTheGettextOrderAndFallsBackToFrench)
{
    struct Case {
        std::map<std::string, std::string> environment;
        UiLanguage expected;
    };
    const Case cases[] = {
        {{}, UiLanguage::kFrench},
        {{{"LANG", "en_GB.UTF-8"}}, UiLanguage::kEnglish},
        {{{"LANG", "en"}}, UiLanguage::kEnglish},
        {{{"LANG", "fr_FR.UTF-8"}}, UiLanguage::kFrench},
        {{{"LANG", "de_DE.UTF-8"}}, UiLanguage::kFrench},
        {{{"LANG", "C.UTF-8"}}, UiLanguage::kFrench},
        {{{"LANG", "eng_XX"}}, UiLanguage::kFrench},
        // LC_ALL before LC_MESSAGES before LANG.
        {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "fr_CA.UTF-8"}}, UiLanguage::kFrench},
        {{{"LANG", "fr_FR.UTF-8"}, {"LC_MESSAGES", "fr_FR"}, {"LC_ALL", "en_IE.UTF-8"}}, UiLanguage::kEnglish},
        // LANGUAGE comes first, its first French or English entry decides...
        {{{"LANG", "fr_FR.UTF-8"}, {"LANGUAGE", "de:en_GB:fr"}}, UiLanguage::kEnglish},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "es:it"}}, UiLanguage::kEnglish},
        // ...except under the C locale, where gettext ignores it.
        {{{"LANG", "C"}, {"LANGUAGE", "en"}}, UiLanguage::kFrench},
        {{{"LC_ALL", "POSIX"}, {"LANG", "en_US.UTF-8"}}, UiLanguage::kFrench},
    };
    for (const Case& c : cases) {
        static const std::map<std::string, std::string>* current = nullptr;
        current = &c.environment;
        const auto lookup = [](const char* name) -> const char* {
            const auto it = current->find(name);
            return it == current->end() ? nullptr : it->second.c_str();
        };
        EXPECT_EQ(LanguageFromEnvironment(lookup), c.expected) << ::testing::PrintToString(c.environment);
    }
}

TEST(Format, ReplacesMarkersOnceAndLeavesTheRest)
{
    EXPECT_EQ(Format("Le fichier %1 n'a pas été copié dans %2", {"a.pdf", "/tmp"}),
              "Le fichier a.pdf n'a pas été copié dans /tmp");
    // An argument holding a marker is not substituted again; markers in any
    // order; a marker without an argument, a lone % and %0 stay.
    EXPECT_EQ(Format("%2 %1", {"%2", "x"}), "x %2");
    EXPECT_EQ(Format("100 % %3 %0 %", {"a"}), "100 % %3 %0 %");
}

TEST(Catalogue, TranslatesMarkedTextsAndKeepsTheOthers)
{
    const CatalogueEntry table[] = {{"A", "b", "B"}, {"A", "c", "C"}, {"B", "b", "BB"}};
    EXPECT_STREQ(FindInCatalogue(table, "A", "c"), "C");
    EXPECT_STREQ(FindInCatalogue(table, "B", "b"), "BB");
    EXPECT_EQ(FindInCatalogue(table, "A", "d"), nullptr);
    EXPECT_EQ(FindInCatalogue(table, "C", "b"), nullptr);

    // The generated catalogue is sorted the way the lookup needs.
    const auto english = EnglishCatalogue();
    ASSERT_FALSE(english.empty());
    for (std::size_t i = 1; i < english.size(); ++i) {
        const int byContext = std::strcmp(english[i - 1].context, english[i].context);
        EXPECT_TRUE(byContext < 0 || (byContext == 0 && std::strcmp(english[i - 1].source, english[i].source) < 0));
    }
    UseCatalogue(UiLanguage::kEnglish);
    EXPECT_EQ(Tr("Manual", "Usage :"), "Usage:");
    EXPECT_EQ(Tr("Manual", "pas dans le catalogue"), "pas dans le catalogue");
    UseCatalogue(UiLanguage::kFrench);
    EXPECT_EQ(Tr("Manual", "Usage :"), "Usage :");
}

TEST(Manual, HelpWrapsAndThePageEscapesWhatRoffWouldRead)
{
    const Manual manual{"Test", "prog", "résumé", {"--a | --b"},
                        {{"SECTION", {".commence par un point\n'et une apostrophe \\ -x"}, {{"-t", "é😀"}}}}};
    const std::string page = ManPage(manual);
    EXPECT_NE(page.find(".SH NOM\nprog \\- r\\[u00E9]sum\\[u00E9]\n"), std::string::npos) << page;
    EXPECT_NE(page.find("\\&.commence par un point\n.br\n\\&'et une apostrophe \\e \\-x\n"), std::string::npos) << page;
    EXPECT_NE(page.find(".TP\n.B \\-t\n\\[u00E9]\\[u1F600]\n"), std::string::npos) << page;
    for (const char c : page)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80);

    // No help line is wider than 79 columns, counting characters, not bytes.
    const std::string help = HelpText(cli::CliManual());
    std::size_t start = 0;
    while (start < help.size()) {
        const std::size_t end = help.find('\n', start);
        std::size_t columns = 0;
        for (std::size_t i = start; i < end; ++i)
            columns += (static_cast<unsigned char>(help[i]) & 0xC0) != 0x80;
        EXPECT_LE(columns, 79u) << help.substr(start, end - start);
        start = end + 1;
    }
    EXPECT_EQ(VersionText(manual), "prog (Tavelo) " + std::string(ProgramVersion()) + "\n");
}
