// tavelo-reader: reads documents for the search, one after the other, in a
// process of its own, so that a hostile or damaged file can only exhaust or
// crash this process, within the limits its caller set. See
// reading/reader_protocol.h for the exchange.
//
//   tavelo-reader [--memory=BYTES] [--cpu=SECONDS] [--page-cpu=SECONDS] [--no-sandbox]

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "book/file_io.h"
#include "base/tr.h"
#include "book/text.h"
#include "reading/document_file.h"
#include "reading/formats/format.h"
#include "reading/reader/sandbox.h"
#include "reading/reader_protocol.h"

namespace {

namespace protocol = tavelo::reader_protocol;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

constexpr int kChannel = STDIN_FILENO;
constexpr std::size_t kFlushSize = 64 * 1024;

struct Settings {
    rlim_t memoryBytes = 0;
    rlim_t cpuSeconds = 0;
    rlim_t pageCpuSeconds = 0;
    bool sandbox = true;
};

rlim_t g_memoryLimit = 0;
// Written by the crash handler; made before anything can go wrong.
char g_outOfMemoryFrame[protocol::kHeaderSize];

void WriteAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ::_exit(1);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// Address space in use, from /proc/self/statm, with calls that are safe in a
// signal handler. 0 when it cannot be read.
unsigned long long AddressSpaceBytes()
{
    const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char buffer[64];
    const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    unsigned long long pages = 0;
    for (ssize_t i = 0; i < n && buffer[i] >= '0' && buffer[i] <= '9'; ++i)
        pages = pages * 10 + static_cast<unsigned long long>(buffer[i] - '0');
    return pages * static_cast<unsigned long long>(::sysconf(_SC_PAGESIZE));
}

// C libraries abort or fault when an allocation fails under the limit. When
// the address space is close to the limit at that moment, that is what
// happened: say so before ending, so that the caller can tell the user.
void OnFatalSignal(int signal)
{
    if (g_memoryLimit > 0 && AddressSpaceBytes() + (g_memoryLimit / 8) >= g_memoryLimit) {
        (void)!::write(STDOUT_FILENO, g_outOfMemoryFrame, sizeof g_outOfMemoryFrame);
        ::_exit(protocol::kExitOutOfMemory);
    }
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

void OutOfMemory()
{
    (void)!::write(STDOUT_FILENO, g_outOfMemoryFrame, sizeof g_outOfMemoryFrame);
    ::_exit(protocol::kExitOutOfMemory);
}

void SetLimit(int resource, rlim_t value)
{
    const rlimit limit{value, value};
    ::setrlimit(resource, &limit);
}

// The CPU time this document may use: what is used so far plus its budget.
// Passing it ends this process with SIGXCPU, which the caller reports.
void AllowCpu(rlim_t seconds)
{
    if (seconds == 0)
        return;
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const rlim_t used = static_cast<rlim_t>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + 1;
    rlimit limit{};
    ::getrlimit(RLIMIT_CPU, &limit);
    limit.rlim_cur = used + seconds;
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_cur > limit.rlim_max)
        limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_CPU, &limit);
}

bool ParseNumber(const char* text, rlim_t& out)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0')
        return false;
    out = static_cast<rlim_t>(value);
    return true;
}

bool ParseArguments(int argc, char** argv, Settings& settings)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&](std::string_view name) {
            return arg.substr(0, name.size()) == name ? argv[i] + name.size() : nullptr;
        };
        if (const char* v = value("--memory=")) {
            if (!ParseNumber(v, settings.memoryBytes))
                return false;
        } else if (const char* v = value("--cpu=")) {
            if (!ParseNumber(v, settings.cpuSeconds))
                return false;
        } else if (const char* v = value("--page-cpu=")) {
            if (!ParseNumber(v, settings.pageCpuSeconds))
                return false;
        } else if (arg == "--no-sandbox") {
            settings.sandbox = false;
        } else {
            return false;
        }
    }
    return true;
}

// The searching process closes its end when it ends or gives up on a
// document, even while one is being read here: a hang-up ends this process.
void WatchForHangUp()
{
    pollfd channel{kChannel, 0, 0};
    for (;;) {
        const int ready = ::poll(&channel, 1, -1);
        if (ready > 0 && (channel.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
            ::_exit(0);
        if (ready < 0 && errno != EINTR)
            ::_exit(0);
    }
}

// Reads one request: its frame, and the descriptor that came with it.
bool ReceiveRequest(char& tag, std::string& payload, int& fd)
{
    fd = -1;
    char header[protocol::kHeaderSize];
    std::size_t got = 0;
    while (got < sizeof header) {
        iovec io{header + got, sizeof header - got};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
        msghdr message{};
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(kChannel, &message, MSG_CMSG_CLOEXEC);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS && c->cmsg_len >= CMSG_LEN(sizeof(int))) {
                int received = -1;
                std::memcpy(&received, CMSG_DATA(c), sizeof received);
                if (fd >= 0)
                    ::close(fd);
                fd = received;
            }
        }
        got += static_cast<std::size_t>(n);
    }
    tag = header[0];
    const std::uint32_t length = protocol::ReadU32(std::string_view(header + 1, 4));
    if (length > 64)
        return false;
    payload.resize(length);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::read(kChannel, payload.data() + done, length - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

class FrameSink : public tavelo::TextSink {
public:
    explicit FrameSink(rlim_t pageCpuSeconds) : m_pageCpuSeconds(pageCpuSeconds) {}

    bool Add(tavelo::MatchRule rule, std::string_view text) override
    {
        std::string repaired;
        if (!tavelo::IsValidUtf8(text)) {
            for (std::size_t pos = 0; pos < text.size();)
                tavelo::AppendUtf8(repaired, tavelo::DecodeUtf8(text, pos));
            text = repaired;
        }
        if (text.size() > tavelo::kMaxDocumentTextBytes - m_size)
            return false;
        m_size += text.size() + 1;
        protocol::AppendHeader(m_out, protocol::kPiece, text.size() + 1);
        m_out.push_back(static_cast<char>(rule));
        if (m_out.size() + text.size() >= kFlushSize) {
            Flush();
            WriteAll(text);
        } else {
            m_out.append(text);
        }
        return true;
    }

    void Progress(std::string_view unit, std::size_t done, std::size_t total) override
    {
        if (unit == protocol::kOcrPageUnit)
            AllowCpu(m_pageCpuSeconds);
        std::string payload;
        protocol::AppendU32(payload, static_cast<std::uint32_t>(done));
        protocol::AppendU32(payload, static_cast<std::uint32_t>(total));
        payload.append(unit.substr(0, protocol::kMaxProgressBytes - 8));
        protocol::AppendFrame(m_out, protocol::kProgress, payload);
        Flush();
    }

    void End(bool read, std::string_view reason)
    {
        if (read)
            protocol::AppendFrame(m_out, protocol::kFinished, {});
        else
            protocol::AppendFrame(m_out, protocol::kUnreadable, reason.substr(0, protocol::kMaxReasonBytes));
        Flush();
    }

private:
    void Flush()
    {
        WriteAll(m_out);
        m_out.clear();
    }

    rlim_t m_pageCpuSeconds;
    std::string m_out;
    std::size_t m_size = 0;
};

void ReadOne(tavelo::DocumentKind kind, int fd, const Settings& settings)
{
    FrameSink sink(settings.pageCpuSeconds);
    const tavelo::FormatReader read = tavelo::ReaderOf(kind);
    if (read == nullptr) {
        sink.End(false, TAVELO_TR_NOOP("Search", "ce genre de document n'est pas lu"));
        return;
    }
    std::string reason;
    bool done = false;
    try {
        const tavelo::FileBytes bytes = tavelo::ReadFileBytes(fd, "", tavelo::kMaxDocumentBytes);
        tavelo::FormatInput input;
        input.bytes = bytes.View();
        input.path = "/proc/self/fd/" + std::to_string(fd);
        done = read(input, sink, reason);
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    } catch (const tavelo::FileError& e) {
        if (e.Error() == ENOMEM)
            OutOfMemory();
        reason = e.Error() == EFBIG ? TAVELO_TR_NOOP("Search", "le document est trop volumineux") : tavelo::DescribeError(e.Error());
    } catch (const std::exception&) {
        reason = TAVELO_TR_NOOP("Search", "le document est endommagé");
    }
    sink.End(done, reason);
}

} // namespace

int main(int argc, char** argv)
{
    Settings settings;
    if (!ParseArguments(argc, argv, settings))
        return 2;
    std::string frame;
    protocol::AppendFrame(frame, protocol::kOutOfMemory, {});
    std::memcpy(g_outOfMemoryFrame, frame.data(), sizeof g_outOfMemoryFrame);

    std::signal(SIGPIPE, SIG_DFL);
    SetLimit(RLIMIT_CORE, 0);
    // AddressSanitizer reserves terabytes of address space for its shadow
    // memory: a reader built with it (tests, fuzzing) keeps the time limits only.
    if (settings.memoryBytes > 0 && !kAddressSanitizer) {
        g_memoryLimit = settings.memoryBytes;
        SetLimit(RLIMIT_AS, settings.memoryBytes);
    }
    for (const int signal : {SIGSEGV, SIGBUS, SIGABRT, SIGILL, SIGFPE})
        std::signal(signal, OnFatalSignal);
    std::set_new_handler([] { OutOfMemory(); });
    std::thread(WatchForHangUp).detach();
    if (settings.sandbox)
        tavelo::EnterSandbox();

    std::string hello;
    protocol::AppendFrame(hello, protocol::kHello, protocol::kVersion);
    WriteAll(hello);

    for (;;) {
        char tag = 0;
        std::string payload;
        int fd = -1;
        if (!ReceiveRequest(tag, payload, fd))
            ::_exit(0);
        if (tag != protocol::kDocument || payload.size() != 1 || fd < 0)
            ::_exit(2);
        AllowCpu(settings.cpuSeconds);
        ReadOne(tavelo::KindOfCode(static_cast<std::uint8_t>(payload[0])), fd, settings);
        ::close(fd);
    }
}
