#include <iostream>
#include <map>
#include <string_view>

#include "base/catalogue.h"
#include "base/tr.h"
#include "cli/commands.h"
#include "cli/manual.h"

namespace {

using Command = int (*)(const tavelo::cli::Args&, tavelo::cli::Streams);

const std::map<std::string_view, Command>& Commands()
{
    static const std::map<std::string_view, Command> table = {
        {"dump", &tavelo::cli::RunDump},
        {"create", &tavelo::cli::RunCreate},
        {"export", &tavelo::cli::RunExport},
        {"check", &tavelo::cli::RunCheck},
        {"search", &tavelo::cli::RunSearch},
        {"cache", &tavelo::cli::RunCache},
        {"relink", &tavelo::cli::RunRelink},
    };
    return table;
}

int Usage()
{
    std::cerr << tavelo::UsageText(tavelo::cli::CliManual())
              << tavelo::Tr("tavelo-cli", "Pour en savoir plus : tavelo-cli --help") << "\n";
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    tavelo::UseCatalogue(tavelo::LanguageFromEnvironment());
    if (argc < 2)
        return Usage();
    const std::string_view first = argv[1];
    if (first == "--help" || first == "-h") {
        std::cout << tavelo::HelpText(tavelo::cli::CliManual());
        return 0;
    }
    if (first == "--version") {
        std::cout << tavelo::VersionText(tavelo::cli::CliManual());
        return 0;
    }
    const auto it = Commands().find(first);
    if (it == Commands().end()) {
        std::cerr << tavelo::Format(tavelo::Tr("tavelo-cli", "Commande inconnue : %1"), {first}) << "\n";
        return Usage();
    }
    const tavelo::cli::Args args(argv + 2, argv + argc);
    return it->second(args, {std::cout, std::cerr});
}
