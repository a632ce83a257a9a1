#include "reading/document_text.h"

#include "book/text.h"

namespace tavelo {

namespace {

std::uint8_t RuleBit(MatchRule rule)
{
    switch (rule) {
    case MatchRule::kPattern: return 1;
    case MatchRule::kWordProcessor: return 2;
    case MatchRule::kCell: return 4;
    }
    return 0;
}

void AppendVarint(std::string& out, std::size_t value)
{
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

} // namespace

bool IsMatchRule(std::uint8_t byte)
{
    return byte == 'P' || byte == 'W' || byte == 'C';
}

void DocumentText::Append(MatchRule rule, std::string_view text)
{
    if (m_pieces > 0)
        m_body.push_back('\n');
    m_body.append(text);
    m_layout.push_back(static_cast<char>(rule));
    AppendVarint(m_layout, text.size());
    ++m_pieces;
    m_rules |= RuleBit(rule);
}

bool DocumentText::HasRule(MatchRule rule) const
{
    return (m_rules & RuleBit(rule)) != 0;
}

std::size_t DocumentText::ReadVarint(std::string_view bytes, std::size_t& pos)
{
    std::size_t value = 0;
    for (int shift = 0; pos < bytes.size() && shift < 64; shift += 7) {
        const auto b = static_cast<unsigned char>(bytes[pos++]);
        value |= static_cast<std::size_t>(b & 0x7F) << shift;
        if ((b & 0x80) == 0)
            break;
    }
    return value;
}

bool DocumentText::FromStored(std::string body, std::string layout, DocumentText& out)
{
    DocumentText text;
    std::size_t pos = 0;
    std::size_t end = 0;
    while (pos < layout.size()) {
        const auto rule = static_cast<std::uint8_t>(layout[pos++]);
        if (!IsMatchRule(rule) || pos >= layout.size())
            return false;
        const std::size_t length = ReadVarint(layout, pos);
        if (text.m_pieces > 0)
            ++end; // the separator
        if (length > body.size() || end > body.size() - length)
            return false;
        end += length;
        ++text.m_pieces;
        text.m_rules |= RuleBit(static_cast<MatchRule>(rule));
    }
    if (end != body.size() || !IsValidUtf8(body))
        return false;
    text.m_body = std::move(body);
    text.m_layout = std::move(layout);
    out = std::move(text);
    return true;
}

} // namespace tavelo
