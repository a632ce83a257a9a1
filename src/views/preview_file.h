#pragma once
// Reading a document for the preview without ever freezing the window: only
// regular files are read (a named pipe would block, a device may never end),
// up to a size, and on a thread of their own, so that a folder on a network
// that stopped answering costs the window a few seconds at most.

#include <chrono>
#include <string>

namespace tavelo::gui {

struct PreviewBytes {
    enum class Outcome { kRead, kMissing, kRefused, kTooLarge, kTimedOut };
    Outcome outcome = Outcome::kRead;
    std::string bytes;  // the file, or its first bytes when only the head was asked for
    std::string reason; // French, for kRefused, kTooLarge and kTimedOut
};

inline constexpr std::chrono::milliseconds kPreviewDeadline{3000};

// Reads the regular file `path`: whole when `headOnly` is false (kTooLarge past
// `maxBytes`), else its first `maxBytes` bytes. Gives up after `deadline`; the
// read then finishes, or not, on its own thread.
PreviewBytes ReadForPreview(const std::string& path, std::size_t maxBytes, bool headOnly,
                            std::chrono::milliseconds deadline = kPreviewDeadline);

} // namespace tavelo::gui
