#pragma once
// The copy of one subject's documents straight into a chosen folder F, with
// its expected text beside them as F/Attendu.txt when it has one.

#include <string>

#include "book/subject_book.h"
#include "editing/copy_observer.h"

namespace tavelo {

struct SubjectCopyResult {
    bool ran = false;        // false when no folder was chosen or no subject is current
    int documents = 0;
    int failed = 0;
    bool expectedWritten = false;

    bool AllCopied() const { return failed == 0; }
};

// Copies every document of `subject` into `folder`, then writes Attendu.txt
// when the expected text is not empty.
// A file that F already holds under a document's name is replaced without a
// question when it is the earlier copy of that document (same size and
// modification time, which the copy keeps), is left alone when it is the
// document itself, and is otherwise replaced only if the user says yes. Two
// documents with the same file name part: the second is not copied over the
// first. With an expected text, a document named Attendu.txt is not copied,
// since Attendu.txt would replace it. Any document not copied ends the run
// with the error message; an Attendu.txt that cannot be written is told.
SubjectCopyResult CopySubject(const CTenorels& subject, const std::string& folder, CopyObserver& ui);

// The subject copy command on the book's current subject: the prompt, the
// folder browser (its answer becomes the book's chosen folder), CopySubject.
SubjectCopyResult RunSubjectCopyCommand(SubjectBook& book, CopyObserver& ui);

} // namespace tavelo
