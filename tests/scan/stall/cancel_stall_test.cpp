// A backend that never comes back from sane_cancel(): the run ends anyway,
// with its pages and a message that says what to do, and the device is left
// alone from then on (closing it would wait for the backend again).

#include <gtest/gtest.h>

#include "scan/scan_run.h"
#include "scan_support.h"

namespace tavelo::scan {
namespace {

TEST(StuckDevice, ARunWhoseCancelNeverEndsKeepsItsPagesAndTheDeviceIsLeftAlone)
{
    const test::SaneTestBackend& backend = test::SaneTestBackend::Get();
    ScannerLibrary library;
    const std::string why = backend.Unavailable(library);
    if (!why.empty())
        GTEST_SKIP() << why;
    SetCancelWait(std::chrono::milliseconds(300));
    std::string reason;
    std::unique_ptr<Device> device = library.Open("test:0", reason);
    ASSERT_TRUE(device) << reason;
    ASSERT_TRUE(device->SetOption("source", "Automatic Document Feeder", reason)) << reason;

    test::TempDir out;
    const std::string pdf = out.File("courrier.pdf");
    const std::atomic<bool> cancel{false};
    const ScanReport report = ScanToPdf(*device, {pdf, {}, true}, cancel, {});
    // The feeder's end is the stop whose cancel never returns.
    EXPECT_TRUE(report.deviceStuck);
    EXPECT_EQ(10, report.kept);
    EXPECT_TRUE(report.written);
    EXPECT_EQ(10, test::ReadPdf(pdf).pages);
    EXPECT_NE(std::string::npos, report.message.find("ne s'est pas arrêté")) << report.message;

    EXPECT_FALSE(device->SetOption("resolution", "150", reason));
    EXPECT_NE(std::string::npos, reason.find("débranchez-le")) << reason;
    const ScanReport again = ScanToPdf(*device, {out.File("encore.pdf"), {}, true}, cancel, {});
    EXPECT_EQ(ScanEnd::kFailed, again.end);
    EXPECT_FALSE(again.written);
    EXPECT_TRUE(again.deviceStuck);
    // Neither this nor the end of SANE waits for the backend.
    device.reset();
}

} // namespace
} // namespace tavelo::scan
