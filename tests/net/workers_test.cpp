#include "net/workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace lumikko {
namespace {

constexpr auto bound = std::chrono::seconds(5);

// Blocks until stop is requested on the token (bounded, so a fault fails
// instead of hanging). True when the stop came.
bool wait_for_stop(const std::stop_token& stop) {
    std::mutex mutex;
    std::condition_variable_any cv;
    std::unique_lock lock(mutex);
    return cv.wait_for(lock, stop, bound, [] { return false; }) || stop.stop_requested();
}

// Polls a condition that another thread makes true, within the bound.
template <typename F> bool eventually(F condition) {
    const auto until = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class Workers : public ::testing::Test {
protected:
    void TearDown() override {
        stop_and_join_all_workers();
        EXPECT_EQ(running_workers(), 0);
    }
};

TEST_F(Workers, StopReachesTheRoutineAndJoinWaitsForIt) {
    std::atomic<bool> saw_stop = false;
    std::atomic<bool> finished = false;
    const WorkerHandle a = start_worker([&](std::stop_token stop) {
        saw_stop = wait_for_stop(stop);
        finished = true;
    });
    const WorkerHandle b = start_worker([](std::stop_token stop) { wait_for_stop(stop); });
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(running_workers(), 2);

    stop_worker(a);
    EXPECT_TRUE(eventually([&] { return finished.load(); }));
    EXPECT_TRUE(saw_stop);
    EXPECT_TRUE(eventually([] { return running_workers() == 1; }));

    stop_and_join_all_workers();
    EXPECT_EQ(running_workers(), 0);
}

TEST_F(Workers, HandlesAreNeverReused) {
    const WorkerHandle first = start_worker([](std::stop_token) {});
    EXPECT_TRUE(eventually([] { return running_workers() == 0; }));
    const WorkerHandle second = start_worker([](std::stop_token) {});
    EXPECT_NE(first, second);
    EXPECT_NE(second, 0u);
    // Stopping an ended or unknown worker, or none, is harmless.
    stop_worker(first);
    stop_worker(0);
    stop_worker(second + 1000);
}

TEST_F(Workers, StopOnTheLinkReachesTheLinkedWorker) {
    std::atomic<bool> child_stopped = false;
    std::atomic<bool> unlinked_stopped = false;
    std::stop_source parent;
    start_worker([&](std::stop_token stop) { child_stopped = wait_for_stop(stop); },
                 parent.get_token());
    start_worker([&](std::stop_token stop) {
        unlinked_stopped = stop.stop_requested();
        wait_for_stop(stop);
    });
    EXPECT_EQ(running_workers(), 2);
    parent.request_stop();
    EXPECT_TRUE(eventually([&] { return child_stopped.load(); }));
    EXPECT_FALSE(unlinked_stopped);
    EXPECT_EQ(running_workers(), 1);
}

TEST_F(Workers, LinkAlreadyStoppedStopsTheWorkerAtOnce) {
    std::stop_source parent;
    parent.request_stop();
    std::atomic<bool> stopped = false;
    start_worker([&](std::stop_token stop) { stopped = wait_for_stop(stop); }, parent.get_token());
    EXPECT_TRUE(eventually([&] { return stopped.load(); }));
}

TEST_F(Workers, StoppingAWorkerStopsTheWorkersItLinked) {
    // A list loader starting its thumbnail loader, linked to its own token.
    std::atomic<bool> grandchild_stopped = false;
    std::atomic<bool> started = false;
    const WorkerHandle loader = start_worker([&](std::stop_token stop) {
        start_worker([&](std::stop_token own) { grandchild_stopped = wait_for_stop(own); }, stop);
        started = true;
        wait_for_stop(stop);
    });
    ASSERT_TRUE(eventually([&] { return started.load(); }));
    stop_worker(loader);
    EXPECT_TRUE(eventually([&] { return grandchild_stopped.load(); }));
}

TEST_F(Workers, JoinAllTakesWorkersStartedWhileItRuns) {
    std::atomic<int> ended = 0;
    // Each stopped worker starts a successor before it ends, a few levels deep.
    std::function<void(std::stop_token, int)> chain = [&](std::stop_token stop, int depth) {
        wait_for_stop(stop);
        if (depth > 0)
            start_worker([&chain, depth](std::stop_token next) { chain(next, depth - 1); });
        ++ended;
    };
    for (int i = 0; i < 3; ++i)
        start_worker([&chain](std::stop_token stop) { chain(stop, 3); });
    stop_and_join_all_workers();
    EXPECT_EQ(ended, 3 * 4);
    EXPECT_EQ(running_workers(), 0);
    // Workers can be started again afterwards.
    std::atomic<bool> ran = false;
    start_worker([&](std::stop_token) { ran = true; });
    EXPECT_TRUE(eventually([&] { return ran.load(); }));
}

TEST_F(Workers, AFailingRoutineEndsQuietly) {
    start_worker([](std::stop_token) { throw std::runtime_error("no page"); });
    EXPECT_TRUE(eventually([] { return running_workers() == 0; }));
}

} // namespace
} // namespace lumikko
