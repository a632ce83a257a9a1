#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include <unicode/ucnv.h>

#include "book/text.h"
#include "reading/formats/format.h"
#include "reading/formats/rtf.h"
#include "reading/text_decoding.h"

namespace tavelo {

namespace {

// Deeper groups than this share the state of the deepest one kept: a hostile
// file cannot make the stack grow without bound.
constexpr std::size_t kMaxGroupDepth = 256;
constexpr std::size_t kMaxControlWordLength = 32;
constexpr int kMaxFallbackCount = 16;

// Destinations whose content is not document text.
constexpr std::array<std::string_view, 46> kSkippedDestinations = {
    "aftncn", "aftnsep", "aftnsepc", "author", "bkmkend", "bkmkstart", "colorschememapping",
    "colortbl", "comment", "datafield", "datastore", "defchp", "defpap", "docvar", "falt",
    "filetbl", "fldinst", "fonttbl", "ftncn", "ftnsep", "ftnsepc", "generator", "info",
    "latentstyles", "listoverridetable", "listtable", "listtext", "mmathPr", "nonshppict",
    "objclass", "objdata", "operator", "panose", "pgdsctbl", "pict", "pntext", "pntxta",
    "pntxtb", "protusertbl", "revtbl", "rsidtbl", "stylesheet", "tc", "template", "themedata",
    "xmlnstbl",
};

static_assert(std::is_sorted(kSkippedDestinations.begin(), kSkippedDestinations.end()));

bool IsSkippedDestination(std::string_view word)
{
    return std::binary_search(kSkippedDestinations.begin(), kSkippedDestinations.end(), word);
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

struct GroupState {
    int fallbackCount = 1; // \ucN
    bool skip = false;
};

class RtfReader {
public:
    explicit RtfReader(std::string_view in) : m_in(in) {}

    std::string Read()
    {
        m_out.reserve(m_in.size() / 2);
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos];
            if (c == '{') {
                ++m_pos;
                m_fallbackLeft = 0;
                if (m_stack.size() < kMaxGroupDepth)
                    m_stack.push_back(m_state);
                else
                    ++m_overflowDepth;
            } else if (c == '}') {
                ++m_pos;
                m_fallbackLeft = 0;
                if (m_overflowDepth > 0) {
                    --m_overflowDepth;
                } else if (!m_stack.empty()) {
                    m_state = m_stack.back();
                    m_stack.pop_back();
                }
            } else if (c == '\\') {
                ++m_pos;
                ReadControl();
            } else {
                ++m_pos;
                if (c == '\r' || c == '\n')
                    continue;
                if (ConsumeFallback() || m_state.skip)
                    continue;
                m_pending += c;
            }
        }
        Flush();
        return std::move(m_out);
    }

private:
    // A character that stands in for the preceding \uN is dropped.
    bool ConsumeFallback()
    {
        if (m_fallbackLeft == 0)
            return false;
        --m_fallbackLeft;
        return true;
    }

    void ReadControl()
    {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (IsLetter(c)) {
            ReadControlWord();
            return;
        }
        ++m_pos;
        if (c == '\'') {
            int value = -1;
            if (m_pos + 1 < m_in.size()) {
                const int hi = HexValue(m_in[m_pos]);
                const int lo = HexValue(m_in[m_pos + 1]);
                if (hi >= 0 && lo >= 0) {
                    value = hi * 16 + lo;
                    m_pos += 2;
                }
            }
            if (ConsumeFallback() || m_state.skip || value < 0)
                return;
            m_pending += static_cast<char>(value);
            return;
        }
        if (c == '*') {
            m_state.skip = true;
            return;
        }
        if (ConsumeFallback() || m_state.skip)
            return;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            m_pending += c;
            break;
        case '~':
            Emit(0x00A0);
            break;
        case '_':
            m_pending += '-';
            break;
        case '\r':
        case '\n':
            m_pending += '\n';
            break;
        default: // \- optional hyphen, \| \: and unknown symbols
            break;
        }
    }

    void ReadControlWord()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_in.size() && IsLetter(m_in[m_pos]))
            ++m_pos;
        const std::string_view word = m_in.substr(start, std::min(m_pos - start, kMaxControlWordLength + 1));
        bool negative = false;
        if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' && IsDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        bool hasParam = false;
        long long param = 0;
        int digits = 0;
        while (m_pos < m_in.size() && IsDigit(m_in[m_pos])) {
            if (digits++ < 10)
                param = param * 10 + (m_in[m_pos] - '0');
            hasParam = true;
            ++m_pos;
        }
        if (negative)
            param = -param;
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;

        if (word == "bin") {
            // Binary data follows; its bytes are not RTF.
            const auto count = static_cast<std::size_t>(std::max<long long>(param, 0));
            m_pos += std::min(count, m_in.size() - m_pos);
            ConsumeFallback();
            return;
        }
        if (ConsumeFallback())
            return;
        if (word == "u" && hasParam) {
            EmitUtf16Unit(static_cast<char16_t>(param < 0 ? param + 65536 : param));
            m_fallbackLeft = m_state.fallbackCount;
            return;
        }
        if (word == "uc") {
            m_state.fallbackCount = static_cast<int>(std::clamp<long long>(param, 0, kMaxFallbackCount));
            return;
        }
        if (IsSkippedDestination(word)) {
            m_state.skip = true;
            return;
        }
        if (word == "ansicpg" && hasParam) {
            SetCodePage(static_cast<int>(param));
            return;
        }
        if (word == "ansi") {
            SetCodePage(1252);
            return;
        }
        if (word == "mac") {
            SetCodePage(10000);
            return;
        }
        if (word == "pc") {
            SetCodePage(437);
            return;
        }
        if (word == "pca") {
            SetCodePage(850);
            return;
        }
        if (m_state.skip)
            return;
        if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row" || word == "lbr")
            m_pending += '\n';
        else if (word == "tab" || word == "cell" || word == "nestcell")
            m_pending += '\t';
        else if (word == "emdash")
            Emit(0x2014);
        else if (word == "endash")
            Emit(0x2013);
        else if (word == "emspace")
            Emit(0x2003);
        else if (word == "enspace")
            Emit(0x2002);
        else if (word == "qmspace")
            Emit(0x2005);
        else if (word == "bullet")
            Emit(0x2022);
        else if (word == "lquote")
            Emit(0x2018);
        else if (word == "rquote")
            Emit(0x2019);
        else if (word == "ldblquote")
            Emit(0x201C);
        else if (word == "rdblquote")
            Emit(0x201D);
    }

    void EmitUtf16Unit(char16_t unit)
    {
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (m_highSurrogate != 0)
                Emit(0xFFFD);
            m_highSurrogate = unit;
            return;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF && m_highSurrogate != 0) {
            const char32_t cp = 0x10000 + ((static_cast<char32_t>(m_highSurrogate) - 0xD800) << 10) + (unit - 0xDC00);
            m_highSurrogate = 0;
            if (!m_state.skip)
                Emit(cp);
            return;
        }
        if (!m_state.skip)
            Emit(unit);
    }

    void Emit(char32_t cp)
    {
        Flush();
        if (m_highSurrogate != 0 && !(cp >= 0xDC00 && cp <= 0xDFFF)) {
            m_highSurrogate = 0;
            AppendUtf8(m_out, U'\uFFFD');
        }
        AppendUtf8(m_out, cp);
    }

    void SetCodePage(int codePage)
    {
        if (codePage == m_codePage)
            return;
        Flush();
        m_codePage = codePage;
        m_converter.reset();
        if (codePage == 1252)
            return;
        // ICU knows the Windows, IBM and Mac code pages under these names; an
        // unknown one falls back to Windows-1252.
        for (const std::string prefix : {"windows-", "cp", "ibm-"}) {
            UErrorCode error = U_ZERO_ERROR;
            UConverter* c = ucnv_open((prefix + std::to_string(codePage)).c_str(), &error);
            if (U_SUCCESS(error) && c != nullptr) {
                m_converter.reset(c);
                return;
            }
        }
        if (codePage == 10000) {
            UErrorCode error = U_ZERO_ERROR;
            UConverter* c = ucnv_open("macintosh", &error);
            if (U_SUCCESS(error) && c != nullptr)
                m_converter.reset(c);
        }
    }

    void Flush()
    {
        if (m_pending.empty())
            return;
        if (m_converter) {
            std::u16string units(m_pending.size() * 2 + 2, u'\0');
            UErrorCode error = U_ZERO_ERROR;
            ucnv_reset(m_converter.get());
            const int32_t n = ucnv_toUChars(m_converter.get(), units.data(), static_cast<int32_t>(units.size()),
                                            m_pending.data(), static_cast<int32_t>(m_pending.size()), &error);
            if (U_SUCCESS(error)) {
                units.resize(static_cast<std::size_t>(n));
                m_out += Utf16ToUtf8(units);
                m_pending.clear();
                return;
            }
        }
        m_out += Cp1252ToUtf8(m_pending);
        m_pending.clear();
    }

    std::string_view m_in;
    std::size_t m_pos = 0;
    std::string m_out;
    // Bytes in the document's code page, converted when Unicode text follows
    // (so that double-byte characters given as two \'xx stay whole).
    std::string m_pending;
    int m_codePage = 1252;
    std::unique_ptr<UConverter, ConverterCloser> m_converter;
    std::vector<GroupState> m_stack;
    std::size_t m_overflowDepth = 0;
    GroupState m_state;
    int m_fallbackLeft = 0;
    char16_t m_highSurrogate = 0;
};

} // namespace

std::string RtfToText(std::string_view rtf)
{
    return RtfReader(rtf).Read();
}

} // namespace tavelo

namespace tavelo {

bool ReadRtf(const FormatInput& input, TextSink& sink, std::string& reason)
{
    // A file named .rtf that is not RTF is read as plain text.
    if (!LooksLikeRtf(input.bytes)) {
        std::string storage;
        if (!sink.Add(MatchRule::kPattern, DecodeTextFile(input.bytes, storage))) {
            reason = TooMuchTextReason();
            return false;
        }
        return true;
    }
    if (!sink.Add(MatchRule::kPattern, RtfToText(input.bytes))) {
        reason = TooMuchTextReason();
        return false;
    }
    return true;
}

} // namespace tavelo
