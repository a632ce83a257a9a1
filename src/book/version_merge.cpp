#include "book/version_merge.h"

#include <unordered_map>

#include "base/tr.h"
#include "book/tenorels.h"

namespace tavelo {

namespace {

// Each subject's key: title and name, with its rank among the subjects of
// that title and name when it is not the first (rare: only the duplicates
// pay for the rank). The index maps a key to the subject's place.
struct Indexed {
    std::vector<std::string> keys;
    std::unordered_map<std::string_view, std::size_t> index;
};

Indexed IndexVersion(const SubjectList& subjects)
{
    Indexed v;
    v.keys.reserve(subjects.size()); // no reallocation: the index views these strings
    v.index.reserve(subjects.size());
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        const CTenorels& s = *subjects[i];
        std::string key;
        key.reserve(s.GetGeneralTitle().size() + s.GetSubjectName().size() + 1);
        key += s.GetGeneralTitle();
        key += '\0';
        key += s.GetSubjectName();
        if (v.index.count(key)) {
            const std::string first = key;
            for (unsigned rank = 1;; ++rank) {
                key = first + '\0' + std::to_string(rank);
                if (!v.index.count(key))
                    break;
            }
        }
        v.keys.push_back(std::move(key));
        v.index.emplace(v.keys.back(), i);
    }
    return v;
}

std::unique_ptr<CTenorels> Copy(const CTenorels& s)
{
    return std::make_unique<CTenorels>(s);
}

// Both sides changed one subject: what either holds is kept.
std::unique_ptr<CTenorels> Unite(const CTenorels& mine, const CTenorels& theirs, const CTenorels* base)
{
    auto out = Copy(mine);
    if (base && mine.GetState() == base->GetState())
        out->SetState(theirs.GetState());
    const std::string& a = mine.GetExpectedText();
    const std::string& b = theirs.GetExpectedText();
    if (a != b) {
        if ((base && a == base->GetExpectedText()) || a.empty())
            out->SetExpectedText(b);
        else if (!(base && b == base->GetExpectedText()) && !b.empty())
            out->SetExpectedText(a + ExpectedTextsSeparator() + b);
    }
    for (const std::string& path : theirs.GetDocumentPaths()) {
        if (!out->HasDocumentPath(path))
            out->AddDocumentPath(path);
    }
    return out;
}

} // namespace

std::string ExpectedTextsSeparator()
{
    return "\n" + Tr("Merge", "——— version de l'autre côté ———") + "\n";
}

bool MergeResult::NeedsUser() const
{
    for (const MergeEntry& e : entries) {
        if (e.change == MergeChange::kUnited || e.change == MergeChange::kKeptOverRemoval)
            return true;
    }
    return false;
}

std::size_t MergeResult::Count(MergeSide side, MergeChange change) const
{
    std::size_t n = 0;
    for (const MergeEntry& e : entries)
        n += e.side == side && e.change == change;
    return n;
}

MergeResult MergeVersions(const SubjectList* base, const SubjectList& mine, const SubjectList& theirs)
{
    const Indexed mineVersion = IndexVersion(mine);
    const Indexed theirsVersion = IndexVersion(theirs);
    const Indexed baseVersion = base ? IndexVersion(*base) : Indexed();
    const std::vector<std::string>& mineKeys = mineVersion.keys;
    const std::vector<std::string>& theirsKeys = theirsVersion.keys;
    const auto& mineIndex = mineVersion.index;
    const auto& theirsIndex = theirsVersion.index;
    const auto& baseIndex = baseVersion.index;
    const auto baseOf = [&](std::string_view key) -> const CTenorels* {
        const auto it = baseIndex.find(key);
        return it == baseIndex.end() ? nullptr : (*base)[it->second].get();
    };

    MergeResult result;
    result.merged.reserve(mine.size() + theirs.size());
    std::vector<MergeEntry> removals;
    const auto note = [](std::vector<MergeEntry>& list, MergeSide side, MergeChange change, const CTenorels& s) {
        list.push_back({side, change, s.GetGeneralTitle(), s.GetSubjectName()});
    };

    // Subjects only theirs holds go after the subject that precedes them in
    // their version and that mine holds too (slot i + 1 follows mine[i]);
    // with none before them, before the next such subject, else at the end.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<std::size_t> slotOf(theirs.size(), kNone);
    std::vector<std::size_t> inMineAt(theirs.size(), kNone);
    std::size_t previous = kNone;
    for (std::size_t j = 0; j < theirs.size(); ++j) {
        const auto inMine = mineIndex.find(theirsKeys[j]);
        if (inMine != mineIndex.end())
            previous = inMineAt[j] = inMine->second + 1;
        else
            slotOf[j] = previous;
    }
    std::size_t next = mine.size();
    for (std::size_t j = theirs.size(); j-- > 0;) {
        if (inMineAt[j] != kNone)
            next = inMineAt[j] - 1;
        else if (slotOf[j] == kNone)
            slotOf[j] = next;
    }
    std::vector<std::vector<std::size_t>> theirsAfter(mine.size() + 1);
    for (std::size_t j = 0; j < theirs.size(); ++j) {
        if (inMineAt[j] == kNone)
            theirsAfter[slotOf[j]].push_back(j);
    }

    const auto takeTheirsOnly = [&](std::size_t j) {
        const CTenorels& t = *theirs[j];
        const CTenorels* b = baseOf(theirsKeys[j]);
        if (b && t == *b) {
            note(removals, MergeSide::kMine, MergeChange::kRemoved, t);
            return;
        }
        note(result.entries, MergeSide::kTheirs, b ? MergeChange::kKeptOverRemoval : MergeChange::kAdded, t);
        result.merged.push_back(Copy(t));
    };

    for (const std::size_t j : theirsAfter[0])
        takeTheirsOnly(j);
    for (std::size_t i = 0; i < mine.size(); ++i) {
        const CTenorels& m = *mine[i];
        const CTenorels* b = baseOf(mineKeys[i]);
        const auto inTheirs = theirsIndex.find(mineKeys[i]);
        if (inTheirs == theirsIndex.end()) {
            if (b && m == *b) {
                note(removals, MergeSide::kTheirs, MergeChange::kRemoved, m);
            } else {
                if (b)
                    note(result.entries, MergeSide::kMine, MergeChange::kKeptOverRemoval, m);
                else if (base)
                    note(result.entries, MergeSide::kMine, MergeChange::kAdded, m);
                result.merged.push_back(Copy(m));
            }
        } else {
            const CTenorels& t = *theirs[inTheirs->second];
            if (m == t) {
                if (base && !(b && m == *b))
                    note(result.entries, MergeSide::kBoth, b ? MergeChange::kChanged : MergeChange::kAdded, m);
                result.merged.push_back(Copy(m));
            } else if (b && m == *b) {
                note(result.entries, MergeSide::kTheirs, MergeChange::kChanged, t);
                result.merged.push_back(Copy(t));
            } else if (b && t == *b) {
                note(result.entries, MergeSide::kMine, MergeChange::kChanged, m);
                result.merged.push_back(Copy(m));
            } else {
                note(result.entries, MergeSide::kBoth, MergeChange::kUnited, m);
                result.merged.push_back(Unite(m, t, b));
            }
        }
        for (const std::size_t j : theirsAfter[i + 1])
            takeTheirsOnly(j);
    }
    result.entries.insert(result.entries.end(), removals.begin(), removals.end());
    return result;
}

} // namespace tavelo
