#include "reading/text_cache.h"

#include <vector>

#include <sqlite3.h>

#include "base/tr.h"
#include "reading/text_cache_sqlite.h"

// Keeping the cache within its size.

namespace tavelo {

using namespace text_cache_sql;

// Called with m_mutex held. Least recently used texts go first, until the
// cache is back under nine tenths of its cap.
void TextCache::Evict()
{
    int code = SQLITE_OK;
    // Asked of an idle reader, between two of its snapshots, where no writer
    // is open yet: most searches have nothing to evict.
    Connection* asked = m_writer ? m_writer.get() : !m_idle.empty() ? m_idle.back().get() : Writer();
    sqlite3_stmt* total = asked != nullptr ? asked->Prepare("SELECT bytes FROM totals", code) : nullptr;
    if (total == nullptr)
        return;
    std::int64_t bytes = 0;
    code = Run(total, [&bytes](sqlite3_stmt* row) { bytes = sqlite3_column_int64(row, 0); });
    if (code != SQLITE_OK || static_cast<std::uint64_t>(bytes) <= m_capBytes || Writer() == nullptr)
        return;
    const auto target = static_cast<std::int64_t>(m_capBytes / 10 * 9);
    sqlite3_stmt* oldest = m_writer->Prepare("SELECT id, bytes FROM texts ORDER BY used, id", code);
    if (oldest == nullptr)
        return;
    std::vector<std::int64_t> doomed;
    while (bytes > target && (code = sqlite3_step(oldest)) == SQLITE_ROW) {
        doomed.push_back(sqlite3_column_int64(oldest, 0));
        bytes -= sqlite3_column_int64(oldest, 1);
    }
    sqlite3_reset(oldest);
    if (m_writer->Exec("BEGIN IMMEDIATE") != SQLITE_OK)
        return;
    sqlite3_stmt* remove = m_writer->Prepare("DELETE FROM texts WHERE id = ?1", code);
    for (const std::int64_t id : doomed) {
        if (remove == nullptr || code != SQLITE_OK)
            break;
        sqlite3_bind_int64(remove, 1, id);
        code = Run(remove);
    }
    if (code == SQLITE_OK)
        code = m_writer->Exec("DELETE FROM files WHERE text_id NOT IN (SELECT id FROM texts)");
    if (code == SQLITE_OK)
        code = CountChange(m_writer->db);
    if (code == SQLITE_OK)
        code = m_writer->Exec("COMMIT");
    if (code != SQLITE_OK) {
        m_writer->Exec("ROLLBACK");
        Failed(code, TAVELO_TR_NOOP("Search", "écrit"));
    }
}

} // namespace tavelo
