// Any bytes given to the book reader either load or fail with BookFormatError;
// a book that loads writes back to bytes that load to the same subjects.

#include <cstdint>
#include <cstdlib>

#include "book/book_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        int notices = 0;
        const tavelo::SubjectList subjects = tavelo::ReadSubjectList(bytes, [&](std::string_view) { ++notices; });
        if (notices != 0)
            std::abort(); // an unknown schema must fail the load
        const std::string written = tavelo::WriteSubjectList(subjects);
        const tavelo::SubjectList again = tavelo::ReadSubjectList(written);
        if (again.size() != subjects.size())
            std::abort();
        for (std::size_t i = 0; i < again.size(); ++i) {
            if (!subjects[i] || !(*subjects[i] == *again[i]))
                std::abort();
        }
        if (tavelo::WriteSubjectList(again) != written)
            std::abort();
    } catch (const tavelo::BookFormatError&) {
    }
    return 0;
}
