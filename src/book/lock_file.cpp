#include "book/lock_file.h"

#include "base/tr.h"

#include <cerrno>
#include <charconv>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sstream>
#include <thread>
#include <unistd.h>

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

std::string UserName()
{
    char buffer[1024];
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &pw, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return "uid " + std::to_string(::geteuid());
}

std::string HostName()
{
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0)
        return {};
    return buffer;
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

} // namespace

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

LockFile::LockFile(LockFile&& other) noexcept : m_fd(other.m_fd), m_writable(other.m_writable)
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
        return 0;
    }
    if (errno == ENOENT && createError != 0)
        return createError;
    if (errno != EACCES && errno != EROFS && errno != EPERM)
        return errno;
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (m_fd >= 0)
        return 0;
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

void LockFile::WriteHolderInfo()
{
    if (m_fd < 0 || !m_writable)
        return;
    std::ostringstream text;
    text << "user=" << OneLine(UserName()) << '\n'
         << "host=" << OneLine(HostName()) << '\n'
         << "pid=" << ::getpid() << '\n'
         << "since=" << static_cast<long long>(std::time(nullptr)) << '\n';
    const std::string bytes = text.str();
    // The text is only shown to people; a failed write leaves the description
    // generic, not the reservation broken.
    if (::pwrite(m_fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()))
        (void)::ftruncate(m_fd, static_cast<off_t>(bytes.size()));
}

void LockFile::ClearHolderInfo()
{
    if (m_fd >= 0 && m_writable)
        (void)::ftruncate(m_fd, 0);
}

HolderInfo LockFile::ReadHolderInfo() const
{
    HolderInfo info;
    if (m_fd < 0)
        return info;
    char buffer[2048];
    const ssize_t n = ::pread(m_fd, buffer, sizeof buffer, 0);
    if (n <= 0)
        return info;
    std::istringstream text(std::string(buffer, static_cast<std::size_t>(n)));
    std::string line;
    while (std::getline(text, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "user")
            info.user = value;
        else if (key == "host")
            info.host = value;
        else if (key == "pid")
            std::from_chars(value.data(), value.data() + value.size(), info.pid);
        else if (key == "since")
            std::from_chars(value.data(), value.data() + value.size(), info.since);
    }
    return info;
}

bool IsBookLocked(const std::string& bookPath, off_t byte, short type, int* error)
{
    LockFile lock;
    int e = lock.Open(bookPath, false, 0);
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
    if (lock.Open(bookPath, false, 0) != 0)
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
    if (info.pid > 0)
        line += Format(Tr("Book", " (processus %1)"), {std::to_string(info.pid)});
    if (info.since > 0) {
        const std::time_t t = static_cast<std::time_t>(info.since);
        struct tm local {};
        char when[64];
        const std::string format = Tr("Book", "%d/%m/%Y à %H:%M");
        if (::localtime_r(&t, &local) && std::strftime(when, sizeof when, format.c_str(), &local) > 0)
            line += Format(Tr("Book", " depuis le %1"), {when});
    }
    return line + ".";
}

} // namespace tavelo
