#include "editing/document_check.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/tr.h"
#include "book/file_io.h"

namespace tavelo {

namespace {

DocumentProbe Failed(DocumentStatus status, int error)
{
    DocumentProbe probe;
    probe.status = status;
    probe.error = error;
    return probe;
}

// ENOENT and ENOTDIR: nothing is there any more. Anything else (permissions,
// I/O errors, loops of links) leaves something there that cannot be read.
DocumentStatus StatusOfError(int error)
{
    return error == ENOENT || error == ENOTDIR ? DocumentStatus::kMissing : DocumentStatus::kUnreadable;
}

} // namespace

DocumentProbe ProbeDocument(const std::string& path)
{
    if (path.empty())
        return Failed(DocumentStatus::kMissing, ENOENT);
    // The kind first, without opening: opening a device may act on it.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return Failed(StatusOfError(errno), errno);
    if (!S_ISREG(st.st_mode))
        return Failed(DocumentStatus::kUnreadable, 0);
    // O_NONBLOCK: a path swapped for a pipe meanwhile must not hang the check.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return Failed(StatusOfError(errno), errno);
    DocumentProbe probe;
    char byte = 0;
    if (::fstat(fd, &st) != 0) {
        probe = Failed(DocumentStatus::kUnreadable, errno);
    } else if (!S_ISREG(st.st_mode)) {
        probe = Failed(DocumentStatus::kUnreadable, 0);
    } else if (::pread(fd, &byte, 1, 0) < 0) {
        probe = Failed(DocumentStatus::kUnreadable, errno);
    } else {
        probe.status = DocumentStatus::kReadable;
        probe.size = static_cast<std::uint64_t>(st.st_size);
        probe.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    ::close(fd);
    return probe;
}

std::string DescribeProbe(const DocumentProbe& probe)
{
    switch (probe.status) {
    case DocumentStatus::kReadable:
        return {};
    case DocumentStatus::kMissing:
        return probe.error == ENOTDIR ? DescribeError(ENOTDIR) : Tr("Editing", "le fichier n'existe pas");
    case DocumentStatus::kUnreadable:
        if (probe.error == 0)
            return Tr("Editing", "ce n'est pas un fichier ordinaire");
        if (probe.error == ELOOP)
            return Tr("Editing", "trop de liens symboliques");
        return DescribeError(probe.error);
    }
    return {};
}

bool IsReadableDocument(const std::string& path)
{
    return ProbeDocument(path).IsReadable();
}

std::vector<DocumentRef> ListDocuments(const SubjectBook& book)
{
    std::vector<DocumentRef> documents;
    for (const auto& subject : book.Subjects()) {
        for (int i = 0; i < subject->GetDocumentCount(); ++i)
            documents.push_back({subject.get(), i, subject->GetDocumentPath(i)});
    }
    return documents;
}

std::vector<MissingDocument> CheckDocuments(const std::vector<DocumentRef>& documents, const CheckControl& control)
{
    std::vector<MissingDocument> missing;
    std::size_t done = 0;
    for (const DocumentRef& document : documents) {
        if (control.cancel && control.cancel->load(std::memory_order_relaxed))
            break;
        DocumentProbe probe = control.prober ? control.prober(document.path) : ProbeDocument(document.path);
        if (!probe.IsReadable()) {
            missing.push_back({document.subject, document.path, document.index, probe});
            if (control.found)
                control.found(missing.back());
        }
        if (control.progress)
            control.progress(++done);
    }
    return missing;
}

std::vector<MissingDocument> FindMissingDocuments(const SubjectBook& book)
{
    return CheckDocuments(ListDocuments(book));
}

} // namespace tavelo
