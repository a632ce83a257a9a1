#pragma once
// Filing seen from a book: the scorer made from the book's subjects and the
// texts the cache holds, the text of a new file read by the reading side (and
// kept in the cache, so that a filed document is searchable at once), the new
// files of an inbox folder, and adding documents to a subject.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "book/book_file.h"
#include "book/subject_book.h"
#include "filing/scorer.h"

namespace tavelo {
class TextSource;
}

namespace tavelo::filing {

// The scorer of a book: subject i of the list is subject i of the scorer.
// Documents whose text the cache lacks are read first when `readMissing`,
// else left out.
Scorer ScorerForBook(const SubjectList& subjects, TextSource& source, bool readMissing = true,
                     ScorerOptions options = {});

struct FileText {
    bool read = false;
    std::string text;
    std::string reason; // French, when not read
};

// The text of one file as the search reads it: from the cache when the file
// has not changed, else by the reader processes (plain text here), then kept.
// The caller brackets the reads with source.BeginSearch() and EndSearch().
FileText ReadFileText(TextSource& source, const std::string& path);
// The texts of several files, in their order, read at once by as many reader
// processes as the source allows, the whole run bracketed.
std::vector<FileText> ReadFileTexts(TextSource& source, const std::vector<std::string>& paths);

struct InboxFile {
    std::string path;
    std::int64_t modifiedNs = 0;
};

// The regular files of `folder` (not its subfolders, nor hidden files) that
// no subject of the book holds, newest first. Nothing, with the reason in
// `reason`, when the folder cannot be read.
std::optional<std::vector<InboxFile>> ListNewFiles(const std::string& folder, const SubjectList& subjects,
                                                   std::string& reason);

// Whether a subject of the book holds this path, as written or once resolved.
bool BookHoldsPath(const SubjectList& subjects, const std::string& path);

// The subject "GENERAL TITLE/SUBJECT" of the book: the split at a '/' that
// names an existing subject, else at the first '/'. -1 when none exists;
// `title` and `name` then say what would be created.
long FindSubjectByLabel(const SubjectList& subjects, const std::string& label, std::string& title, std::string& name);

struct AddOutcome {
    bool added = false;
    std::string message; // French, when refused
    long subject = -1;
};

// Adds `paths` (made absolute) to the subject `label`, created at the end of
// the book with `create`. Refuses the whole call, leaving the book as it was,
// when the subject is missing without `create`, a file is missing or no
// regular file, or a path is already in the book.
AddOutcome AddDocuments(SubjectBook& book, const std::string& label, const std::vector<std::string>& paths,
                        bool create);

} // namespace tavelo::filing
