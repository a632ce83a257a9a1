// Saved web pages (.html, .htm): libxml2's HTML parser, the one browsers'
// error recovery was modelled on, driven by its SAX callbacks so that no
// tree is built: the text is gathered as the parser goes, with a depth count
// instead of a stack of elements, whatever the page's nesting.

#include "reading/formats/html.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <mutex>

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include "base/tr.h"
#include "book/text.h"
#include "reading/formats/charset.h"
#include "reading/text_decoding.h"

namespace tavelo {

namespace {

// Browsers look for the <meta> that names the character set in the first
// 1,024 bytes; some saved pages put it after longer heads.
constexpr std::size_t kMetaScanBytes = 4096;

bool IsHtmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != prefix[i])
            return false;
    return true;
}

std::string Lowered(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

struct Attribute {
    std::string name;
    std::string_view value;
};

// Reads the attribute at `pos` inside a tag, as browsers' pre-scan does;
// false at the tag's end ('>' or the end of the bytes), `pos` then past it.
bool NextAttribute(std::string_view tag, std::size_t& pos, Attribute& attribute)
{
    while (pos < tag.size() && (IsHtmlSpace(tag[pos]) || tag[pos] == '/'))
        ++pos;
    if (pos >= tag.size() || tag[pos] == '>') {
        pos = std::min(pos + 1, tag.size());
        return false;
    }
    const std::size_t start = pos;
    while (pos < tag.size() && !IsHtmlSpace(tag[pos]) && tag[pos] != '=' && tag[pos] != '>' &&
           (tag[pos] != '/' || pos == start))
        ++pos;
    attribute.name = Lowered(tag.substr(start, pos - start));
    attribute.value = {};
    while (pos < tag.size() && IsHtmlSpace(tag[pos]))
        ++pos;
    if (pos >= tag.size() || tag[pos] != '=')
        return true;
    ++pos;
    while (pos < tag.size() && IsHtmlSpace(tag[pos]))
        ++pos;
    if (pos < tag.size() && (tag[pos] == '"' || tag[pos] == '\'')) {
        const std::size_t close = tag.find(tag[pos], pos + 1);
        const std::size_t end = close == std::string_view::npos ? tag.size() : close;
        attribute.value = tag.substr(pos + 1, end - pos - 1);
        pos = std::min(end + 1, tag.size());
        return true;
    }
    const std::size_t valueStart = pos;
    while (pos < tag.size() && !IsHtmlSpace(tag[pos]) && tag[pos] != '>')
        ++pos;
    attribute.value = tag.substr(valueStart, pos - valueStart);
    return true;
}

// The charset named in a Content-Type value: "text/html; charset=utf-8".
std::string_view CharsetOfContentType(std::string_view content)
{
    for (std::size_t at = 0; at + 7 <= content.size(); ++at) {
        if (!StartsWithNoCase(content.substr(at), "charset"))
            continue;
        std::size_t pos = at + 7;
        while (pos < content.size() && IsHtmlSpace(content[pos]))
            ++pos;
        if (pos >= content.size() || content[pos] != '=')
            continue;
        ++pos;
        while (pos < content.size() && IsHtmlSpace(content[pos]))
            ++pos;
        if (pos < content.size() && (content[pos] == '"' || content[pos] == '\'')) {
            const std::size_t close = content.find(content[pos], pos + 1);
            return close == std::string_view::npos ? std::string_view() : content.substr(pos + 1, close - pos - 1);
        }
        const std::size_t start = pos;
        while (pos < content.size() && !IsHtmlSpace(content[pos]) && content[pos] != ';')
            ++pos;
        return content.substr(start, pos - start);
    }
    return {};
}

// Block elements: their text starts on a line of its own.
constexpr std::string_view kBlocks[] = {
    "address", "article", "aside",  "blockquote", "body",   "br",      "caption", "center", "dd",
    "details", "dialog",  "dir",    "div",        "dl",     "dt",      "fieldset", "figcaption", "figure",
    "footer",  "form",    "frameset", "h1",       "h2",     "h3",      "h4",      "h5",     "h6",
    "head",    "header",  "hgroup", "hr",         "html",   "legend",  "li",      "listing", "main",
    "menu",    "nav",     "ol",     "option",     "p",      "plaintext", "pre",   "section", "summary",
    "table",   "tbody",   "tfoot",  "thead",      "title",  "tr",      "ul",      "xmp",
};
static_assert(std::is_sorted(std::begin(kBlocks), std::end(kBlocks)));

// Elements whose content a browser does not show as text.
constexpr std::string_view kHidden[] = {"noscript", "script", "style", "template"};
// Elements whose white space is kept.
constexpr std::string_view kPreformatted[] = {"listing", "plaintext", "pre", "textarea", "xmp"};

bool In(std::string_view name, const std::string_view* begin, const std::string_view* end)
{
    return std::binary_search(begin, end, name);
}

template <std::size_t N>
bool In(std::string_view name, const std::string_view (&list)[N])
{
    return In(name, list, list + N);
}

// The text of the page as the parser reports it, made into what a browser
// shows.
class PageText {
public:
    explicit PageText(xmlParserCtxtPtr parser) : m_parser(parser) {}

    void Start(std::string_view name)
    {
        if (++m_depth > kMaxHtmlDepth) {
            Fail(TAVELO_TR_NOOP("Search", "la page imbrique ses éléments trop profondément"));
            return;
        }
        if (m_hiddenFrom != 0)
            return;
        if (In(name, kHidden)) {
            m_hiddenFrom = m_depth;
            return;
        }
        if (name == "title" && m_titleFrom == 0)
            m_titleFrom = m_depth;
        if (In(name, kPreformatted))
            ++m_preformatted;
        Separate(name);
    }

    void End(std::string_view name)
    {
        if (m_hiddenFrom == 0) {
            if (m_titleFrom == m_depth)
                m_titleFrom = -1; // the first title only
            if (In(name, kPreformatted) && m_preformatted > 0)
                --m_preformatted;
            Separate(name);
        } else if (m_hiddenFrom == m_depth) {
            m_hiddenFrom = 0;
        }
        if (m_depth > 0)
            --m_depth;
    }

    void Text(std::string_view text)
    {
        if (m_hiddenFrom != 0 || m_failed)
            return;
        if (m_titleFrom > 0) {
            Append(m_title, m_titleGap, text, false);
            return;
        }
        Append(m_body, m_gap, text, m_preformatted > 0);
        if (m_body.size() > kMaxDocumentTextBytes)
            Fail(TooMuchTextReason());
    }

    bool Failed() const { return m_failed; }
    const std::string& Reason() const { return m_reason; }
    const std::string& Title() const { return m_title; }
    const std::string& Body() const { return m_body; }

private:
    enum Gap : std::uint8_t { kNone, kSpace, kTab, kLine };

    void Fail(const char* reason)
    {
        if (!m_failed) {
            m_failed = true;
            m_reason = reason;
            xmlStopParser(m_parser);
        }
    }

    void Separate(std::string_view name)
    {
        if (name == "td" || name == "th")
            m_gap = std::max(m_gap, kTab);
        else if (In(name, kBlocks))
            m_gap = kLine;
    }

    static void Flush(std::string& out, Gap& gap)
    {
        if (!out.empty() && gap != kNone)
            out += gap == kLine ? '\n' : gap == kTab ? '\t' : ' ';
        gap = kNone;
    }

    // Appends text, its runs of white space made one gap unless kept. A
    // no-break space shows as a space; the C1 controls, which only numeric
    // references such as &#150; can give here, are the Windows-1252
    // characters of those codes, as browsers read them.
    static void Append(std::string& out, Gap& gap, std::string_view text, bool keepSpace)
    {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (keepSpace && (c == '\n' || c == '\t' || c == ' ')) {
                Flush(out, gap);
                out += c;
            } else if (IsHtmlSpace(c)) {
                if (!keepSpace)
                    gap = std::max(gap, kSpace);
            } else if (c == '\xC2' && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                       static_cast<unsigned char>(text[i + 1]) <= 0xA0) {
                Flush(out, gap);
                const char code = text[++i];
                if (code == '\xA0')
                    out += ' ';
                else
                    AppendCp1252AsUtf8(out, std::string_view(&code, 1));
            } else {
                Flush(out, gap);
                out += c;
            }
        }
    }

    xmlParserCtxtPtr m_parser;
    int m_depth = 0;
    int m_hiddenFrom = 0;
    int m_titleFrom = 0;
    int m_preformatted = 0;
    Gap m_gap = kNone;
    Gap m_titleGap = kNone;
    std::string m_title;
    std::string m_body;
    bool m_failed = false;
    std::string m_reason;
};

PageText& Page(void* context)
{
    return *static_cast<PageText*>(context);
}

std::string_view Name(const xmlChar* name)
{
    return name == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(name));
}

void OnStart(void* context, const xmlChar* name, const xmlChar**)
{
    Page(context).Start(Name(name));
}

void OnEnd(void* context, const xmlChar* name)
{
    Page(context).End(Name(name));
}

void OnText(void* context, const xmlChar* text, int length)
{
    if (length > 0)
        Page(context).Text(std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)));
}

void IgnoreError(void*, xmlErrorPtr) {}

// The page's bytes as UTF-8, in the character set a browser would choose.
std::string DecodePage(std::string_view bytes, std::string_view charset)
{
    std::string text;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF" || bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        std::string storage;
        text = DecodeTextFile(bytes, storage);
    } else if (!charset.empty() && IsKnownCharset(charset)) {
        text = DecodeCharset(bytes, charset);
    } else {
        std::string declared = MetaCharset(bytes);
        if (IsUtf16Charset(declared))
            declared = "utf-8";
        text = DecodeCharset(bytes, declared);
    }
    // The parser ends its input at a NUL; a browser shows nothing for one.
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return text;
}

} // namespace

std::string MetaCharset(std::string_view bytes)
{
    const std::string_view head = bytes.substr(0, kMetaScanBytes);
    std::size_t pos = 0;
    while ((pos = head.find('<', pos)) != std::string_view::npos) {
        const std::string_view rest = head.substr(pos);
        if (rest.substr(0, 4) == "<!--") {
            const std::size_t end = head.find("-->", pos + 4);
            if (end == std::string_view::npos)
                return {};
            pos = end + 3;
            continue;
        }
        const bool meta = StartsWithNoCase(rest, "<meta") && rest.size() > 5 && (IsHtmlSpace(rest[5]) || rest[5] == '/');
        const bool tag = rest.size() > 1 && (std::isalpha(static_cast<unsigned char>(rest[1])) ||
                                             (rest[1] == '/' && rest.size() > 2 &&
                                              std::isalpha(static_cast<unsigned char>(rest[2]))));
        if (!meta && !tag) {
            // <!DOCTYPE>, <?xml ...?> and the like.
            const std::size_t end = head.find('>', pos + 1);
            if (end == std::string_view::npos)
                return {};
            pos = end + 1;
            continue;
        }
        std::size_t at = pos + (meta ? 5 : 1);
        while (at < head.size() && !IsHtmlSpace(head[at]) && head[at] != '>' && head[at] != '/')
            ++at;
        Attribute attribute;
        std::string_view charset;
        std::string_view content;
        bool contentType = false;
        while (NextAttribute(head, at, attribute)) {
            if (attribute.name == "charset" && charset.empty())
                charset = attribute.value;
            else if (attribute.name == "content" && content.empty())
                content = attribute.value;
            else if (attribute.name == "http-equiv")
                contentType = Lowered(attribute.value) == "content-type";
        }
        pos = at;
        if (!meta)
            continue;
        if (charset.empty() && contentType)
            charset = CharsetOfContentType(content);
        while (!charset.empty() && IsHtmlSpace(charset.front()))
            charset.remove_prefix(1);
        while (!charset.empty() && IsHtmlSpace(charset.back()))
            charset.remove_suffix(1);
        if (!charset.empty())
            return std::string(charset);
    }
    return {};
}

bool ReadHtmlPage(std::string_view bytes, std::string_view charset, TextSink& sink, std::string& reason)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });

    const std::string text = DecodePage(bytes, charset);
    if (text.size() > static_cast<std::size_t>(INT_MAX)) {
        reason = TAVELO_TR_NOOP("Search", "la page est trop volumineuse");
        return false;
    }
    if (text.empty())
        return true;
    const htmlParserCtxtPtr parser = htmlCreateMemoryParserCtxt(text.data(), static_cast<int>(text.size()));
    if (parser == nullptr) {
        reason = TAVELO_TR_NOOP("Search", "la page ne peut pas être lue");
        return false;
    }
    // Without an encoding of its own the parser takes bytes past ASCII for
    // Latin-1, or for what a <meta> says.
    xmlSwitchEncoding(parser, XML_CHAR_ENCODING_UTF8);
    PageText page(parser);
    htmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.startElement = OnStart;
    handler.endElement = OnEnd;
    handler.characters = OnText;
    handler.ignorableWhitespace = OnText;
    // Scripts and styles come as CDATA; PageText leaves them out.
    handler.cdataBlock = OnText;
    // With this mark the parser hands its complaints to serror, which drops
    // them, instead of writing them on the standard error stream.
    handler.initialized = XML_SAX2_MAGIC;
    handler.serror = IgnoreError;
    *parser->sax = handler;
    parser->userData = &page;
    // A <meta> further on must not make the parser decode the UTF-8 again.
    // No option reaches the network.
    htmlCtxtUseOptions(parser, HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                   HTML_PARSE_IGNORE_ENC | HTML_PARSE_NODEFDTD);
    htmlParseDocument(parser);
    htmlFreeParserCtxt(parser);
    if (page.Failed()) {
        reason = page.Reason();
        return false;
    }
    for (const std::string* piece : {&page.Title(), &page.Body()}) {
        if (piece->empty())
            continue;
        const std::string repaired = IsValidUtf8(*piece) ? std::string() : DecodeCharset(*piece, "utf-8");
        if (!sink.Add(MatchRule::kPattern, repaired.empty() ? *piece : repaired)) {
            reason = TooMuchTextReason();
            return false;
        }
    }
    return true;
}

bool ReadHtml(const FormatInput& input, TextSink& sink, std::string& reason)
{
    return ReadHtmlPage(input.bytes, {}, sink, reason);
}

} // namespace tavelo
