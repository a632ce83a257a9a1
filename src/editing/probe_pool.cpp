#include "editing/probe_pool.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace tavelo {

namespace {

using Clock = std::chrono::steady_clock;

// A check that takes longer than this marks its folder as slow: its other
// documents wait, and the thread no longer counts against the bound.
constexpr auto kSlowAfter = std::chrono::milliseconds(500);
constexpr auto kSupervise = std::chrono::milliseconds(100);
constexpr auto kIdleExit = std::chrono::seconds(20);
// However many folders hang, no more threads than this.
constexpr int kHardCap = 64;

struct Batch {
    std::vector<std::string> paths;
    ProbePool::Done done;
    std::atomic<bool> cancelled{false};
};

struct Job {
    std::shared_ptr<Batch> batch;
    std::size_t index;
};

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

struct ProbePool::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable superviseWake;
    std::deque<Job> jobs;
    DocumentProber prober;
    int limit = 16;
    int threads = 0;
    int idle = 0;
    bool supervising = false;
    bool closing = false;
    // The checks running, by folder, with when the oldest started.
    std::unordered_map<std::string, std::pair<int, Clock::time_point>> running;

    bool IsSlow(const std::string& folder, Clock::time_point now) const
    {
        const auto it = running.find(folder);
        return it != running.end() && now - it->second.second > kSlowAfter;
    }
    int StuckCount(Clock::time_point now) const
    {
        int stuck = 0;
        for (const auto& [folder, entry] : running) {
            if (now - entry.second > kSlowAfter)
                stuck += entry.first;
        }
        return stuck;
    }
    // The first job whose folder is not hanging; cancelled jobs are dropped.
    bool TakeJob(Job& job, std::string& folder, Clock::time_point now)
    {
        for (auto it = jobs.begin(); it != jobs.end();) {
            if (it->batch->cancelled.load(std::memory_order_relaxed)) {
                it = jobs.erase(it);
                continue;
            }
            std::string f = FolderOf(it->batch->paths[it->index]);
            if (!IsSlow(f, now)) {
                job = std::move(*it);
                jobs.erase(it);
                folder = std::move(f);
                return true;
            }
            ++it;
        }
        return false;
    }
};

namespace {

void Work(std::shared_ptr<ProbePool::State> state);

// Starts threads for the jobs that can run; stuck threads do not count
// against the limit. Called with the lock held.
void Grow(const std::shared_ptr<ProbePool::State>& state)
{
    const auto now = Clock::now();
    const int allowed = std::min(kHardCap, state->limit + state->StuckCount(now));
    int runnable = 0;
    for (const Job& j : state->jobs) {
        if (!j.batch->cancelled.load(std::memory_order_relaxed) && !state->IsSlow(FolderOf(j.batch->paths[j.index]), now))
            ++runnable;
        if (runnable > allowed)
            break;
    }
    int wanted = runnable - state->idle;
    while (wanted-- > 0 && state->threads < allowed) {
        ++state->threads;
        std::thread(Work, state).detach();
    }
}

// While jobs wait, looks again now and then: a folder may have become slow
// (more threads) or answered (its jobs may run).
void Supervise(std::shared_ptr<ProbePool::State> state)
{
    std::unique_lock lock(state->mutex);
    while (!state->closing && !state->jobs.empty()) {
        Grow(state);
        state->wake.notify_all();
        state->superviseWake.wait_for(lock, kSupervise);
    }
    state->supervising = false;
}

void Work(std::shared_ptr<ProbePool::State> state)
{
    std::unique_lock lock(state->mutex);
    for (;;) {
        Job job;
        std::string folder;
        ++state->idle;
        const bool got = state->wake.wait_for(lock, kIdleExit, [&] {
            return state->closing || state->TakeJob(job, folder, Clock::now());
        });
        --state->idle;
        if (!got || state->closing) {
            --state->threads;
            return;
        }
        auto& entry = state->running[folder];
        if (entry.first++ == 0)
            entry.second = Clock::now();
        const DocumentProber prober = state->prober;
        lock.unlock();
        const std::string& path = job.batch->paths[job.index];
        const DocumentProbe probe = prober ? prober(path) : ProbeDocument(path);
        if (!job.batch->cancelled.load(std::memory_order_relaxed))
            job.batch->done(job.index, probe);
        lock.lock();
        auto it = state->running.find(folder);
        if (--it->second.first == 0)
            state->running.erase(it);
        else
            it->second.second = Clock::now();
    }
}

} // namespace

ProbePool::Ticket& ProbePool::Ticket::operator=(Ticket&& other) noexcept
{
    if (this != &other) {
        Cancel();
        m_batch = std::move(other.m_batch);
    }
    return *this;
}

void ProbePool::Ticket::Cancel()
{
    if (m_batch)
        static_cast<Batch*>(m_batch.get())->cancelled.store(true, std::memory_order_relaxed);
    m_batch.reset();
}

ProbePool::ProbePool(int threads) : m_state(std::make_shared<State>())
{
    m_state->limit = std::max(1, threads);
}

ProbePool::~ProbePool()
{
    // Threads still inside a check finish it on their own; the state they
    // share lives as long as the last of them.
    std::lock_guard lock(m_state->mutex);
    m_state->closing = true;
    m_state->jobs.clear();
    m_state->wake.notify_all();
    m_state->superviseWake.notify_all();
}

ProbePool& ProbePool::Shared()
{
    static ProbePool* pool = new ProbePool;
    return *pool;
}

ProbePool::Ticket ProbePool::Submit(std::vector<std::string> paths, Done done)
{
    auto batch = std::make_shared<Batch>();
    batch->paths = std::move(paths);
    batch->done = std::move(done);
    std::lock_guard lock(m_state->mutex);
    for (std::size_t i = 0; i < batch->paths.size(); ++i)
        m_state->jobs.push_back({batch, i});
    Grow(m_state);
    m_state->wake.notify_all();
    if (!m_state->supervising && !m_state->jobs.empty()) {
        m_state->supervising = true;
        std::thread(Supervise, m_state).detach();
    }
    return Ticket(batch);
}

void ProbePool::SetProber(DocumentProber prober)
{
    std::lock_guard lock(m_state->mutex);
    m_state->prober = std::move(prober);
}

int ProbePool::ThreadCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->threads;
}

} // namespace tavelo
