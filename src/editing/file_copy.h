#pragma once
// Copying one document file, and the file facts the copying commands compare.

#include <string>
#include <string_view>
#include <sys/types.h>
#include <ctime>

namespace tavelo {

// Names one file whatever the path that reaches it (hard links, symbolic links).
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
    bool operator<(const FileId& o) const { return device != o.device ? device < o.device : inode < o.inode; }
};

struct FileFacts {
    FileId id;
    off_t size = 0;
    timespec modified{};
    bool regular = false;
    bool directory = false;
};

// Facts of the file a path leads to, following symbolic links. Returns 0, or
// the errno value of the failure.
int StatPath(const std::string& path, FileFacts& facts);
// Whether something, even a dangling symbolic link, has this path.
bool PathIsTaken(const std::string& path);

// A name that stays inside the folder it is joined to: not empty, not "." or
// "..", without '/' or NUL.
bool IsPlainFileName(std::string_view name);

struct CopyResult {
    int error = 0;   // 0 when the copy is in place
    FileId source{}; // the file that was read (valid when error is 0)
};

// Where a copy is staged and how it takes its place.
struct CopyPlacement {
    std::string stagingFolder;              // empty: the target's folder (same file system)
    std::string_view prefix = ".tavelo-";   // of the staged file's name (see staged_file.h)
    bool replace = true;                    // false: a file at the target stays (error EEXIST)
};

// Copies the regular file `source` to `target`. The bytes go to a staged file
// through the kernel's copy (copy_file_range, then sendfile, then read/write
// where those are refused); the staged file gets the source's permission bits
// (less the umask) and its access and modification times, is flushed to disk,
// and only then takes the target's name. A failed copy leaves nothing behind
// and the target as it was. The source is opened read-only, without waiting
// on a named pipe and, where the system allows, without updating its access
// time.
CopyResult CopyDocumentFile(const std::string& source, const std::string& target, const CopyPlacement& placement = {});

// The process's file creation mask.
mode_t CurrentUmask();

} // namespace tavelo
