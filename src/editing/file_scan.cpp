#include "editing/file_scan.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
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

class Walker {
public:
    Walker(const ScanRequest& request, const ScanControl& control, ScanResult& result)
        : m_request(request), m_control(control), m_result(result), m_buffer(new char[kDirentBuffer])
    {
    }

    void Run(std::string root)
    {
        while (root.size() > 1 && root.back() == '/')
            root.pop_back();
        // The root may itself be a link: it is followed.
        m_folders.push_back(std::move(root));
        m_followFirst = true;
        // Real folders first, depth first; then the folders reached through
        // links, each of which may add real folders of its own.
        while (!Stopped()) {
            if (!m_folders.empty()) {
                std::string folder = std::move(m_folders.back());
                m_folders.pop_back();
                Walk(folder, m_followFirst);
                m_followFirst = false;
            } else if (!m_linkedFolders.empty()) {
                std::string folder = std::move(m_linkedFolders.back());
                m_linkedFolders.pop_back();
                Walk(folder, true);
            } else {
                break;
            }
        }
        // Links to files come last, so that a file reached both ways keeps
        // its real path.
        for (std::size_t i = 0; i < m_linkedFiles.size() && !Stopped(); ++i)
            Report(std::move(m_linkedFiles[i].path), m_linkedFiles[i].st);
        m_result.cancelled = Stopped();
        if (m_control.progress)
            m_control.progress(m_result.counts);
    }

private:
    struct LinkedFile {
        std::string path;
        struct stat st;
    };

    bool Stopped() const { return m_control.cancel && m_control.cancel->load(std::memory_order_relaxed); }

    void Tick()
    {
        if (m_control.progress && (m_result.counts.files % kProgressEvery) == 0)
            m_control.progress(m_result.counts);
    }

    void Walk(const std::string& folder, bool followLink)
    {
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
        const int fd = ::open(folder.c_str(), flags);
        if (fd < 0) {
            m_result.unreadableFolders.push_back(folder);
            return;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !m_folderIds.insert(FileId{st.st_dev, st.st_ino}).second) {
            // Met before: a loop of links, or two links to one folder.
            ::close(fd);
            return;
        }
        ++m_result.counts.folders;
        for (;;) {
            const ssize_t n = ::getdents64(fd, m_buffer.get(), kDirentBuffer);
            if (n == 0)
                break;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                m_result.unreadableFolders.push_back(folder);
                break;
            }
            for (ssize_t at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(m_buffer.get() + at);
                at += entry->d_reclen;
                Entry(fd, folder, entry->d_name, entry->d_type);
            }
            if (Stopped())
                break;
        }
        ::close(fd);
    }

    void Entry(int fd, const std::string& folder, const char* rawName, unsigned char type)
    {
        const std::string_view name(rawName);
        if (name == "." || name == "..")
            return;
        struct stat st {};
        if (type == DT_UNKNOWN) {
            // Some file systems do not give the kind in the listing.
            if (::fstatat(fd, rawName, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_FIFO;
            if (type == DT_REG) {
                File(fd, folder, rawName, &st);
                return;
            }
        }
        switch (type) {
        case DT_DIR:
            m_folders.push_back(Join(folder, name));
            break;
        case DT_REG:
            File(fd, folder, rawName, nullptr);
            break;
        case DT_LNK:
            // Where it leads; a link that leads nowhere is left alone.
            if (::fstatat(fd, rawName, &st, 0) != 0)
                return;
            if (S_ISDIR(st.st_mode)) {
                m_linkedFolders.push_back(Join(folder, name));
            } else if (S_ISREG(st.st_mode)) {
                ++m_result.counts.files;
                Tick();
                if (Wanted(name, st))
                    m_linkedFiles.push_back({Join(folder, name), st});
            }
            break;
        default:
            break;
        }
    }

    void File(int fd, const std::string& folder, const char* rawName, const struct stat* known)
    {
        const std::string_view name(rawName);
        ++m_result.counts.files;
        Tick();
        const bool byName = m_request.byName && m_request.byName(name);
        if (!byName && !m_request.bySize)
            return;
        struct stat st {};
        if (known) {
            st = *known;
        } else if (::fstatat(fd, rawName, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
            return;
        }
        if (byName || m_request.bySize(static_cast<std::uint64_t>(st.st_size)))
            Report(Join(folder, name), st);
    }

    bool Wanted(std::string_view name, const struct stat& st) const
    {
        return (m_request.byName && m_request.byName(name)) ||
               (m_request.bySize && m_request.bySize(static_cast<std::uint64_t>(st.st_size)));
    }

    void Report(std::string path, const struct stat& st)
    {
        if (!m_fileIds.insert(FileId{st.st_dev, st.st_ino}).second)
            return;
        m_result.files.push_back({std::move(path), static_cast<std::uint64_t>(st.st_size), st.st_dev, st.st_ino});
    }

    const ScanRequest& m_request;
    const ScanControl& m_control;
    ScanResult& m_result;
    std::unique_ptr<char[]> m_buffer;
    std::vector<std::string> m_folders;
    std::vector<std::string> m_linkedFolders;
    std::vector<LinkedFile> m_linkedFiles;
    std::unordered_set<FileId, FileIdHash> m_folderIds;
    std::unordered_set<FileId, FileIdHash> m_fileIds;
    bool m_followFirst = false;
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
