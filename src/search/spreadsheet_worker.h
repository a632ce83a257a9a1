#pragma once
// The workbook reader process (tavelo-xls-reader) seen from the search: one
// process reads workbook after workbook and sends their cells back, so that a
// memory fault of FreeXL ends that process only, without the cost of a new
// process per workbook.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

#include "search/spreadsheet.h"

namespace tavelo {

inline constexpr const char* kSpreadsheetWorkerName = "tavelo-xls-reader";

// The reader beside the running program, else the one of the build tree
// (tests and tools run from there); empty when neither is there.
std::string FindSpreadsheetWorker();

class SpreadsheetWorker {
public:
    // Nothing is started before the first Walk. An empty path is a reader
    // that cannot be started.
    explicit SpreadsheetWorker(std::string executable);
    ~SpreadsheetWorker();
    SpreadsheetWorker(const SpreadsheetWorker&) = delete;
    SpreadsheetWorker& operator=(const SpreadsheetWorker&) = delete;

    // ForEachCell run in the reader process; `visit` runs here, on the cells
    // as they arrive, and the reader is always heard to the end of the
    // workbook. A reader that dies, sends what the exchange does not allow or
    // has not finished within `timeout` makes the workbook unreadable (unless
    // a cell matched before) and is replaced for the next workbook. Empty
    // when the reader cannot be started at all (missing, not executable, or
    // not answering its hello): the caller reads the workbook another way,
    // and this object does not try again.
    std::optional<CellWalk> Walk(const std::string& path, const std::function<bool(std::string_view)>& visit,
                                 std::string& reason, std::chrono::milliseconds timeout);

    // The reader processes started so far.
    int Starts() const { return m_starts; }
    bool Running() const { return m_pid > 0; }
    pid_t ProcessId() const { return m_pid; }

private:
    enum class Exchange;
    bool Start();
    void Stop();
    void DropIfOutOfStep();
    bool Send(std::string_view bytes, std::chrono::steady_clock::time_point deadline);
    Exchange Receive(bool expectHello, const std::function<bool(std::string_view)>& visit, bool& found,
                     std::string& reason, std::chrono::steady_clock::time_point deadline);

    std::string m_executable;
    pid_t m_pid = -1;
    int m_channel = -1;
    bool m_unavailable = false;
    int m_starts = 0;
};

// The reader shared by ForEachCellIsolated in this process: how many reader
// processes it has started so far.
int SharedSpreadsheetWorkerStarts();

} // namespace tavelo
