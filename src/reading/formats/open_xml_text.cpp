// Word (.docx) and PowerPoint (.pptx) documents of Office 2007 and later:
// WordprocessingML and DrawingML text in the parts of an Office Open XML
// package. Each part gives one piece: the body, each header and footer, the
// footnotes, the endnotes, the comments; each slide, then its notes.

#include <set>
#include <unordered_map>
#include <vector>

#include "reading/formats/format.h"
#include "reading/formats/office_package.h"

namespace tavelo {

namespace {

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Text runs (w:t, a:t) in paragraphs (w:p, a:p), tables (tbl/tr/tc) in both
// vocabularies. Properties (w:pPr, a:rPr...) are skipped whole: they hold tab
// stops and the like, never text. Of the branches of mc:AlternateContent only
// the first is read, since they hold the same content in other forms.
class OpenXmlTextHandler : public XmlHandler {
public:
    explicit OpenXmlTextHandler(PieceText& text) : m_text(text) {}

    Action Start(const XmlElement& e) override
    {
        if (e.ns == XmlNs::kCompatibility)
            return StartAlternative(e.name);
        if (e.ns != XmlNs::kWord && e.ns != XmlNs::kDrawing)
            return kEnter;
        if (EndsWith(e.name, "Pr") || e.name == "lstStyle")
            return kSkip;
        if (e.name == "t") {
            ++m_inText;
            return kEnter;
        }
        if (e.ns == XmlNs::kWord) {
            // Deleted text, field codes and text moved elsewhere are not
            // what the document shows.
            if (e.name == "delText" || e.name == "instrText" || e.name == "delInstrText" || e.name == "moveFrom")
                return kSkip;
            if (e.name == "tab" || e.name == "ptab")
                Add("\t");
            else if (e.name == "br" || e.name == "cr")
                Add("\n");
            else if (e.name == "noBreakHyphen")
                Add("-");
            else if (e.name == "txbxContent")
                m_text.EndParagraph();
        } else if (e.name == "br") {
            Add("\n");
        }
        return kEnter;
    }

    void End(XmlNs ns, std::string_view name) override
    {
        if (ns == XmlNs::kCompatibility) {
            if (name == "AlternateContent" && !m_alternatives.empty())
                m_alternatives.pop_back();
            return;
        }
        if (ns != XmlNs::kWord && ns != XmlNs::kDrawing)
            return;
        if (name == "t") {
            if (m_inText > 0)
                --m_inText;
        } else if (name == "p" || name == "txbxContent") {
            m_text.EndParagraph();
        } else if (name == "tc") {
            m_text.EndCell();
        } else if (name == "tr") {
            m_text.EndRow();
        }
    }

    void Text(std::string_view text) override
    {
        if (m_inText > 0)
            Add(text);
    }

private:
    Action StartAlternative(std::string_view name)
    {
        if (name == "AlternateContent") {
            m_alternatives.push_back(false);
        } else if ((name == "Choice" || name == "Fallback") && !m_alternatives.empty()) {
            if (m_alternatives.back())
                return kSkip;
            m_alternatives.back() = true;
        }
        return kEnter;
    }

    void Add(std::string_view text)
    {
        if (!m_text.Append(text))
            Stop(TooMuchTextReason());
    }

    PieceText& m_text;
    int m_inText = 0;
    // One per open mc:AlternateContent: whether a branch was read.
    std::vector<bool> m_alternatives;
};

bool AddPart(OfficePackage& package, const std::string& part, TextSink& sink, std::string& reason)
{
    PieceText text;
    OpenXmlTextHandler handler(text);
    return package.ParseXml(part, handler, reason) &&
           AddPiece(sink, MatchRule::kWordProcessor, text.Result(), reason);
}

// The slides in show order: p:sldIdLst of presentation.xml.
class SlideListHandler : public XmlHandler {
public:
    explicit SlideListHandler(std::vector<std::string>& ids) : m_ids(ids) {}
    Action Start(const XmlElement& e) override
    {
        if (e.Is(XmlNs::kPresentation, "sldId")) {
            if (m_ids.size() >= kMaxPackageEntries)
                Stop("le document contient trop de fichiers internes");
            else
                m_ids.emplace_back(e.Attribute(XmlNs::kRelationshipId, "id"));
            return kSkip;
        }
        return kEnter;
    }
    void End(XmlNs, std::string_view) override {}
    void Text(std::string_view) override {}

private:
    std::vector<std::string>& m_ids;
};

} // namespace

bool ReadWordXml(const FormatInput& input, TextSink& sink, std::string& reason)
{
    const std::unique_ptr<OfficePackage> package = OfficePackage::Open(input.bytes, PackageFamily::kOpenXml, reason);
    if (!package)
        return false;
    const std::string main = MainPart(*package, "word/document.xml", reason);
    std::vector<Relationship> relationships;
    if (main.empty() || !ReadRelationships(*package, main, relationships, reason) ||
        !AddPart(*package, main, sink, reason))
        return false;
    static const std::set<std::string_view> kStories = {"header", "footer", "footnotes", "endnotes", "comments"};
    std::set<std::string> done = {main};
    for (const Relationship& r : relationships) {
        if (kStories.count(r.type) == 0 || !package->Has(r.target) || !done.insert(r.target).second)
            continue;
        if (!AddPart(*package, r.target, sink, reason))
            return false;
    }
    return true;
}

bool ReadSlidesXml(const FormatInput& input, TextSink& sink, std::string& reason)
{
    const std::unique_ptr<OfficePackage> package = OfficePackage::Open(input.bytes, PackageFamily::kOpenXml, reason);
    if (!package)
        return false;
    const std::string main = MainPart(*package, "ppt/presentation.xml", reason);
    std::vector<Relationship> relationships;
    std::vector<std::string> ids;
    SlideListHandler list(ids);
    if (main.empty() || !ReadRelationships(*package, main, relationships, reason) ||
        !package->ParseXml(main, list, reason))
        return false;
    std::unordered_map<std::string, std::string> slideOf;
    for (const Relationship& r : relationships)
        if (r.type == "slide")
            slideOf.emplace(r.id, r.target);
    std::set<std::string> done;
    for (const std::string& id : ids) {
        const auto slide = slideOf.find(id);
        if (slide == slideOf.end() || !package->Has(slide->second) || !done.insert(slide->second).second)
            continue;
        std::vector<Relationship> slideRelationships;
        if (!ReadRelationships(*package, slide->second, slideRelationships, reason) ||
            !AddPart(*package, slide->second, sink, reason))
            return false;
        for (const Relationship& r : slideRelationships) {
            if (r.type == "notesSlide" && package->Has(r.target) && done.insert(r.target).second &&
                !AddPart(*package, r.target, sink, reason))
                return false;
        }
    }
    return true;
}

} // namespace tavelo
