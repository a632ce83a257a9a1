#include "book/notifier.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include "book/held_file.h"

namespace tavelo {

namespace {

void LowerThreadPriority()
{
    // SCHED_IDLE runs the thread only when nothing else wants the processor;
    // where it is refused, the highest nice value of this thread alone.
    struct sched_param param {};
    param.sched_priority = 0;
    if (::pthread_setschedparam(::pthread_self(), SCHED_IDLE, &param) != 0)
        (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
}

std::mutex g_notifierMutex;
std::unique_ptr<Notifier> g_pNotifierThread; // under g_notifierMutex

} // namespace

Notifier::Notifier(std::string path, NotifierCallback callback, NotifierOptions options)
    : m_state(std::make_shared<State>())
{
    m_state->path = std::move(path);
    m_state->callback = std::move(callback);
    m_state->options = std::move(options);
    if (!m_state->options.probe)
        m_state->options.probe = ProbeBookAvailable;
    m_thread = std::thread(&Notifier::Run, m_state);
}

Notifier::~Notifier()
{
    Stop();
}

void Notifier::Run(std::shared_ptr<State> state)
{
    if (state->options.lowestPriority)
        LowerThreadPriority();
    std::unique_lock lock(state->mutex);
    while (!state->stop) {
        state->inProbe = true;
        lock.unlock();
        const bool free = state->options.probe(state->path);
        lock.lock();
        state->inProbe = false;
        if (state->stop)
            break;
        if (free) {
            state->inCallback = true;
            state->fired = true;
            lock.unlock();
            if (state->callback)
                state->callback(state->path);
            lock.lock();
            state->inCallback = false;
            break;
        }
        state->wake.wait_for(lock, state->options.period, [&] { return state->stop.load(); });
    }
    state->running = false;
}

void Notifier::Stop()
{
    if (!m_thread.joinable())
        return;
    bool busy;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stop = true;
        busy = m_state->inCallback || m_state->inProbe;
    }
    m_state->wake.notify_all();
    // A probe of a book on a network folder that stopped answering may not
    // return for minutes; the thread is left to end by itself once it does,
    // and what it found then is dropped (the stop is seen first).
    if (busy || m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach(); // the thread keeps its state alive until it ends
    else
        m_thread.join();
}

bool Notifier::IsRunning() const
{
    return m_state->running;
}

bool Notifier::HasFired() const
{
    return m_state->fired;
}

void StartNotifier(std::string path, NotifierCallback callback, NotifierOptions options)
{
    auto next = std::make_unique<Notifier>(std::move(path), std::move(callback), std::move(options));
    std::unique_ptr<Notifier> previous;
    {
        std::lock_guard lock(g_notifierMutex);
        previous = std::move(g_pNotifierThread);
        g_pNotifierThread = std::move(next);
    }
    previous.reset(); // stopped outside the lock: its callback may clear the reference
}

void ClearNotifierThread()
{
    std::unique_ptr<Notifier> previous;
    {
        std::lock_guard lock(g_notifierMutex);
        previous = std::move(g_pNotifierThread);
    }
    previous.reset();
}

bool IsNotifierRunning()
{
    std::lock_guard lock(g_notifierMutex);
    return g_pNotifierThread && g_pNotifierThread->IsRunning();
}

} // namespace tavelo
