#include "views/window_mailbox.h"

namespace tavelo::gui {

WindowMailbox::WindowMailbox(QObject* receiver) : m_box(std::make_shared<Box>())
{
    m_box->receiver = receiver;
}

void WindowMailbox::Post(std::function<void()> call) const
{
    if (!m_box)
        return;
    // Posting under the lock: Close cannot run meanwhile, and once posted
    // the call goes with its receiver if that is destroyed first.
    std::lock_guard lock(m_box->mutex);
    if (m_box->receiver)
        QMetaObject::invokeMethod(m_box->receiver, std::move(call), Qt::QueuedConnection);
}

void WindowMailbox::Close() const
{
    if (!m_box)
        return;
    std::lock_guard lock(m_box->mutex);
    m_box->receiver = nullptr;
}

} // namespace tavelo::gui
