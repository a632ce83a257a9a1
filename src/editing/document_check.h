#pragma once
// Which document paths of a book lead to no readable file, and why.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "book/subject_book.h"

namespace tavelo {

enum class DocumentStatus { kReadable, kMissing, kUnreadable };

// What a document path leads to when it is checked.
struct DocumentProbe {
    DocumentStatus status = DocumentStatus::kMissing;
    // The system's error of the failing step; 0 when readable, or when the
    // path leads to something that is not a regular file.
    int error = 0;
    // For a readable file: its size and modification time (ns since 1970).
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool IsReadable() const { return status == DocumentStatus::kReadable; }
};

// Looks at the path without ever waiting on a pipe or touching a device: a
// regular file that this process can open and read is readable; a path that
// leads nowhere is missing; anything else is unreadable.
DocumentProbe ProbeDocument(const std::string& path);
// The French reason of a missing or unreadable document ("accès refusé"...).
std::string DescribeProbe(const DocumentProbe& probe);

// Whether the path leads to a regular file that this process can open and read.
bool IsReadableDocument(const std::string& path);

// One document path of a book, copied out so that it can be checked away from
// the book (on another thread).
struct DocumentRef {
    const CTenorels* subject = nullptr;
    int index = 0;
    std::string path;
};
// Every document path, in subject order, then document order.
std::vector<DocumentRef> ListDocuments(const SubjectBook& book);

struct MissingDocument {
    const CTenorels* subject = nullptr;
    std::string path;
    int index = 0;
    DocumentProbe probe;
};

using DocumentProber = std::function<DocumentProbe(const std::string& path)>;

struct CheckControl {
    // Called after each document with the number checked so far.
    std::function<void(std::size_t done)> progress;
    // Called for each missing or unreadable document as it is found.
    std::function<void(const MissingDocument&)> found;
    // Set from elsewhere to stop; what was found so far is returned.
    const std::atomic<bool>* cancel = nullptr;
    // ProbeDocument when empty.
    DocumentProber prober;
};

// The documents that are not readable, in the order given.
std::vector<MissingDocument> CheckDocuments(const std::vector<DocumentRef>& documents, const CheckControl& control = {});

// In subject order, then document order; a path listed twice is listed twice.
std::vector<MissingDocument> FindMissingDocuments(const SubjectBook& book);

} // namespace tavelo
