#include "book/book_version.h"

#include <cerrno>
#include <new>
#include <sys/stat.h>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "base/tr.h"

namespace tavelo {

std::uint64_t HashBookBytes(std::string_view bytes)
{
    return XXH3_64bits(bytes.data(), bytes.size());
}

BookHasher::BookHasher() : m_state(XXH3_createState())
{
    if (!m_state)
        throw std::bad_alloc();
    XXH3_64bits_reset(static_cast<XXH3_state_t*>(m_state));
}

BookHasher::~BookHasher()
{
    XXH3_freeState(static_cast<XXH3_state_t*>(m_state));
}

void BookHasher::Add(std::string_view bytes)
{
    XXH3_64bits_update(static_cast<XXH3_state_t*>(m_state), bytes.data(), bytes.size());
}

std::uint64_t BookHasher::Digest() const
{
    return XXH3_64bits_digest(static_cast<const XXH3_state_t*>(m_state));
}

BookVersion StatBookVersion(const std::string& path, std::uint64_t hash)
{
    BookVersion version;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return version;
    version.known = true;
    version.device = st.st_dev;
    version.inode = st.st_ino;
    version.size = st.st_size;
    version.modifiedNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    version.hash = hash;
    return version;
}

VersionCheck CheckBookVersion(const std::string& path, BookVersion& seen)
{
    BookVersion now = StatBookVersion(path);
    if (!now.known) {
        if (errno == ENOENT)
            return VersionCheck::kMissing;
        throw FileError(Format(Tr("Book", "Impossible de lire le fichier « %1 » : %2."), {path, DescribeError(errno)}), errno);
    }
    if (!seen.known || now.SameState(seen))
        return VersionCheck::kSame;
    if (now.size != seen.size)
        return VersionCheck::kChanged;
    const FileBytes bytes = ReadFileBytes(path);
    if (HashBookBytes(bytes.View()) != seen.hash)
        return VersionCheck::kChanged;
    now.hash = seen.hash;
    seen = now;
    return VersionCheck::kSame;
}

} // namespace tavelo
