#include "base/manual.h"

#include <algorithm>
#include <cstdio>

#include "base/tr.h"

namespace tavelo {

namespace {

constexpr std::size_t kWidth = 79;

std::size_t Columns(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

// Appends `text` wrapped at kWidth columns, each line indented by `indent`,
// the lines that continue a wrapped one by `hanging`.
void Wrap(std::string& out, std::string_view text, std::size_t indent, std::size_t hanging = 0)
{
    while (true) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        std::size_t column = 0;
        bool first = true;
        while (!line.empty()) {
            const std::size_t start = line.find_first_not_of(' ');
            if (start == std::string_view::npos)
                break;
            line.remove_prefix(start);
            const std::string_view word = line.substr(0, line.find(' '));
            line.remove_prefix(word.size());
            const std::size_t width = Columns(word);
            bool continued = false;
            if (!first && column + 1 + width > kWidth) {
                out += '\n';
                first = true;
                continued = true;
            }
            if (first) {
                const std::size_t margin = continued ? std::max(indent, hanging) : indent;
                out.append(margin, ' ');
                column = margin;
            } else {
                out += ' ';
                ++column;
            }
            out += word;
            column += width;
            first = false;
        }
        out += '\n';
        if (newline == std::string_view::npos)
            return;
        text.remove_prefix(newline + 1);
    }
}

// Text for the man macros: backslashes and minus signs escaped, characters
// beyond ASCII as \[uXXXX], and a line that would start with a control
// character protected with \&.
std::string Roff(std::string_view text)
{
    std::string out;
    bool lineStart = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        lineStart = false;
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else if (c == '\n') {
            out += "\n.br\n";
            lineStart = true;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // Decode one UTF-8 sequence; a malformed byte stands for itself
            // as a Latin-1 character rather than breaking the page.
            unsigned int code = c;
            int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
            if (extra > 0 && i + extra < text.size()) {
                code = c & (0x3F >> extra);
                for (int k = 1; k <= extra; ++k) {
                    const auto next = static_cast<unsigned char>(text[i + k]);
                    if ((next & 0xC0) != 0x80) {
                        code = c;
                        extra = 0;
                        break;
                    }
                    code = (code << 6) | (next & 0x3F);
                }
                i += extra;
            }
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\[u%04X]", code);
            out += escape;
        }
    }
    return out;
}

std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

} // namespace

std::string_view ProgramVersion()
{
    return TAVELO_VERSION;
}

std::string VersionText(const Manual& manual)
{
    return std::string(manual.program) + " (Tavelo) " + std::string(ProgramVersion()) + "\n";
}

std::string UsageText(const Manual& manual)
{
    std::string out = Tr("Manual", "Usage :") + "\n";
    for (const char* arguments : manual.synopsis)
        Wrap(out, std::string(manual.program) + " " + Tr(manual.context, arguments), 2, 6);
    return out;
}

std::string HelpText(const Manual& manual)
{
    const char* context = manual.context;
    std::string out = std::string(manual.program) + " - " + Tr(context, manual.summary) + "\n\n";
    out += UsageText(manual);
    for (const ManualSection& section : manual.sections) {
        out += "\n" + Tr(context, section.title) + "\n";
        for (std::size_t i = 0; i < section.paragraphs.size(); ++i) {
            if (i > 0)
                out += '\n';
            Wrap(out, Tr(context, section.paragraphs[i]), 2);
        }
        if (!section.paragraphs.empty() && !section.entries.empty())
            out += '\n';
        for (const ManualEntry& entry : section.entries)
            out += EntryHelp(manual, entry);
    }
    return out;
}

std::string EntryHelp(const Manual& manual, const ManualEntry& entry)
{
    std::string out;
    if (entry.term != nullptr)
        Wrap(out, Tr(manual.context, entry.term), 2);
    Wrap(out, Tr(manual.context, entry.text), entry.term != nullptr ? 6 : 2);
    return out;
}

std::string ManPage(const Manual& manual)
{
    const char* context = manual.context;
    std::string out;
    out += ".TH " + Roff(Upper(manual.program)) + " 1 \"\" \"Tavelo " + std::string(ProgramVersion()) + "\" \"" +
           Roff(Tr("Manual", "Commandes utilisateur")) + "\"\n";
    // No hyphenation and no justification: the page reads as --help does.
    out += ".nh\n.ad l\n";
    out += ".SH " + Roff(Tr("Manual", "NOM")) + "\n";
    out += Roff(manual.program) + " \\- " + Roff(Tr(context, manual.summary)) + "\n";
    out += ".SH " + Roff(Tr("Manual", "SYNOPSIS")) + "\n";
    for (std::size_t i = 0; i < manual.synopsis.size(); ++i) {
        if (i > 0)
            out += ".br\n";
        out += ".B " + Roff(manual.program) + "\n" + Roff(Tr(context, manual.synopsis[i])) + "\n";
    }
    for (const ManualSection& section : manual.sections) {
        out += ".SH " + Roff(Tr(context, section.title)) + "\n";
        for (std::size_t i = 0; i < section.paragraphs.size(); ++i) {
            if (i > 0)
                out += ".PP\n";
            out += Roff(Tr(context, section.paragraphs[i])) + "\n";
        }
        for (const ManualEntry& entry : section.entries) {
            out += ".TP\n.B " + Roff(Tr(context, entry.term)) + "\n";
            out += Roff(Tr(context, entry.text)) + "\n";
        }
    }
    return out;
}

} // namespace tavelo
