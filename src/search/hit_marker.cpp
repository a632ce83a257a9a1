#include "search/hit_marker.h"

#include "book/text.h"
#include "search/search_pattern.h"
#include "search/query/folding.h"

namespace tavelo {

namespace {

class PatternMarker final : public HitMarker {
public:
    explicit PatternMarker(std::shared_ptr<const SearchPattern> pattern) : m_pattern(std::move(pattern)) {}
    HitSpans InText(const DocumentText& text, std::size_t limit) const override
    {
        return FindHits(text, *m_pattern, limit);
    }
    HitSpans InUtf16(std::u16string_view text, std::size_t limit) const override
    {
        return FindHitsUtf16(text, *m_pattern, limit);
    }
    const std::string& Label() const override { return m_pattern->Word(); }

private:
    std::shared_ptr<const SearchPattern> m_pattern;
};

class QueryMarker final : public HitMarker {
public:
    QueryMarker(query::Query query, std::string typed) : m_query(std::move(query)), m_typed(std::move(typed)) {}
    const std::string& Label() const override { return m_typed; }
    HitSpans InText(const DocumentText& text, std::size_t limit) const override { return InUtf8(text.Body(), limit); }
    HitSpans InUtf16(std::u16string_view text, std::size_t limit) const override
    {
        const std::string utf8 = Utf16ToUtf8(text);
        return Utf8SpansToUtf16(utf8, InUtf8(utf8, limit));
    }

private:
    HitSpans InUtf8(std::string_view utf8, std::size_t limit) const
    {
        const std::vector<query::Word> words = query::Words(utf8);
        const query::Field field{query::kFieldContents, utf8, words};
        HitSpans spans;
        for (const auto& [begin, end] : query::QuerySpans(m_query, field, limit))
            spans.emplace_back(begin, end);
        return spans;
    }

    query::Query m_query;
    std::string m_typed;
};

} // namespace

std::shared_ptr<const HitMarker> MarkPattern(std::shared_ptr<const SearchPattern> pattern)
{
    if (!pattern)
        return nullptr;
    return std::make_shared<PatternMarker>(std::move(pattern));
}

std::shared_ptr<const HitMarker> MarkQuery(query::Query query, std::string typed)
{
    return std::make_shared<QueryMarker>(std::move(query), std::move(typed));
}

} // namespace tavelo
