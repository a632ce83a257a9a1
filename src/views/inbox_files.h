#pragma once
// What the inbox does to files, without Qt: where a subject's documents live,
// moving a file there without overwriting anything, free names for new files,
// whether a folder is on the network (and must be polled rather than watched)
// and when a file has stopped changing.

#include <cstdint>
#include <ctime>
#include <string>

namespace tavelo {
class CTenorels;
}

namespace tavelo::gui {

// The folder most of the subject's documents share (the latest one's among
// equals); empty when the subject has none.
std::string SubjectFolder(const CTenorels& subject);

// "name.ext" in `folder` when it is free, else "name (2).ext", "name (3).ext"…
// Empty when no such name is free.
std::string FreeNameIn(const std::string& folder, const std::string& name);

struct MoveOutcome {
    bool moved = false;
    std::string path;    // where the file now is
    std::string message; // French, when it was not moved
};

// Moves the file into `folder` under its own name, or "name (2).ext" when
// that is taken: nothing there is ever replaced. Across file systems the file
// is copied, then removed; a move that fails leaves it where it was.
MoveOutcome MoveIntoFolder(const std::string& path, const std::string& folder);

// "Numérisation 2026-12-08 14.05.09.pdf" in `folder`, free (see FreeNameIn).
std::string ScanFileName(const std::string& folder, std::time_t when);

// NFS, SMB/CIFS or a FUSE file system (sshfs…): change notices do not come
// from there, the folder is polled.
bool IsNetworkFolder(const std::string& folder);

// What one look at a file saw.
struct FileLook {
    std::int64_t size = -1;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0; // st_ctime: every write moves it, nothing sets it back
};

FileLook LookAt(const std::string& path);

inline bool SameLook(const FileLook& a, const FileLook& b)
{
    return a.size == b.size && a.modifiedNs == b.modifiedNs && a.changedNs == b.changedNs;
}

// A file has stopped changing when nothing was written to it for `settleNs`:
// by its own date of change, or, when that clock cannot be trusted (a server's
// clock), because this look saw what a look `settleNs` before saw.
// `firstSeenNs` is when the look now seen was first seen.
inline bool HasSettled(const FileLook& now, std::int64_t firstSeenNs, std::int64_t nowNs, std::int64_t settleNs)
{
    if (now.size < 0)
        return false;
    const bool quietByDate = now.changedNs <= nowNs && nowNs - now.changedNs >= settleNs;
    return quietByDate || nowNs - firstSeenNs >= settleNs;
}

} // namespace tavelo::gui
