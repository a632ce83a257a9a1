#pragma once
// The exchange between the search and the workbook reader process
// (tavelo-xls-reader), over one stream socket that is the reader's standard
// input and output.
//
// The reader starts by writing a hello frame. Then, for each request (a path
// as a 32-bit little-endian length followed by its bytes), it writes one cell
// frame per non-empty cell, in ForEachCell's order, and ends with a finished
// or an unreadable frame. A frame is a tag byte, a 32-bit little-endian
// payload length and the payload.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavelo::xls_protocol {

inline constexpr char kHello = 'R';      // payload: kVersion
inline constexpr char kCell = 'C';       // payload: the cell's text, valid UTF-8, not empty
inline constexpr char kFinished = 'F';   // no payload
inline constexpr char kUnreadable = 'U'; // payload: the reason, in French

inline constexpr std::string_view kVersion = "tavelo-xls-1";
inline constexpr std::size_t kHeaderSize = 5;
// A cell holds at most 32,767 UTF-16 units, under 100 KiB in UTF-8; the
// reader cuts longer texts (from damaged files) at a character boundary.
inline constexpr std::uint32_t kMaxCellBytes = 1024u * 1024u;
inline constexpr std::uint32_t kMaxReasonBytes = 1024;
inline constexpr std::uint32_t kMaxPathBytes = 65536;

inline void AppendLength(std::string& out, std::uint32_t length)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((length >> shift) & 0xFFu));
}

inline std::uint32_t ReadLength(std::string_view bytes)
{
    std::uint32_t length = 0;
    for (int i = 3; i >= 0; --i)
        length = (length << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return length;
}

inline void AppendFrame(std::string& out, char tag, std::string_view payload)
{
    out.push_back(tag);
    AppendLength(out, static_cast<std::uint32_t>(payload.size()));
    out.append(payload);
}

} // namespace tavelo::xls_protocol
