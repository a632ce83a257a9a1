#pragma once
// Temporary folders and files for the search tests.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo::test {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavelo-search-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string File(std::string_view name) const { return (m_path / name).string(); }
    std::string Write(std::string_view name, std::string_view bytes) const
    {
        const std::string path = File(name);
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::filesystem::path m_path;
};

inline std::string Fixture(std::string_view name)
{
    return std::string(TAVELO_DOCUMENT_FIXTURES) + "/" + std::string(name);
}

// A PDF of one page that draws a form, which draws the next form four times,
// 40 levels deep: a few kilobytes whose text never ends.
inline std::string NestedFormsPdf()
{
    constexpr int kLevels = 40;
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /XObject << /F 5 0 R >> >> /Contents 4 0 R >>",
        "<< /Length 9 >>\nstream\nq /F Do Q\nendstream",
    };
    const std::string font = "/Font << /H << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >>";
    for (int level = 0; level < kLevels; ++level) {
        const bool last = level + 1 == kLevels;
        const std::string content = last ? "BT /H 10 Tf 10 10 Td (zorglub) Tj ET" : "/F Do /F Do /F Do /F Do";
        const std::string resources =
            last ? "<< " + font + " >>" : "<< /XObject << /F " + std::to_string(6 + level) + " 0 R >> >>";
        objects.push_back("<< /Type /XObject /Subtype /Form /BBox [0 0 595 842] /Resources " + resources +
                          " /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    }
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t off : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", off);
        pdf += entry;
    }
    return pdf + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
}

} // namespace tavelo::test
