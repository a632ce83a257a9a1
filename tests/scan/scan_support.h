#pragma once
// What the scanning tests share: a temporary folder, the PDFs they write read
// back with poppler, and SANE's test backend set up in a private
// configuration folder.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <poppler-document.h>
#include <poppler-page.h>

#include "scan/scanner.h"

namespace tavelo::test {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavelo-scan-XXXXXX").string();
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
    std::string Path() const { return m_path.string(); }
    // The names of the folder's files, hidden ones (temporary files) included.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::filesystem::path m_path;
};

// The PDF's pages and their text layer; -1 pages when poppler cannot read it.
struct PdfContent {
    int pages = -1;
    std::string text;
};

inline PdfContent ReadPdf(const std::string& path)
{
    PdfContent content;
    const std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(path));
    if (!doc)
        return content;
    content.pages = doc->pages();
    for (int i = 0; i < content.pages; ++i) {
        const std::unique_ptr<poppler::page> page(doc->create_page(i));
        const poppler::byte_array utf8 = page->text().to_utf8();
        content.text.append(utf8.begin(), utf8.end());
        content.text += '\n';
    }
    return content;
}

// SANE's test backend alone, through a private SANE_CONFIG_DIR set before
// SANE starts: device test:0, a grid on every page (the feeder gives ten),
// 75 dpi, gray. One folder for the whole process: SANE reads where its
// configuration is only once.
class SaneTestBackend {
public:
    static const SaneTestBackend& Get()
    {
        static const SaneTestBackend backend;
        return backend;
    }

private:
    SaneTestBackend()
    {
        std::ofstream(m_config.File("dll.conf")) << "test\n";
        std::ofstream(m_config.File("test.conf")) << "number_of_devices 1\nmode Gray\ndepth 8\nresolution 75.0\n"
                                                     "test-picture \"Grid\"\n";
        ::setenv("SANE_CONFIG_DIR", m_config.Path().c_str(), 1);
    }

public:
    // Why the backend cannot be used here, or empty when it can.
    std::string Unavailable(scan::ScannerLibrary& library) const
    {
        if (!library.Started())
            return "SANE does not start: " + library.Failure();
        std::vector<scan::DeviceInfo> devices;
        std::string reason;
        if (!library.Devices(devices, reason))
            return "SANE lists no device: " + reason;
        for (const scan::DeviceInfo& d : devices)
            if (d.name == "test:0")
                return {};
        return "SANE's test backend (libsane1) is not installed";
    }

private:
    TempDir m_config;
};

} // namespace tavelo::test
