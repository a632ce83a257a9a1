#include "book/lock_file.h"

#include "base/tr.h"

#include <cerrno>
#include <charconv>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "book/book_path.h"

namespace tavelo {

namespace {

std::string HiddenSibling(const std::string& bookPath, const char* suffix)
{
    const auto slash = bookPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : bookPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? bookPath : bookPath.substr(slash + 1);
    return folder + "." + name + suffix;
}

struct flock OneByte(off_t byte, short type)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    lock.l_pid = 0; // required by the OFD commands
    return lock;
}

std::string NameOfUser(uid_t uid)
{
    char buffer[1024];
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &pw, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return "uid " + std::to_string(uid);
}

// Keeps a field on one line, whatever the system names contain.
std::string OneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

long long ParseNumber(const std::string& value)
{
    long long n = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    return ec == std::errc() && end == value.data() + value.size() ? n : 0;
}

} // namespace

std::string ThisUserName()
{
    return NameOfUser(::geteuid());
}

std::string ThisHostName()
{
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0)
        return {};
    return buffer;
}

std::string ThisBootId()
{
    static const std::string id = [] {
        const int fd = ::open("/proc/sys/kernel/random/boot_id", O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return std::string();
        char buffer[64] = {};
        const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
        ::close(fd);
        std::string text(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        return text;
    }();
    return id;
}

HolderInfo ParseHolderInfo(std::string_view text)
{
    HolderInfo info;
    if (text.empty())
        return info;
    if (text.size() > kMaxLockFileText) {
        info.unreadable = true;
        return info;
    }
    bool any = false;
    std::set<std::string> seen;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            break; // a last line without its end was cut by a write
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, eq);
        const std::string value(line.substr(eq + 1));
        // A text rewritten in place over a longer one may be read before its
        // end is cut: the old tail's keys come after the new ones and are not
        // taken.
        if (seen.find(std::string(key)) != seen.end())
            continue;
        seen.insert(std::string(key));
        if (key == "user")
            info.user = value;
        else if (key == "host")
            info.host = value;
        else if (key == "pid")
            info.pid = static_cast<long>(ParseNumber(value));
        else if (key == "since")
            info.since = ParseNumber(value);
        else if (key == "session")
            info.session = value;
        else if (key == "boot")
            info.boot = value;
        else if (key == "alive")
            info.alive = ParseNumber(value);
        else if (key == "version")
            info.version = static_cast<int>(ParseNumber(value));
        else
            continue;
        any = true;
    }
    if (!any)
        info.unreadable = true;
    else if (info.version == 0)
        info.version = 1;
    return info;
}

std::string FormatHolderInfo(const HolderInfo& info)
{
    std::ostringstream text;
    text << "user=" << OneLine(info.user) << '\n'
         << "host=" << OneLine(info.host) << '\n'
         << "pid=" << info.pid << '\n'
         << "since=" << info.since << '\n'
         << "version=" << kLockFileVersion << '\n'
         << "session=" << OneLine(info.session) << '\n'
         << "boot=" << OneLine(info.boot) << '\n'
         << "alive=" << info.alive << '\n';
    return text.str();
}

std::string LockFilePath(const std::string& bookPath)
{
    return HiddenSibling(bookPath, ".lock");
}

std::string BackupFilePath(const std::string& bookPath)
{
    return HiddenSibling(bookPath, ".backup");
}

std::string TempFilePrefix(const std::string& bookPath)
{
    return HiddenSibling(bookPath, ".tmp-");
}

LockFile::LockFile(LockFile&& other) noexcept
    : m_fd(other.m_fd), m_writable(other.m_writable), m_writeError(other.m_writeError)
{
    other.m_fd = -1;
    other.m_writable = false;
}

LockFile& LockFile::operator=(LockFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        m_writable = other.m_writable;
        m_writeError = other.m_writeError;
        other.m_fd = -1;
        other.m_writable = false;
    }
    return *this;
}

LockFile::~LockFile()
{
    Close();
}

void LockFile::Close()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases every lock of this open
    m_fd = -1;
    m_writable = false;
    m_writeError = 0;
}

mode_t LockFileMode(const std::string& folder)
{
    struct stat st {};
    const mode_t folderWrite = ::stat(folder.c_str(), &st) == 0 ? st.st_mode & 0022 : 0;
    return 0644 | folderWrite;
}

std::string LockFile::OwnerName() const
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return {};
    return NameOfUser(st.st_uid);
}

int LockFile::Open(const std::string& bookPath, bool create, mode_t newMode)
{
    Close();
    const std::string path = LockFilePath(bookPath);
    int createError = 0;
    if (create) {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd >= 0) {
            // Set after creation so that the umask does not keep other users,
            // who may hold the book in turn, from locking it.
            ::fchmod(m_fd, newMode);
            m_writable = true;
            return 0;
        }
        if (errno != EEXIST && errno != EACCES && errno != EROFS && errno != EPERM)
            return errno;
        if (errno != EEXIST)
            createError = errno;
    }
    m_fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (m_fd >= 0) {
        m_writable = true;
        // A lock file made before, or by a version that copied the book's
        // mode, may keep out people who may write the folder: widen it when
        // it is ours to change.
        struct stat st {};
        if (newMode != 0 && ::fstat(m_fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & newMode) != newMode)
            ::fchmod(m_fd, (st.st_mode & 07777) | newMode);
        return 0;
    }
    if (errno == ENOENT && createError != 0)
        return createError;
    if (errno != EACCES && errno != EROFS && errno != EPERM)
        return errno;
    const int writeError = errno;
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (m_fd >= 0) {
        m_writeError = writeError;
        return 0;
    }
    return errno == ENOENT && createError != 0 ? createError : errno;
}

int LockFile::TryLock(off_t byte, short type)
{
    struct flock lock = OneByte(byte, type);
    if (::fcntl(m_fd, F_OFD_SETLK, &lock) == 0)
        return 0;
    return errno == EACCES ? EAGAIN : errno;
}

int LockFile::Lock(off_t byte, short type, std::chrono::milliseconds timeout)
{
    // Polled rather than F_OFD_SETLKW, so that a lock that is never given up
    // (an instance stuck on a lost network) ends in an error, not a hang.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const int error = TryLock(byte, type);
        if (error != EAGAIN || std::chrono::steady_clock::now() >= deadline)
            return error;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void LockFile::Unlock(off_t byte)
{
    struct flock lock = OneByte(byte, F_UNLCK);
    ::fcntl(m_fd, F_OFD_SETLK, &lock);
}

bool LockFile::Conflicts(off_t byte, short type, int& error) const
{
    struct flock lock = OneByte(byte, type);
    if (::fcntl(m_fd, F_OFD_GETLK, &lock) != 0) {
        error = errno;
        return false;
    }
    error = 0;
    return lock.l_type != F_UNLCK;
}

bool LockFile::WriteHolderInfo(const std::string& session, long long since)
{
    if (m_fd < 0 || !m_writable)
        return false;
    HolderInfo info;
    info.user = ThisUserName();
    info.host = ThisHostName();
    info.pid = ::getpid();
    info.since = since;
    info.session = session;
    info.boot = ThisBootId();
    info.alive = static_cast<long long>(std::time(nullptr));
    const std::string bytes = FormatHolderInfo(info);
    // Rewritten in place: the locks live on this file, which is never renamed.
    // The text keeps its length from one sign of life to the next but for a
    // digit, and readers take only whole lines.
    if (::pwrite(m_fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        return false;
    return ::ftruncate(m_fd, static_cast<off_t>(bytes.size())) == 0;
}

void LockFile::ClearHolderInfo()
{
    if (m_fd >= 0 && m_writable)
        (void)::ftruncate(m_fd, 0);
}

HolderInfo LockFile::ReadHolderInfo(bool* ok) const
{
    if (ok)
        *ok = m_fd >= 0;
    if (m_fd < 0)
        return {};
    char buffer[kMaxLockFileText + 1];
    const ssize_t n = ::pread(m_fd, buffer, sizeof buffer, 0);
    if (n < 0 && ok)
        *ok = false;
    if (n <= 0)
        return {};
    return ParseHolderInfo(std::string_view(buffer, static_cast<std::size_t>(n)));
}

long long LockFile::ModifiedTime() const
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return -1;
    return static_cast<long long>(st.st_mtim.tv_sec);
}

bool IsBookLocked(const std::string& bookPath, off_t byte, short type, int* error)
{
    LockFile lock;
    int e = lock.Open(ResolvedOrGiven(bookPath), false, 0);
    if (e != 0) {
        if (error)
            *error = e == ENOENT ? 0 : e;
        return false;
    }
    const bool locked = lock.Conflicts(byte, type, e);
    if (error)
        *error = e;
    return locked;
}

HolderInfo ReadBookHolder(const std::string& bookPath)
{
    LockFile lock;
    if (lock.Open(ResolvedOrGiven(bookPath), false, 0) != 0)
        return {};
    return lock.ReadHolderInfo();
}

std::string DescribeHolder(const HolderInfo& info)
{
    if (info.user.empty())
        return Tr("Book", "Le livre est réservé par une autre instance de Tavelo.");
    std::string line = Format(Tr("Book", "Réservé par %1"), {info.user});
    if (!info.host.empty())
        line += Format(Tr("Book", " sur le poste %1"), {info.host});
    if (info.since > 0) {
        const std::time_t t = static_cast<std::time_t>(info.since);
        const std::time_t now = std::time(nullptr);
        struct tm local {};
        struct tm today {};
        char when[64];
        if (::localtime_r(&t, &local) && ::localtime_r(&now, &today)) {
            const bool sameDay = local.tm_year == today.tm_year && local.tm_yday == today.tm_yday;
            const std::string format = sameDay ? Tr("Book", "%H:%M") : Tr("Book", "le %d/%m/%Y à %H:%M");
            if (std::strftime(when, sizeof when, format.c_str(), &local) > 0)
                line += Format(Tr("Book", " depuis %1"), {when});
        }
    }
    return line;
}

} // namespace tavelo
