#pragma once
// What a reader module gets and gives: the bytes of one document in, its text
// out, piece by piece. Modules run in the reader process (tavelo-reader), never
// in the window's or the command-line tool's process, under the limits that
// process was started with; tests and fuzz targets call them directly.

#include <cstddef>
#include <string>
#include <string_view>

#include "reading/document_text.h"
#include "reading/kinds.h"

namespace tavelo {

// Past this much text a document is reported as too large rather than held.
inline constexpr std::size_t kMaxDocumentTextBytes = std::size_t{32} << 20;

struct FormatInput {
    // The whole file.
    std::string_view bytes;
    // A path that opens the same file, for libraries that only read from a
    // path; may be empty when the bytes have no file behind them.
    std::string path;
};

class TextSink {
public:
    virtual ~TextSink() = default;
    // Adds one piece of valid UTF-8 text. False once the document's text has
    // passed kMaxDocumentTextBytes: the module then stops and fails with
    // TooMuchTextReason().
    virtual bool Add(MatchRule rule, std::string_view text) = 0;
    // A step of long work the caller may want to show (pages recognised...);
    // `unit` says what is counted.
    virtual void Progress(std::string_view /*unit*/, std::size_t /*done*/, std::size_t /*total*/) {}
};

// The French reason given when the sink refused more text.
const char* TooMuchTextReason();

// A module: true when the document was read (its text is in the sink), false
// with a French reason (no final period) when it cannot be read.
using FormatReader = bool (*)(const FormatInput& input, TextSink& sink, std::string& reason);

// The module of a kind; nullptr for kOther.
FormatReader ReaderOf(DocumentKind kind);

// A sink that keeps the text, for in-process use.
class CollectingSink : public TextSink {
public:
    bool Add(MatchRule rule, std::string_view text) override;
    DocumentText& Text() { return m_text; }

private:
    DocumentText m_text;
};

// Runs the kind's module on the bytes, in this process; false with a reason
// when it cannot be read.
bool ReadDocumentText(DocumentKind kind, const FormatInput& input, DocumentText& text, std::string& reason);

} // namespace tavelo
