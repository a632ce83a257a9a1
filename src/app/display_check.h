#pragma once
// What the window needs before Qt starts: a display that answers.
//
// Without one, Qt's platform plugin ends the process with an abort (and a
// core file) while the application object is being made. A display server
// that is still starting, as happens on a loaded machine, is waited for a few
// seconds; then, or for any other failure of that start, the program says so
// in French and ends with status 1.

namespace tavelo::gui {

// Waits until the X display named by DISPLAY answers, when Qt is going to use
// it; gives up after a few seconds. The connection that answered is kept open
// until this object goes, after Qt has made its own: closing the last client
// of a display makes some servers (Xvfb) reset, and refuse connections a
// moment.
class DisplayWait {
public:
    DisplayWait();
    ~DisplayWait();
    DisplayWait(const DisplayWait&) = delete;
    DisplayWait& operator=(const DisplayWait&) = delete;

private:
    void* m_display = nullptr;
};

// Until the returned guard goes, a fatal message from Qt (the platform plugin
// that cannot start) ends the program with a French message and status 1
// instead of an abort.
class StartupFailureGuard {
public:
    StartupFailureGuard();
    ~StartupFailureGuard();
    StartupFailureGuard(const StartupFailureGuard&) = delete;
    StartupFailureGuard& operator=(const StartupFailureGuard&) = delete;
};

} // namespace tavelo::gui
