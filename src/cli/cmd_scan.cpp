// tavelo-cli scan: the scanners SANE finds, and one scan run into a
// searchable PDF without a window.

#include <algorithm>
#include <atomic>
#include <charconv>
#include <csignal>
#include <iostream>
#include <optional>

#include "base/tr.h"
#include "cli/commands.h"
#include "cli/manual.h"
#include "scan/scan_run.h"
#include "scan/scanner.h"

namespace tavelo::cli {

namespace {

std::atomic<bool> g_stopScan{false};

extern "C" void StopScan(int)
{
    g_stopScan.store(true);
}

// Ctrl-C (or a TERM) stops the scan between two reads: the pages already
// scanned are written, the temporary file removed.
class StopOnSignal {
public:
    StopOnSignal()
    {
        g_stopScan.store(false);
        struct sigaction action {};
        action.sa_handler = &StopScan;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &m_int);
        ::sigaction(SIGTERM, &action, &m_term);
    }
    ~StopOnSignal()
    {
        ::sigaction(SIGINT, &m_int, nullptr);
        ::sigaction(SIGTERM, &m_term, nullptr);
    }
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

private:
    struct sigaction m_int {};
    struct sigaction m_term {};
};

std::string Joined(const std::vector<std::string>& values)
{
    std::string text;
    for (const std::string& value : values)
        text += (text.empty() ? "" : ", ") + value;
    return text;
}

int ListDevices(scan::ScannerLibrary& library, Streams io)
{
    std::vector<scan::DeviceInfo> devices;
    std::string reason;
    if (!library.Devices(devices, reason)) {
        io.err << reason << '\n';
        return 1;
    }
    if (devices.empty()) {
        io.err << Tr("tavelo-cli", "Aucun scanner n'a été trouvé.") << '\n';
        return 1;
    }
    for (const scan::DeviceInfo& d : devices)
        io.out << d.name << '\t' << d.vendor << ' ' << d.model << '\t' << d.type << '\n';
    return 0;
}

int ListChoices(scan::Device& device, Streams io)
{
    const scan::DeviceChoices c = device.Choices();
    std::vector<std::string> resolutions;
    for (const int dpi : c.resolutions)
        resolutions.push_back(std::to_string(dpi));
    const auto line = [&](const char* label, const std::vector<std::string>& values, const std::string& current) {
        if (!values.empty())
            io.out << Format(Tr("tavelo-cli", label), {Joined(values), current}) << '\n';
    };
    line(TAVELO_TR_NOOP("tavelo-cli", "Sources : %1 (actuelle : %2)"), c.sources, c.source);
    line(TAVELO_TR_NOOP("tavelo-cli", "Modes : %1 (actuel : %2)"), c.modes, c.mode);
    line(TAVELO_TR_NOOP("tavelo-cli", "Résolutions : %1 (actuelle : %2)"), resolutions, std::to_string(c.resolution));
    return 0;
}

} // namespace

int RunScan(const Args& args, Streams io)
{
    bool list = false;
    bool keepBlank = false;
    std::string device;
    scan::ScanSettings settings;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // "--name VALUE" or "--name=VALUE".
        const auto value = [&](std::string_view name) -> std::optional<std::string> {
            if (a == name && i + 1 < args.size())
                return args[++i];
            if (a.size() > name.size() && a.compare(0, name.size(), name) == 0 && a[name.size()] == '=')
                return a.substr(name.size() + 1);
            return std::nullopt;
        };
        if (a == "--list") {
            list = true;
        } else if (a == "--keep-blank") {
            keepBlank = true;
        } else if (auto v = value("--device")) {
            device = *v;
        } else if (auto v = value("--source")) {
            settings.source = *v;
        } else if (auto v = value("--mode")) {
            settings.mode = *v;
        } else if (auto v = value("--resolution")) {
            const auto [end, error] = std::from_chars(v->data(), v->data() + v->size(), settings.resolution);
            if (error != std::errc() || end != v->data() + v->size() || settings.resolution <= 0) {
                io.err << Format(Tr("tavelo-cli", "Résolution incorrecte : %1"), {*v}) << '\n';
                return 2;
            }
        } else if (a.rfind("--", 0) == 0) {
            io.err << CommandUsage("scan");
            return 2;
        } else {
            positional.push_back(a);
        }
    }
    if (list ? !positional.empty() : (positional.size() != 1 || device.empty())) {
        io.err << CommandUsage("scan");
        return 2;
    }
    scan::ScannerLibrary library;
    if (!library.Started()) {
        io.err << library.Failure() << '\n';
        return 1;
    }
    if (list && device.empty())
        return ListDevices(library, io);
    std::string reason;
    const std::unique_ptr<scan::Device> scanner = library.Open(device, reason);
    if (!scanner) {
        io.err << reason << '\n';
        return 1;
    }
    if (list)
        return ListChoices(*scanner, io);
    if (settings.resolution == 0) {
        // Enough for the recognition of ordinary print, where the device offers it.
        const std::vector<int> offered = scanner->Choices().resolutions;
        if (std::find(offered.begin(), offered.end(), 300) != offered.end())
            settings.resolution = 300;
    }
    if (!scanner->Apply(settings, reason)) {
        io.err << reason << '\n';
        return 1;
    }
    const StopOnSignal stopOnSignal;
    int blank = 0;
    const auto progress = [&](const scan::ScanProgress& p) {
        if (p.stage != scan::ScanProgress::Stage::kPageDone)
            return;
        const bool dropped = p.blank > blank;
        blank = p.blank;
        io.err << Format(dropped ? Tr("tavelo-cli", "Page %1 : blanche, écartée") : Tr("tavelo-cli", "Page %1 : ajoutée"),
                         {std::to_string(p.image)})
               << '\n';
    };
    const scan::ScanReport report = scan::ScanToPdf(*scanner, {positional[0], {}, !keepBlank}, g_stopScan, progress);
    if (!report.message.empty())
        io.err << report.message << '\n';
    if (report.written)
        io.out << Format(Tr("tavelo-cli", "%1 : pages écrites : %2, pages blanches écartées : %3."),
                         {positional[0], std::to_string(report.kept), std::to_string(report.blank)})
               << '\n';
    return report.end == scan::ScanEnd::kDone && report.written ? 0 : 1;
}

} // namespace tavelo::cli
