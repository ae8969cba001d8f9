#include "engine/thread_group.h"

#include <system_error>

namespace lanyi {

namespace {

void* run_task(void* task) noexcept {
    std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(task));
    (*owned)();  // an exception that escapes ends the process, as with std::thread
    return nullptr;
}

pthread_t start_thread(std::function<void()> task) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, ThreadGroup::kStackBytes);
    auto owned = std::make_unique<std::function<void()>>(std::move(task));
    pthread_t thread;
    const int error = pthread_create(&thread, &attr, &run_task, owned.get());
    pthread_attr_destroy(&attr);
    if (error != 0) throw std::system_error(error, std::generic_category(), "pthread_create");
    owned.release();  // the thread owns it now
    return thread;
}

}  // namespace

void ThreadGroup::start(std::function<void()> task) {
    auto finished = std::make_shared<std::atomic<bool>>(false);
    // Joined once the lock is released, also when no thread could start:
    // they are at their end, so each join returns at once.
    struct Reaped {
        std::vector<pthread_t> threads;
        ~Reaped() {
            for (pthread_t t : threads) pthread_join(t, nullptr);
        }
    } reaped;
    std::lock_guard lock(mutex_);
    std::erase_if(threads_, [&](Entry& e) {
        if (!e.finished->load(std::memory_order_acquire)) return false;
        reaped.threads.push_back(e.thread);
        return true;
    });
    threads_.reserve(threads_.size() + 1);  // no failure between the start and the record
    threads_.push_back({start_thread([task = std::move(task), finished] {
                            task();
                            finished->store(true, std::memory_order_release);
                        }),
                        finished});
}

void ThreadGroup::join_all() {
    for (;;) {
        std::vector<Entry> batch;
        {
            std::lock_guard lock(mutex_);
            batch.swap(threads_);
        }
        if (batch.empty()) return;
        for (auto& e : batch) pthread_join(e.thread, nullptr);
    }
}

}  // namespace lanyi
