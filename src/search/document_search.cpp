#include "search/document_search.h"

#include <stdexcept>

#include "base/tr.h"
#include "book/text.h"
#include "reading/text_decoding.h"
#include "reading/text_source.h"
#include "search/search_pattern.h"

namespace tavelo {

bool MatchesText(const DocumentText& text, const SearchPattern& pattern)
{
    // One look at the whole text rules most documents out before any piece
    // is searched: what a piece holds, the whole text holds.
    const std::string& body = text.Body();
    const bool byPattern = text.HasRule(MatchRule::kPattern) && pattern.MayMatchBytes(body);
    const bool literal = text.HasRule(MatchRule::kWordProcessor) && pattern.MayMatchLiteral(body);
    const bool cell = text.HasRule(MatchRule::kCell) && pattern.MayMatchCell(body);
    if (!byPattern && !literal && !cell)
        return false;
    return text.AnyPiece([&](const TextPiece& piece) {
        switch (piece.rule) {
        case MatchRule::kPattern: return byPattern && pattern.SearchValidUtf8(piece.text);
        case MatchRule::kWordProcessor: return literal && pattern.SearchLiteral(piece.text);
        case MatchRule::kCell: return cell && pattern.SearchCell(piece.text);
        }
        return false;
    });
}

bool SearchTextBytes(std::string_view bytes, const SearchPattern& pattern)
{
    const bool utf16 = bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
    if (!utf16 && !pattern.MayMatchBytes(bytes))
        return false;
    // ASCII bytes are the same characters in UTF-8 and Windows-1252.
    if (!utf16 && bytes.substr(0, 3) != "\xEF\xBB\xBF" && pattern.SurelyMatchesBytes(bytes))
        return true;
    std::string storage;
    return pattern.SearchValidUtf8(DecodeTextFile(bytes, storage));
}

DocumentMatch MatchRead(const DocumentRead& read, DocumentKind kind, const SearchPattern& pattern)
{
    DocumentMatch match;
    try {
        switch (read.status) {
        case ReadStatus::kCancelled: match.status = DocumentMatch::kCancelled; break;
        case ReadStatus::kUnreadable:
        case ReadStatus::kNoReader:
            match.status = DocumentMatch::kUnreadable;
            match.reason = read.reason;
            break;
        case ReadStatus::kRead: {
            bool found = false;
            if (read.ruledOut)
                found = false;
            else if (IsReadInProcess(kind))
                found = SearchTextBytes(read.bytes, pattern);
            else
                found = MatchesText(read.text, pattern);
            match.status = found ? DocumentMatch::kFound : DocumentMatch::kNotFound;
            break;
        }
        }
    } catch (const std::bad_alloc&) {
        match = {DocumentMatch::kUnreadable, TAVELO_TR_NOOP("Search", "la mémoire manque pour le lire")};
    } catch (const std::runtime_error&) {
        // The regular-expression library gives up on matches whose cost
        // explodes rather than running without end.
        match = {DocumentMatch::kUnreadable, TAVELO_TR_NOOP("Search", "l'expression recherchée est trop complexe pour ce document")};
    }
    return match;
}

DocumentMatch SearchDocumentFile(const std::string& path, DocumentKind kind, const SearchPattern& pattern,
                                 TextSource& source, const ReadContext& context)
{
    try {
        return MatchRead(source.Read(path, kind, context), kind, pattern);
    } catch (const std::bad_alloc&) {
        return {DocumentMatch::kUnreadable, TAVELO_TR_NOOP("Search", "la mémoire manque pour le lire")};
    }
}

std::string TranslateReason(const std::string& reason)
{
    const std::string whole = Tr("Search", reason);
    if (whole != reason)
        return whole;
    // "the reason : a detail" (page numbers, sizes): the reason is translated,
    // the detail kept.
    const std::size_t colon = reason.rfind(" : ");
    if (colon == std::string::npos)
        return reason;
    const std::string head = reason.substr(0, colon);
    const std::string translated = Tr("Search", head);
    if (translated == head)
        return reason;
    return Format(Tr("Search", "%1 : %2"), {translated, reason.substr(colon + 3)});
}

std::string UnreadableDocumentMessage(const std::string& path, const std::string& reason)
{
    return Format(Tr("Search", "Impossible de lire le document « %1 » : %2."), {path, TranslateReason(reason)});
}

int FindWord(const SearchPattern* pattern, const char* path)
{
    if (pattern == nullptr || path == nullptr)
        return 0;
    return SearchDocumentFile(path, DocumentKind::kPdf, *pattern).status == DocumentMatch::kFound ? 1 : 0;
}

HitSpans FindHits(const DocumentText& text, const SearchPattern& pattern, std::size_t limit)
{
    HitSpans hits;
    std::size_t start = 0;
    try {
        text.AnyPiece([&](const TextPiece& piece) {
            for (const auto& [begin, end] : pattern.Matches(piece.text, piece.rule, limit - hits.size()))
                hits.emplace_back(start + begin, start + end);
            start += piece.text.size() + 1;
            return hits.size() >= limit;
        });
    } catch (const std::runtime_error&) {
        // The hits found so far are still right.
    }
    return hits;
}

HitSpans Utf8SpansToUtf16(std::string_view utf8, const HitSpans& spans)
{
    HitSpans converted;
    converted.reserve(spans.size());
    std::size_t byte = 0;
    std::size_t unit = 0;
    // The UTF-16 offset of a byte offset at or after the last one asked.
    const auto unitAt = [&](std::size_t target) {
        while (byte < target && byte < utf8.size()) {
            const auto lead = static_cast<unsigned char>(utf8[byte]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            byte += length;
            unit += length == 4 ? 2 : 1;
        }
        return unit;
    };
    for (const auto& [begin, end] : spans) {
        const std::size_t from = unitAt(begin);
        converted.emplace_back(from, unitAt(end));
    }
    return converted;
}

HitSpans FindHitsUtf16(std::u16string_view text, const SearchPattern& pattern, std::size_t limit)
{
    // A lone surrogate becomes U+FFFD: three bytes, one unit, as the spans count it.
    const std::string utf8 = Utf16ToUtf8(text);
    HitSpans hits;
    try {
        hits = pattern.Matches(utf8, MatchRule::kPattern, limit);
    } catch (const std::runtime_error&) {
        // Too complex for the regular-expression library: nothing to show.
    }
    return Utf8SpansToUtf16(utf8, hits);
}

} // namespace tavelo
