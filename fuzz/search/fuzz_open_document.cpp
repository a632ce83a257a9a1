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

#include "check_format.h"
#include "zip_builder.h"

namespace {

using tavelo::DocumentKind;
using tavelo::fuzz::CheckReader;
using tavelo::test::Stored;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.substr(0, 2) == "PK") {
        for (const DocumentKind kind : {DocumentKind::kOpenText, DocumentKind::kOpenSheet, DocumentKind::kOpenSlides})
            CheckReader(kind, input);
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
        CheckReader(kind, tavelo::test::BuildZip({Stored("content.xml", empty), Stored("styles.xml", input)}));
    else if (selector == 'm')
        CheckReader(kind, tavelo::test::BuildZip({Stored("META-INF/manifest.xml", input), Stored("content.xml", empty)}));
    else if (selector == 't' || selector == 'c' || selector == 'd')
        CheckReader(kind, tavelo::test::BuildZip({Stored("content.xml", input)}));
    return 0;
}
