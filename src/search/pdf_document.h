#pragma once
// The search inside PDF files, on the text of each page that poppler extracts.

#include <string>

namespace tavelo {

class SearchPattern;

enum class PdfSearch { kNotFound, kFound, kUnreadable };

// Page by page, stopping at the first page whose text holds the pattern.
// kUnreadable for a file that is missing, damaged or protected by a password;
// `reason` then says why, in French. The file is opened read-only.
PdfSearch SearchPdfFile(const SearchPattern& pattern, const std::string& path, std::string& reason);

// Non-zero when the pattern occurs in the PDF document at `path`; zero when it
// does not or the file cannot be read.
int FindWord(const SearchPattern* pattern, const char* path);

} // namespace tavelo
