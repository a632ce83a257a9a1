// ForEachCellIsolated: through the shared reader process, else a child forked
// per workbook.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <mutex>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/tr.h"
#include "search/spreadsheet.h"
#include "search/spreadsheet_worker.h"

namespace tavelo {

namespace {

std::mutex& SharedWorkerMutex()
{
    static std::mutex mutex;
    return mutex;
}

SpreadsheetWorker& SharedWorker()
{
    static SpreadsheetWorker worker(FindSpreadsheetWorker());
    return worker;
}

void WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

} // namespace

// A child forked from a process with other threads may block on a lock one of
// them held at the fork; the time limit ends it then, like any other walk that
// does not end.
CellWalk ForEachCellInChild(const std::string& path, const std::function<bool(std::string_view)>& visit,
                            std::string& reason, int timeoutSeconds)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        reason = TAVELO_TR_NOOP("Search", "le système refuse de lancer sa lecture");
        return CellWalk::kUnreadable;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        reason = TAVELO_TR_NOOP("Search", "le système refuse de lancer sa lecture");
        return CellWalk::kUnreadable;
    }
    if (child == 0) {
        ::close(fds[0]);
        std::string childReason;
        const CellWalk walk = ForEachCell(path, visit, childReason);
        const char verdict = walk == CellWalk::kStopped ? 'S' : walk == CellWalk::kFinished ? 'F' : 'U';
        WriteAll(fds[1], std::string(1, verdict) + childReason);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string answer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        char buffer[512];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut) {
        reason = TAVELO_TR_NOOP("Search", "sa lecture ne s'est pas terminée à temps");
        return CellWalk::kUnreadable;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || answer.empty()) {
        reason = TAVELO_TR_NOOP("Search", "le classeur est endommagé");
        return CellWalk::kUnreadable;
    }
    if (answer[0] == 'S')
        return CellWalk::kStopped;
    if (answer[0] == 'F')
        return CellWalk::kFinished;
    reason = answer.substr(1);
    return CellWalk::kUnreadable;
}

int SharedSpreadsheetWorkerStarts()
{
    const std::lock_guard lock(SharedWorkerMutex());
    return SharedWorker().Starts();
}

CellWalk ForEachCellIsolated(const std::string& path, const std::function<bool(std::string_view)>& visit,
                             std::string& reason, int timeoutSeconds)
{
    {
        const std::lock_guard lock(SharedWorkerMutex());
        if (const std::optional<CellWalk> walk =
                SharedWorker().Walk(path, visit, reason, std::chrono::seconds(timeoutSeconds)))
            return *walk;
    }
    return ForEachCellInChild(path, visit, reason, timeoutSeconds);
}

} // namespace tavelo
