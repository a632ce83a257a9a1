#pragma once
// Reading a user's document file for the search: read-only, never locked, and
// never blocking on something that is not a regular file.

#include <string>

namespace tavelo {

// Larger documents are reported as unreadable rather than held in memory.
inline constexpr std::size_t kMaxDocumentBytes = std::size_t{512} << 20;

// The whole file. Throws FileError (French message naming the file) when the
// path does not name a readable regular file of at most `maxBytes`.
std::string ReadDocumentBytes(const std::string& path, std::size_t maxBytes = kMaxDocumentBytes);

// Throws FileError when the path does not name a readable regular file.
void CheckRegularFile(const std::string& path);

} // namespace tavelo
