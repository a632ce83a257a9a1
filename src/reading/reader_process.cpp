#include "reading/reader_process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/helper_program.h"
#include "base/tr.h"
#include "book/file_io.h"
#include "book/text.h"
#include "reading/reader_protocol.h"

extern char** environ;

namespace tavelo {

namespace protocol = reader_protocol;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kTooLong = TAVELO_TR_NOOP("Search", "trop long à lire");
constexpr const char* kTooMuchMemory = TAVELO_TR_NOOP("Search", "trop de mémoire");
constexpr const char* kReaderStopped = TAVELO_TR_NOOP("Search", "le programme de lecture s'est arrêté en le lisant");
constexpr const char* kNoReply = TAVELO_TR_NOOP("Search", "le programme de lecture des documents (%1) ne répond pas comme attendu ; "
                                                          "il ne correspond sans doute pas à cette version de Tavelo");
constexpr const char* kDiedAtStart =
    TAVELO_TR_NOOP("Search", "le programme de lecture des documents (%1) s'arrête dès son lancement");
constexpr const char* kNotSent = TAVELO_TR_NOOP("Search", "il n'a pas pu être transmis au programme de lecture");
constexpr const char* kIncoherent = TAVELO_TR_NOOP("Search", "sa lecture a donné une réponse incohérente");
constexpr auto kPollSlice = std::chrono::milliseconds(50);
// Text and the frames around it; a reader sending more is out of step.
constexpr std::size_t kMaxTextBytes = std::size_t{32} << 20;

// Waits for `events` on `fd` for at most one slice; false when nothing came.
bool WaitSlice(int fd, short events, Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    const auto wait = std::clamp(left, std::chrono::milliseconds(0), std::chrono::milliseconds(kPollSlice));
    pollfd p{fd, events, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(wait.count()));
    // An error is reported by the read or write that follows.
    return ready != 0 && !(ready < 0 && errno == EINTR);
}

bool Cancelled(const std::atomic<bool>* cancel)
{
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

std::string Arg(const char* name, unsigned long long value)
{
    return std::string(name) + std::to_string(value);
}

} // namespace

std::string FindReaderProgram()
{
    return FindHelperProgram(kReaderProgramName);
}

enum class ReaderProcess::Exchange {
    kFinished,
    kUnreadable,
    kEnded,
    kNoHello,
    kDiedAtStart,
    kIncoherent,
    kTimedOut,
    kCancelled,
    kOutOfMemory,
};

ReaderProcess::ReaderProcess(std::string executable, ReaderLimits limits)
    : m_executable(std::move(executable)), m_limits(limits)
{
}

ReaderProcess::~ReaderProcess()
{
    Stop();
}

bool ReaderProcess::Start(std::string& reason)
{
    if (m_executable.empty()) {
        reason = Format(Tr("Search", "le programme de lecture des documents (%1) est introuvable"), {kReaderProgramName});
        return false;
    }
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        reason = Format(Tr("Search", "le système refuse de lancer le programme de lecture : %1"), {DescribeError(errno)});
        return false;
    }
    int child = ends[1];
    if (child <= STDERR_FILENO) {
        // Duplicating onto itself would keep close-on-exec set.
        child = ::fcntl(ends[1], F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        ::close(ends[1]);
        if (child < 0) {
            ::close(ends[0]);
            reason = Format(Tr("Search", "le système refuse de lancer le programme de lecture : %1"), {DescribeError(errno)});
            return false;
        }
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, child, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, child, STDOUT_FILENO);
    // Libraries complain on the error output about every damaged file: the
    // reader's reasons say what matters. TAVELO_READER_STDERR=1 keeps it.
    const char* keepErrors = std::getenv("TAVELO_READER_STDERR");
    if (keepErrors == nullptr || std::strcmp(keepErrors, "1") != 0)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
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
    for (const int signal : {SIGPIPE, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGCHLD, SIGXCPU})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const auto seconds = [](std::chrono::seconds s) { return static_cast<unsigned long long>(std::max<long long>(s.count(), 1)); };
    std::string memory = Arg("--memory=", m_limits.memoryBytes);
    std::string cpu = Arg("--cpu=", seconds(m_limits.documentTime));
    std::string pageCpu = Arg("--page-cpu=", seconds(m_limits.ocrPageTime));
    char* argv[] = {m_executable.data(), memory.data(), cpu.data(), pageCpu.data(), nullptr};
    // Libraries that start threads of their own (OCR) keep to one: the search
    // runs one reader per core already.
    std::vector<char*> env;
    static char oneThread[] = "OMP_THREAD_LIMIT=1";
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "OMP_THREAD_LIMIT=", 17) != 0)
            env.push_back(*e);
    env.push_back(oneThread);
    env.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, m_executable.c_str(), &actions, &attributes, argv, env.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(child);
    if (spawned != 0) {
        ::close(ends[0]);
        reason = Format(Tr("Search", "le programme de lecture des documents (%1) ne peut pas être lancé : %2"),
                        {m_executable, DescribeError(spawned)});
        return false;
    }
    m_pid = pid;
    m_channel = ends[0];
    m_killedForTime = false;
    ++m_starts;
    return true;
}

void ReaderProcess::Stop()
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

// The end of a reader that closed its channel: the reason it gives the
// document. It is given a moment to end by itself, so that its own way of
// ending (the processor-time limit, an allocation that failed) can be told.
std::string ReaderProcess::DescribeEnd()
{
    if (m_channel >= 0) {
        ::close(m_channel);
        m_channel = -1;
    }
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 40 && ended == 0; ++i) {
        ended = ::waitpid(m_pid, &status, WNOHANG);
        if (ended == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        else if (ended < 0 && errno == EINTR)
            ended = 0;
    }
    if (ended == 0) {
        ::kill(m_pid, SIGKILL);
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    m_pid = -1;
    if (ended > 0 && WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)
        return kTooLong;
    if (ended > 0 && WIFEXITED(status) && WEXITSTATUS(status) == protocol::kExitOutOfMemory)
        return kTooMuchMemory;
    return kReaderStopped;
}

void ReaderProcess::DropIfOutOfStep()
{
    if (m_pid <= 0)
        return;
    // Between two documents the reader has nothing to say: anything on the
    // channel (bytes, its end, an error) means it ended or is out of step.
    pollfd channel{m_channel, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&channel, 1, 0);
    while (ready < 0 && errno == EINTR);
    if (ready != 0)
        Stop();
}

bool ReaderProcess::SendRequest(int fd, DocumentKind kind, bool* readerGone)
{
    std::string frame;
    protocol::AppendFrame(frame, protocol::kDocument, std::string(1, static_cast<char>(kind)));
    iovec io{frame.data(), frame.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = SOL_SOCKET;
    c->cmsg_type = SCM_RIGHTS;
    c->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
    // The request is a few bytes: one call sends it whole, or the reader is
    // not reading.
    ssize_t n = -1;
    do
        n = ::sendmsg(m_channel, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    if (readerGone != nullptr)
        *readerGone = n < 0 && (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN);
    return n == static_cast<ssize_t>(frame.size());
}

ReaderProcess::Exchange ReaderProcess::Receive(bool expectHello, ReadOutcome& outcome,
                                               const std::atomic<bool>* cancel, const ReadProgress& progress)
{
    std::string buffer;
    std::size_t start = 0;
    std::size_t textBytes = 0;
    Clock::time_point deadline = Clock::now() + m_limits.documentTime;
    char chunk[64 * 1024];
    for (;;) {
        // Every whole frame received so far; a partial one waits for its end.
        while (buffer.size() - start >= protocol::kHeaderSize) {
            const char tag = buffer[start];
            const std::uint32_t length = protocol::ReadU32(std::string_view(buffer).substr(start + 1, 4));
            std::size_t limit = 0;
            switch (tag) {
            case protocol::kHello: limit = protocol::kVersion.size(); break;
            case protocol::kPiece: limit = kMaxTextBytes + 1; break;
            case protocol::kProgress: limit = protocol::kMaxProgressBytes; break;
            case protocol::kUnreadable:
            case protocol::kUnreadableNow: limit = protocol::kMaxReasonBytes; break;
            case protocol::kFinished:
            case protocol::kOutOfMemory: limit = 0; break;
            default: return expectHello ? Exchange::kNoHello : Exchange::kIncoherent;
            }
            if (length > limit)
                return expectHello ? Exchange::kNoHello : Exchange::kIncoherent;
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
            switch (tag) {
            case protocol::kPiece: {
                if (payload.empty() || !IsMatchRule(static_cast<std::uint8_t>(payload[0])))
                    return Exchange::kIncoherent;
                const std::string_view text = payload.substr(1);
                textBytes += text.size() + 1;
                if (textBytes > kMaxTextBytes + 1 || !IsValidUtf8(text))
                    return Exchange::kIncoherent;
                outcome.text.Append(static_cast<MatchRule>(payload[0]), text);
                continue;
            }
            case protocol::kProgress: {
                if (payload.size() < 8)
                    return Exchange::kIncoherent;
                const std::string_view unit = payload.substr(8);
                if (unit == protocol::kOcrPageUnit)
                    deadline = std::max(deadline, Clock::now() + m_limits.ocrPageTime);
                if (progress)
                    progress(unit, protocol::ReadU32(payload), protocol::ReadU32(payload.substr(4)));
                continue;
            }
            case protocol::kFinished:
            case protocol::kUnreadable:
            case protocol::kUnreadableNow:
                if (start != buffer.size())
                    return Exchange::kIncoherent;
                if (tag == protocol::kFinished)
                    return Exchange::kFinished;
                if (payload.empty() || !IsValidUtf8(payload))
                    return Exchange::kIncoherent;
                outcome.reason.assign(payload);
                outcome.lasting = tag == protocol::kUnreadable;
                return Exchange::kUnreadable;
            case protocol::kOutOfMemory: return Exchange::kOutOfMemory;
            default: return Exchange::kIncoherent;
            }
        }
        if (start > 0) {
            buffer.erase(0, start);
            start = 0;
        }
        if (Cancelled(cancel))
            return Exchange::kCancelled;
        if (Clock::now() >= deadline)
            return expectHello ? Exchange::kNoHello : Exchange::kTimedOut;
        if (!WaitSlice(m_channel, POLLIN, deadline))
            continue;
        const ssize_t n = ::recv(m_channel, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return expectHello ? Exchange::kDiedAtStart : Exchange::kEnded;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

ReadOutcome ReaderProcess::Read(int fd, DocumentKind kind, const std::atomic<bool>* cancel,
                                const ReadProgress& progress)
{
    ReadOutcome outcome;
    DropIfOutOfStep();
    bool fresh = m_pid <= 0;
    if (fresh && !Start(outcome.reason)) {
        outcome.status = ReadStatus::kNoReader;
        return outcome;
    }
    bool readerGone = false;
    if (!SendRequest(fd, kind, &readerGone)) {
        if (fresh && readerGone) {
            // A new reader that went before its first request: what it said
            // before it went tells why.
            const Exchange start = Receive(true, outcome, cancel, progress);
            Stop();
            outcome = {};
            outcome.status = ReadStatus::kNoReader;
            outcome.reason = start == Exchange::kNoHello ? Format(Tr("Search", kNoReply), {m_executable})
                                                         : Format(Tr("Search", kDiedAtStart), {m_executable});
            return outcome;
        }
        // An older reader that stopped listening gets one successor.
        Stop();
        if (!fresh && !Start(outcome.reason)) {
            outcome.status = ReadStatus::kNoReader;
            return outcome;
        }
        // A request that was not sent has no answer to wait for until the
        // deadline.
        if (fresh || !SendRequest(fd, kind)) {
            Stop();
            outcome.status = ReadStatus::kUnreadable;
            outcome.reason = kNotSent;
            outcome.lasting = false;
            return outcome;
        }
        fresh = true;
    }
    const Exchange exchange = Receive(fresh, outcome, cancel, progress);
    switch (exchange) {
    case Exchange::kFinished:
        outcome.status = ReadStatus::kRead;
        outcome.lasting = true;
        return outcome;
    case Exchange::kUnreadable:
        outcome.status = ReadStatus::kUnreadable;
        return outcome;
    case Exchange::kCancelled:
        Stop();
        outcome.status = ReadStatus::kCancelled;
        break;
    case Exchange::kNoHello:
        Stop();
        outcome.status = ReadStatus::kNoReader;
        outcome.reason = Format(Tr("Search", kNoReply), {m_executable});
        break;
    case Exchange::kDiedAtStart:
        Stop();
        outcome.status = ReadStatus::kNoReader;
        outcome.reason = Format(Tr("Search", kDiedAtStart), {m_executable});
        break;
    case Exchange::kTimedOut:
        Stop();
        outcome.status = ReadStatus::kUnreadable;
        outcome.reason = kTooLong;
        break;
    case Exchange::kOutOfMemory:
        Stop();
        outcome.status = ReadStatus::kUnreadable;
        outcome.reason = kTooMuchMemory;
        break;
    case Exchange::kEnded:
        outcome.status = ReadStatus::kUnreadable;
        outcome.reason = DescribeEnd();
        break;
    case Exchange::kIncoherent:
        Stop();
        outcome.status = ReadStatus::kUnreadable;
        outcome.reason = kIncoherent;
        break;
    }
    // A limit passed, a reader that died or went out of step: the next search
    // tries again.
    outcome.lasting = false;
    outcome.text = DocumentText();
    return outcome;
}

} // namespace tavelo
