#include "reading/formats/format.h"

#include "base/tr.h"

namespace tavelo {

#define TAVELO_DECLARE_READER(name, code, version, extensions) \
    bool Read##name(const FormatInput& input, TextSink& sink, std::string& reason);
TAVELO_DOCUMENT_KINDS(TAVELO_DECLARE_READER)
#undef TAVELO_DECLARE_READER

const char* TooMuchTextReason()
{
    return TAVELO_TR_NOOP("Search", "son texte dépasse 32 Mio");
}

FormatReader ReaderOf(DocumentKind kind)
{
    switch (kind) {
#define TAVELO_READER_CASE(name, code, version, extensions) \
    case DocumentKind::k##name: return &Read##name;
        TAVELO_DOCUMENT_KINDS(TAVELO_READER_CASE)
#undef TAVELO_READER_CASE
    case DocumentKind::kOther: break;
    }
    return nullptr;
}

bool CollectingSink::Add(MatchRule rule, std::string_view text)
{
    if (text.size() > kMaxDocumentTextBytes - m_text.Size())
        return false;
    m_text.Append(rule, text);
    return true;
}

bool ReadDocumentText(DocumentKind kind, const FormatInput& input, DocumentText& text, std::string& reason)
{
    const FormatReader read = ReaderOf(kind);
    if (read == nullptr) {
        reason = TAVELO_TR_NOOP("Search", "ce genre de document n'est pas lu");
        return false;
    }
    CollectingSink sink;
    if (!read(input, sink, reason))
        return false;
    text = std::move(sink.Text());
    return true;
}

} // namespace tavelo
