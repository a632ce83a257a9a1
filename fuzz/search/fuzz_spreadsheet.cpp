// Any bytes given to the workbook search (through a memory file, since FreeXL
// opens paths) give a verdict or a reason, never a crash of the caller. FreeXL
// runs in a child process there, which keeps its own faults away.
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "search/document_search.h"
#include "search/search_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const tavelo::SearchPattern pattern("zorglub*", {});
    static const int fd = memfd_create("fuzz.xls", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const tavelo::DocumentMatch match =
        tavelo::SearchDocumentFile(path, tavelo::DocumentKind::kSpreadsheet, pattern);
    if (match.status == tavelo::DocumentMatch::kUnreadable && match.reason.empty())
        __builtin_trap();
    return 0;
}
