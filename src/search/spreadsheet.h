#pragma once
// The cells of an Excel 97-2003 workbook (.xls), through FreeXL.

#include <functional>
#include <string>
#include <string_view>

namespace tavelo {

enum class CellWalk { kFinished, kStopped, kUnreadable };

// Calls `visit` with the text of every non-empty cell of every worksheet, sheet
// by sheet and row by row, until it returns true (kStopped). Text cells give
// their text, numbers their shortest exact decimal form (as a spreadsheet's
// formula bar shows them), dates and times their ISO form. kUnreadable when
// the file cannot be read as a workbook; `reason` then says why, in French.
// The file is opened read-only.
CellWalk ForEachCell(const std::string& path, const std::function<bool(std::string_view)>& visit, std::string& reason);

// ForEachCell run in another process, for files from anywhere: FreeXL has
// memory faults on some crafted workbooks, and a fault or a walk that does not
// end within `timeoutSeconds` must not take the program with it; both make the
// workbook unreadable. The reading process (tavelo-xls-reader) is started once
// and kept for the workbooks that follow; `visit` runs in the caller, on the
// cells it sends. Without that program, each workbook is read in a child
// forked for it, where `visit` then runs. Safe to call from several threads
// (one workbook at a time).
CellWalk ForEachCellIsolated(const std::string& path, const std::function<bool(std::string_view)>& visit,
                             std::string& reason, int timeoutSeconds = 60);

// ForEachCellIsolated's way without the reading program: a child forked for
// this workbook alone, in which `visit` runs; only its verdict comes back.
CellWalk ForEachCellInChild(const std::string& path, const std::function<bool(std::string_view)>& visit,
                            std::string& reason, int timeoutSeconds = 60);

} // namespace tavelo
