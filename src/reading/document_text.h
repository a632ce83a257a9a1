#pragma once
// The text read out of one document, as the search matches it: a sequence of
// pieces (a page, a workbook cell, the body of a letter), each with the rule
// its application would search it with. A match never spans two pieces.
//
// The pieces are kept in one body, joined by a line feed, with a layout that
// says where each piece ends and which rule it takes: the body is plain text
// for the cache's full-text index, the layout a few bytes.

#include <cstdint>
#include <string>
#include <string_view>

namespace tavelo {

enum class MatchRule : std::uint8_t {
    // The compiled pattern, with every option (text, RTF, PDF pages, scans).
    kPattern = 'P',
    // The word literally and without regard to case, as a word processor's
    // find does.
    kWordProcessor = 'W',
    // One spreadsheet cell: without regard to case, with the wildcards * ? ~.
    kCell = 'C',
};

bool IsMatchRule(std::uint8_t byte);

struct TextPiece {
    MatchRule rule;
    std::string_view text;
};

class DocumentText {
public:
    DocumentText() = default;

    // `text` must be valid UTF-8.
    void Append(MatchRule rule, std::string_view text);

    std::size_t PieceCount() const { return m_pieces; }
    bool Empty() const { return m_pieces == 0; }
    // Bytes of text held, separators included.
    std::size_t Size() const { return m_body.size(); }
    const std::string& Body() const { return m_body; }
    const std::string& Layout() const { return m_layout; }

    // Whether some piece of that rule exists.
    bool HasRule(MatchRule rule) const;

    // Calls `visit` on each piece in order until it returns true; true then.
    template <typename Visit>
    bool AnyPiece(Visit&& visit) const
    {
        std::size_t pos = 0;
        std::size_t start = 0;
        while (pos < m_layout.size()) {
            const auto rule = static_cast<MatchRule>(m_layout[pos++]);
            const std::size_t length = ReadVarint(m_layout, pos);
            if (visit(TextPiece{rule, std::string_view(m_body).substr(start, length)}))
                return true;
            start += length + 1;
        }
        return false;
    }

    // A text from a body and a layout stored earlier; false when they do not
    // fit together (a damaged cache entry) or the body is not valid UTF-8.
    static bool FromStored(std::string body, std::string layout, DocumentText& out);

    friend bool operator==(const DocumentText&, const DocumentText&) = default;

private:
    static std::size_t ReadVarint(std::string_view bytes, std::size_t& pos);

    std::string m_body;
    std::string m_layout;
    std::size_t m_pieces = 0;
    std::uint8_t m_rules = 0; // one bit per rule met
};

} // namespace tavelo
