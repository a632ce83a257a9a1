#pragma once
// Calls from other threads handed to an object of the window thread, run
// there in the order posted. Once the object is closed (or destroyed) the
// calls still coming are dropped, so a worker never reaches a dead window.

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>

namespace tavelo::gui {

class WindowMailbox {
public:
    WindowMailbox() = default;
    explicit WindowMailbox(QObject* receiver);

    // Thread-safe; copies share the box.
    void Post(std::function<void()> call) const;
    // From the window thread, before the receiver goes.
    void Close() const;

private:
    struct Box {
        std::mutex mutex;
        QObject* receiver = nullptr;
    };
    std::shared_ptr<Box> m_box;
};

} // namespace tavelo::gui
