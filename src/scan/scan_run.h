#pragma once
// One scan run into one searchable PDF: every page the device gives, blank
// ones dropped, each recognised and added as it comes (one page in memory at
// a time). Meant to run off the window's thread: progress comes through a
// callback on the scanning thread, and a flag set from any thread stops it.

#include <atomic>
#include <functional>
#include <string>

#include "scan/scanner.h"

namespace tavelo::scan {

struct ScanProgress {
    enum class Stage {
        kReading,     // `image` is being read; `fraction` of it has come
        kRecognising, // `image` is being recognised
        kPageDone,    // `image` was added or dropped as blank
    };
    Stage stage = Stage::kReading;
    int image = 0;       // from 1
    double fraction = 0; // while reading, from 0 to 1 (0 while unknown)
    int kept = 0;        // pages in the PDF so far
    int blank = 0;       // blank pages dropped so far
};

// Called on the scanning thread. At kPageDone the device is between two
// pages: the callback may change its options for the next one.
using ScanProgressSink = std::function<void(const ScanProgress&)>;

struct ScanReport {
    ScanEnd end = ScanEnd::kDone;
    int kept = 0;         // pages written into the PDF
    int blank = 0;        // blank pages dropped
    bool written = false; // the PDF is in place
    bool deviceStuck = false; // the device never stopped: it cannot be used again
    // French, empty when every page of the run was written: the fault, and
    // what became of the pages already scanned.
    std::string message;
};

struct ScanJob {
    std::string pdfPath;  // must not exist yet
    std::string title;    // the PDF's title (its file name when empty)
    bool dropBlank = true;
};

// Scans with the device's current settings (see Device::Apply) into the PDF.
// After a fault or a cancel, the pages already scanned are written all the
// same; nothing is written when there is none.
ScanReport ScanToPdf(Device& device, const ScanJob& job, const std::atomic<bool>& cancel,
                     const ScanProgressSink& progress);

} // namespace tavelo::scan
