#include "reading/text_cache.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <sqlite3.h>

#include "base/tr.h"
#include "reading/text_cache_sqlite.h"

// What was last read at each path: one row per folder, whose files are kept
// together, sorted by name, so that a search remembers a folder of a
// thousand files in one row rather than a thousand.

namespace tavelo {

using namespace text_cache_sql;

namespace {

void PutVarint(std::string& out, std::uint64_t value)
{
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

bool GetVarint(std::string_view in, std::size_t& pos, std::uint64_t& value)
{
    value = 0;
    for (int shift = 0; shift < 64 && pos < in.size(); shift += 7) {
        const auto byte = static_cast<unsigned char>(in[pos++]);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return true;
    }
    return false;
}

// The folder and the name of a path; a path without a folder has "".
std::pair<std::string_view, std::string_view> Split(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {std::string_view(), path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

// The files last seen in `folder`, from its row (`read` selects it); none
// when it has no row or a damaged one.
int ReadFolder(sqlite3_stmt* read, std::string_view folder, std::vector<SeenFile>& files)
{
    BindText(read, 1, folder);
    std::string blob;
    const int code = Run(read, [&blob](sqlite3_stmt* row) { blob = ColumnBlob(row, 0); });
    if (code != SQLITE_OK || !DecodeSeen(blob, files))
        files.clear();
    return code;
}

} // namespace

std::string text_cache_sql::EncodeSeen(const std::vector<SeenFile>& files)
{
    std::string out;
    out.reserve(files.size() * (24 + ContentHash().size()));
    for (const SeenFile& file : files) {
        PutVarint(out, file.name.size());
        out += file.name;
        PutVarint(out, file.known.size);
        out.append(reinterpret_cast<const char*>(file.known.hash.data()), file.known.hash.size());
    }
    return out;
}

bool text_cache_sql::DecodeSeen(std::string_view blob, std::vector<SeenFile>& files)
{
    files.clear();
    std::size_t pos = 0;
    while (pos < blob.size()) {
        SeenFile file;
        std::uint64_t length = 0;
        if (!GetVarint(blob, pos, length) || length > blob.size() - pos)
            return false;
        file.name.assign(blob.substr(pos, static_cast<std::size_t>(length)));
        pos += static_cast<std::size_t>(length);
        if (!GetVarint(blob, pos, file.known.size) || blob.size() - pos < file.known.hash.size())
            return false;
        std::memcpy(file.known.hash.data(), blob.data() + pos, file.known.hash.size());
        pos += file.known.hash.size();
        // Sorted and each name once, or the lookups would miss.
        if (!files.empty() && !(files.back().name < file.name))
            return false;
        files.push_back(std::move(file));
    }
    return true;
}

void text_cache_sql::AddSeen(SeenUpdates& updates, std::string_view path, const KnownFile& known)
{
    const auto [folder, name] = Split(path);
    updates[std::string(folder)][std::string(name)] = known;
}

// On the writer thread, in its transaction: each folder's row is read, the
// files seen again put in, and written back only when something changed. A
// damaged row starts again from what the writer holds.
int TextCache::WriteSeen(const SeenUpdates& updates)
{
    int code = SQLITE_OK;
    sqlite3_stmt* read = m_writer->Prepare("SELECT files FROM seen WHERE folder = ?1", code);
    sqlite3_stmt* write =
        read != nullptr ? m_writer->Prepare("INSERT INTO seen(folder, files) VALUES (?1, ?2) "
                                            "ON CONFLICT(folder) DO UPDATE SET files = excluded.files",
                                            code)
                        : nullptr;
    std::vector<SeenFile> kept;
    std::vector<SeenFile> merged;
    for (auto folder = updates.begin(); write != nullptr && code == SQLITE_OK && folder != updates.end(); ++folder) {
        if ((code = ReadFolder(read, folder->first, kept)) != SQLITE_OK)
            break;
        merged.clear();
        merged.reserve(kept.size() + folder->second.size());
        bool changed = false;
        auto old = kept.begin();
        for (const auto& [name, known] : folder->second) {
            while (old != kept.end() && old->name < name)
                merged.push_back(std::move(*old++));
            const bool same = old != kept.end() && old->name == name;
            changed = changed || !same || old->known.size != known.size || old->known.hash != known.hash;
            merged.push_back({name, known});
            if (same)
                ++old;
        }
        if (!changed)
            continue;
        std::move(old, kept.end(), std::back_inserter(merged));
        const std::string files = EncodeSeen(merged);
        BindText(write, 1, folder->first);
        BindBlob(write, 2, files);
        code = Run(write);
    }
    return code;
}

std::optional<KnownFile> TextCache::KnownPath(const std::string& path)
{
    std::vector<std::optional<KnownFile>> known = LastSeenMany({path});
    return std::move(known.front());
}

std::vector<std::optional<KnownFile>> TextCache::LastSeenMany(const std::vector<std::string_view>& paths)
{
    std::vector<std::optional<KnownFile>> known(paths.size());
    if (paths.empty())
        return known;
    std::unique_ptr<Connection> connection = Acquire();
    if (!connection)
        return known;
    // Each folder's row is read once.
    std::unordered_map<std::string_view, std::vector<std::size_t>> byFolder;
    for (std::size_t i = 0; i < paths.size(); ++i)
        byFolder[Split(paths[i]).first].push_back(i);
    int code = SQLITE_OK;
    sqlite3_stmt* read = connection->Prepare("SELECT files FROM seen WHERE folder = ?1", code);
    std::vector<SeenFile> files;
    for (auto folder = byFolder.begin(); read != nullptr && code == SQLITE_OK && folder != byFolder.end(); ++folder) {
        // A damaged row only forgets what was seen there.
        code = ReadFolder(read, folder->first, files);
        for (const std::size_t i : folder->second) {
            const std::string_view name = Split(paths[i]).second;
            const auto at = std::lower_bound(files.begin(), files.end(), name,
                                             [](const SeenFile& file, std::string_view n) { return file.name < n; });
            if (at != files.end() && at->name == name)
                known[i] = at->known;
        }
    }
    Release(std::move(connection));
    if (code != SQLITE_OK) {
        const std::lock_guard lock(m_mutex);
        Failed(code, TAVELO_TR_NOOP("Search", "lu"));
    }
    return known;
}

} // namespace tavelo
