#pragma once
// Whole-file reads and writes with reasons in French.

#include <functional>
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

// Reads the whole file. Fails on a missing or unreadable file, a folder, or a
// file over `maxBytes`. The descriptor form reads from offset 0 and leaves the
// descriptor open; `path` only names the file in messages.
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

// The folder part of a path ("." when it has none).
std::string ParentFolder(const std::string& path);

} // namespace tavelo
