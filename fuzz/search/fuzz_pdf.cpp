// Any bytes given to the PDF search give a verdict or a reason within the
// reader's limits, never a crash or a hang of the caller: poppler runs in the
// reader process.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "reading/text_source.h"
#include "search/document_search.h"
#include "search/search_pattern.h"

namespace {

struct InputFile {
    InputFile()
    {
        path = (std::filesystem::temp_directory_path() / "tavelo-fuzz-XXXXXX.pdf").string();
        fd = ::mkstemps(path.data(), 4);
    }
    ~InputFile()
    {
        if (fd >= 0) {
            ::close(fd);
            ::unlink(path.c_str());
        }
    }
    std::string path;
    int fd = -1;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* options = std::getenv("ASAN_OPTIONS");
    const std::string readerOptions = std::string(options != nullptr ? options : "") + ":symbolize=0";
    ::setenv("ASAN_OPTIONS", readerOptions.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const tavelo::SearchPattern pattern("zorglub", {});
    static const InputFile input;
    // One second a document and an OCR page: enough to reach every path,
    // the reader's kill on a hostile input included, at a few runs a second.
    static tavelo::TextSource source(tavelo::TextCache::Disabled(),
                                     {{std::size_t{1} << 30, std::chrono::seconds(1), std::chrono::seconds(1)}, {}, 1});
    if (input.fd < 0 || ftruncate(input.fd, 0) != 0 ||
        pwrite(input.fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    const tavelo::DocumentMatch match =
        tavelo::SearchDocumentFile(input.path, tavelo::DocumentKind::kPdf, pattern, source);
    if (match.status == tavelo::DocumentMatch::kUnreadable && match.reason.empty())
        __builtin_trap();
    return 0;
}
