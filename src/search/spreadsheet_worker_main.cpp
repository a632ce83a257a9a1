// tavelo-xls-reader: reads workbooks for the search, one after the other, in a
// process of its own, so that FreeXL's memory faults on crafted files end this
// process and not the program that searches. See spreadsheet_worker_protocol.h.

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include <poll.h>
#include <unistd.h>

#include "search/spreadsheet.h"
#include "search/spreadsheet_worker_protocol.h"

namespace {

namespace protocol = tavelo::xls_protocol;

constexpr int kChannel = STDIN_FILENO;
constexpr std::size_t kFlushSize = 64 * 1024;

std::string_view Bounded(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u)
        --end;
    return text.substr(0, end);
}

bool ReadExactly(char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(kChannel, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void WriteAll(std::string& out)
{
    std::string_view bytes = out;
    while (!bytes.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ::_exit(1);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    out.clear();
}

// The searching process closes its end when it ends, even while a workbook
// is being read here: a hang-up on the channel ends this process too.
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

} // namespace

int main()
{
    std::signal(SIGPIPE, SIG_DFL);
    std::thread(WatchForHangUp).detach();

    std::string out;
    protocol::AppendFrame(out, protocol::kHello, protocol::kVersion);
    WriteAll(out);

    std::string path;
    for (;;) {
        char header[4];
        if (!ReadExactly(header, sizeof header))
            return 0;
        const std::uint32_t length = protocol::ReadLength({header, sizeof header});
        if (length == 0 || length > protocol::kMaxPathBytes)
            return 2;
        path.resize(length);
        if (!ReadExactly(path.data(), length))
            return 2;

        std::string reason;
        const tavelo::CellWalk walk = tavelo::ForEachCell(path, [&out](std::string_view cell) {
            protocol::AppendFrame(out, protocol::kCell, Bounded(cell, protocol::kMaxCellBytes));
            if (out.size() >= kFlushSize)
                WriteAll(out);
            return false;
        }, reason);
        if (walk == tavelo::CellWalk::kUnreadable)
            protocol::AppendFrame(out, protocol::kUnreadable, Bounded(reason, protocol::kMaxReasonBytes));
        else
            protocol::AppendFrame(out, protocol::kFinished, {});
        WriteAll(out);
    }
}
