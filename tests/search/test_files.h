#pragma once
// Temporary folders and files for the search tests.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

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

} // namespace tavelo::test
