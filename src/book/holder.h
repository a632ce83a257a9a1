#pragma once
// Whether the holder named in a book's lock file is still there.
//
// Byte locks tell it on one machine and across SMB and NFS; through a FUSE
// mount or a sync folder they are free whatever the other side holds, and
// only the lock file's text and its modification time remain. A holder is
// gone when, on this machine (same host and boot id), its process no longer
// exists, or when its lock file has not changed for kHolderSilence: the
// holder rewrites it every kAliveInterval. The silence is measured by the
// share's own clock (the time it stamps on a file written just now beside the
// book), never by comparing two machines' clocks; the holder's `alive` field
// is only shown.

#include <chrono>
#include <functional>
#include <string>

#include "book/lock_file.h"

namespace tavelo {

inline constexpr std::chrono::seconds kAliveInterval{30};
inline constexpr std::chrono::seconds kHolderSilence{180};

enum class HolderState {
    kFree,   // the lock file names no one
    kAlive,  // someone holds the book
    kGone,   // its holder is gone: the book is taken without a question
    kSilent, // another machine's holder has been silent: taken once the user agrees
};

// What is known of the holder, for the judgement.
struct HolderFacts {
    HolderInfo info;
    long long lockChanged = -1; // the lock file's modification time (share clock)
    long long shareNow = -1;    // the share's clock now; -1 when unknown
    std::string thisHost;
    std::string thisBoot;
};

struct HolderVerdict {
    HolderState state = HolderState::kFree;
    bool sameMachine = false;
    long long silentFor = -1; // seconds since the lock file last changed; -1 unknown
};

using ProcessExists = std::function<bool(long pid)>;
bool ProcessIsRunning(long pid);

HolderVerdict JudgeHolder(const HolderFacts& facts, const ProcessExists& exists = ProcessIsRunning);

// The share's clock now, read from the modification time of a file this
// instance creates (and removes) in `folder`. -1 when nothing can be written
// there.
long long ShareClockNow(const std::string& folder);

// A new random session id (hexadecimal).
std::string NewSessionId();

// The judgement of the holder described in an open lock file, with the share's
// clock read only when the answer depends on it.
HolderVerdict JudgeLockFile(const LockFile& lock, const std::string& bookPath, HolderInfo* info = nullptr);

// Who holds a book, for `tavelo-cli holder`.
struct BookHolder {
    bool hasLockFile = false;
    bool byteLocked = false; // an instance that shares our locks holds it
    HolderInfo info;
    HolderVerdict verdict;
};
BookHolder LookUpHolder(const std::string& bookPath);

// "Aucun signe de vie depuis 4 min" and the like.
std::string DescribeSilence(long long seconds);

} // namespace tavelo
