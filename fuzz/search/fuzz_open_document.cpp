// Any bytes given to the OpenDocument readers (.odt, .ods, .odp) give valid
// UTF-8 pieces or a reason, never a crash. An input that starts as an archive
// is given whole to the three readers. Any other input is one XML part, chosen
// by its first byte, in an otherwise fixed package, so that mutations reach
// the readers instead of breaking the archive's checksums: 't' content.xml of
// a text, 'h' its styles.xml, 'c' content.xml of a workbook, 'd' content.xml
// of a presentation, 'm' the manifest.
#include <cstddef>
#include <cstdint>
#include <string>

#include "book/text.h"
#include "reading/formats/format.h"
#include "zip_builder.h"

namespace {

using tavelo::DocumentKind;
using tavelo::test::Stored;

void Check(DocumentKind kind, std::string_view bytes)
{
    tavelo::DocumentText text;
    std::string reason;
    if (tavelo::ReadDocumentText(kind, tavelo::FormatInput{bytes, {}}, text, reason)) {
        if (!tavelo::IsValidUtf8(text.Body()))
            __builtin_trap();
    } else if (reason.empty()) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.substr(0, 2) == "PK") {
        for (const DocumentKind kind : {DocumentKind::kOpenText, DocumentKind::kOpenSheet, DocumentKind::kOpenSlides})
            Check(kind, input);
        return 0;
    }
    if (input.empty())
        return 0;
    const char selector = input.front();
    input.remove_prefix(1);
    const std::string empty =
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\"/>";
    const auto kind = selector == 'c' ? DocumentKind::kOpenSheet
                      : selector == 'd' ? DocumentKind::kOpenSlides
                                        : DocumentKind::kOpenText;
    if (selector == 'h')
        Check(kind, tavelo::test::BuildZip({Stored("content.xml", empty), Stored("styles.xml", input)}));
    else if (selector == 'm')
        Check(kind, tavelo::test::BuildZip({Stored("META-INF/manifest.xml", input), Stored("content.xml", empty)}));
    else if (selector == 't' || selector == 'c' || selector == 'd')
        Check(kind, tavelo::test::BuildZip({Stored("content.xml", input)}));
    return 0;
}
