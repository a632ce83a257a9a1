// Any bytes given to the workbook search give a verdict or a reason, never a
// crash of the caller. FreeXL runs in the reader process, which keeps its own
// faults away; the cells come back through the exchange that this target also
// exercises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "search/document_search.h"
#include "search/search_pattern.h"

namespace {

// The reader is another process: it opens the workbook by a path of its own,
// so the input goes to a real file rather than to a memory file.
struct InputFile {
    InputFile()
    {
        path = (std::filesystem::temp_directory_path() / "tavelo-fuzz-XXXXXX.xls").string();
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

// Many inputs end the reader on a FreeXL fault, which is expected there and
// reported as an unreadable workbook. Symbolising each of those reports
// costs most of a second; this process has read its options already, so only
// the readers it starts go without.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* options = std::getenv("ASAN_OPTIONS");
    const std::string readerOptions = std::string(options != nullptr ? options : "") + ":symbolize=0";
    ::setenv("ASAN_OPTIONS", readerOptions.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const tavelo::SearchPattern pattern("zorglub*", {});
    static const InputFile input;
    if (input.fd < 0 || ftruncate(input.fd, 0) != 0 ||
        pwrite(input.fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    // No cache: every input is read by the reader process.
    static tavelo::TextSource source(tavelo::TextCache::Disabled(), {{}, {}, 1});
    const tavelo::DocumentMatch match =
        tavelo::SearchDocumentFile(input.path, tavelo::DocumentKind::kSpreadsheet, pattern, source);
    if (match.status == tavelo::DocumentMatch::kUnreadable && match.reason.empty())
        __builtin_trap();
    return 0;
}
