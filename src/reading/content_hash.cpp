#include "reading/content_hash.h"

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "base/tr.h"
#include "book/file_io.h"
#if defined(TAVELO_HASH_AVX2)
#include "reading/content_hash_avx2.h"
#endif

namespace tavelo {

namespace {

// Below this, XXH3 uses no vectors at all.
constexpr std::size_t kVectorFrom = 240;

ContentHash FromXxh(XXH128_hash_t h)
{
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, h);
    ContentHash out;
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = canonical.digest[i];
    return out;
}

} // namespace

ContentHash HashBytes(std::string_view bytes)
{
#if defined(TAVELO_HASH_AVX2)
    // Twice the bytes at a time where the processor allows it: plain text
    // is hashed whole at every first search.
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2 && bytes.size() > kVectorFrom) {
        XXH128_hash_t hash;
        TaveloHash128Avx2(bytes.data(), bytes.size(), &hash.low64, &hash.high64);
        return FromXxh(hash);
    }
#endif
    return FromXxh(XXH3_128bits(bytes.data(), bytes.size()));
}

std::optional<ContentHash> HashDescriptor(int fd, std::string& reason)
{
    struct StateDeleter {
        void operator()(XXH3_state_t* s) const { XXH3_freeState(s); }
    };
    const std::unique_ptr<XXH3_state_t, StateDeleter> state(XXH3_createState());
    if (!state || XXH3_128bits_reset(state.get()) != XXH_OK) {
        reason = TAVELO_TR_NOOP("Search", "la mémoire manque");
        return std::nullopt;
    }
    constexpr std::size_t kChunk = 256 * 1024;
    const std::unique_ptr<char[]> buffer(new char[kChunk]);
    for (;;) {
        const ssize_t n = ::read(fd, buffer.get(), kChunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            reason = DescribeError(errno);
            return std::nullopt;
        }
        if (n == 0)
            break;
        XXH3_128bits_update(state.get(), buffer.get(), static_cast<std::size_t>(n));
    }
    return FromXxh(XXH3_128bits_digest(state.get()));
}

std::optional<ContentHash> HashFile(const std::string& path, std::string& reason)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        reason = DescribeError(errno);
        return std::nullopt;
    }
    struct stat st {};
    std::optional<ContentHash> hash;
    if (::fstat(fd, &st) != 0)
        reason = DescribeError(errno);
    else if (!S_ISREG(st.st_mode))
        reason = TAVELO_TR_NOOP("Search", "ce n'est pas un fichier ordinaire");
    else
        hash = HashDescriptor(fd, reason);
    ::close(fd);
    return hash;
}

std::string ToHex(const ContentHash& hash)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(hash.size() * 2);
    for (const std::uint8_t b : hash) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 15]);
    }
    return out;
}

} // namespace tavelo
