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

#include "fetch/cookie_jar.h"
#include "fetch/curl_transfer.h"
#include "fetch/handoff.h"
#include "fetch/reply_slot.h"
#include "fetch/socket_loop.h"
#include "text/text_ops.h"

namespace lanyi {

namespace {

using SteadyClock = std::chrono::steady_clock;
using Deadline = std::optional<SteadyClock::time_point>;

// A transport failure is sent again after these pauses, one per retry.
constexpr std::chrono::milliseconds kRetryBackoff[] = {std::chrono::milliseconds(50),
                                                       std::chrono::milliseconds(150)};
constexpr int kMaxRetries = static_cast<int>(std::size(kRetryBackoff));

// A body this far along may be one libcurl reads in several goes (see
// SocketLoop::Round::EveryTransfer); pages are far smaller.
constexpr std::size_t kLargeBody = std::size_t{1} << 20;

// One request on its way: queued by a caller, or waiting out the back-off
// before it is sent again.
struct Job {
    std::uint64_t id = 0;
    ByteBuffer record;
    std::shared_ptr<ReplySlot> slot;
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
// only the queue, the cancel list and the waiting list, all under `mutex_`,
// and their own reply slots; libcurl handles are used on the network thread
// alone.
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
    std::chrono::milliseconds poll_milliseconds() const;
    bool large_body_in_hand() const;
    void finish_done_transfers();
    void drop(std::uint64_t id);
    void recycle(std::unique_ptr<CurlTransfer> transfer);
    // Hands a job's reply to its caller. Its entry in the waiting list is
    // removed by forget_delivered(), once per round of the network loop for
    // all replies of the round, so the engine's lock is taken once.
    void deliver(const Job& job, ByteBuffer reply);
    void forget_delivered();
    void wake();

    mutable std::mutex mutex_;
    std::vector<Job> incoming_;
    std::vector<std::uint64_t> cancelled_;
    std::unordered_map<std::uint64_t, std::shared_ptr<ReplySlot>> waiting_;
    std::uint64_t next_id_ = 1;
    GbkText default_proxy_;

    std::atomic<bool> aborted_{false};
    std::atomic<std::int64_t> retried_{0};
    std::atomic<bool> stopping_{false};
    bool running_ = false;
    bool global_init_ = false;

    // Network thread only, after construction.
    CURLM* multi_ = nullptr;
    std::unique_ptr<SocketLoop> loop_;  // wake() is the one part callers use
    CookieJar cookies_;
    std::unordered_map<std::uint64_t, Active> active_;
    std::unordered_map<CURL*, std::uint64_t> id_of_;
    std::vector<CURL*> spare_easy_;  // handles of finished transfers, to use again
    std::vector<Job> retrying_;
    std::vector<std::uint64_t> delivered_;

    std::thread thread_;
};

CurlFetcher::Engine::Engine() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return;
    global_init_ = true;
    multi_ = curl_multi_init();
    if (!multi_) return;
    curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, 256L);
    loop_ = std::make_unique<SocketLoop>(multi_);
    if (!loop_->ok()) return;
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
    if (global_init_) curl_global_cleanup();
}

void CurlFetcher::Engine::wake() {
    if (loop_) loop_->wake();
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
    auto slot = std::make_shared<ReplySlot>();
    std::uint64_t id = 0;
    {
        std::lock_guard lock(mutex_);
        if (aborted_) return {};
        id = next_id_++;
        incoming_.push_back(Job{id, std::move(record), slot, deadline, 0, {}});
        waiting_.emplace(id, slot);
        wake();
    }
    // A reply is taken off the waiting list by the network thread.
    std::optional<ByteBuffer> reply = slot->wait(deadline);
    if (reply) return std::move(*reply);
    {
        std::lock_guard lock(mutex_);
        cancelled_.push_back(id);
        waiting_.erase(id);
    }
    wake();
    return {};
}

void CurlFetcher::Engine::abort() {
    std::vector<std::shared_ptr<ReplySlot>> woken;
    {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        for (auto& [id, slot] : waiting_) woken.push_back(slot);
    }
    for (auto& slot : woken) slot->fulfil({});
    wake();
}

void CurlFetcher::Engine::deliver(const Job& job, ByteBuffer reply) {
    job.slot->fulfil(std::move(reply));
    delivered_.push_back(job.id);
}

void CurlFetcher::Engine::forget_delivered() {
    if (delivered_.empty()) return;
    {
        std::lock_guard lock(mutex_);
        for (std::uint64_t id : delivered_) waiting_.erase(id);
    }
    delivered_.clear();
}

void CurlFetcher::Engine::drop(std::uint64_t id) {
    for (auto it = retrying_.begin(); it != retrying_.end(); ++it) {
        if (it->id != id) continue;
        deliver(*it, {});
        retrying_.erase(it);
        return;
    }
    auto found = active_.find(id);
    if (found == active_.end()) return;
    CURL* easy = found->second.transfer->easy();
    curl_multi_remove_handle(multi_, easy);
    id_of_.erase(easy);
    deliver(found->second.job, {});
    recycle(std::move(found->second.transfer));
    active_.erase(found);
}

void CurlFetcher::Engine::recycle(std::unique_ptr<CurlTransfer> transfer) {
    // Setting up a new easy handle costs more than the transfer's own work.
    constexpr std::size_t kMaxSpare = 64;
    if (spare_easy_.size() < kMaxSpare) spare_easy_.push_back(transfer->release_easy());
}

void CurlFetcher::Engine::start(Job job) {
    CURL* spare = nullptr;
    if (!spare_easy_.empty()) {
        spare = spare_easy_.back();
        spare_easy_.pop_back();
    }
    std::unique_ptr<CurlTransfer> transfer =
        CurlTransfer::create(decode_request_record(job.record.view()), cookies_, spare);
    if (!transfer || curl_multi_add_handle(multi_, transfer->easy()) != CURLM_OK) {
        deliver(job, {});
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
        if (job.slot->done()) {  // the caller gave up during the back-off
            delivered_.push_back(job.id);
            continue;
        }
        retried_.fetch_add(1);
        start(std::move(job));
    }
}

bool CurlFetcher::Engine::large_body_in_hand() const {
    return std::any_of(active_.begin(), active_.end(),
                       [](const auto& entry) { return entry.second.transfer->body_bytes() >= kLargeBody; });
}

std::chrono::milliseconds CurlFetcher::Engine::poll_milliseconds() const {
    auto wait = std::chrono::milliseconds(1000);
    const auto now = SteadyClock::now();
    for (const Job& job : retrying_) {
        auto until = std::chrono::ceil<std::chrono::milliseconds>(job.due - now);
        wait = std::clamp(until, std::chrono::milliseconds(0), wait);
    }
    return wait;
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
        cookies_.collect(easy, active.transfer->lent_cookies());
        Job& job = active.job;
        if (active.transfer->worth_retrying(result) && job.retries < kMaxRetries && !aborted_) {
            // Sent again only when the back-off ends before the caller's
            // deadline; the caller keeps waiting meanwhile.
            job.due = SteadyClock::now() + kRetryBackoff[job.retries];
            if (!job.deadline || job.due < *job.deadline) {
                ++job.retries;
                retrying_.push_back(std::move(job));
                recycle(std::move(active.transfer));
                active_.erase(found);
                continue;
            }
        }
        deliver(job, active.transfer->reply(result));
        recycle(std::move(active.transfer));
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
        const bool stopping = stopping_;
        if (aborted_ || stopping) {
            for (Job& job : jobs) deliver(job, {});
            jobs.clear();
            std::vector<std::uint64_t> all;
            for (auto& [id, active] : active_) all.push_back(id);
            for (const Job& job : retrying_) all.push_back(job.id);
            for (std::uint64_t id : all) drop(id);
        }
        for (std::uint64_t id : cancelled) drop(id);
        cancelled.clear();
        if (stopping) break;
        start_jobs(jobs);
        start_due_retries();

        loop_->run_due_timer();  // new transfers start here
        finish_done_transfers();
        forget_delivered();
        loop_->wait(poll_milliseconds(), large_body_in_hand() ? SocketLoop::Round::EveryTransfer
                                                              : SocketLoop::Round::ReadySockets);
    }
    forget_delivered();
    for (CURL* easy : spare_easy_) curl_easy_cleanup(easy);
    spare_easy_.clear();
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
