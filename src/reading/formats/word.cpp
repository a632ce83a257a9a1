#include "reading/formats/word.h"

#include <array>
#include <cstdint>
#include <vector>

#include "base/tr.h"
#include "book/text.h"
#include "reading/formats/format.h"
#include "reading/formats/ole_container.h"

namespace tavelo {

namespace {

constexpr std::uint16_t kWordIdent = 0xA5EC;
// Word 97 wrote nFib 0xC1; older values are Word 6 and Word 95 files, whose
// text is stored differently.
constexpr std::uint16_t kFirstWord97Fib = 0xC1;
constexpr std::uint16_t kEncryptedFlag = 0x0100;
constexpr std::uint16_t kOneTableFlag = 0x0200;
constexpr std::size_t kFibBaseSize = 32;
constexpr std::size_t kClxIndexInFcLcb = 33;
constexpr std::size_t kMaxFieldDepth = 64;
constexpr std::size_t kCharacterSlack = 4096;

std::uint16_t U16(std::string_view s, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8);
}

std::uint32_t U32(std::string_view s, std::size_t at)
{
    return static_cast<std::uint32_t>(U16(s, at)) | static_cast<std::uint32_t>(U16(s, at + 2)) << 16;
}

// UTF-16 unit of each compressed byte: Windows-1252, as the file format says.
const std::array<char16_t, 256>& CompressedTable()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const std::string utf8 = Cp1252ToUtf8(std::string(1, static_cast<char>(b)));
            std::size_t pos = 0;
            t[static_cast<std::size_t>(b)] = static_cast<char16_t>(DecodeUtf8(utf8, pos));
        }
        return t;
    }();
    return table;
}

// Turns the stored characters into searchable text: field codes out, special
// characters to their plain counterparts.
class TextBuilder {
public:
    void Add(char16_t c)
    {
        switch (c) {
        case 0x13: // field begin: its code follows
            if (m_fields.size() < kMaxFieldDepth) {
                m_fields.push_back(true);
                ++m_inCode;
            } else {
                ++m_overflow;
            }
            return;
        case 0x14: // field separator: its result follows
            if (m_overflow == 0 && !m_fields.empty() && m_fields.back()) {
                m_fields.back() = false;
                --m_inCode;
            }
            return;
        case 0x15: // field end
            if (m_overflow > 0) {
                --m_overflow;
            } else if (!m_fields.empty()) {
                if (m_fields.back())
                    --m_inCode;
                m_fields.pop_back();
            }
            return;
        default:
            break;
        }
        if (m_overflow > 0 || m_inCode > 0)
            return;
        switch (c) {
        case 0x0D:
        case 0x0B:
        case 0x0C:
        case 0x0E:
            m_units += u'\n';
            return;
        case 0x07:
        case 0x09:
            m_units += u'\t';
            return;
        case 0x1E:
            m_units += u'-';
            return;
        default:
            if (c >= 0x20)
                m_units += c;
        }
    }

    std::string Utf8() const { return Utf16ToUtf8(m_units); }
    std::size_t Size() const { return m_units.size(); }

private:
    std::u16string m_units;
    // Open fields, innermost last: true while in the field's code.
    std::vector<bool> m_fields;
    // How many of m_fields are in their code, so that each character costs
    // the same whatever the nesting.
    std::size_t m_inCode = 0;
    std::size_t m_overflow = 0;
};

struct Fib {
    bool oneTable = false;
    std::uint32_t fcClx = 0;
    std::uint32_t lcbClx = 0;
};

std::optional<Fib> ReadFib(std::string_view ws, std::string& reason)
{
    const auto damaged = [&reason] {
        reason = TAVELO_TR_NOOP("Search", "l'en-tête du document Word est endommagé");
        return std::nullopt;
    };
    if (ws.size() < kFibBaseSize + 2 || U16(ws, 0) != kWordIdent)
        return damaged();
    if (U16(ws, 2) < kFirstWord97Fib) {
        reason = TAVELO_TR_NOOP("Search", "les documents antérieurs à Word 97 ne sont pas pris en charge");
        return std::nullopt;
    }
    const std::uint16_t flags = U16(ws, 0x0A);
    if (flags & kEncryptedFlag) {
        reason = TAVELO_TR_NOOP("Search", "le document est protégé par un mot de passe");
        return std::nullopt;
    }
    std::size_t pos = kFibBaseSize;
    const std::size_t csw = U16(ws, pos);
    pos += 2 + csw * 2;
    if (pos + 2 > ws.size())
        return damaged();
    const std::size_t cslw = U16(ws, pos);
    pos += 2 + cslw * 4;
    if (pos + 2 > ws.size())
        return damaged();
    const std::size_t cbRgFcLcb = U16(ws, pos);
    pos += 2;
    if (cbRgFcLcb <= kClxIndexInFcLcb || pos + (kClxIndexInFcLcb + 1) * 8 > ws.size())
        return damaged();
    Fib fib;
    fib.oneTable = (flags & kOneTableFlag) != 0;
    fib.fcClx = U32(ws, pos + kClxIndexInFcLcb * 8);
    fib.lcbClx = U32(ws, pos + kClxIndexInFcLcb * 8 + 4);
    return fib;
}

// The PlcPcd of the CLX: after any Prc (0x01, size, property modifiers)
// comes the Pcdt (0x02, size, PlcPcd).
std::optional<std::string_view> FindPlcPcd(std::string_view clx)
{
    std::size_t pos = 0;
    while (pos < clx.size() && clx[pos] == 0x01) {
        if (pos + 3 > clx.size())
            return std::nullopt;
        pos += 3 + U16(clx, pos + 1);
    }
    if (pos + 5 > clx.size() || clx[pos] != 0x02)
        return std::nullopt;
    const std::size_t lcb = U32(clx, pos + 1);
    pos += 5;
    if (lcb > clx.size() - pos)
        return std::nullopt;
    return clx.substr(pos, lcb);
}

bool AddPieces(std::string_view ws, std::string_view plc, TextBuilder& text, std::string& reason)
{
    // n + 1 character positions, then n piece descriptors of 8 bytes.
    if (plc.size() < 4 || (plc.size() - 4) % 12 != 0) {
        reason = TAVELO_TR_NOOP("Search", "la table des fragments du document est endommagée");
        return false;
    }
    const std::size_t n = (plc.size() - 4) / 12;
    const auto& table = CompressedTable();
    // Pieces of a real document do not overlap, so together they hold no more
    // characters than the stream has bytes. Pieces that repeat the same bytes
    // over and over are damage, and must not cost more than the file's size.
    std::size_t budget = ws.size() + kCharacterSlack;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t cpStart = U32(plc, i * 4);
        const std::uint32_t cpEnd = U32(plc, (i + 1) * 4);
        if (cpEnd <= cpStart)
            continue;
        std::size_t count = cpEnd - cpStart;
        if (count > budget) {
            reason = TAVELO_TR_NOOP("Search", "la table des fragments du document est endommagée");
            return false;
        }
        budget -= count;
        if (count > kMaxWordCharacters - text.Size()) {
            reason = TAVELO_TR_NOOP("Search", "le document est trop volumineux");
            return false;
        }
        const std::size_t pcd = (n + 1) * 4 + i * 8;
        const std::uint32_t fcField = U32(plc, pcd + 2);
        const bool compressed = (fcField & 0x40000000u) != 0;
        const std::size_t fc = fcField & 0x3FFFFFFFu;
        if (compressed) {
            const std::size_t start = fc / 2;
            if (start > ws.size() || count > ws.size() - start) {
                reason = TAVELO_TR_NOOP("Search", "un fragment de texte sort du document");
                return false;
            }
            for (std::size_t k = 0; k < count; ++k)
                text.Add(table[static_cast<unsigned char>(ws[start + k])]);
        } else {
            if (fc > ws.size() || count > (ws.size() - fc) / 2) {
                reason = TAVELO_TR_NOOP("Search", "un fragment de texte sort du document");
                return false;
            }
            for (std::size_t k = 0; k < count; ++k)
                text.Add(static_cast<char16_t>(U16(ws, fc + 2 * k)));
        }
    }
    return true;
}

} // namespace

std::optional<std::string> ReadWordText(std::string_view fileBytes, std::string& reason)
{
    const std::optional<OleContainer> ole = OleContainer::Open(fileBytes, reason);
    if (!ole)
        return std::nullopt;
    std::string ws;
    if (!ole->ReadStream("WordDocument", ws)) {
        reason = TAVELO_TR_NOOP("Search", "ce n'est pas un document Word");
        return std::nullopt;
    }
    const std::optional<Fib> fib = ReadFib(ws, reason);
    if (!fib)
        return std::nullopt;
    std::string tableStream;
    if (!ole->ReadStream(fib->oneTable ? "1Table" : "0Table", tableStream)) {
        reason = TAVELO_TR_NOOP("Search", "la table du document Word est absente");
        return std::nullopt;
    }
    if (fib->fcClx > tableStream.size() || fib->lcbClx > tableStream.size() - fib->fcClx) {
        reason = TAVELO_TR_NOOP("Search", "la table des fragments du document est endommagée");
        return std::nullopt;
    }
    const std::optional<std::string_view> plc =
        FindPlcPcd(std::string_view(tableStream).substr(fib->fcClx, fib->lcbClx));
    if (!plc) {
        reason = TAVELO_TR_NOOP("Search", "la table des fragments du document est endommagée");
        return std::nullopt;
    }
    TextBuilder text;
    if (!AddPieces(ws, *plc, text, reason))
        return std::nullopt;
    return text.Utf8();
}

bool ReadWord(const FormatInput& input, TextSink& sink, std::string& reason)
{
    const std::optional<std::string> text = ReadWordText(input.bytes, reason);
    if (!text)
        return false;
    if (!sink.Add(MatchRule::kWordProcessor, *text)) {
        reason = TooMuchTextReason();
        return false;
    }
    return true;
}

} // namespace tavelo
