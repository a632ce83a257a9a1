// Excel workbooks of Office 2007 and later (.xlsx): the cells of every
// worksheet in tab order, one piece per non-empty cell, row by row. Strings
// come from the shared string table or the cell itself; numbers are given as
// the formula bar shows them, dates and times (told by the cell's number
// format) in ISO form, as the .xls reader gives them.

#include <cmath>
#include <cstdio>
#include <set>
#include <unordered_map>
#include <vector>

#include "reading/formats/format.h"
#include "reading/formats/office_package.h"

namespace tavelo {

namespace {

enum DateKind : std::uint8_t { kNotDate = 0, kDate = 1, kTime = 2, kDateTime = 3 };

// The built-in number formats that show dates and times.
DateKind BuiltInKind(unsigned id)
{
    if (id >= 14 && id <= 17)
        return kDate;
    if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47))
        return kTime;
    return id == 22 ? kDateTime : kNotDate;
}

// A format code shows a date when its first section has day, month or year
// letters outside quoted text, escapes and brackets, a time when it has hours
// or seconds ("m" is then minutes).
DateKind KindOfFormatCode(std::string_view code)
{
    bool date = false, time = false, month = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = static_cast<char>(code[i] | 0x20);
        if (code[i] == ';')
            break;
        if (code[i] == '"') {
            i = code.find('"', i + 1);
            if (i == std::string_view::npos)
                break;
        } else if (code[i] == '\\' || code[i] == '_' || code[i] == '*') {
            ++i;
        } else if (code[i] == '[') {
            const std::size_t close = code.find(']', i);
            const std::string_view inside = code.substr(i + 1, close == std::string_view::npos ? 0 : close - i - 1);
            // Elapsed time: [h], [mm], [ss].
            if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string_view::npos)
                time = true;
            if (close == std::string_view::npos)
                break;
            i = close;
        } else if (c == 'y' || c == 'd') {
            date = true;
        } else if (c == 'h' || c == 's') {
            time = true;
        } else if (c == 'm') {
            month = true;
        }
    }
    if (month && !time)
        date = true;
    return static_cast<DateKind>((date ? kDate : 0) | (time ? kTime : 0));
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2)
        ++y;
}

// A serial date of the workbook's date system in ISO form.
std::string SerialToIso(double serial, bool date1904, DateKind kind)
{
    // Excel's dates run from 1900 (or 1904) to the end of 9999.
    if (!(serial >= 0 && serial < 2958466))
        return FormatCellNumber(serial);
    auto days = static_cast<long long>(std::floor(serial));
    long long seconds = std::llround((serial - static_cast<double>(days)) * 86400);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    char date[32] = "";
    if (date1904) {
        long long y;
        unsigned m, d;
        CivilFromDays(days - 24107, y, m, d);
        std::snprintf(date, sizeof date, "%04lld-%02u-%02u", y, m, d);
    } else if (days == 60) {
        // Excel keeps Lotus 1-2-3's 29 February 1900.
        std::snprintf(date, sizeof date, "1900-02-29");
    } else {
        long long y;
        unsigned m, d;
        CivilFromDays(days - (days < 60 ? 25568 : 25569), y, m, d);
        std::snprintf(date, sizeof date, "%04lld-%02u-%02u", y, m, d);
    }
    char time[64];
    std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    const bool showDate = (kind & kDate) != 0 || days > 0;
    const bool showTime = (kind & kTime) != 0 || seconds != 0;
    if (showDate && showTime)
        return std::string(date) + " " + time;
    return showDate ? date : time;
}

// workbook.xml: the worksheets in tab order and the date system.
class WorkbookHandler : public XmlHandler {
public:
    Action Start(const XmlElement& e) override
    {
        if (e.Is(XmlNs::kSheet, "sheet")) {
            if (sheets.size() >= kMaxPackageEntries)
                Stop("le document contient trop de fichiers internes");
            else
                sheets.emplace_back(e.Attribute(XmlNs::kRelationshipId, "id"));
            return kSkip;
        }
        if (e.Is(XmlNs::kSheet, "workbookPr")) {
            const std::string_view value = e.Attribute(XmlNs::kNone, "date1904");
            date1904 = value == "1" || value == "true";
            return kSkip;
        }
        return kEnter;
    }
    void End(XmlNs, std::string_view) override {}
    void Text(std::string_view) override {}

    std::vector<std::string> sheets;
    bool date1904 = false;
};

// styles.xml: which cell formats (cellXfs) show dates or times.
class StylesHandler : public XmlHandler {
public:
    Action Start(const XmlElement& e) override
    {
        if (e.ns != XmlNs::kSheet)
            return kEnter;
        if (e.name == "numFmt") {
            unsigned id = 0;
            if (ParseIndex(e.Attribute(XmlNs::kNone, "numFmtId"), id) && m_custom.size() < kMaxFormats)
                m_custom[id] = KindOfFormatCode(e.Attribute(XmlNs::kNone, "formatCode"));
            return kSkip;
        }
        if (e.name == "cellXfs") {
            m_inCellFormats = true;
        } else if (e.name == "xf" && m_inCellFormats) {
            unsigned id = 0;
            if (kinds.size() < kMaxFormats)
                kinds.push_back(ParseIndex(e.Attribute(XmlNs::kNone, "numFmtId"), id) ? KindOf(id) : kNotDate);
            return kSkip;
        }
        return kEnter;
    }
    void End(XmlNs ns, std::string_view name) override
    {
        if (ns == XmlNs::kSheet && name == "cellXfs")
            m_inCellFormats = false;
    }
    void Text(std::string_view) override {}

    static bool ParseIndex(std::string_view text, unsigned& out)
    {
        double value = 0;
        if (!ParseXmlNumber(text, value) || !(value >= 0 && value < 4e9))
            return false;
        out = static_cast<unsigned>(value);
        return true;
    }

    std::vector<DateKind> kinds;

private:
    // Excel allows about 64,000 cell formats.
    static constexpr std::size_t kMaxFormats = 1u << 20;

    DateKind KindOf(unsigned id) const
    {
        const auto custom = m_custom.find(id);
        return custom != m_custom.end() ? custom->second : BuiltInKind(id);
    }

    std::unordered_map<unsigned, DateKind> m_custom;
    bool m_inCellFormats = false;
};

// The runs of a string (t, or r/t), phonetic guides (rPh) left out.
class StringRuns {
public:
    XmlHandler::Action Start(const XmlElement& e)
    {
        if (e.name == "rPh")
            return XmlHandler::kSkip;
        if (e.name == "t")
            m_inText = true;
        return XmlHandler::kEnter;
    }
    void End(std::string_view name)
    {
        if (name == "t")
            m_inText = false;
    }
    void Text(std::string_view text, std::string& out) const
    {
        if (m_inText)
            out.append(text);
    }

private:
    bool m_inText = false;
};

class SharedStringsHandler : public XmlHandler {
public:
    Action Start(const XmlElement& e) override
    {
        if (e.ns != XmlNs::kSheet)
            return kEnter;
        if (e.name == "si")
            m_inString = true;
        return m_inString ? m_runs.Start(e) : kEnter;
    }
    void End(XmlNs ns, std::string_view name) override
    {
        if (ns != XmlNs::kSheet)
            return;
        m_runs.End(name);
        if (name == "si") {
            m_inString = false;
            ends.push_back(static_cast<std::uint32_t>(text.size()));
            // The table is kept whole while the sheets are read: a table
            // larger than the text a document may give is refused.
            if (text.size() + 4 * ends.size() > kMaxDocumentTextBytes)
                Stop(TooMuchTextReason());
        }
    }
    void Text(std::string_view chars) override
    {
        if (m_inString)
            m_runs.Text(chars, text);
    }

    std::string_view At(std::size_t index) const
    {
        const std::size_t start = index == 0 ? 0 : ends[index - 1];
        return std::string_view(text).substr(start, ends[index] - start);
    }

    std::string text;
    std::vector<std::uint32_t> ends;

private:
    bool m_inString = false;
    StringRuns m_runs;
};

class WorksheetHandler : public XmlHandler {
public:
    WorksheetHandler(const SharedStringsHandler& strings, const StylesHandler& styles, bool date1904, TextSink& sink)
        : m_strings(strings), m_styles(styles), m_date1904(date1904), m_sink(sink)
    {
    }

    Action Start(const XmlElement& e) override
    {
        if (e.ns != XmlNs::kSheet)
            return kEnter;
        if (m_inCell) {
            if (e.name == "f" || e.name == "extLst")
                return kSkip;
            if (e.name == "v")
                m_inValue = true;
            else if (e.name == "is")
                m_inInline = true;
            return m_inInline ? m_runs.Start(e) : kEnter;
        }
        if (e.name == "c") {
            m_inCell = true;
            m_type = e.Attribute(XmlNs::kNone, "t");
            double style = 0;
            m_style = ParseXmlNumber(e.Attribute(XmlNs::kNone, "s"), style) && style >= 0 &&
                              style < static_cast<double>(m_styles.kinds.size())
                          ? m_styles.kinds[static_cast<std::size_t>(style)]
                          : kNotDate;
            m_value.clear();
            m_inline.clear();
        } else if (e.name == "mergeCells" || e.name == "conditionalFormatting" || e.name == "dataValidations" ||
                   e.name == "extLst" || e.name == "sheetViews" || e.name == "cols") {
            return kSkip;
        }
        return kEnter;
    }

    void End(XmlNs ns, std::string_view name) override
    {
        if (ns != XmlNs::kSheet || !m_inCell)
            return;
        if (name == "v") {
            m_inValue = false;
        } else if (name == "is") {
            m_inInline = false;
        } else if (name == "c") {
            m_inCell = false;
            AddCell();
        } else if (m_inInline) {
            m_runs.End(name);
        }
    }

    void Text(std::string_view text) override
    {
        if (m_inValue)
            m_value.append(text);
        else if (m_inInline)
            m_runs.Text(text, m_inline);
    }

private:
    void AddCell()
    {
        std::string formatted;
        std::string_view text = m_value;
        if (m_type == "s") {
            double index = -1;
            if (!ParseXmlNumber(m_value, index) || !(index >= 0 && index < static_cast<double>(m_strings.ends.size()))) {
                Stop("le document est endommagé");
                return;
            }
            text = m_strings.At(static_cast<std::size_t>(index));
        } else if (m_type == "inlineStr") {
            text = m_inline;
        } else if (m_type == "b") {
            text = m_value == "1" ? "VRAI" : m_value == "0" ? "FAUX" : std::string_view(m_value);
        } else if (m_type.empty() || m_type == "n") {
            double number = 0;
            if (ParseXmlNumber(m_value, number)) {
                formatted = m_style != kNotDate ? SerialToIso(number, m_date1904, m_style) : FormatCellNumber(number);
                text = formatted;
            }
        }
        if (!text.empty() && !m_sink.Add(MatchRule::kCell, text))
            Stop(TooMuchTextReason());
    }

    const SharedStringsHandler& m_strings;
    const StylesHandler& m_styles;
    bool m_date1904;
    TextSink& m_sink;
    bool m_inCell = false, m_inValue = false, m_inInline = false;
    std::string m_type;
    DateKind m_style = kNotDate;
    std::string m_value, m_inline;
    StringRuns m_runs;
};

} // namespace

bool ReadSheetXml(const FormatInput& input, TextSink& sink, std::string& reason)
{
    const std::unique_ptr<OfficePackage> package = OfficePackage::Open(input.bytes, PackageFamily::kOpenXml, reason);
    if (!package)
        return false;
    const std::string main = MainPart(*package, "xl/workbook.xml", reason);
    std::vector<Relationship> relationships;
    WorkbookHandler workbook;
    if (main.empty() || !ReadRelationships(*package, main, relationships, reason) ||
        !package->ParseXml(main, workbook, reason))
        return false;
    std::unordered_map<std::string, std::string> sheetOf;
    StylesHandler styles;
    SharedStringsHandler strings;
    for (const Relationship& r : relationships) {
        if (r.type == "worksheet") {
            sheetOf.emplace(r.id, r.target);
        } else if ((r.type == "styles" || r.type == "sharedStrings") && package->Has(r.target)) {
            XmlHandler& handler = r.type == "styles" ? static_cast<XmlHandler&>(styles) : strings;
            if (!package->ParseXml(r.target, handler, reason))
                return false;
        }
    }
    std::set<std::string> done;
    for (const std::string& id : workbook.sheets) {
        const auto sheet = sheetOf.find(id);
        if (sheet == sheetOf.end() || !package->Has(sheet->second) || !done.insert(sheet->second).second)
            continue;
        WorksheetHandler handler(strings, styles, workbook.date1904, sink);
        if (!package->ParseXml(sheet->second, handler, reason))
            return false;
    }
    return true;
}

} // namespace tavelo
