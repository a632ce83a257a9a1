#include "book/safe_save.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/lock_file.h"

namespace tavelo {

namespace {

FileError SaveFailure(const std::string& path, int error)
{
    return FileError(Format(Tr("Book", "Impossible d'enregistrer le livre « %1 » : %2."), {path, DescribeError(error)}), error);
}

// 0 or an errno value.
int WriteAll(FileSystemOps& fs, int fd, std::string_view bytes, off_t offset = 0)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 20);
        const ssize_t n = fs.Write(fd, bytes.data() + done, chunk, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

int ReadAll(FileSystemOps& fs, int fd, std::string& out)
{
    struct stat st {};
    if (fs.Fstat(fd, st) != 0)
        return errno;
    out.assign(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == out.size())
            out.resize(out.size() + 65536);
        const ssize_t n = fs.Read(fd, out.data() + done, out.size() - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    out.resize(done);
    return 0;
}

enum class Stage { kNone, kTemp, kWrite, kOwner, kRename };

struct Outcome {
    int error = 0;
    Stage stage = Stage::kNone;
};

struct Target {
    mode_t mode;
    bool keepOwner; // the file has another owner or group than this process
    uid_t uid;
    gid_t gid;
};

// Temporary file, flush, rename over `path`, flush of the folder.
Outcome ReplaceByRename(FileSystemOps& fs, const std::string& path, const std::string& tempPrefix,
                        const BookBytesProducer& produce, const Target& target)
{
    std::string temp = tempPrefix + "XXXXXX";
    const int fd = fs.CreateTemp(temp);
    if (fd < 0)
        return {errno, Stage::kTemp};
    const auto abandon = [&](int error, Stage stage, bool open) {
        if (open)
            fs.Close(fd);
        fs.Unlink(temp);
        return Outcome{error, stage};
    };
    // The bytes go to the file as they are produced: a large book is never
    // held whole in memory a second time.
    int written = 0;
    off_t offset = 0;
    produce([&](std::string_view chunk) {
        if (written == 0)
            written = WriteAll(fs, fd, chunk, offset);
        offset += static_cast<off_t>(chunk.size());
    });
    if (written != 0)
        return abandon(written, Stage::kWrite, true);
    if (fs.Fchmod(fd, target.mode) != 0)
        return abandon(errno, Stage::kWrite, true);
    if (target.keepOwner && fs.Fchown(fd, target.uid, target.gid) != 0) {
        if (target.uid != ::geteuid())
            return abandon(EPERM, Stage::kOwner, true);
        (void)fs.Fchown(fd, static_cast<uid_t>(-1), target.gid); // the group where allowed
    }
    if (fs.Fsync(fd) != 0)
        return abandon(errno, Stage::kWrite, true);
    if (fs.Close(fd) != 0)
        return abandon(errno, Stage::kWrite, false);
    if (fs.Rename(temp, path) != 0)
        return abandon(errno, Stage::kRename, false);
    // The new book is in place; a folder that cannot be flushed (some network
    // and FUSE file systems) only leaves the renaming's durability to the
    // system, and reporting a failure now would be untrue.
    (void)fs.SyncFolder(ParentFolder(path));
    return {};
}

// Rewrites the open book from offset 0 and cuts it to its new length.
int RewriteInPlace(FileSystemOps& fs, int fd, std::string_view bytes)
{
    if (const int e = WriteAll(fs, fd, bytes))
        return e;
    if (fs.Truncate(fd, static_cast<off_t>(bytes.size())) != 0)
        return errno;
    if (fs.Fsync(fd) != 0)
        return errno;
    return 0;
}

// Rewrites the book by path; 0 or an errno value.
int RewritePath(FileSystemOps& fs, const std::string& path, std::string_view bytes)
{
    const int fd = fs.Open(path, O_RDWR | O_CREAT, NewFileMode());
    if (fd < 0)
        return errno;
    int e = RewriteInPlace(fs, fd, bytes);
    if (fs.Close(fd) != 0 && e == 0)
        e = errno;
    return e;
}

bool Exists(FileSystemOps& fs, const std::string& path)
{
    struct stat st {};
    return fs.Lstat(path, st) == 0;
}

bool RenameRefused(int error)
{
    return error == EXDEV || error == EPERM || error == EACCES || error == EBUSY || error == ENOTSUP || error == EINVAL;
}

void SaveInPlace(FileSystemOps& fs, const std::string& path, std::string_view bytes, const std::function<void()>& beforeRewriting)
{
    const int fd = fs.Open(path, O_RDWR);
    if (fd < 0)
        throw SaveFailure(path, errno);
    std::string old;
    struct stat st {};
    int e = ReadAll(fs, fd, old);
    if (e == 0 && fs.Fstat(fd, st) != 0)
        e = errno;
    if (e != 0) {
        fs.Close(fd);
        throw SaveFailure(path, e);
    }
    const std::string backup = BackupFilePath(path);
    const Target backupTarget{static_cast<mode_t>(st.st_mode & 0666), false, 0, 0};
    if (const Outcome o = ReplaceByRename(fs, backup, TempFilePrefix(path), [&](const ByteSink& sink) { sink(old); }, backupTarget); o.error != 0) {
        fs.Close(fd);
        throw SaveFailure(path, o.error);
    }
    (void)fs.SyncFolder(ParentFolder(backup));
    if (beforeRewriting) {
        try {
            beforeRewriting();
        } catch (...) {
            fs.Close(fd);
            fs.Unlink(backup);
            throw;
        }
    }
    // Puts the old bytes back after a failure; the backup goes only once the
    // book is whole again, else the next holder restores from it.
    const auto undo = [&](int error, bool open) {
        int restored = open ? RewriteInPlace(fs, fd, old) : RewritePath(fs, path, old);
        if (open && fs.Close(fd) != 0 && restored == 0)
            restored = errno;
        if (restored == 0)
            fs.Unlink(backup);
        throw SaveFailure(path, error);
    };
    // Reserving the space first turns a full disk into a failure before any
    // byte of the book is overwritten.
    if (bytes.size() > old.size() && fs.Allocate(fd, static_cast<off_t>(bytes.size())) != 0) {
        const int error = errno;
        fs.Close(fd);
        fs.Unlink(backup);
        throw SaveFailure(path, error);
    }
    if (const int error = RewriteInPlace(fs, fd, bytes))
        undo(error, true);
    if (fs.Close(fd) != 0)
        undo(errno, false);
    if (fs.Unlink(backup) != 0) {
        // A backup that stays would be put back by the next holder: make the
        // book agree with it.
        const int error = errno;
        (void)RewritePath(fs, path, old);
        throw SaveFailure(path, error);
    }
    (void)fs.SyncFolder(ParentFolder(path));
}

} // namespace

mode_t NewFileMode()
{
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            mask = static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
            break;
        }
    }
    return 0666 & ~mask;
}

SaveMethod SaveBookFile(const std::string& path, std::string_view bytes, FileSystemOps& fs,
                        const std::function<void()>& beforeRewriting)
{
    return SaveBookFile(path, [&](const ByteSink& sink) { sink(bytes); }, fs, beforeRewriting);
}

SaveMethod SaveBookFile(const std::string& path, const BookBytesProducer& produce, FileSystemOps& fs,
                        const std::function<void()>& beforeRewriting)
{
    struct stat st {};
    Target target{NewFileMode(), false, 0, 0};
    bool inPlace = false;
    if (fs.Lstat(path, st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            inPlace = true;
        } else if (S_ISDIR(st.st_mode)) {
            throw SaveFailure(path, EISDIR);
        } else if (!S_ISREG(st.st_mode)) {
            throw SaveFailure(path, EINVAL);
        } else {
            inPlace = st.st_nlink > 1;
            target.mode = st.st_mode & 07777;
            target.uid = st.st_uid;
            target.gid = st.st_gid;
            target.keepOwner = st.st_uid != ::geteuid() || st.st_gid != ::getegid();
        }
    } else if (errno != ENOENT) {
        throw SaveFailure(path, errno);
    }

    if (!inPlace) {
        const Outcome o = ReplaceByRename(fs, path, TempFilePrefix(path), produce, target);
        if (o.error == 0) {
            const std::string backup = BackupFilePath(path);
            if (Exists(fs, backup))
                fs.Unlink(backup); // left by a rewriting that could not be put back; the book is whole now
            return SaveMethod::kReplace;
        }
        const bool fallBack = o.stage == Stage::kOwner || (o.stage == Stage::kRename && RenameRefused(o.error) && Exists(fs, path));
        if (!fallBack)
            throw SaveFailure(path, o.error);
    }
    // Rewriting in place needs the bytes twice (the space is reserved first).
    FileBytes bytes = FileBytes::WithCapacity(std::size_t{1} << 20);
    produce([&](std::string_view chunk) { bytes.Append(chunk); });
    SaveInPlace(fs, path, bytes.View(), beforeRewriting);
    return SaveMethod::kInPlace;
}

void RecoverBook(const std::string& path, FileSystemOps& fs)
{
    const std::string backup = BackupFilePath(path);
    if (Exists(fs, backup)) {
        const std::string old = ReadWholeFile(backup);
        if (const int e = RewritePath(fs, path, old))
            throw SaveFailure(path, e);
        if (fs.Unlink(backup) != 0)
            throw SaveFailure(path, errno);
        (void)fs.SyncFolder(ParentFolder(path));
    }

    const std::string prefix = TempFilePrefix(path);
    const std::string folder = ParentFolder(path);
    const std::string stem = prefix.substr(prefix.find_last_of('/') == std::string::npos ? 0 : prefix.find_last_of('/') + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const struct dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() == stem.size() + 6 && name.compare(0, stem.size(), stem) == 0)
            fs.Unlink(folder + "/" + name);
    }
    ::closedir(dir);
}

FileBytes ReadSavedBook(const std::string& path)
{
    const std::string backup = BackupFilePath(path);
    struct stat st {};
    if (::lstat(backup.c_str(), &st) == 0)
        return ReadFileBytes(backup);
    return ReadFileBytes(path);
}

} // namespace tavelo
