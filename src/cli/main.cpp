#include <iostream>
#include <map>
#include <string_view>

#include "cli/commands.h"

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
    std::cerr << "Usage :\n"
                 "  tavelo-cli dump LIVRE.tvo                     affiche le livre en JSON\n"
                 "  tavelo-cli create FICHIER.json LIVRE.tvo [--force]\n"
                 "                                                écrit un livre depuis du JSON\n"
                 "  tavelo-cli export LIVRE.tvo DOSSIER           exporte le livre et ses documents\n"
                 "  tavelo-cli check LIVRE.tvo                    liste les documents absents ou illisibles\n"
                 "  tavelo-cli search LIVRE.tvo MOT [--scope names,expected,files,contents]\n"
                 "             [--whole-word] [--match-case] [--no-cache] [--readers=N]\n"
                 "             [--memory=Mio] [--time=SECONDES] [--ocr-time=SECONDES]\n"
                 "                                                affiche les sujets trouvés\n"
                 "  tavelo-cli cache stats|clear                  le cache des textes des documents\n"
                 "  tavelo-cli relink LIVRE.tvo DOSSIER [--dry-run]\n"
                 "                                                retrouve les documents déplacés\n";
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const auto it = Commands().find(argv[1]);
    if (it == Commands().end()) {
        std::cerr << "Commande inconnue : " << argv[1] << "\n";
        return Usage();
    }
    const tavelo::cli::Args args(argv + 2, argv + argc);
    return it->second(args, {std::cout, std::cerr});
}
