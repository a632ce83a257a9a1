#pragma once
// A corpus of documents of every searched kind, made in a temporary folder
// from random French words: text files (UTF-8 and Windows-1252), PDF files
// written here, copies of the Word and Excel fixtures whose words are
// replaced in place by random letters, web pages and e-mails written here. About one document in twenty holds the
// sought word.

#include <string>
#include <unordered_set>
#include <vector>

namespace tavelo::bench {

inline constexpr const char* kSoughtWord = "zorglub";

struct Corpus {
    std::string folder;
    std::vector<std::string> text, pdf, word, spreadsheet, html, mail;
    // The documents that hold the sought word.
    std::unordered_set<std::string> withWord;
};

Corpus MakeCorpus(int perKind);
void RemoveCorpus(const Corpus& corpus);
// Whether the document of the corpus made last holds the sought word.
bool HoldsSoughtWord(const std::string& path);

} // namespace tavelo::bench
