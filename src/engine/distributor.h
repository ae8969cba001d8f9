// The job distributor: numbered items 1..N over up to W worker threads in
// contiguous blocks.
//
// distribute() starts the workers and returns at once; each worker calls the
// handler for its items in ascending order, marks each finished item done, and
// calls no handler once the stop flag is set (tested once per item, before the
// call). Nobody waits for the workers: phases detect their own end by
// counting. The distributor joins every worker it ever started in its
// destructor, so it must outlive whatever the handlers use, or be destroyed
// first.
//
// Every distribution has its own done flags and its own stop flag. A new
// distribution stops the previous one for good, so a late worker of an
// earlier distribution finishes the item in hand and takes no other; it marks
// its own array, never the current one.
//
// End of a phase: on_complete runs exactly once, on the worker that marks the
// last item done, after its handler has returned. It never runs when items
// were skipped because of a stop.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/thread_group.h"

namespace lanyi {

using ItemHandler = std::function<void(std::int32_t item)>;

// The block split: main worker count M, chunk size C, tail R (0: no tail).
struct BlockPlan {
    std::int32_t workers;     // W after reduction to N
    std::int32_t main_count;  // M
    std::int32_t chunk;       // C
    std::int32_t tail;        // R
};
BlockPlan plan_blocks(std::int32_t items, std::int32_t workers);

class JobDistributor {
public:
    JobDistributor() = default;
    JobDistributor(const JobDistributor&) = delete;
    JobDistributor& operator=(const JobDistributor&) = delete;
    ~JobDistributor();

    // n >= 1 and w >= 1 (smaller values do nothing).
    void distribute(ItemHandler handler, std::int32_t n, std::int32_t w,
                    std::function<void()> on_complete = {});
    // How many items of the current distribution are done.
    std::int32_t count_done() const;

    // The StopFlag of the current distribution.
    void set_stop();
    bool stopped() const;

    // Runs a task on a thread that the destructor joins (the search thread).
    void start_thread(std::function<void()> task) { threads_.start(std::move(task)); }
    // Joins every thread started so far; not from one of them.
    void join_all() { threads_.join_all(); }

private:
    struct Run {  // one distribution
        Run(std::int32_t n, ItemHandler h, std::function<void()> c)
            : items(n), flags(static_cast<std::size_t>(n) + 1), handler(std::move(h)),
              on_complete(std::move(c)) {}
        const std::int32_t items;
        std::vector<std::atomic<std::int32_t>> flags;  // DoneFlags, index 1..n
        std::atomic<std::int32_t> done{0};
        std::atomic<std::int32_t> stop{0};
        const ItemHandler handler;
        const std::function<void()> on_complete;
    };
    static void run_block(Run& run, std::int32_t first, std::int32_t last);

    mutable std::mutex mutex_;  // guards current_
    std::shared_ptr<Run> current_;
    ThreadGroup threads_;
};

}  // namespace lanyi
