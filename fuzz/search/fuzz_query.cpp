// The quick search's query language and folding over any query and any text
// (the first line is the query, the rest the text): no crash, spans and
// extracts within their texts, and the word index's queries always readable
// by FTS5 and answering as the matching does (exactly where they claim to,
// never fewer texts elsewhere).
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include <sqlite3.h>

#include "book/text.h"
#include "reading/word_index.h"
#include "search/query/folding.h"
#include "search/query/query.h"
#include "search/query/quick_search.h"

namespace {

sqlite3* Index()
{
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        if (sqlite3_open(":memory:", &opened) != SQLITE_OK || tavelo::RegisterWordTokenizer(opened) != SQLITE_OK ||
            sqlite3_exec(opened, "CREATE VIRTUAL TABLE w USING fts5(body, tokenize='tavelo_words')", nullptr, nullptr,
                         nullptr) != SQLITE_OK)
            __builtin_trap();
        return opened;
    }();
    return db;
}

void CheckSpans(const tavelo::query::Spans& spans, std::size_t size)
{
    std::uint32_t last = 0;
    for (const auto& [begin, end] : spans) {
        if (begin < last || end <= begin || end > size)
            __builtin_trap();
        last = end;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavelo::query;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view queryText = input.substr(0, newline);
    const std::string_view raw = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
    std::string text; // a cached text is valid UTF-8
    for (std::size_t pos = 0; pos < raw.size();)
        tavelo::AppendUtf8(text, tavelo::DecodeUtf8(raw, pos));

    // Words in order; one character may make several ("¾" gives 3 and 4),
    // which then overlap in the text ("t¾" gives "t3" and "4").
    const std::vector<Word> words = Words(text);
    std::uint32_t lastBegin = 0;
    std::uint32_t lastEnd = 0;
    for (const Word& word : words) {
        if (word.folded.empty() || word.begin < lastBegin || word.end < lastEnd || word.end <= word.begin ||
            word.end > text.size() || word.stem > word.folded.size())
            __builtin_trap();
        lastBegin = word.begin;
        lastEnd = word.end;
    }
    // Where each word begins, counted as the cut counts them, in the text and
    // in the raw bytes, whose invalid sequences separate words.
    for (const std::string_view bytes : {std::string_view(text), raw}) {
        const std::vector<Word> cut = bytes.data() == text.data() ? words : Words(bytes);
        const std::size_t step = std::max<std::size_t>(1, cut.size() / 64);
        for (std::size_t k = 0; k <= cut.size(); k = k == cut.size() ? k + 1 : std::min(cut.size(), k + step)) {
            const std::optional<std::uint32_t> begin = WordBegin(bytes, k);
            if (k < cut.size() ? begin != cut[k].begin : begin.has_value())
                __builtin_trap();
        }
    }
    const AccentFolded accents = FoldAccents(text);
    if (accents.origin.size() != accents.text.size() + 1)
        __builtin_trap();
    for (std::size_t i = 1; i < accents.origin.size(); ++i)
        if (accents.origin[i] < accents.origin[i - 1] || accents.origin[i] > text.size())
            __builtin_trap();

    Query query;
    try {
        query = ParseQuery(queryText);
    } catch (const QueryError&) {
        return 0;
    }
    const Field field{kFieldContents, text, words};
    Evaluate(query, std::span(&field, 1));
    const Spans spans = QuerySpans(query, field);
    CheckSpans(spans, text.size());
    const Extract extract = MakeExtract(text, spans);
    if (!tavelo::IsValidUtf8(extract.text))
        __builtin_trap();
    for (const auto& [begin, end] : extract.marks)
        if (end < begin || end > extract.text.size())
            __builtin_trap();

    // The word index's answer for each term, beside the matching's own.
    sqlite3* db = Index();
    sqlite3_exec(db, "DELETE FROM w", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO w(rowid, body) VALUES (1, ?1)", -1, &insert, nullptr);
    sqlite3_bind_text(insert, 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    if (sqlite3_step(insert) != SQLITE_DONE)
        __builtin_trap();
    sqlite3_finalize(insert);
    for (const Clause& clause : query.clauses)
        for (const Term& term : clause.either) {
            bool exact = false;
            const std::string sql = tavelo::WordIndexQuery(term, exact);
            sqlite3_stmt* match = nullptr;
            sqlite3_prepare_v2(db, "SELECT count(*) FROM w WHERE w MATCH ?1", -1, &match, nullptr);
            sqlite3_bind_text(match, 1, sql.data(), static_cast<int>(sql.size()), SQLITE_STATIC);
            if (sqlite3_step(match) != SQLITE_ROW)
                __builtin_trap(); // a query of the index FTS5 cannot read
            const bool indexed = sqlite3_column_int(match, 0) > 0;
            sqlite3_finalize(match);
            const bool occurs = TermOccurs(term, field);
            if ((exact && indexed != occurs) || (occurs && !indexed))
                __builtin_trap();
        }

    // Where the index counts the hits, its count and its first hit are the
    // matching's own, as long as no two words of the text overlap.
    if (!tavelo::CountedByIndex(query))
        return 0;
    bool apart = true;
    for (std::size_t i = 1; i < words.size(); ++i)
        apart = apart && words[i].begin >= words[i - 1].end;
    std::uint64_t count = 0;
    std::uint32_t first = UINT32_MAX;
    for (const Clause& clause : query.clauses) {
        if (clause.excluded)
            continue;
        std::string sql;
        for (const Term& term : clause.either) {
            bool exact = false;
            sql += (sql.empty() ? "(" : " OR (") + tavelo::WordIndexQuery(term, exact) + ")";
        }
        sqlite3_stmt* hits = nullptr;
        sqlite3_prepare_v2(db, "SELECT tavelo_hits(w) FROM w WHERE w MATCH ?1", -1, &hits, nullptr);
        sqlite3_bind_text(hits, 1, sql.data(), static_cast<int>(sql.size()), SQLITE_STATIC);
        if (sqlite3_step(hits) == SQLITE_ROW) {
            const std::int64_t packed = sqlite3_column_int64(hits, 0);
            count += static_cast<std::uint64_t>(packed >> 32);
            first = std::min(first, static_cast<std::uint32_t>(packed));
        }
        sqlite3_finalize(hits);
    }
    if (count < spans.size() || (apart && spans.size() < 10000 && count != spans.size()))
        __builtin_trap();
    if (apart && !spans.empty()) {
        const std::optional<std::uint32_t> begin = WordBegin(text, first);
        if (!begin || *begin != spans.front().first)
            __builtin_trap();
    }
    return 0;
}
