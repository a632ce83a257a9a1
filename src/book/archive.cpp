#include "book/archive.h"

#include "base/tr.h"
#include "book/text.h"

namespace tavelo {

void ArchiveWriter::WriteUInt16(std::uint16_t v)
{
    m_out.push_back(static_cast<char>(v & 0xFF));
    m_out.push_back(static_cast<char>(v >> 8));
}

void ArchiveWriter::WriteUInt32(std::uint32_t v)
{
    WriteUInt16(static_cast<std::uint16_t>(v & 0xFFFF));
    WriteUInt16(static_cast<std::uint16_t>(v >> 16));
}

void ArchiveWriter::WriteCount(std::uint64_t count)
{
    if (count < 0xFFFF) {
        WriteUInt16(static_cast<std::uint16_t>(count));
        return;
    }
    WriteUInt16(0xFFFF);
    WriteUInt32(static_cast<std::uint32_t>(count));
}

void ArchiveWriter::WriteLength(std::uint64_t length)
{
    if (length < 0xFF) {
        m_out.push_back(static_cast<char>(length));
    } else if (length < 0xFFFE) {
        m_out.push_back(static_cast<char>(0xFF));
        WriteUInt16(static_cast<std::uint16_t>(length));
    } else {
        m_out.push_back(static_cast<char>(0xFF));
        WriteUInt16(0xFFFF);
        WriteUInt32(static_cast<std::uint32_t>(length));
    }
}

void ArchiveWriter::WriteText(std::string_view utf8)
{
    // Plain ASCII is the common case and needs no conversion.
    if (AsciiPrefixLength(utf8) == utf8.size()) {
        WriteLength(utf8.size());
        WriteBytes(utf8);
        return;
    }
    thread_local std::string cp1252;
    if (Utf8ToCp1252(utf8, cp1252)) {
        WriteLength(cp1252.size());
        WriteBytes(cp1252);
        return;
    }
    const std::u16string units = Utf8ToUtf16(utf8);
    m_out.push_back(static_cast<char>(0xFF));
    WriteUInt16(0xFFFE);
    WriteLength(units.size());
    for (const char16_t u : units)
        WriteUInt16(u);
}

void ArchiveReader::Require(std::uint64_t n) const
{
    if (n > Remaining())
        throw BookFormatError(Tr("Book", "Le fichier est tronqué : sa fin est atteinte au milieu d'un sujet."));
}

std::string_view ArchiveReader::ReadBytes(std::uint64_t n)
{
    Require(n);
    const auto out = m_in.substr(m_pos, static_cast<std::size_t>(n));
    m_pos += static_cast<std::size_t>(n);
    return out;
}

std::uint16_t ArchiveReader::ReadUInt16()
{
    const auto b = ReadBytes(2);
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[0]) | (static_cast<unsigned char>(b[1]) << 8));
}

std::uint32_t ArchiveReader::ReadUInt32()
{
    const std::uint32_t lo = ReadUInt16();
    const std::uint32_t hi = ReadUInt16();
    return lo | (hi << 16);
}

std::uint64_t ArchiveReader::ReadUInt64()
{
    const std::uint64_t lo = ReadUInt32();
    const std::uint64_t hi = ReadUInt32();
    return lo | (hi << 32);
}

std::uint64_t ArchiveReader::ReadCount()
{
    const std::uint16_t w = ReadUInt16();
    if (w != 0xFFFF)
        return w;
    const std::uint32_t d = ReadUInt32();
    if (d != 0xFFFFFFFF)
        return d;
    return ReadUInt64();
}

std::uint64_t ArchiveReader::ReadLength(bool& utf16)
{
    const auto b = static_cast<unsigned char>(ReadBytes(1)[0]);
    if (b < 0xFF)
        return b;
    const std::uint16_t w = ReadUInt16();
    if (w == 0xFFFE) {
        if (utf16)
            throw BookFormatError(Tr("Book", "Le fichier est endommagé : une longueur de texte est invalide."));
        utf16 = true;
        return ReadLength(utf16);
    }
    if (w < 0xFFFF)
        return w;
    const std::uint32_t d = ReadUInt32();
    if (d < 0xFFFFFFFF)
        return d;
    return ReadUInt64();
}

std::string ArchiveReader::ReadText()
{
    bool utf16 = false;
    const std::uint64_t length = ReadLength(utf16);
    if (!utf16) {
        const std::string_view bytes = ReadBytes(length);
        if (AsciiPrefixLength(bytes) == bytes.size())
            return std::string(bytes);
        return Cp1252ToUtf8(bytes);
    }
    if (length > Remaining() / 2)
        Require(Remaining() + 1);
    const auto bytes = ReadBytes(length * 2);
    std::u16string units(static_cast<std::size_t>(length), u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return Utf16ToUtf8(units);
}

} // namespace tavelo
