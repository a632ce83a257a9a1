#include "book/merge.h"

#include "base/tr.h"
#include "book/file_io.h"
#include "book/held_file.h"
#include "book/subject_book.h"

namespace tavelo {

MergeRead ReadBookForMerge(const std::string& path, const FormatNotice& notice)
{
    MergeRead result;
    if (IsBookInUse(path)) {
        result.outcome = MergeReadOutcome::kRefused;
        result.message = Tr("Book", kMergeRefusedMessage);
        return result;
    }
    FileBytes bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (const FileError&) {
        result.outcome = MergeReadOutcome::kRefused;
        result.message = Tr("Book", kMergeRefusedMessage);
        return result;
    }
    try {
        result.subjects = ReadSubjectList(bytes.View(), notice);
    } catch (const BookFormatError& e) {
        result.outcome = MergeReadOutcome::kDamaged;
        result.message = Format(Tr("Book", "Le fichier « %1 » ne peut pas être fusionné : %2"), {path, e.what()});
    }
    return result;
}

void AppendMergedSubjects(SubjectBook& book, SubjectList subjects)
{
    book.AppendSubjects(std::move(subjects));
    book.SetModifiedFlag();
}

} // namespace tavelo
