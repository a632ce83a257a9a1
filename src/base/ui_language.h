#pragma once
// The language of the interface. French is the program's own language and the
// answer for every locale without a translation; English is chosen for English
// locales. The window and tavelo-cli decide with the same rule.

#include <string_view>

namespace tavelo {

enum class UiLanguage { kFrench, kEnglish };

// The rule of gettext: the locale of messages is the first set of LC_ALL,
// LC_MESSAGES and LANG; when it is neither unset nor "C"/"POSIX", LANGUAGE (a
// colon-separated list) comes before it. The first entry naming French or
// English decides; any other language is passed over.
// `getenv` is the lookup to use (std::getenv by default; tests pass their own).
UiLanguage LanguageFromEnvironment(const char* (*getenv)(const char*) = nullptr);

// "fr" or "en": the suffix of the translation files.
std::string_view LanguageCode(UiLanguage language);

} // namespace tavelo
