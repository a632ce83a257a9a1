#pragma once
// Documents checked on background threads, so that a window never waits on a
// folder. A folder that stops answering holds only the thread that is asking
// it: its other documents wait until that answer comes, and the pool starts
// more threads (up to a bound) so that the other folders are still checked.
// Threads that are stuck for good are never waited for, not even at exit.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editing/document_check.h"

namespace tavelo {

class ProbePool {
public:
    // Called on a worker thread with the index of the path in its batch.
    using Done = std::function<void(std::size_t index, const DocumentProbe& probe)>;

    // A batch's results come while its ticket lives; dropping or cancelling it
    // drops the checks not yet started.
    class Ticket {
    public:
        Ticket() = default;
        explicit Ticket(std::shared_ptr<void> batch) : m_batch(std::move(batch)) {}
        Ticket(Ticket&&) noexcept = default;
        Ticket& operator=(Ticket&& other) noexcept;
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;
        ~Ticket() { Cancel(); }
        void Cancel();

    private:
        std::shared_ptr<void> m_batch;
    };

    // `threads`: how many checks run at once while every folder answers.
    explicit ProbePool(int threads = 16);
    ~ProbePool();
    ProbePool(const ProbePool&) = delete;
    ProbePool& operator=(const ProbePool&) = delete;

    // The pool of the windows; it outlives everything else.
    static ProbePool& Shared();

    Ticket Submit(std::vector<std::string> paths, Done done);
    // How paths are checked (ProbeDocument unless set): the tests' and the
    // benchmarks' slow folders.
    void SetProber(DocumentProber prober);
    // Threads started and not yet ended.
    int ThreadCount() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

} // namespace tavelo
