#include "editing/text_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "book/tenorels.h"
#include "book/text.h"
#include "editing/file_copy.h"

namespace tavelo {

std::string EncodeTextFile(std::string_view utf8)
{
    if (auto cp1252 = Utf8ToCp1252(utf8))
        return std::move(*cp1252);
    std::string out = "\xEF\xBB\xBF";
    out.append(utf8);
    return out;
}

int PendingFile::Open(const std::string& folder)
{
    Abandon();
    m_temp = JoinPath(folder, ".tavelo-XXXXXX");
    m_fd = ::mkostemp(m_temp.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_temp.clear();
        return errno;
    }
    return 0;
}

int PendingFile::Commit(std::string_view bytes, const std::string& finalPath)
{
    if (m_fd < 0)
        return EBADF;
    int error = 0;
    for (std::size_t done = 0; error == 0 && done < bytes.size();) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno != EINTR)
                error = errno;
        } else {
            done += static_cast<std::size_t>(n);
        }
    }
    // mkstemp makes private files; these are as readable as any new file.
    if (error == 0 && ::fchmod(m_fd, 0666 & ~CurrentUmask()) != 0)
        error = errno;
    if (error == 0 && ::fsync(m_fd) != 0)
        error = errno;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(m_temp.c_str(), finalPath.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(m_temp.c_str());
    m_temp.clear();
    return error;
}

void PendingFile::Abandon()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}

} // namespace tavelo
