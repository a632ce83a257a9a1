#include "base/ui_language.h"

#include <cstdlib>

namespace tavelo {

namespace {

const char* SystemGetenv(const char* name)
{
    return std::getenv(name);
}

// "en_GB.UTF-8", "en", "fr_FR@euro" -> "en", "en", "fr".
std::string_view LanguagePart(std::string_view locale)
{
    const std::size_t end = locale.find_first_of("_.@-");
    return locale.substr(0, end);
}

bool Decides(std::string_view locale, UiLanguage& language)
{
    const std::string_view part = LanguagePart(locale);
    if (part == "fr") {
        language = UiLanguage::kFrench;
        return true;
    }
    if (part == "en") {
        language = UiLanguage::kEnglish;
        return true;
    }
    return false;
}

} // namespace

UiLanguage LanguageFromEnvironment(const char* (*getenv)(const char*))
{
    if (!getenv)
        getenv = &SystemGetenv;
    std::string_view locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(name);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    UiLanguage language = UiLanguage::kFrench;
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.substr(0, 2) == "C.")
        return language;
    if (const char* list = getenv("LANGUAGE")) {
        std::string_view rest = list;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            if (Decides(rest.substr(0, colon), language))
                return language;
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    Decides(locale, language);
    return language;
}

std::string_view LanguageCode(UiLanguage language)
{
    return language == UiLanguage::kEnglish ? "en" : "fr";
}

} // namespace tavelo
