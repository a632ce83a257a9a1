#include "reading/text_cache.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "base/tr.h"
#include "reading/text_cache_sqlite.h"

// What a search asks of the cache for each of its documents, read at once:
// the state of every file and every text. Reading their rows costs a search
// of a thousand documents about a millisecond; the same state kept in one row
// (`known.state`) is read in a few pages. That row is written by a search that
// changed nothing, for the count of changes it read, and is dropped by the
// next change (CountChange).

namespace tavelo {

using namespace text_cache_sql;

namespace {

using File = TextCache::KnownFiles::File;
using Text = TextCache::KnownFiles::Text;

static_assert(std::has_unique_object_representations_v<File> && std::has_unique_object_representations_v<Text>,
              "kept byte for byte: no padding");

struct Header {
    char magic[8];
    // The layout of this build: a cache shared with a build of another one
    // reads the rows instead.
    std::uint32_t order, fileBytes, textBytes, unused;
    std::uint64_t files, texts, reasons;
};
static_assert(std::has_unique_object_representations_v<Header>);

constexpr char kMagic[8] = {'t', 'v', 'k', 'n', 'o', 'w', 'n', '1'};
constexpr std::uint32_t kOrder = 0x01020304;

// For a few files, a search each costs less than counting the rows.
bool ManyAsked(std::size_t asked)
{
    constexpr std::size_t kFewAsked = 64;
    return asked > kFewAsked;
}

// A pass over every row costs less than a search for each when the cache
// holds few more files than are asked.
bool WholeFor(std::int64_t kept, std::size_t asked)
{
    constexpr std::int64_t kFewMore = 2;
    return ManyAsked(asked) && kept <= kFewMore * static_cast<std::int64_t>(asked) + 256;
}

template <typename T>
bool Take(std::string_view blob, std::size_t& pos, std::uint64_t count, std::vector<T>& into)
{
    if (count > (blob.size() - pos) / sizeof(T))
        return false;
    into.resize(static_cast<std::size_t>(count));
    if (count != 0)
        std::memcpy(into.data(), blob.data() + pos, into.size() * sizeof(T));
    pos += into.size() * sizeof(T);
    return true;
}

} // namespace

std::string text_cache_sql::EncodeKnown(const TextCache::KnownFiles& known)
{
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.order = kOrder;
    header.fileBytes = sizeof(File);
    header.textBytes = sizeof(Text);
    header.files = known.files.size();
    header.texts = known.texts.size();
    header.reasons = known.reasons.size();
    std::size_t size = sizeof header + known.files.size() * sizeof(File) + known.texts.size() * sizeof(Text);
    for (const std::string& reason : known.reasons)
        size += sizeof(std::uint32_t) + reason.size();
    std::string out;
    out.reserve(size);
    out.append(reinterpret_cast<const char*>(&header), sizeof header);
    out.append(reinterpret_cast<const char*>(known.files.data()), known.files.size() * sizeof(File));
    out.append(reinterpret_cast<const char*>(known.texts.data()), known.texts.size() * sizeof(Text));
    for (const std::string& reason : known.reasons) {
        const auto length = static_cast<std::uint32_t>(reason.size());
        out.append(reinterpret_cast<const char*>(&length), sizeof length);
        out += reason;
    }
    return out;
}

namespace {

bool Decode(std::string_view blob, TextCache::KnownFiles& known)
{
    Header header{};
    if (blob.size() < sizeof header)
        return false;
    std::memcpy(&header, blob.data(), sizeof header);
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.order != kOrder ||
        header.fileBytes != sizeof(File) || header.textBytes != sizeof(Text) || header.unused != 0)
        return false;
    std::size_t pos = sizeof header;
    if (!Take(blob, pos, header.files, known.files) || !Take(blob, pos, header.texts, known.texts) ||
        header.reasons > (blob.size() - pos) / sizeof(std::uint32_t))
        return false;
    known.reasons.reserve(static_cast<std::size_t>(header.reasons));
    for (std::uint64_t i = 0; i < header.reasons; ++i) {
        std::uint32_t length = 0;
        if (blob.size() - pos < sizeof length)
            return false;
        std::memcpy(&length, blob.data() + pos, sizeof length);
        pos += sizeof length;
        if (length > blob.size() - pos)
            return false;
        known.reasons.emplace_back(blob.substr(pos, length));
        pos += length;
    }
    // Sorted and each key once, or the lookups would miss; each reason one
    // of those kept.
    for (std::size_t i = 0; i < known.files.size(); ++i)
        if (known.files[i].unused != 0 || (i > 0 && !(known.files[i - 1].Key() < known.files[i].Key())))
            return false;
    for (std::size_t i = 0; i < known.texts.size(); ++i) {
        const Text& text = known.texts[i];
        if (text.unused != 0 || (i > 0 && !(known.texts[i - 1].id < text.id)) || text.reason < -1 ||
            (text.reason >= 0 && static_cast<std::uint64_t>(text.reason) >= header.reasons))
            return false;
    }
    return pos == blob.size();
}

} // namespace

bool text_cache_sql::DecodeKnown(std::string_view blob, TextCache::KnownFiles& known)
{
    known.files.clear();
    known.texts.clear();
    known.reasons.clear();
    if (Decode(blob, known))
        return true;
    known.files.clear();
    known.texts.clear();
    known.reasons.clear();
    return false;
}

int TextCache::ReadKnownFiles(Connection& connection, KnownFiles& known)
{
    int code = SQLITE_OK;
    // The state of every text, from its covering index rather than from the
    // table, whose rows hold the texts themselves.
    if (sqlite3_stmt* all = connection.Prepare("SELECT id, version, used, reason FROM texts", code))
        code = RunEach(all, [&known](sqlite3_stmt* row) {
            std::int32_t reason = -1;
            if (sqlite3_column_type(row, 3) != SQLITE_NULL) {
                reason = static_cast<std::int32_t>(known.reasons.size());
                known.reasons.push_back(ColumnText(row, 3));
            }
            known.texts.push_back(
                {sqlite3_column_int64(row, 0), sqlite3_column_int64(row, 1), sqlite3_column_int64(row, 2), reason, 0});
        });
    std::sort(known.texts.begin(), known.texts.end(), [](const Text& a, const Text& b) { return a.id < b.id; });
    sqlite3_stmt* all = code == SQLITE_OK ? connection.Prepare("SELECT dev, ino, kind, size, mtime, version, text_id "
                                                               "FROM files ORDER BY dev, ino, kind",
                                                               code)
                                          : nullptr;
    if (all != nullptr)
        code = RunEach(all, [&known](sqlite3_stmt* row) {
            known.files.push_back({sqlite3_column_int64(row, 0), sqlite3_column_int64(row, 1),
                                   sqlite3_column_int64(row, 3), sqlite3_column_int64(row, 4),
                                   sqlite3_column_int64(row, 5), sqlite3_column_int64(row, 6),
                                   sqlite3_column_int(row, 2), 0});
        });
    return code;
}

std::shared_ptr<const TextCache::KnownFiles> TextCache::KnownFilesFor(std::size_t asked)
{
    std::unique_ptr<Connection> connection = Acquire();
    if (!connection)
        return nullptr;
    int code = SQLITE_OK;
    auto known = std::make_shared<KnownFiles>();
    // The row of the whole state first, in the same read transaction as the
    // rows it stands for.
    std::int64_t changes = -1;
    bool decoded = false;
    if (ManyAsked(asked)) {
        if (sqlite3_stmt* row = connection->Prepare("SELECT changes, files, state FROM known", code))
            code = Run(row, [&](sqlite3_stmt* s) {
                changes = sqlite3_column_int64(s, 0);
                if (sqlite3_column_type(s, 1) == SQLITE_NULL || !WholeFor(sqlite3_column_int64(s, 1), asked))
                    return;
                const auto* blob = static_cast<const char*>(sqlite3_column_blob(s, 2));
                const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(s, 2));
                decoded = blob != nullptr && DecodeKnown(std::string_view(blob, bytes), *known);
                known->whole = decoded;
            });
    }
    if (code == SQLITE_OK && !decoded && ManyAsked(asked)) {
        std::int64_t count = std::numeric_limits<std::int64_t>::max();
        if (sqlite3_stmt* s = connection->Prepare("SELECT count(*) FROM files", code))
            code = Run(s, [&count](sqlite3_stmt* row) { count = sqlite3_column_int64(row, 0); });
        known->whole = code == SQLITE_OK && WholeFor(count, asked);
        if (known->whole)
            code = ReadKnownFiles(*connection, *known);
    }
    Release(std::move(connection));
    const std::lock_guard lock(m_mutex);
    if (code != SQLITE_OK) {
        Failed(code, TAVELO_TR_NOOP("Search", "lu"));
        return nullptr;
    }
    // Read from the rows: kept in one for the next search, unless something
    // changes first.
    if (known->whole && !decoded && changes >= 0)
        m_knownToKeep = {changes, m_changesQueued, known};
    return known;
}

// With m_mutex held, at the end of a search: the state it read from the rows,
// kept for the count of changes it read with them, which is no longer the
// count once this search, or anyone, has changed anything since. One that
// this object has changed since (a search that kept texts, the reading of a
// book's documents in the background) keeps nothing: the state would be out
// of date, or soon.
void TextCache::KeepKnown()
{
    const auto [changes, queued, known] = std::exchange(m_knownToKeep, {});
    if (!known || queued != m_changesQueued || Writer() == nullptr)
        return;
    int code = SQLITE_OK;
    sqlite3_stmt* s = m_writer->Prepare("UPDATE known SET files = ?2, state = ?3 WHERE changes = ?1", code);
    if (s == nullptr)
        return;
    const std::string state = EncodeKnown(*known);
    sqlite3_bind_int64(s, 1, changes);
    sqlite3_bind_int64(s, 2, static_cast<std::int64_t>(known->files.size()));
    BindBlob(s, 3, state);
    // Only what spares the next search some work: a cache another program
    // writes to leaves it to a later search without waiting, and a failure is
    // not worth a warning.
    sqlite3_busy_timeout(m_writer->db, 0);
    Run(s);
    sqlite3_busy_timeout(m_writer->db, kBusyWaitMs);
}

} // namespace tavelo
