#pragma once
// The one spelling of a book's path that every instance uses.
//
// A book reached through a symbolic link (to the file or to one of its
// folders), through "..", "./" or doubled slashes, or through a path relative
// to the current folder, is one book: its lock file, backup and temporary
// files are derived from the path resolved here, so every spelling meets the
// same reservation. The lock file stays beside the real book, where other
// machines that reach the folder see it too.

#include <string>

namespace tavelo {

// The absolute path of the book without symbolic links, "." or "..". A book
// that does not exist yet keeps its name in its resolved folder; a dangling
// symbolic link resolves to the file it names, which a save would create.
// Returns 0, or an errno value (the folder is missing, a loop of links...).
int ResolveBookPath(const std::string& path, std::string& resolved);

// The resolved path, or the path as given when it cannot be resolved (the
// caller's next step then fails on it with the system's own reason).
std::string ResolvedOrGiven(const std::string& path);

} // namespace tavelo
