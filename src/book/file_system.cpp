#include "book/file_system.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tavelo {

int FileSystemOps::Open(const std::string& path, int flags, mode_t mode)
{
    int fd;
    do
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int FileSystemOps::CreateTemp(std::string& pathTemplate)
{
    return ::mkostemp(pathTemplate.data(), O_CLOEXEC);
}

ssize_t FileSystemOps::Read(int fd, void* buffer, std::size_t size, off_t offset)
{
    return ::pread(fd, buffer, size, offset);
}

ssize_t FileSystemOps::Write(int fd, const void* data, std::size_t size, off_t offset)
{
    return ::pwrite(fd, data, size, offset);
}

int FileSystemOps::Fsync(int fd)
{
    return ::fsync(fd);
}

int FileSystemOps::Close(int fd)
{
    return ::close(fd);
}

int FileSystemOps::Rename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str());
}

int FileSystemOps::Unlink(const std::string& path)
{
    return ::unlink(path.c_str());
}

int FileSystemOps::Allocate(int fd, off_t length)
{
    const int error = ::posix_fallocate(fd, 0, length);
    if (error == 0)
        return 0;
    errno = error;
    return -1;
}

int FileSystemOps::Truncate(int fd, off_t length)
{
    return ::ftruncate(fd, length);
}

int FileSystemOps::Fchmod(int fd, mode_t mode)
{
    return ::fchmod(fd, mode);
}

int FileSystemOps::Fchown(int fd, uid_t owner, gid_t group)
{
    return ::fchown(fd, owner, group);
}

int FileSystemOps::Lstat(const std::string& path, struct stat& st)
{
    return ::lstat(path.c_str(), &st);
}

int FileSystemOps::Fstat(int fd, struct stat& st)
{
    return ::fstat(fd, &st);
}

int FileSystemOps::SyncFolder(const std::string& folder)
{
    const int fd = Open(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return -1;
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    errno = error;
    return result;
}

FileSystemOps& DefaultFileSystem()
{
    static FileSystemOps ops;
    return ops;
}

} // namespace tavelo
