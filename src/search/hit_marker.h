#pragma once
// What the preview marks in a document: the matches of the described search's
// pattern, or the words of a quick search, each found its own way.

#include <memory>
#include <string_view>

#include "search/document_search.h"
#include "search/query/query.h"

namespace tavelo {

class HitMarker {
public:
    virtual ~HitMarker() = default;
    // In a read document, as byte offsets in its body, left to right.
    virtual HitSpans InText(const DocumentText& text, std::size_t limit = kMaxShownHits) const = 0;
    // In a text of UTF-16 units, as a text view holds it, as offsets in units.
    virtual HitSpans InUtf16(std::u16string_view text, std::size_t limit = kMaxShownHits) const = 0;
    // What was sought, as the user typed it.
    virtual const std::string& Label() const = 0;
};

std::shared_ptr<const HitMarker> MarkPattern(std::shared_ptr<const SearchPattern> pattern);
std::shared_ptr<const HitMarker> MarkQuery(query::Query query, std::string typed);

} // namespace tavelo
