#include "book/file_io.h"

#include "base/tr.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <new>
#include <utility>
#include <cstdint>
#include <unistd.h>

namespace tavelo {

std::string DescribeError(int error)
{
    switch (error) {
    case ENOENT: return Tr("Book", "le fichier ou le dossier n'existe pas");
    case EACCES:
    case EPERM: return Tr("Book", "accès refusé");
    case ENOSPC: return Tr("Book", "le disque est plein");
    case EDQUOT: return Tr("Book", "le quota de disque est dépassé");
    case EROFS: return Tr("Book", "le système de fichiers est en lecture seule");
    case EISDIR: return Tr("Book", "c'est un dossier");
    case ENOTDIR: return Tr("Book", "un élément du chemin n'est pas un dossier");
    case EIO: return Tr("Book", "erreur d'entrée-sortie");
    case EEXIST: return Tr("Book", "le fichier existe déjà");
    case ENAMETOOLONG: return Tr("Book", "le nom est trop long");
    case EFBIG: return Tr("Book", "le fichier est trop grand");
    case ENOLCK: return Tr("Book", "le verrouillage de fichiers n'est pas disponible sur ce dossier");
    case EAGAIN: return Tr("Book", "le fichier est verrouillé par un autre programme");
    default: return std::strerror(error);
    }
}

FileBytes::FileBytes(FileBytes&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_capacity(std::exchange(other.m_capacity, 0))
{
}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept
{
    if (this != &other) {
        Release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

void FileBytes::Release()
{
    if (m_data)
        ::munmap(m_data, m_capacity);
    m_data = nullptr;
    m_size = m_capacity = 0;
}

bool FileBytes::Reserve(std::size_t capacity)
{
    if (capacity <= m_capacity)
        return true;
    // Anonymous memory populated in one call: on virtual machines a page fault
    // per 4 KiB page costs more than reading the file itself.
    void* p;
    if (m_data)
        p = ::mremap(m_data, m_capacity, capacity, MREMAP_MAYMOVE);
    else
        p = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p == MAP_FAILED)
        return false;
    m_data = static_cast<char*>(p);
    m_capacity = capacity;
    return true;
}

FileBytes FileBytes::WithCapacity(std::size_t capacity)
{
    FileBytes bytes;
    if (!bytes.Reserve(std::max<std::size_t>(capacity, 1)))
        throw std::bad_alloc();
    return bytes;
}

void FileBytes::Append(std::string_view bytes)
{
    if (m_size + bytes.size() > m_capacity && !Reserve(std::max(m_size + bytes.size(), m_capacity * 2)))
        throw std::bad_alloc();
    std::memcpy(m_data + m_size, bytes.data(), bytes.size());
    m_size += bytes.size();
}

FileBytes ReadFileBytes(int fd, const std::string& path, std::size_t maxBytes)
{
    const auto fail = [&](int error) -> FileError {
        return FileError(Format(Tr("Book", "Impossible de lire le fichier « %1 » : %2."), {path, DescribeError(error)}), error);
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw fail(errno);
    if (S_ISDIR(st.st_mode))
        throw fail(EISDIR);
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        throw fail(EFBIG);
    constexpr std::size_t kStep = 64 * 1024;
    FileBytes bytes;
    if (!bytes.Reserve(static_cast<std::size_t>(st.st_size) + kStep))
        throw fail(ENOMEM);
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.m_capacity) {
            // The file grew since fstat; read on in steps.
            if (done > maxBytes)
                throw fail(EFBIG);
            if (!bytes.Reserve(bytes.m_capacity + 16 * kStep))
                throw fail(ENOMEM);
        }
        const ssize_t n = ::pread(fd, bytes.m_data + done, bytes.m_capacity - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw fail(errno);
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    bytes.m_size = done;
    return bytes;
}

FileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(Format(Tr("Book", "Impossible de lire le fichier « %1 » : %2."), {path, DescribeError(errno)}), errno);
    try {
        FileBytes bytes = ReadFileBytes(fd, path, maxBytes);
        ::close(fd);
        return bytes;
    } catch (...) {
        ::close(fd);
        throw;
    }
}

std::string ReadWholeFile(const std::string& path, std::size_t maxBytes)
{
    return std::string(ReadFileBytes(path, maxBytes).View());
}

namespace {

// Renames `from` to `to` unless `to` exists (errno EEXIST then). The kernel's
// no-replace rename is atomic; file systems without it get link() (also
// atomic), and those without hard links (FAT) a check followed by a rename.
int PlaceWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return -1;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS)
        return -1;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

} // namespace

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
    WriteNewFile(path, [&](const ByteSink& sink) { sink(bytes); }, replace);
}

void WriteNewFile(const std::string& path, const std::function<void(const ByteSink&)>& produce, bool replace)
{
    const auto fail = [&](int error) -> FileError {
        return FileError(Format(Tr("Book", "Impossible d'écrire le fichier « %1 » : %2."), {path, DescribeError(error)}), error);
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
    const ByteSink sink = [&](std::string_view bytes) {
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
    };
    try {
        produce(sink);
    } catch (const FileError&) {
        throw;
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
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
    const int placed = replace ? ::rename(temp.c_str(), path.c_str()) : PlaceWithoutReplacing(temp, path);
    const int e = errno;
    if (placed != 0) {
        ::unlink(temp.c_str());
        throw fail(e);
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace tavelo
