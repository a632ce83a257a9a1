#pragma once
// The manual of tavelo-cli: its --help and its manual page tavelo-cli(1).

#include "base/manual.h"

namespace tavelo::cli {

const Manual& CliManual();

} // namespace tavelo::cli
