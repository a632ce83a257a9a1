#include "search/document_search.h"

#include "base/tr.h"
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

std::string UnreadableDocumentMessage(const std::string& path, const std::string& reason)
{
    return Format(Tr("Search", "Impossible de lire le document « %1 » : %2."), {path, Tr("Search", reason)});
}

int FindWord(const SearchPattern* pattern, const char* path)
{
    if (pattern == nullptr || path == nullptr)
        return 0;
    return SearchDocumentFile(path, DocumentKind::kPdf, *pattern).status == DocumentMatch::kFound ? 1 : 0;
}

} // namespace tavelo
