// Any bytes given to the workbook search give a verdict or a reason, never a
// crash of the caller. FreeXL runs in the reader process there (or in a
// forked child without it), which keeps its own faults away; the cells come
// back through the exchange that this target also exercises.
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const tavelo::SearchPattern pattern("zorglub*", {});
    static const InputFile input;
    if (input.fd < 0 || ftruncate(input.fd, 0) != 0 ||
        pwrite(input.fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    const tavelo::DocumentMatch match =
        tavelo::SearchDocumentFile(input.path, tavelo::DocumentKind::kSpreadsheet, pattern);
    if (match.status == tavelo::DocumentMatch::kUnreadable && match.reason.empty())
        __builtin_trap();
    return 0;
}
