// Writes the crafted documents that seed the fuzz targets besides the
// fixtures: shapes that once kept the search busy for minutes.
//   seed_maker FOLDER
#include <cstdio>
#include <fstream>
#include <string>

#include <zlib.h>

#include "test_files.h"
#include "word_builder.h"

namespace {

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Deflate(const std::string& input)
{
    uLongf size = compressBound(static_cast<uLong>(input.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(input.data()),
                  static_cast<uLong>(input.size()), 9) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

// A page whose contents list, many times over, one stream that inflates to
// 256 MiB of spaces.
std::string InflatingPdf()
{
    const std::string stream = Deflate(std::string(std::size_t{256} << 20, ' '));
    std::string contents;
    for (int i = 0; i < 20; ++i)
        contents += "4 0 R ";
    const std::string objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents [" + contents + "] >>",
        "<< /Length " + std::to_string(stream.size()) + " /Filter /FlateDecode >>\nstream\n" + stream + "\nendstream",
    };
    std::string pdf = "%PDF-1.4\n";
    std::string xref = "xref\n0 5\n0000000000 65535 f \n";
    for (std::size_t i = 0; i < std::size(objects); ++i) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", pdf.size());
        xref += entry;
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t at = pdf.size();
    return pdf + xref + "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + std::to_string(at) + "\n%%EOF\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::string folder = argv[1];
    using tavelo::test::BuildWordDocument;
    Write(folder + "/repeated-pieces.doc", BuildWordDocument({{std::u16string(4000, u'\0'), true}}, {false, true, false, 5000}));
    std::u16string fields;
    for (int i = 0; i < 5000; ++i)
        fields += u"\x13";
    fields += std::u16string(20000, u'x');
    Write(folder + "/nested-fields.doc", BuildWordDocument({{fields, false}}));
    Write(folder + "/nested-forms.pdf", tavelo::test::NestedFormsPdf());
    Write(folder + "/inflating.pdf", InflatingPdf());
    return 0;
}
