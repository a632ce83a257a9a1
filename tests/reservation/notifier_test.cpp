// The notifier: told once when the book is free, stopped at once when asked,
// never waited on while it hands its news over.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <sched.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

#include "book/held_file.h"
#include "book/notifier.h"
#include "test_support.h"

namespace tavelo {
namespace {

using namespace std::chrono_literals;

// Counts the calls of a notifier's callback and lets a test wait for them.
struct Calls {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
    std::string path;

    NotifierCallback Callback()
    {
        return [this](const std::string& p) {
            std::lock_guard lock(mutex);
            ++count;
            path = p;
            changed.notify_all();
        };
    }
    bool WaitFor(int n, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return count >= n; });
    }
};

TEST(NotifierTest, TellsOnceWhenTheHolderCloses)
{
    test::TempDir dir;
    const std::string book = dir.File("Maison.tvo");
    test::WriteFileBytes(book, WriteSubjectList({}));
    bool readOnly = true;
    auto holder = OpenHeldFile(book, readOnly, false);
    auto reader = OpenHeldFile(book, readOnly, false);
    ASSERT_TRUE(readOnly);

    Calls calls;
    std::atomic<int> probes{0};
    NotifierOptions options;
    options.period = 10ms;
    options.probe = [&](const std::string& p) {
        ++probes;
        return ProbeBookAvailable(p);
    };
    StartNotifier(book, calls.Callback(), options);
    while (probes < 5)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(calls.count, 0);
    EXPECT_TRUE(IsNotifierRunning());

    ReleaseHeldFile(holder);
    ASSERT_TRUE(calls.WaitFor(1, 10s));
    EXPECT_EQ(calls.path, book);
    // It ended after telling; nothing more comes.
    for (int i = 0; i < 200 && IsNotifierRunning(); ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(IsNotifierRunning());
    const int probesAfter = probes;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(probes, probesAfter);
    EXPECT_EQ(calls.count, 1);
    ClearNotifierThread();
}

TEST(NotifierTest, ClearingStopsAWaitWithoutWaitingOutThePause)
{
    Calls calls;
    NotifierOptions options;
    options.period = std::chrono::hours(1);
    options.probe = [](const std::string&) { return false; };
    StartNotifier("/nulle/part.tvo", calls.Callback(), options);
    EXPECT_TRUE(IsNotifierRunning());
    // Were the pause a plain sleep, this would not return for an hour.
    ClearNotifierThread();
    EXPECT_FALSE(IsNotifierRunning());
    EXPECT_EQ(calls.count, 0);
}

TEST(NotifierTest, StartingAnotherStopsThePrevious)
{
    std::atomic<int> firstProbes{0};
    NotifierOptions first;
    first.period = 5ms;
    first.probe = [&](const std::string&) {
        ++firstProbes;
        return false;
    };
    StartNotifier("/un.tvo", {}, first);
    while (firstProbes == 0)
        std::this_thread::sleep_for(1ms);

    NotifierOptions second;
    second.period = 1h;
    second.probe = [](const std::string&) { return false; };
    StartNotifier("/deux.tvo", {}, second);
    const int after = firstProbes;
    std::this_thread::sleep_for(40ms);
    EXPECT_EQ(firstProbes, after);
    EXPECT_TRUE(IsNotifierRunning());
    ClearNotifierThread();
}

TEST(NotifierTest, StoppingDoesNotWaitForTheCallback)
{
    std::mutex mutex;
    std::condition_variable cv;
    bool entered = false;
    bool release = false;
    NotifierOptions options;
    options.period = 1ms;
    options.probe = [](const std::string&) { return true; };
    Notifier notifier("/livre.tvo", [&](const std::string&) {
        std::unique_lock lock(mutex);
        entered = true;
        cv.notify_all();
        cv.wait(lock, [&] { return release; }); // a dialog the user has not answered
    }, options);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(cv.wait_for(lock, 10s, [&] { return entered; }));
    }
    notifier.Stop(); // returns although the callback is still running
    EXPECT_TRUE(notifier.IsRunning());
    EXPECT_TRUE(notifier.HasFired());
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    cv.notify_all();
    for (int i = 0; i < 1000 && notifier.IsRunning(); ++i)
        std::this_thread::sleep_for(2ms);
    EXPECT_FALSE(notifier.IsRunning());
}

TEST(NotifierTest, StoppingDoesNotWaitForAProbeStuckOnALostShare)
{
    // A probe of a book on a lost network folder does not return: closing the
    // book must not wait for it, and its news is dropped.
    auto share = std::make_shared<std::promise<void>>();
    auto probing = std::make_shared<std::atomic<bool>>(false);
    Calls calls;
    NotifierOptions options;
    options.probe = [probing, answers = share->get_future().share()](const std::string&) {
        *probing = true;
        answers.wait();
        return true;
    };
    StartNotifier("/partage/perdu/Maison.tvo", calls.Callback(), options);
    while (!*probing)
        std::this_thread::sleep_for(1ms);
    auto cleared = std::async(std::launch::async, [] { ClearNotifierThread(); });
    EXPECT_EQ(cleared.wait_for(20s), std::future_status::ready);
    share->set_value(); // the share answers again, whatever happened
    cleared.wait();
    EXPECT_EQ(calls.count, 0);
}

TEST(NotifierTest, CallbackMayClearTheReferenceItself)
{
    Calls calls;
    NotifierOptions options;
    options.period = 1ms;
    options.probe = [](const std::string&) { return true; };
    auto callback = calls.Callback();
    StartNotifier("/livre.tvo", [callback](const std::string& p) {
        ClearNotifierThread();
        callback(p);
    }, options);
    ASSERT_TRUE(calls.WaitFor(1, 10s));
    EXPECT_FALSE(IsNotifierRunning());
}

TEST(NotifierTest, ProbesAtTheLowestPriority)
{
    std::atomic<int> policy{-1};
    std::atomic<int> nice{-100};
    Calls calls;
    NotifierOptions options;
    options.period = 1ms;
    options.probe = [&](const std::string&) {
        policy = ::sched_getscheduler(0);
        errno = 0;
        nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
        return true;
    };
    StartNotifier("/livre.tvo", calls.Callback(), options);
    ASSERT_TRUE(calls.WaitFor(1, 10s));
    ClearNotifierThread();
    EXPECT_TRUE(policy == SCHED_IDLE || nice == 19) << "policy " << policy << ", nice " << nice;
    // Only the notifier's thread was lowered.
    EXPECT_NE(::sched_getscheduler(0), SCHED_IDLE);
}

} // namespace
} // namespace tavelo
