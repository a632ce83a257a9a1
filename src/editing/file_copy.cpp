#include "editing/file_copy.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "book/file_io.h"
#include "book/tenorels.h"
#include "editing/staged_file.h"

namespace tavelo {
namespace {

constexpr std::size_t kKernelChunk = std::size_t{1} << 30;
constexpr std::size_t kBufferSize = std::size_t{1} << 20;

// Errors by which a kernel copy call says "not for these two files": the
// caller then moves on to the next method from the current offsets.
bool IsUnsupported(int error)
{
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL || error == EBADF
        || error == ETXTBSY || error == EPERM;
}

enum class KernelCopy { kDone, kTryNext, kFailed };

// Runs one kernel copy call until the end of the source. kTryNext when the call
// does not serve these two files (the offsets are where it stopped).
template <class Call>
KernelCopy CopyWithKernel(Call call, off_t& copied, off_t expectedSize, int& error)
{
    for (;;) {
        const ssize_t n = call();
        if (n > 0) {
            copied += n;
            continue;
        }
        if (n == 0) {
            // Some file systems answer 0 for files whose size they do not
            // know in advance; let the next method read them.
            return copied > 0 || expectedSize == 0 ? KernelCopy::kDone : KernelCopy::kTryNext;
        }
        if (errno == EINTR)
            continue;
        if (IsUnsupported(errno))
            return KernelCopy::kTryNext;
        error = errno;
        return KernelCopy::kFailed;
    }
}

// Copies from the current offsets to the end of `in`. Returns 0 or errno.
int CopyContents(int in, int out, off_t expectedSize)
{
    off_t copied = 0;
    int error = 0;
    switch (CopyWithKernel([&] { return ::copy_file_range(in, nullptr, out, nullptr, kKernelChunk, 0); }, copied,
                           expectedSize, error)) {
    case KernelCopy::kDone: return 0;
    case KernelCopy::kFailed: return error;
    case KernelCopy::kTryNext: break;
    }
    switch (CopyWithKernel([&] { return ::sendfile(out, in, nullptr, kKernelChunk); }, copied, expectedSize, error)) {
    case KernelCopy::kDone: return 0;
    case KernelCopy::kFailed: return error;
    case KernelCopy::kTryNext: break;
    }
    const std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    for (;;) {
        const ssize_t n = ::read(in, buffer.get(), kBufferSize);
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer.get() + done, static_cast<std::size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += w;
        }
    }
}

int OpenSource(const std::string& path)
{
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = ::open(path.c_str(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM) // O_NOATIME is for the file's owner only
        fd = ::open(path.c_str(), flags);
    return fd;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

int StatPath(const std::string& path, FileFacts& facts)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno;
    facts.id = {st.st_dev, st.st_ino};
    facts.size = st.st_size;
    facts.modified = st.st_mtim;
    facts.regular = S_ISREG(st.st_mode);
    facts.directory = S_ISDIR(st.st_mode);
    return 0;
}

bool PathIsTaken(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

bool IsPlainFileName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
        && name.find('\0') == std::string_view::npos;
}

CopyResult CopyDocumentFile(const std::string& source, const std::string& target, const CopyPlacement& placement)
{
    CopyResult result;
    const Descriptor in(OpenSource(source));
    if (in.Get() < 0) {
        result.error = errno;
        return result;
    }
    struct stat st {};
    if (::fstat(in.Get(), &st) != 0) {
        result.error = errno;
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        // Folders, pipes and devices are not documents: a pipe would block and
        // a device may never end.
        result.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return result;
    }
    result.source = {st.st_dev, st.st_ino};

    std::string staged;
    const std::string folder = placement.stagingFolder.empty() ? ParentFolder(target) : placement.stagingFolder;
    const int out = CreateStagedFile(folder, placement.prefix, staged);
    if (out < 0) {
        result.error = errno;
        return result;
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    int error = CopyContents(in.Get(), out, st.st_size);
    if (error == 0 && ::fchmod(out, (st.st_mode & 0777) & ~CurrentUmask()) != 0)
        error = errno;
    if (error == 0 && ::futimens(out, times) != 0)
        error = errno;
    if (error != 0) {
        AbandonStagedFile(out, staged);
        result.error = error;
        return result;
    }
    result.error = PlaceStagedFile(out, staged, target, placement.replace);
    return result;
}

} // namespace tavelo
