#pragma once
// Re-pointing document paths into one folder: the folder change, and the
// import of an exported book (whose copies lie in the folder named after the
// book, beside the book file).

#include <string>
#include <string_view>

#include "book/subject_book.h"
#include "editing/copy_observer.h"

namespace tavelo {

// Sets every document path of the subject to folder + '/' + its file name
// part, keeping their number and order. Nothing is checked on disk.
void RepointDocuments(CTenorels& subject, std::string_view folder);

// Re-points every subject of the book into `folder` and marks the book modified
// (also when it has no subject or no document).
void ChangeFolder(SubjectBook& book, std::string_view folder);

// The folder change command: the prompt, the folder browser (its answer becomes
// the book's chosen folder), ChangeFolder. Returns false, the book untouched,
// when no folder is chosen; on true the caller refreshes the document list.
bool RunFolderChangeCommand(SubjectBook& book, CopyObserver& ui);

// The title of a book stored at `bookPath`: its file name part without a
// final ".tvo" (in any case). The export names its folder and book after it.
std::string BookTitleFromPath(std::string_view bookPath);

// Where the export put the copies of a book stored at `bookPath` with this
// title: the book's folder (the path up to its last '/', kept as it is) + title.
std::string ImportFolder(std::string_view bookPath, std::string_view title);

// The import's step for one subject, run by the subject tree right after it
// has inserted the subject: re-points it into the import folder and marks the
// book modified.
void RepointImportedSubject(SubjectBook& book, CTenorels& subject, std::string_view importFolder);

// All of the import's re-pointing for a book opened without a tree.
void RepointImportedBook(SubjectBook& book, std::string_view bookPath, std::string_view title);

} // namespace tavelo
