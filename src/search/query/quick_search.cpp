#include "search/query/quick_search.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "book/text.h"
#include "reading/content_hash.h"
#include "reading/text_decoding.h"
#include "reading/text_source.h"

namespace tavelo {

namespace {

using query::Field;
using query::Term;

std::string Quoted(std::string_view words)
{
    // Folded words hold letters and digits only: nothing to escape.
    return "\"" + std::string(words) + "\"";
}

std::string Joined(const std::vector<std::string>& words)
{
    std::string out;
    for (const std::string& word : words)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

// The texts that may hold a reference written with other signs or none: a
// run of words that begins with a beginning of it and ends with an end of it.
std::string ReferenceQuery(const std::string& compact)
{
    // The parts of a longer reference are many: its first one then begins
    // with the reference's first characters, whatever its length.
    constexpr std::size_t kMostParts = 24;
    const std::size_t parts = std::min(compact.size(), kMostParts);
    std::string starts, ends;
    for (std::size_t length = 1; length <= parts; ++length) {
        starts += (starts.empty() ? "" : " OR ") + Quoted(compact.substr(0, length));
        ends += (ends.empty() ? "" : " OR ") + Quoted(compact.substr(compact.size() - length));
    }
    if (compact.size() > kMostParts)
        return "(" + starts + " OR " + Quoted(compact.substr(0, kMostParts)) + " *)";
    return "((" + starts + ") AND (" + ends + "))";
}

bool IsBlankByte(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// The extract around a text's first hit, which begins at `first`: only the
// words around it are folded, from and to a blank so that they are cut as in
// the whole text.
query::Extract ExtractAround(const query::Query& query, std::string_view text, std::size_t first, bool& valid)
{
    constexpr std::size_t kBefore = 200;
    constexpr std::size_t kAfter = 400; // beyond MakeExtract's reach
    std::size_t from = first > kBefore ? first - kBefore : 0;
    while (from > 0 && !IsBlankByte(text[from - 1]))
        --from;
    std::size_t to = std::min(text.size(), first + kAfter);
    while (to < text.size() && !IsBlankByte(text[to]))
        ++to;
    const std::string_view part = text.substr(from, to - from);
    valid = IsValidUtf8(part);
    const std::vector<query::Word> words = query::Words(part);
    query::Spans spans;
    for (const auto& [begin, end] :
         query::QuerySpans(query, query::Field{query::kFieldContents, part, words}, 64))
        if (begin + from >= first)
            spans.emplace_back(static_cast<std::uint32_t>(begin + from), static_cast<std::uint32_t>(end + from));
    return query::MakeExtract(text, spans);
}

} // namespace

std::string WordIndexQuery(const Term& term, bool& exact)
{
    // The index holds each word's singular (Stem), which is a beginning of
    // the word. A prefix that is its own singular begins a word exactly when
    // it begins that word's singular, so the index's answer is the match; a
    // prefix that loses its last letter ("factures*" asked as "facture*")
    // finds more, and is confirmed on the text.
    const bool exactPrefix = !term.words.empty() && query::Stem(term.words.back()) == term.words.back();
    exact = (!term.prefix || exactPrefix) && term.compact.empty() && !term.scattered;
    std::string out = Quoted(Joined(term.words)) + (term.prefix ? " *" : "");
    if (term.scattered) {
        std::string each;
        for (const std::string& word : term.words)
            each += (each.empty() ? "" : " AND ") + Quoted(word);
        out += " OR (" + each + ")";
    }
    if (!term.compact.empty())
        out += " OR " + ReferenceQuery(term.compact);
    return out;
}

bool CountedByIndex(const query::Query& query)
{
    std::vector<std::string_view> seen;
    for (const query::Clause& clause : query.clauses)
        for (const Term& term : clause.either) {
            bool exact = false;
            WordIndexQuery(term, exact);
            if (!exact || term.prefix)
                return false;
            for (const std::string& word : term.words) {
                const std::string_view stem = query::Stem(word);
                if (std::find(seen.begin(), seen.end(), stem) != seen.end())
                    return false;
                seen.push_back(stem);
            }
        }
    return true;
}

void QuickSearch::Folded::Set(std::string value)
{
    text = std::move(value);
    words = query::Words(text);
}

QuickSearch::QuickSearch(const SubjectList& subjects, TextCache& cache) : m_cache(&cache)
{
    Copy(subjects, nullptr);
}

QuickSearch::QuickSearch(const SubjectList& subjects, TextSource& source) : m_cache(nullptr)
{
    Copy(subjects, &source);
}

void QuickSearch::Copy(const SubjectList& subjects, TextSource* opening)
{
    m_subjects.reserve(subjects.size());
    for (const auto& record : subjects) {
        Subject subject;
        subject.name.text = record->GetSubjectName();
        subject.title.text = record->GetGeneralTitle();
        subject.expected.text = record->GetExpectedText();
        subject.documents.reserve(record->GetDocumentPaths().size());
        for (const std::string& path : record->GetDocumentPaths()) {
            Document document;
            document.path = path;
            document.fileName.text = GetDocumentFileName(path);
            document.kind = KindOfExtension(GetDocumentExtension(path));
            subject.documents.push_back(std::move(document));
        }
        m_subjects.push_back(std::move(subject));
    }
    // The names are cut into words while the documents are looked at.
    LookUpDocuments(
        [this] {
            for (Subject& subject : m_subjects) {
                subject.name.Set(std::move(subject.name.text));
                subject.title.Set(std::move(subject.title.text));
                subject.expected.Set(std::move(subject.expected.text));
                for (Document& document : subject.documents)
                    document.fileName.Set(std::move(document.fileName.text));
            }
        },
        opening);
}

void QuickSearch::Refresh()
{
    LookUpDocuments({});
}

void QuickSearch::LookUpDocuments(const std::function<void()>& meanwhile, TextSource* opening)
{
    if (m_cache != nullptr)
        m_cache->NewSnapshot();
    std::vector<Document*> documents;
    documents.reserve(DocumentCount());
    for (Subject& subject : m_subjects)
        for (Document& document : subject.documents)
            documents.push_back(&document);
    std::vector<std::pair<std::string_view, DocumentKind>> asked;
    asked.reserve(documents.size());
    for (const Document* document : documents)
        asked.emplace_back(document->path, document->kind);
    const std::vector<DocumentLookup> lookups =
        opening != nullptr ? LookMany(*opening, asked, true, [&] {
            if (meanwhile)
                meanwhile();
            m_cache = &opening->Cache();
        })
                           : LookMany(*m_cache, asked, true, meanwhile);
    for (std::size_t i = 0; i < documents.size(); ++i) {
        Document& document = *documents[i];
        const std::optional<CacheEntry>& entry = lookups[i].entry;
        document.unreadable = entry && entry->unreadable;
        document.textId = entry && !entry->unreadable ? entry->textId : 0;
    }
}

std::size_t QuickSearch::DocumentCount() const
{
    std::size_t count = 0;
    for (const Subject& subject : m_subjects)
        count += subject.documents.size();
    return count;
}

std::vector<std::pair<std::size_t, int>> QuickSearch::Unread() const
{
    std::vector<std::pair<std::size_t, int>> unread;
    for (std::size_t s = 0; s < m_subjects.size(); ++s)
        for (std::size_t d = 0; d < m_subjects[s].documents.size(); ++d) {
            const Document& document = m_subjects[s].documents[d];
            if (document.kind != DocumentKind::kOther && document.textId == 0 && !document.unreadable)
                unread.emplace_back(s, static_cast<int>(d));
        }
    return unread;
}

void QuickSearch::ReadMissing(TextSource& source, const std::atomic<bool>* cancel,
                              const std::function<void(std::size_t, std::size_t)>& progress, unsigned threads)
{
    const std::vector<std::pair<std::size_t, int>> unread = Unread();
    if (unread.empty())
        return;
    std::atomic<std::size_t> done{0};
    std::mutex progressMutex;
    source.ReadInParallel(
        unread.size(),
        [&](std::size_t i) {
            if (cancel != nullptr && cancel->load())
                return;
            const Document& document = m_subjects[unread[i].first].documents[static_cast<std::size_t>(unread[i].second)];
            ReadContext context;
            context.cancel = cancel;
            if (IsReadInProcess(document.kind)) {
                // The search reads plain text again each time; the quick search
                // keeps its text so that the word index holds it.
                struct stat st {};
                if (::stat(document.path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                    const DocumentRead read = source.Read(document.path, document.kind, context);
                    std::string storage;
                    if (read.status == ReadStatus::kRead)
                        source.KeepPlainText(document.path, StateOf(st), document.kind, read.bytes, storage);
                }
            } else {
                source.Read(document.path, document.kind, context);
            }
            const std::size_t count = done.fetch_add(1) + 1;
            if (progress) {
                const std::lock_guard lock(progressMutex);
                progress(count, unread.size());
            }
        },
        threads);
}

std::vector<QuickSearch::ClauseTexts> QuickSearch::AskIndex(const query::Query& query, std::int64_t& indexedUpTo,
                                                           std::optional<CountedTexts>& together)
{
    std::vector<ClauseTexts> answers(query.clauses.size());
    together.reset();
    indexedUpTo = 0;
    const bool counted = CountedByIndex(query);
    // Counting a text's hits costs far more than finding it: a common word
    // is counted only in the texts that hold every positive clause, in one
    // question, and alone only where a document needs it.
    std::string all;
    std::size_t positives = 0;
    for (std::size_t c = 0; c < query.clauses.size(); ++c) {
        std::string sql;
        bool exact = true;
        for (const Term& term : query.clauses[c].either) {
            bool termExact = false;
            sql += (sql.empty() ? "(" : " OR (") + WordIndexQuery(term, termExact) + ")";
            exact = exact && termExact;
        }
        std::int64_t upTo = 0;
        std::optional<std::vector<std::int64_t>> ids = m_cache->TextsWithWords(sql, upTo);
        if (!ids)
            return std::vector<ClauseTexts>(query.clauses.size());
        answers[c].ids = std::move(*ids);
        answers[c].known = true;
        answers[c].counted = counted;
        answers[c].exact = exact;
        if (!query.clauses[c].excluded) {
            all += (all.empty() ? "(" : " AND (") + sql + ")";
            ++positives;
        }
        answers[c].asked = std::move(sql);
        indexedUpTo = c == 0 ? upTo : std::min(indexedUpTo, upTo);
    }
    if (counted && positives > 0) {
        std::int64_t upTo = 0;
        together = CountedBy(all, upTo);
        if (together)
            indexedUpTo = std::min(indexedUpTo, upTo);
    }
    return answers;
}

std::optional<QuickSearch::CountedTexts> QuickSearch::CountedBy(const std::string& wordQuery, std::int64_t& upTo)
{
    CountedTexts counted;
    std::optional<std::vector<std::int64_t>> ids = m_cache->TextsWithWords(wordQuery, upTo, &counted.hits);
    if (!ids || counted.hits.size() != ids->size())
        return std::nullopt;
    counted.ids = std::move(*ids);
    return counted;
}

const TextCache::WordHits* QuickSearch::CountedTexts::Of(std::int64_t textId) const
{
    const auto at = std::lower_bound(ids.begin(), ids.end(), textId);
    if (at == ids.end() || *at != textId)
        return nullptr;
    return &hits[static_cast<std::size_t>(at - ids.begin())];
}

bool QuickSearch::CountTextHits(const query::Query& query, std::vector<ClauseTexts>& index,
                                const std::optional<CountedTexts>& together, const std::vector<char>& inText,
                                std::int64_t textId, TextCache::WordHits& counted)
{
    counted = {0, UINT32_MAX};
    bool everyOne = true;
    for (std::size_t c = 0; c < query.clauses.size(); ++c)
        everyOne = everyOne && (query.clauses[c].excluded || inText[c] != 0);
    if (everyOne && together) {
        const TextCache::WordHits* all = together->Of(textId);
        if (all == nullptr)
            return false;
        counted = *all;
        return true;
    }
    // Some clause stands in the names only: the others are counted alone.
    for (std::size_t c = 0; c < query.clauses.size(); ++c) {
        if (query.clauses[c].excluded || inText[c] == 0)
            continue;
        ClauseTexts& clause = index[c];
        if (!clause.hitsAsked) {
            clause.hitsAsked = true;
            std::int64_t upTo = 0;
            clause.hits = CountedBy(clause.asked, upTo);
        }
        const TextCache::WordHits* here = clause.hits ? clause.hits->Of(textId) : nullptr;
        if (here == nullptr)
            return false;
        counted.count += here->count;
        counted.firstWord = std::min(counted.firstWord, here->firstWord);
    }
    return true;
}

bool QuickSearch::Evaluate(const query::Query& query, const Subject& subject, const Document& document, QuickHit& hit,
                           bool confirm)
{
    const Field inherited[] = {subject.name.As(query::kFieldName), subject.title.As(query::kFieldGeneralTitle),
                               subject.expected.As(query::kFieldExpected)};
    std::optional<DocumentText> text;
    Folded contents;
    if (document.textId != 0 && (text = m_cache->LoadText(document.textId)))
        contents.Set(text->Body());
    Field own[] = {document.fileName.As(query::kFieldFileName), contents.As(query::kFieldContents)};
    const query::Evaluation evaluation = query::Evaluate(query, own, inherited);
    if (!evaluation.matches)
        return false;
    hit.where = evaluation.where;
    hit.hits = evaluation.hits;
    hit.confirmed = true;
    if (confirm) {
        const Field& shown = (evaluation.where & query::kFieldContents) != 0 ? own[1] : own[0];
        // Every hit near the first is marked in the extract.
        hit.extract = query::MakeExtract(shown.text, query::QuerySpans(query, shown, 64));
    }
    return true;
}

QuickResult QuickSearch::Find(const query::Query& query)
{
    QuickResult result;
    if (!query.HasPositive())
        return result;
    m_cache->NewSnapshot();
    std::int64_t upTo = 0;
    std::optional<CountedTexts> together;
    std::vector<ClauseTexts> index = AskIndex(query, upTo, together);

    std::vector<char> inSubject;
    std::vector<char> inText(query.clauses.size());
    for (std::size_t s = 0; s < m_subjects.size(); ++s) {
        const Subject& subject = m_subjects[s];
        const Field fields[] = {subject.name.As(query::kFieldName), subject.title.As(query::kFieldGeneralTitle),
                                subject.expected.As(query::kFieldExpected)};
        bool subjectListed = false;
        const auto list = [&](QuickHit hit) {
            if (!subjectListed)
                result.subjects.push_back(s);
            subjectListed = true;
            result.hits.push_back(std::move(hit));
        };
        if (const query::Evaluation own = query::Evaluate(query, fields); own.matches) {
            QuickHit hit;
            hit.subject = s;
            hit.where = own.where;
            hit.hits = own.hits;
            hit.confirmed = true;
            for (const Field& field : fields) {
                const query::Spans spans = query::QuerySpans(query, field, 64);
                if (!spans.empty()) {
                    hit.extract = query::MakeExtract(field.text, spans);
                    break;
                }
            }
            list(std::move(hit));
        }
        if (subject.documents.empty())
            continue;
        // What the subject's own fields hold, once for all its documents.
        inSubject.assign(query.clauses.size(), 0);
        for (std::size_t c = 0; c < query.clauses.size(); ++c)
            for (const Term& term : query.clauses[c].either)
                for (const Field& field : fields)
                    inSubject[c] = inSubject[c] || query::TermOccurs(term, field);

        for (std::size_t d = 0; d < subject.documents.size(); ++d) {
            const Document& document = subject.documents[d];
            if (document.kind != DocumentKind::kOther && document.textId == 0 && !document.unreadable)
                ++result.unread;
            QuickHit hit;
            hit.subject = s;
            hit.document = static_cast<int>(d);
            const bool indexed = document.textId != 0 && document.textId <= upTo && !index.empty() && index[0].known;
            if (!indexed) {
                // No text, or one the index does not hold yet: on the text itself.
                if (Evaluate(query, subject, document, hit, false)) {
                    hit.confirmed = false;
                    list(std::move(hit));
                    ++result.documentHits;
                }
                continue;
            }
            const Field name = document.fileName.As(query::kFieldFileName);
            bool matches = true;
            bool confirm = false;
            std::size_t ownClauses = 0;
            TextCache::WordHits textHits{0, UINT32_MAX};
            for (std::size_t c = 0; c < query.clauses.size() && matches; ++c) {
                const query::Clause& clause = query.clauses[c];
                bool inName = false;
                bool scattered = false;
                for (const Term& term : clause.either) {
                    inName = inName || query::TermOccurs(term, name);
                    scattered = scattered || term.scattered;
                }
                // The index's answer is exact, or a superset of the texts.
                const bool found = std::binary_search(index[c].ids.begin(), index[c].ids.end(), document.textId);
                inText[c] = found ? 1 : 0;
                if (clause.excluded) {
                    if (inName || inSubject[c] || (found && index[c].exact))
                        matches = false;
                    else if (found)
                        confirm = true;
                    continue;
                }
                if (inName)
                    hit.where |= query::kFieldFileName;
                if (found)
                    hit.where |= query::kFieldContents;
                ownClauses += (inName || found) ? 1 : 0;
                if (!inName && !found && !inSubject[c]) {
                    // References typed apart may stand some in the subject and
                    // some in the document.
                    if (scattered)
                        confirm = true;
                    else
                        matches = false;
                } else if (found && !inName && !inSubject[c] && !index[c].exact) {
                    confirm = true;
                }
            }
            matches = matches && (ownClauses > 0 || confirm);
            if (matches && !confirm && index[0].counted &&
                !CountTextHits(query, index, together, inText, document.textId, textHits))
                confirm = true;
            if (matches && confirm) {
                hit.where = 0;
                matches = Evaluate(query, subject, document, hit, false);
            } else if (matches && index[0].counted) {
                // Counted as QuerySpans counts, which stops at 10,000.
                textHits.count = std::min<std::uint32_t>(textHits.count, 10000);
                hit.textHits = textHits;
            }
            if (matches) {
                hit.confirmed = false;
                list(std::move(hit));
                ++result.documentHits;
            }
        }
    }
    return result;
}

bool QuickSearch::Confirm(const query::Query& query, QuickHit& hit)
{
    const Subject& subject = m_subjects[hit.subject];
    if (hit.document < 0)
        return true;
    hit.extract = {};
    const Document& document = subject.documents[static_cast<std::size_t>(hit.document)];
    if (!hit.textHits)
        return Evaluate(query, subject, document, hit, true);
    // The index decided the match and counted the text's hits.
    const Field name = document.fileName.As(query::kFieldFileName);
    const query::Spans nameSpans = query::QuerySpans(query, name);
    hit.hits = hit.textHits->count + nameSpans.size();
    hit.confirmed = true;
    // Only the words up to the first hit are counted, and only those around it
    // checked: a text is valid UTF-8 as the cache keeps it, and a damaged one
    // is reported as LoadText reports it.
    std::optional<std::string> body;
    if (hit.textHits->count > 0 && document.textId != 0 && (body = m_cache->LoadBody(document.textId)))
        if (const std::optional<std::uint32_t> first = query::WordBegin(*body, hit.textHits->firstWord)) {
            bool valid = true;
            hit.extract = ExtractAround(query, *body, *first, valid);
            if (!valid)
                m_cache->LoadText(document.textId);
        }
    if (hit.extract.text.empty())
        hit.extract = query::MakeExtract(name.text, query::QuerySpans(query, name, 64));
    return true;
}

std::optional<DocumentText> QuickSearch::Text(std::size_t subject, int document)
{
    const Document& doc = m_subjects[subject].documents[static_cast<std::size_t>(document)];
    if (doc.textId == 0)
        return std::nullopt;
    return m_cache->LoadText(doc.textId);
}

void QuickSearch::Rank(const query::Query& query, std::vector<QuickHit>& hits)
{
    std::vector<char> matches(hits.size());
    InParallel(hits.size(), 16, [&](std::size_t i) { matches[i] = hits[i].document < 0 || Confirm(query, hits[i]); });
    std::vector<QuickHit> kept;
    kept.reserve(hits.size());
    for (std::size_t i = 0; i < hits.size(); ++i)
        if (matches[i] != 0)
            kept.push_back(std::move(hits[i]));
    const auto weight = [](const QuickHit& hit) {
        int points = 0;
        if ((hit.where & query::kFieldFileName) != 0)
            points += 8;
        if ((hit.where & query::kFieldName) != 0)
            points += 6;
        if ((hit.where & query::kFieldGeneralTitle) != 0)
            points += 3;
        if ((hit.where & query::kFieldExpected) != 0)
            points += 2;
        if ((hit.where & query::kFieldContents) != 0)
            points += 1;
        return points;
    };
    std::stable_sort(kept.begin(), kept.end(), [&](const QuickHit& a, const QuickHit& b) {
        const int wa = weight(a), wb = weight(b);
        if (wa != wb)
            return wa > wb;
        return a.hits > b.hits;
    });
    hits = std::move(kept);
}

} // namespace tavelo
