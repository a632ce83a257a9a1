#pragma once
// The tokenizer of the text cache's word index: FTS5 cuts a text into the
// quick search's folded words (search/query/folding.h), each reduced to its
// singular, and reports where each stands in the original text.

struct sqlite3;

namespace tavelo {

inline constexpr const char* kWordTokenizer = "tavelo_words";
// The auxiliary function that counts a row's hits of the MATCH expression and
// says where the first stands: (count << 32) | place of its first word.
inline constexpr const char* kHitCountFunction = "tavelo_hits";

// Makes the tokenizer and the function known to this connection; SQLITE_OK or an error code.
// Every connection that reads or changes the word index must call it first.
int RegisterWordTokenizer(sqlite3* db);

} // namespace tavelo
