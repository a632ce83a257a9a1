#pragma once
// The freedesktop association of *.tvo books with the program, for a program
// run from its build tree: an installed Tavelo has its desktop entry, MIME type
// and icons in the system's folders, put there by the package.
//
// The build stages those files under build/share; at start-up the build
// tree's program copies them into the user's data folder (~/.local/share),
// its desktop entry pointing at the build tree's executable. A file already
// there that is newer than the staged one is left alone, so two build trees
// or a hand-edited entry do not overwrite each other at every start.
// Failures are ignored.

#include <QString>

namespace tavelo::gui {

inline constexpr const char* kBookMimeType = "application/x-tavelo-book";
inline constexpr const char* kDesktopId = "fr.morv.Tavelo.desktop";

// Copies the staged files of `stagedShare` (its applications/, mime/ and
// icons/ folders) into `dataFolder`, the desktop entry's Exec made to run
// `executable`. Refreshes the desktop's caches when something was written and
// `refreshCaches` is set. False when a file could not be written.
bool RegisterDesktopFiles(const QString& stagedShare, const QString& executable, const QString& dataFolder,
                          bool refreshCaches);

// What start-up calls: RegisterDesktopFiles from the build tree into the
// user's data folder when the program runs from its build tree; nothing
// otherwise.
void RegisterForBuildTree();

} // namespace tavelo::gui
