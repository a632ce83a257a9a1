#pragma once
// Files that a copying command writes under a temporary name and then puts in
// place in one step, so that no one ever finds a partial file under the final
// name, even after a crash.
//
// A staged file is named after a prefix of its command (the export's is
// ".tavelo-export-") and six random characters, and is locked for writing
// (an open-file-description lock over the whole file) from its creation until
// it is in place. A staged file that nobody holds locked is what an
// interrupted command left: the next command of that kind removes it. Locks
// bind only this program and vanish when its process ends, on this machine
// and over the network alike.

#include <string>
#include <string_view>

namespace tavelo {

inline constexpr std::string_view kStagedPrefix = ".tavelo-";
inline constexpr std::string_view kExportStagedPrefix = ".tavelo-export-";

// Creates `folder/<prefix>XXXXXX` (private, locked). Returns its descriptor
// and sets `path`, or returns -1 with errno set.
int CreateStagedFile(const std::string& folder, std::string_view prefix, std::string& path);

// Flushes the staged file to disk, renames it to `finalPath` (over a file
// there when `replace`, else never: EEXIST) and closes it. On failure the
// staged file is removed. Returns 0 or an errno value.
int PlaceStagedFile(int fd, const std::string& stagedPath, const std::string& finalPath, bool replace);

// Closes and removes a staged file that will not be placed.
void AbandonStagedFile(int fd, const std::string& stagedPath);

// Removes the staged files of this prefix that interrupted commands left in
// `folder`; those that a running command holds stay.
void RemoveAbandonedStagedFiles(const std::string& folder, std::string_view prefix);

} // namespace tavelo
