#include "engine/distributor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace lanyi {
namespace {

struct BlockCase {
    int n, w, workers, main_count, chunk, tail;
};

TEST(BlockPlan, SplitsAsTheTableSays) {
    const BlockCase cases[] = {
        {10, 1, 1, 1, 10, 0}, {10, 5, 5, 5, 2, 0}, {10, 4, 4, 3, 3, 1}, {10, 3, 3, 2, 5, 0},
        {3, 2, 2, 1, 3, 0},   {13, 5, 5, 4, 3, 1}, {2, 10, 2, 2, 1, 0}, {1, 50, 1, 1, 1, 0},
        {7, 3, 3, 2, 3, 1},   {100, 50, 50, 50, 2, 0}, {101, 50, 50, 49, 2, 3},
    };
    for (const auto& c : cases) {
        const BlockPlan p = plan_blocks(c.n, c.w);
        SCOPED_TRACE(testing::Message() << "N=" << c.n << " W=" << c.w);
        EXPECT_EQ(p.workers, c.workers);
        EXPECT_EQ(p.main_count, c.main_count);
        EXPECT_EQ(p.chunk, c.chunk);
        EXPECT_EQ(p.tail, c.tail);
        EXPECT_EQ(p.main_count * p.chunk + p.tail, c.n);  // every item in exactly one block
    }
    EXPECT_EQ(plan_blocks(0, 5).workers, 0);
    EXPECT_EQ(plan_blocks(5, 0).workers, 0);
}

// Waits until `count` reaches `target` or a generous limit passes.
template <class Pred>
bool eventually(Pred pred) {
    for (int i = 0; i < 2000 && !pred(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return pred();
}

TEST(JobDistributor, RunsEveryItemOnceInAscendingOrderPerWorkerAndCompletesOnce) {
    for (int w : {1, 3, 4, 50}) {
        std::mutex m;
        std::vector<int> seen;
        std::atomic<int> completions{0};
        {
            JobDistributor jobs;
            jobs.distribute(
                [&](int i) {
                    std::lock_guard lock(m);
                    seen.push_back(i);
                },
                37, w, [&] { completions.fetch_add(1); });
            ASSERT_TRUE(eventually([&] { return completions.load() == 1; }));
            EXPECT_EQ(jobs.count_done(), 37);
        }
        std::set<int> unique(seen.begin(), seen.end());
        EXPECT_EQ(seen.size(), 37u);
        EXPECT_EQ(unique.size(), 37u);
        // Each block's items were handled in ascending order.
        std::vector<std::size_t> position(38);
        for (std::size_t k = 0; k < seen.size(); ++k) position[seen[k]] = k;
        const BlockPlan plan = plan_blocks(37, w);
        auto expect_ascending = [&](int first, int last) {
            for (int i = first; i < last; ++i) EXPECT_LT(position[i], position[i + 1]) << "W=" << w;
        };
        for (int k = 1; k <= plan.main_count; ++k) expect_ascending((k - 1) * plan.chunk + 1, k * plan.chunk);
        if (plan.tail) expect_ascending(plan.main_count * plan.chunk + 1, 37);
        EXPECT_EQ(completions.load(), 1);
    }
}

TEST(JobDistributor, StopSkipsItemsNotYetBegunAndNeverCompletes) {
    JobDistributor jobs;
    std::atomic<int> calls{0}, completions{0};
    std::mutex gate_mutex;
    std::condition_variable gate;
    bool open = false;
    jobs.distribute(
        [&](int) {
            calls.fetch_add(1);
            std::unique_lock lock(gate_mutex);
            gate.wait(lock, [&] { return open; });
        },
        20, 2, [&] { completions.fetch_add(1); });
    ASSERT_TRUE(eventually([&] { return calls.load() == 2; }));  // one item in hand per worker
    jobs.set_stop();
    EXPECT_TRUE(jobs.stopped());
    {
        std::lock_guard lock(gate_mutex);
        open = true;
    }
    gate.notify_all();
    ASSERT_TRUE(eventually([&] { return jobs.count_done() == 2; }));
    jobs.join_all();
    EXPECT_EQ(calls.load(), 2);  // items in hand finish, no new one starts
    EXPECT_EQ(jobs.count_done(), 2);
    EXPECT_EQ(completions.load(), 0);
}

TEST(JobDistributor, LateWorkerOfEarlierRunTakesNoNewItemAndLeavesNewRunAlone) {
    JobDistributor jobs;
    std::atomic<int> old_calls{0}, new_calls{0};
    std::mutex gate_mutex;
    std::condition_variable gate;
    bool open = false;
    jobs.distribute(
        [&](int) {
            old_calls.fetch_add(1);
            std::unique_lock lock(gate_mutex);
            gate.wait(lock, [&] { return open; });
        },
        10, 1);
    ASSERT_TRUE(eventually([&] { return old_calls.load() == 1; }));
    jobs.set_stop();
    jobs.distribute([&](int) { new_calls.fetch_add(1); }, 3, 3);  // clears the stop for the new run
    ASSERT_TRUE(eventually([&] { return jobs.count_done() == 3; }));
    {
        std::lock_guard lock(gate_mutex);
        open = true;
    }
    gate.notify_all();
    jobs.join_all();
    EXPECT_EQ(old_calls.load(), 1);
    EXPECT_EQ(new_calls.load(), 3);
    EXPECT_EQ(jobs.count_done(), 3);  // the late worker marked its own run, not this one
}

}  // namespace
}  // namespace lanyi
