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

} // namespace tavelo
