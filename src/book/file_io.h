#pragma once
// Whole-file reads and writes with reasons in French.

#include <stdexcept>
#include <string>
#include <string_view>

namespace tavelo {

// A file operation that failed; what() names the file and the system's reason.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& message, int error) : std::runtime_error(message), m_error(error) {}
    int Error() const { return m_error; }

private:
    int m_error;
};

// The French wording of an errno value, for messages.
std::string DescribeError(int error);

// Reads the whole file. Fails on a missing or unreadable file, a folder, or a
// file over `maxBytes`.
std::string ReadWholeFile(const std::string& path, std::size_t maxBytes = std::size_t{1} << 31);

// Writes a new file whole, through a temporary file in the same folder that is
// flushed to disk and then put in place, so that no one ever sees it half
// written. Without `replace`, an existing file is left alone and the call fails
// with EEXIST.
void WriteNewFile(const std::string& path, std::string_view bytes, bool replace);

// The folder part of a path ("." when it has none).
std::string ParentFolder(const std::string& path);

} // namespace tavelo
