#include "fetch/curl_fetcher.h"

#include <curl/curl.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include "fetch/curl_transfer.h"
#include "fetch/handoff.h"
#include "text/text_ops.h"

namespace lanyi {

namespace {

using SteadyClock = std::chrono::steady_clock;
using Deadline = std::optional<SteadyClock::time_point>;

// A transport failure is sent again after these pauses, one per retry.
constexpr std::chrono::milliseconds kRetryBackoff[] = {std::chrono::milliseconds(50),
                                                       std::chrono::milliseconds(150)};
constexpr int kMaxRetries = static_cast<int>(std::size(kRetryBackoff));

// What a caller waits on. Shared between the caller and the network thread;
// its fields are guarded by the engine's mutex.
struct Waiter {
    std::condition_variable ready;
    bool done = false;
    ByteBuffer reply;  // the reply record; empty when the fetch failed
};

// One request on its way: queued by a caller, or waiting out the back-off
// before it is sent again.
struct Job {
    std::uint64_t id = 0;
    ByteBuffer record;
    std::shared_ptr<Waiter> waiter;
    Deadline deadline;
    int retries = 0;              // sends so far beyond the first
    SteadyClock::time_point due;  // for a retry: when to send it
};

struct Active {
    std::unique_ptr<CurlTransfer> transfer;
    Job job;  // to send it again
};

}  // namespace

// The network thread and everything it shares with callers. Callers touch
// only the queue, the cancel list and the waiters, all under `mutex_`; libcurl
// handles are used on the network thread alone (curl_multi_wakeup aside).
class CurlFetcher::Engine {
public:
    Engine();
    ~Engine();

    bool running() const { return running_; }
    bool aborted() const { return aborted_.load(); }

    // The reply record for one request record, or empty on failure or at the
    // deadline (none when `deadline` is empty).
    ByteBuffer exchange(ByteBuffer record, Deadline deadline);
    std::int64_t retried() const { return retried_.load(); }

    void set_default_proxy(GbkText proxy);
    GbkText default_proxy() const;
    void abort();

private:
    void run();
    void start_jobs(std::vector<Job>& jobs);
    void start(Job job);
    void start_due_retries();
    int poll_milliseconds() const;
    void finish_done_transfers();
    void drop(std::uint64_t id);
    void deliver(const std::shared_ptr<Waiter>& waiter, ByteBuffer reply);
    void wake();

    mutable std::mutex mutex_;
    std::vector<Job> incoming_;
    std::vector<std::uint64_t> cancelled_;
    std::unordered_map<std::uint64_t, std::shared_ptr<Waiter>> waiting_;
    std::uint64_t next_id_ = 1;
    GbkText default_proxy_;

    std::atomic<bool> aborted_{false};
    std::atomic<std::int64_t> retried_{0};
    std::atomic<bool> stopping_{false};
    bool running_ = false;
    bool global_init_ = false;

    // Network thread only, after construction.
    CURLM* multi_ = nullptr;
    CURLSH* share_ = nullptr;
    std::unordered_map<std::uint64_t, Active> active_;
    std::unordered_map<CURL*, std::uint64_t> id_of_;
    std::vector<Job> retrying_;

    std::thread thread_;
};

CurlFetcher::Engine::Engine() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return;
    global_init_ = true;
    multi_ = curl_multi_init();
    share_ = curl_share_init();
    if (!multi_ || !share_) return;
    if (curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE) != CURLSHE_OK) return;
    curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, 256L);
    try {
        thread_ = std::thread([this] { run(); });
        running_ = true;
    } catch (const std::system_error&) {
        running_ = false;
    }
}

CurlFetcher::Engine::~Engine() {
    abort();
    stopping_ = true;
    if (thread_.joinable()) {
        wake();
        thread_.join();
    }
    if (multi_) curl_multi_cleanup(multi_);
    if (share_) curl_share_cleanup(share_);
    if (global_init_) curl_global_cleanup();
}

void CurlFetcher::Engine::wake() {
    if (multi_) curl_multi_wakeup(multi_);
}

void CurlFetcher::Engine::set_default_proxy(GbkText proxy) {
    std::lock_guard lock(mutex_);
    default_proxy_ = std::move(proxy);
}

GbkText CurlFetcher::Engine::default_proxy() const {
    std::lock_guard lock(mutex_);
    return default_proxy_;
}

ByteBuffer CurlFetcher::Engine::exchange(ByteBuffer record, Deadline deadline) {
    auto waiter = std::make_shared<Waiter>();
    std::uint64_t id = 0;
    {
        std::lock_guard lock(mutex_);
        if (aborted_) return {};
        id = next_id_++;
        incoming_.push_back(Job{id, std::move(record), waiter, deadline, 0, {}});
        waiting_.emplace(id, waiter);
    }
    wake();

    bool gave_up = false;
    ByteBuffer reply;
    {
        std::unique_lock lock(mutex_);
        auto done = [&] { return waiter->done; };
        if (deadline)
            waiter->ready.wait_until(lock, *deadline, done);
        else
            waiter->ready.wait(lock, done);
        if (!waiter->done) {
            waiter->done = true;  // a late reply is dropped
            cancelled_.push_back(id);
            gave_up = true;
        }
        waiting_.erase(id);
        reply = std::move(waiter->reply);
    }
    if (gave_up) wake();
    return reply;
}

void CurlFetcher::Engine::abort() {
    std::vector<std::shared_ptr<Waiter>> woken;
    {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        for (auto& [id, waiter] : waiting_) {
            if (!waiter->done) {
                waiter->done = true;
                woken.push_back(waiter);
            }
        }
    }
    for (auto& waiter : woken) waiter->ready.notify_one();
    wake();
}

void CurlFetcher::Engine::deliver(const std::shared_ptr<Waiter>& waiter, ByteBuffer reply) {
    {
        std::lock_guard lock(mutex_);
        if (waiter->done) return;
        waiter->done = true;
        waiter->reply = std::move(reply);
    }
    waiter->ready.notify_one();
}

void CurlFetcher::Engine::drop(std::uint64_t id) {
    for (auto it = retrying_.begin(); it != retrying_.end(); ++it) {
        if (it->id != id) continue;
        deliver(it->waiter, {});
        retrying_.erase(it);
        return;
    }
    auto found = active_.find(id);
    if (found == active_.end()) return;
    CURL* easy = found->second.transfer->easy();
    curl_multi_remove_handle(multi_, easy);
    id_of_.erase(easy);
    deliver(found->second.job.waiter, {});
    active_.erase(found);
}

void CurlFetcher::Engine::start(Job job) {
    std::unique_ptr<CurlTransfer> transfer = CurlTransfer::create(decode_request_record(job.record.view()), share_);
    if (!transfer || curl_multi_add_handle(multi_, transfer->easy()) != CURLM_OK) {
        deliver(job.waiter, {});
        return;
    }
    id_of_.emplace(transfer->easy(), job.id);
    const std::uint64_t id = job.id;
    active_.emplace(id, Active{std::move(transfer), std::move(job)});
}

void CurlFetcher::Engine::start_jobs(std::vector<Job>& jobs) {
    for (Job& job : jobs) start(std::move(job));
    jobs.clear();
}

void CurlFetcher::Engine::start_due_retries() {
    const auto now = SteadyClock::now();
    for (std::size_t i = 0; i < retrying_.size();) {
        if (retrying_[i].due > now) {
            ++i;
            continue;
        }
        Job job = std::move(retrying_[i]);
        retrying_.erase(retrying_.begin() + static_cast<std::ptrdiff_t>(i));
        bool given_up;
        {
            std::lock_guard lock(mutex_);
            given_up = job.waiter->done;
        }
        if (given_up) continue;  // the caller's deadline passed during the back-off
        retried_.fetch_add(1);
        start(std::move(job));
    }
}

int CurlFetcher::Engine::poll_milliseconds() const {
    auto wait = std::chrono::milliseconds(1000);
    const auto now = SteadyClock::now();
    for (const Job& job : retrying_) {
        auto until = std::chrono::ceil<std::chrono::milliseconds>(job.due - now);
        wait = std::clamp(until, std::chrono::milliseconds(0), wait);
    }
    return static_cast<int>(wait.count());
}

void CurlFetcher::Engine::finish_done_transfers() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg != CURLMSG_DONE) continue;
        CURL* easy = message->easy_handle;
        CURLcode result = message->data.result;
        auto id = id_of_.find(easy);
        if (id == id_of_.end()) continue;
        auto found = active_.find(id->second);
        curl_multi_remove_handle(multi_, easy);
        id_of_.erase(id);
        Active& active = found->second;
        Job& job = active.job;
        if (active.transfer->worth_retrying(result) && job.retries < kMaxRetries && !aborted_) {
            // Sent again only when the back-off ends before the caller's
            // deadline; the caller keeps waiting meanwhile.
            job.due = SteadyClock::now() + kRetryBackoff[job.retries];
            if (!job.deadline || job.due < *job.deadline) {
                ++job.retries;
                retrying_.push_back(std::move(job));
                active_.erase(found);
                continue;
            }
        }
        deliver(job.waiter, active.transfer->reply(result));
        active_.erase(found);
    }
}

void CurlFetcher::Engine::run() {
    // A write to a connection the peer closed must not end the process.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    std::vector<Job> jobs;
    std::vector<std::uint64_t> cancelled;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            jobs.swap(incoming_);
            cancelled.swap(cancelled_);
        }
        if (aborted_) {
            for (Job& job : jobs) deliver(job.waiter, {});
            jobs.clear();
            std::vector<std::uint64_t> all;
            for (auto& [id, active] : active_) all.push_back(id);
            for (const Job& job : retrying_) all.push_back(job.id);
            for (std::uint64_t id : all) drop(id);
        }
        for (std::uint64_t id : cancelled) drop(id);
        cancelled.clear();
        if (stopping_) break;
        start_jobs(jobs);
        start_due_retries();

        int still_running = 0;
        curl_multi_perform(multi_, &still_running);
        finish_done_transfers();
        curl_multi_poll(multi_, nullptr, 0, poll_milliseconds(), nullptr);
    }
}

CurlFetcher::CurlFetcher() : engine_(std::make_unique<Engine>()) {}

CurlFetcher::~CurlFetcher() = default;

void CurlFetcher::set_default_proxy(const std::string& host_port) {
    engine_->set_default_proxy(GbkText(host_port));
}

void CurlFetcher::abort() { engine_->abort(); }

FetchStats CurlFetcher::stats() const { return FetchStats{requests_.load(), failed_.load(), engine_->retried()}; }

FetchResult CurlFetcher::fetch(const FetchRequest& request) {
    auto started = std::chrono::steady_clock::now();
    requests_.fetch_add(1, std::memory_order_relaxed);
    FetchResult result;
    if (!engine_->running() || engine_->aborted()) {
        failed_.fetch_add(1, std::memory_order_relaxed);
        return result;
    }

    Deadline deadline;
    if (request.timeout_seconds >= 0) {
        int seconds = request.timeout_seconds == 0 ? kDefaultFetchTimeoutSeconds : request.timeout_seconds;
        deadline = started + std::chrono::seconds(seconds);
    }

    ByteBuffer record;
    if (gbk_is_blank(request.proxy)) {
        FetchRequest routed = request;
        routed.proxy = engine_->default_proxy();
        record = encode_request_record(routed);
    } else {
        record = encode_request_record(request);
    }

    ByteBuffer reply_bytes = engine_->exchange(std::move(record), deadline);
    ReplyRecord reply = decode_reply_record(reply_bytes.view());
    if (!reply.is_ok()) {
        failed_.fetch_add(1, std::memory_order_relaxed);
        return result;
    }
    result.body = std::move(reply.body);
    if (request.want_raw_headers) result.raw_headers = std::move(reply.raw_headers);
    return result;
}

}  // namespace lanyi
