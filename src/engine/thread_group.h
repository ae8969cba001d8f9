// Threads that run one task each and are never waited for by the code that
// starts them, but are all joined when the group is destroyed (or join_all is
// called), so nothing outlives the object whose state they use. Finished
// threads are reaped as new ones start. Thread-safe.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lanyi {

class ThreadGroup {
public:
    ThreadGroup() = default;
    ThreadGroup(const ThreadGroup&) = delete;
    ThreadGroup& operator=(const ThreadGroup&) = delete;
    ~ThreadGroup() { join_all(); }

    void start(std::function<void()> task);
    // Joins every thread started so far, and any they start meanwhile.
    // Must not be called from one of the group's own threads.
    void join_all();

private:
    struct Entry {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    std::mutex mutex_;
    std::vector<Entry> threads_;
};

}  // namespace lanyi
