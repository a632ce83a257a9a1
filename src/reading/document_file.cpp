#include "reading/document_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/tr.h"
#include "book/file_io.h"

namespace tavelo {

namespace {

FileError Failure(const std::string& path, int error)
{
    return FileError(Format(Tr("Search", "Impossible de lire le document « %1 » : %2."), {path, DescribeError(error)}), error);
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

// O_NONBLOCK keeps a named pipe or a device from holding the search up at
// open; anything but a regular file is refused right after.
Fd OpenRegular(const std::string& path, struct stat& st)
{
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        throw Failure(path, errno);
    if (::fstat(fd.get(), &st) != 0)
        throw Failure(path, errno);
    if (S_ISDIR(st.st_mode))
        throw Failure(path, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw FileError(Format(Tr("Search", "Impossible de lire le document « %1 » : %2."), {path, Tr("Search", "ce n'est pas un fichier ordinaire")}),
                        EINVAL);
    return fd;
}

} // namespace

void CheckRegularFile(const std::string& path)
{
    struct stat st {};
    OpenRegular(path, st);
}

std::string ReadDocumentBytes(const std::string& path, std::size_t maxBytes)
{
    struct stat st {};
    const Fd fd = OpenRegular(path, st);
    if (static_cast<std::size_t>(st.st_size) > maxBytes)
        throw Failure(path, EFBIG);
    std::string data;
    // One byte more than the size, so that a file that grew is noticed.
    data.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == data.size()) {
            if (data.size() > maxBytes)
                throw Failure(path, EFBIG);
            data.resize(std::min(maxBytes + 1, data.size() * 2));
        }
        const ssize_t n = ::read(fd.get(), data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Failure(path, errno);
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    data.resize(done);
    return data;
}

} // namespace tavelo
