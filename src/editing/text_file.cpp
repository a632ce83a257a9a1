#include "editing/text_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

int PendingFile::Open(const std::string& folder, std::string_view prefix)
{
    Abandon();
    m_fd = CreateStagedFile(folder, prefix, m_temp);
    if (m_fd < 0) {
        m_temp.clear();
        return errno;
    }
    return 0;
}

int PendingFile::Commit(std::string_view bytes, const std::string& finalPath, bool replace)
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
    // Staged files are private; these are as readable as any new file.
    if (error == 0 && ::fchmod(m_fd, 0666 & ~CurrentUmask()) != 0)
        error = errno;
    const int fd = std::exchange(m_fd, -1);
    if (error != 0)
        AbandonStagedFile(fd, m_temp);
    else
        error = PlaceStagedFile(fd, m_temp, finalPath, replace);
    m_temp.clear();
    return error;
}

void PendingFile::Abandon()
{
    if (m_fd >= 0 || !m_temp.empty())
        AbandonStagedFile(std::exchange(m_fd, -1), m_temp);
    m_temp.clear();
}

} // namespace tavelo
