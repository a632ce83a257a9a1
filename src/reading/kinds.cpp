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

bool ListHas(std::string_view list, std::string_view extension)
{
    while (!list.empty()) {
        const std::size_t space = list.find(' ');
        if (list.substr(0, space) == extension)
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
