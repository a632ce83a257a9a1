#pragma once
// The book file: the subject list as the serialisation archive writes it. No
// header, no trailer; an empty book is the two bytes 00 00, and a zero-length
// file reads as an empty book.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/tr.h"
#include "book/archive.h"
#include "book/file_io.h"
#include "book/tenorels.h"

namespace tavelo {

using SubjectList = std::vector<std::unique_ptr<CTenorels>>;

inline constexpr std::string_view kRecordClassName = "CTenorels";
inline constexpr int kRecordSchema = 2;
inline constexpr std::string_view kUnknownFormatMessage = TAVELO_TR_NOOP("Book", "Format du fichier inconnu");

// Called once for every record that the file stores under a schema other than
// 1 or 2, with the message to show, before the load fails.
using FormatNotice = std::function<void(std::string_view message)>;

// Reads a whole book. Fails as a whole with BookFormatError; never returns a
// partial list. Empty-object tags and back-references to records already read
// (which this program never writes) are skipped, so no record is listed twice
// and no entry is empty.
SubjectList ReadSubjectList(std::string_view bytes, const FormatNotice& notice = {});

// The exact bytes of a book file holding these subjects, in list order.
std::string WriteSubjectList(const SubjectList& subjects);
void WriteSubjectList(const SubjectList& subjects, std::string& out);
// The same bytes handed to `sink` in pieces of about a mebibyte, so that a large
// book is written without being held whole in memory.
void WriteSubjectList(const SubjectList& subjects, const ByteSink& sink);
// The same bytes in memory of their own, sized before writing so that a large
// book is serialised without a page fault per page.
FileBytes SerializeSubjects(const SubjectList& subjects);

} // namespace tavelo
