// OpenDocument files (.odt, .ods, .odp): the text of content.xml, and for
// text documents the headers and footers of their page styles (styles.xml).
// Text documents give their body, then their notes and comments, then their
// headers and footers; presentations each slide, then its notes; workbooks
// one piece per non-empty cell, sheet by sheet and row by row.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "base/tr.h"
#include "reading/formats/format.h"
#include "reading/formats/office_package.h"

namespace tavelo {

namespace {

enum class OdfMode { kText, kHeaders, kSlides, kSheet };

// Past this, a repeated space is damage rather than layout.
constexpr std::size_t kMaxSpaces = 256;

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool IsHeaderOrFooter(std::string_view name)
{
    return name == "header" || name == "header-left" || name == "header-first" || name == "footer" ||
           name == "footer-left" || name == "footer-first";
}

std::size_t Count(std::string_view text, std::size_t most)
{
    double value = 1;
    if (text.empty() || !ParseXmlNumber(text, value) || !(value >= 1))
        return 1;
    return value >= static_cast<double>(most) ? most : static_cast<std::size_t>(value);
}

// "PT12H30M05.5S" (a time of day or a duration) as "12:30:05".
std::string IsoDuration(std::string_view value)
{
    if (value.substr(0, 2) != "PT")
        return std::string(value);
    double parts[3] = {0, 0, 0};
    std::size_t at = 2;
    while (at < value.size()) {
        const std::size_t unit = value.find_first_of("HMS", at);
        double number = 0;
        if (unit == std::string_view::npos || !ParseXmlNumber(value.substr(at, unit - at), number))
            return std::string(value);
        parts[value[unit] == 'H' ? 0 : value[unit] == 'M' ? 1 : 2] = number;
        at = unit + 1;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%02.0f:%02.0f:%02.0f", std::min(parts[0], 1e9), std::min(parts[1], 1e9),
                  std::min(std::floor(parts[2]), 1e9));
    return text;
}

class OpenDocumentHandler : public XmlHandler {
public:
    OpenDocumentHandler(OdfMode mode, TextSink& sink) : m_mode(mode), m_sink(sink) {}

    Action Start(const XmlElement& e) override
    {
        switch (e.ns) {
        case XmlNs::kDublinCore:
        case XmlNs::kMeta:
        case XmlNs::kSvg: return kSkip; // authors and dates of comments, titles of shapes
        case XmlNs::kText: return StartText(e);
        case XmlNs::kOffice:
            if (e.name == "annotation") {
                if (m_mode == OdfMode::kSheet)
                    return kSkip;
                if (m_mode == OdfMode::kText)
                    ++m_aside;
            } else if (e.name == "forms" || e.name == "scripts" || e.name == "font-face-decls" ||
                       e.name == "automatic-styles") {
                return kSkip;
            }
            break;
        case XmlNs::kStyle:
            if (m_mode == OdfMode::kHeaders && IsHeaderOrFooter(e.name))
                ++m_inHeader;
            break;
        case XmlNs::kTable:
            if (m_mode == OdfMode::kSheet && (e.name == "table-cell" || e.name == "covered-table-cell"))
                StartCell(e);
            break;
        case XmlNs::kOdfPresentation:
            if (m_mode == OdfMode::kSlides && e.name == "notes")
                ++m_aside;
            break;
        default: break;
        }
        return kEnter;
    }

    void End(XmlNs ns, std::string_view name) override
    {
        switch (ns) {
        case XmlNs::kText:
            if (name == "p" || name == "h") {
                --m_inParagraph;
                Current().EndParagraph();
            } else if (name == "note-body") {
                --m_aside;
            }
            break;
        case XmlNs::kOffice:
            if (name == "annotation" && m_mode == OdfMode::kText)
                --m_aside;
            break;
        case XmlNs::kStyle:
            if (m_mode == OdfMode::kHeaders && IsHeaderOrFooter(name)) {
                --m_inHeader;
                m_body.EndParagraph();
            }
            break;
        case XmlNs::kTable:
            if (name == "table-cell" || name == "covered-table-cell") {
                if (m_mode == OdfMode::kSheet)
                    EndCell();
                else
                    Current().EndCell();
            } else if (name == "table-row" && m_mode != OdfMode::kSheet) {
                Current().EndRow();
            }
            break;
        case XmlNs::kDraw:
            if (m_mode == OdfMode::kSlides && name == "page")
                Flush();
            break;
        case XmlNs::kOdfPresentation:
            if (m_mode == OdfMode::kSlides && name == "notes")
                --m_aside;
            break;
        default: break;
        }
    }

    // White space in paragraphs collapses to one space, and none at their
    // start; spaces, tabs and line breaks that count are elements.
    void Text(std::string_view text) override
    {
        if (m_inParagraph <= 0 || (m_mode == OdfMode::kHeaders && m_inHeader <= 0))
            return;
        std::string collapsed;
        collapsed.reserve(text.size());
        for (const char c : text) {
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
                if (!m_space)
                    collapsed.push_back(' ');
                m_space = true;
            } else {
                collapsed.push_back(c);
                m_space = false;
            }
        }
        Add(collapsed);
    }

    // The pieces of a text document or of its page styles, once read.
    bool Finish(std::string& reason)
    {
        return AddPiece(m_sink, MatchRule::kWordProcessor, m_body.Result(), reason) &&
               AddPiece(m_sink, MatchRule::kWordProcessor, m_notes.Result(), reason);
    }

private:
    Action StartText(const XmlElement& e)
    {
        if (e.name == "p" || e.name == "h") {
            ++m_inParagraph;
            m_space = true;
        } else if (e.name == "s") {
            Add(std::string(Count(e.Attribute(XmlNs::kText, "c"), kMaxSpaces), ' '));
            m_space = false;
        } else if (e.name == "tab") {
            Add("\t");
            m_space = false;
        } else if (e.name == "line-break") {
            Add("\n");
            m_space = false;
        } else if (e.name == "note-body") {
            ++m_aside;
        } else if (e.name == "note-citation" || e.name == "tracked-changes" || EndsWith(e.name, "-source")) {
            // The note's number, deleted text, templates of indexes.
            return kSkip;
        }
        return kEnter;
    }

    PieceText& Current() { return m_aside > 0 && m_mode != OdfMode::kSheet ? m_notes : m_body; }

    void Add(std::string_view text)
    {
        if (m_inParagraph > 0 && (m_mode != OdfMode::kHeaders || m_inHeader > 0) && !Current().Append(text))
            Stop(TooMuchTextReason());
    }

    void Flush()
    {
        std::string reason;
        if (!AddPiece(m_sink, MatchRule::kWordProcessor, m_body.Result(), reason) ||
            !AddPiece(m_sink, MatchRule::kWordProcessor, m_notes.Result(), reason))
            Stop(reason);
        m_body.Clear();
        m_notes.Clear();
    }

    void StartCell(const XmlElement& e)
    {
        if (m_cellDepth++ > 0)
            return;
        m_cellType = e.Attribute(XmlNs::kOffice, "value-type");
        if (m_cellType == "date")
            m_cellValue = e.Attribute(XmlNs::kOffice, "date-value");
        else if (m_cellType == "time")
            m_cellValue = e.Attribute(XmlNs::kOffice, "time-value");
        else if (m_cellType == "boolean")
            m_cellValue = e.Attribute(XmlNs::kOffice, "boolean-value");
        else
            m_cellValue = e.Attribute(XmlNs::kOffice, "value");
        m_body.Clear();
    }

    // The cell as the formula bar shows it, as the .xls reader gives it.
    std::string CellText()
    {
        double number = 0;
        if ((m_cellType == "float" || m_cellType == "percentage" || m_cellType == "currency") &&
            ParseXmlNumber(m_cellValue, number))
            return FormatCellNumber(number);
        if (m_cellType == "date" && !m_cellValue.empty()) {
            std::string date = m_cellValue.substr(0, m_cellValue.find('.'));
            std::replace(date.begin(), date.end(), 'T', ' ');
            return date;
        }
        if (m_cellType == "time" && !m_cellValue.empty())
            return IsoDuration(m_cellValue);
        if (m_cellType == "boolean" && (m_cellValue == "true" || m_cellValue == "false"))
            return m_cellValue == "true" ? "VRAI" : "FAUX";
        return std::string(m_body.Result());
    }

    // A cell repeated over columns or rows (table:number-columns-repeated,
    // table:number-rows-repeated) is given once: its copies hold the same
    // text, and a few bytes may repeat a cell millions of times.
    void EndCell()
    {
        if (m_cellDepth == 0 || --m_cellDepth > 0)
            return;
        const std::string text = CellText();
        m_body.Clear();
        if (!text.empty() && !m_sink.Add(MatchRule::kCell, text))
            Stop(TooMuchTextReason());
    }

    OdfMode m_mode;
    TextSink& m_sink;
    PieceText m_body, m_notes;
    int m_inParagraph = 0;
    int m_inHeader = 0;
    // Inside notes, comments or a slide's speaker notes.
    int m_aside = 0;
    bool m_space = true;
    int m_cellDepth = 0;
    std::string m_cellType, m_cellValue;
};

// Password-protected documents keep their archive but encrypt its parts; the
// manifest describes the encryption of each.
class ManifestHandler : public XmlHandler {
public:
    Action Start(const XmlElement& e) override
    {
        if (e.Is(XmlNs::kManifest, "encryption-data"))
            encrypted = true;
        return kEnter;
    }
    void End(XmlNs, std::string_view) override {}
    void Text(std::string_view) override {}
    bool encrypted = false;
};

bool ReadOpenDocument(const FormatInput& input, OdfMode mode, TextSink& sink, std::string& reason)
{
    const std::unique_ptr<OfficePackage> package =
        OfficePackage::Open(input.bytes, PackageFamily::kOpenDocument, reason);
    if (!package)
        return false;
    if (!package->Has("content.xml")) {
        reason = TAVELO_TR_NOOP("Search", "ce n'est pas un document OpenDocument valide");
        return false;
    }
    ManifestHandler manifest;
    if (package->Has("META-INF/manifest.xml") && !package->ParseXml("META-INF/manifest.xml", manifest, reason))
        return false;
    if (manifest.encrypted) {
        reason = TAVELO_TR_NOOP("Search", "le document est protégé par un mot de passe");
        return false;
    }
    OpenDocumentHandler content(mode, sink);
    if (!package->ParseXml("content.xml", content, reason))
        return false;
    if (mode != OdfMode::kText)
        return true;
    if (!content.Finish(reason))
        return false;
    OpenDocumentHandler styles(OdfMode::kHeaders, sink);
    if (!package->Has("styles.xml"))
        return true;
    return package->ParseXml("styles.xml", styles, reason) && styles.Finish(reason);
}

} // namespace

bool ReadOpenText(const FormatInput& input, TextSink& sink, std::string& reason)
{
    return ReadOpenDocument(input, OdfMode::kText, sink, reason);
}

bool ReadOpenSheet(const FormatInput& input, TextSink& sink, std::string& reason)
{
    return ReadOpenDocument(input, OdfMode::kSheet, sink, reason);
}

bool ReadOpenSlides(const FormatInput& input, TextSink& sink, std::string& reason)
{
    return ReadOpenDocument(input, OdfMode::kSlides, sink, reason);
}

} // namespace tavelo
