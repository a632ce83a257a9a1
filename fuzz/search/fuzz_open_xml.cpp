// Any bytes given to the Office Open XML readers (.docx, .xlsx, .pptx) give
// valid UTF-8 pieces or a reason, never a crash. An input that starts as an
// archive or an OLE2 file is given whole to the three readers. Any other input
// is one XML part, chosen by its first byte, in a package whose other parts
// are fixed: mutations of the XML then reach the readers instead of breaking
// the archive's checksums. 'w' word/document.xml; 's' a worksheet, 'S' the
// shared strings, 'y' the styles of a workbook; 'p' a slide.
#include <cstddef>
#include <cstdint>
#include <string>

#include "check_format.h"
#include "zip_builder.h"

namespace {

using tavelo::DocumentKind;
using tavelo::fuzz::CheckReader;
using tavelo::test::Stored;

const std::string kSheetNs = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
const std::string kIdNs = "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

std::string Relationships(const std::vector<std::pair<std::string, std::string>>& typeAndTarget)
{
    std::string xml = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (std::size_t i = 0; i < typeAndTarget.size(); ++i)
        xml += "<Relationship Id=\"rId" + std::to_string(i + 1) +
               "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/" +
               typeAndTarget[i].first + "\" Target=\"" + typeAndTarget[i].second + "\"/>";
    return xml + "</Relationships>";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.substr(0, 2) == "PK" || input.substr(0, 4) == "\xD0\xCF\x11\xE0") {
        for (const DocumentKind kind : {DocumentKind::kWordXml, DocumentKind::kSheetXml, DocumentKind::kSlidesXml})
            CheckReader(kind, input);
        return 0;
    }
    if (input.empty())
        return 0;
    const char selector = input.front();
    input.remove_prefix(1);
    const auto part = [&](char which, std::string fixed) { return selector == which ? std::string(input) : fixed; };
    if (selector == 'w') {
        CheckReader(DocumentKind::kWordXml, tavelo::test::BuildZip({Stored("word/document.xml", input)}));
    } else if (selector == 's' || selector == 'S' || selector == 'y') {
        const std::string workbook = tavelo::test::BuildZip({
            Stored("xl/workbook.xml", "<workbook " + kSheetNs + " " + kIdNs +
                                          "><sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"),
            Stored("xl/_rels/workbook.xml.rels",
                   Relationships({{"worksheet", "worksheets/sheet1.xml"}, {"sharedStrings", "sharedStrings.xml"},
                                  {"styles", "styles.xml"}})),
            Stored("xl/worksheets/sheet1.xml",
                   part('s', "<worksheet " + kSheetNs + "><sheetData><row><c t=\"s\"><v>0</v></c><c s=\"1\"><v>39082.5</v>"
                                                       "</c></row></sheetData></worksheet>")),
            Stored("xl/sharedStrings.xml", part('S', "<sst " + kSheetNs + "><si><t>a</t></si></sst>")),
            Stored("xl/styles.xml", part('y', "<styleSheet " + kSheetNs + "><cellXfs><xf numFmtId=\"0\"/>"
                                                                          "<xf numFmtId=\"14\"/></cellXfs></styleSheet>")),
        });
        CheckReader(DocumentKind::kSheetXml, workbook);
    } else if (selector == 'p') {
        const std::string presentation = tavelo::test::BuildZip({
            Stored("ppt/presentation.xml",
                   "<p:presentation xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\" " + kIdNs +
                       "><p:sldIdLst><p:sldId id=\"256\" r:id=\"rId1\"/></p:sldIdLst></p:presentation>"),
            Stored("ppt/_rels/presentation.xml.rels", Relationships({{"slide", "slides/slide1.xml"}})),
            Stored("ppt/slides/slide1.xml", input),
        });
        CheckReader(DocumentKind::kSlidesXml, presentation);
    }
    return 0;
}
