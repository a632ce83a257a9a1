#pragma once
// Copies of a book that sync clients leave beside it when two machines changed
// it apart, the versions Tavelo keeps to merge them three-way, and the
// desktop's trash, where a merged copy goes.

#include <string>
#include <string_view>
#include <vector>

#include "book/book_file.h"

namespace tavelo {

// Which client's naming a file name follows, for the book named `bookName`
// ("Maison.tvo"); empty when it is no conflict copy of it. Known: Nextcloud
// and ownCloud "Maison (conflicted copy 2024-05-03 101112).tvo" and the older
// "Maison_conflict-20240503-101112.tvo", Syncthing
// "Maison.sync-conflict-20240503-101112-ABCDEFG.tvo", Dropbox
// "Maison (ana's conflicted copy 2024-05-03).tvo", OneDrive "Maison-SALON.tvo".
std::string ConflictCopyClient(std::string_view bookName, std::string_view candidate);

struct ConflictCopy {
    std::string path;
    std::string client;
    bool readable = false;
    std::string problem; // French, when it is not a readable book
};

// The conflict copies beside the book, sorted by name. Copies of the lock
// file and Tavelo's own temporary files are never among them.
std::vector<ConflictCopy> FindConflictCopies(const std::string& bookPath);

// The versions of one book that this machine loaded or saved, newest first,
// kept in $XDG_CACHE_HOME/tavelo/versions (by default ~/.cache/tavelo). A
// handful per book; failures to keep them are ignored (the merge is then
// two-way).
void RememberVersion(const std::string& bookPath, std::string_view bytes, bool saved);
// The common base of the book's content `book` and a copy's `copy`: the
// newest version this machine read from the share (not one it saved itself)
// that is neither of the two. Empty when none is known.
bool FindCommonBase(const std::string& bookPath, std::string_view book, std::string_view copy, std::string& base);

// Moves a file to the desktop's trash, laid out as freedesktop.org says:
// the home trash for a file on the home's file system, else the trash at the
// top of its own file system). Never deletes. Returns 0 or an errno value.
int MoveToTrash(const std::string& path);

} // namespace tavelo
