#include "search/query/folding.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <type_traits>
#include <unordered_map>

#include <unicode/utf8.h>

#include "search/unicode/unicode_module.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavelo::query {

namespace {

// What one character becomes: word characters, with '\0' standing for a
// separator wherever the folding yields a sign.
class FoldTable {
public:
    // `words`: the quick search's folding (case too, signs made separators);
    // otherwise letters lose their accents and ligatures only.
    explicit FoldTable(bool words) : m_words(words) {}

    // Each character is worked out the first time it is met: most texts use a
    // few dozen of them, and a command-line search must not pay for the rest.
    const std::string& Of(UChar32 c)
    {
        const bool low = c >= 0 && c < static_cast<UChar32>(m_low.size());
        if (low) {
            if (const std::string* known = m_low[static_cast<std::size_t>(c)].load(std::memory_order_acquire))
                return *known;
        } else {
            const std::shared_lock lock(m_mutex);
            const auto found = m_high.find(c);
            if (found != m_high.end())
                return *found->second;
        }
        std::string folded = Compute(c);
        const std::unique_lock lock(m_mutex);
        if (low) {
            auto& slot = m_low[static_cast<std::size_t>(c)];
            if (const std::string* known = slot.load(std::memory_order_acquire))
                return *known;
            const std::string* kept = &m_kept.emplace_back(std::move(folded));
            slot.store(kept, std::memory_order_release);
            return *kept;
        }
        const auto found = m_high.find(c);
        if (found != m_high.end())
            return *found->second;
        const std::string* kept = &m_kept.emplace_back(std::move(folded));
        m_high.emplace(c, kept);
        return *kept;
    }

private:
    // Called without the lock; the module's transliterator has its own.
    std::string Compute(UChar32 c) { return unicode::Module().foldCharacter(static_cast<char32_t>(c), m_words); }

    const bool m_words;
    std::array<std::atomic<const std::string*>, 0x3000> m_low{};
    std::shared_mutex m_mutex;
    std::deque<std::string> m_kept;
    std::unordered_map<UChar32, const std::string*> m_high;
};

// Never destroyed: the text cache's writer may still cut texts into words
// while the process's other static objects go away (a cache finishing its
// index at exit).
FoldTable& Table()
{
    static FoldTable& table = *new FoldTable(true);
    return table;
}

FoldTable& AccentTable()
{
    static FoldTable& table = *new FoldTable(false);
    return table;
}

// The ASCII characters as they fold: 0 for a separator.
constexpr std::array<char, 128> kAscii = [] {
    std::array<char, 128> table{};
    for (int c = '0'; c <= '9'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<char>(c);
    for (int c = 'A'; c <= 'Z'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<char>(c - 'A' + 'a');
    return table;
}();

#if defined(__SSE2__)
// The set bits of a 16-bit mask (the baseline x86-64 has no popcnt).
std::size_t BitCount16(unsigned mask)
{
    mask = mask - ((mask >> 1) & 0x5555u);
    mask = (mask & 0x3333u) + ((mask >> 2) & 0x3333u);
    mask = (mask + (mask >> 4)) & 0x0F0Fu;
    return (mask + (mask >> 8)) & 0x1Fu;
}
#endif

template <typename Visit>
void Walk(std::string_view utf8, Visit&& visit)
{
    FoldTable* table = nullptr;
    const std::size_t size = std::min<std::size_t>(utf8.size(), UINT32_MAX);
    std::string word;
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    // A visit that returns false stops the walk.
    bool stopped = false;
    const auto flush = [&] {
        if (!word.empty()) {
            if constexpr (std::is_same_v<decltype(visit(std::string_view(), 0u, 0u)), bool>)
                stopped = !visit(std::string_view(word), begin, end);
            else
                visit(std::string_view(word), begin, end);
        }
        word.clear();
    };
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    std::size_t pos = 0;
    while (pos < size && !stopped) {
        const std::uint8_t byte = bytes[pos];
        if (byte < 0x80) {
            if (kAscii[byte] == 0) {
                flush();
                ++pos;
                continue;
            }
            // A run of ASCII letters and digits, folded in one go.
            std::size_t stop = pos + 1;
            while (stop < size && bytes[stop] < 0x80 && kAscii[bytes[stop]] != 0)
                ++stop;
            if (word.empty())
                begin = static_cast<std::uint32_t>(pos);
            const std::size_t had = word.size();
            word.resize(had + (stop - pos));
            for (std::size_t i = pos; i < stop; ++i)
                word[had + (i - pos)] = kAscii[bytes[i]];
            end = static_cast<std::uint32_t>(stop);
            pos = stop;
            continue;
        }
        const std::size_t start = pos;
        UChar32 c = 0;
        int32_t i = static_cast<int32_t>(pos);
        U8_NEXT(bytes, i, static_cast<int32_t>(std::min<std::size_t>(size, INT32_MAX)), c);
        pos = static_cast<std::size_t>(i);
        if (c < 0) {
            flush();
            continue;
        }
        if (table == nullptr)
            table = &Table();
        const std::string& folded = table->Of(c);
        if (folded.empty()) { // a combining mark: kept in the word it follows
            if (!word.empty())
                end = static_cast<std::uint32_t>(pos);
            continue;
        }
        for (const char f : folded) {
            if (f == '\0') {
                flush();
            } else {
                if (word.empty())
                    begin = static_cast<std::uint32_t>(start);
                word += f;
                end = static_cast<std::uint32_t>(pos);
            }
        }
    }
    flush();
}

} // namespace

std::vector<Word> Words(std::string_view utf8)
{
    std::vector<Word> words;
    if (utf8.empty())
        return words;
    words.reserve(utf8.size() / 6 + 1);
    Walk(utf8, [&](std::string_view folded, std::uint32_t begin, std::uint32_t end) {
        words.push_back(Word{std::string(folded), begin, end, static_cast<std::uint32_t>(Stem(folded).size())});
    });
    return words;
}

void ForEachWord(std::string_view utf8,
                 void (*visit)(void* context, std::string_view folded, std::uint32_t begin, std::uint32_t end),
                 void* context)
{
    Walk(utf8, [&](std::string_view folded, std::uint32_t begin, std::uint32_t end) {
        visit(context, folded, begin, end);
    });
}

std::optional<std::uint32_t> WordBegin(std::string_view utf8, std::size_t place)
{
    // Walk's cut, without making the words: only where each begins.
    const std::size_t size = std::min<std::size_t>(utf8.size(), UINT32_MAX);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    FoldTable* table = nullptr;
    std::size_t seen = 0;
    bool inWord = false;
    std::size_t pos = 0;
    while (pos < size) {
#if defined(__SSE2__)
        // Sixteen ASCII bytes at a time: a word begins at each letter or
        // digit that follows anything else.
        while (pos + 16 <= size) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + pos));
            const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
            const __m128i lower = _mm_or_si128(v, _mm_set1_epi8(0x20));
            const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                                 _mm_cmplt_epi8(lower, _mm_set1_epi8('z' + 1)));
            const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)),
                                                _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
            unsigned word = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(letter, digit)));
            // Only the bytes before the first that is not ASCII are taken.
            const unsigned taken = high == 0 ? 16u : static_cast<unsigned>(__builtin_ctz(high));
            const unsigned keep = taken == 16 ? 0xFFFFu : (1u << taken) - 1;
            word &= keep;
            unsigned starts = word & ~((word << 1) | (inWord ? 1u : 0u)) & keep;
            const std::size_t count = BitCount16(starts);
            if (place < seen + count) {
                for (std::size_t skip = place - seen; skip > 0; --skip)
                    starts &= starts - 1;
                return static_cast<std::uint32_t>(pos + static_cast<unsigned>(__builtin_ctz(starts)));
            }
            seen += count;
            if (taken > 0)
                inWord = ((word >> (taken - 1)) & 1u) != 0;
            pos += taken;
            if (taken < 16)
                break;
        }
        if (pos >= size)
            break;
#endif
        const std::uint8_t byte = bytes[pos];
        if (byte < 0x80) {
            if (kAscii[byte] == 0) {
                inWord = false;
            } else if (!inWord) {
                inWord = true;
                if (seen++ == place)
                    return static_cast<std::uint32_t>(pos);
            }
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        UChar32 c = 0;
        int32_t i = static_cast<int32_t>(pos);
        U8_NEXT(bytes, i, static_cast<int32_t>(std::min<std::size_t>(size, INT32_MAX)), c);
        pos = static_cast<std::size_t>(i);
        if (c < 0) {
            inWord = false;
            continue;
        }
        if (table == nullptr)
            table = &Table();
        for (const char f : table->Of(c)) {
            if (f == '\0') {
                inWord = false;
            } else if (!inWord) {
                inWord = true;
                if (seen++ == place)
                    return static_cast<std::uint32_t>(start);
            }
        }
    }
    return std::nullopt;
}

std::string FoldedWords(std::string_view utf8)
{
    std::string out;
    Walk(utf8, [&](std::string_view folded, std::uint32_t, std::uint32_t) {
        if (!out.empty())
            out += ' ';
        out.append(folded);
    });
    return out;
}

AccentFolded FoldAccents(std::string_view utf8)
{
    AccentFolded out;
    out.text.reserve(utf8.size());
    out.origin.reserve(utf8.size() + 1);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const std::size_t size = std::min<std::size_t>(utf8.size(), INT32_MAX);
    FoldTable* table = nullptr;
    for (std::size_t pos = 0; pos < size;) {
        if (bytes[pos] < 0x80) {
            out.text += static_cast<char>(bytes[pos]);
            out.origin.push_back(static_cast<std::uint32_t>(pos));
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        UChar32 c = 0;
        int32_t i = static_cast<int32_t>(pos);
        U8_NEXT(bytes, i, static_cast<int32_t>(size), c);
        pos = static_cast<std::size_t>(i);
        if (c < 0) {
            for (std::size_t b = start; b < pos; ++b) {
                out.text += static_cast<char>(bytes[b]);
                out.origin.push_back(static_cast<std::uint32_t>(b));
            }
            continue;
        }
        if (table == nullptr)
            table = &AccentTable();
        for (const char f : table->Of(c)) {
            out.text += f;
            out.origin.push_back(static_cast<std::uint32_t>(start));
        }
    }
    out.origin.push_back(static_cast<std::uint32_t>(size));
    return out;
}

std::pair<std::size_t, std::size_t> AccentFolded::Original(std::size_t begin, std::size_t end) const
{
    const std::size_t last = origin.size() - 1;
    begin = std::min(begin, last);
    end = std::min(end, last);
    // A span that ends inside what one character became ("œ" made "oe")
    // takes that character whole.
    std::size_t stop = end;
    while (stop > 0 && stop < last && origin[stop] == origin[stop - 1])
        ++stop;
    return {origin[begin], origin[stop]};
}

bool HasDigit(std::string_view folded)
{
    for (const char c : folded)
        if (c >= '0' && c <= '9')
            return true;
    return false;
}

std::string_view Stem(std::string_view folded)
{
    if (folded.size() < 4)
        return folded;
    const char last = folded.back();
    if (last != 's' && last != 'x')
        return folded;
    bool letters = false;
    for (const char c : folded)
        if (!(c >= '0' && c <= '9'))
            letters = true;
    // "2023s" or "x4": a reference, not a plural
    if (!letters || HasDigit(folded))
        return folded;
    return folded.substr(0, folded.size() - 1);
}

} // namespace tavelo::query
