#include "search/document_search.h"

#include "base/tr.h"
#include "book/file_io.h"
#include "book/tenorels.h"
#include "search/document_file.h"
#include "search/document_text.h"
#include "search/pdf_document.h"
#include "search/search_pattern.h"
#include "search/spreadsheet.h"
#include "search/word_document.h"

namespace tavelo {

namespace {

DocumentMatch Found(bool found)
{
    return {found ? DocumentMatch::kFound : DocumentMatch::kNotFound, {}};
}

DocumentMatch Unreadable(const std::string& path, const std::string& reason)
{
    return {DocumentMatch::kUnreadable, Format(Tr("Search", "Impossible de lire le document « %1 » : %2."), {path, Tr("Search", reason)})};
}

DocumentMatch SearchFile(const std::string& path, DocumentKind kind, const SearchPattern& pattern)
{
    std::string reason;
    switch (kind) {
    case DocumentKind::kText:
        return Found(SearchTextBytes(ReadDocumentBytes(path), pattern));
    case DocumentKind::kRtf:
        return Found(SearchRtfBytes(ReadDocumentBytes(path), pattern));
    case DocumentKind::kPdf: {
        CheckRegularFile(path);
        const PdfSearch result = SearchPdfFile(pattern, path, reason);
        if (result == PdfSearch::kUnreadable)
            return Unreadable(path, reason);
        return Found(result == PdfSearch::kFound);
    }
    case DocumentKind::kWord: {
        const std::string bytes = ReadDocumentBytes(path);
        const std::optional<std::string> text = ReadWordText(bytes, reason);
        if (!text)
            return Unreadable(path, reason);
        return Found(pattern.SearchLiteral(*text));
    }
    case DocumentKind::kSpreadsheet: {
        CheckRegularFile(path);
        const CellWalk walk =
            ForEachCellIsolated(path, [&pattern](std::string_view cell) { return pattern.SearchCell(cell); }, reason);
        if (walk == CellWalk::kUnreadable)
            return Unreadable(path, reason);
        return Found(walk == CellWalk::kStopped);
    }
    case DocumentKind::kOther:
        break;
    }
    return Found(false);
}

} // namespace

DocumentKind KindOfExtension(std::string_view extension)
{
    if (extension == "txt")
        return DocumentKind::kText;
    if (extension == "rtf")
        return DocumentKind::kRtf;
    if (extension == "pdf")
        return DocumentKind::kPdf;
    if (extension == "doc")
        return DocumentKind::kWord;
    if (extension == "xls")
        return DocumentKind::kSpreadsheet;
    return DocumentKind::kOther;
}

bool SearchTextBytes(std::string_view bytes, const SearchPattern& pattern)
{
    const bool utf16 = bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
    if (!utf16 && !pattern.MayMatchBytes(bytes))
        return false;
    std::string storage;
    return pattern.SearchValidUtf8(DecodeTextFile(bytes, storage));
}

bool SearchRtfBytes(std::string_view bytes, const SearchPattern& pattern)
{
    // A file named .rtf that is not RTF is searched as plain text.
    if (!LooksLikeRtf(bytes))
        return SearchTextBytes(bytes, pattern);
    return pattern.SearchValidUtf8(RtfToText(bytes));
}

DocumentMatch SearchDocumentFile(const std::string& path, DocumentKind kind, const SearchPattern& pattern)
{
    try {
        return SearchFile(path, kind, pattern);
    } catch (const FileError& e) {
        return {DocumentMatch::kUnreadable, e.what()};
    } catch (const std::bad_alloc&) {
        return Unreadable(path, TAVELO_TR_NOOP("Search", "la mémoire manque pour le lire"));
    } catch (const std::runtime_error&) {
        // The regular-expression library gives up on matches whose cost
        // explodes rather than running without end.
        return Unreadable(path, TAVELO_TR_NOOP("Search", "l'expression recherchée est trop complexe pour ce document"));
    }
}

bool SearchDocumentContents(const CTenorels& subject, const SearchPattern& pattern, SearchProgress* progress,
                            std::vector<UnreadableDocument>& unreadable)
{
    for (int i = 0; i < subject.GetDocumentCount(); ++i) {
        const std::string& path = subject.GetDocumentPath(i);
        if (progress != nullptr)
            progress->DocumentStarted(subject, Tr("Search", kSearchingFilePrefix) + subject.GetDocumentFileName(i));
        const DocumentKind kind = KindOfExtension(subject.GetDocumentExtension(i));
        if (kind == DocumentKind::kOther)
            continue;
        const DocumentMatch match = SearchDocumentFile(path, kind, pattern);
        if (match.status == DocumentMatch::kFound)
            return true;
        if (match.status == DocumentMatch::kUnreadable) {
            unreadable.push_back({&subject, path, match.reason});
            if (progress != nullptr)
                progress->DocumentUnreadable(unreadable.back());
        }
    }
    return false;
}

} // namespace tavelo
