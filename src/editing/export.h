#pragma once
// The export of a book: beside each other in the chosen folder F, a new folder
// F/T (T the book's title) with a copy of every document file under its file
// name part, the book file F/T.tvo holding the book as it is in memory (its
// document paths unchanged) and the report F/Compte_rendu.txt.

#include <string>
#include <string_view>

#include "book/subject_book.h"
#include "editing/copy_observer.h"

namespace tavelo {

struct ExportResult {
    enum class Outcome {
        NoFolder,         // no folder chosen: nothing done
        FolderNotCreated, // F/T could not be made (it exists, or no rights)
        BookNotCreated,   // F/T.tvo could not be written (F/T is removed again)
        Finished,         // every document was tried
    };
    Outcome outcome = Outcome::NoFolder;
    int documents = 0; // document paths tried
    int failed = 0;    // of which not copied
    bool reportWritten = false;

    bool AllCopied() const { return outcome == Outcome::Finished && failed == 0; }
};

// Exports the book into `folder`. `title` is the book's title (BookTitleFromPath
// of its file). Every failed copy is reported with a warning and a report
// line, and the run goes on. A document whose file name part another document
// of this run already took, and a name that would leave F/T (empty, "." or
// ".."), count as failed copies: nothing copied earlier is replaced, nor a
// file that appears in F/T while the export runs. An existing F/T.tvo is never
// replaced, and such a refused export leaves F as it found it. Every file is
// written staged in F and flushed before it takes its name (staged_file.h);
// what an export that crashed left staged in F is removed first. The book is
// not changed.
ExportResult ExportBook(const SubjectBook& book, std::string_view title, const std::string& folder,
                        CopyObserver& ui);

// The export command: the prompt, then the folder browser (its answer becomes
// the book's chosen folder), then ExportBook. Nothing more when no folder is chosen.
ExportResult RunExportCommand(SubjectBook& book, std::string_view title, CopyObserver& ui);

} // namespace tavelo
