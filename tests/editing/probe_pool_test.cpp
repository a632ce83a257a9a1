#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "editing/probe_pool.h"

namespace tavelo {
namespace {

// Paths under /dead/ hang until the test opens them; others answer at once.
class Folders {
public:
    DocumentProbe Probe(const std::string& path)
    {
        std::unique_lock lock(m_mutex);
        if (path.rfind("/dead/", 0) == 0) {
            ++m_hanging;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_open; });
            --m_hanging;
        }
        DocumentProbe probe;
        probe.status = path.find("missing") == std::string::npos ? DocumentStatus::kReadable : DocumentStatus::kMissing;
        return probe;
    }
    void Open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void Record(const std::string& batch, std::size_t index, const DocumentProbe& probe)
    {
        std::lock_guard lock(m_mutex);
        m_results[batch + std::to_string(index)] = probe.status;
        m_changed.notify_all();
    }
    // Waits for a condition that a working pool reaches at once; the bound
    // only keeps a broken pool from hanging the test.
    template <class Pred>
    bool WaitFor(Pred pred)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return pred(m_results, m_hanging); });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    int m_hanging = 0;
    std::map<std::string, DocumentStatus> m_results;
};

using Results = std::map<std::string, DocumentStatus>;

TEST(ProbePoolTest, FoldersThatHangNeitherBlockOtherChecksNorReportCancelledOnes)
{
    Folders folders;
    auto pool = std::make_unique<ProbePool>(2);
    pool->SetProber([&folders](const std::string& p) { return folders.Probe(p); });

    // Both threads of the bound end up stuck in two folders that never answer;
    // the other documents of those folders are not even tried.
    ProbePool::Ticket stuck = pool->Submit({"/dead/a/1", "/dead/b/1", "/dead/a/2", "/dead/b/2"},
                                           [&](std::size_t i, const DocumentProbe& p) { folders.Record("stuck", i, p); });
    ASSERT_TRUE(folders.WaitFor([](const Results&, int hanging) { return hanging == 2; }));
    ProbePool::Ticket live = pool->Submit({"/ok/x", "/ok/missing", "/other/y"},
                                          [&](std::size_t i, const DocumentProbe& p) { folders.Record("live", i, p); });
    ASSERT_TRUE(folders.WaitFor([](const Results& r, int) { return r.size() == 3; }));
    EXPECT_TRUE(folders.WaitFor([](const Results& r, int) {
        return r.at("live0") == DocumentStatus::kReadable && r.at("live1") == DocumentStatus::kMissing;
    }));

    // Cancelled while hanging: nothing of that batch is reported once the
    // folders answer, and its waiting checks are dropped.
    stuck.Cancel();
    folders.Open();
    ProbePool::Ticket after = pool->Submit({"/dead/a/3"}, [&](std::size_t i, const DocumentProbe& p) { folders.Record("after", i, p); });
    ASSERT_TRUE(folders.WaitFor([](const Results& r, int) { return r.count("after0") == 1; }));
    EXPECT_TRUE(folders.WaitFor([](const Results& r, int hanging) { return hanging == 0 && r.size() == 4; }));
    EXPECT_LE(pool->ThreadCount(), 64);
}

} // namespace
} // namespace tavelo
