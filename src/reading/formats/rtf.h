#pragma once
// RTF documents: their visible text.

#include <string>
#include <string_view>

namespace tavelo {

// The visible text of an RTF document, as valid UTF-8: escapes ("\'xx" in the
// document's code page, "\uN" with its fallback skipped per "\ucN") and
// special characters decoded, groups and control words removed so that
// formatting never splits a word, and nothing taken from ignorable
// destinations ("{\*...}") nor from the font, colour, style, information,
// picture and similar tables. Paragraph and line ends become line feeds, tabs
// and cell ends tabs. Damaged input gives whatever text could be read.
std::string RtfToText(std::string_view rtf);

} // namespace tavelo
