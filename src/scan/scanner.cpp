#include "scan/scanner.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <sane/sane.h>
#include <sane/saneopts.h>

#include "base/tr.h"

namespace tavelo::scan {

namespace {

std::mutex g_saneMutex;
int g_saneUsers = 0;
bool g_saneStarted = false;
// Set once a backend has not come back from sane_cancel(): SANE is then
// never closed nor ended in this process, which would wait for it again.
std::atomic<bool> g_saneStuck{false};

// How long a backend may take to stop a scan (a feeder may eject its sheet).
std::atomic<std::chrono::milliseconds::rep> g_cancelWaitMs{15000};

// sane_cancel() on a thread of its own, waited for `wait`: false when the
// backend has not come back by then. Backends stop their reader threads
// with an asynchronous pthread_cancel(), which may catch one inside malloc()
// and leave it, and the join that waits for it, stuck for good.
bool CancelWithin(SANE_Handle handle, std::chrono::milliseconds wait)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> cancelled = done->get_future();
    std::thread([handle, done] {
        sane_cancel(handle);
        done->set_value();
    }).detach();
    return cancelled.wait_for(wait) == std::future_status::ready;
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string StatusMessage(SANE_Status status)
{
    switch (status) {
    case SANE_STATUS_JAMMED: return Tr("Scan", "Le papier est coincé dans le chargeur du scanner.");
    case SANE_STATUS_COVER_OPEN: return Tr("Scan", "Le capot du scanner est ouvert.");
    case SANE_STATUS_NO_DOCS: return Tr("Scan", "Le chargeur du scanner est vide.");
    case SANE_STATUS_IO_ERROR:
        return Tr("Scan", "Le scanner ne répond plus : il a peut-être été débranché ou éteint.");
    case SANE_STATUS_DEVICE_BUSY: return Tr("Scan", "Le scanner est occupé, peut-être par un autre programme.");
    case SANE_STATUS_NO_MEM: return Tr("Scan", "La mémoire manque pour numériser.");
    case SANE_STATUS_ACCESS_DENIED: return Tr("Scan", "L'accès au scanner est refusé.");
    default:
        return Format(Tr("Scan", "Le scanner a signalé une erreur (%1)."), {sane_strstatus(status)});
    }
}

// The standard resolutions offered when a device takes any value in a range.
constexpr int kUsualResolutions[] = {75, 100, 150, 200, 300, 400, 600, 1200};

class SaneDevice final : public Device {
public:
    explicit SaneDevice(SANE_Handle handle) : m_handle(handle) {}
    ~SaneDevice() override
    {
        // A handle whose cancel never came back is left as it is.
        if (!m_stuck)
            sane_close(m_handle);
    }

    DeviceChoices Choices() override
    {
        DeviceChoices choices;
        if (m_stuck)
            return choices;
        if (const auto index = Find(SANE_NAME_SCAN_SOURCE)) {
            choices.sources = Strings(*index);
            choices.source = StringValue(*index);
        }
        if (const auto index = Find(SANE_NAME_SCAN_MODE)) {
            choices.modes = Strings(*index);
            choices.mode = StringValue(*index);
        }
        if (const auto index = Find(SANE_NAME_SCAN_RESOLUTION)) {
            choices.resolutions = Resolutions(*index);
            choices.resolution = NumberValue(*index).value_or(0);
        }
        return choices;
    }

    bool Apply(const ScanSettings& settings, std::string& reason) override
    {
        if (!settings.source.empty() && !SetOption(SANE_NAME_SCAN_SOURCE, settings.source, reason))
            return false;
        if (!settings.mode.empty() && !SetOption(SANE_NAME_SCAN_MODE, settings.mode, reason))
            return false;
        if (settings.resolution > 0
            && !SetOption(SANE_NAME_SCAN_RESOLUTION, std::to_string(settings.resolution), reason))
            return false;
        return true;
    }

    bool SetOption(std::string_view name, std::string_view value, std::string& reason) override
    {
        if (m_stuck) {
            reason = StuckDeviceMessage();
            return false;
        }
        const std::string key(name);
        const auto index = Find(key);
        if (!index) {
            reason = Format(Tr("Scan", "Le scanner n'a pas d'option « %1 »."), {key});
            return false;
        }
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, *index);
        if (!SANE_OPTION_IS_SETTABLE(d->cap) || !SANE_OPTION_IS_ACTIVE(d->cap)) {
            reason = Format(Tr("Scan", "L'option « %1 » du scanner ne peut pas être changée maintenant."), {key});
            return false;
        }
        const std::string text(value);
        const auto refused = [&] {
            reason = Format(Tr("Scan", "Le scanner refuse « %1 » pour l'option « %2 » (%3)."),
                            {text, key, Offered(d)});
            return false;
        };
        std::vector<SANE_Word> words(std::max<std::size_t>(1, d->size / sizeof(SANE_Word)));
        std::string chars;
        void* data = words.data();
        switch (d->type) {
        case SANE_TYPE_BOOL: {
            const std::string lower = Lower(text);
            if (lower == "yes" || lower == "true" || lower == "1" || lower == "oui")
                words[0] = SANE_TRUE;
            else if (lower == "no" || lower == "false" || lower == "0" || lower == "non")
                words[0] = SANE_FALSE;
            else
                return refused();
            break;
        }
        case SANE_TYPE_INT:
        case SANE_TYPE_FIXED: {
            // Written with a point whatever the locale.
            double number = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
            const double limit = d->type == SANE_TYPE_INT ? 2147483647.0 : 32767.0;
            if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number)
                || std::abs(number) > limit)
                return refused();
            const SANE_Word word = d->type == SANE_TYPE_INT ? static_cast<SANE_Word>(std::lround(number))
                                                            : SANE_FIX(number);
            std::fill(words.begin(), words.end(), word);
            break;
        }
        case SANE_TYPE_STRING: {
            chars = text;
            if (d->constraint_type == SANE_CONSTRAINT_STRING_LIST) {
                // Written as the device names it, whatever the case.
                const std::string wanted = Lower(text);
                bool found = false;
                for (const SANE_String_Const* s = d->constraint.string_list; *s != nullptr && !found; ++s)
                    if (Lower(*s) == wanted) {
                        chars = *s;
                        found = true;
                    }
                if (!found)
                    return refused();
            }
            if (chars.size() + 1 > static_cast<std::size_t>(d->size))
                return refused();
            chars.resize(static_cast<std::size_t>(d->size), '\0');
            data = chars.data();
            break;
        }
        case SANE_TYPE_BUTTON: data = nullptr; break;
        default: return refused();
        }
        SANE_Int info = 0;
        const SANE_Status status = sane_control_option(m_handle, *index, SANE_ACTION_SET_VALUE, data, &info);
        if (status == SANE_STATUS_INVAL)
            return refused();
        if (status != SANE_STATUS_GOOD) {
            reason = StatusMessage(status);
            return false;
        }
        return true;
    }

    ScanOutcome Scan(const std::atomic<bool>& cancel, const PageSink& pageSink, const ProgressSink& progress) override
    {
        ScanOutcome outcome;
        if (m_stuck) {
            outcome.end = ScanEnd::kFailed;
            outcome.stuck = true;
            return outcome;
        }
        bool feeder = false;
        if (const auto index = Find(SANE_NAME_SCAN_SOURCE))
            feeder = IsFeederSource(StringValue(*index));
        const auto stop = [&](ScanEnd end, std::string message = {}) {
            if (!CancelWithin(m_handle, std::chrono::milliseconds(g_cancelWaitMs.load()))) {
                m_stuck = true;
                g_saneStuck = true;
                outcome.stuck = true;
            }
            outcome.end = end;
            outcome.message = std::move(message);
            return outcome;
        };
        for (int image = 1;; ++image) {
            if (cancel.load())
                return stop(ScanEnd::kCancelled);
            if (progress)
                progress({image, 0});
            PagePtr page;
            bool lastFrame = false;
            for (bool firstFrame = true; !lastFrame; firstFrame = false) {
                const SANE_Status started = sane_start(m_handle);
                if (started == SANE_STATUS_NO_DOCS && firstFrame) {
                    // The normal end of a feeder, unless it had no sheet at all.
                    return image > 1 ? stop(ScanEnd::kDone) : stop(ScanEnd::kFailed, StatusMessage(started));
                }
                if (started == SANE_STATUS_CANCELLED)
                    return stop(ScanEnd::kCancelled);
                if (started != SANE_STATUS_GOOD)
                    return stop(ScanEnd::kFailed, StatusMessage(started));
                std::string reason;
                const SANE_Status read = ReadFrame(cancel, image, progress, page, lastFrame, reason);
                if (read == SANE_STATUS_CANCELLED)
                    return stop(ScanEnd::kCancelled);
                if (read == SANE_STATUS_NO_DOCS)
                    return stop(ScanEnd::kDone);
                if (read != SANE_STATUS_GOOD)
                    return stop(ScanEnd::kFailed, reason.empty() ? StatusMessage(read) : reason);
            }
            ++outcome.images;
            if (!pageSink(std::move(page)))
                return stop(ScanEnd::kCancelled);
            if (!feeder)
                return stop(ScanEnd::kDone);
        }
    }

private:
    // Reads the frame that sane_start began into `page`. SANE_STATUS_GOOD, or
    // what ended it (with `reason` when it is no SANE fault).
    SANE_Status ReadFrame(const std::atomic<bool>& cancel, int image, const ProgressSink& progress, PagePtr& page,
                          bool& lastFrame, std::string& reason)
    {
        SANE_Parameters p{};
        const SANE_Status params = sane_get_parameters(m_handle, &p);
        if (params != SANE_STATUS_GOOD)
            return params;
        lastFrame = p.last_frame == SANE_TRUE;
        const std::size_t expected =
            p.lines > 0 && p.bytes_per_line > 0 ? std::size_t(p.lines) * std::size_t(p.bytes_per_line) : 0;
        if (expected > kMaxFrameBytes) {
            reason = Tr("Scan", "La page est trop grande pour être gardée en mémoire : choisissez une résolution plus basse.");
            return SANE_STATUS_NO_MEM;
        }
        std::vector<std::uint8_t> bytes;
        bytes.reserve(expected);
        std::vector<SANE_Byte> buffer(std::size_t{64} << 10);
        double reported = 0;
        for (;;) {
            if (cancel.load())
                return SANE_STATUS_CANCELLED;
            SANE_Int length = 0;
            const SANE_Status status =
                sane_read(m_handle, buffer.data(), static_cast<SANE_Int>(buffer.size()), &length);
            if (status == SANE_STATUS_EOF)
                break;
            if (status != SANE_STATUS_GOOD)
                return status;
            bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + length);
            if (bytes.size() > kMaxFrameBytes) {
                reason = Tr("Scan", "La page est trop grande pour être gardée en mémoire : choisissez une résolution plus basse.");
                return SANE_STATUS_NO_MEM;
            }
            if (progress && expected > 0) {
                const double fraction = std::min(1.0, double(bytes.size()) / double(expected));
                if (fraction - reported >= 0.02) {
                    reported = fraction;
                    progress({image, fraction});
                }
            }
        }
        FrameLayout layout;
        switch (p.format) {
        case SANE_FRAME_GRAY: layout.kind = FrameLayout::Kind::kGray; break;
        case SANE_FRAME_RGB: layout.kind = FrameLayout::Kind::kRgb; break;
        case SANE_FRAME_RED: layout.kind = FrameLayout::Kind::kRed; break;
        case SANE_FRAME_GREEN: layout.kind = FrameLayout::Kind::kGreen; break;
        case SANE_FRAME_BLUE: layout.kind = FrameLayout::Kind::kBlue; break;
        default:
            reason = Tr("Scan", "Le scanner envoie les images dans une forme que Tavelo ne connaît pas.");
            return SANE_STATUS_UNSUPPORTED;
        }
        layout.bytesPerLine = p.bytes_per_line;
        layout.pixelsPerLine = p.pixels_per_line;
        layout.depth = p.depth;
        // A hand scanner does not know its height; a device may send fewer
        // lines than it said.
        const std::size_t whole = p.bytes_per_line > 0 ? bytes.size() / std::size_t(p.bytes_per_line) : 0;
        layout.lines = static_cast<int>(p.lines > 0 ? std::min<std::size_t>(std::size_t(p.lines), whole) : whole);
        int dpi = 0;
        if (const auto index = Find(SANE_NAME_SCAN_RESOLUTION))
            dpi = NumberValue(*index).value_or(0);
        std::string why;
        if (!AddFrame(layout, bytes, dpi, page, why)) {
            reason = Format(Tr("Scan", "La page n'a pas pu être lue : %1."), {why});
            return SANE_STATUS_INVAL;
        }
        return SANE_STATUS_GOOD;
    }

    std::optional<SANE_Int> Find(const std::string& name) const
    {
        SANE_Int count = 0;
        if (sane_control_option(m_handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
            return std::nullopt;
        for (SANE_Int i = 1; i < count; ++i) {
            const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, i);
            if (d != nullptr && d->name != nullptr && name == d->name)
                return i;
        }
        return std::nullopt;
    }

    // The values of a settable string list option, or none.
    std::vector<std::string> Strings(SANE_Int index) const
    {
        std::vector<std::string> values;
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, index);
        if (d->type != SANE_TYPE_STRING || d->constraint_type != SANE_CONSTRAINT_STRING_LIST
            || !SANE_OPTION_IS_SETTABLE(d->cap) || !SANE_OPTION_IS_ACTIVE(d->cap))
            return values;
        for (const SANE_String_Const* s = d->constraint.string_list; *s != nullptr; ++s)
            values.emplace_back(*s);
        return values;
    }

    std::string StringValue(SANE_Int index) const
    {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, index);
        if (d->type != SANE_TYPE_STRING || d->size <= 0 || !SANE_OPTION_IS_ACTIVE(d->cap))
            return {};
        std::string value(static_cast<std::size_t>(d->size), '\0');
        if (sane_control_option(m_handle, index, SANE_ACTION_GET_VALUE, value.data(), nullptr) != SANE_STATUS_GOOD)
            return {};
        value.resize(value.find('\0') == std::string::npos ? value.size() : value.find('\0'));
        return value;
    }

    static int Number(const SANE_Option_Descriptor* d, SANE_Word word)
    {
        return d->type == SANE_TYPE_FIXED ? static_cast<int>(std::lround(SANE_UNFIX(word))) : word;
    }

    std::optional<int> NumberValue(SANE_Int index) const
    {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, index);
        if ((d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) || !SANE_OPTION_IS_ACTIVE(d->cap))
            return std::nullopt;
        std::vector<SANE_Word> words(std::max<std::size_t>(1, d->size / sizeof(SANE_Word)));
        if (sane_control_option(m_handle, index, SANE_ACTION_GET_VALUE, words.data(), nullptr) != SANE_STATUS_GOOD)
            return std::nullopt;
        return Number(d, words[0]);
    }

    std::vector<int> Resolutions(SANE_Int index) const
    {
        std::vector<int> values;
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, index);
        if ((d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) || !SANE_OPTION_IS_SETTABLE(d->cap)
            || !SANE_OPTION_IS_ACTIVE(d->cap))
            return values;
        if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
            for (SANE_Int i = 1; i <= d->constraint.word_list[0]; ++i)
                values.push_back(Number(d, d->constraint.word_list[i]));
        } else if (d->constraint_type == SANE_CONSTRAINT_RANGE) {
            const SANE_Range* r = d->constraint.range;
            const int low = Number(d, r->min);
            const int high = Number(d, r->max);
            const int step = Number(d, r->quant);
            for (const int dpi : kUsualResolutions)
                if (dpi >= low && dpi <= high && (step <= 1 || (dpi - low) % step == 0))
                    values.push_back(dpi);
        }
        if (const auto current = NumberValue(index))
            values.push_back(*current);
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        return values;
    }

    // What an option takes, for a message.
    static std::string Offered(const SANE_Option_Descriptor* d)
    {
        std::string list;
        const auto add = [&](std::string_view value) {
            if (!list.empty())
                list += ", ";
            list += value;
        };
        switch (d->constraint_type) {
        case SANE_CONSTRAINT_STRING_LIST:
            for (const SANE_String_Const* s = d->constraint.string_list; *s != nullptr; ++s)
                add(*s);
            break;
        case SANE_CONSTRAINT_WORD_LIST:
            for (SANE_Int i = 1; i <= d->constraint.word_list[0]; ++i)
                add(std::to_string(Number(d, d->constraint.word_list[i])));
            break;
        case SANE_CONSTRAINT_RANGE:
            return Format(Tr("Scan", "de %1 à %2"), {std::to_string(Number(d, d->constraint.range->min)),
                                                     std::to_string(Number(d, d->constraint.range->max))});
        default:
            if (d->type == SANE_TYPE_BOOL)
                return Tr("Scan", "yes ou no");
            return Tr("Scan", "valeur incorrecte");
        }
        return Format(Tr("Scan", "valeurs possibles : %1"), {list});
    }

    SANE_Handle m_handle;
    bool m_stuck = false;
};

} // namespace

bool IsFeederSource(std::string_view source)
{
    const std::string lower = Lower(source);
    for (const char* word : {"adf", "feeder", "duplex", "simplex", "chargeur"})
        if (lower.find(word) != std::string::npos)
            return true;
    return false;
}

std::string StuckDeviceMessage()
{
    return Tr("Scan", "Le scanner ne s'est pas arrêté : débranchez-le, rebranchez-le et relancez Tavelo avant de "
                      "numériser à nouveau.");
}

void SetCancelWait(std::chrono::milliseconds wait)
{
    g_cancelWaitMs = wait.count();
}

ScannerLibrary::ScannerLibrary()
{
    const std::lock_guard lock(g_saneMutex);
    if (g_saneUsers == 0) {
        SANE_Int version = 0;
        const SANE_Status status = sane_init(&version, nullptr);
        g_saneStarted = status == SANE_STATUS_GOOD;
        if (!g_saneStarted)
            m_failure = Format(Tr("Scan", "Les scanners sont inaccessibles : SANE n'a pas pu démarrer (%1)."),
                               {sane_strstatus(status)});
    } else if (!g_saneStarted) {
        m_failure = Tr("Scan", "Les scanners sont inaccessibles : SANE n'a pas pu démarrer.");
    }
    ++g_saneUsers;
    m_started = g_saneStarted;
}

ScannerLibrary::~ScannerLibrary()
{
    const std::lock_guard lock(g_saneMutex);
    if (--g_saneUsers == 0 && g_saneStarted && !g_saneStuck) {
        sane_exit();
        g_saneStarted = false;
    }
}

bool ScannerLibrary::Devices(std::vector<DeviceInfo>& devices, std::string& reason)
{
    devices.clear();
    if (!m_started) {
        reason = m_failure;
        return false;
    }
    const SANE_Device** list = nullptr;
    const SANE_Status status = sane_get_devices(&list, SANE_FALSE);
    if (status != SANE_STATUS_GOOD) {
        reason = Format(Tr("Scan", "Impossible de chercher les scanners : %1"), {StatusMessage(status)});
        return false;
    }
    for (; list != nullptr && *list != nullptr; ++list) {
        const SANE_Device* d = *list;
        const auto text = [](const char* s) { return s != nullptr ? std::string(s) : std::string(); };
        devices.push_back({text(d->name), text(d->vendor), text(d->model), text(d->type)});
    }
    return true;
}

std::unique_ptr<Device> ScannerLibrary::Open(const std::string& name, std::string& reason)
{
    if (!m_started) {
        reason = m_failure;
        return nullptr;
    }
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane_open(name.c_str(), &handle);
    if (status != SANE_STATUS_GOOD || handle == nullptr) {
        reason = status == SANE_STATUS_INVAL
                     ? Format(Tr("Scan", "Le scanner « %1 » est introuvable."), {name})
                     : Format(Tr("Scan", "Le scanner « %1 » ne peut pas être ouvert : %2"), {name, StatusMessage(status)});
        return nullptr;
    }
    return std::make_unique<SaneDevice>(handle);
}

} // namespace tavelo::scan
