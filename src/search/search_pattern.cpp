#include "search/search_pattern.h"

#include <algorithm>
#include <array>
#include <mutex>

#include <boost/regex/v4/error_type.hpp>

#include "base/tr.h"
#include "book/text.h"
#include "search/query/folding.h"
#include "search/unicode/unicode_module.h"

namespace tavelo {

namespace {

bool IsAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Length of the UTF-8 sequence that starts with this byte (1 for a stray byte).
std::size_t SequenceLength(std::string_view s, std::size_t pos)
{
    std::size_t end = pos;
    DecodeUtf8(s, end);
    return end - pos;
}

// Appends one character of the user's text so that the Perl syntax reads it
// literally.
void AppendLiteral(std::string& out, std::string_view ch)
{
    const auto c = static_cast<unsigned char>(ch[0]);
    if (ch.size() > 1 || IsAsciiAlnum(c) || c == '_') {
        out.append(ch);
    } else if (c < 0x20 || c == 0x7F) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        out += "\\x{";
        out += kHex[c >> 4];
        out += kHex[c & 15];
        out += '}';
    } else if (std::string_view("\\^$.|?*+()[]{}#").find(static_cast<char>(c)) != std::string_view::npos) {
        out += '\\';
        out += static_cast<char>(c);
    } else {
        // Left as is: escaped, a quote, a backquote, "<" or ">" would be an anchor.
        out += static_cast<char>(c);
    }
}

std::string EscapeLiteral(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t len = SequenceLength(text, pos);
        AppendLiteral(out, text.substr(pos, len));
        pos += len;
    }
    return out;
}

// The spreadsheet's find syntax: '*' and '?' are wildcards and '~' makes the
// next wildcard or tilde literal.
std::string CellWildcardToPerl(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t pos = 0; pos < text.size();) {
        const char c = text[pos];
        if (c == '~' && pos + 1 < text.size() && (text[pos + 1] == '*' || text[pos + 1] == '?' || text[pos + 1] == '~')) {
            AppendLiteral(out, text.substr(pos + 1, 1));
            pos += 2;
        } else if (c == '*') {
            out += "[\\s\\S]*";
            ++pos;
        } else if (c == '?') {
            out += "[\\s\\S]";
            ++pos;
        } else {
            const std::size_t len = SequenceLength(text, pos);
            AppendLiteral(out, text.substr(pos, len));
            pos += len;
        }
    }
    return out;
}

std::string NotInsideWord(const std::string& perl)
{
    return "(?<!\\w)(?:" + perl + ")(?!\\w)";
}

// Invalid sequences become U+FFFD, which the UTF-8 iterators of the library
// would otherwise refuse with an exception.
std::string ValidUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();)
        AppendUtf8(out, DecodeUtf8(text, pos));
    return out;
}

std::string DescribeSyntaxError(boost::regex_constants::error_type code)
{
    namespace rc = boost::regex_constants;
    switch (code) {
    case rc::error_paren: return Tr("Search", "une parenthèse n'est pas appariée");
    case rc::error_brack: return Tr("Search", "un crochet n'est pas fermé");
    case rc::error_badrepeat: return Tr("Search", "une répétition ne porte sur rien");
    case rc::error_escape: return Tr("Search", "une barre oblique inverse est mal placée");
    case rc::error_brace: return Tr("Search", "des accolades sont mal formées");
    case rc::error_badbrace: return Tr("Search", "un nombre de répétitions entre accolades est invalide");
    case rc::error_range: return Tr("Search", "un intervalle entre crochets est invalide");
    case rc::error_ctype: return Tr("Search", "un nom de classe de caractères est inconnu");
    case rc::error_collate: return Tr("Search", "un nom d'élément entre crochets est inconnu");
    case rc::error_backref: return Tr("Search", "une référence arrière ne renvoie à aucun groupe");
    case rc::error_complexity:
    case rc::error_space:
    case rc::error_stack: return Tr("Search", "l'expression est trop complexe");
    default: return Tr("Search", "l'expression est mal formée");
    }
}

// Whether the word has no character with a meaning in the syntax in use, so
// that every match contains it as typed.
bool IsPlainWord(std::string_view word, bool matchCase)
{
    const std::string_view special = matchCase ? "\\^$.|?*+()[]{}" : "\\^$.|?*+([";
    return word.find_first_of(special) == std::string_view::npos;
}

} // namespace

// Each expression is compiled when first run: compiling one with ICU's case
// rules costs more than searching a folder of plain text that the literal
// filters answer for alone, and a search that compiles none never loads the
// module that compiles them. An expression that may be malformed is compiled
// at once, so that the error is the constructor's.
class SearchPattern::Compiled {
public:
    enum Which { kPattern, kLiteral, kCell, kCount };

    Compiled() = default;
    Compiled(const Compiled&) = delete;
    Compiled& operator=(const Compiled&) = delete;
    ~Compiled()
    {
        for (unicode::Expression* expression : m_expression)
            if (expression != nullptr)
                unicode::Module().release(expression);
    }

    // Throws a PatternError for `word` when the expression compiled at once
    // is malformed.
    void Set(Which which, std::string perl, bool ignoreCase, bool now, const std::string& word)
    {
        m_perl[which] = std::move(perl);
        m_ignoreCase[which] = ignoreCase;
        if (!now)
            return;
        int error = 0;
        if (Get(which, &error) == nullptr)
            throw PatternError(Format(Tr("Search", "Le mot « %1 » ne peut pas être recherché : %2."),
                                      {word, error < 0 ? Tr("Search", "l'expression est mal formée")
                                                       : DescribeSyntaxError(static_cast<boost::regex_constants::error_type>(error))}));
    }

    // Null only for an expression that does not compile.
    const unicode::Expression* Get(Which which, int* error = nullptr)
    {
        std::call_once(m_once[which], [&] {
            m_expression[which] = unicode::Module().compile(m_perl[which], m_ignoreCase[which], m_error[which]);
        });
        if (error != nullptr)
            *error = m_error[which];
        return m_expression[which];
    }

    const unicode::Expression* For(MatchRule rule)
    {
        return Get(rule == MatchRule::kPattern ? kPattern : rule == MatchRule::kWordProcessor ? kLiteral : kCell);
    }

private:
    std::array<std::string, kCount> m_perl;
    std::array<bool, kCount> m_ignoreCase{};
    std::array<std::once_flag, kCount> m_once;
    std::array<unicode::Expression*, kCount> m_expression{};
    std::array<int, kCount> m_error{};
};

namespace {

// The expression's answer; an expression that did not compile matches nothing.
bool Run(const unicode::Expression* expression, std::string_view utf8)
{
    return expression != nullptr && unicode::Module().search(*expression, utf8);
}

} // namespace

std::string BuildPatternText(std::string_view word, bool wholeWord)
{
    if (!wholeWord)
        return std::string(word);
    std::string text = "\\b(";
    text += word;
    text += ")\\b";
    return text;
}

std::string TranslateCaseInsensitiveSyntax(std::string_view in)
{
    std::string out;
    out.reserve(in.size() * 2);
    // Where a repeat may not stand: at the start, after "(", "|" or "^". There
    // it is an ordinary character.
    bool atOperandStart = true;
    // Index in `out` of the repeat just written, when the previous token was a
    // repeat: a second repeat combines with it as (x{r1}){r2} would.
    std::size_t lastRepeat = std::string::npos;
    std::size_t pos = 0;
    while (pos < in.size()) {
        const char c = in[pos];
        if (c == '*' || c == '+' || c == '?') {
            ++pos;
            if (atOperandStart) {
                AppendLiteral(out, std::string_view(&c, 1));
                atOperandStart = false;
                lastRepeat = std::string::npos;
            } else if (lastRepeat != std::string::npos) {
                char& prev = out[lastRepeat];
                if (prev == '*' || c == '*' || prev != c)
                    prev = '*';
            } else {
                lastRepeat = out.size();
                out += c;
            }
            continue;
        }
        lastRepeat = std::string::npos;
        switch (c) {
        case '\\': {
            if (pos + 1 >= in.size()) {
                out += '\\'; // a trailing backslash stays an error
                ++pos;
                break;
            }
            const std::size_t len = SequenceLength(in, pos + 1);
            const std::string_view next = in.substr(pos + 1, len);
            const auto n = static_cast<unsigned char>(next[0]);
            static constexpr std::string_view kKept = "bBwWsSdD<>`'";
            if (len == 1 && kKept.find(static_cast<char>(n)) != std::string_view::npos) {
                out += '\\';
                out += static_cast<char>(n);
            } else {
                // No back-references nor Perl escapes: an escaped character is
                // that character.
                AppendLiteral(out, next);
            }
            pos += 1 + len;
            atOperandStart = false;
            break;
        }
        case '[': {
            out += '[';
            ++pos;
            if (pos < in.size() && in[pos] == '^')
                out += in[pos++];
            if (pos < in.size() && in[pos] == ']') {
                out += "\\]";
                ++pos;
            }
            while (pos < in.size() && in[pos] != ']') {
                // Backslashes and "[:" "[=" "[." are plain characters in this set.
                if (in[pos] == '\\' || in[pos] == '[')
                    out += '\\';
                out += in[pos++];
            }
            if (pos < in.size())
                out += in[pos++];
            atOperandStart = false;
            break;
        }
        case '{':
        case '}':
            out += '\\';
            out += c;
            ++pos;
            atOperandStart = false;
            break;
        case '(':
        case '|':
        case '^':
            out += c;
            ++pos;
            atOperandStart = true;
            break;
        default: {
            const std::size_t len = SequenceLength(in, pos);
            out.append(in.substr(pos, len));
            pos += len;
            atOperandStart = false;
            break;
        }
        }
    }
    return out;
}

SearchPattern::SearchPattern(std::string_view word, SearchOptions options)
    : m_word(ValidUtf8(word)),
      m_patternText(BuildPatternText(options.ignoreAccents ? query::FoldAccents(m_word).text : m_word, options.wholeWord)),
      m_options(options)
{
    const std::string sought = options.ignoreAccents ? query::FoldAccents(m_word).text : m_word;
    m_compiled = std::make_unique<Compiled>();
    // Without any of these, the word is literal text and compiles.
    const bool literalWord = sought.find_first_of("\\^$.|?*+()[]{}") == std::string::npos;
    if (options.matchCase)
        m_compiled->Set(Compiled::kPattern, m_patternText, false, !literalWord, m_word);
    else
        m_compiled->Set(Compiled::kPattern, TranslateCaseInsensitiveSyntax(m_patternText), true, !literalWord, m_word);
    std::string literal = EscapeLiteral(sought);
    std::string cell = CellWildcardToPerl(sought);
    if (options.wholeWord) {
        literal = NotInsideWord(literal);
        cell = NotInsideWord(cell);
    }
    m_compiled->Set(Compiled::kLiteral, std::move(literal), true, false, m_word);
    m_compiled->Set(Compiled::kCell, std::move(cell), true, false, m_word);

    const auto lowered = [](std::string text) {
        for (char& c : text)
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        return text;
    };
    const bool mayBeSure = !options.wholeWord && !options.ignoreAccents && !sought.empty();
    if (IsPlainWord(sought, options.matchCase)) {
        m_patternFilter = LiteralFilter(sought, options.matchCase);
        m_sure = mayBeSure && m_patternFilter.Run() == (options.matchCase ? sought : lowered(sought));
    }
    m_literalFilter = LiteralFilter(sought, false);
    m_literalSure = mayBeSure && m_literalFilter.Run() == lowered(sought);
    // Every piece between wildcards is in a matching cell; a byte that no
    // ASCII run holds stands for the wildcards.
    std::string pieces = sought;
    for (char& c : pieces)
        if (c == '*' || c == '?' || c == '~')
            c = '\x80';
    m_cellFilter = LiteralFilter(pieces, false);
    m_cellSure = m_literalSure && pieces == sought;
}

SearchPattern::~SearchPattern() = default;
SearchPattern::SearchPattern(SearchPattern&&) noexcept = default;
SearchPattern& SearchPattern::operator=(SearchPattern&&) noexcept = default;

bool SearchPattern::Search(std::string_view utf8) const
{
    if (!m_options.ignoreAccents && !m_patternFilter.MayMatch(utf8))
        return false;
    if (IsValidUtf8(utf8))
        return SearchValidUtf8(utf8);
    const std::string valid = ValidUtf8(utf8);
    return SearchValidUtf8(valid);
}

// The text folded as the word was, then matched; the filters apply to the
// folded text.
bool SearchPattern::SearchFolded(std::string_view utf8, MatchRule rule) const
{
    const std::string folded = query::FoldAccents(utf8).text;
    if (!FilterFor(rule).MayMatch(folded))
        return false;
    return Run(m_compiled->For(rule), folded);
}

bool SearchPattern::SearchValidUtf8(std::string_view utf8) const
{
    return SearchBy(utf8, MatchRule::kPattern);
}

bool SearchPattern::SearchLiteral(std::string_view utf8) const
{
    return SearchBy(utf8, MatchRule::kWordProcessor);
}

bool SearchPattern::SearchCell(std::string_view utf8) const
{
    return SearchBy(utf8, MatchRule::kCell);
}

const LiteralFilter& SearchPattern::FilterFor(MatchRule rule) const
{
    return rule == MatchRule::kPattern ? m_patternFilter : rule == MatchRule::kWordProcessor ? m_literalFilter : m_cellFilter;
}

bool SearchPattern::SearchBy(std::string_view utf8, MatchRule rule) const
{
    if (m_options.ignoreAccents)
        return SearchFolded(utf8, rule);
    if (!FilterFor(rule).MayMatch(utf8))
        return false;
    const bool sure = rule == MatchRule::kPattern ? m_sure : rule == MatchRule::kWordProcessor ? m_literalSure : m_cellSure;
    return sure || Run(m_compiled->For(rule), utf8);
}

std::vector<std::string> SearchPattern::RequiredLiterals() const
{
    // The cache's index holds the texts as written, accents and all.
    if (m_options.ignoreAccents)
        return {};
    std::vector<std::string> literals;
    for (const LiteralFilter* filter : {&m_patternFilter, &m_literalFilter, &m_cellFilter}) {
        std::string run = filter->Run();
        if (run.size() < 3)
            return {};
        for (char& c : run)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        if (std::find(literals.begin(), literals.end(), run) == literals.end())
            literals.push_back(std::move(run));
    }
    return literals;
}

std::vector<std::pair<std::size_t, std::size_t>> SearchPattern::Matches(std::string_view utf8, MatchRule rule,
                                                                        std::size_t limit) const
{
    if (!m_options.ignoreAccents)
        return MatchesIn(utf8, rule, limit);
    std::vector<std::pair<std::size_t, std::size_t>> found;
    const query::AccentFolded folded = query::FoldAccents(utf8);
    for (const auto& [begin, end] : MatchesIn(folded.text, rule, limit))
        found.push_back(folded.Original(begin, end));
    return found;
}

std::vector<std::pair<std::size_t, std::size_t>> SearchPattern::MatchesIn(std::string_view utf8, MatchRule rule,
                                                                          std::size_t limit) const
{
    std::vector<std::pair<std::size_t, std::size_t>> found;
    if (const unicode::Expression* expression = m_compiled->For(rule))
        unicode::Module().matches(*expression, utf8, limit, found);
    return found;
}

} // namespace tavelo
