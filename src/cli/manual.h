#pragma once
// The manual of tavelo-cli: its --help and its manual page tavelo-cli(1).

#include <string>
#include <string_view>

#include "base/manual.h"

namespace tavelo::cli {

const Manual& CliManual();

// "Usage : tavelo-cli <the synopsis line of `command`>" and a line feed,
// translated: what a command prints when it is called wrongly.
std::string CommandUsage(std::string_view command);

} // namespace tavelo::cli
