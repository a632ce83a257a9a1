#pragma once
// The notifier: a background thread that waits until a book held by another
// instance becomes free, then says so once and ends.
//
// It probes the book about once a second (see ProbeBookAvailable) and sleeps
// in between at the lowest priority, so a waiting instance costs no processor
// time. There is at most one per process (g_pNotifierThread): starting one
// stops the previous one, and the reference is cleared, stopping its notifier,
// whenever a book is made or closed.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tavelo {

// Runs on the notifier's thread once the book is free; the notifier ends right
// after. It must return promptly: it hands the news to the window's thread
// (which shows the availability dialog and may reopen the book), it does not
// show anything itself.
using NotifierCallback = std::function<void(const std::string& path)>;
using NotifierProbe = std::function<bool(const std::string& path)>;

struct NotifierOptions {
    std::chrono::milliseconds period{1000};
    NotifierProbe probe; // ProbeBookAvailable when empty
    bool lowestPriority = true;
};

class Notifier {
public:
    Notifier(std::string path, NotifierCallback callback, NotifierOptions options = {});
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;
    ~Notifier();

    // Ends the loop at once (wakes the pause) and waits until the thread has
    // ended, except while it probes the book or runs the callback: then the
    // thread is left to end by itself, so a caller never waits on the file
    // system nor on what the callback does.
    void Stop();
    bool IsRunning() const;
    bool HasFired() const;

private:
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        std::atomic<bool> stop{false};
        std::atomic<bool> running{true};
        std::atomic<bool> fired{false};
        bool inCallback = false; // under mutex
        bool inProbe = false;    // under mutex
        std::string path;
        NotifierCallback callback;
        NotifierOptions options;
    };
    static void Run(std::shared_ptr<State> state);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

// Starts the process's notifier for a book, replacing (stopping) any other.
void StartNotifier(std::string path, NotifierCallback callback, NotifierOptions options = {});
// Clears g_pNotifierThread: its notifier, if any, stops (see Notifier::Stop).
// Called when a book is made (new or opened) and when a book is closed.
void ClearNotifierThread();
// Whether the process's notifier is still waiting.
bool IsNotifierRunning();

} // namespace tavelo
