#include "search/spreadsheet_worker.h"

#include "base/helper_program.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/tr.h"
#include "book/text.h"
#include "search/spreadsheet_worker_protocol.h"

extern char** environ;

namespace tavelo {

namespace protocol = xls_protocol;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kDamaged = TAVELO_TR_NOOP("Search", "le classeur est endommagé");
constexpr const char* kTooLong = TAVELO_TR_NOOP("Search", "sa lecture ne s'est pas terminée à temps");
constexpr const char* kIncoherent = TAVELO_TR_NOOP("Search", "sa lecture a donné une réponse incohérente");

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1000));
}

// Waits for `events` on `fd` until the deadline: false when it passed.
bool WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        if (Clock::now() >= deadline)
            return false;
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, std::max(MillisecondsLeft(deadline), 1));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return true; // the read or write that follows reports the failure
    }
}

} // namespace

std::string FindSpreadsheetWorker()
{
    return FindHelperProgram(kSpreadsheetWorkerName);
}

enum class SpreadsheetWorker::Exchange { kFinished, kUnreadable, kEnded, kNoHello, kIncoherent, kTimedOut };

SpreadsheetWorker::SpreadsheetWorker(std::string executable)
    : m_executable(std::move(executable)), m_unavailable(m_executable.empty())
{
}

SpreadsheetWorker::~SpreadsheetWorker()
{
    Stop();
}

bool SpreadsheetWorker::Start()
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    int child = ends[1];
    if (child <= STDERR_FILENO) {
        // Duplicating onto itself would keep close-on-exec set.
        child = ::fcntl(ends[1], F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        ::close(ends[1]);
        if (child < 0) {
            ::close(ends[0]);
            return false;
        }
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, child, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, child, STDOUT_FILENO);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Descriptors opened elsewhere without close-on-exec stay here too.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGCHLD})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    char* argv[] = {m_executable.data(), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, m_executable.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(child);
    if (spawned != 0) {
        ::close(ends[0]);
        return false;
    }
    m_pid = pid;
    m_channel = ends[0];
    ++m_starts;
    return true;
}

void SpreadsheetWorker::Stop()
{
    if (m_channel >= 0) {
        ::close(m_channel);
        m_channel = -1;
    }
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
    }
}

void SpreadsheetWorker::DropIfOutOfStep()
{
    if (m_pid <= 0)
        return;
    // Between two workbooks the reader has nothing to say: anything on the
    // channel (bytes, its end, an error) means it ended or is out of step.
    pollfd channel{m_channel, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&channel, 1, 0);
    while (ready < 0 && errno == EINTR);
    if (ready != 0)
        Stop();
}

bool SpreadsheetWorker::Send(std::string_view bytes, Clock::time_point deadline)
{
    while (!bytes.empty()) {
        if (!WaitFor(m_channel, POLLOUT, deadline))
            return false;
        const ssize_t n = ::send(m_channel, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

SpreadsheetWorker::Exchange SpreadsheetWorker::Receive(bool expectHello,
                                                       const std::function<bool(std::string_view)>& visit,
                                                       bool& found, std::string& reason, Clock::time_point deadline)
{
    std::string buffer;
    std::size_t start = 0;
    char chunk[64 * 1024];
    for (;;) {
        // Every whole frame received so far; a partial one waits for its end.
        while (buffer.size() - start >= protocol::kHeaderSize) {
            const char tag = buffer[start];
            const std::uint32_t length = protocol::ReadLength(std::string_view(buffer).substr(start + 1, 4));
            std::uint32_t limit = 0;
            switch (tag) {
            case protocol::kHello: limit = static_cast<std::uint32_t>(protocol::kVersion.size()); break;
            case protocol::kCell: limit = protocol::kMaxCellBytes; break;
            case protocol::kUnreadable: limit = protocol::kMaxReasonBytes; break;
            case protocol::kFinished: limit = 0; break;
            default: return Exchange::kIncoherent;
            }
            if (length > limit)
                return Exchange::kIncoherent;
            if (buffer.size() - start - protocol::kHeaderSize < length)
                break;
            const std::string_view payload = std::string_view(buffer).substr(start + protocol::kHeaderSize, length);
            start += protocol::kHeaderSize + length;
            if (expectHello) {
                if (tag != protocol::kHello || payload != protocol::kVersion)
                    return Exchange::kNoHello;
                expectHello = false;
                continue;
            }
            const bool last = tag == protocol::kFinished || tag == protocol::kUnreadable;
            if (tag == protocol::kHello || payload.empty() != (tag == protocol::kFinished) ||
                !IsValidUtf8(payload) || (last && start != buffer.size()))
                return Exchange::kIncoherent;
            if (tag == protocol::kCell) {
                if (!found && visit(payload))
                    found = true;
                continue;
            }
            if (tag == protocol::kFinished)
                return Exchange::kFinished;
            reason.assign(payload);
            return Exchange::kUnreadable;
        }
        if (start > 0) {
            buffer.erase(0, start);
            start = 0;
        }
        if (!WaitFor(m_channel, POLLIN, deadline))
            return Exchange::kTimedOut;
        const ssize_t n = ::recv(m_channel, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return expectHello ? Exchange::kNoHello : Exchange::kEnded;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

std::optional<CellWalk> SpreadsheetWorker::Walk(const std::string& path,
                                                const std::function<bool(std::string_view)>& visit,
                                                std::string& reason, std::chrono::milliseconds timeout)
{
    if (m_unavailable)
        return std::nullopt;
    if (path.empty() || path.size() > protocol::kMaxPathBytes) {
        reason = TAVELO_TR_NOOP("Search", "le fichier n'existe pas ou ne peut pas être ouvert");
        return CellWalk::kUnreadable;
    }
    const Clock::time_point deadline = Clock::now() + timeout;
    std::string request;
    protocol::AppendLength(request, static_cast<std::uint32_t>(path.size()));
    request += path;

    bool fresh = false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        DropIfOutOfStep();
        fresh = m_pid <= 0;
        if (fresh && !Start()) {
            m_unavailable = true;
            return std::nullopt;
        }
        // A reader that ends before it reads a request is found out by the
        // hello it did or did not send; an older one gets a second chance.
        if (Send(request, deadline) || fresh)
            break;
        Stop();
    }

    bool found = false;
    Exchange exchange = Exchange::kEnded;
    try {
        exchange = Receive(fresh, visit, found, reason, deadline);
    } catch (...) {
        // The rest of this workbook's cells are still on their way.
        Stop();
        throw;
    }
    if (exchange != Exchange::kFinished && exchange != Exchange::kUnreadable)
        Stop();
    switch (exchange) {
    case Exchange::kNoHello:
        m_unavailable = true;
        return std::nullopt;
    case Exchange::kFinished: return found ? CellWalk::kStopped : CellWalk::kFinished;
    case Exchange::kUnreadable: break;
    case Exchange::kEnded: reason = kDamaged; break;
    case Exchange::kIncoherent: reason = kIncoherent; break;
    case Exchange::kTimedOut: reason = kTooLong; break;
    }
    if (found) {
        reason.clear();
        return CellWalk::kStopped;
    }
    return CellWalk::kUnreadable;
}

} // namespace tavelo
