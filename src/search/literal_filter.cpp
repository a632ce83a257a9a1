#include "search/literal_filter.h"

#include <cstring>

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
    const unsigned char last = run[n - 1];
    std::size_t pos = 0;
    const std::size_t end = bytes.size() - n;
    while (pos <= end) {
        const unsigned char c = Lower(text[pos + n - 1]);
        if (c == last) {
            std::size_t i = 0;
            while (i + 1 < n && Lower(text[pos + i]) == run[i])
                ++i;
            if (i + 1 >= n)
                return true;
        }
        pos += m_skip[c];
    }
    return false;
}

} // namespace tavelo
