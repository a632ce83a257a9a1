#include "views/preview_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <system_error>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "base/tr.h"
#include "book/file_io.h"

namespace tavelo::gui {

namespace {

PreviewBytes ReadNow(const std::string& path, std::size_t maxBytes, bool headOnly)
{
    PreviewBytes result;
    const auto refused = [&](PreviewBytes::Outcome outcome, std::string reason) {
        result.outcome = outcome;
        result.reason = std::move(reason);
        result.bytes.clear();
        return result;
    };
    // A socket cannot even be opened: its kind is told from its path first.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return refused(PreviewBytes::Outcome::kMissing, {});
        return refused(PreviewBytes::Outcome::kRefused, DescribeError(errno));
    }
    if (!S_ISREG(st.st_mode))
        return refused(PreviewBytes::Outcome::kRefused, DescribeNotRegular(st.st_mode));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return refused(PreviewBytes::Outcome::kRefused, DescribeError(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0)
        return refused(PreviewBytes::Outcome::kRefused, DescribeError(errno));
    if (!S_ISREG(st.st_mode))
        return refused(PreviewBytes::Outcome::kRefused, DescribeNotRegular(st.st_mode));
    if (!headOnly && static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return refused(PreviewBytes::Outcome::kTooLarge, DescribeError(EFBIG));
    // The size is known; a file that grows meanwhile is read up to the bound.
    const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(st.st_size), maxBytes);
    result.bytes.resize(wanted);
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t n = ::pread(fd, result.bytes.data() + done, wanted - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return refused(PreviewBytes::Outcome::kRefused, DescribeError(errno));
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    result.bytes.resize(done);
    return result;
}

} // namespace

PreviewBytes ReadForPreview(const std::string& path, std::size_t maxBytes, bool headOnly, std::chrono::milliseconds deadline)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        PreviewBytes result;
    };
    auto shared = std::make_shared<Shared>();
    // The thread owns a share of the state: if the window stops waiting, the
    // thread still has somewhere to put what it reads.
    try {
        std::thread([shared, path, maxBytes, headOnly] {
            PreviewBytes result = ReadNow(path, maxBytes, headOnly);
            std::lock_guard lock(shared->mutex);
            shared->result = std::move(result);
            shared->finished = true;
            shared->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had (the system's limit): read here.
        return ReadNow(path, maxBytes, headOnly);
    }
    std::unique_lock lock(shared->mutex);
    if (!shared->done.wait_for(lock, deadline, [&] { return shared->finished; })) {
        PreviewBytes late;
        late.outcome = PreviewBytes::Outcome::kTimedOut;
        late.reason = Tr("Preview", "son dossier ne répond pas");
        return late;
    }
    return std::move(shared->result);
}

} // namespace tavelo::gui
