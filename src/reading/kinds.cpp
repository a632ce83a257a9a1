#include "reading/kinds.h"

namespace tavelo {

namespace {

struct KindRow {
    DocumentKind kind;
    unsigned version;
    std::string_view extensions;
};

constexpr KindRow kRows[] = {
#define TAVELO_KIND_ROW(name, code, version, extensions) {DocumentKind::k##name, version, extensions},
    TAVELO_DOCUMENT_KINDS(TAVELO_KIND_ROW)
#undef TAVELO_KIND_ROW
};

// The table's extensions are lower case; scanners and cameras write .PDF and
// .JPG, and the file systems where books live make nothing of the case.
bool SameLetters(std::string_view tableExtension, std::string_view extension)
{
    if (tableExtension.size() != extension.size())
        return false;
    for (std::size_t i = 0; i < extension.size(); ++i) {
        char c = extension[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != tableExtension[i])
            return false;
    }
    return true;
}

bool ListHas(std::string_view list, std::string_view extension)
{
    while (!list.empty()) {
        const std::size_t space = list.find(' ');
        if (SameLetters(list.substr(0, space), extension))
            return true;
        if (space == std::string_view::npos)
            break;
        list.remove_prefix(space + 1);
    }
    return false;
}

} // namespace

DocumentKind KindOfExtension(std::string_view extension)
{
    if (extension.empty())
        return DocumentKind::kOther;
    for (const KindRow& row : kRows)
        if (ListHas(row.extensions, extension))
            return row.kind;
    return DocumentKind::kOther;
}

unsigned KindVersion(DocumentKind kind)
{
    for (const KindRow& row : kRows)
        if (row.kind == kind)
            return row.version;
    return 0;
}

DocumentKind KindOfCode(std::uint8_t code)
{
    for (const KindRow& row : kRows)
        if (static_cast<std::uint8_t>(row.kind) == code)
            return row.kind;
    return DocumentKind::kOther;
}

} // namespace tavelo
