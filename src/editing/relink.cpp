#include "editing/relink.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "book/tenorels.h"

namespace tavelo {

namespace {

struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

using NameIndex = std::unordered_map<std::string, std::vector<std::size_t>, NameHash, std::equal_to<>>;

int Tier(MatchKind kind)
{
    switch (kind) {
    case MatchKind::kSameNameAndSize:
    case MatchKind::kSameContent:
        return 0;
    case MatchKind::kSameName:
        return 1;
    case MatchKind::kSameNameOtherSize:
        return 2;
    }
    return 2;
}
constexpr int kNeverChosen = 2;

// The folder names of a path, innermost first ("/a/b/c.pdf": b, a). Books
// written on Windows separate with '\'.
std::vector<std::string_view> FoldersInnermostFirst(std::string_view path)
{
    std::vector<std::string_view> folders;
    std::size_t end = path.find_last_of("/\\");
    while (end != std::string_view::npos && end > 0) {
        const std::size_t start = path.find_last_of("/\\", end - 1);
        const std::size_t from = start == std::string_view::npos ? 0 : start + 1;
        if (end > from)
            folders.push_back(path.substr(from, end - from));
        if (start == std::string_view::npos)
            break;
        end = start;
    }
    return folders;
}

int SharedFolders(std::string_view missing, std::string_view found)
{
    const auto a = FoldersInnermostFirst(missing);
    const auto b = FoldersInnermostFirst(found);
    int shared = 0;
    while (static_cast<std::size_t>(shared) < a.size() && static_cast<std::size_t>(shared) < b.size() &&
           a[static_cast<std::size_t>(shared)] == b[static_cast<std::size_t>(shared)])
        ++shared;
    return shared;
}

bool Better(const RelinkCandidate& a, const RelinkCandidate& b)
{
    if (Tier(a.kind) != Tier(b.kind))
        return Tier(a.kind) < Tier(b.kind);
    if (a.sharedFolders != b.sharedFolders)
        return a.sharedFolders > b.sharedFolders;
    return a.path < b.path;
}

// The one candidate to offer ready-checked: alone in the best tier, or ahead
// of the others of its tier by the folders it shares with the missing path.
int Choose(const std::vector<RelinkCandidate>& sorted)
{
    if (sorted.empty() || Tier(sorted[0].kind) >= kNeverChosen)
        return -1;
    if (sorted.size() == 1 || Tier(sorted[1].kind) != Tier(sorted[0].kind))
        return 0;
    return sorted[0].sharedFolders > sorted[1].sharedFolders ? 0 : -1;
}

// A file chosen for two different missing paths can be only one of them: it
// stays with the one that shares strictly more folders with it, else with none.
void SettleSharedChoices(std::vector<RelinkProposal>& proposals)
{
    std::map<std::string, std::vector<std::size_t>> byFile;
    for (std::size_t i = 0; i < proposals.size(); ++i) {
        if (proposals[i].chosen >= 0)
            byFile[proposals[i].candidates[static_cast<std::size_t>(proposals[i].chosen)].path].push_back(i);
    }
    for (const auto& [file, users] : byFile) {
        // The folders shared depend on the missing path only.
        std::map<std::string, int> sharedByPath;
        for (std::size_t i : users)
            sharedByPath[proposals[i].document.path] =
                proposals[i].candidates[static_cast<std::size_t>(proposals[i].chosen)].sharedFolders;
        if (sharedByPath.size() < 2)
            continue;
        int best = -1;
        int atBest = 0;
        std::string keeper;
        for (const auto& [path, shared] : sharedByPath) {
            if (shared > best) {
                best = shared;
                atBest = 1;
                keeper = path;
            } else if (shared == best) {
                ++atBest;
            }
        }
        for (std::size_t i : users) {
            if (atBest > 1 || proposals[i].document.path != keeper)
                proposals[i].chosen = -1;
        }
    }
}

} // namespace

RelinkScan FindMovedDocuments(const std::vector<MissingDocument>& missing, const std::string& folder,
                              const RelinkSources& sources, const RelinkControl& control)
{
    NameIndex byName;
    std::vector<std::optional<LastSeenFile>> lastSeen(missing.size());
    std::unordered_set<std::uint64_t> sizes;
    for (std::size_t i = 0; i < missing.size(); ++i) {
        byName[GetDocumentFileName(missing[i].path)].push_back(i);
        if (sources.lastSeen)
            lastSeen[i] = sources.lastSeen(missing[i].path);
        // Empty files all have the same bytes: their content tells nothing.
        if (lastSeen[i] && lastSeen[i]->size > 0 && sources.hash)
            sizes.insert(lastSeen[i]->size);
    }

    ScanRequest request;
    request.byName = [&byName](std::string_view name) { return byName.find(name) != byName.end(); };
    if (!sizes.empty())
        request.bySize = [&sizes](std::uint64_t size) { return sizes.count(size) != 0; };
    ScanControl scanControl{control.progress, control.cancel};

    RelinkScan result;
    result.scan = ScanFolder(folder, request, scanControl);
    result.cancelled = result.scan.cancelled;
    if (result.cancelled)
        return result;

    std::vector<std::vector<RelinkCandidate>> candidates(missing.size());
    std::unordered_map<std::uint64_t, std::vector<const ScannedFile*>> filesBySize;
    for (const ScannedFile& file : result.scan.files) {
        const std::string name = GetDocumentFileName(file.path);
        if (const auto it = byName.find(name); it != byName.end()) {
            for (std::size_t i : it->second) {
                MatchKind kind = MatchKind::kSameName;
                if (lastSeen[i])
                    kind = lastSeen[i]->size == file.size ? MatchKind::kSameNameAndSize : MatchKind::kSameNameOtherSize;
                candidates[i].push_back({file.path, file.size, kind, SharedFolders(missing[i].path, file.path)});
            }
        }
        if (sizes.count(file.size) != 0)
            filesBySize[file.size].push_back(&file);
    }

    // The content step: renamed files of the right size whose bytes hash to
    // what the missing document's bytes hashed to. Each file is hashed once.
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::optional<FileDigest>> hashes;
    for (std::size_t i = 0; i < missing.size() && !sizes.empty(); ++i) {
        if (!lastSeen[i] || lastSeen[i]->size == 0)
            continue;
        const auto it = filesBySize.find(lastSeen[i]->size);
        if (it == filesBySize.end())
            continue;
        const std::string name = GetDocumentFileName(missing[i].path);
        for (const ScannedFile* file : it->second) {
            if (control.cancel && control.cancel->load(std::memory_order_relaxed)) {
                result.cancelled = true;
                return result;
            }
            if (GetDocumentFileName(file->path) == name)
                continue;
            auto [entry, fresh] = hashes.try_emplace({file->device, file->inode});
            if (fresh)
                entry->second = sources.hash(file->path);
            if (entry->second && *entry->second == lastSeen[i]->hash)
                candidates[i].push_back(
                    {file->path, file->size, MatchKind::kSameContent, SharedFolders(missing[i].path, file->path)});
        }
    }

    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (candidates[i].empty()) {
            result.notFound.push_back(missing[i]);
            continue;
        }
        std::sort(candidates[i].begin(), candidates[i].end(), Better);
        RelinkProposal proposal{missing[i], std::move(candidates[i]), -1};
        proposal.chosen = Choose(proposal.candidates);
        result.proposals.push_back(std::move(proposal));
    }
    SettleSharedChoices(result.proposals);
    return result;
}

std::vector<Relink> ChosenRelinks(const std::vector<RelinkProposal>& proposals)
{
    std::vector<Relink> relinks;
    for (const RelinkProposal& p : proposals) {
        if (p.chosen >= 0 && static_cast<std::size_t>(p.chosen) < p.candidates.size())
            relinks.push_back({p.document.subject, p.document.index, p.document.path,
                               p.candidates[static_cast<std::size_t>(p.chosen)].path});
    }
    return relinks;
}

std::size_t ApplyRelinks(SubjectBook& book, const std::vector<Relink>& relinks)
{
    std::unordered_map<const CTenorels*, CTenorels*> records;
    for (std::size_t i = 0; i < book.GetSubjectCount(); ++i)
        records.emplace(book.GetSubject(i), book.GetSubject(i));
    std::size_t changed = 0;
    for (const Relink& r : relinks) {
        const auto it = records.find(r.subject);
        if (it == records.end())
            continue;
        CTenorels* subject = it->second;
        if (r.index < 0 || r.index >= subject->GetDocumentCount() || subject->GetDocumentPath(r.index) != r.oldPath)
            continue;
        subject->SetDocumentPath(r.index, r.newPath);
        ++changed;
    }
    if (changed > 0)
        book.SetModifiedFlag(true);
    return changed;
}

} // namespace tavelo
