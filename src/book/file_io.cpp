#include "book/file_io.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelo {

std::string DescribeError(int error)
{
    switch (error) {
    case ENOENT: return "le fichier ou le dossier n'existe pas";
    case EACCES:
    case EPERM: return "accès refusé";
    case ENOSPC: return "le disque est plein";
    case EDQUOT: return "le quota de disque est dépassé";
    case EROFS: return "le système de fichiers est en lecture seule";
    case EISDIR: return "c'est un dossier";
    case ENOTDIR: return "un élément du chemin n'est pas un dossier";
    case EIO: return "erreur d'entrée-sortie";
    case EEXIST: return "le fichier existe déjà";
    case ENAMETOOLONG: return "le nom est trop long";
    case EFBIG: return "le fichier est trop grand";
    case ENOLCK: return "le verrouillage de fichiers n'est pas disponible sur ce dossier";
    case EAGAIN: return "le fichier est verrouillé par un autre programme";
    default: return std::strerror(error);
    }
}

std::string ReadWholeFile(const std::string& path, std::size_t maxBytes)
{
    const auto fail = [&](int error) -> FileError {
        return FileError("Impossible de lire le fichier « " + path + " » : " + DescribeError(error) + ".", error);
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        throw fail(e);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw fail(EISDIR);
    }
    if (static_cast<std::size_t>(st.st_size) > maxBytes) {
        ::close(fd);
        throw fail(EFBIG);
    }
    std::string data;
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    for (;;) {
        if (done == data.size()) {
            // The file may have grown since fstat; read on in steps.
            if (data.size() >= maxBytes)
                break;
            data.resize(std::min(maxBytes, data.size() + 65536));
        }
        const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            ::close(fd);
            throw fail(e);
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    data.resize(done);
    return data;
}

std::string ParentFolder(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

void WriteNewFile(const std::string& path, std::string_view bytes, bool replace)
{
    const auto fail = [&](int error) -> FileError {
        return FileError("Impossible d'écrire le fichier « " + path + " » : " + DescribeError(error) + ".", error);
    };
    const std::string folder = ParentFolder(path);
    std::string temp = folder + "/.tavelo-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw fail(errno);
    const auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw fail(error);
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            abandon(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    // Files made by mkstemp are private; a book is as readable as any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0 || ::fsync(fd) != 0)
        abandon(errno);
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(temp.c_str());
        throw fail(e);
    }
    // link() refuses an existing target, so a file that appeared meanwhile is kept.
    const int placed = replace ? ::rename(temp.c_str(), path.c_str()) : ::link(temp.c_str(), path.c_str());
    const int e = errno;
    if (!replace || placed != 0)
        ::unlink(temp.c_str());
    if (placed != 0)
        throw fail(e);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace tavelo
