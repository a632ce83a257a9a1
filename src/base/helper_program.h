#pragma once
// Where the programs and data that Tavelo runs or reads are, in a build tree
// and once installed:
//
//   installed     <prefix>/bin/tavelo, <prefix>/libexec/tavelo/<reader>,
//                 <prefix>/share/tavelo/<data>
//   build tree    build/src/app/tavelo, build/libexec/tavelo/<reader>,
//                 build/share/tavelo/<data>
//
// Paths are found relative to the running executable (/proc/self/exe), so an
// installation works wherever its prefix is; the build tree's folders, fixed
// when the program is built, come last so that tests and `./tavelo.sh run`
// find what the build made.

#include <string>
#include <string_view>

namespace tavelo {

// The helper program `name`: beside the executable, then in
// ../libexec/tavelo/ relative to it, then in the build tree's libexec/tavelo/.
// The first one that exists and may be executed; empty when there is none.
std::string FindHelperProgram(std::string_view name);

// A library Tavelo loads when it needs it (`name`, a module such as
// "tavelo-unicode.so"): in the same folders as its helper programs, readable.
std::string FindHelperLibrary(std::string_view name);

// The data file `relative` (for example "translations/tavelo_en.qm"): in
// ../share/tavelo/ relative to the executable, then in the build tree's
// share/tavelo/. Empty when neither exists.
std::string FindDataFile(std::string_view relative);

// True when the running executable is the one the build tree made (not an
// installed copy): per-user desktop registration happens only then.
bool RunsFromBuildTree();

// The build tree the program was built in (its build/ folder).
std::string BuildFolder();

// The folder of the running executable; empty when it cannot be known.
std::string ExecutableFolder();

namespace detail {
// The search itself, with the executable's folder and the build tree's folder
// given: what the functions above do with the real ones.
// `executable`: a helper program's folders rather than data's; `run`: the
// file found must be one that may be executed.
std::string FindIn(std::string_view name, const std::string& executableFolder, const std::string& buildFolder,
                   bool executable, bool run = true);
} // namespace detail

} // namespace tavelo
