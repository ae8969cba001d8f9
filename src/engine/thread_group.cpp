#include "engine/thread_group.h"

namespace lanyi {

void ThreadGroup::start(std::function<void()> task) {
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::vector<std::thread> reaped;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(threads_, [&](Entry& e) {
            if (!e.finished->load(std::memory_order_acquire)) return false;
            reaped.push_back(std::move(e.thread));
            return true;
        });
        threads_.push_back({std::thread([task = std::move(task), finished] {
                                task();
                                finished->store(true, std::memory_order_release);
                            }),
                            finished});
    }
    for (auto& t : reaped) t.join();  // already at their end: returns at once
}

void ThreadGroup::join_all() {
    for (;;) {
        std::vector<Entry> batch;
        {
            std::lock_guard lock(mutex_);
            batch.swap(threads_);
        }
        if (batch.empty()) return;
        for (auto& e : batch) e.thread.join();
    }
}

}  // namespace lanyi
