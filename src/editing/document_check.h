#pragma once
// Which document paths of a book lead to no readable file.

#include <string>
#include <vector>

#include "book/subject_book.h"

namespace tavelo {

// Whether the path leads to a regular file that this process can open and read.
bool IsReadableDocument(const std::string& path);

struct MissingDocument {
    const CTenorels* subject = nullptr;
    std::string path;
};

// In subject order, then document order; a path listed twice is listed twice.
std::vector<MissingDocument> FindMissingDocuments(const SubjectBook& book);

} // namespace tavelo
