#pragma once
// What a search tells its caller while it runs and after it.

#include <cstddef>
#include <string>
#include <string_view>

#include "base/tr.h"

namespace tavelo {

class CTenorels;

inline constexpr std::string_view kSearchingFilePrefix = TAVELO_TR_NOOP("Search", "Recherche dans le fichier : ");
inline constexpr std::string_view kNoSubjectFoundMessage = TAVELO_TR_NOOP("Search", "Aucun sujet ne correspond aux critères");

// A document whose content could not be searched.
struct UnreadableDocument {
    const CTenorels* subject = nullptr;
    std::string path;
    std::string message; // translated, names the file and the reason
};

// Every call comes from the thread that runs the search.
class SearchProgress {
public:
    virtual ~SearchProgress() = default;
    // Before the subject at `index` (of `count`) is examined.
    virtual void SubjectStarted(const CTenorels& /*subject*/, std::size_t /*index*/, std::size_t /*count*/) {}
    // After it, matched or not: one step of the progress bar.
    virtual void SubjectExamined(const CTenorels& /*subject*/, std::size_t /*index*/, std::size_t /*count*/) {}
    // A document about to be searched, whatever its extension: `statusText` is
    // kSearchingFilePrefix followed by the document's file name.
    virtual void DocumentStarted(const CTenorels& /*subject*/, const std::string& /*statusText*/) {}
    virtual void DocumentUnreadable(const UnreadableDocument& /*document*/) {}
};

} // namespace tavelo
