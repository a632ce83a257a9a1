#pragma once
// Reading another book to append its subjects to the open one.

#include <string>

#include "book/book_file.h"

namespace tavelo {

enum class MergeReadOutcome {
    kRead,
    kRefused,  // the file is open in an instance (this one included) or cannot be opened
    kDamaged,  // the file is not a readable book; `message` says why
};

struct MergeRead {
    MergeReadOutcome outcome = MergeReadOutcome::kRead;
    SubjectList subjects; // in file order, only when read
    std::string message;  // French, for kRefused and kDamaged
};

// The other file is only read, as a reader reads a book (ReadBookAsReader):
// never half of a version that is being saved. It is refused while any
// instance has it open, as a file opened with no sharing at all would be, and
// when it cannot be read (its reason on a second line). A damaged file, or
// one whose counts ask for more memory than there is, gives no subjects at
// all: nothing of it is appended. Nothing is thrown.
MergeRead ReadBookForMerge(const std::string& path, const FormatNotice& notice = {});

// Appends the subjects read, in file order, without looking for duplicates,
// and marks the book modified (also when nothing was appended).
class SubjectBook;
void AppendMergedSubjects(SubjectBook& book, SubjectList subjects);

} // namespace tavelo
