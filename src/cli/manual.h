#pragma once
// The commands of tavelo-cli, one row each, and the manual built from them:
// --help, each command's own help and the manual page tavelo-cli(1).

#include <string>
#include <string_view>
#include <vector>

#include "base/manual.h"
#include "cli/commands.h"

namespace tavelo::cli {

struct CliCommand {
    const char* name; // never translated
    int (*run)(const Args& args, Streams io); // nullptr for help, which main answers
    const char* synopsis; // its arguments, after "tavelo-cli"
    const char* term;     // as the manual lists it; nullptr: the synopsis
    const char* text;
    std::vector<const char*> options; // the terms of the OPTIONS entries that concern it
};

// In the order of the manual.
const std::vector<CliCommand>& CliCommands();
const CliCommand* FindCliCommand(std::string_view name);

const Manual& CliManual();

// "Usage : tavelo-cli <the synopsis line of `command`>" and a line feed,
// translated: what a command prints when it is called wrongly.
std::string CommandUsage(std::string_view command);
// `tavelo-cli COMMAND --help`: its usage, what it does and its options.
std::string CommandHelp(const CliCommand& command);

} // namespace tavelo::cli
