#pragma once
// Builds ZIP archives by hand for the tests of the office readers, including
// the hostile shapes no archiver writes: sizes that lie, directories of a
// million entries, parts that inflate to hundreds of megabytes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo::test {

struct ZipEntry {
    std::string name;
    std::string data; // as stored: raw deflate when `deflated`
    bool deflated = false;
    std::uint64_t size = 0; // declared uncompressed size
    std::uint32_t crc = 0;
};

// A stored entry of these bytes.
ZipEntry Stored(std::string name, std::string_view bytes);
// An entry whose content is `head` then `unit` repeated `times`, deflated
// without ever being held whole.
ZipEntry DeflatedRepeat(std::string name, std::string_view head, std::string_view unit, std::size_t times);

// The archive of `entries`, followed by `extraNames` more directory entries
// that all point at the first entry's data (ZIP64 records when needed).
std::string BuildZip(const std::vector<ZipEntry>& entries, std::size_t extraNames = 0);

} // namespace tavelo::test
