#include "search/query/query.h"

#include <algorithm>
#include <array>

#include "base/tr.h"

namespace tavelo::query {

namespace {

bool IsSpace(std::string_view text, std::size_t pos, std::size_t& length)
{
    const auto c = static_cast<unsigned char>(text[pos]);
    length = 1;
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v')
        return true;
    // No-break spaces, as word processors paste them.
    if (text.substr(pos, 2) == "\xC2\xA0")
        return (length = 2, true);
    if (text.substr(pos, 3) == "\xE2\x80\xAF" || text.substr(pos, 3) == "\xE2\x80\x89")
        return (length = 3, true);
    return false;
}

// Straight and typographic quotes, French guillemets included; any closes any.
std::size_t QuoteLength(std::string_view text, std::size_t pos)
{
    if (text[pos] == '"')
        return 1;
    for (const std::string_view quote : {"\xE2\x80\x9C", "\xE2\x80\x9D", "\xE2\x80\x9E", "\xC2\xAB", "\xC2\xBB"})
        if (text.substr(pos, quote.size()) == quote)
            return quote.size();
    return 0;
}

struct Item {
    std::string raw;
    bool quoted = false;
    bool excluded = false;
    bool prefix = false;
};

std::vector<Item> Split(std::string_view text)
{
    std::vector<Item> items;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t length = 0;
        if (IsSpace(text, pos, length)) {
            pos += length;
            continue;
        }
        Item item;
        if (text[pos] == '-' && pos + 1 < text.size() && !IsSpace(text, pos + 1, length)) {
            item.excluded = true;
            ++pos;
        }
        if (const std::size_t open = QuoteLength(text, pos)) {
            std::size_t end = pos + open;
            std::size_t close = 0;
            while (end < text.size() && (close = QuoteLength(text, end)) == 0)
                ++end;
            if (end >= text.size())
                throw QueryError(Tr("Search", "Un guillemet n'est pas refermé : fermez la phrase cherchée par un "
                                              "second guillemet, ou retirez le premier."));
            item.raw = std::string(text.substr(pos + open, end - pos - open));
            item.quoted = true;
            pos = end + close;
            if (pos < text.size() && text[pos] == '*') {
                item.prefix = true;
                ++pos;
            }
        } else {
            const std::size_t start = pos;
            while (pos < text.size() && !IsSpace(text, pos, length) && QuoteLength(text, pos) == 0)
                ++pos;
            item.raw = std::string(text.substr(start, pos - start));
            while (!item.raw.empty() && item.raw.back() == '*') {
                item.raw.pop_back();
                item.prefix = true;
            }
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::string Concatenated(const std::vector<std::string>& words)
{
    std::string out;
    for (const std::string& word : words)
        out += word;
    return out;
}

// `sought` is the singular of the word sought, or its folded prefix.
bool WordMatches(const Word& word, std::string_view sought, bool prefix)
{
    if (prefix)
        return word.folded.size() >= sought.size() && std::string_view(word.folded).substr(0, sought.size()) == sought;
    return word.Singular() == sought;
}

// Between the parts of one reference: a few signs on one line.
bool ThinGap(std::string_view text, std::uint32_t from, std::uint32_t to)
{
    if (to < from || to - from > 4 || to > text.size())
        return false;
    for (std::uint32_t i = from; i < to; ++i)
        if (text[i] == '\n' || text[i] == '\r')
            return false;
    return true;
}

void AddSpans(Spans& into, const Spans& spans)
{
    into.insert(into.end(), spans.begin(), spans.end());
}

Spans Merged(Spans spans, std::size_t limit)
{
    std::sort(spans.begin(), spans.end());
    Spans out;
    for (const auto& span : spans) {
        if (!out.empty() && span.first < out.back().second) {
            out.back().second = std::max(out.back().second, span.second);
            continue;
        }
        if (out.size() == limit)
            break;
        out.push_back(span);
    }
    return out;
}

} // namespace

bool Query::HasPositive() const
{
    return std::any_of(clauses.begin(), clauses.end(), [](const Clause& clause) { return !clause.excluded; });
}

std::vector<std::string> Query::PositiveWords() const
{
    std::vector<std::string> words;
    for (const Clause& clause : clauses)
        if (!clause.excluded)
            for (const Term& term : clause.either)
                words.insert(words.end(), term.words.begin(), term.words.end());
    return words;
}

Query ParseQuery(std::string_view text)
{
    const std::vector<Item> items = Split(text);
    Query query;
    bool joinNext = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        if (!item.quoted && !item.excluded && !item.prefix && item.raw == "OR") {
            joinNext = !query.clauses.empty() && !query.clauses.back().excluded;
            continue;
        }
        Term term;
        for (Word& word : Words(item.raw))
            term.words.push_back(std::move(word.folded));
        if (term.words.empty()) {
            joinNext = false;
            continue;
        }
        term.prefix = item.prefix;
        if (!term.prefix && std::any_of(term.words.begin(), term.words.end(), [](const std::string& w) { return HasDigit(w); }))
            term.compact = Concatenated(term.words);
        if (joinNext && !item.excluded) {
            query.clauses.back().either.push_back(std::move(term));
        } else {
            Clause clause;
            clause.excluded = item.excluded;
            clause.either.push_back(std::move(term));
            query.clauses.push_back(std::move(clause));
        }
        joinNext = false;
    }

    // References typed in groups ("FR76 3000 6000 0112"): one clause that
    // matches the groups written together, or each of them anywhere.
    std::vector<Clause> grouped;
    const auto single = [](const Clause& clause) {
        return !clause.excluded && clause.either.size() == 1 && clause.either[0].words.size() == 1 &&
               !clause.either[0].compact.empty();
    };
    for (std::size_t i = 0; i < query.clauses.size();) {
        std::size_t j = i;
        while (j < query.clauses.size() && single(query.clauses[j]))
            ++j;
        if (j - i >= 2) {
            Clause clause;
            Term term;
            for (std::size_t k = i; k < j; ++k)
                term.words.push_back(query.clauses[k].either[0].words[0]);
            term.compact = Concatenated(term.words);
            term.scattered = true;
            clause.either.push_back(std::move(term));
            grouped.push_back(std::move(clause));
            i = j;
            continue;
        }
        grouped.push_back(std::move(query.clauses[i]));
        ++i;
    }
    query.clauses = std::move(grouped);
    std::size_t words = 0;
    for (const Clause& clause : query.clauses)
        for (const Term& term : clause.either)
            words += term.words.size();
    if (words > kMaxWords)
        throw QueryError(Format(Tr("Search", "La recherche compte trop de mots : %1 au plus."),
                                {std::to_string(kMaxWords)}));
    return query;
}

Spans TermSpans(const Term& term, const Field& field, std::size_t limit)
{
    Spans spans;
    const auto words = field.words;
    const std::size_t k = term.words.size();
    if (k == 0 || limit == 0)
        return spans;
    // Called for every field of every document: a few words stay on the stack.
    std::array<std::string_view, 8> few;
    std::vector<std::string_view> many(k > few.size() ? k : 0);
    std::string_view* const sought = k > few.size() ? many.data() : few.data();
    for (std::size_t j = 0; j < k; ++j)
        sought[j] = term.prefix && j + 1 == k ? std::string_view(term.words[j]) : Stem(term.words[j]);
    for (std::size_t i = 0; i + k <= words.size();) {
        bool all = true;
        for (std::size_t j = 0; j < k && all; ++j)
            all = WordMatches(words[i + j], sought[j], term.prefix && j + 1 == k);
        if (all) {
            spans.emplace_back(words[i].begin, words[i + k - 1].end);
            if (spans.size() >= limit && term.compact.empty())
                return spans;
            i += k;
        } else {
            ++i;
        }
    }
    if (!term.compact.empty()) {
        const std::string_view compact = term.compact;
        for (std::size_t i = 0; i < words.size() && spans.size() < limit; ++i) {
            std::size_t reached = 0;
            for (std::size_t j = i; j < words.size(); ++j) {
                if (j > i && !ThinGap(field.text, words[j - 1].end, words[j].begin))
                    break;
                const std::string& part = words[j].folded;
                if (compact.substr(reached, part.size()) != part)
                    break;
                reached += part.size();
                if (reached == compact.size()) {
                    spans.emplace_back(words[i].begin, words[j].end);
                    break;
                }
            }
        }
    }
    return term.compact.empty() ? spans : Merged(std::move(spans), limit);
}

bool TermOccurs(const Term& term, const Field& field)
{
    return !TermSpans(term, field, 1).empty();
}

Evaluation Evaluate(const Query& query, std::span<const Field> own, std::span<const Field> inherited)
{
    Evaluation evaluation;
    const auto occursAnywhere = [&](const Term& term) {
        for (const Field& field : own)
            if (TermOccurs(term, field))
                return true;
        for (const Field& field : inherited)
            if (TermOccurs(term, field))
                return true;
        return false;
    };
    bool positive = false;
    for (const Clause& clause : query.clauses) {
        if (clause.excluded) {
            for (const Term& term : clause.either)
                if (occursAnywhere(term))
                    return {};
            continue;
        }
        positive = true;
        bool inOwn = false;
        bool found = false;
        for (const Term& term : clause.either) {
            for (const Field& field : own)
                if (TermOccurs(term, field)) {
                    inOwn = true;
                    evaluation.where |= field.kind;
                }
            found = found || inOwn;
            if (!found)
                for (const Field& field : inherited)
                    if (TermOccurs(term, field)) {
                        found = true;
                        break;
                    }
            if (!found && term.scattered) {
                bool each = true;
                for (const std::string& word : term.words) {
                    Term alone;
                    alone.words = {word};
                    bool here = false;
                    for (const Field& field : own)
                        if (TermOccurs(alone, field)) {
                            here = inOwn = true;
                            evaluation.where |= field.kind;
                        }
                    each = each && (here || occursAnywhere(alone));
                }
                found = each;
            }
        }
        if (!found)
            return {};
        if (inOwn)
            ++evaluation.ownClauses;
    }
    evaluation.matches = positive && evaluation.ownClauses > 0;
    if (!evaluation.matches)
        return {};
    for (const Field& field : own)
        evaluation.hits += QuerySpans(query, field).size();
    return evaluation;
}

Spans QuerySpans(const Query& query, const Field& field, std::size_t limit)
{
    Spans spans;
    for (const Clause& clause : query.clauses) {
        if (clause.excluded)
            continue;
        for (const Term& term : clause.either) {
            AddSpans(spans, TermSpans(term, field, limit));
            if (term.scattered)
                for (const std::string& word : term.words) {
                    Term alone;
                    alone.words = {word};
                    AddSpans(spans, TermSpans(alone, field, limit));
                }
        }
    }
    return Merged(std::move(spans), limit);
}

namespace {

bool IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == '\0';
}

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

} // namespace

Extract MakeExtract(std::string_view text, const Spans& spans, std::size_t before, std::size_t after)
{
    const std::size_t size = text.size();
    const std::size_t hitBegin = spans.empty() ? 0 : std::min<std::size_t>(spans.front().first, size);
    const std::size_t hitEnd = spans.empty() ? 0 : std::min<std::size_t>(spans.front().second, size);
    std::size_t from = hitBegin > before ? hitBegin - before : 0;
    std::size_t to = std::min(size, hitEnd + after);
    // Cut at a word boundary when one is near, never inside a character.
    if (from > 0) {
        std::size_t space = from;
        while (space < hitBegin && space < from + 20 && !IsBlank(static_cast<unsigned char>(text[space])))
            ++space;
        if (space < hitBegin && IsBlank(static_cast<unsigned char>(text[space])))
            from = space + 1;
        while (from > 0 && from < size && IsContinuation(static_cast<unsigned char>(text[from])))
            --from;
    }
    if (to < size) {
        std::size_t space = to;
        while (space > hitEnd && space + 20 > to && !IsBlank(static_cast<unsigned char>(text[space])))
            --space;
        if (space > hitEnd && IsBlank(static_cast<unsigned char>(text[space])))
            to = space;
        while (to > from && to < size && IsContinuation(static_cast<unsigned char>(text[to])))
            --to;
    }

    Extract extract;
    std::vector<std::uint32_t> at(to - from + 1, 0); // offset in the extract of each byte
    const std::string ellipsis = "\xE2\x80\xA6";
    if (from > 0)
        extract.text = ellipsis + " ";
    bool blank = true;
    for (std::size_t pos = from; pos < to;) {
        at[pos - from] = static_cast<std::uint32_t>(extract.text.size());
        const auto c = static_cast<unsigned char>(text[pos]);
        if (IsBlank(c) || c < 0x20 || c == 0x7F) {
            if (!blank)
                extract.text += ' ';
            blank = true;
            ++pos;
            continue;
        }
        blank = false;
        std::size_t length = 1;
        if (c >= 0x80) {
            length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
            bool valid = length != 0 && pos + length <= to;
            for (std::size_t i = 1; valid && i < length; ++i)
                valid = IsContinuation(static_cast<unsigned char>(text[pos + i]));
            if (!valid) {
                extract.text += "\xEF\xBF\xBD";
                ++pos;
                continue;
            }
        }
        for (std::size_t i = 1; i < length; ++i)
            at[pos - from + i] = static_cast<std::uint32_t>(extract.text.size());
        extract.text.append(text.substr(pos, length));
        pos += length;
    }
    at[to - from] = static_cast<std::uint32_t>(extract.text.size());
    while (!extract.text.empty() && extract.text.back() == ' ')
        extract.text.pop_back();
    for (const auto& [begin, end] : spans)
        if (begin >= from && end <= to && begin < end)
            extract.marks.emplace_back(std::min<std::uint32_t>(at[begin - from], static_cast<std::uint32_t>(extract.text.size())),
                                       std::min<std::uint32_t>(at[end - from], static_cast<std::uint32_t>(extract.text.size())));
    if (to < size)
        extract.text += " " + ellipsis;
    return extract;
}

} // namespace tavelo::query
