#pragma once
// The reservation of a book between instances of the program.
//
// An instance that opens a book first becomes its holder: it alone may save it.
// Later instances open it read-only. The book file is read whole when loaded and
// replaced whole when saved; what an instance keeps from open to close is a
// lock file beside the book (see lock_file.h), not the book file itself.
// These locks bind instances of this program only (advisory locking).

#include <memory>
#include <string>
#include <string_view>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/file_system.h"
#include "book/safe_save.h"
#include "book/lock_file.h"

namespace tavelo {

// Why a book was opened read-only.
enum class ReadOnlyReason {
    kNone,
    kHeldElsewhere,   // another instance holds it (the reservation dialog's case)
    kBookNotWritable, // the user may not write the book file
    kFolderReadOnly,  // no lock file can be made or written beside the book
    kNoLocking,       // the file system refuses locks (ENOLCK)
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

class HeldFile {
public:
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    ~HeldFile();

    const std::string& GetFilePath() const { return m_path; }
    // The name with its extension, without its folder, as the dialogs show it.
    std::string GetFileName() const;
    bool IsReadOnly() const { return m_readOnly; }
    ReadOnlyReason GetReadOnlyReason() const { return m_reason; }
    // A French line for a read-only book: who holds it, or why it could not be
    // reserved. Empty for the holder.
    std::string DescribeReadOnly() const;

    // The book's bytes as last saved whole; never a book that a save is
    // replacing at that moment. Throws FileError.
    FileBytes Load() const;
    // Replaces the book (holder only). Throws FileError; the book on disk and
    // the reservation are then as they were.
    void Save(std::string_view bytes);
    void Save(const BookBytesProducer& produce);

private:
    friend std::unique_ptr<HeldFile> OpenHeldFile(const std::string&, bool&, bool, HeldFileStatus*, FileSystemOps&);
    HeldFile(std::string path, FileSystemOps& fs) : m_path(std::move(path)), m_fs(&fs) {}

    std::string m_path;
    FileSystemOps* m_fs;
    mutable LockFile m_lock; // locks are taken by Load as well
    bool m_readOnly = true;
    ReadOnlyReason m_reason = ReadOnlyReason::kNone;
};

// Opens a book for this instance. Not for save: the book must exist and be
// readable; the result holds the book, or reads it (`readOnly` set, with a
// reason). For save: the path may not exist yet; the result holds it, or there
// is none (another instance holds it, or the folder allows no reservation).
// Returns none on failure, with the reason in `status` when given.
std::unique_ptr<HeldFile> OpenHeldFile(const std::string& path, bool& readOnly, bool forSave,
                                       HeldFileStatus* status = nullptr, FileSystemOps& fs = DefaultFileSystem());

// Gives up the book: the locks go and a holder's description is wiped.
void ReleaseHeldFile(std::unique_ptr<HeldFile>& held);

// Whether any instance, this one included, has the book open (the merge refuses
// such a file).
bool IsBookInUse(const std::string& path);
// Whether an instance holds the book.
bool IsBookHeld(const std::string& path);
// The notifier's probe: the book exists, this user may write it, and no
// instance holds it. Takes no lock, so that it never makes a simultaneous open
// by another instance fall back to read-only.
bool ProbeBookAvailable(const std::string& path);

enum class SaveOutcome { kSaved, kInUse, kFailed };

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
inline constexpr std::string_view kMergeRefusedMessage =
    TAVELO_TR_NOOP("Book", "Le fichier devant être fusionné n'a pas pu être ouvert");

} // namespace tavelo
