#pragma once
// The hidden lock file kept beside a book (for /d/Maison.tvo: /d/.Maison.tvo.lock).
//
// Instances of the program reserve a book with open-file-description locks
// (F_OFD_SETLK) on single bytes of that file, far beyond its text: such locks
// belong to one open of the file, so two opens in one process exclude each
// other just as two processes do, and closing the descriptor releases them
// (the kernel does so as well when a process dies). The book file itself is
// replaced at each save, so it cannot carry the locks; the lock file is never
// renamed nor deleted.
//
// The holder writes who it is into the file's text, as key=value lines: the
// older fields (user, host, pid, since) for everyone to show, and since version
// 2 its session (random, one per opening), the machine's boot id and `alive`,
// rewritten while it holds the book. Byte locks do not reach another machine
// through a FUSE mount (sshfs) nor through a sync folder: there the text alone
// says that the book is held (see holder.h).

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tavelo {

std::string LockFilePath(const std::string& bookPath);
std::string BackupFilePath(const std::string& bookPath);
// Temporary files of a save are this prefix followed by six random characters.
std::string TempFilePrefix(const std::string& bookPath);

// The bytes that are locked. Holder: write lock by the instance that may save.
// Presence: read lock by every instance that has the book open. Saving: write
// lock while a save replaces the book, read lock while an instance loads it.
inline constexpr off_t kHolderByte = 0x40000000;
inline constexpr off_t kPresenceByte = kHolderByte + 1;
inline constexpr off_t kSavingByte = kHolderByte + 2;

// The version of the lock file's text that this program writes.
inline constexpr int kLockFileVersion = 2;
// Larger lock files are not of this program: only their first bytes are read,
// and they describe no one.
inline constexpr std::size_t kMaxLockFileText = 4096;

// Who holds a book, as its holder wrote it.
struct HolderInfo {
    std::string user;
    std::string host;
    long pid = 0;
    long long since = 0; // seconds since the epoch
    std::string session; // empty for an older instance
    std::string boot;    // the holder's /proc/sys/kernel/random/boot_id
    long long alive = 0; // the holder's own clock: a hint only
    int version = 0;     // 1 for a text without a version line
    // The text was not empty but named no one this program can read (another
    // format, or larger than kMaxLockFileText).
    bool unreadable = false;

    // Whether the text describes a holder at all (an empty file does not).
    bool Describes() const { return !user.empty() || !session.empty() || !host.empty() || version > kLockFileVersion; }
};

// Reads the lock file's text: only whole lines count (a text cut by a write
// in progress loses its last line, not its sense), unknown keys are skipped.
HolderInfo ParseHolderInfo(std::string_view text);
// The text of a holder, the older fields first.
std::string FormatHolderInfo(const HolderInfo& info);

class LockFile {
public:
    LockFile() = default;
    LockFile(LockFile&& other) noexcept;
    LockFile& operator=(LockFile&& other) noexcept;
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    ~LockFile();

    // Opens the lock file of a book read-write, creating it with `newMode` when
    // `create` is set and it does not exist; falls back to read-only (enough
    // for read locks) where writing is refused. A lock file of this user's
    // that lacks some of `newMode`'s bits gets them. Returns an errno value, 0
    // on success.
    int Open(const std::string& bookPath, bool create, mode_t newMode);
    bool IsOpen() const { return m_fd >= 0; }
    bool IsWritable() const { return m_writable; }
    // Why an open file could not be opened for writing (EACCES: its owner
    // keeps others out; EROFS: a read-only folder), 0 when it could.
    int WriteError() const { return m_writeError; }
    // The name of the lock file's owner ("uid 1002" when it has none).
    std::string OwnerName() const;
    void Close();

    // F_RDLCK or F_WRLCK on one byte without waiting: 0, or EAGAIN when another
    // open of the file has a conflicting lock, or another errno value (ENOLCK
    // where the file system has no locking).
    int TryLock(off_t byte, short type);
    // The same, retried until `timeout` has passed.
    int Lock(off_t byte, short type, std::chrono::milliseconds timeout);
    void Unlock(off_t byte);
    // Whether another open of the file holds a lock that would refuse `type`
    // on that byte; nothing is taken. On failure sets `error` and returns false.
    bool Conflicts(off_t byte, short type, int& error) const;

    // Writes this instance as the holder, with `session` and the time now as
    // `alive`; returns false when the text could not be written.
    bool WriteHolderInfo(const std::string& session, long long since);
    void ClearHolderInfo();
    // `ok` is cleared when the text could not be read (not for an empty file).
    HolderInfo ReadHolderInfo(bool* ok = nullptr) const;
    // The lock file's modification time, by the clock of the machine that
    // keeps the file (the server for a share), in seconds; -1 on failure.
    long long ModifiedTime() const;

private:
    int m_fd = -1;
    bool m_writable = false;
    int m_writeError = 0;
};

// What this instance writes of itself.
std::string ThisUserName();
std::string ThisHostName();
// The kernel's id of this boot: a pid names the same process only while it
// is the same. Empty where the kernel does not give it.
std::string ThisBootId();

// The mode of a new lock file in `folder`: readable by all (read locks need
// it), writable by whoever may write the folder and so may hold the book in
// turn: the folder's group and other write bits.
mode_t LockFileMode(const std::string& folder);

// Whether an instance has a lock on that byte of the book's lock file that
// would refuse `type`; the book's path is resolved first (ResolveBookPath). A
// book without a lock file is free. Errors count as
// "not locked" and are returned in `error` when given.
bool IsBookLocked(const std::string& bookPath, off_t byte, short type, int* error = nullptr);

// The holder of the book as its holder described itself; empty fields when it
// wrote nothing readable.
HolderInfo ReadBookHolder(const std::string& bookPath);

// A French line saying who holds the book, for the reservation dialog:
// "Réservé par marie sur le poste salon depuis 14:05" (the date as well when
// it is not today).
std::string DescribeHolder(const HolderInfo& info);

} // namespace tavelo
