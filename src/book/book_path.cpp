#include "book/book_path.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "book/file_io.h"

namespace tavelo {

namespace {

// The kernel's own bound on links followed in one path.
constexpr int kMaxLinks = 40;

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

int RealPath(const std::string& path, std::string& out)
{
    const std::unique_ptr<char, FreeDeleter> real(::realpath(path.c_str(), nullptr));
    if (!real)
        return errno;
    out = real.get();
    return 0;
}

} // namespace

int ResolveBookPath(const std::string& path, std::string& resolved)
{
    if (path.empty())
        return ENOENT;
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        if (RealPath(current, resolved) == 0)
            return 0;
        if (errno != ENOENT)
            return errno;
        // The file is missing, or is a link to a missing file: follow the link
        // by hand, then resolve the folder of the name that remains.
        struct stat st {};
        if (::lstat(current.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            std::string target(PATH_MAX, '\0');
            const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
            if (n < 0)
                return errno;
            target.resize(static_cast<std::size_t>(n));
            current = target.starts_with('/') ? target : ParentFolder(current) + "/" + target;
            continue;
        }
        const auto slash = current.find_last_of('/');
        const std::string name = slash == std::string::npos ? current : current.substr(slash + 1);
        if (name.empty() || name == "." || name == "..")
            return ENOENT;
        std::string folder;
        if (const int e = RealPath(ParentFolder(current), folder))
            return e;
        resolved = folder == "/" ? "/" + name : folder + "/" + name;
        return 0;
    }
    return ELOOP;
}

std::string ResolvedOrGiven(const std::string& path)
{
    std::string resolved;
    return ResolveBookPath(path, resolved) == 0 ? resolved : path;
}

} // namespace tavelo
