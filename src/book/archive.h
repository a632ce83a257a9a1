#pragma once
// The serialisation archive of book files: little-endian integers, counts and
// length-prefixed texts, as the book file format lays them out byte for byte.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavelo {

// A book file that cannot be read; what() is a French sentence for the user.
class BookFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ArchiveWriter {
public:
    explicit ArchiveWriter(std::string& out) : m_out(out) {}

    void WriteUInt16(std::uint16_t v);
    void WriteUInt32(std::uint32_t v);
    void WriteInt32(std::int32_t v) { WriteUInt32(static_cast<std::uint32_t>(v)); }
    void WriteBytes(std::string_view bytes) { m_out.append(bytes); }
    // Below 0xFFFF: 2 bytes; otherwise FF FF and 4 bytes.
    void WriteCount(std::uint64_t count);
    // A UTF-8 text: Windows-1252 bytes when every character fits, else the
    // UTF-16 form (FF FE FF, then a length in 16-bit units, then the units).
    void WriteText(std::string_view utf8);

private:
    void WriteLength(std::uint64_t length);
    std::string& m_out;
};

class ArchiveReader {
public:
    explicit ArchiveReader(std::string_view in) : m_in(in) {}

    std::uint16_t ReadUInt16();
    std::uint32_t ReadUInt32();
    std::uint64_t ReadUInt64();
    std::int32_t ReadInt32() { return static_cast<std::int32_t>(ReadUInt32()); }
    std::string_view ReadBytes(std::uint64_t n);
    std::uint64_t ReadCount();
    // Accepts every length form (1, 3, 7 and 15 bytes) and the UTF-16 form.
    std::string ReadText();

    // Fails unless at least n more bytes are there.
    void Require(std::uint64_t n) const;
    // Counts memory that what is read will take (its counts times the size of
    // what they count). A crafted count can ask for far more memory than its
    // file's size; the read fails with a French reason once the total passes
    // what the machine has left, rather than the allocation failing later.
    void ChargeMemory(std::uint64_t bytes);
    std::size_t Position() const { return m_pos; }
    std::size_t Remaining() const { return m_in.size() - m_pos; }

private:
    std::uint64_t ReadLength(bool& utf16);
    std::string_view m_in;
    std::size_t m_pos = 0;
    std::uint64_t m_charged = 0;
    std::uint64_t m_budget = 0; // looked up when first needed
};

} // namespace tavelo
