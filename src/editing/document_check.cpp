#include "editing/document_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavelo {

bool IsReadableDocument(const std::string& path)
{
    // O_NONBLOCK: a path that leads to a pipe must not hang the check.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    char byte = 0;
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::pread(fd, &byte, 1, 0) >= 0;
    ::close(fd);
    return ok;
}

std::vector<MissingDocument> FindMissingDocuments(const SubjectBook& book)
{
    std::vector<MissingDocument> missing;
    for (const auto& subject : book.Subjects()) {
        for (const std::string& path : subject->GetDocumentPaths()) {
            if (!IsReadableDocument(path))
                missing.push_back({subject.get(), path});
        }
    }
    return missing;
}

} // namespace tavelo
