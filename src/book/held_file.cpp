#include "book/held_file.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "base/tr.h"
#include "book/book_path.h"
#include "book/conflict_copies.h"
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

// Why a book with hard links is not reserved.
std::string HardLinkedBook()
{
    return Tr("Book", "Ce fichier a plusieurs noms (liens physiques) et une réservation ne peut pas les couvrir tous");
}

bool MayWrite(const std::string& path)
{
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

} // namespace

HeldFile::~HeldFile()
{
    StopHeartbeat();
    if (m_readOnly || m_takenOver)
        return;
    // A taker's text is its own.
    std::lock_guard guard(m_textMutex);
    bool ok = false;
    const HolderInfo info = m_lock.ReadHolderInfo(&ok);
    if (ok && (info.session == m_session || !info.Describes()))
        m_lock.ClearHolderInfo();
}

AliveResult HeldFile::KeepAlive()
{
    if (m_readOnly)
        return AliveResult::kFailed;
    if (m_takenOver)
        return AliveResult::kTakenOver;
    std::lock_guard guard(m_textMutex);
    bool ok = false;
    const HolderInfo info = m_lock.ReadHolderInfo(&ok);
    if (!ok)
        return AliveResult::kFailed;
    if (info.Describes() && info.session != m_session) {
        m_takenOver = true;
        return AliveResult::kTakenOver;
    }
    return m_lock.WriteHolderInfo(m_session, m_since) ? AliveResult::kHeld : AliveResult::kFailed;
}

void HeldFile::StartHeartbeat(std::chrono::milliseconds interval)
{
    if (m_readOnly || m_heartbeat.joinable())
        return;
    m_heartbeat = std::thread([this, interval] {
        std::unique_lock lock(m_beatMutex);
        while (!m_beatStop) {
            if (m_beatWake.wait_for(lock, interval, [this] { return m_beatStop; }))
                break;
            lock.unlock();
            const AliveResult result = KeepAlive();
            lock.lock();
            if (result == AliveResult::kTakenOver)
                break;
        }
    });
}

void HeldFile::StopHeartbeat()
{
    if (!m_heartbeat.joinable())
        return;
    {
        std::lock_guard lock(m_beatMutex);
        m_beatStop = true;
    }
    m_beatWake.notify_all();
    m_heartbeat.join();
}

void HeldFile::CheckStillHolder()
{
    std::lock_guard guard(m_textMutex);
    bool ok = false;
    const HolderInfo info = m_lock.ReadHolderInfo(&ok);
    if (m_takenOver || (ok && info.Describes() && info.session != m_session)) {
        m_takenOver = true;
        throw FileError(TakenOverMessage(m_path, info), EBUSY);
    }
}

std::string HeldFile::DescribeLockFile() const
{
    const std::string name = GetDocumentFileName(LockFilePath(m_path));
    const std::string owner = m_lockOwner.empty() ? Tr("Book", "un autre utilisateur") : m_lockOwner;
    return Format(Tr("Book", "Le fichier de réservation « %1 » de ce livre appartient à %2 et ne vous permet pas d'y "
                             "écrire. Quand plus personne n'a ce livre ouvert, %2 peut supprimer ce fichier (Tavelo le "
                             "recréera modifiable par tous ceux qui peuvent écrire dans le dossier) ou le rendre "
                             "modifiable par le groupe (chmod g+w)"),
                  {name, owner});
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
    case ReadOnlyReason::kHeldElsewhere: {
        std::string line = DescribeHolder(m_other.Describes() ? m_other : m_lock.ReadHolderInfo());
        if (m_otherVerdict.state == HolderState::kSilent)
            line += "\n" + DescribeSilence(m_otherVerdict.silentFor);
        return line;
    }
    case ReadOnlyReason::kBookNotWritable:
        return Tr("Book", "Vous n'avez pas le droit de modifier ce fichier : il est ouvert en lecture seule.");
    case ReadOnlyReason::kFolderReadOnly:
        return Tr("Book", "Le dossier de ce fichier ne permet pas de le réserver (partage en lecture seule) : il est ouvert en lecture seule.");
    case ReadOnlyReason::kNoLocking:
        return Tr("Book", "Le dossier de ce fichier ne permet pas le verrouillage entre postes : il est ouvert en lecture seule.");
    case ReadOnlyReason::kHardLinked:
        return Format(Tr("Book", "%1 : il est ouvert en lecture seule. Enregistrez-le sous un autre nom pour le modifier."), {HardLinkedBook()});
    case ReadOnlyReason::kLockFileNotWritable:
        return Format(Tr("Book", "%1. Le livre est ouvert en lecture seule."), {DescribeLockFile()});
    }
    return {};
}

namespace {
std::atomic<bool> g_rememberVersions{false};
}

FileBytes HeldFile::ReadCurrent(BookVersion& version) const
{
    // The state is taken before the bytes: a change in between makes the
    // next check read the file again rather than miss it.
    const auto read = [&] {
        version = StatBookVersion(m_path);
        FileBytes bytes = ReadSavedBook(m_path);
        version.hash = HashBookBytes(bytes.View());
        return bytes;
    };
    if (!m_lock.IsOpen())
        return read();
    if (const int e = m_lock.Lock(kSavingByte, F_RDLCK, kSavingLockWait))
        throw LockFailure(m_path, e);
    ByteLock guard(m_lock, kSavingByte);
    return read();
}

void HeldFile::SetRememberVersions(bool remember)
{
    g_rememberVersions = remember;
}

FileBytes HeldFile::Load() const
{
    BookVersion version;
    FileBytes bytes = ReadCurrent(version);
    m_seen = version;
    m_baseBytes.assign(bytes.View());
    if (g_rememberVersions)
        RememberVersion(m_path, m_baseBytes, false);
    return bytes;
}

void HeldFile::AdoptVersion(const BookVersion& version, std::string bytes)
{
    m_seen = version;
    m_baseBytes = std::move(bytes);
    if (g_rememberVersions)
        RememberVersion(m_path, m_baseBytes, false);
}

VersionCheck HeldFile::CheckDisk() const
{
    return CheckBookVersion(m_path, m_seen);
}

void HeldFile::Save(std::string_view bytes)
{
    Save([&](const ByteSink& sink) { sink(bytes); });
}

void HeldFile::Save(const BookBytesProducer& produce)
{
    if (m_readOnly)
        throw FileError(InUseMessage(m_path), EACCES);
    CheckStillHolder();
    if (m_seen.known && CheckBookVersion(m_path, m_seen) == VersionCheck::kChanged)
        throw BookChangedError(ChangedOnDiskMessage(m_path), ESTALE);
    std::optional<ByteLock> readersOut;
    // The bytes written become the base of a later merge; the producer may
    // run more than once, each time from the start.
    std::optional<BookHasher> hasher;
    std::string written;
    const BookBytesProducer watched = [&](const ByteSink& sink) {
        hasher.emplace();
        written.clear();
        produce([&](std::string_view bytes) {
            hasher->Add(bytes);
            written.append(bytes);
            sink(bytes);
        });
    };
    SaveBookFile(m_path, watched, *m_fs, [&] {
        if (const int e = m_lock.Lock(kSavingByte, F_WRLCK, kSavingLockWait))
            throw LockFailure(m_path, e);
        readersOut.emplace(m_lock, kSavingByte);
    });
    m_seen = StatBookVersion(m_path, hasher ? hasher->Digest() : HashBookBytes({}));
    m_baseBytes = std::move(written);
    if (g_rememberVersions)
        RememberVersion(m_path, m_baseBytes, true);
}

std::unique_ptr<HeldFile> OpenHeldFile(const std::string& givenPath, bool& readOnly, bool forSave,
                                       HeldFileStatus* status, FileSystemOps& fs, TakeOver takeOver)
{
    readOnly = true;
    SetStatus(status, HeldFileError::kNone, 0, {});
    const auto cannotOpen = [&](int error, const std::string& why) -> std::unique_ptr<HeldFile> {
        SetStatus(status, HeldFileError::kCannotOpen, error,
                  Format(Tr("Book", "Impossible d'ouvrir le fichier « %1 » : %2."), {givenPath, why}));
        return nullptr;
    };
    const auto cannotReserve = [&](int error, const std::string& why) -> std::unique_ptr<HeldFile> {
        SetStatus(status, HeldFileError::kCannotReserve, error,
                  Format(Tr("Book", "Impossible de réserver le fichier « %1 » : %2."), {givenPath, why}));
        return nullptr;
    };

    // Every spelling of the book's path leads to one lock file.
    std::string path;
    if (const int e = ResolveBookPath(givenPath, path))
        return cannotOpen(e, DescribeError(e));
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (!exists && (!forSave || errno != ENOENT))
        return cannotOpen(errno, DescribeError(errno));
    bool writable = true;
    if (exists && !S_ISREG(st.st_mode))
        return cannotOpen(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, DescribeNotRegular(st.st_mode));
    if (exists) {
        // Opened without waiting, and looked at through the descriptor, so
        // that a named pipe put there meanwhile never blocks the open.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd >= 0) {
            ::fstat(fd, &st);
            ::close(fd);
        } else if (!forSave) {
            return cannotOpen(errno, DescribeError(errno));
        }
        if (!S_ISREG(st.st_mode))
            return cannotOpen(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, DescribeNotRegular(st.st_mode));
        writable = MayWrite(path);
        if (forSave && !writable)
            return cannotOpen(EACCES, DescribeError(EACCES));
        // Its other names reach the same file without meeting this lock file,
        // and a save by renaming would split them: such a book is not replaced.
        if (forSave && st.st_nlink > 1)
            return cannotReserve(EMLINK, Format(Tr("Book", "%1 ; il n'est pas remplacé"), {HardLinkedBook()}));
    }

    std::unique_ptr<HeldFile> held(new HeldFile(path, fs));
    const auto readOnlyBecause = [&](ReadOnlyReason reason) {
        held->m_reason = reason;
        return std::move(held);
    };
    if (const int e = held->m_lock.Open(path, true, LockFileMode(ParentFolder(path)))) {
        if (forSave)
            return cannotReserve(e, DescribeError(e));
        return readOnlyBecause(e == ENOLCK ? ReadOnlyReason::kNoLocking : ReadOnlyReason::kFolderReadOnly);
    }
    if (const int e = held->m_lock.TryLock(kPresenceByte, F_RDLCK)) {
        held->m_lock.Close();
        if (forSave)
            return cannotReserve(e, DescribeError(e));
        return readOnlyBecause(ReadOnlyReason::kNoLocking);
    }
    if (!held->m_lock.IsWritable()) {
        const bool othersLockFile = held->m_lock.WriteError() != EROFS;
        held->m_lockOwner = held->m_lock.OwnerName();
        if (forSave)
            return cannotReserve(EACCES, othersLockFile ? held->DescribeLockFile() : DescribeError(EROFS));
        return readOnlyBecause(othersLockFile ? ReadOnlyReason::kLockFileNotWritable : ReadOnlyReason::kFolderReadOnly);
    }
    if (exists && st.st_nlink > 1)
        return readOnlyBecause(ReadOnlyReason::kHardLinked);
    if (!writable)
        return readOnlyBecause(ReadOnlyReason::kBookNotWritable);
    const auto heldElsewhere = [&]() -> std::unique_ptr<HeldFile> {
        if (forSave) {
            SetStatus(status, HeldFileError::kInUse, EAGAIN, InUseMessage(givenPath));
            return nullptr;
        }
        return readOnlyBecause(ReadOnlyReason::kHeldElsewhere);
    };
    if (const int e = held->m_lock.TryLock(kHolderByte, F_WRLCK)) {
        if (e == EAGAIN) {
            held->m_other = held->m_lock.ReadHolderInfo();
            held->m_otherVerdict.state = HolderState::kAlive;
            return heldElsewhere();
        }
        if (forSave)
            return cannotReserve(e, DescribeError(e));
        held->m_lock.Close();
        return readOnlyBecause(ReadOnlyReason::kNoLocking);
    }

    // The byte lock is free, yet a holder on another mount of the share (where
    // locks stay on each client) or on another machine of a sync folder may
    // still be named in the text.
    held->m_otherVerdict = JudgeLockFile(held->m_lock, path, &held->m_other);
    const HolderState state = held->m_otherVerdict.state;
    if (state == HolderState::kAlive || (state == HolderState::kSilent && takeOver != TakeOver::kSilentHolder)) {
        held->m_lock.Unlock(kHolderByte);
        return heldElsewhere();
    }
    held->m_session = NewSessionId();
    held->m_since = static_cast<long long>(std::time(nullptr));
    held->m_lock.WriteHolderInfo(held->m_session, held->m_since);
    // Two takers through two mounts may write at once: the one whose text
    // stayed holds the book.
    bool readBack = false;
    const HolderInfo written = held->m_lock.ReadHolderInfo(&readBack);
    if (readBack && written.Describes() && written.session != held->m_session) {
        held->m_other = written;
        held->m_otherVerdict = {HolderState::kAlive, false, 0};
        held->m_session.clear();
        held->m_lock.Unlock(kHolderByte);
        return heldElsewhere();
    }
    held->m_other = {};
    held->m_otherVerdict = {};
    held->m_readOnly = false;
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

FileBytes ReadBookAsReader(const std::string& givenPath)
{
    const std::string path = ResolvedOrGiven(givenPath);
    LockFile lock;
    // No lock file (or none this user may read): no instance ever saved it
    // with its saving byte, so there is nothing to wait for.
    if (lock.Open(path, false, 0) != 0)
        return ReadSavedBook(path);
    if (const int e = lock.Lock(kSavingByte, F_RDLCK, kSavingLockWait))
        throw LockFailure(givenPath, e);
    ByteLock guard(lock, kSavingByte);
    return ReadSavedBook(path);
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
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1 || !MayWrite(path))
        return false;
    int error = 0;
    if (IsBookLocked(path, kHolderByte, F_WRLCK, &error) || error != 0)
        return false;
    // A holder on another mount or machine shows only in the text. No clock
    // of the share is read here (that writes a file each time): a silent
    // holder keeps the wait going until someone takes the book over.
    LockFile lock;
    if (lock.Open(ResolvedOrGiven(path), false, 0) != 0)
        return true;
    HolderFacts facts;
    facts.info = lock.ReadHolderInfo();
    facts.thisHost = ThisHostName();
    facts.thisBoot = ThisBootId();
    return JudgeHolder(facts).state != HolderState::kAlive;
}

SaveResult SaveHeldFile(std::unique_ptr<HeldFile>& held, bool& readOnly, const std::string& path,
                        std::string_view bytes, FileSystemOps& fs)
{
    return SaveHeldFile(held, readOnly, path, [&](const ByteSink& sink) { sink(bytes); }, fs);
}

SaveResult SaveHeldFile(std::unique_ptr<HeldFile>& held, bool& readOnly, const std::string& path,
                        const BookBytesProducer& produce, FileSystemOps& fs)
{
    if (held && held->GetFilePath() == ResolvedOrGiven(path)) {
        if (held->IsReadOnly())
            return {SaveOutcome::kInUse, InUseMessage(path), EACCES};
        try {
            held->Save(produce);
        } catch (const BookChangedError& e) {
            return {SaveOutcome::kChangedOnDisk, e.what(), e.Error()};
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

std::string TakenOverMessage(const std::string& path, const HolderInfo& taker)
{
    const std::string who = taker.user.empty() ? Tr("Book", "une autre instance de Tavelo")
                                               : (taker.host.empty() ? taker.user : Format(Tr("Book", "%1 sur le poste %2"), {taker.user, taker.host}));
    return Format(Tr("Book", "Le livre « %1 » a été repris par %2 : il n'est pas remplacé. Vos modifications restent "
                             "ouvertes ; enregistrez-les sous un autre nom ou fusionnez-les."),
                  {path, who});
}

std::string ChangedOnDiskMessage(const std::string& path)
{
    return Format(Tr("Book", "Le livre « %1 » a été modifié ailleurs depuis que vous l'avez ouvert (un autre poste, un "
                             "client de synchronisation ou une restauration) : il n'est pas remplacé."),
                  {path});
}

std::string InUseMessage(const std::string& path)
{
    return Format(Tr("Book", "Le fichier '%1' est utilisé.\nSauvegarder le sous un nom différent."), {path});
}

} // namespace tavelo
