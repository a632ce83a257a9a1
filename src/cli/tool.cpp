// The command line of tavelo-cli, from its first word to the command's status.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>
#include <string_view>

#include "base/tr.h"
#include "cli/commands.h"
#include "cli/manual.h"
#include "reading/text_source.h"

namespace tavelo::cli {

namespace {

int Usage(Streams io)
{
    io.err << UsageText(CliManual()) << Tr("tavelo-cli", "Pour en savoir plus : tavelo-cli --help") << "\n";
    return 1;
}

int UnknownCommand(std::string_view name, Streams io)
{
    io.err << Format(Tr("tavelo-cli", "Commande inconnue : %1"), {name}) << "\n";
    return Usage(io);
}

bool AsksForHelp(const Args& args)
{
    // A search word never starts with "--": --help anywhere is a request.
    for (const std::string& arg : args)
        if (arg == "--help")
            return true;
    return !args.empty() && args.front() == "-h";
}

} // namespace

int Finish(Streams io, int status)
{
    io.out.flush();
    io.err.flush();
    if (!io.endsProcess)
        return status;
    std::fflush(nullptr);
    std::_Exit(status);
}

int FinishSearch(Streams io, int status, std::optional<TextSource>& source)
{
    if (source) {
        source->Cache().Flush();
        if (!io.endsProcess || source->ReaderStarts() > 0 || source->Cache().OpenedForWriting())
            source.reset();
    }
    return Finish(io, status);
}

int RunTool(const Args& words, Streams io)
{
    if (words.empty())
        return Usage(io);
    const std::string_view first = words.front();
    if (first == "--help" || first == "-h") {
        io.out << HelpText(CliManual());
        return 0;
    }
    if (first == "--version") {
        io.out << VersionText(CliManual());
        return 0;
    }
    const CliCommand* command = FindCliCommand(first);
    if (command == nullptr)
        return UnknownCommand(first, io);
    const Args args(words.begin() + 1, words.end());
    if (command->run == nullptr) {
        // help [COMMAND]
        if (args.empty()) {
            io.out << HelpText(CliManual());
            return 0;
        }
        if (args.size() != 1) {
            io.err << CommandUsage("help");
            return 1;
        }
        const CliCommand* about = FindCliCommand(args.front());
        if (about == nullptr)
            return UnknownCommand(args.front(), io);
        io.out << CommandHelp(*about);
        return 0;
    }
    if (AsksForHelp(args)) {
        io.out << CommandHelp(*command);
        return 0;
    }
    // The status a command gives when it fails (search keeps 1 for "nothing found").
    const int failure = first == "search" || first == "find" ? 2 : 1;
    // Whatever a command did not expect ends the tool with a message and its
    // failure status, never with an abort.
    try {
        return command->run(args, io);
    } catch (const std::bad_alloc&) {
        io.err << Format(Tr("tavelo-cli", "Mémoire insuffisante : la commande « %1 » est abandonnée."), {first}) << "\n";
    } catch (const std::exception& e) {
        io.err << Format(Tr("tavelo-cli", "Erreur inattendue, la commande « %1 » est abandonnée : %2"), {first, e.what()}) << "\n";
    } catch (...) {
        io.err << Format(Tr("tavelo-cli", "Erreur inattendue, la commande « %1 » est abandonnée."), {first}) << "\n";
    }
    return failure;
}

} // namespace tavelo::cli
