// tavelo-unicode.so: ICU's folding of one character and Boost.Regex's
// expressions over UTF-8, for the search, which loads this module the first
// time it needs either.

#include "search/unicode/unicode_module.h"

#include <memory>
#include <mutex>

#include <boost/regex/icu.hpp>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace tavelo::unicode {

struct Expression {
    boost::u32regex regex;
};

namespace {

bool IsMark(UChar32 c)
{
    const int8_t type = u_charType(c);
    return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK;
}

void AppendUtf8(std::string& out, UChar32 c)
{
    char buffer[4];
    int32_t length = 0;
    UBool error = false;
    U8_APPEND(buffer, length, 4, c, error);
    if (!error)
        out.append(buffer, static_cast<std::size_t>(length));
}

const icu::Normalizer2* Nfkd()
{
    static const icu::Normalizer2* const nfkd = [] {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Normalizer2* instance = icu::Normalizer2::getNFKDInstance(status);
        return U_FAILURE(status) ? nullptr : instance;
    }();
    return nfkd;
}

// œ, æ, ø, ł, đ, ß and the typographic signs do not decompose: Latin-ASCII
// gives them their letters. Made once (tens of milliseconds), used under its
// own lock, never destroyed (the cache's writer may fold at exit).
void ToLatinAscii(icu::UnicodeString& text)
{
    static std::mutex mutex;
    static icu::Transliterator* const latinAscii = [] {
        UErrorCode status = U_ZERO_ERROR;
        icu::Transliterator* made = icu::Transliterator::createInstance("Latin-ASCII", UTRANS_FORWARD, status);
        if (U_FAILURE(status)) {
            delete made;
            return static_cast<icu::Transliterator*>(nullptr);
        }
        return made;
    }();
    if (latinAscii == nullptr)
        return;
    const std::lock_guard lock(mutex);
    latinAscii->transliterate(text);
}

std::string FoldCharacter(char32_t character, bool words)
{
    const auto c = static_cast<UChar32>(character);
    if (IsMark(c))
        return {}; // a mark of a decomposed letter: part of the word, and gone
    if (!words && u_isalpha(c) == 0) {
        std::string same;
        AppendUtf8(same, c);
        return same;
    }
    icu::UnicodeString text(c);
    if (const icu::Normalizer2* nfkd = Nfkd()) {
        UErrorCode status = U_ZERO_ERROR;
        icu::UnicodeString decomposed = nfkd->normalize(text, status);
        if (U_SUCCESS(status))
            text = decomposed;
    }
    icu::UnicodeString kept;
    // Only a letter or a digit left outside ASCII needs Latin-ASCII; a sign
    // separates words whatever it is.
    bool ascii = true;
    for (int32_t i = 0; i < text.length();) {
        const UChar32 d = text.char32At(i);
        i += U16_LENGTH(d);
        if (!IsMark(d)) {
            kept.append(d);
            ascii = ascii && (d < 0x80 || u_isalnum(d) == 0);
        }
    }
    if (words)
        kept.foldCase(U_FOLD_CASE_DEFAULT);
    if (!ascii) {
        ToLatinAscii(kept);
        if (words)
            kept.foldCase(U_FOLD_CASE_DEFAULT);
    }
    std::string out;
    for (int32_t i = 0; i < kept.length();) {
        const UChar32 d = kept.char32At(i);
        i += U16_LENGTH(d);
        if (!words) {
            AppendUtf8(out, d);
        } else if (d < 0x80) {
            const bool word = (d >= '0' && d <= '9') || (d >= 'a' && d <= 'z');
            out += word ? static_cast<char>(d) : '\0';
        } else if (u_isalnum(d) == 0) {
            out += '\0';
        } else {
            AppendUtf8(out, d);
        }
    }
    return out;
}

Expression* Compile(const std::string& perl, bool ignoreCase, int& error)
{
    namespace rc = boost::regex_constants;
    error = 0;
    try {
        return new Expression{boost::make_u32regex(perl, ignoreCase ? rc::perl | rc::icase : rc::perl)};
    } catch (const boost::regex_error& e) {
        error = static_cast<int>(e.code());
    } catch (const std::exception&) {
        error = -1;
    }
    return nullptr;
}

void Release(Expression* expression)
{
    delete expression;
}

bool Search(const Expression& expression, std::string_view utf8)
{
    return boost::u32regex_search(utf8.data(), utf8.data() + utf8.size(), expression.regex);
}

void Matches(const Expression& expression, std::string_view utf8, std::size_t limit,
             std::vector<std::pair<std::size_t, std::size_t>>& found)
{
    using Iterator = boost::u8_to_u32_iterator<const char*>;
    const char* begin = utf8.data();
    const char* end = begin + utf8.size();
    boost::match_results<Iterator> match;
    Iterator from(begin, begin, end);
    const Iterator last(end, begin, end);
    while (found.size() < limit && boost::u32regex_search(from, last, match, expression.regex, boost::match_not_null)) {
        const std::size_t start = static_cast<std::size_t>(match[0].first.base() - begin);
        const std::size_t stop = static_cast<std::size_t>(match[0].second.base() - begin);
        found.emplace_back(start, stop);
        from = match[0].second;
    }
}

constexpr Api kApi{kApiVersion, FoldCharacter, Compile, Release, Search, Matches};

} // namespace

} // namespace tavelo::unicode

extern "C" __attribute__((visibility("default"))) const tavelo::unicode::Api* tavelo_unicode_api()
{
    return &tavelo::unicode::kApi;
}
