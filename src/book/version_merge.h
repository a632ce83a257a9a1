#pragma once
// Merging two versions of one book, subject by subject.
//
// A subject is known by its general title and its name (the k-th subject of a
// title and name in one version meets the k-th of the others). With the common
// base known, the merge is three-way: added on either side, kept; changed on
// one side, that side; changed on both, united (document paths in order, mine
// first; expected texts both kept, marked, when they differ); removed on one
// side and unchanged on the other, removed; removed on one side and changed on
// the other, the changed one is kept. Without a base, nothing counts as
// removed, and a subject present on both sides with different contents is
// united. Nothing is lost: whatever one side holds is in the result unless
// that side's own subject was removed by the other while unchanged.

#include <string>
#include <vector>

#include "book/book_file.h"

namespace tavelo {

enum class MergeSide { kMine, kTheirs, kBoth };
enum class MergeChange {
    kAdded,
    kChanged,
    kRemoved,
    kUnited,        // changed on both sides (or, without a base, different on both): united
    kKeptOverRemoval, // removed on one side, changed on the other: the change is kept
};

struct MergeEntry {
    MergeSide side = MergeSide::kMine;
    MergeChange change = MergeChange::kAdded;
    std::string generalTitle;
    std::string name;
};

struct MergeResult {
    SubjectList merged;
    std::vector<MergeEntry> entries; // in the merged book's order, removals last
    // Whether the user should look before the result is written: subjects
    // that both sides changed, or that one removed and the other changed.
    bool NeedsUser() const;
    std::size_t Count(MergeSide side, MergeChange change) const;
};

// `base` null: the two-way merge.
MergeResult MergeVersions(const SubjectList* base, const SubjectList& mine, const SubjectList& theirs);

// The line that separates two expected texts kept together.
std::string ExpectedTextsSeparator();

} // namespace tavelo
