#include "filing/identifiers.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tavelo::filing {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

bool IsLower(char c)
{
    return c >= 'a' && c <= 'z';
}

bool IsAlnum(char c)
{
    return IsDigit(c) || IsUpper(c) || IsLower(c);
}

char Upper(char c)
{
    return IsLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}

char Lower(char c)
{
    return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}

// The digit that OCR most often reads as this letter, or the letter in upper case.
char AsDigit(char c)
{
    switch (Upper(c)) {
    case 'O':
    case 'Q':
        return '0';
    case 'I':
    case 'L':
        return '1';
    case 'S':
        return '5';
    case 'B':
        return '8';
    case 'Z':
        return '2';
    case 'G':
        return '6';
    default:
        return Upper(c);
    }
}

bool IsLookAlike(char c)
{
    return IsAlnum(c) && !IsDigit(c) && AsDigit(c) != Upper(c);
}

struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct Token {
    std::size_t begin = 0;
    std::size_t end = 0;
    int digits = 0;
    int others = 0;    // letters that are no look-alike of a digit
    int lookAlike = 0; // letters OCR takes for digits

    std::size_t Size() const { return end - begin; }
    bool HasDigit() const { return digits > 0; }
    // A group of a number as scans and printers cut it: digits, perhaps a
    // few of them misread as letters.
    bool Numeric() const { return digits > 0 && others == 0 && lookAlike <= digits; }
};

bool Masked(const std::vector<Span>& masks, std::size_t pos)
{
    for (const Span& m : masks)
        if (pos >= m.begin && pos < m.end)
            return true;
    return false;
}

// The value of the four-character blocks of an IBAN moved to its end, mod 97.
int IbanRemainder(std::string_view compact)
{
    int remainder = 0;
    const auto feed = [&](char c) {
        if (IsDigit(c)) {
            remainder = (remainder * 10 + (c - '0')) % 97;
        } else {
            const int value = Upper(c) - 'A' + 10;
            remainder = (remainder * 100 + value) % 97;
        }
    };
    for (std::size_t i = 4; i < compact.size(); ++i)
        feed(compact[i]);
    for (std::size_t i = 0; i < 4; ++i)
        feed(compact[i]);
    return remainder;
}

// The lengths of IBANs of the countries whose papers a French household
// meets; another country's IBAN is taken at the longest length that checks.
int IbanLength(std::string_view country)
{
    static const std::array<std::pair<std::string_view, int>, 14> kLengths = {{{"FR", 27},
                                                                               {"MC", 27},
                                                                               {"DE", 22},
                                                                               {"BE", 16},
                                                                               {"LU", 20},
                                                                               {"CH", 21},
                                                                               {"ES", 24},
                                                                               {"IT", 27},
                                                                               {"PT", 25},
                                                                               {"NL", 18},
                                                                               {"GB", 22},
                                                                               {"IE", 22},
                                                                               {"AT", 20},
                                                                               {"PL", 28}}};
    for (const auto& [code, length] : kLengths)
        if (code == country)
            return length;
    return 0;
}

std::string GroupedByFour(std::string_view compact)
{
    std::string out;
    for (std::size_t i = 0; i < compact.size(); ++i) {
        if (i > 0 && i % 4 == 0)
            out += ' ';
        out += compact[i];
    }
    return out;
}

// The IBAN that starts at `pos`, if any: two letters, two check digits, then
// letters and digits in blocks of four separated by one space or none.
bool ReadIban(std::string_view text, std::size_t pos, Identifier& out, std::size_t& end)
{
    if (pos + 15 > text.size() || !IsUpper(text[pos]) || !IsUpper(text[pos + 1]))
        return false;
    if (pos > 0 && IsAlnum(text[pos - 1]))
        return false;
    std::string compact;
    std::vector<std::size_t> ends; // the text's position after each character
    std::size_t j = pos;
    while (j < text.size() && compact.size() < 34) {
        const char c = text[j];
        if (IsDigit(c) || IsUpper(c) || c == 'l' || c == 'o') {
            compact += c;
            ends.push_back(++j);
        } else if (c == ' ' && compact.size() % 4 == 0 && j + 1 < text.size() && IsAlnum(text[j + 1])) {
            ++j;
        } else {
            break;
        }
    }
    if (compact.size() < 15)
        return false;
    const int known = IbanLength(compact.substr(0, 2));
    for (std::size_t length = compact.size(); length >= 15; --length) {
        if (known != 0 && static_cast<int>(length) != known)
            continue;
        // It must end where a block or a word ends, not inside one.
        if (ends[length - 1] < text.size() && IsAlnum(text[ends[length - 1]]))
            continue;
        std::string candidate = compact.substr(0, length);
        for (char& c : candidate)
            c = Upper(c);
        if (!IsValidIban(candidate)) {
            // A scan may have read a digit as a letter: after the country,
            // French and most other IBANs are digits.
            for (std::size_t i = 2; i < candidate.size(); ++i)
                candidate[i] = AsDigit(candidate[i]);
            if (!IsValidIban(candidate))
                continue;
        }
        out.kind = IdentifierKind::kIban;
        out.label = ReferenceLabel::kNone;
        out.value = candidate;
        out.shown = GroupedByFour(candidate);
        end = ends[length - 1];
        return true;
    }
    return false;
}

bool IsLocalChar(char c)
{
    return IsAlnum(c) || c == '.' || c == '_' || c == '%' || c == '+' || c == '-';
}

bool IsDomainChar(char c)
{
    return IsAlnum(c) || c == '.' || c == '-';
}

// The e-mail address around the '@' at `at`: its domain, in lower case.
bool ReadEmail(std::string_view text, std::size_t at, Identifier& out, Span& span)
{
    std::size_t left = at;
    while (left > 0 && IsLocalChar(text[left - 1]))
        --left;
    std::size_t right = at + 1;
    while (right < text.size() && IsDomainChar(text[right]))
        ++right;
    while (right > at + 1 && (text[right - 1] == '.' || text[right - 1] == '-'))
        --right;
    if (left == at || right == at + 1)
        return false;
    std::string domain;
    for (std::size_t i = at + 1; i < right; ++i)
        domain += Lower(text[i]);
    const std::size_t dot = domain.rfind('.');
    if (dot == std::string::npos || dot == 0 || domain.size() - dot < 3)
        return false;
    for (std::size_t i = dot + 1; i < domain.size(); ++i)
        if (!IsLower(domain[i]))
            return false;
    out.kind = IdentifierKind::kEmailDomain;
    out.label = ReferenceLabel::kNone;
    out.value = domain;
    out.shown = domain;
    span = {left, right};
    return true;
}

// The kind of number the words just before it announce: on its line, or on
// the line above when it starts a line (a table's heading).
ReferenceLabel LabelBefore(std::string_view text, std::size_t begin, bool& company, bool& phone)
{
    constexpr std::size_t kReach = 32;
    std::size_t from = begin > kReach ? begin - kReach : 0;
    std::size_t lineStart = text.rfind('\n', begin == 0 ? 0 : begin - 1);
    if (begin == 0)
        lineStart = std::string_view::npos;
    if (lineStart != std::string_view::npos && lineStart + 1 == begin && lineStart > 0) {
        // Starts its line: the label is the line above's end.
        const std::size_t above = text.rfind('\n', lineStart - 1);
        from = std::max(from, above == std::string_view::npos ? 0 : above + 1);
    } else if (lineStart != std::string_view::npos) {
        from = std::max(from, lineStart + 1);
    }
    std::string context;
    for (std::size_t i = from; i < begin; ++i)
        context += Lower(text[i]);
    static const std::array<std::pair<std::string_view, ReferenceLabel>, 25> kWords = {{
        {"iban", ReferenceLabel::kNone},
        {"bic", ReferenceLabel::kNone},
        {"contrat", ReferenceLabel::kContract},
        {"police", ReferenceLabel::kContract},
        {"adh", ReferenceLabel::kContract},
        {"pr\xc3\xaat", ReferenceLabel::kContract},
        {"licence", ReferenceLabel::kContract},
        {"client", ReferenceLabel::kClient},
        {"abonn", ReferenceLabel::kClient},
        {"compte", ReferenceLabel::kClient},
        {"dossier", ReferenceLabel::kFile},
        {"commande", ReferenceLabel::kFile},
        {"matricule", ReferenceLabel::kFile},
        {"facture", ReferenceLabel::kInvoice},
        {"fiscal", ReferenceLabel::kTax},
        {"avis", ReferenceLabel::kTax},
        {"siret", ReferenceLabel::kNone},
        {"siren", ReferenceLabel::kNone},
        {"rcs", ReferenceLabel::kNone},
        {"tva", ReferenceLabel::kNone},
        {"orias", ReferenceLabel::kNone},
        {"capital", ReferenceLabel::kNone},
        {"t\xc3\xa9l", ReferenceLabel::kNone},
        {"tel", ReferenceLabel::kNone},
        {"fax", ReferenceLabel::kNone},
    }};
    ReferenceLabel label = ReferenceLabel::kNone;
    std::size_t latest = 0;
    bool found = false;
    company = false;
    phone = false;
    for (const auto& [word, meaning] : kWords) {
        const std::size_t at = context.rfind(word);
        if (at == std::string::npos)
            continue;
        if (!found || at >= latest) {
            latest = at;
            label = meaning;
            company = word == "siret" || word == "siren" || word == "rcs" || word == "tva";
            phone = word == "tel" || word == "fax" || word.substr(0, 2) == "t\xc3";
            found = true;
        }
    }
    return label;
}

// "01 23 45 67 89", "01.23.45.67.89": a telephone number, the issuer's and
// not the matter's.
bool IsPhone(std::string_view shown)
{
    if (shown.size() != 14 || shown[0] != '0')
        return false;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const bool separator = i % 3 == 2;
        if (separator ? (shown[i] != ' ' && shown[i] != '.') : !IsDigit(shown[i]))
            return false;
    }
    return true;
}

// What follows a number that makes it an amount: "€", "euros", "EUR".
bool FollowedByCurrency(std::string_view text, std::size_t end)
{
    std::size_t i = end;
    if (i < text.size() && text[i] == ' ')
        ++i;
    const std::string_view rest = text.substr(i, 5);
    return rest.rfind("\xe2\x82\xac", 0) == 0 || rest.rfind("euro", 0) == 0 || rest.rfind("EUR", 0) == 0;
}

// Whether tokens[i] begins a date such as 15/10/2025.
bool StartsDate(std::string_view text, const std::vector<Token>& tokens, std::size_t i)
{
    if (i + 2 >= tokens.size())
        return false;
    const Token& a = tokens[i];
    const Token& b = tokens[i + 1];
    const Token& c = tokens[i + 2];
    if (b.begin != a.end + 1 || c.begin != b.end + 1)
        return false;
    const char s1 = text[a.end];
    const char s2 = text[b.end];
    if (s1 != s2 || (s1 != '/' && s1 != '.' && s1 != '-'))
        return false;
    return a.Numeric() && b.Numeric() && c.Numeric() && a.Size() <= 2 && b.Size() <= 2 &&
           (c.Size() == 4 || c.Size() == 2);
}

bool AllBlank(const std::string& separators)
{
    return separators.find_first_not_of(" \t\n") == std::string::npos;
}

bool IsDate(const std::vector<Token>& group, const std::string& separators)
{
    if (group.size() != 3 || separators.size() != 2 || separators[0] != separators[1])
        return false;
    if (separators[0] != '/' && separators[0] != '.' && separators[0] != '-')
        return false;
    for (const Token& t : group)
        if (!t.Numeric())
            return false;
    const auto small = [](const Token& t) { return t.Size() <= 2; };
    return (small(group[0]) && small(group[1]) && (group[2].Size() == 4 || group[2].Size() == 2)) ||
           (group[0].Size() == 4 && small(group[1]) && small(group[2]));
}

// "1234.56", "1 234,56": an amount, whose digits name nothing.
bool IsAmount(std::string_view text, const std::vector<Token>& group, const std::string& separators)
{
    for (const Token& t : group)
        if (t.digits != static_cast<int>(t.Size()))
            return false;
    if (!separators.empty() && (separators.back() == '.' || separators.back() == ',') && group.back().Size() == 2)
        return true;
    const std::size_t end = group.back().end;
    return end + 2 < text.size() && (text[end] == ',' || text[end] == '.') && IsDigit(text[end + 1]) &&
           IsDigit(text[end + 2]) && (end + 3 >= text.size() || !IsDigit(text[end + 3]));
}

void Keep(std::vector<Identifier>& list, Identifier id)
{
    for (Identifier& known : list) {
        if (known.kind == id.kind && known.value == id.value) {
            if (known.label == ReferenceLabel::kNone)
                known.label = id.label;
            return;
        }
    }
    list.push_back(std::move(id));
}

} // namespace

std::string NormalizeIdentifier(std::string_view written)
{
    std::string out;
    out.reserve(written.size());
    for (const char c : written)
        if (IsAlnum(c))
            out += AsDigit(c);
    return out;
}

bool IsValidIban(std::string_view compact)
{
    if (compact.size() < 15 || compact.size() > 34)
        return false;
    if (!IsUpper(compact[0]) || !IsUpper(compact[1]) || !IsDigit(compact[2]) || !IsDigit(compact[3]))
        return false;
    for (const char c : compact)
        if (!IsDigit(c) && !IsUpper(c))
            return false;
    return IbanRemainder(compact) == 1;
}

bool PassesLuhn(std::string_view digits)
{
    if (digits.empty())
        return false;
    int sum = 0;
    bool twice = false;
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (!IsDigit(digits[i]))
            return false;
        int d = digits[i] - '0';
        if (twice) {
            d *= 2;
            if (d > 9)
                d -= 9;
        }
        sum += d;
        twice = !twice;
    }
    return sum % 10 == 0;
}

bool SameWithinOneCharacter(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    int differences = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && ++differences > 1)
            return false;
    return differences == 0 || a.size() >= 8;
}

std::vector<Identifier> ExtractIdentifiers(std::string_view text)
{
    std::vector<Identifier> found;
    std::vector<Span> masks;

    // E-mail addresses and IBANs first: their parts are no numbers of their own.
    for (std::size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', at + 1)) {
        Identifier id;
        Span span;
        if (ReadEmail(text, at, id, span)) {
            masks.push_back(span);
            Keep(found, std::move(id));
        }
    }
    for (std::size_t pos = 0; pos + 15 <= text.size(); ++pos) {
        if (!IsUpper(text[pos]) || Masked(masks, pos))
            continue;
        Identifier id;
        std::size_t end = 0;
        if (ReadIban(text, pos, id, end)) {
            masks.push_back({pos, end});
            Keep(found, std::move(id));
            pos = end;
        }
    }

    std::vector<Token> tokens;
    for (std::size_t i = 0; i < text.size();) {
        if (!IsAlnum(text[i])) {
            ++i;
            continue;
        }
        Token t;
        t.begin = i;
        while (i < text.size() && IsAlnum(text[i])) {
            if (IsDigit(text[i]))
                ++t.digits;
            else if (IsLookAlike(text[i]))
                ++t.lookAlike;
            else
                ++t.others;
            ++i;
        }
        t.end = i;
        if (!Masked(masks, t.begin))
            tokens.push_back(t);
    }

    for (std::size_t i = 0; i < tokens.size();) {
        std::vector<Token> group{tokens[i]};
        std::string separators;
        std::size_t next = i + 1;
        for (; next < tokens.size(); ++next) {
            const Token& last = group.back();
            const Token& t = tokens[next];
            if (t.begin != last.end + 1)
                break;
            const char c = text[last.end];
            bool joins = false;
            if (c == '-' || c == '/' || c == '.' || c == '_') {
                bool groupDigits = false;
                for (const Token& g : group)
                    groupDigits = groupDigits || g.HasDigit();
                joins = groupDigits || t.HasDigit();
            } else if (c == ' ' || c == '\t' || c == '\n') {
                // Groups of digits make one number, but a date next to a
                // number stays apart from it. A line broken inside a number,
                // as scans break them, joins longer groups only.
                joins = last.Numeric() && t.Numeric() && AllBlank(separators) && !StartsDate(text, tokens, next) &&
                        (c != '\n' || (last.Size() >= 3 && t.Size() >= 3));
            }
            if (!joins)
                break;
            separators += c;
            group.push_back(t);
        }
        i = next;

        if (IsDate(group, separators) || IsAmount(text, group, separators) ||
            FollowedByCurrency(text, group.back().end))
            continue;
        std::string shown(text.substr(group.front().begin, group.back().end - group.front().begin));
        std::replace(shown.begin(), shown.end(), '\n', ' ');
        std::replace(shown.begin(), shown.end(), '\t', ' ');
        int digits = 0;
        for (const Token& g : group)
            digits += g.digits;
        Identifier id;
        id.value = NormalizeIdentifier(shown);
        if (id.value.size() < 6 || id.value.size() > 34 || digits < 4 || digits * 2 < static_cast<int>(id.value.size()))
            continue;
        bool company = false;
        bool phone = false;
        id.label = LabelBefore(text, group.front().begin, company, phone);
        if (phone || IsPhone(shown))
            continue;
        id.shown = std::move(shown);
        const bool allDigits = digits == static_cast<int>(id.value.size());
        if (allDigits && id.value.size() == 14 && PassesLuhn(id.value)) {
            id.kind = IdentifierKind::kSiret;
            id.label = ReferenceLabel::kNone;
        } else if (allDigits && id.value.size() == 9 && company && PassesLuhn(id.value)) {
            id.kind = IdentifierKind::kSiren;
            id.label = ReferenceLabel::kNone;
        }
        Keep(found, std::move(id));
    }
    return found;
}

std::vector<YearCount> ExtractYears(std::string_view text)
{
    std::vector<YearCount> years;
    for (std::size_t i = 0; i < text.size();) {
        if (!IsDigit(text[i])) {
            ++i;
            continue;
        }
        const std::size_t begin = i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        if (i - begin != 4)
            continue;
        const int year = (text[begin] - '0') * 1000 + (text[begin + 1] - '0') * 100 + (text[begin + 2] - '0') * 10 +
                         (text[begin + 3] - '0');
        if (year < 1990 || year > 2039)
            continue;
        auto known = std::find_if(years.begin(), years.end(), [&](const YearCount& y) { return y.year == year; });
        if (known == years.end())
            years.push_back({year, 1});
        else
            ++known->count;
    }
    std::sort(years.begin(), years.end(), [](const YearCount& a, const YearCount& b) {
        return a.count != b.count ? a.count > b.count : a.year > b.year;
    });
    return years;
}

} // namespace tavelo::filing
