#include "zip_builder.h"

#include <zlib.h>

namespace tavelo::test {

namespace {

void Put(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(i < 8 ? value >> (8 * i) & 0xFF : 0));
}

void Header(std::string& out, const ZipEntry& e, bool central, std::uint64_t offset)
{
    Put(out, central ? 0x02014b50 : 0x04034b50, 4);
    if (central)
        Put(out, 20, 2); // made by
    Put(out, 20, 2);     // needed
    Put(out, 0x0800, 2); // UTF-8 names
    Put(out, e.deflated ? 8 : 0, 2);
    Put(out, 0, 4); // time and date
    Put(out, e.crc, 4);
    Put(out, e.data.size(), 4);
    Put(out, e.size, 4);
    Put(out, e.name.size(), 2);
    Put(out, 0, 2); // extra
    if (central) {
        Put(out, 0, 2 + 2 + 2 + 4); // comment, disk, attributes
        Put(out, offset, 4);
    }
    out += e.name;
}

} // namespace

ZipEntry Stored(std::string name, std::string_view bytes)
{
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    return {std::move(name), std::string(bytes), false, bytes.size(), crc};
}

ZipEntry DeflatedRepeat(std::string name, std::string_view head, std::string_view unit, std::size_t times)
{
    ZipEntry e{std::move(name), {}, true, 0, 0};
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, -15, 9, Z_RLE);
    char buffer[1 << 16];
    const auto feed = [&](std::string_view bytes, int flush) {
        e.crc = static_cast<std::uint32_t>(
            crc32(e.crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
        e.size += bytes.size();
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        z.avail_in = static_cast<uInt>(bytes.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            deflate(&z, flush);
            e.data.append(buffer, sizeof buffer - z.avail_out);
        } while (z.avail_out == 0);
    };
    feed(head, Z_NO_FLUSH);
    for (std::size_t i = 0; i < times; ++i)
        feed(unit, Z_NO_FLUSH);
    feed({}, Z_FINISH);
    deflateEnd(&z);
    return e;
}

std::string BuildZip(const std::vector<ZipEntry>& entries, std::size_t extraNames)
{
    std::string out;
    std::vector<std::uint64_t> offsets;
    for (const ZipEntry& e : entries) {
        offsets.push_back(out.size());
        Header(out, e, false, 0);
        out += e.data;
    }
    const std::uint64_t directory = out.size();
    for (std::size_t i = 0; i < entries.size(); ++i)
        Header(out, entries[i], true, offsets[i]);
    for (std::size_t i = 0; i < extraNames; ++i) {
        ZipEntry alias = entries.front();
        alias.name = "x/" + std::to_string(i);
        alias.data.clear();
        Header(out, alias, true, 0);
    }
    const std::uint64_t count = entries.size() + extraNames;
    const std::uint64_t directorySize = out.size() - directory;
    const bool zip64 = count > 0xFFFF;
    if (zip64) {
        const std::uint64_t record = out.size();
        Put(out, 0x06064b50, 4);
        Put(out, 44, 8);
        Put(out, 45, 2);
        Put(out, 45, 2);
        Put(out, 0, 8); // disks
        Put(out, count, 8);
        Put(out, count, 8);
        Put(out, directorySize, 8);
        Put(out, directory, 8);
        Put(out, 0x07064b50, 4);
        Put(out, 0, 4);
        Put(out, record, 8);
        Put(out, 1, 4);
    }
    Put(out, 0x06054b50, 4);
    Put(out, 0, 4); // disks
    Put(out, zip64 ? 0xFFFF : count, 2);
    Put(out, zip64 ? 0xFFFF : count, 2);
    Put(out, directorySize, 4);
    Put(out, directory, 4);
    Put(out, 0, 2);
    return out;
}

} // namespace tavelo::test
