#pragma once
// What the search takes from ICU and Boost.Regex, in a module of its own
// (tavelo-unicode.so) loaded the first time it is needed: the folding of one
// character, and regular expressions over UTF-8 text. Loading those
// libraries costs a process about a millisecond, which a search for a plain
// word in plain text, or a command that searches nothing, need not pay.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavelo::unicode {

struct Expression; // a compiled expression, the module's own

struct Api {
    int version;
    // The character `c` folded: for words (case, accents and ligatures,
    // '\0' for a sign), or its accents and ligatures only.
    std::string (*foldCharacter)(char32_t c, bool words);
    // A Perl expression, with case ignored or not; null with `error` set to
    // Boost.Regex's error_type, or -1 for any other failure.
    Expression* (*compile)(const std::string& perl, bool ignoreCase, int& error);
    void (*release)(Expression* expression);
    bool (*search)(const Expression& expression, std::string_view utf8);
    // The byte spans of up to `limit` non-empty matches, in order.
    void (*matches)(const Expression& expression, std::string_view utf8, std::size_t limit,
                    std::vector<std::pair<std::size_t, std::size_t>>& found);
};

inline constexpr int kApiVersion = 1;
inline constexpr const char* kModuleName = "tavelo-unicode.so";
inline constexpr const char* kEntryPoint = "tavelo_unicode_api";

// The module, loaded on the first call. When it cannot be, the process ends
// with the message of TryModule on the standard error: the installation is
// damaged, and no search could go on.
const Api& Module();

// The module, loaded on the first call; null, with a message in French, when
// it cannot be loaded (a window says so at its start).
const Api* TryModule(std::string& message);

// The module at `path`, loaded for the caller alone; null with a message in
// French when it cannot be.
const Api* Open(const std::string& path, std::string& message);

} // namespace tavelo::unicode
