#pragma once
// The manual of the window program: its --help and its manual page tavelo(1).
// Qt-free, so that --help works before Qt starts and the build can make the
// page without a display.

#include "base/manual.h"

namespace tavelo::gui {

const Manual& AppManual();

} // namespace tavelo::gui
