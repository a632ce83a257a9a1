#pragma once
// A 128-bit hash of a file's bytes (XXH3), by which the text cache recognises a
// document that was moved, renamed or copied.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavelo {

using ContentHash = std::array<std::uint8_t, 16>;

ContentHash HashBytes(std::string_view bytes);

// Hashes the file read from its current offset to its end, without holding it
// in memory. Nothing when a read fails; `reason` then says why, in French.
std::optional<ContentHash> HashDescriptor(int fd, std::string& reason);

// The same for a path: a regular file only (a pipe or a device is refused
// without waiting on it).
std::optional<ContentHash> HashFile(const std::string& path, std::string& reason);

// Lower-case hexadecimal, for messages and tools.
std::string ToHex(const ContentHash& hash);

} // namespace tavelo
