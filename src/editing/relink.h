#pragma once
// Finding moved documents again: the missing documents of a book are looked
// for in a folder (and its sub-folders), by file name first, then by content
// for renamed files whose last seen size and hash are known, and the user
// confirms which ones are re-pointed.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "book/subject_book.h"
#include "editing/document_check.h"
#include "editing/file_scan.h"

namespace tavelo {

using FileDigest = std::array<std::uint8_t, 16>;

// What was known of a document the last time it was read.
struct LastSeenFile {
    std::uint64_t size = 0;
    FileDigest hash{};
};

// Where the content step gets what it needs. Both empty: files are matched by
// name only.
struct RelinkSources {
    std::function<std::optional<LastSeenFile>(const std::string& path)> lastSeen;
    std::function<std::optional<FileDigest>(const std::string& path)> hash;
};

// How a found file matches a missing document, strongest first.
enum class MatchKind {
    kSameNameAndSize, // same name, and the size it had when last seen
    kSameContent,     // another name, the same bytes as when last seen
    kSameName,        // same name; the document's size is not known
    kSameNameOtherSize, // same name, but not the size it had: shown, never chosen
};

struct RelinkCandidate {
    std::string path;
    std::uint64_t size = 0;
    MatchKind kind = MatchKind::kSameName;
    // How many trailing folders its path shares with the missing path.
    int sharedFolders = 0;
};

struct RelinkProposal {
    MissingDocument document;
    std::vector<RelinkCandidate> candidates; // best first
    // The candidate offered ready-checked, or -1 when the user must choose
    // (several equally good ones) or none is good enough.
    int chosen = -1;
};

struct RelinkScan {
    std::vector<RelinkProposal> proposals; // one per missing document that has candidates
    std::vector<MissingDocument> notFound;
    ScanResult scan;                       // the files met, unreadable folders
    bool cancelled = false;
};

struct RelinkControl {
    // Called now and then while the folder is walked.
    std::function<void(const ScanProgress&)> progress;
    const std::atomic<bool>* cancel = nullptr;
};

// Looks for the missing documents in `folder`.
RelinkScan FindMovedDocuments(const std::vector<MissingDocument>& missing, const std::string& folder,
                              const RelinkSources& sources = {}, const RelinkControl& control = {});

// One re-pointing the user confirmed.
struct Relink {
    const CTenorels* subject = nullptr;
    int index = 0;
    std::string oldPath;
    std::string newPath;
};

// The chosen candidates of the proposals, as re-pointings.
std::vector<Relink> ChosenRelinks(const std::vector<RelinkProposal>& proposals);

// Re-points each document whose subject is still in the book and still holds
// `oldPath` at that place; others are skipped. Marks the book modified when
// any path changed. Returns the number changed.
std::size_t ApplyRelinks(SubjectBook& book, const std::vector<Relink>& relinks);

} // namespace tavelo
