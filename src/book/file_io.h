#pragma once
// Whole-file reads and writes with reasons in French.

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>

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

// Why a file of this mode is not read as a document or a book ("c'est un tube
// nommé, pas un fichier ordinaire"); empty for a regular file.
std::string DescribeNotRegular(mode_t mode);

// A file that is not a regular file: a named pipe would block its reader, a
// device may never end, a folder is no file. Error() is EISDIR for a folder
// and EINVAL otherwise; what() says which kind it is.
FileError NotRegularFile(const std::string& path, mode_t mode);

inline constexpr std::size_t kMaxFileBytes = std::size_t{1} << 31;

// The whole content of a file, in memory of its own (large books are read
// without a page fault per page).
class FileBytes {
public:
    FileBytes() = default;
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    ~FileBytes() { Release(); }

    // Room for `capacity` bytes, made resident at once; throws std::bad_alloc.
    static FileBytes WithCapacity(std::size_t capacity);

    std::string_view View() const { return {m_data, m_size}; }
    std::size_t Size() const { return m_size; }
    void Append(std::string_view bytes);

private:
    friend FileBytes ReadFileBytes(int fd, const std::string& path, std::size_t maxBytes);
    bool Reserve(std::size_t capacity);
    void Release();

    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// Reads the whole file. Fails on a missing or unreadable file, on anything but
// a regular file (checked before reading, without ever waiting on a named
// pipe), or on a file over `maxBytes` (checked before reading too). The
// descriptor form reads from offset 0 and leaves the descriptor open; `path`
// only names the file in messages.
FileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes = kMaxFileBytes);
FileBytes ReadFileBytes(int fd, const std::string& path, std::size_t maxBytes = kMaxFileBytes);
std::string ReadWholeFile(const std::string& path, std::size_t maxBytes = kMaxFileBytes);

// Receives bytes to write, in order; throws FileError when they cannot be written.
using ByteSink = std::function<void(std::string_view)>;

// Writes a new file whole, through a temporary file in the same folder that is
// flushed to disk and then put in place, so that no one ever sees it half
// written. Without `replace`, an existing file is left alone and the call fails
// with EEXIST.
void WriteNewFile(const std::string& path, std::string_view bytes, bool replace);
// The same with the bytes handed over piece by piece by `produce`.
void WriteNewFile(const std::string& path, const std::function<void(const ByteSink&)>& produce, bool replace);

// Renames `from` to `to` in one atomic step that never replaces an existing
// `to` (renameat2 with RENAME_NOREPLACE, else link then unlink, else a check
// and a rename where the file system has neither). 0, or an errno value
// (EEXIST when `to` exists).
int RenameNoReplace(const std::string& from, const std::string& to);

// The folder part of a path ("." when it has none).
std::string ParentFolder(const std::string& path);

} // namespace tavelo
