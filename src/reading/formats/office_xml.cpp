#include "base/tr.h"
#include "reading/formats/office_xml.h"

#include <charconv>
#include <cstring>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include "reading/formats/format.h"

namespace tavelo {

namespace {

constexpr const char* kDamaged = TAVELO_TR_NOOP("Search", "le document est endommagé");
constexpr const char* kTooDeep = TAVELO_TR_NOOP("Search", "la structure du document est trop profonde");

struct NamespaceName {
    const char* uri;
    XmlNs ns;
};

// Transitional and strict Office Open XML, then OpenDocument.
constexpr NamespaceName kNamespaces[] = {
    {"http://schemas.openxmlformats.org/wordprocessingml/2006/main", XmlNs::kWord},
    {"http://purl.oclc.org/ooxml/wordprocessingml/main", XmlNs::kWord},
    {"http://schemas.openxmlformats.org/drawingml/2006/main", XmlNs::kDrawing},
    {"http://purl.oclc.org/ooxml/drawingml/main", XmlNs::kDrawing},
    {"http://schemas.openxmlformats.org/presentationml/2006/main", XmlNs::kPresentation},
    {"http://purl.oclc.org/ooxml/presentationml/main", XmlNs::kPresentation},
    {"http://schemas.openxmlformats.org/spreadsheetml/2006/main", XmlNs::kSheet},
    {"http://purl.oclc.org/ooxml/spreadsheetml/main", XmlNs::kSheet},
    {"http://schemas.openxmlformats.org/officeDocument/2006/relationships", XmlNs::kRelationshipId},
    {"http://purl.oclc.org/ooxml/officeDocument/relationships", XmlNs::kRelationshipId},
    {"http://schemas.openxmlformats.org/package/2006/relationships", XmlNs::kPackageRelationships},
    {"http://schemas.openxmlformats.org/markup-compatibility/2006", XmlNs::kCompatibility},
    {"urn:oasis:names:tc:opendocument:xmlns:office:1.0", XmlNs::kOffice},
    {"urn:oasis:names:tc:opendocument:xmlns:text:1.0", XmlNs::kText},
    {"urn:oasis:names:tc:opendocument:xmlns:table:1.0", XmlNs::kTable},
    {"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0", XmlNs::kDraw},
    {"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0", XmlNs::kOdfPresentation},
    {"urn:oasis:names:tc:opendocument:xmlns:style:1.0", XmlNs::kStyle},
    {"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0", XmlNs::kSvg},
    {"http://purl.org/dc/elements/1.1/", XmlNs::kDublinCore},
    {"urn:oasis:names:tc:opendocument:xmlns:meta:1.0", XmlNs::kMeta},
    {"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0", XmlNs::kManifest},
};

std::string_view View(const xmlChar* text)
{
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

XmlNs Classify(const xmlChar* uri)
{
    if (uri == nullptr)
        return XmlNs::kNone;
    const std::string_view name = View(uri);
    for (const NamespaceName& known : kNamespaces)
        if (name == known.uri)
            return known.ns;
    return XmlNs::kOther;
}

} // namespace

struct XmlStream::State {
    explicit State(XmlHandler& h) : handler(h) {}
    ~State()
    {
        if (context != nullptr)
            xmlFreeParserCtxt(context);
    }

    // The parser interns namespace names, so the same pointer comes back for
    // the same namespace: a few remembered pointers spare most comparisons.
    XmlNs NamespaceOf(const xmlChar* uri)
    {
        if (uri == nullptr)
            return XmlNs::kNone;
        for (std::size_t i = 0; i < std::size(cachedUris); ++i)
            if (cachedUris[i] == uri)
                return cachedNs[i];
        const XmlNs ns = Classify(uri);
        cachedUris[nextCached] = uri;
        cachedNs[nextCached] = ns;
        nextCached = (nextCached + 1) % std::size(cachedUris);
        return ns;
    }

    void Fail(std::string why)
    {
        if (reason.empty())
            reason = std::move(why);
        stopped = true;
        xmlStopParser(context);
    }

    void CheckHandler()
    {
        if (!handler.StopReason().empty())
            Fail(handler.StopReason());
    }

    XmlHandler& handler;
    xmlParserCtxtPtr context = nullptr;
    std::size_t depth = 0;
    // The depth of the element whose content is being skipped; 0 when none.
    std::size_t skipDepth = 0;
    bool stopped = false;
    std::string reason;
    const xmlChar* cachedUris[8] = {};
    XmlNs cachedNs[8] = {};
    std::size_t nextCached = 0;
};

std::string_view XmlElement::Attribute(XmlNs n, std::string_view local) const
{
    // libxml2 gives five pointers per attribute: local name, prefix,
    // namespace, start and end of the value.
    const auto* attributes = static_cast<const xmlChar* const*>(m_attributes);
    for (int i = 0; i < m_count; ++i) {
        const xmlChar* const* a = attributes + 5 * i;
        if (View(a[0]) == local && Classify(a[2]) == n)
            return std::string_view(reinterpret_cast<const char*>(a[3]), static_cast<std::size_t>(a[4] - a[3]));
    }
    return {};
}

namespace {

XmlStream::State& StateOf(void* context)
{
    return *static_cast<XmlStream::State*>(context);
}

void OnStart(void* context, const xmlChar* localName, const xmlChar* /*prefix*/, const xmlChar* uri,
             int /*namespaceCount*/, const xmlChar** /*namespaces*/, int attributeCount, int /*defaulted*/,
             const xmlChar** attributes)
{
    XmlStream::State& s = StateOf(context);
    if (s.stopped)
        return;
    if (++s.depth > kMaxXmlDepth) {
        s.Fail(kTooDeep);
        return;
    }
    if (s.skipDepth != 0)
        return;
    const XmlElement element(s.NamespaceOf(uri), View(localName), attributes, attributeCount);
    if (s.handler.Start(element) == XmlHandler::kSkip)
        s.skipDepth = s.depth;
    s.CheckHandler();
}

void OnEnd(void* context, const xmlChar* localName, const xmlChar* /*prefix*/, const xmlChar* uri)
{
    XmlStream::State& s = StateOf(context);
    if (s.stopped)
        return;
    const std::size_t depth = s.depth--;
    if (s.skipDepth != 0) {
        if (depth == s.skipDepth)
            s.skipDepth = 0;
        return;
    }
    s.handler.End(s.NamespaceOf(uri), View(localName));
    s.CheckHandler();
}

void OnCharacters(void* context, const xmlChar* text, int length)
{
    XmlStream::State& s = StateOf(context);
    if (s.stopped || s.skipDepth != 0 || length <= 0)
        return;
    s.handler.Text(std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)));
    s.CheckHandler();
}

// Office documents carry no document type declaration (the Open Packaging
// Conventions forbid one); refusing it keeps entity declarations out.
void OnDocumentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    StateOf(context).Fail(kDamaged);
}

void IgnoreError(void*, xmlErrorPtr) {}

xmlSAXHandler MakeHandler()
{
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = OnStart;
    sax.endElementNs = OnEnd;
    sax.characters = OnCharacters;
    sax.cdataBlock = OnCharacters;
    // The same function for white space, or libxml2 may decide that some of
    // it does not count.
    sax.ignorableWhitespace = OnCharacters;
    sax.internalSubset = OnDocumentType;
    sax.serror = IgnoreError;
    return sax;
}

} // namespace

XmlStream::XmlStream(XmlHandler& handler) : m_state(std::make_unique<State>(handler))
{
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialised;
}

XmlStream::~XmlStream() = default;

bool XmlStream::Feed(std::string_view chunk, std::string& reason)
{
    State& s = *m_state;
    if (s.stopped) {
        reason = s.reason;
        return false;
    }
    if (s.context == nullptr) {
        // The first bytes tell the parser the document's encoding.
        static xmlSAXHandler sax = MakeHandler();
        const std::size_t first = std::min<std::size_t>(chunk.size(), 4);
        s.context = xmlCreatePushParserCtxt(&sax, &s, chunk.data(), static_cast<int>(first), nullptr);
        if (s.context == nullptr) {
            reason = TAVELO_TR_NOOP("Search", "la mémoire manque pour le lire");
            s.stopped = true;
            return false;
        }
        xmlCtxtUseOptions(s.context, XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        chunk.remove_prefix(first);
    }
    while (!chunk.empty() && !s.stopped) {
        // xmlParseChunk takes an int size.
        const std::size_t part = std::min<std::size_t>(chunk.size(), std::size_t{1} << 20);
        if (xmlParseChunk(s.context, chunk.data(), static_cast<int>(part), 0) != 0 && !s.stopped) {
            s.stopped = true;
            s.reason = kDamaged;
        }
        chunk.remove_prefix(part);
    }
    if (s.stopped) {
        reason = s.reason;
        return false;
    }
    return true;
}

bool XmlStream::Finish(std::string& reason)
{
    State& s = *m_state;
    if (s.context == nullptr) {
        reason = kDamaged; // nothing at all
        return false;
    }
    if (!s.stopped && (xmlParseChunk(s.context, nullptr, 0, 1) != 0 || !s.context->wellFormed) && !s.stopped) {
        s.stopped = true;
        s.reason = kDamaged;
    }
    if (s.stopped) {
        reason = s.reason;
        return false;
    }
    return true;
}

bool PieceText::Append(std::string_view text)
{
    if (text.size() > kMaxDocumentTextBytes - m_text.size())
        return false;
    m_text.append(text);
    return true;
}

void PieceText::EndWith(char replaced, char added)
{
    if (m_text.empty())
        return;
    if (m_text.back() == replaced)
        m_text.back() = added;
    else
        m_text.push_back(added);
}

std::string_view PieceText::Result()
{
    const std::size_t start = m_text.find_first_not_of(" \t\n");
    if (start == std::string::npos)
        return {};
    return std::string_view(m_text).substr(start, m_text.find_last_not_of(" \t\n") + 1 - start);
}

bool AddPiece(TextSink& sink, MatchRule rule, std::string_view text, std::string& reason)
{
    if (text.empty() || sink.Add(rule, text))
        return true;
    reason = TooMuchTextReason();
    return false;
}

std::string FormatCellNumber(double value)
{
    char buffer[64];
    for (const int digits : {15, 17}) {
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
        double back = 0;
        std::from_chars(buffer, written.ptr, back);
        if (back == value || digits == 17)
            return std::string(buffer, written.ptr);
    }
    return {};
}

bool ParseXmlNumber(std::string_view text, double& value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    return parsed.ec == std::errc() && parsed.ptr == text.data() + text.size();
}

} // namespace tavelo
