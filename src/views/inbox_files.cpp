#include "views/inbox_files.h"

#include <cerrno>
#include <cstdio>
#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/tenorels.h"

namespace tavelo::gui {

namespace {

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// Copies `from` into `to`, which must not exist; the copy keeps the dates.
// On failure nothing is left at `to`.
bool CopyNew(const std::string& from, const std::string& to, int& error)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        error = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(in, &st) != 0) {
        error = errno;
        ::close(in);
        return false;
    }
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0) {
        error = errno;
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            ok = false;
            break;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                error = put < 0 ? errno : ENOSPC;
                ok = false;
                break;
            }
            done += put;
        }
        if (!ok)
            break;
    }
    if (ok) {
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
        if (::fsync(out) != 0) {
            error = errno;
            ok = false;
        }
    }
    if (::close(out) != 0 && ok) {
        error = errno;
        ok = false;
    }
    ::close(in);
    if (!ok)
        ::unlink(to.c_str());
    return ok;
}

} // namespace

std::string SubjectFolder(const CTenorels& subject)
{
    std::map<std::string, std::size_t> counts;
    std::string best;
    std::size_t bestCount = 0;
    // Later documents win ties: they say where the subject is kept now.
    for (const std::string& path : subject.GetDocumentPaths()) {
        const std::string folder = ParentOf(path);
        if (folder.empty())
            continue;
        const std::size_t count = ++counts[folder];
        if (count >= bestCount) {
            bestCount = count;
            best = folder;
        }
    }
    return best;
}

std::string FreeNameIn(const std::string& folder, const std::string& name)
{
    std::string candidate = JoinPath(folder, name);
    if (!Exists(candidate))
        return candidate;
    const std::size_t dot = name.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    for (int n = 2; n < 1000; ++n) {
        candidate = JoinPath(folder, stem + " (" + std::to_string(n) + ")" + extension);
        if (!Exists(candidate))
            return candidate;
    }
    return {};
}

MoveOutcome MoveIntoFolder(const std::string& path, const std::string& folder)
{
    MoveOutcome out;
    const std::string name = NameOf(path);
    // A name may be taken between the look and the move: the move itself
    // refuses to replace, and the next name is tried.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const std::string target = FreeNameIn(folder, name);
        if (target.empty()) {
            out.message = Format(Tr("Inbox", "Aucun nom libre pour « %1 » dans « %2 » : le fichier est resté où il était."),
                                 {name, folder});
            return out;
        }
        int error = 0;
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
            out.moved = true;
            out.path = target;
            return out;
        }
        error = errno;
        if (error == EEXIST)
            continue;
        if (error == EINVAL || error == ENOSYS) {
            // A file system without the no-replace rename: a new link fails
            // when the name is taken.
            if (::link(path.c_str(), target.c_str()) == 0) {
                if (::unlink(path.c_str()) != 0) {
                    error = errno;
                    ::unlink(target.c_str());
                } else {
                    out.moved = true;
                    out.path = target;
                    return out;
                }
            } else if (errno == EEXIST) {
                continue;
            } else {
                error = errno == EXDEV || errno == EPERM ? EXDEV : errno;
            }
        }
        if (error == EXDEV) {
            if (CopyNew(path, target, error)) {
                if (::unlink(path.c_str()) == 0) {
                    out.moved = true;
                    out.path = target;
                    return out;
                }
                error = errno;
                ::unlink(target.c_str());
            } else if (error == EEXIST) {
                continue;
            }
        }
        out.message = Format(Tr("Inbox", "« %1 » n'a pas pu être rangé dans « %2 » : %3. Le fichier est resté où il était."),
                             {name, folder, DescribeError(error)});
        return out;
    }
    out.message = Format(Tr("Inbox", "Aucun nom libre pour « %1 » dans « %2 » : le fichier est resté où il était."),
                         {name, folder});
    return out;
}

std::string ScanFileName(const std::string& folder, std::time_t when)
{
    std::tm local {};
    ::localtime_r(&when, &local);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H.%M.%S", &local);
    return FreeNameIn(folder, Tr("Inbox", "Numérisation") + " " + stamp + ".pdf");
}

bool IsNetworkFolder(const std::string& folder)
{
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x65735546UL: // FUSE (sshfs, rclone…)
    case 0x01021997UL: // 9p
    case 0x73757245UL: // Coda
    case 0x564C:       // NCP
        return true;
    default:
        return false;
    }
}

FileLook LookAt(const std::string& path)
{
    FileLook look;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return look;
    look.size = static_cast<std::int64_t>(st.st_size);
    look.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    look.changedNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return look;
}

} // namespace tavelo::gui
