#pragma once
// The manual of a program, written once: `--help` prints it as text and the
// build turns the same table into the program's manual page (tavelo(1),
// tavelo-cli(1)), in French and in English. Every text of the table is marked
// with TAVELO_TR_NOOP in the manual's context and translated when printed.

#include <string>
#include <string_view>
#include <vector>

namespace tavelo {

struct ManualEntry {
    const char* term; // an option or a command with its arguments
    const char* text;
};

struct ManualSection {
    const char* title; // upper case, as manual pages have them
    std::vector<const char*> paragraphs;
    std::vector<ManualEntry> entries;
};

struct Manual {
    const char* context;  // translation context of the texts below
    const char* program;  // the command's name, never translated
    const char* summary;  // what follows "program - " in the NAME section
    std::vector<const char*> synopsis; // the arguments of each way to call it
    std::vector<ManualSection> sections;
};

// "Usage :" and the synopsis, for the message that follows a wrong call.
std::string UsageText(const Manual& manual);
// A '\n' inside a paragraph or an entry's text starts a new line.
std::string HelpText(const Manual& manual);
// One entry as HelpText prints it: its term, then its text indented below;
// without a term, the text alone, as a paragraph.
std::string EntryHelp(const Manual& manual, const ManualEntry& entry);
// "tavelo-cli (Tavelo) 1.0.2" and a line feed.
std::string VersionText(const Manual& manual);
// The page in the man(7) macros, plain ASCII (other characters as \[uXXXX]).
std::string ManPage(const Manual& manual);

std::string_view ProgramVersion();

} // namespace tavelo
