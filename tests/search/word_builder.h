#pragma once
// Builds Word 97 documents by hand, piece by piece, for the tests of the
// piece-table reader: real office software writes the text in one piece.

#include <string>
#include <vector>

namespace tavelo::test {

struct WordPiece {
    std::u16string text;
    bool compressed = false; // one byte per character instead of UTF-16LE
};

struct WordBuildOptions {
    bool encrypted = false;
    bool withPrc = true;   // property modifiers before the piece table
    bool zeroTable = false; // text table in "0Table" instead of "1Table"
    // Descriptors added after the pieces, each pointing again at the first
    // piece's characters: damage no word processor writes.
    std::size_t repeatsOfFirstPiece = 0;
};

// The bytes of an OLE2 compound file holding a WordDocument stream and a table
// stream whose piece table lists `pieces` in order.
std::string BuildWordDocument(const std::vector<WordPiece>& pieces, const WordBuildOptions& options = {});

// An OLE2 compound file with the given streams (name, bytes).
std::string BuildCompoundFile(const std::vector<std::pair<std::string, std::string>>& streams);

} // namespace tavelo::test
