// The worker thread of the platform layer: work that polls its stop flag
// ends when asked, promptly, even from a long wait; work blocked in a call
// that ignores the flag is left to end by itself once the bound passes, and
// touches only state of its own afterwards; destroying a WorkerThread never
// hangs. The machine running these is shared and loaded, so the time bounds
// are generous: they tell a bounded wait from an unbounded one, no more.
#include "base/platform/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <utility>

namespace quorvel::testing {
namespace {

using platform::WorkerThread;
using Clock = std::chrono::steady_clock;

std::chrono::milliseconds since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// Polls `done` for up to `limit`; true once it holds.
template <typename Condition>
bool eventually(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const Clock::time_point start = Clock::now();
    while (!done()) {
        if (since(start) > limit) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// What a piece of work counts, owned jointly by the test and the work.
struct Tally {
    std::atomic<int> wakes{0};
    std::atomic<int> timeouts{0};
    std::atomic<bool> sawStop{false};
    std::atomic<bool> finished{false};
    std::atomic<std::thread::id> closedOn{};
};

// Work as the database's sender does it: waits for a wake-up with a long
// timeout, counts each one, and ends when asked.
WorkerThread::Work waitingWork(const std::shared_ptr<Tally>& tally) {
    return [tally](WorkerThread::Control& control) {
        while (!control.stopRequested()) {
            if (control.waitForWake(10000)) {
                if (!control.stopRequested()) {
                    ++tally->wakes;
                }
            } else {
                ++tally->timeouts;
            }
        }
        tally->sawStop = true;
    };
}

TEST(WorkerThread, WorkThatEndsWhenAskedIsWokenAndStoppedPromptly) {
    auto tally = std::make_shared<Tally>();
    const std::weak_ptr<Tally> heldByWork = tally;
    {
        WorkerThread worker;
        EXPECT_FALSE(worker.running());
        ASSERT_TRUE(worker.start(waitingWork(tally)).ok());
        EXPECT_TRUE(worker.running());
        // A second start while the first work runs is refused.
        const platform::Status again = worker.start(waitingWork(tally));
        EXPECT_TRUE(again.isFailed());
        EXPECT_FALSE(again.reason().empty());

        // Each wake-up reaches the work well before its 10 s timeout.
        for (int wake = 1; wake <= 3; ++wake) {
            worker.wake();
            EXPECT_TRUE(eventually([&] { return tally->wakes == wake; }, std::chrono::seconds(5)))
                << "wake-up " << wake << " not seen; the work saw " << tally->wakes;
        }

        // Stopping wakes the work from its wait: it does not sit out the
        // 10 s timeout.
        const Clock::time_point asked = Clock::now();
        EXPECT_TRUE(worker.stop(5000));
        EXPECT_LT(since(asked), std::chrono::milliseconds(1500));
        EXPECT_TRUE(tally->sawStop);
        EXPECT_EQ(tally->timeouts, 0);
        EXPECT_FALSE(worker.running());
        EXPECT_EQ(worker.failure(), "");
        // The work's captures were released on its thread before stop
        // returned: only the test holds the tally now.
        EXPECT_EQ(tally.use_count(), 1);

        // The WorkerThread is free again: new work starts, and a wake-up
        // given before the work waits is not lost.
        auto second = std::make_shared<Tally>();
        worker.wake();
        ASSERT_TRUE(worker.start(waitingWork(second)).ok());
        worker.wake();
        EXPECT_TRUE(eventually([&] { return second->wakes >= 1; }, std::chrono::seconds(5)));
        EXPECT_TRUE(worker.stop(5000));
        EXPECT_TRUE(second->sawStop);

        // What the work owns is released on its own thread before stop()
        // sees the end, however long that takes (a connection closing).
        struct Connection {
            std::shared_ptr<Tally> tally;
            ~Connection() {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                tally->closedOn = std::this_thread::get_id();
            }
        };
        auto third = std::make_shared<Tally>();
        auto connection = std::make_shared<Connection>(Connection{third});
        ASSERT_TRUE(
            worker
                .start([connection](WorkerThread::Control& control) { control.waitForWake(10000); })
                .ok());
        connection.reset();
        EXPECT_TRUE(worker.stop(5000));
        EXPECT_NE(third->closedOn.load(), std::thread::id());
        EXPECT_NE(third->closedOn.load(), std::this_thread::get_id());

        // Work that throws ends with the reason kept, not the host's end.
        ASSERT_TRUE(worker
                        .start([](WorkerThread::Control&) {
                            throw std::runtime_error("the driver went away");
                        })
                        .ok());
        EXPECT_TRUE(eventually([&] { return !worker.running(); }, std::chrono::seconds(5)));
        EXPECT_EQ(worker.failure(), "the driver went away");
        EXPECT_TRUE(worker.stop(1000));
        EXPECT_EQ(worker.failure(), "the driver went away");
    }
    EXPECT_TRUE(heldByWork.lock() != nullptr); // the test's own reference
    tally.reset();
    EXPECT_TRUE(heldByWork.expired());
}

TEST(WorkerThread, BlockedWorkIsLeftToEndByItselfAndTouchesOnlyItsOwnState) {
    auto tally = std::make_shared<Tally>();
    const std::weak_ptr<Tally> heldByWork = tally;
    // Work stuck in a call that ignores the flag for 3 s, as a driver's call
    // on a dead network does; afterwards it writes to its own state.
    auto blocked = [tally](WorkerThread::Control& control) {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        tally->sawStop = control.stopRequested();
        tally->finished = true;
    };
    {
        WorkerThread worker;
        ASSERT_TRUE(worker.start(std::move(blocked)).ok());
        const Clock::time_point asked = Clock::now();
        EXPECT_FALSE(worker.stop(200));
        const std::chrono::milliseconds waited = since(asked);
        EXPECT_GE(waited, std::chrono::milliseconds(150));
        EXPECT_LT(waited, std::chrono::milliseconds(1500));
        EXPECT_FALSE(tally->finished);
        // Let go of: not running as far as this WorkerThread knows.
        EXPECT_FALSE(worker.running());
    }                                // destroyed while its thread is still blocked
    EXPECT_EQ(tally.use_count(), 2); // the abandoned work still holds its state

    // The abandoned work ends by itself, saw the stop asked of it, and
    // releases what it held on its own thread.
    EXPECT_TRUE(eventually([&] { return tally->finished && tally.use_count() == 1; }));
    EXPECT_TRUE(tally->sawStop);
    tally.reset();
    EXPECT_TRUE(heldByWork.expired());
}

TEST(WorkerThread, DestroyingRunningWorkWithoutStopNeverHangs) {
    // Work that polls its flag: the destructor's stop ends it.
    auto polite = std::make_shared<Tally>();
    Clock::time_point destroyed;
    {
        WorkerThread worker;
        ASSERT_TRUE(worker.start(waitingWork(polite)).ok());
        destroyed = Clock::now();
    }
    EXPECT_LT(since(destroyed), std::chrono::milliseconds(1500));
    EXPECT_TRUE(eventually([&] { return polite->sawStop.load(); }));

    // Work that ignores it: the destructor waits only a short while.
    auto stuck = std::make_shared<Tally>();
    {
        WorkerThread worker;
        ASSERT_TRUE(worker
                        .start([stuck](WorkerThread::Control& control) {
                            std::this_thread::sleep_for(std::chrono::seconds(3));
                            stuck->sawStop = control.stopRequested();
                            stuck->finished = true;
                        })
                        .ok());
        destroyed = Clock::now();
    }
    EXPECT_LT(since(destroyed), std::chrono::milliseconds(1500));
    EXPECT_FALSE(stuck->finished);
    EXPECT_TRUE(eventually([&] { return stuck->finished.load(); }));
    EXPECT_TRUE(stuck->sawStop);
}

} // namespace
} // namespace quorvel::testing
