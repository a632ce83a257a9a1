#pragma once
// Which version of a book file an instance has seen, so that a save never
// replaces one it has not: another machine's save through a share, a sync
// client's download, a restore from a backup.
//
// A version is the file's identity and state (device, inode, size,
// modification time in nanoseconds) and a hash of its bytes. Checking costs a
// stat while these are unchanged; only when they differ, and the size alone
// does not already tell, is the file read again and its hash compared.

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "book/file_io.h"

namespace tavelo {

struct BookVersion {
    bool known = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
    std::uint64_t hash = 0;

    bool SameState(const BookVersion& other) const
    {
        return device == other.device && inode == other.inode && size == other.size && modifiedNs == other.modifiedNs;
    }
};

std::uint64_t HashBookBytes(std::string_view bytes);

// Hashes bytes as they are handed over piece by piece.
class BookHasher {
public:
    BookHasher();
    ~BookHasher();
    BookHasher(const BookHasher&) = delete;
    BookHasher& operator=(const BookHasher&) = delete;
    void Add(std::string_view bytes);
    std::uint64_t Digest() const;

private:
    void* m_state;
};

// The file's state now, with `hash` as given; `known` is false when the file
// cannot be looked at (missing).
BookVersion StatBookVersion(const std::string& path, std::uint64_t hash = 0);

enum class VersionCheck {
    kSame,    // the file is the version seen (perhaps touched, or copied back alike)
    kChanged, // another version is on disk
    kMissing, // no file there: nothing would be overwritten
};

// Compares the file on disk with `seen`. When only its state changed and its
// bytes hash the same, `seen` takes the new state, so that the next check is
// a stat again. Throws FileError when the file exists but cannot be read.
VersionCheck CheckBookVersion(const std::string& path, BookVersion& seen);

} // namespace tavelo
