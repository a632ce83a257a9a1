#include "scan/scan_run.h"

#include "base/tr.h"
#include "scan/searchable_pdf.h"

namespace tavelo::scan {

namespace {

std::string FileName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What became of the pages scanned before the run ended early.
std::string KeptPages(const ScanReport& report, const std::string& path)
{
    if (report.written && report.kept == 1)
        return Format(Tr("Scan", "La page déjà numérisée est dans « %1 »."), {path});
    if (report.written)
        return Format(Tr("Scan", "Les %1 pages déjà numérisées sont dans « %2 »."), {std::to_string(report.kept), path});
    return Tr("Scan", "Aucun PDF n'a été écrit.");
}

} // namespace

ScanReport ScanToPdf(Device& device, const ScanJob& job, const std::atomic<bool>& cancel,
                     const ScanProgressSink& progress)
{
    ScanReport report;
    const auto tell = [&](ScanProgress::Stage stage, int image, double fraction) {
        if (progress)
            progress({stage, image, fraction, report.kept, report.blank});
    };
    // The PDF is started first: a folder that cannot be written is said
    // before any sheet goes through the feeder.
    SearchablePdf pdf;
    if (!pdf.Begin(job.pdfPath, job.title.empty() ? FileName(job.pdfPath) : job.title, report.message)) {
        report.end = ScanEnd::kFailed;
        return report;
    }
    std::string writeFailure;
    int image = 0;
    const auto onPage = [&](PagePtr page) {
        ++image;
        if (job.dropBlank && IsBlankPage(page.get())) {
            ++report.blank;
        } else {
            tell(ScanProgress::Stage::kRecognising, image, 1);
            if (!pdf.AddPage(page.get(), cancel, writeFailure))
                return false;
            ++report.kept;
        }
        tell(ScanProgress::Stage::kPageDone, image, 1);
        return true;
    };
    const auto onRead = [&](const ReadProgress& read) {
        tell(ScanProgress::Stage::kReading, read.image, read.fraction);
    };
    const ScanOutcome outcome = device.Scan(cancel, onPage, onRead);
    report.end = outcome.end;
    if (!writeFailure.empty()) {
        // The PDF could not take a page: it is abandoned whole.
        report.end = ScanEnd::kFailed;
        report.message = writeFailure + " " + KeptPages(report, job.pdfPath);
        return report;
    }
    if (report.kept > 0) {
        std::string reason;
        report.written = pdf.Finish(reason);
        if (!report.written) {
            report.end = ScanEnd::kFailed;
            report.message = reason;
            return report;
        }
    } else {
        pdf.Abandon();
    }
    switch (report.end) {
    case ScanEnd::kDone:
        if (report.kept == 0)
            report.message = Tr("Scan", "Toutes les pages numérisées étaient blanches : aucun PDF n'a été écrit.");
        break;
    case ScanEnd::kCancelled:
        report.message = Tr("Scan", "La numérisation a été arrêtée.") + " " + KeptPages(report, job.pdfPath);
        break;
    case ScanEnd::kFailed: report.message = outcome.message + " " + KeptPages(report, job.pdfPath); break;
    }
    if (outcome.stuck) {
        report.deviceStuck = true;
        const std::string stuck = StuckDeviceMessage();
        report.message = report.message.empty() ? stuck : report.message + " " + stuck;
    }
    return report;
}

} // namespace tavelo::scan
