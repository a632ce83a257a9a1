#pragma once
// The English catalogue for the programs that run without Qt (tavelo-cli, and
// the window's --help before Qt starts). It is generated at build time from
// translations/tavelo_en.ts, the file the window's .qm is made from, so both
// read the same translations.

#include <cstddef>
#include <span>
#include <string>

#include "base/ui_language.h"

namespace tavelo {

struct CatalogueEntry {
    const char* context;
    const char* source;
    const char* translation;
};

// Sorted by context, then source (byte order). Defined by the generated file.
std::span<const CatalogueEntry> EnglishCatalogue();

// The translation of `source` in `context`; null when the catalogue has none.
const char* FindInCatalogue(std::span<const CatalogueEntry> catalogue, const char* context, const char* source);

// Installs the translator for `language`: the English catalogue, or none for
// French.
void UseCatalogue(UiLanguage language);

} // namespace tavelo
