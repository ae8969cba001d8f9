// Test doubles for the harvest phases: a fetcher that answers from a map of
// URL to page bytes and counts what it was asked, a clock that stands still,
// and a wait with a generous limit.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fetch/fetch.h"
#include "ui/clock.h"

namespace lanyi::testing_support {

class FakeFetcher final : public PageFetcher {
public:
    // Runs on the fetching thread before each answer; may block.
    using Hook = std::function<void(const FetchRequest&)>;

    void set_page(const GbkText& url, const GbkText& page) {
        std::lock_guard lock(mutex_);
        pages_[std::string(url.view())] = std::string(page.view());
    }
    void set_hook(Hook hook) {
        std::lock_guard lock(mutex_);
        hook_ = std::move(hook);
    }

    FetchResult fetch(const FetchRequest& request) override {
        Hook hook;
        {
            std::lock_guard lock(mutex_);
            hook = hook_;
            requests_.push_back(request);
        }
        if (hook) hook(request);
        std::lock_guard lock(mutex_);
        auto it = pages_.find(std::string(request.url.view()));
        FetchResult result;
        if (it != pages_.end()) result.body = ByteBuffer(std::string_view(it->second));
        return result;
    }

    std::vector<FetchRequest> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    int count(const GbkText& url) const {
        int n = 0;
        for (const FetchRequest& r : requests()) n += r.url == url ? 1 : 0;
        return n;
    }
    int total() const { return static_cast<int>(requests().size()); }

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::string> pages_;
    std::vector<FetchRequest> requests_;
    Hook hook_;
};

class FixedClock final : public Clock {
public:
    std::uint32_t tick_ms() override { return now.load(); }
    std::atomic<std::uint32_t> now{1000};
};

// A gate that blocks fetching threads until the test opens it.
class Gate {
public:
    void wait() {
        std::unique_lock lock(mutex_);
        ++waiting_;
        changed_.notify_all();
        changed_.wait_for(lock, std::chrono::seconds(60), [&] { return open_; });
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    // Waits until n threads are blocked here (or a generous limit passes).
    bool wait_for_waiters(int n) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [&] { return waiting_ >= n; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int waiting_ = 0;
    bool open_ = false;
};

// Polls pred until it holds or a generous limit passes.
template <class Pred>
bool eventually(Pred pred) {
    for (int i = 0; i < 6000 && !pred(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return pred();
}

}  // namespace lanyi::testing_support
