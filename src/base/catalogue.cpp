#include "base/catalogue.h"

#include <algorithm>
#include <cstring>

#include "base/tr.h"

namespace tavelo {

namespace {

int Compare(const CatalogueEntry& entry, const char* context, const char* source)
{
    const int byContext = std::strcmp(entry.context, context);
    return byContext != 0 ? byContext : std::strcmp(entry.source, source);
}

std::string EnglishTranslator(const char* context, const char* text)
{
    const char* translation = FindInCatalogue(EnglishCatalogue(), context, text);
    return translation ? std::string(translation) : std::string(text);
}

} // namespace

const char* FindInCatalogue(std::span<const CatalogueEntry> catalogue, const char* context, const char* source)
{
    const auto it = std::lower_bound(catalogue.begin(), catalogue.end(), 0,
                                     [&](const CatalogueEntry& entry, int) { return Compare(entry, context, source) < 0; });
    if (it == catalogue.end() || Compare(*it, context, source) != 0)
        return nullptr;
    return it->translation;
}

void UseCatalogue(UiLanguage language)
{
    SetTranslator(language == UiLanguage::kEnglish ? &EnglishTranslator : nullptr);
}

} // namespace tavelo
