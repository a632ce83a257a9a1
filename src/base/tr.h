#pragma once
// Translation of the program's own texts without Qt. Every user-visible text is
// written once, in French, where it is used:
//
//     tavelo::Tr("Export", "Le fichier %1 a été copié")        translated now
//     TAVELO_TR_NOOP("Export", "Copie du sujet")                marked only
//
// lupdate collects both forms into translations/tavelo_en.ts (the build runs it
// with Tr and TAVELO_TR_NOOP declared as aliases of translate and
// QT_TRANSLATE_NOOP). The first argument is the context and must be a literal,
// as must the text. A text marked with TAVELO_TR_NOOP is translated later with
// Tr(context, text) and the same context.
//
// Until a translator is installed (the window installs Qt's, tavelo-cli the
// generated catalogue), Tr gives the French text back unchanged. Texts that end
// up in files (book files, reports, Attendu.txt) are data and never go through
// Tr.

#include <initializer_list>
#include <string>
#include <string_view>

#define TAVELO_TR_NOOP(context, text) text

namespace tavelo {

// Returns the translation of `text` in `context`, or `text` itself.
std::string Tr(const char* context, const char* text);
// The same for a text held in a variable (marked where it was written).
std::string Tr(const char* context, std::string_view text);

// The translator: gets the context and the French text, gives the text to show.
using Translator = std::string (*)(const char* context, const char* text);
// Installed once at start-up, before any other thread runs; null restores French.
void SetTranslator(Translator translator);

// Replaces %1 to %9 in `pattern` by the arguments, in one pass: an argument that
// itself holds "%1" is not substituted again. A marker without an argument and
// any other '%' stay as they are.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> arguments);

} // namespace tavelo
