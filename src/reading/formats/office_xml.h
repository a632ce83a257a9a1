#pragma once
// The XML of office documents, read as a stream of events (libxml2's SAX2
// push parser): memory stays bounded whatever the number of elements, no
// entity is ever expanded, and the nesting depth is capped. Shared by the
// Office Open XML and OpenDocument readers.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "reading/formats/format.h"

namespace tavelo {

// Deeper nesting than any office application writes ends the parse.
inline constexpr std::size_t kMaxXmlDepth = 200;

// The namespaces the readers look at; every other one is kOther.
enum class XmlNs : std::uint8_t {
    kNone, // an attribute without prefix
    kOther,
    kWord,
    kDrawing,
    kPresentation,
    kSheet,
    kRelationshipId, // r:id and its kin
    kPackageRelationships,
    kCompatibility, // mc:AlternateContent
    kOffice,
    kText,
    kTable,
    kDraw,
    kOdfPresentation,
    kStyle,
    kSvg,
    kDublinCore,
    kMeta,
    kManifest,
};

class XmlElement {
public:
    XmlElement(XmlNs ns, std::string_view name, const void* attributes, int count)
        : ns(ns), name(name), m_attributes(attributes), m_count(count)
    {
    }
    bool Is(XmlNs n, std::string_view local) const { return ns == n && name == local; }
    // The value of that attribute, empty when absent.
    std::string_view Attribute(XmlNs n, std::string_view local) const;

    XmlNs ns;
    std::string_view name;

private:
    const void* m_attributes;
    int m_count;
};

class XmlHandler {
public:
    enum Action { kEnter, kSkip };
    virtual ~XmlHandler() = default;
    // kSkip leaves the element's content out: no event until its end, which
    // is not reported either.
    virtual Action Start(const XmlElement& element) = 0;
    virtual void End(XmlNs ns, std::string_view name) = 0;
    // Character data, in UTF-8, possibly in several calls.
    virtual void Text(std::string_view text) = 0;

    // Ends the parse with a French reason; checked after every event.
    void Stop(std::string reason)
    {
        if (m_stopReason.empty())
            m_stopReason = std::move(reason);
    }
    const std::string& StopReason() const { return m_stopReason; }

private:
    std::string m_stopReason;
};

// One XML document fed in chunks, as it comes out of the archive.
class XmlStream {
public:
    explicit XmlStream(XmlHandler& handler);
    ~XmlStream();
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    // False once the document is known to be bad or the handler stopped;
    // `reason` then says why, in French.
    bool Feed(std::string_view chunk, std::string& reason);
    // The end of the document: false when it is incomplete or malformed.
    bool Finish(std::string& reason);

    // What the parser's callbacks work on.
    struct State;

private:
    std::unique_ptr<State> m_state;
};

// Text collected for one piece of a word-processing or presentation document:
// paragraphs and line breaks as line feeds, table cells ended by tabs and
// rows by line feeds, so that words of neighbouring blocks never join.
class PieceText {
public:
    // False once the text passed the most a document may give.
    bool Append(std::string_view text);
    void EndParagraph() { EndWith('\n', '\n'); }
    void EndCell() { EndWith('\n', '\t'); }
    void EndRow() { EndWith('\t', '\n'); }
    // The text without separators around it; empty when it holds nothing but
    // white space.
    std::string_view Result();
    void Clear() { m_text.clear(); }
    bool Empty() const { return m_text.empty(); }
    char Last() const { return m_text.empty() ? '\0' : m_text.back(); }

private:
    // Replaces a trailing `replaced` by `added`, or appends `added`.
    void EndWith(char replaced, char added);

    std::string m_text;
};

// Gives a non-empty piece to the sink; false with the reason when the sink
// refuses more text.
bool AddPiece(TextSink& sink, MatchRule rule, std::string_view text, std::string& reason);

// A number as a spreadsheet's formula bar shows it: the shortest of 15 and 17
// significant digits that gives the number back, with a point.
std::string FormatCellNumber(double value);

// The decimal number at the start of `text` (XML's form), or nothing.
bool ParseXmlNumber(std::string_view text, double& value);

} // namespace tavelo
