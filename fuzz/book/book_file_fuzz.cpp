// A book reached through every kind of path a user or an attacker can give:
// the first byte of the input says what the book's path is (a regular file, a
// symbolic link to one, a second hard link, a named pipe, a device, a folder,
// a dangling link), the rest is the book's bytes. Every reader of a book (the
// window's open and load, the command-line tool's reader, the merge) returns
// at once, with the subjects the bytes hold or a French reason, and never
// waits on a pipe, reads a device without end or holds a hard-linked book.

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "book/book_file.h"
#include "book/held_file.h"
#include "book/merge.h"

namespace {

enum Kind : std::uint8_t { kRegular, kSymbolicLink, kHardLink, kNamedPipe, kZeroDevice, kNullDevice, kFolder, kDangling, kKinds };

const std::string& Folder()
{
    static const std::string folder = [] {
        std::string path = (std::filesystem::temp_directory_path() / "tavelo-fuzz-XXXXXX").string();
        if (!::mkdtemp(path.data()))
            std::abort();
        return path;
    }();
    return folder;
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const Kind kind = static_cast<Kind>(data[0] % kKinds);
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    std::filesystem::remove_all(Folder());
    std::filesystem::create_directory(Folder());
    const std::string real = Folder() + "/Maison.tvo";
    const std::string book = Folder() + "/Lien.tvo";
    {
        const int fd = ::open(real.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        Check(fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
        ::close(fd);
    }
    switch (kind) {
    case kRegular: ::rename(real.c_str(), book.c_str()); break;
    case kSymbolicLink: Check(::symlink("Maison.tvo", book.c_str()) == 0); break;
    case kHardLink: Check(::link(real.c_str(), book.c_str()) == 0); break;
    case kNamedPipe: Check(::mkfifo(book.c_str(), 0644) == 0); break;
    case kZeroDevice: Check(::symlink("/dev/zero", book.c_str()) == 0); break;
    case kNullDevice: Check(::symlink("/dev/null", book.c_str()) == 0); break;
    case kFolder: Check(::mkdir(book.c_str(), 0755) == 0); break;
    case kDangling: Check(::symlink("Absent.tvo", book.c_str()) == 0); break;
    default: break;
    }
    const bool readable = kind == kRegular || kind == kSymbolicLink || kind == kHardLink;

    // What the bytes hold, read as a book.
    bool loads = true;
    std::size_t subjects = 0;
    try {
        subjects = tavelo::ReadSubjectList(bytes).size();
    } catch (const tavelo::BookFormatError&) {
        loads = false;
    }

    // The command-line tool's reader.
    try {
        const tavelo::FileBytes read = tavelo::ReadBookAsReader(book);
        Check(readable && read.View() == bytes);
    } catch (const tavelo::FileError& e) {
        Check(!readable && *e.what() != '\0');
    }

    // The merge.
    const tavelo::MergeRead merged = tavelo::ReadBookForMerge(book);
    if (!readable)
        Check(merged.outcome == tavelo::MergeReadOutcome::kRefused);
    else if (loads)
        Check(merged.outcome == tavelo::MergeReadOutcome::kRead && merged.subjects.size() == subjects);
    else
        Check(merged.outcome == tavelo::MergeReadOutcome::kDamaged && merged.subjects.empty());

    // The window's open: only a book of one name is held.
    bool readOnly = false;
    tavelo::HeldFileStatus status;
    const std::unique_ptr<tavelo::HeldFile> held = tavelo::OpenHeldFile(book, readOnly, false, &status);
    Check(readable == (held != nullptr));
    if (held) {
        Check(readOnly == (kind == kHardLink));
        Check(held->GetFilePath() == (kind == kSymbolicLink ? real : book));
        Check(held->Load().View() == bytes);
    } else {
        Check(!status.reason.empty());
    }
    return 0;
}
