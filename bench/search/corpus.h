#pragma once
// A corpus of documents of every searched kind, made in a temporary folder
// from random French words: text files (UTF-8 and Windows-1252), PDF files
// written here, copies of the Word and Excel fixtures whose words are
// replaced in place by random letters, web pages and e-mails written here, and
// copies of the Office Open XML and OpenDocument fixtures whose text part is
// rewritten with about 1,200 random words. About one document in twenty holds
// the sought word.

#include <string>
#include <unordered_set>
#include <vector>

namespace tavelo::bench {

inline constexpr const char* kSoughtWord = "zorglub";

struct Corpus {
    std::string folder;
    std::vector<std::string> text, pdf, word, spreadsheet, html, mail;
    std::vector<std::string> docx, xlsx, pptx, odt, ods, odp;
    // The documents that hold the sought word.
    std::unordered_set<std::string> withWord;
};

// How many documents of each kind; 0 leaves a kind out.
struct CorpusCounts {
    int text = 0, pdf = 0, word = 0, spreadsheet = 0, html = 0, mail = 0, office = 0;
    static CorpusCounts Each(int perKind) { return {perKind, perKind, perKind, perKind, perKind, perKind, perKind}; }
};

Corpus MakeCorpus(int perKind);
// In `folder`, which exists.
Corpus MakeCorpus(const std::string& folder, const CorpusCounts& counts);
void RemoveCorpus(const Corpus& corpus);
// Whether the document of the corpus made last holds the sought word.
bool HoldsSoughtWord(const std::string& path);

} // namespace tavelo::bench
