#include "reading/word_index.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include <sqlite3.h>

#include "search/query/folding.h"

namespace tavelo {

namespace {

struct TokenizeCall {
    void* context;
    int (*token)(void*, int, const char*, int, int, int);
    int code = SQLITE_OK;
};

int Create(void*, const char**, int, Fts5Tokenizer** out)
{
    static int instance = 0; // no state: one tokenizer serves every table
    *out = reinterpret_cast<Fts5Tokenizer*>(&instance);
    return SQLITE_OK;
}

void Delete(Fts5Tokenizer*) {}

int Tokenize(Fts5Tokenizer*, void* context, int /*flags*/, const char* text, int length,
             int (*token)(void*, int, const char*, int, int, int))
{
    if (length <= 0)
        return SQLITE_OK;
    TokenizeCall call{context, token};
    // The same cut and the same singular for the texts and for the queries:
    // a prefix reduced to its singular finds more than it should, never less,
    // and every hit is confirmed on the text afterwards.
    query::ForEachWord(
        std::string_view(text, static_cast<std::size_t>(length)),
        [](void* self, std::string_view folded, std::uint32_t begin, std::uint32_t end) {
            auto* call = static_cast<TokenizeCall*>(self);
            if (call->code != SQLITE_OK)
                return;
            const std::string_view stem = query::Stem(folded);
            call->code = call->token(call->context, 0, stem.data(), static_cast<int>(stem.size()),
                                     static_cast<int>(begin), static_cast<int>(end));
        },
        &call);
    return call.code == SQLITE_DONE ? SQLITE_OK : call.code;
}

// tavelo_hits(words_fts): how many times the row holds the phrases of the
// MATCH expression, as the index's own position lists say, times 2^32, plus
// the place of the first among the row's words (that is, its tokens).
void CountHits(const Fts5ExtensionApi* api, Fts5Context* context, sqlite3_context* result, int, sqlite3_value**)
{
    int count = 0;
    if (api->xInstCount(context, &count) != SQLITE_OK) {
        sqlite3_result_int64(result, -1);
        return;
    }
    std::int64_t first = UINT32_MAX;
    for (int i = 0; i < count; ++i) {
        int phrase = 0, column = 0, offset = 0;
        if (api->xInst(context, i, &phrase, &column, &offset) == SQLITE_OK && offset >= 0)
            first = std::min<std::int64_t>(first, offset);
    }
    sqlite3_result_int64(result, (static_cast<std::int64_t>(count) << 32) | first);
}

fts5_api* Fts5Api(sqlite3* db)
{
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    return api;
}

} // namespace

int RegisterWordTokenizer(sqlite3* db)
{
    fts5_api* api = Fts5Api(db);
    if (api == nullptr || api->iVersion < 2)
        return SQLITE_ERROR;
    fts5_tokenizer tokenizer{Create, Delete, Tokenize};
    const int code = api->xCreateTokenizer(api, kWordTokenizer, nullptr, &tokenizer, nullptr);
    if (code != SQLITE_OK)
        return code;
    return api->xCreateFunction(api, kHitCountFunction, nullptr, CountHits, nullptr);
}

} // namespace tavelo
