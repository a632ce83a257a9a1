#include <iostream>
#include <map>
#include <new>
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
                 "  tavelo-cli cache stats|clear                  le cache des textes des documents\n";
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
    // The status a command gives when it fails (search keeps 1 for "nothing found").
    const int failure = it->first == "search" ? 2 : 1;
    // Whatever a command did not expect ends the tool with a message and its
    // failure status, never with an abort.
    try {
        return it->second(args, {std::cout, std::cerr});
    } catch (const std::bad_alloc&) {
        std::cerr << "Mémoire insuffisante : la commande « " << it->first << " » est abandonnée.\n";
    } catch (const std::exception& e) {
        std::cerr << "Erreur inattendue, la commande « " << it->first << " » est abandonnée : " << e.what() << "\n";
    } catch (...) {
        std::cerr << "Erreur inattendue, la commande « " << it->first << " » est abandonnée.\n";
    }
    return failure;
}
