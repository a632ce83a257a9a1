#include "book/holder.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "base/tr.h"
#include "book/book_path.h"
#include "book/file_io.h"

namespace tavelo {

namespace {

bool SameMachine(const HolderInfo& info, const std::string& host, const std::string& boot)
{
    return !info.host.empty() && info.host == host && !info.boot.empty() && info.boot == boot;
}

} // namespace

bool ProcessIsRunning(long pid)
{
    if (pid <= 0)
        return false;
    // EPERM: it exists, as another user's process.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

HolderVerdict JudgeHolder(const HolderFacts& facts, const ProcessExists& exists)
{
    HolderVerdict verdict;
    const HolderInfo& info = facts.info;
    if (!info.Describes())
        return verdict;
    // A newer version's fields may mean something else: only its silence is judged.
    const bool known = info.version <= kLockFileVersion;
    verdict.sameMachine = known && SameMachine(info, facts.thisHost, facts.thisBoot);
    if (facts.shareNow >= 0 && facts.lockChanged >= 0)
        verdict.silentFor = facts.shareNow > facts.lockChanged ? facts.shareNow - facts.lockChanged : 0;
    const bool silent = verdict.silentFor >= kHolderSilence.count();
    if (verdict.sameMachine) {
        verdict.state = !exists(info.pid) || silent ? HolderState::kGone : HolderState::kAlive;
        return verdict;
    }
    verdict.state = silent ? HolderState::kSilent : HolderState::kAlive;
    return verdict;
}

long long ShareClockNow(const std::string& folder)
{
    std::string name = (folder.empty() ? std::string(".") : folder) + "/.tavelo-clock-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return -1;
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0;
    ::close(fd);
    ::unlink(name.c_str());
    return ok ? static_cast<long long>(st.st_mtim.tv_sec) : -1;
}

std::string NewSessionId()
{
    std::random_device device;
    std::uniform_int_distribution<unsigned> hex(0, 15);
    std::string id;
    for (int i = 0; i < 32; ++i)
        id += "0123456789abcdef"[hex(device)];
    return id;
}

HolderVerdict JudgeLockFile(const LockFile& lock, const std::string& bookPath, HolderInfo* infoOut)
{
    HolderFacts facts;
    facts.info = lock.ReadHolderInfo();
    facts.thisHost = ThisHostName();
    facts.thisBoot = ThisBootId();
    if (infoOut)
        *infoOut = facts.info;
    if (!facts.info.Describes())
        return {};
    // A holder of this machine whose process has ended needs no clock.
    HolderVerdict verdict = JudgeHolder(facts);
    if (verdict.state == HolderState::kGone)
        return verdict;
    facts.lockChanged = lock.ModifiedTime();
    facts.shareNow = ShareClockNow(ParentFolder(bookPath));
    return JudgeHolder(facts);
}

BookHolder LookUpHolder(const std::string& givenPath)
{
    BookHolder holder;
    const std::string path = ResolvedOrGiven(givenPath);
    LockFile lock;
    if (lock.Open(path, false, 0) != 0)
        return holder;
    holder.hasLockFile = true;
    int error = 0;
    holder.byteLocked = lock.Conflicts(kHolderByte, F_WRLCK, error);
    holder.verdict = JudgeLockFile(lock, path, &holder.info);
    // The kernel keeps a byte lock only for a live holder, whatever its text says.
    if (holder.byteLocked && holder.verdict.state != HolderState::kAlive)
        holder.verdict.state = HolderState::kAlive;
    return holder;
}

std::string DescribeSilence(long long seconds)
{
    if (seconds < 60)
        return Format(Tr("Book", "Aucun signe de vie depuis %1 s"), {std::to_string(seconds < 0 ? 0 : seconds)});
    if (seconds < 3600)
        return Format(Tr("Book", "Aucun signe de vie depuis %1 min"), {std::to_string(seconds / 60)});
    return Format(Tr("Book", "Aucun signe de vie depuis %1 h %2 min"),
                  {std::to_string(seconds / 3600), std::to_string(seconds % 3600 / 60)});
}

} // namespace tavelo
