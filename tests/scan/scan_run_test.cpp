// Scan runs on SANE's test backend: a feeder read until it is empty, faults
// that keep the pages already scanned, a cancel from another thread, blank
// pages dropped, and tavelo-cli scan.

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <sstream>
#include <thread>

#include <leptonica/allheaders.h>
#include <sys/wait.h>

#include "cli/commands.h"
#include "scan/scan_run.h"
#include "scan_support.h"

namespace tavelo::scan {
namespace {

using test::ReadPdf;

constexpr const char* kFeeder = "Automatic Document Feeder";
// The test backend's feeder is empty after ten sheets.
constexpr int kFeederSheets = 10;
// The test backend stops its reader thread with an asynchronous
// pthread_cancel(), which now and then catches it inside malloc(): the
// backend then never comes back from sane_cancel(), nor the device from
// sane_close(). The run has said so and kept its pages; what is left of
// the test needs the device again.
constexpr const char* kStuck =
    "SANE's test backend never came back from sane_cancel() (its reader thread was cancelled inside malloc)";

class ScanRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string why = test::SaneTestBackend::Get().Unavailable(m_library);
        if (!why.empty())
            GTEST_SKIP() << why;
        Reopen();
    }

    // The device with its feeder full again. The backend keeps its options
    // as long as SANE runs: those the tests change are set back.
    void Reopen()
    {
        m_device.reset();
        std::string reason;
        m_device = m_library.Open("test:0", reason);
        ASSERT_TRUE(m_device) << reason;
        Set("read-return-value", "Default");
    }

    void Set(std::string_view name, std::string_view value)
    {
        std::string reason;
        ASSERT_TRUE(m_device->SetOption(name, value, reason)) << reason;
    }

    ScanReport Run(const std::string& pdf, const ScanProgressSink& progress = {})
    {
        return ScanToPdf(*m_device, {pdf, {}, true}, m_cancel, progress);
    }

    // Set up before SANE starts.
    const test::SaneTestBackend& m_backend = test::SaneTestBackend::Get();
    ScannerLibrary m_library;
    std::unique_ptr<Device> m_device;
    std::atomic<bool> m_cancel{false};
    test::TempDir m_out;
};

TEST_F(ScanRun, FeederIsReadUntilEmptyAndTheGlassGivesOnePage)
{
    const DeviceChoices choices = m_device->Choices();
    EXPECT_EQ((std::vector<std::string>{"Flatbed", kFeeder}), choices.sources);
    EXPECT_EQ((std::vector<std::string>{"Gray", "Color"}), choices.modes);
    EXPECT_EQ(75, choices.resolution);
    EXPECT_FALSE(IsFeederSource(choices.sources[0]));
    EXPECT_TRUE(IsFeederSource(choices.sources[1]));

    Set("source", kFeeder);
    std::vector<ScanProgress> seen;
    const ScanReport report = Run(m_out.File("lot.pdf"), [&](const ScanProgress& p) { seen.push_back(p); });
    EXPECT_EQ(ScanEnd::kDone, report.end) << report.message;
    EXPECT_EQ(kFeederSheets, report.kept);
    EXPECT_TRUE(report.written);
    EXPECT_EQ("", report.message);
    EXPECT_EQ(kFeederSheets, ReadPdf(m_out.File("lot.pdf")).pages);
    // Every page is read, then recognised, then done, in order.
    int done = 0;
    double fraction = 0;
    for (const ScanProgress& p : seen) {
        if (p.stage == ScanProgress::Stage::kReading) {
            EXPECT_EQ(done + 1, p.image);
            EXPECT_GE(p.fraction, p.fraction > 0 ? fraction : 0);
            fraction = p.fraction;
        } else if (p.stage == ScanProgress::Stage::kPageDone) {
            EXPECT_EQ(++done, p.image);
            EXPECT_EQ(done, p.kept);
            fraction = 0;
        }
    }
    EXPECT_EQ(kFeederSheets, done);

    // Colour from the glass at 100 dpi: one page, as large as the device says.
    std::string reason;
    ASSERT_TRUE(m_device->Apply({"Flatbed", "Color", 100}, reason)) << reason;
    const ScanReport glass = Run(m_out.File("vitre.pdf"));
    EXPECT_EQ(ScanEnd::kDone, glass.end) << glass.message;
    EXPECT_EQ(1, glass.kept);
    EXPECT_EQ(1, ReadPdf(m_out.File("vitre.pdf")).pages);

    // A three-pass scanner sends red, green and blue as three frames of one page.
    Set("three-pass", "yes");
    int depth = 0;
    const ScanOutcome frames = m_device->Scan(
        m_cancel,
        [&](PagePtr page) {
            depth = pixGetDepth(page.get());
            return true;
        },
        {});
    EXPECT_EQ(ScanEnd::kDone, frames.end) << frames.message;
    EXPECT_EQ(1, frames.images);
    EXPECT_EQ(32, depth);

    // What the device refuses is said, with what it offers.
    EXPECT_FALSE(m_device->Apply({"Vitre", "", 0}, reason));
    EXPECT_NE(std::string::npos, reason.find("Flatbed, Automatic Document Feeder")) << reason;
}

TEST_F(ScanRun, FaultsKeepThePagesAlreadyScanned)
{
    const struct {
        const char* status;
        const char* says;
    } faults[] = {
        {"SANE_STATUS_JAMMED", "coincé"},
        {"SANE_STATUS_COVER_OPEN", "capot"},
        // What a device that is unplugged mid-page answers.
        {"SANE_STATUS_IO_ERROR", "ne répond plus"},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.status);
        Reopen();
        Set("source", kFeeder);
        const std::string pdf = m_out.File(std::string(fault.status) + ".pdf");
        const ScanReport report = Run(pdf, [&](const ScanProgress& p) {
            if (p.stage == ScanProgress::Stage::kPageDone && p.image == 2)
                Set("read-return-value", fault.status);
        });
        EXPECT_EQ(ScanEnd::kFailed, report.end);
        EXPECT_EQ(2, report.kept);
        EXPECT_TRUE(report.written);
        EXPECT_NE(std::string::npos, report.message.find(fault.says)) << report.message;
        EXPECT_NE(std::string::npos, report.message.find("Les 2 pages déjà numérisées")) << report.message;
        EXPECT_EQ(2, ReadPdf(pdf).pages);
        if (report.deviceStuck)
            GTEST_SKIP() << kStuck;
    }

    // A fault on the first page leaves nothing, temporary file included.
    test::TempDir empty;
    Reopen();
    Set("read-return-value", "SANE_STATUS_JAMMED");
    const ScanReport first = Run(empty.File("rien.pdf"));
    EXPECT_EQ(ScanEnd::kFailed, first.end);
    EXPECT_FALSE(first.written);
    EXPECT_NE(std::string::npos, first.message.find("Aucun PDF")) << first.message;
    EXPECT_TRUE(empty.Names().empty());
    if (first.deviceStuck)
        GTEST_SKIP() << kStuck;
}

TEST_F(ScanRun, CancelFromAnotherThreadStopsMidPageAndKeepsTheEarlierPages)
{
    Set("source", kFeeder);
    // Small reads, so that the third page is seen half read.
    Set("read-limit", "yes");
    Set("read-limit-size", "4096");
    std::mutex mutex;
    std::condition_variable changed;
    bool asked = false;
    std::thread window([&] {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return asked; });
        m_cancel.store(true);
        changed.notify_all();
    });
    int partial = 0;
    const ScanReport report = Run(m_out.File("arret.pdf"), [&](const ScanProgress& p) {
        if (p.stage != ScanProgress::Stage::kReading || p.image != 3 || p.fraction <= 0 || asked)
            return;
        partial = p.kept;
        std::unique_lock lock(mutex);
        asked = true;
        changed.notify_all();
        changed.wait(lock, [&] { return m_cancel.load(); });
    });
    window.join();
    EXPECT_EQ(2, partial);
    EXPECT_EQ(ScanEnd::kCancelled, report.end);
    EXPECT_EQ(2, report.kept);
    EXPECT_NE(std::string::npos, report.message.find("arrêtée")) << report.message;
    EXPECT_EQ(2, ReadPdf(m_out.File("arret.pdf")).pages);

    // The device was told to stop: it scans again.
    m_cancel.store(false);
    Set("source", "Flatbed");
    const ScanReport again = Run(m_out.File("ensuite.pdf"));
    EXPECT_EQ(ScanEnd::kDone, again.end) << again.message;
    EXPECT_EQ(1, again.kept);
}

TEST_F(ScanRun, BlankPagesAreDropped)
{
    // Sheets printed on one side through a duplex feeder: every other image is white.
    Set("source", kFeeder);
    const ScanReport report = Run(m_out.File("recto.pdf"), [&](const ScanProgress& p) {
        if (p.stage == ScanProgress::Stage::kPageDone)
            Set("test-picture", p.image % 2 == 1 ? "Solid white" : "Grid");
    });
    EXPECT_EQ(ScanEnd::kDone, report.end) << report.message;
    EXPECT_EQ(kFeederSheets / 2, report.kept);
    EXPECT_EQ(kFeederSheets / 2, report.blank);
    EXPECT_EQ(kFeederSheets / 2, ReadPdf(m_out.File("recto.pdf")).pages);

    // Nothing but white: no PDF, and it is said.
    test::TempDir empty;
    Set("source", "Flatbed");
    Set("test-picture", "Solid white");
    const ScanReport white = Run(empty.File("blanc.pdf"));
    EXPECT_EQ(0, white.kept);
    EXPECT_FALSE(white.written);
    EXPECT_NE(std::string::npos, white.message.find("blanches")) << white.message;
    EXPECT_TRUE(empty.Names().empty());
}

TEST(ScanCommand, ScansListsAndNeverReplacesAFile)
{
    {
        const test::SaneTestBackend& backend = test::SaneTestBackend::Get();
        ScannerLibrary library;
        const std::string why = backend.Unavailable(library);
        if (!why.empty())
            GTEST_SKIP() << why;
    }
    test::TempDir out;
    const std::string pdf = out.File("courrier.pdf");
    const auto run = [](const cli::Args& words, std::string& text, std::string& errors) {
        std::ostringstream o, e;
        const int status = cli::RunScan(cli::Args(words.begin() + 1, words.end()), {o, e});
        text = o.str();
        errors = e.str();
        return status;
    };
    std::string text, errors;
    EXPECT_EQ(0, run({"scan", "--list"}, text, errors)) << errors;
    EXPECT_NE(std::string::npos, text.find("test:0\t")) << text;
    EXPECT_EQ(0, run({"scan", "--list", "--device", "test:0"}, text, errors)) << errors;
    EXPECT_NE(std::string::npos, text.find("Automatic Document Feeder")) << text;

    EXPECT_EQ(0, run({"scan", "--device", "test:0", pdf, "--source", kFeeder, "--resolution=75"}, text, errors))
        << errors;
    EXPECT_NE(std::string::npos, text.find("pages écrites : 10,")) << text;
    EXPECT_EQ(kFeederSheets, ReadPdf(pdf).pages);
    const auto size = std::filesystem::file_size(pdf);

    EXPECT_EQ(1, run({"scan", "--device", "test:0", pdf}, text, errors));
    EXPECT_NE(std::string::npos, errors.find("existe déjà")) << errors;
    EXPECT_EQ(size, std::filesystem::file_size(pdf));
    EXPECT_EQ(1, run({"scan", "--device", "nulle:part", out.File("autre.pdf")}, text, errors));
    EXPECT_NE(std::string::npos, errors.find("introuvable")) << errors;
    EXPECT_EQ(2, run({"scan", pdf}, text, errors));

    // tavelo-cli runs the scanning program with the same words, streams and
    // status.
    const auto cli = [](const std::string& words, std::string& text) {
        text.clear();
        FILE* pipe = ::popen((std::string(TAVELO_CLI) + " " + words + " 2>&1").c_str(), "r");
        if (pipe == nullptr)
            return -1;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(0, cli("scan --list", text));
    EXPECT_NE(std::string::npos, text.find("test:0\t")) << text;
    EXPECT_EQ(2, cli("scan " + pdf, text));
    EXPECT_NE(std::string::npos, text.find("--device")) << text;
}

} // namespace
} // namespace tavelo::scan
