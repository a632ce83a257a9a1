#pragma once
// The language of the window: French, the program's own, or English from
// tavelo_en.qm. The Qt-free core's texts (tavelo::Tr) are then translated by
// the same .qm through QCoreApplication::translate.

#include <QString>
#include <string_view>

#include "base/ui_language.h"

namespace tavelo::gui {

// Loads and installs the translation for `language` (none for French) and
// routes tavelo::Tr through Qt. False when English was asked for and its file
// could not be loaded: the interface then stays French.
bool InstallInterfaceLanguage(UiLanguage language);

// Removes what InstallInterfaceLanguage installed (tests switch languages).
void RemoveInterfaceLanguage();

// The app's own texts are in one context; a text marked with
// QT_TRANSLATE_NOOP("Tavelo", ...) is shown through this.
QString Tx(const char* text);

// A text of the core (UTF-8) for the window.
inline QString ToQ(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace tavelo::gui
