#pragma once
// The reservation of a book between instances of the program.
//
// An instance that opens a book first becomes its holder: it alone may save it.
// Later instances open it read-only. The book file is read whole when loaded and
// replaced whole when saved; what an instance keeps from open to close is a
// lock file beside the book (see lock_file.h), not the book file itself.
// These locks bind instances of this program only (advisory locking).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/file_system.h"
#include "book/safe_save.h"
#include "book/book_version.h"
#include "book/holder.h"
#include "book/lock_file.h"

namespace tavelo {

// Why a book was opened read-only.
enum class ReadOnlyReason {
    kNone,
    kHeldElsewhere,   // another instance holds it (the reservation dialog's case)
    kBookNotWritable, // the user may not write the book file
    kFolderReadOnly,  // no lock file can be made or written beside the book
    kNoLocking,       // the file system refuses locks (ENOLCK)
    kHardLinked,      // the book has other names (hard links) that no one lock file covers
    kLockFileNotWritable, // another user's lock file keeps this user from writing it
};

enum class HeldFileError {
    kNone,
    kCannotOpen,    // the book cannot be read (open) or written (save)
    kInUse,         // another instance holds that path (save only)
    kCannotReserve, // the folder allows no reservation (save only)
};

struct HeldFileStatus {
    HeldFileError kind = HeldFileError::kNone;
    int error = 0;
    std::string reason; // French, with the path and the system's reason
};

// Whether an open may take a book whose holder, on another machine, has been
// silent (see holder.h); a holder of this machine that is gone is always replaced.
enum class TakeOver { kNever, kSilentHolder };

// A save found on disk a version of the book that this instance has not seen
// (neither loaded nor saved): nothing was written.
class BookChangedError : public FileError {
public:
    using FileError::FileError;
};

// What a holder learns at its sign of life.
enum class AliveResult { kHeld, kTakenOver, kFailed };

class HeldFile {
public:
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    ~HeldFile();

    // The book's resolved path (see ResolveBookPath), whatever spelling opened it.
    const std::string& GetFilePath() const { return m_path; }
    // The name with its extension, without its folder, as the dialogs show it.
    std::string GetFileName() const;
    bool IsReadOnly() const { return m_readOnly; }
    ReadOnlyReason GetReadOnlyReason() const { return m_reason; }
    // A French line for a read-only book: who holds it, or why it could not be
    // reserved. Empty for the holder.
    std::string DescribeReadOnly() const;

    // For a book held elsewhere: who holds it and what became of them, as seen
    // at the open.
    const HolderInfo& OtherHolder() const { return m_other; }
    const HolderVerdict& OtherVerdict() const { return m_otherVerdict; }
    // The holder's session (empty for a reader).
    const std::string& Session() const { return m_session; }

    // The holder's sign of life: rewrites `alive` unless another session has
    // taken the book meanwhile, in which case this one stops writing for good
    // (its saves fail, its release leaves the taker's text alone).
    AliveResult KeepAlive();
    bool IsTakenOver() const { return m_takenOver.load(); }
    // Runs KeepAlive every `interval` on a thread of its own, so that a share
    // that stops answering never holds up the window; stopped by the destructor.
    void StartHeartbeat(std::chrono::milliseconds interval = kAliveInterval);

    // The book's bytes as last saved whole; never a book that a save is
    // replacing at that moment. The version read becomes the one this
    // instance has seen. Throws FileError.
    FileBytes Load() const;
    // The same without taking the version as seen: what is on disk now, for a
    // merge, with its version in `version`.
    FileBytes ReadCurrent(BookVersion& version) const;
    // After a merge with the version on disk: that version counts as seen,
    // and `bytes` (its content) become the base of the next merge.
    void AdoptVersion(const BookVersion& version, std::string bytes);
    // The bytes of the version last loaded or saved (empty before either),
    // the common base of a three-way merge with what another instance saved.
    const std::string& BaseBytes() const { return m_baseBytes; }
    const BookVersion& SeenVersion() const { return m_seen; }
    // A check made on another thread from a copy of the version seen: what
    // it learnt (CheckBookVersion updates its copy) counts when the version
    // seen is still the one copied.
    void NoteChecked(const BookVersion& copied, const BookVersion& checked) const
    {
        if (m_seen.SameState(copied) && m_seen.hash == copied.hash)
            m_seen = checked;
    }
    // Whether the book on disk is still the version seen (see CheckBookVersion).
    VersionCheck CheckDisk() const;
    // Whether loads and saves keep their versions in the private cache, as
    // bases for merging conflict copies (see RememberVersion). Off unless the
    // program turns it on.
    static void SetRememberVersions(bool remember);
    // Replaces the book (holder only). Throws FileError; the book on disk and
    // the reservation are then as they were. Throws BookChangedError when the
    // book on disk is not the version this instance loaded or last saved.
    void Save(std::string_view bytes);
    void Save(const BookBytesProducer& produce);

private:
    friend std::unique_ptr<HeldFile> OpenHeldFile(const std::string&, bool&, bool, HeldFileStatus*, FileSystemOps&,
                                                  TakeOver);
    HeldFile(std::string path, FileSystemOps& fs) : m_path(std::move(path)), m_fs(&fs) {}
    // Throws FileError when another session has taken the book.
    void CheckStillHolder();
    void StopHeartbeat();
    // Whose lock file keeps this user out, and what they can do about it.
    std::string DescribeLockFile() const;

    std::string m_path;
    std::string m_lockOwner;
    FileSystemOps* m_fs;
    mutable LockFile m_lock; // locks are taken by Load as well
    bool m_readOnly = true;
    ReadOnlyReason m_reason = ReadOnlyReason::kNone;
    mutable BookVersion m_seen;
    mutable std::string m_baseBytes;
    std::string m_session;
    long long m_since = 0;
    HolderInfo m_other;
    HolderVerdict m_otherVerdict;
    std::atomic<bool> m_takenOver{false};
    std::mutex m_textMutex; // the lock file's text, between the heartbeat and saves
    std::mutex m_beatMutex;
    std::condition_variable m_beatWake;
    bool m_beatStop = false;
    std::thread m_heartbeat;
};

// Opens a book for this instance. Not for save: the book must exist and be a
// readable regular file; the result holds the book, or reads it (`readOnly`
// set, with a reason). For save: the path may not exist yet; the result holds
// it, or there is none (another instance holds it, the folder allows no
// reservation, or the book has several names). Returns none on failure, with
// the reason in `status` when given. The path is resolved first (see
// ResolveBookPath): every spelling of it meets the same reservation.
// A book whose lock file names another live session (a holder through another
// mount of the same share) is held elsewhere even when the byte lock is free.
std::unique_ptr<HeldFile> OpenHeldFile(const std::string& path, bool& readOnly, bool forSave,
                                       HeldFileStatus* status = nullptr, FileSystemOps& fs = DefaultFileSystem(),
                                       TakeOver takeOver = TakeOver::kNever);

// Gives up the book: the locks go and a holder's description is wiped.
void ReleaseHeldFile(std::unique_ptr<HeldFile>& held);

// Reads a book that this instance does not open, as a reader does: a regular
// file only, never a version that a save is rewriting at that moment (the
// backup of an interrupted rewriting rather than the torn book). Throws
// FileError.
FileBytes ReadBookAsReader(const std::string& path);

// Whether any instance, this one included, has the book open (the merge refuses
// such a file).
bool IsBookInUse(const std::string& path);
// Whether an instance holds the book.
bool IsBookHeld(const std::string& path);
// The notifier's probe: the book exists, this user may write it, and no
// instance holds it. Takes no lock, so that it never makes a simultaneous open
// by another instance fall back to read-only.
bool ProbeBookAvailable(const std::string& path);

enum class SaveOutcome { kSaved, kInUse, kFailed, kChangedOnDisk };

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::kSaved;
    std::string message; // French, ready to show, for kInUse and kFailed
    int error = 0;
};

// The save of a book to `path`. The held file is used when it is that path;
// another path (save as, or a first save) is reserved first, and only once the
// book is written there does it become the held file, the old one being
// released and `readOnly` cleared. A read-only book cannot be saved to its own
// path, nor a book to a path another instance holds (kInUse). On failure the
// book on disk, the held file and `readOnly` are as they were.
SaveResult SaveHeldFile(std::unique_ptr<HeldFile>& held, bool& readOnly, const std::string& path,
                        std::string_view bytes, FileSystemOps& fs = DefaultFileSystem());
// The same with the bytes produced while they are written (see SaveBookFile).
SaveResult SaveHeldFile(std::unique_ptr<HeldFile>& held, bool& readOnly, const std::string& path,
                        const BookBytesProducer& produce, FileSystemOps& fs = DefaultFileSystem());

// The messages of the reservation, with the path filled in, translated.
std::string OpenErrorMessage(const std::string& path); // "Erreur lors de l'ouverture du fichier '%1'"
std::string InUseMessage(const std::string& path);     // "Le fichier '%1' est utilisé.\n..."
std::string ChangedOnDiskMessage(const std::string& path);
std::string TakenOverMessage(const std::string& path, const HolderInfo& taker);
inline constexpr std::string_view kMergeRefusedMessage =
    TAVELO_TR_NOOP("Book", "Le fichier devant être fusionné n'a pas pu être ouvert");

} // namespace tavelo
