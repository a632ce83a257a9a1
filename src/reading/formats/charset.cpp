#include "reading/formats/charset.h"

#include <algorithm>
#include <climits>

#include <unicode/ucnv.h>

#include "book/text.h"
#include "reading/text_decoding.h"

namespace tavelo {

namespace {

// The name lower-cased, without the spaces and quotes mail headers and pages
// sometimes leave around it.
std::string Normalise(std::string_view name)
{
    while (!name.empty() && (name.front() == ' ' || name.front() == '"' || name.front() == '\''))
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '"' || name.back() == '\''))
        name.remove_suffix(1);
    std::string out(name);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return out;
}

bool OneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsWindows1252(std::string_view name)
{
    return OneOf(name, {"windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1", "iso_8859-1",
                        "iso_8859-1:1987", "latin1", "l1", "iso-ir-100", "csisolatin1", "ibm819", "cp819",
                        "us-ascii", "ascii", "us", "ansi_x3.4-1968", "iso646-us", "csascii"});
}

bool IsUtf8(std::string_view name)
{
    return OneOf(name, {"utf-8", "utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "x-unicode20utf8"});
}

// ICU also opens converters from files named by a path: only plain names,
// which its alias table knows, go to it.
bool IcuKnows(const std::string& name)
{
    if (name.empty() || name.size() > 64)
        return false;
    for (const char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':'))
            return false;
    UErrorCode error = U_ZERO_ERROR;
    return ucnv_countAliases(name.c_str(), &error) > 0 && U_SUCCESS(error);
}

std::string RepairedUtf8(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();)
        AppendUtf8(out, DecodeUtf8(bytes, pos));
    return out;
}

bool ConvertWithIcu(std::string_view bytes, const std::string& name, std::string& out)
{
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX))
        return false;
    UErrorCode error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name.c_str(), &error);
    if (U_FAILURE(error))
        return false;
    const auto length = static_cast<int32_t>(bytes.size());
    // A first pass measures, the second converts: the result of a large part
    // is allocated once, at its size.
    const int32_t needed = ucnv_toAlgorithmic(UCNV_UTF8, converter, nullptr, 0, bytes.data(), length, &error);
    bool done = false;
    if (error == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(error)) {
        error = U_ZERO_ERROR;
        ucnv_reset(converter);
        out.resize(static_cast<std::size_t>(needed));
        ucnv_toAlgorithmic(UCNV_UTF8, converter, out.data(), needed, bytes.data(), length, &error);
        done = U_SUCCESS(error) && IsValidUtf8(out);
    }
    ucnv_close(converter);
    return done;
}

} // namespace

bool IsKnownCharset(std::string_view charset)
{
    const std::string name = Normalise(charset);
    return IsWindows1252(name) || IsUtf8(name) || IcuKnows(name);
}

bool IsUtf16Charset(std::string_view charset)
{
    const std::string name = Normalise(charset);
    return OneOf(name, {"utf-16", "utf-16le", "utf-16be", "utf16", "unicode", "ucs-2", "csunicode", "iso-10646-ucs-2"});
}

std::string DecodeCharset(std::string_view bytes, std::string_view charset)
{
    const std::string name = Normalise(charset);
    if (IsWindows1252(name))
        return Cp1252ToUtf8(bytes);
    if (IsUtf8(name))
        return RepairedUtf8(bytes);
    std::string out;
    if (IcuKnows(name) && ConvertWithIcu(bytes, name, out))
        return out;
    std::string storage;
    return std::string(DecodeTextFile(bytes, storage));
}

} // namespace tavelo
