#pragma once
// The fields of tavelo-cli's tab-separated lines.

#include <string>
#include <string_view>

namespace tavelo::cli {

// The text with its control characters (tab, carriage return, line feed...)
// written as \xHH, so that a name never breaks a line or its fields.
std::string EscapeField(std::string_view text);

} // namespace tavelo::cli
