#include <iostream>
#include <map>
#include <new>
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
        {"holder", &tavelo::cli::RunHolder},
        {"conflicts", &tavelo::cli::RunConflicts},
        {"merge-copy", &tavelo::cli::RunMergeCopy},
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
    // The status a command gives when it fails (search keeps 1 for "nothing found").
    const int failure = it->first == "search" ? 2 : 1;
    // Whatever a command did not expect ends the tool with a message and its
    // failure status, never with an abort.
    try {
        return it->second(args, {std::cout, std::cerr});
    } catch (const std::bad_alloc&) {
        std::cerr << tavelo::Format(tavelo::Tr("tavelo-cli", "Mémoire insuffisante : la commande « %1 » est abandonnée."), {first}) << "\n";
    } catch (const std::exception& e) {
        std::cerr << tavelo::Format(tavelo::Tr("tavelo-cli", "Erreur inattendue, la commande « %1 » est abandonnée : %2"), {first, e.what()}) << "\n";
    } catch (...) {
        std::cerr << tavelo::Format(tavelo::Tr("tavelo-cli", "Erreur inattendue, la commande « %1 » est abandonnée."), {first}) << "\n";
    }
    return failure;
}
