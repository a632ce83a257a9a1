#include "book/conflict_copies.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/tr.h"
#include "book/book_path.h"
#include "book/book_version.h"
#include "book/file_io.h"
#include "book/tenorels.h"

namespace tavelo {

namespace {

bool StartsWith(std::string_view s, std::string_view p)
{
    return s.size() >= p.size() && s.substr(0, p.size()) == p;
}

bool EndsWith(std::string_view s, std::string_view p)
{
    return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}

bool AllDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A machine's name as OneDrive puts it: letters, digits and dashes, not a
// number alone (so that "Maison-2024.tvo" stays a book of its own).
bool LooksLikeHostName(std::string_view s)
{
    return !s.empty() && !AllDigits(s) && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    }) && std::any_of(s.begin(), s.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

std::string CacheRoot()
{
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        return std::string(xdg) + "/tavelo";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return std::string(home) + "/.cache/tavelo";
    return {};
}

std::string Hex(std::uint64_t v)
{
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(v));
    return buffer;
}

std::string VersionsFolder(const std::string& bookPath)
{
    const std::string root = CacheRoot();
    if (root.empty())
        return {};
    return root + "/versions/" + Hex(HashBookBytes(ResolvedOrGiven(bookPath)));
}

void MakeFolders(const std::string& path)
{
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/')
            ::mkdir(path.substr(0, i).c_str(), 0700);
    }
}

// Kept versions: "NANOSECONDS-loaded|saved-HASH.tvo", newest first.
std::vector<std::string> VersionFiles(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (EndsWith(name, ".tvo") && (name.find("-loaded-") != std::string::npos || name.find("-saved-") != std::string::npos))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), std::greater<>());
    return names;
}

constexpr std::size_t kKeptVersions = 8;

std::string PercentEncode(std::string_view path)
{
    std::string out;
    for (const unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
            c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            char buffer[4];
            std::snprintf(buffer, sizeof buffer, "%%%02X", c);
            out += buffer;
        }
    }
    return out;
}

// The top of the file system that holds `path` (its mount point).
std::string TopDirectory(const std::string& path, dev_t device)
{
    std::string dir = ParentFolder(path);
    for (;;) {
        if (dir == "/")
            return dir;
        const std::string parent = ParentFolder(dir);
        struct stat st {};
        if (::stat(parent.c_str(), &st) != 0 || st.st_dev != device)
            return dir;
        dir = parent;
    }
}

} // namespace

std::string ConflictCopyClient(std::string_view book, std::string_view c)
{
    const auto dot = book.rfind('.');
    const std::string_view stem = dot == std::string_view::npos ? book : book.substr(0, dot);
    const std::string_view ext = dot == std::string_view::npos ? std::string_view() : book.substr(dot);
    if (c == book || !StartsWith(c, stem) || !EndsWith(c, ext) || c.size() <= stem.size() + ext.size())
        return {};
    const std::string_view middle = c.substr(stem.size(), c.size() - stem.size() - ext.size());
    if (StartsWith(middle, " (") && EndsWith(middle, ")")) {
        const std::string_view inner = middle.substr(2, middle.size() - 3);
        if (StartsWith(inner, "conflicted copy"))
            return "Nextcloud";
        if (inner.find("'s conflicted copy") != std::string_view::npos ||
            inner.find("\xE2\x80\x99s conflicted copy") != std::string_view::npos ||
            StartsWith(inner, "copie en conflit de "))
            return "Dropbox";
        return {};
    }
    if (StartsWith(middle, "_conflict-") && middle.size() > 10)
        return "ownCloud";
    if (StartsWith(middle, ".sync-conflict-") && middle.size() > 15)
        return "Syncthing";
    if (StartsWith(middle, "-") && LooksLikeHostName(middle.substr(1)))
        return "OneDrive";
    return {};
}

std::vector<ConflictCopy> FindConflictCopies(const std::string& givenPath)
{
    const std::string bookPath = ResolvedOrGiven(givenPath);
    const std::string folder = ParentFolder(bookPath);
    const std::string bookName = GetDocumentFileName(bookPath);
    std::vector<ConflictCopy> copies;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return copies;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.empty() || name[0] == '.')
            continue; // the lock file, its copies, temporary files
        std::string client = ConflictCopyClient(bookName, name);
        if (client.empty())
            continue;
        ConflictCopy copy;
        copy.path = folder + "/" + name;
        copy.client = std::move(client);
        try {
            ReadSubjectList(ReadFileBytes(copy.path).View());
            copy.readable = true;
        } catch (const FileError& err) {
            copy.problem = err.what();
        } catch (const BookFormatError& err) {
            copy.problem = Format(Tr("Book", "ce n'est pas un livre lisible : %1"), {err.what()});
        } catch (const std::bad_alloc&) {
            copy.problem = Tr("Book", "ce n'est pas un livre lisible : il demande plus de mémoire que ce poste n'en a.");
        }
        copies.push_back(std::move(copy));
    }
    ::closedir(dir);
    std::sort(copies.begin(), copies.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    return copies;
}

void RememberVersion(const std::string& bookPath, std::string_view bytes, bool saved)
{
    const std::string folder = VersionsFolder(bookPath);
    if (folder.empty())
        return;
    MakeFolders(folder);
    const std::string hash = Hex(HashBookBytes(bytes));
    const std::vector<std::string> names = VersionFiles(folder);
    // The same version again: only the newest record of it is kept, and a
    // version this machine saved stays marked so when it is read back.
    bool wasSaved = saved;
    for (const std::string& name : names) {
        if (name.find("-" + hash + ".tvo") != std::string::npos) {
            wasSaved |= name.find("-saved-") != std::string::npos;
            ::unlink((folder + "/" + name).c_str());
        }
    }
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%020lld", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    try {
        WriteNewFile(folder + "/" + stamp + (wasSaved ? "-saved-" : "-loaded-") + hash + ".tvo", bytes, true);
    } catch (const FileError&) {
        return;
    }
    const std::vector<std::string> kept = VersionFiles(folder);
    for (std::size_t i = kKeptVersions; i < kept.size(); ++i)
        ::unlink((folder + "/" + kept[i]).c_str());
}

bool FindCommonBase(const std::string& bookPath, std::string_view book, std::string_view copy, std::string& base)
{
    const std::string folder = VersionsFolder(bookPath);
    if (folder.empty())
        return false;
    const std::string bookHash = Hex(HashBookBytes(book));
    const std::string copyHash = Hex(HashBookBytes(copy));
    for (const std::string& name : VersionFiles(folder)) {
        // A version this machine saved is a descendant of the base on its own
        // side, not the base: merging against it would undo its changes.
        if (name.find("-loaded-") == std::string::npos)
            continue;
        if (name.find(bookHash) != std::string::npos || name.find(copyHash) != std::string::npos)
            continue;
        try {
            const FileBytes bytes = ReadFileBytes(folder + "/" + name);
            base.assign(bytes.View());
            return true;
        } catch (const FileError&) {
        }
    }
    return false;
}

int MoveToTrash(const std::string& givenPath)
{
    std::string path = givenPath;
    if (path.empty() || path[0] != '/') {
        char cwd[4096];
        if (!::getcwd(cwd, sizeof cwd))
            return errno;
        path = std::string(cwd) + "/" + path;
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno;
    std::string trash;
    std::string infoPath; // the Path= of the info file
    std::string dataHome;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        dataHome = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        dataHome = std::string(home) + "/.local/share";
    struct stat homeSt {};
    if (!dataHome.empty()) {
        MakeFolders(dataHome);
        if (::stat(dataHome.c_str(), &homeSt) == 0 && homeSt.st_dev == st.st_dev) {
            trash = dataHome + "/Trash";
            infoPath = path;
        }
    }
    if (trash.empty()) {
        const std::string top = TopDirectory(path, st.st_dev);
        const std::string uid = std::to_string(::getuid());
        struct stat shared {};
        const std::string sharedTrash = (top == "/" ? std::string() : top) + "/.Trash";
        // $topdir/.Trash must be a real folder with the sticky bit to be used.
        if (::lstat(sharedTrash.c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
            trash = sharedTrash + "/" + uid;
            ::mkdir(trash.c_str(), 0700);
        } else {
            trash = (top == "/" ? std::string() : top) + "/.Trash-" + uid;
        }
        infoPath = path.substr(top == "/" ? 1 : top.size() + 1);
    }
    ::mkdir(trash.c_str(), 0700);
    ::mkdir((trash + "/files").c_str(), 0700);
    ::mkdir((trash + "/info").c_str(), 0700);
    const std::string name = GetDocumentFileName(path);
    char date[32];
    const std::time_t now = std::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const std::string info = "[Trash Info]\nPath=" + PercentEncode(infoPath) + "\nDeletionDate=" + date + "\n";
    for (int n = 1; n < 1000; ++n) {
        std::string entry = name;
        if (n > 1) {
            const auto dot = name.rfind('.');
            entry = dot == std::string::npos || dot == 0 ? name + "." + std::to_string(n)
                                                         : name.substr(0, dot) + "." + std::to_string(n) + name.substr(dot);
        }
        // The info file is made first, and exclusively: it reserves the name.
        const std::string infoFile = trash + "/info/" + entry + ".trashinfo";
        const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        const bool written = ::write(fd, info.data(), info.size()) == static_cast<ssize_t>(info.size());
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            ::unlink(infoFile.c_str());
            return EIO;
        }
        const std::string target = trash + "/files/" + entry;
        if (::access(target.c_str(), F_OK) == 0) {
            ::unlink(infoFile.c_str());
            continue;
        }
        if (::rename(path.c_str(), target.c_str()) != 0) {
            const int e = errno;
            ::unlink(infoFile.c_str());
            return e;
        }
        return 0;
    }
    return EEXIST;
}

} // namespace tavelo
