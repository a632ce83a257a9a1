#pragma once
// Scanners through SANE: the devices there are, what each offers (sources,
// resolutions, colour modes) and the page images of one scan run. No Qt.
//
// SANE is started by a ScannerLibrary and stopped when the last one goes. A
// library, the devices it opened and everything they return are used from one
// thread at a time (a window runs the whole scan, enumeration included, on
// its worker thread); the one exception is the cancel flag of Scan, which any
// thread may set.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scan/page_image.h"

namespace tavelo::scan {

struct DeviceInfo {
    std::string name; // what Open takes ("test:0", "airscan:e0:Canon ...")
    std::string vendor;
    std::string model;
    std::string type; // "flatbed scanner", "virtual device"...
};

// What the device offers, as it names it, and what it has chosen now. A list
// is empty when the device has no such option (or does not let it be set).
struct DeviceChoices {
    std::vector<std::string> sources; // "Flatbed", "ADF", "ADF Duplex"...
    std::string source;
    std::vector<std::string> modes; // "Lineart", "Gray", "Color"...
    std::string mode;
    std::vector<int> resolutions; // dots per inch, increasing
    int resolution = 0;
};

// Empty texts and 0 leave the device's own choice.
struct ScanSettings {
    std::string source;
    std::string mode;
    int resolution = 0;
};

// Whether a source takes its sheets from a feeder (one scan run then reads
// until the feeder is empty) rather than from the glass (one page).
bool IsFeederSource(std::string_view source);

// Where one scan run stands: the image being read (from 1) and how much of it
// has come, from 0 to 1 (0 while its height is not known).
struct ReadProgress {
    int image = 0;
    double fraction = 0;
};

enum class ScanEnd {
    kDone,      // the glass's page was read, or the feeder is empty
    kCancelled, // the cancel flag was set, or the page callback said stop
    kFailed,    // the device reported a fault: the message says which
};

struct ScanOutcome {
    ScanEnd end = ScanEnd::kDone;
    int images = 0;      // whole page images handed over
    std::string message; // French, for kFailed (and an empty feeder)
    bool stuck = false;   // the device never stopped: it cannot be used again
};

class Device {
public:
    virtual ~Device() = default;

    // What the device offers, read anew (an option may change what others offer).
    virtual DeviceChoices Choices() = 0;
    // Sets source, then mode, then resolution, each only when given. False
    // with a French reason naming what the device refused and what it offers.
    virtual bool Apply(const ScanSettings& settings, std::string& reason) = 0;
    // Sets any option by its SANE name ("source", "test-picture", "br-x"...),
    // its value written as scanimage takes it ("yes", "300", "Color").
    virtual bool SetOption(std::string_view name, std::string_view value, std::string& reason) = 0;

    using PageSink = std::function<bool(PagePtr page)>;
    using ProgressSink = std::function<void(const ReadProgress&)>;

    // Reads one page from the glass, or every page of the feeder until it is
    // empty, each handed whole to `page` (which returns false to stop the run)
    // before the next is started: `page` may change options for the next
    // one. A fault (jam, open cover, a device that vanished) ends the run with
    // its message; the page that was being read is dropped, the ones handed
    // over are the caller's. `cancel` is looked at between two reads from the
    // device: the device is then told to stop (sane_cancel) and the page
    // being read is dropped.
    virtual ScanOutcome Scan(const std::atomic<bool>& cancel, const PageSink& page, const ProgressSink& progress) = 0;
};

// What a device that never stopped leaves the user to do, in French.
std::string StuckDeviceMessage();

// How long a device is given to stop a scan before it is held to be stuck
// (15 s; for the tests).
void SetCancelWait(std::chrono::milliseconds wait);

class ScannerLibrary {
public:
    // Starts SANE (once for all libraries alive at the same time). Started()
    // is false, with Failure() in French, when it could not be.
    ScannerLibrary();
    ~ScannerLibrary();
    ScannerLibrary(const ScannerLibrary&) = delete;
    ScannerLibrary& operator=(const ScannerLibrary&) = delete;

    bool Started() const { return m_started; }
    const std::string& Failure() const { return m_failure; }

    // The scanners SANE finds, local and on the network (this may take a few
    // seconds). False with a French reason when SANE could not look.
    bool Devices(std::vector<DeviceInfo>& devices, std::string& reason);

    // Opens a device by its name; null with a French reason when it cannot
    // be. The device must be gone before the library is.
    std::unique_ptr<Device> Open(const std::string& name, std::string& reason);

private:
    bool m_started = false;
    std::string m_failure;
};

} // namespace tavelo::scan
