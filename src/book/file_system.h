#pragma once
// The file-system calls that saving goes through. Tests replace them to make
// any one of them fail (full disk, lost network, refused rename); everything
// else uses the POSIX calls as they are.

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace tavelo {

// Each call returns what the POSIX call returns and sets errno on failure.
class FileSystemOps {
public:
    virtual ~FileSystemOps() = default;

    virtual int Open(const std::string& path, int flags, mode_t mode = 0);
    // mkstemp on `pathTemplate` (ending in XXXXXX), which it completes.
    virtual int CreateTemp(std::string& pathTemplate);
    virtual ssize_t Read(int fd, void* buffer, std::size_t size, off_t offset);
    virtual ssize_t Write(int fd, const void* data, std::size_t size, off_t offset);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const std::string& from, const std::string& to);
    virtual int Unlink(const std::string& path);
    // posix_fallocate, with the -1/errno convention of the other calls.
    virtual int Allocate(int fd, off_t length);
    virtual int Truncate(int fd, off_t length);
    virtual int Fchmod(int fd, mode_t mode);
    virtual int Fchown(int fd, uid_t owner, gid_t group);
    virtual int Lstat(const std::string& path, struct stat& st);
    virtual int Fstat(int fd, struct stat& st);
    // Flushes a folder's entries (a rename is durable only after this).
    virtual int SyncFolder(const std::string& folder);
};

// The plain POSIX calls; shared by the whole process.
FileSystemOps& DefaultFileSystem();

} // namespace tavelo
