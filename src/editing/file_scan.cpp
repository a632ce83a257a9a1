#include "editing/file_scan.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>

namespace tavelo {

namespace {

struct FileId {
    std::uint64_t device;
    std::uint64_t inode;
    bool operator==(const FileId&) const = default;
};

struct FileIdHash {
    std::size_t operator()(const FileId& id) const { return std::hash<std::uint64_t>{}(id.inode * 31 + id.device); }
};

constexpr std::uint64_t kProgressEvery = 2048;
constexpr std::size_t kDirentBuffer = 64 * 1024;
// Listing folders and reading sizes is work for the kernel, which several
// threads share out; beyond a few, a local disk gains nothing.
constexpr unsigned kMostThreads = 4;

std::string Join(const std::string& folder, std::string_view name)
{
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path = folder;
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    path.append(name);
    return path;
}

struct Found {
    std::string path;
    struct stat st;
};

struct Folder {
    std::string path;
    bool followLink;
};

// What one thread gathers from the folders it lists, handed over to the
// shared state after each folder.
struct Gathered {
    std::vector<Found> files;
    std::vector<Folder> folders;
    std::vector<std::string> linkedFolders;
    std::vector<Found> linkedFiles;
    std::vector<std::string> unreadable;
};

template <class T>
void MoveAppend(std::vector<T>& to, std::vector<T>& from)
{
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
    from.clear();
}

class Walker {
public:
    Walker(const ScanRequest& request, const ScanControl& control, ScanResult& result)
        : m_request(request), m_control(control), m_result(result)
    {
    }

    void Run(std::string root)
    {
        while (root.size() > 1 && root.back() == '/')
            root.pop_back();
        // The root may itself be a link: it is followed. Real folders come
        // first; the folders reached through links are walked after them,
        // round after round, so that a file reached both ways keeps its real
        // path.
        m_pending.push_back({std::move(root), true});
        while (!Stopped()) {
            RunRound();
            if (m_linkedFolders.empty())
                break;
            for (std::string& folder : m_linkedFolders)
                m_pending.push_back({std::move(folder), true});
            m_linkedFolders.clear();
        }
        // Links to files last, for the same reason.
        Keep(m_linkedFiles);
        m_result.unreadableFolders = std::move(m_unreadable);
        std::sort(m_result.unreadableFolders.begin(), m_result.unreadableFolders.end());
        m_result.counts.files = m_files;
        m_result.counts.folders = m_folders;
        m_result.cancelled = Stopped();
        if (m_control.progress)
            m_control.progress(m_result.counts);
    }

private:
    bool Stopped() const { return m_control.cancel && m_control.cancel->load(std::memory_order_relaxed); }

    // Walks the pending folders and all they lead to (but links) with a few
    // threads, this one among them.
    void RunRound()
    {
        m_round.clear();
        const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMostThreads);
        std::vector<std::thread> helpers;
        for (unsigned i = 1; i < threads; ++i)
            helpers.emplace_back([this] { Work(false); });
        Work(true);
        for (std::thread& t : helpers)
            t.join();
        Keep(m_round);
    }

    // Reports the files found, in the order of their paths, each file once.
    void Keep(std::vector<Found>& found)
    {
        std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.path < b.path; });
        for (Found& f : found) {
            if (m_fileIds.insert(FileId{f.st.st_dev, f.st.st_ino}).second)
                m_result.files.push_back({std::move(f.path), static_cast<std::uint64_t>(f.st.st_size), f.st.st_dev, f.st.st_ino});
        }
        found.clear();
    }

    void Work(bool reportsProgress)
    {
        std::unique_ptr<char[]> buffer(new char[kDirentBuffer]);
        Gathered gathered;
        std::uint64_t reportedAt = 0;
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return !m_pending.empty() || m_busy == 0 || Stopped(); });
            if (Stopped() || m_pending.empty())
                break;
            Folder folder = std::move(m_pending.back());
            m_pending.pop_back();
            ++m_busy;
            lock.unlock();
            Walk(folder, buffer.get(), gathered);
            lock.lock();
            MoveAppend(m_pending, gathered.folders);
            MoveAppend(m_round, gathered.files);
            MoveAppend(m_linkedFolders, gathered.linkedFolders);
            MoveAppend(m_linkedFiles, gathered.linkedFiles);
            MoveAppend(m_unreadable, gathered.unreadable);
            --m_busy;
            m_changed.notify_all();
            if (reportsProgress && m_control.progress && m_files - reportedAt >= kProgressEvery) {
                reportedAt = m_files;
                const ScanProgress progress{m_files, m_folders};
                lock.unlock();
                m_control.progress(progress);
                lock.lock();
            }
        }
        m_changed.notify_all();
    }

    bool FirstVisit(const struct stat& st)
    {
        std::lock_guard lock(m_idsMutex);
        return m_folderIds.insert(FileId{st.st_dev, st.st_ino}).second;
    }

    void Walk(const Folder& folder, char* buffer, Gathered& gathered)
    {
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (folder.followLink ? 0 : O_NOFOLLOW);
        const int fd = ::open(folder.path.c_str(), flags);
        if (fd < 0) {
            gathered.unreadable.push_back(folder.path);
            return;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !FirstVisit(st)) {
            // Met before: a loop of links, or two links to one folder.
            ::close(fd);
            return;
        }
        std::uint64_t files = 0;
        for (;;) {
            const ssize_t n = ::getdents64(fd, buffer, kDirentBuffer);
            if (n == 0)
                break;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                gathered.unreadable.push_back(folder.path);
                break;
            }
            for (ssize_t at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
                at += entry->d_reclen;
                files += Entry(fd, folder.path, entry->d_name, entry->d_type, gathered) ? 1 : 0;
            }
            if (Stopped())
                break;
        }
        ::close(fd);
        std::lock_guard lock(m_mutex);
        m_files += files;
        ++m_folders;
    }

    // True for a regular file (or a link to one).
    bool Entry(int fd, const std::string& folder, const char* rawName, unsigned char type, Gathered& gathered)
    {
        const std::string_view name(rawName);
        if (name == "." || name == "..")
            return false;
        struct stat st {};
        if (type == DT_UNKNOWN) {
            // Some file systems do not give the kind in the listing.
            if (::fstatat(fd, rawName, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return false;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_FIFO;
            if (type == DT_REG) {
                File(fd, folder, rawName, &st, gathered);
                return true;
            }
        }
        switch (type) {
        case DT_DIR:
            gathered.folders.push_back({Join(folder, name), false});
            return false;
        case DT_REG:
            File(fd, folder, rawName, nullptr, gathered);
            return true;
        case DT_LNK:
            // Where it leads; a link that leads nowhere is left alone.
            if (::fstatat(fd, rawName, &st, 0) != 0)
                return false;
            if (S_ISDIR(st.st_mode)) {
                gathered.linkedFolders.push_back(Join(folder, name));
                return false;
            }
            if (!S_ISREG(st.st_mode))
                return false;
            if (Wanted(name, st))
                gathered.linkedFiles.push_back({Join(folder, name), st});
            return true;
        default:
            return false;
        }
    }

    void File(int fd, const std::string& folder, const char* rawName, const struct stat* known, Gathered& gathered)
    {
        const std::string_view name(rawName);
        const bool byName = m_request.byName && m_request.byName(name);
        if (!byName && !m_request.bySize)
            return;
        struct stat st {};
        if (known)
            st = *known;
        else if (::fstatat(fd, rawName, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            return;
        if (byName || m_request.bySize(static_cast<std::uint64_t>(st.st_size)))
            gathered.files.push_back({Join(folder, name), st});
    }

    bool Wanted(std::string_view name, const struct stat& st) const
    {
        return (m_request.byName && m_request.byName(name)) ||
               (m_request.bySize && m_request.bySize(static_cast<std::uint64_t>(st.st_size)));
    }

    const ScanRequest& m_request;
    const ScanControl& m_control;
    ScanResult& m_result;

    std::mutex m_mutex; // all below but the folder identities
    std::condition_variable m_changed;
    std::vector<Folder> m_pending;
    int m_busy = 0;
    std::vector<Found> m_round;
    std::vector<std::string> m_linkedFolders;
    std::vector<Found> m_linkedFiles;
    std::vector<std::string> m_unreadable;
    std::uint64_t m_files = 0;
    std::uint64_t m_folders = 0;

    std::mutex m_idsMutex;
    std::unordered_set<FileId, FileIdHash> m_folderIds;
    std::unordered_set<FileId, FileIdHash> m_fileIds; // the reporting thread's only
};

} // namespace

ScanResult ScanFolder(const std::string& root, const ScanRequest& request, const ScanControl& control)
{
    ScanResult result;
    Walker walker(request, control, result);
    walker.Run(root);
    return result;
}

} // namespace tavelo
