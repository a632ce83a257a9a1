#pragma once
// The fields of tavelo-cli's tab-separated lines.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "book/book_file.h"

namespace tavelo {
class TextSource;
}

namespace tavelo::cli {

// The text with its control characters (tab, carriage return, line feed...)
// written as \xHH, so that a name never breaks a line or its fields.
std::string EscapeField(std::string_view text);

// The subjects of the book at `path`, read as a reader does (a book held by an
// instance of Tavelo stays readable); nothing, after a French message on
// `err`, when it cannot be read.
std::optional<SubjectList> ReadBookSubjects(const std::string& path, std::ostream& err);

// What the text cache and the reader processes have to say after a command
// read documents, one line each on `err`.
void WriteReadingNotices(TextSource& source, std::ostream& err);

} // namespace tavelo::cli
