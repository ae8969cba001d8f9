// Threads that run one task each and are never waited for by the code that
// starts them, but are all joined when the group is destroyed (or join_all is
// called), so nothing outlives the object whose state they use. Finished
// threads are reaped as new ones start. Thread-safe.
//
// The threads get 512 KiB stacks (a worker fetches and parses; nothing it
// runs recurses). The C library keeps the stacks of ended threads for reuse,
// up to 40 MiB in all: fifty 8 MiB stacks did not fit, so every phase mapped
// its workers' stacks anew, and starting fifty of them took about 11 ms.
// Fifty 512 KiB stacks are reused from one phase to the next.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace lanyi {

class ThreadGroup {
public:
    ThreadGroup() = default;
    ThreadGroup(const ThreadGroup&) = delete;
    ThreadGroup& operator=(const ThreadGroup&) = delete;
    ~ThreadGroup() { join_all(); }

    static constexpr std::size_t kStackBytes = std::size_t{512} << 10;

    // Throws std::system_error when no thread can be started.
    void start(std::function<void()> task);
    // Joins every thread started so far, and any they start meanwhile.
    // Must not be called from one of the group's own threads.
    void join_all();

private:
    struct Entry {
        pthread_t thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    std::mutex mutex_;
    std::vector<Entry> threads_;
};

}  // namespace lanyi
