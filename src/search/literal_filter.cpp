#include "search/literal_filter.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tavelo {

namespace {

unsigned char Lower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

bool Usable(unsigned char c, bool matchCase)
{
    if (c >= 0x80)
        return false;
    if (matchCase)
        return true;
    const unsigned char l = Lower(c);
    return l != 'k' && l != 's';
}

// Whether the lower-cased `run` of `n` bytes stands at `pos`.
bool MatchesAt(const unsigned char* text, std::size_t pos, const unsigned char* run, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (Lower(text[pos + i]) != run[i])
            return false;
    return true;
}

#if defined(__x86_64__)
// MayMatch's first scan with AVX2, thirty-two positions at a time, from `pos`
// while a whole step fits before `end`; `pos` is left where it stopped.
__attribute__((target("avx2"))) bool ScanAvx2(const unsigned char* text, std::size_t end, const unsigned char* run,
                                              std::size_t n, std::size_t& pos)
{
    const __m256i bit5 = _mm256_set1_epi8(0x20);
    const __m256i first = _mm256_set1_epi8(static_cast<char>(run[0] | 0x20));
    const __m256i last = _mm256_set1_epi8(static_cast<char>(run[n - 1] | 0x20));
    for (; pos + 31 <= end; pos += 32) {
        const __m256i heads = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + pos));
        const __m256i tails = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + pos + n - 1));
        auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(
            _mm256_cmpeq_epi8(_mm256_or_si256(heads, bit5), first), _mm256_cmpeq_epi8(_mm256_or_si256(tails, bit5), last))));
        for (; mask != 0; mask &= mask - 1)
            if (MatchesAt(text, pos + static_cast<std::size_t>(__builtin_ctz(mask)), run, n))
                return true;
    }
    return false;
}

bool HasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}
#endif

} // namespace

LiteralFilter::LiteralFilter(std::string_view literal, bool matchCase) : m_matchCase(matchCase)
{
    std::size_t bestStart = 0;
    std::size_t bestLength = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= literal.size(); ++i) {
        if (i < literal.size() && Usable(static_cast<unsigned char>(literal[i]), matchCase))
            continue;
        if (i - start > bestLength) {
            bestStart = start;
            bestLength = i - start;
        }
        start = i + 1;
    }
    m_run = literal.substr(bestStart, bestLength);
    if (!matchCase) {
        for (char& c : m_run)
            c = static_cast<char>(Lower(static_cast<unsigned char>(c)));
        const std::size_t n = m_run.size();
        // The skip table of Boyer-Moore-Horspool, on lower-cased bytes.
        const auto shift = static_cast<unsigned char>(std::min<std::size_t>(n, 255));
        std::memset(m_skip, shift, sizeof m_skip);
        for (std::size_t i = 0; i + 1 < n; ++i)
            m_skip[static_cast<unsigned char>(m_run[i])] = static_cast<unsigned char>(std::min<std::size_t>(n - 1 - i, 255));
    }
}

bool LiteralFilter::MayMatch(std::string_view bytes) const
{
    const std::size_t n = m_run.size();
    if (n == 0)
        return true;
    if (bytes.size() < n)
        return false;
    if (m_matchCase)
        return ::memmem(bytes.data(), bytes.size(), m_run.data(), n) != nullptr;
    const auto* text = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* run = reinterpret_cast<const unsigned char*>(m_run.data());
    const std::size_t end = bytes.size() - n; // the last position a match may start at
    std::size_t pos = 0;
#if defined(__x86_64__)
    if (HasAvx2() && ScanAvx2(text, end, run, n, pos))
        return true;
#endif
#if defined(__SSE2__)
    // Sixteen positions at a time (thirty-two with AVX2, above): those whose
    // first and last bytes may be the run's, then each of them in full.
    // Setting bit 5 lower-cases the ASCII letters and sends a few other bytes
    // onto them: more positions to check, never one missed.
    const __m128i bit5 = _mm_set1_epi8(0x20);
    const __m128i first = _mm_set1_epi8(static_cast<char>(run[0] | 0x20));
    const __m128i last = _mm_set1_epi8(static_cast<char>(run[n - 1] | 0x20));
    for (; pos + 15 <= end; pos += 16) {
        const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos));
        const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos + n - 1));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(
            _mm_cmpeq_epi8(_mm_or_si128(heads, bit5), first), _mm_cmpeq_epi8(_mm_or_si128(tails, bit5), last))));
        for (; mask != 0; mask &= mask - 1)
            if (MatchesAt(text, pos + static_cast<std::size_t>(__builtin_ctz(mask)), run, n))
                return true;
    }
#endif
    // Boyer-Moore-Horspool on what is left.
    const unsigned char lastByte = run[n - 1];
    while (pos <= end) {
        const unsigned char c = Lower(text[pos + n - 1]);
        if (c == lastByte && MatchesAt(text, pos, run, n))
            return true;
        pos += m_skip[c];
    }
    return false;
}

} // namespace tavelo
