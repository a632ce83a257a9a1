#include "editing/staged_file.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "book/file_io.h"
#include "book/tenorels.h"

namespace tavelo {

namespace {

// A write lock over the whole file, without waiting: 0 or an errno value.
int LockWhole(int fd)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 ? 0 : errno;
}

} // namespace

int CreateStagedFile(const std::string& folder, std::string_view prefix, std::string& path)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        path = JoinPath(folder, std::string(prefix) + "XXXXXX");
        const int fd = ::mkostemp(path.data(), O_CLOEXEC);
        if (fd < 0)
            return -1;
        // A clean-up of another command may have found the file between its
        // creation and this lock, and holds or has removed it: take another.
        // Where the file system has no locks (ENOLCK) the file still serves;
        // a clean-up then cannot tell it from an abandoned one and leaves it.
        struct stat st {};
        if (LockWhole(fd) == EAGAIN || (::fstat(fd, &st) == 0 && st.st_nlink == 0)) {
            ::close(fd);
            continue;
        }
        return fd;
    }
    errno = EAGAIN;
    return -1;
}

int PlaceStagedFile(int fd, const std::string& stagedPath, const std::string& finalPath, bool replace)
{
    int error = ::fsync(fd) == 0 ? 0 : errno;
    if (error == 0) {
        if (replace)
            error = ::rename(stagedPath.c_str(), finalPath.c_str()) == 0 ? 0 : errno;
        else
            error = RenameNoReplace(stagedPath, finalPath);
    }
    if (error != 0) {
        AbandonStagedFile(fd, stagedPath);
        return error;
    }
    // The lock goes with the descriptor, once the file has its final name. A
    // late error of close cannot concern data that fsync has written.
    ::close(fd);
    return 0;
}

void AbandonStagedFile(int fd, const std::string& stagedPath)
{
    ::unlink(stagedPath.c_str());
    if (fd >= 0)
        ::close(fd);
}

void RemoveAbandonedStagedFiles(const std::string& folder, std::string_view prefix)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const struct dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + 6 || !name.starts_with(prefix))
            continue;
        const std::string path = JoinPath(folder, std::string(name));
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            continue;
        struct stat st {};
        // Removed while locked here: a command that has just created it and
        // not yet locked it sees that, and takes another name.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && LockWhole(fd) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

} // namespace tavelo
