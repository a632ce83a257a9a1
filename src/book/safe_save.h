#pragma once
// Writing a book file so that a crash, a full disk or a lost network leaves on
// disk either the old book or the new one, whole.
//
// The usual way writes a temporary file beside the book, flushes it, renames it
// over the book and flushes the folder. Where a rename would change the file
// (a symbolic link, several hard links, a book owned by someone else) or the
// file system refuses it, the book is rewritten in place, protected by a full
// backup copy beside it (see BackupFilePath) that exists only while the
// rewriting runs; a backup found later means the rewriting was interrupted, and
// the next holder copies it back (RecoverBook).
//
// These functions take no lock: the caller holds the book, and keeps readers
// out while the book is rewritten in place (see HeldFile). A replacement by
// renaming needs no such exclusion: a reader opens either file, both whole.

#include <functional>
#include <string>
#include <string_view>

#include "book/file_io.h"
#include "book/file_system.h"

namespace tavelo {

enum class SaveMethod { kReplace, kInPlace };

// Writes `bytes` as the book at `path`, byte for byte. Throws FileError with
// the reason in French; the book on disk is then the one that was there and no
// temporary file is left. The book's permissions and, when the process may set
// it, its owner are kept.
//
// `keepReadersOut` runs before readers could see something change under them:
// once the backup is in place and before the book is first rewritten in place,
// and before the backup of an earlier failed rewriting is removed. It may
// throw FileError, which ends the save with the book untouched (or leaves
// that backup where it is). The holder keeps readers out from there until the
// call returns.
//
// A backup found in place is the last good book (the book itself may be torn):
// a save never writes over it, and removes it only once the book is whole.
SaveMethod SaveBookFile(const std::string& path, std::string_view bytes, FileSystemOps& fs = DefaultFileSystem(),
                        const std::function<void()>& keepReadersOut = {});

// Hands the book's bytes, in order, to the sink it is given; may be called
// more than once and must give the same bytes each time.
using BookBytesProducer = std::function<void(const ByteSink&)>;

// The same with the bytes produced while they are written.
SaveMethod SaveBookFile(const std::string& path, const BookBytesProducer& produce,
                        FileSystemOps& fs = DefaultFileSystem(), const std::function<void()>& keepReadersOut = {});

// Puts back the book from a backup left by an interrupted rewriting and removes
// the temporary files of interrupted saves. Throws FileError when a backup
// exists but cannot be put back (the backup is then kept).
void RecoverBook(const std::string& path, FileSystemOps& fs = DefaultFileSystem());

// The book's bytes as last saved whole: its backup when one was left, else the
// book itself. Throws FileError.
FileBytes ReadSavedBook(const std::string& path);

// The mode of a new file: 0666 less the process's umask (read without
// changing it, which would race with other threads creating files).
mode_t NewFileMode();

} // namespace tavelo
