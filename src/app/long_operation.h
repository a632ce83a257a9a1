#pragma once
// Work that blocks the window while a progress window repaints (search,
// export, copies). Repainting lets queued calls through, so news from other
// threads that would change the book (the reopening of a freed book) checks
// this and waits until the work is over.

namespace tavelo::gui {

class LongOperation {
public:
    LongOperation() { ++s_depth; }
    ~LongOperation() { --s_depth; }
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

    static bool IsRunning() { return s_depth > 0; }

private:
    static inline int s_depth = 0;
};

} // namespace tavelo::gui
