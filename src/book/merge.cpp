#include "book/merge.h"

#include <new>

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
    const auto damaged = [&](const std::string& why) {
        result.subjects.clear();
        result.outcome = MergeReadOutcome::kDamaged;
        result.message = Format(Tr("Book", "Le fichier « %1 » ne peut pas être fusionné : %2"), {path, why});
    };
    // Everything that fails here, memory included, is the other book's
    // failure: the open book stays as it was.
    try {
        const FileBytes bytes = ReadBookAsReader(path);
        result.subjects = ReadSubjectList(bytes.View(), notice);
    } catch (const FileError& e) {
        result.outcome = MergeReadOutcome::kRefused;
        result.message = Tr("Book", kMergeRefusedMessage) + "\n" + e.what();
    } catch (const BookFormatError& e) {
        damaged(e.what());
    } catch (const std::bad_alloc&) {
        damaged(Tr("Book", "il demande plus de mémoire que ce poste n'en a ; il est sans doute endommagé."));
    }
    return result;
}

void AppendMergedSubjects(SubjectBook& book, SubjectList subjects)
{
    book.AppendSubjects(std::move(subjects));
    book.SetModifiedFlag();
}

} // namespace tavelo
