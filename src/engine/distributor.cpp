#include "engine/distributor.h"

namespace lanyi {

BlockPlan plan_blocks(std::int32_t n, std::int32_t w) {
    if (n < 1 || w < 1) return {0, 0, 0, 0};
    if (n < w) w = n;
    std::int32_t m = w;
    std::int32_t r = n % m;
    if (r != 0) {
        m = w - 1;
        r = n % m;
    }
    return {w, m, n / m, r};
}

JobDistributor::~JobDistributor() {
    set_stop();
    threads_.join_all();
}

void JobDistributor::set_stop() {
    std::lock_guard lock(mutex_);
    if (current_) current_->stop.store(1, std::memory_order_release);
}

bool JobDistributor::stopped() const {
    std::lock_guard lock(mutex_);
    return current_ && current_->stop.load(std::memory_order_acquire) != 0;
}

void JobDistributor::distribute(ItemHandler handler, std::int32_t n, std::int32_t w,
                                std::function<void()> on_complete) {
    const BlockPlan plan = plan_blocks(n, w);
    if (plan.workers == 0) return;
    auto run = std::make_shared<Run>(n, std::move(handler), std::move(on_complete));
    {
        std::lock_guard lock(mutex_);
        if (current_) current_->stop.store(1, std::memory_order_release);
        current_ = run;
    }
    auto start_block = [&](std::int32_t first, std::int32_t last) {
        threads_.start([run, first, last] { run_block(*run, first, last); });
    };
    const std::int32_t covered = plan.main_count * plan.chunk;
    if (plan.tail != 0) start_block(covered + 1, covered + plan.tail);
    for (std::int32_t k = 1; k <= plan.main_count; ++k)
        start_block((k - 1) * plan.chunk + 1, k * plan.chunk);
}

void JobDistributor::run_block(Run& run, std::int32_t first, std::int32_t last) {
    for (std::int32_t i = first; i <= last; ++i) {
        if (run.stop.load(std::memory_order_acquire) != 0) continue;
        run.handler(i);
        run.flags[static_cast<std::size_t>(i)].store(1, std::memory_order_release);
        if (run.done.fetch_add(1, std::memory_order_acq_rel) + 1 == run.items && run.on_complete)
            run.on_complete();
    }
}

std::int32_t JobDistributor::count_done() const {
    std::lock_guard lock(mutex_);
    return current_ ? current_->done.load(std::memory_order_acquire) : 0;
}

}  // namespace lanyi
