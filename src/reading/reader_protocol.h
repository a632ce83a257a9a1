#pragma once
// The exchange between a searching process and its reader process
// (tavelo-reader), over one stream socket that is the reader's standard input
// and output.
//
// A frame is a tag byte, a 32-bit little-endian payload length and the payload.
// The reader starts by writing a hello frame. For each document request (whose
// first byte carries the document's open descriptor as SCM_RIGHTS) it writes
// any number of piece and progress frames, then one finished or unreadable
// frame. A reader that runs out of memory writes an out-of-memory frame and
// ends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavelo::reader_protocol {

// Searching process to reader.
inline constexpr char kDocument = 'D'; // payload: kind code (1 byte)

// Reader to searching process.
inline constexpr char kHello = 'R';       // payload: kVersion
inline constexpr char kPiece = 'T';       // payload: match rule (1 byte), then valid UTF-8 text
inline constexpr char kProgress = 'P';    // payload: done, total (32 bits each), then the unit
inline constexpr char kFinished = 'F';    // no payload
inline constexpr char kUnreadable = 'U';  // payload: the reason, in French
inline constexpr char kOutOfMemory = 'M'; // no payload; the reader ends

inline constexpr std::string_view kVersion = "tavelo-reader-1";
inline constexpr std::size_t kHeaderSize = 5;
inline constexpr std::uint32_t kMaxReasonBytes = 1024;
inline constexpr std::uint32_t kMaxProgressBytes = 64;

// Exit status of a reader that ran out of memory after saying so.
inline constexpr int kExitOutOfMemory = 3;

// The progress unit of a page read by optical character recognition: each
// such frame gives the reader that page's own time.
inline constexpr std::string_view kOcrPageUnit = "ocr-page";

inline void AppendU32(std::string& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFFu));
}

inline std::uint32_t ReadU32(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return value;
}

inline void AppendHeader(std::string& out, char tag, std::size_t payloadSize)
{
    out.push_back(tag);
    AppendU32(out, static_cast<std::uint32_t>(payloadSize));
}

inline void AppendFrame(std::string& out, char tag, std::string_view payload)
{
    AppendHeader(out, tag, payload.size());
    out.append(payload);
}

} // namespace tavelo::reader_protocol
