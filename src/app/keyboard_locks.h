#pragma once
// The state of the lock keys, for the MAJ, NUM and DEF panes of the status bar.

#include <optional>

namespace tavelo::gui {

struct KeyboardLocks {
    bool caps = false;   // MAJ
    bool num = false;    // NUM
    bool scroll = false; // DEF
};

// The lock keys as the keyboard's lights show them, where the window system
// tells (X11, through XKB's named indicators); none elsewhere (offscreen,
// Wayland), where the panes keep what they show.
std::optional<KeyboardLocks> ReadKeyboardLocks();

} // namespace tavelo::gui
