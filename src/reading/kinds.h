#pragma once
// The kinds of document the search reads, chosen by the file's extension. One
// row of TAVELO_DOCUMENT_KINDS per kind; the reader program's module for a kind
// is the function Read<Name> in formats/ (see formats/format.h).
//
// Row: X(Name, code, version, "extensions separated by spaces")
// - code: the kind's number in the text cache and between the search and its
//   reader processes; never reused.
// - version: raised whenever the module reads a file differently, so that the
//   cache reads again what an earlier version read.

#include <cstdint>
#include <string_view>

#define TAVELO_DOCUMENT_KINDS(X)        \
    X(Text, 1, 1, "txt text md markdown csv tsv log") \
    X(Rtf, 2, 1, "rtf")                 \
    X(Pdf, 3, 1, "pdf")                 \
    X(Word, 4, 1, "doc")                \
    X(Spreadsheet, 5, 1, "xls")         \
    X(Html, 12, 1, "html htm xhtml")    \
    X(Mail, 13, 1, "eml mht mhtml")

namespace tavelo {

enum class DocumentKind : std::uint8_t {
    kOther = 0,
#define TAVELO_KIND_ENUM(name, code, version, extensions) k##name = code,
    TAVELO_DOCUMENT_KINDS(TAVELO_KIND_ENUM)
#undef TAVELO_KIND_ENUM
};

// The kind of a document by its extension, whatever the case of its letters
// (".PDF" is a PDF); kOther for any extension no kind reads (such documents
// are never opened).
DocumentKind KindOfExtension(std::string_view extension);

// The version of the kind's module; 0 for kOther.
unsigned KindVersion(DocumentKind kind);

// The kind of that code, or kOther.
DocumentKind KindOfCode(std::uint8_t code);

// Plain text is read in the searching process itself: reading it costs what
// asking a reader process would, and it needs no library.
inline bool IsReadInProcess(DocumentKind kind)
{
    return kind == DocumentKind::kText;
}

} // namespace tavelo
