#include "book/held_file.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/safe_save.h"
#include "book/tenorels.h"

namespace tavelo {

namespace {

// Long enough for a large book on a slow share, short enough that an instance
// stuck with the lock ends in a message rather than a frozen window.
constexpr std::chrono::seconds kSavingLockWait{30};

// Holds one byte of the lock file for a scope.
class ByteLock {
public:
    ByteLock(LockFile& lock, off_t byte) : m_lock(lock), m_byte(byte) {}
    ByteLock(const ByteLock&) = delete;
    ByteLock& operator=(const ByteLock&) = delete;
    ~ByteLock() { m_lock.Unlock(m_byte); }

private:
    LockFile& m_lock;
    off_t m_byte;
};

FileError LockFailure(const std::string& path, int error)
{
    if (error == EAGAIN)
        return FileError(Format(Tr("Book", "Le livre « %1 » est en cours d'enregistrement par une autre instance de Tavelo ; réessayez plus tard."), {path}), error);
    return FileError(Format(Tr("Book", "Impossible de verrouiller le livre « %1 » : %2."), {path, DescribeError(error)}), error);
}

void SetStatus(HeldFileStatus* status, HeldFileError kind, int error, std::string reason)
{
    if (status)
        *status = {kind, error, std::move(reason)};
}

bool MayWrite(const std::string& path)
{
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

} // namespace

HeldFile::~HeldFile()
{
    if (!m_readOnly)
        m_lock.ClearHolderInfo();
}

std::string HeldFile::GetFileName() const
{
    return GetDocumentFileName(m_path);
}

std::string HeldFile::DescribeReadOnly() const
{
    switch (m_reason) {
    case ReadOnlyReason::kNone:
        return {};
    case ReadOnlyReason::kHeldElsewhere:
        return DescribeHolder(m_lock.ReadHolderInfo());
    case ReadOnlyReason::kBookNotWritable:
        return Tr("Book", "Vous n'avez pas le droit de modifier ce fichier : il est ouvert en lecture seule.");
    case ReadOnlyReason::kFolderReadOnly:
        return Tr("Book", "Le dossier de ce fichier ne permet pas de le réserver (partage en lecture seule) : il est ouvert en lecture seule.");
    case ReadOnlyReason::kNoLocking:
        return Tr("Book", "Le dossier de ce fichier ne permet pas le verrouillage entre postes : il est ouvert en lecture seule.");
    }
    return {};
}

FileBytes HeldFile::Load() const
{
    if (!m_lock.IsOpen())
        return ReadSavedBook(m_path);
    if (const int e = m_lock.Lock(kSavingByte, F_RDLCK, kSavingLockWait))
        throw LockFailure(m_path, e);
    ByteLock guard(m_lock, kSavingByte);
    return ReadSavedBook(m_path);
}

void HeldFile::Save(std::string_view bytes)
{
    Save([&](const ByteSink& sink) { sink(bytes); });
}

void HeldFile::Save(const BookBytesProducer& produce)
{
    if (m_readOnly)
        throw FileError(InUseMessage(m_path), EACCES);
    std::optional<ByteLock> readersOut;
    SaveBookFile(m_path, produce, *m_fs, [&] {
        if (const int e = m_lock.Lock(kSavingByte, F_WRLCK, kSavingLockWait))
            throw LockFailure(m_path, e);
        readersOut.emplace(m_lock, kSavingByte);
    });
}

std::unique_ptr<HeldFile> OpenHeldFile(const std::string& path, bool& readOnly, bool forSave,
                                       HeldFileStatus* status, FileSystemOps& fs)
{
    readOnly = true;
    SetStatus(status, HeldFileError::kNone, 0, {});
    const auto cannotOpen = [&](int error) -> std::unique_ptr<HeldFile> {
        SetStatus(status, HeldFileError::kCannotOpen, error,
                  Format(Tr("Book", "Impossible d'ouvrir le fichier « %1 » : %2."), {path, DescribeError(error)}));
        return nullptr;
    };
    const auto cannotReserve = [&](int error) -> std::unique_ptr<HeldFile> {
        SetStatus(status, HeldFileError::kCannotReserve, error,
                  Format(Tr("Book", "Impossible de réserver le fichier « %1 » : %2."), {path, DescribeError(error)}));
        return nullptr;
    };

    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (!exists && (!forSave || errno != ENOENT))
        return cannotOpen(errno);
    if (exists && S_ISDIR(st.st_mode))
        return cannotOpen(EISDIR);
    bool writable = true;
    if (exists) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 && !forSave)
            return cannotOpen(errno);
        if (fd >= 0)
            ::close(fd);
        writable = MayWrite(path);
        if (forSave && !writable)
            return cannotOpen(EACCES);
    }

    std::unique_ptr<HeldFile> held(new HeldFile(path, fs));
    const auto readOnlyBecause = [&](ReadOnlyReason reason) {
        held->m_reason = reason;
        return std::move(held);
    };
    // Whoever may write the book may hold it in turn, so may write the lock.
    const mode_t lockMode = ((exists ? st.st_mode : NewFileMode()) & 0666) | 0444;
    if (const int e = held->m_lock.Open(path, true, lockMode)) {
        if (forSave)
            return cannotReserve(e);
        return readOnlyBecause(e == ENOLCK ? ReadOnlyReason::kNoLocking : ReadOnlyReason::kFolderReadOnly);
    }
    if (const int e = held->m_lock.TryLock(kPresenceByte, F_RDLCK)) {
        held->m_lock.Close();
        if (forSave)
            return cannotReserve(e);
        return readOnlyBecause(ReadOnlyReason::kNoLocking);
    }
    if (!held->m_lock.IsWritable()) {
        if (forSave)
            return cannotReserve(EACCES);
        return readOnlyBecause(ReadOnlyReason::kFolderReadOnly);
    }
    if (!writable)
        return readOnlyBecause(ReadOnlyReason::kBookNotWritable);
    if (const int e = held->m_lock.TryLock(kHolderByte, F_WRLCK)) {
        if (e == EAGAIN) {
            if (forSave) {
                SetStatus(status, HeldFileError::kInUse, e, InUseMessage(path));
                return nullptr;
            }
            return readOnlyBecause(ReadOnlyReason::kHeldElsewhere);
        }
        if (forSave)
            return cannotReserve(e);
        held->m_lock.Close();
        return readOnlyBecause(ReadOnlyReason::kNoLocking);
    }

    held->m_readOnly = false;
    held->m_lock.WriteHolderInfo();
    // A holder is the one instance that saves, so what an interrupted save
    // left is its to mend. Readers are kept out meanwhile; if the backup cannot
    // be put back, loading still reads it rather than a torn book.
    if (held->m_lock.Lock(kSavingByte, F_WRLCK, kSavingLockWait) == 0) {
        ByteLock guard(held->m_lock, kSavingByte);
        try {
            RecoverBook(path, fs);
        } catch (const FileError&) {
        }
    }
    readOnly = false;
    return held;
}

void ReleaseHeldFile(std::unique_ptr<HeldFile>& held)
{
    held.reset();
}

bool IsBookInUse(const std::string& path)
{
    return IsBookLocked(path, kPresenceByte, F_WRLCK);
}

bool IsBookHeld(const std::string& path)
{
    return IsBookLocked(path, kHolderByte, F_WRLCK);
}

bool ProbeBookAvailable(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !MayWrite(path))
        return false;
    int error = 0;
    const bool held = IsBookLocked(path, kHolderByte, F_WRLCK, &error);
    return !held && error == 0;
}

SaveResult SaveHeldFile(std::unique_ptr<HeldFile>& held, bool& readOnly, const std::string& path,
                        std::string_view bytes, FileSystemOps& fs)
{
    return SaveHeldFile(held, readOnly, path, [&](const ByteSink& sink) { sink(bytes); }, fs);
}

SaveResult SaveHeldFile(std::unique_ptr<HeldFile>& held, bool& readOnly, const std::string& path,
                        const BookBytesProducer& produce, FileSystemOps& fs)
{
    if (held && held->GetFilePath() == path) {
        if (held->IsReadOnly())
            return {SaveOutcome::kInUse, InUseMessage(path), EACCES};
        try {
            held->Save(produce);
        } catch (const FileError& e) {
            return {SaveOutcome::kFailed, e.what(), e.Error()};
        }
        return {};
    }

    bool newReadOnly = true;
    HeldFileStatus status;
    std::unique_ptr<HeldFile> target = OpenHeldFile(path, newReadOnly, true, &status, fs);
    if (!target) {
        if (status.kind == HeldFileError::kInUse)
            return {SaveOutcome::kInUse, InUseMessage(path), status.error};
        return {SaveOutcome::kFailed, status.reason, status.error};
    }
    try {
        target->Save(produce);
    } catch (const FileError& e) {
        return {SaveOutcome::kFailed, e.what(), e.Error()};
    }
    ReleaseHeldFile(held);
    held = std::move(target);
    readOnly = false;
    return {};
}

std::string OpenErrorMessage(const std::string& path)
{
    return Format(Tr("Book", "Erreur lors de l'ouverture du fichier '%1'"), {path});
}

std::string InUseMessage(const std::string& path)
{
    return Format(Tr("Book", "Le fichier '%1' est utilisé.\nSauvegarder le sous un nom différent."), {path});
}

} // namespace tavelo
