#include "word_builder.h"

#include <cstdint>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

namespace tavelo::test {

namespace {

void Put16(std::string& s, std::size_t at, std::uint16_t v)
{
    if (s.size() < at + 2)
        s.resize(at + 2);
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& s, std::size_t at, std::uint32_t v)
{
    Put16(s, at, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(s, at + 2, static_cast<std::uint16_t>(v >> 16));
}

void Append32(std::string& s, std::uint32_t v)
{
    Put32(s, s.size(), v);
}

} // namespace

std::string BuildCompoundFile(const std::vector<std::pair<std::string, std::string>>& streams)
{
    gsf_init();
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* ole = gsf_outfile_msole_new(memory);
    for (const auto& [name, bytes] : streams) {
        GsfOutput* child = gsf_outfile_new_child(ole, name.c_str(), FALSE);
        gsf_output_write(child, bytes.size(), reinterpret_cast<const guint8*>(bytes.data()));
        gsf_output_close(child);
        g_object_unref(child);
    }
    gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole);
    // Closing the compound file has closed its sink.
    const auto* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
    std::string out(reinterpret_cast<const char*>(data), static_cast<std::size_t>(gsf_output_size(memory)));
    g_object_unref(memory);
    return out;
}

std::string BuildWordDocument(const std::vector<WordPiece>& pieces, const WordBuildOptions& options)
{
    // File Information Block: FibBase, 14 shorts, 22 longs, 93 FC/LCB pairs.
    std::string ws(1024, '\0');
    Put16(ws, 0, 0xA5EC);
    Put16(ws, 2, 0x00C1);
    std::uint16_t flags = 0x0004; // complex (fast-saved) file
    if (!options.zeroTable)
        flags |= 0x0200;
    if (options.encrypted)
        flags |= 0x0100;
    Put16(ws, 0x0A, flags);
    std::size_t pos = 32;
    Put16(ws, pos, 14);
    pos += 2 + 14 * 2;
    Put16(ws, pos, 22);
    const std::size_t rgLw = pos + 2;
    pos += 2 + 22 * 4;
    Put16(ws, pos, 93);
    const std::size_t rgFcLcb = pos + 2;

    std::vector<std::uint32_t> cps{0};
    std::vector<std::uint32_t> fcs;
    for (const WordPiece& piece : pieces) {
        const std::size_t at = ws.size();
        if (piece.compressed) {
            for (const char16_t c : piece.text)
                ws.push_back(static_cast<char>(c));
            fcs.push_back(static_cast<std::uint32_t>(at * 2) | 0x40000000u);
        } else {
            for (const char16_t c : piece.text)
                Put16(ws, ws.size(), c);
            fcs.push_back(static_cast<std::uint32_t>(at));
        }
        cps.push_back(cps.back() + static_cast<std::uint32_t>(piece.text.size()));
    }
    for (std::size_t i = 0; i < options.repeatsOfFirstPiece && !pieces.empty(); ++i) {
        fcs.push_back(fcs.front());
        cps.push_back(cps.back() + static_cast<std::uint32_t>(pieces.front().text.size()));
    }
    Put32(ws, rgLw + 3 * 4, cps.back()); // ccpText

    std::string table(16, 'x'); // the CLX need not start the stream
    const std::size_t fcClx = table.size();
    if (options.withPrc) {
        table += '\x01';
        table += std::string("\x02\x00\xAB\xCD", 4);
    }
    std::string plc;
    for (const std::uint32_t cp : cps)
        Append32(plc, cp);
    for (const std::uint32_t fc : fcs) {
        plc += std::string(2, '\0');
        Append32(plc, fc);
        plc += std::string(2, '\0');
    }
    table += '\x02';
    Append32(table, static_cast<std::uint32_t>(plc.size()));
    table += plc;
    Put32(ws, rgFcLcb + 33 * 8, static_cast<std::uint32_t>(fcClx));
    Put32(ws, rgFcLcb + 33 * 8 + 4, static_cast<std::uint32_t>(table.size() - fcClx));
    return BuildCompoundFile({{"WordDocument", ws}, {options.zeroTable ? "0Table" : "1Table", table}});
}

} // namespace tavelo::test
