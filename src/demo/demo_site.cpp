#include "demo/demo_site.h"

#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "demo/demo_pages.h"
#include "demo/demo_random.h"
#include "demo/demo_routes.h"
#include "demo/demo_socket.h"

namespace lanyi {

namespace {

constexpr std::size_t kRecentRequests = 256;

// The server library's thread pool, counting each connection it is handed.
class CountingPool : public httplib::TaskQueue {
public:
    CountingPool(std::size_t threads, std::atomic<std::int64_t>& connections)
        : pool_(threads), connections_(connections) {}
    void enqueue(std::function<void()> fn) override {
        connections_.fetch_add(1);
        pool_.enqueue(std::move(fn));
    }
    void shutdown() override { pool_.shutdown(); }

private:
    httplib::ThreadPool pool_;
    std::atomic<std::int64_t>& connections_;
};

// Gives access to the listening socket, to widen its backlog.
class ListeningServer : public httplib::Server {
public:
    int listening_socket() const { return static_cast<int>(svr_sock_.load()); }
};

std::string hex(std::uint64_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) out[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return out;
}

// The path and query of a target in either form, so that a request reaches
// the same fault and key through the proxy as directly.
std::string origin_form(std::string_view target) {
    DemoTarget parsed = demo_parse_target(target, "");
    return parsed.query.empty() && target.find('?') == std::string_view::npos ? parsed.path
                                                                               : parsed.path + "?" + parsed.query;
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

std::uint64_t demo_request_key(const DemoSiteOptions& options, std::string_view host, std::string_view target) {
    return demo_hash(demo_hash(options.seed, lower(host)), origin_form(target));
}

DemoFault demo_fault_on_attempt(const DemoSiteOptions& options, std::string_view method, std::string_view host,
                                std::string_view target, int attempt) {
    if (options.fault_attempts > 0 && attempt > options.fault_attempts) return DemoFault::None;
    return demo_fault_for(options, method, host, target);
}

DemoFault demo_fault_for(const DemoSiteOptions& options, std::string_view method, std::string_view host,
                         std::string_view target) {
    std::uint64_t key =
        demo_hash(demo_hash(demo_hash(demo_hash(options.seed, "fault"), method), lower(host)), origin_form(target));
    DemoRandom r(key);
    const std::pair<double, DemoFault> order[] = {
        {options.faults.stall, DemoFault::Stall},           {options.faults.reset, DemoFault::Reset},
        {options.faults.server_error, DemoFault::ServerError}, {options.faults.truncate, DemoFault::Truncate},
        {options.faults.big_header, DemoFault::BigHeader},  {options.faults.zero_byte, DemoFault::ZeroByte},
        {options.faults.bad_gbk, DemoFault::BadGbk},        {options.faults.huge_body, DemoFault::HugeBody},
    };
    for (const auto& [rate, fault] : order)
        if (r.unit() < rate) return fault;
    return DemoFault::None;
}

// The running server: the library's server object, its listening thread, and
// what the handlers share (the stop flag and the recent-request log).
class DemoSite::Server {
public:
    explicit Server(DemoSite& site) : site_(site), stop_fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~Server() {
        if (stop_fd_ >= 0) close(stop_fd_);
    }

    bool start(int port);
    void stop();
    int port() const { return port_; }
    std::vector<DemoSeenRequest> recent() const {
        std::lock_guard lock(mutex_);
        return {recent_.begin(), recent_.end()};
    }

private:
    void handle(const httplib::Request& request, httplib::Response& response);
    void remember(const httplib::Request& request, const DemoTarget& target);
    // Waits until `due`, or until the site stops.
    void pause_until(std::chrono::steady_clock::time_point due);
    int next_attempt(const std::string& request_id);

    DemoSite& site_;
    ListeningServer http_;
    std::thread listener_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    // Readable once the site stops: wakes every pausing handler at once,
    // with no lock for them to queue up on afterwards.
    int stop_fd_;

    mutable std::mutex mutex_;
    std::deque<DemoSeenRequest> recent_;
    // Attempts so far of each request that drew a fault.
    std::unordered_map<std::string, int> attempts_;
};

int DemoSite::Server::next_attempt(const std::string& request_id) {
    std::lock_guard lock(mutex_);
    return ++attempts_[request_id];
}

bool DemoSite::Server::start(int port) {
    http_.new_task_queue = [this] {
        return new CountingPool(static_cast<std::size_t>(std::max(site_.options_.threads, 1)), site_.connections_);
    };
    auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        handle(request, response);
    };
    // The library matches the whole path, absolute-form targets included.
    const std::string everything = R"([\s\S]*)";
    http_.Get(everything, handler);
    http_.Post(everything, handler);
    // Headers and body go out in separate writes; without this each answer
    // waits for the client's delayed acknowledgement.
    http_.set_tcp_nodelay(true);
    http_.set_keep_alive_max_count(1000000);
    http_.set_keep_alive_timeout(2);
    // A client reading a long body slowly (a sanitizer build, a loaded
    // machine) is not dropped after the library's 5 s: the fault cases decide
    // how an answer ends, not the write timeout.
    http_.set_write_timeout(30, 0);
    http_.set_payload_max_length(1 << 20);

    if (port == 0) {
        port_ = http_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) return false;
    } else {
        if (!http_.bind_to_port("127.0.0.1", port)) return false;
        port_ = port;
    }
    // Bursts of connections from many workers must not overflow the backlog.
    ::listen(http_.listening_socket(), SOMAXCONN);

    listener_ = std::thread([this] {
        // Pool threads inherit this mask: a write to a closed connection must
        // not end the process.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        http_.listen_after_bind();
    });
    // stop() must not slip in before the server counts as running.
    for (int i = 0; i < 10000 && !http_.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void DemoSite::Server::stop() {
    stopping_ = true;
    const std::uint64_t one = 1;
    if (stop_fd_ >= 0) [[maybe_unused]] ssize_t written = write(stop_fd_, &one, sizeof one);
    http_.stop();
    if (listener_.joinable()) listener_.join();
}

void DemoSite::Server::pause_until(std::chrono::steady_clock::time_point due) {
    for (;;) {
        auto left = due - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero() || stopping_) return;
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        timespec wait{static_cast<time_t>(seconds.count()),
                      static_cast<long>(std::chrono::nanoseconds(left - seconds).count())};
        pollfd stop{stop_fd_, POLLIN, 0};
        if (ppoll(&stop, 1, &wait, nullptr) > 0) return;
    }
}

void DemoSite::Server::remember(const httplib::Request& request, const DemoTarget& target) {
    DemoSeenRequest seen{request.method, target.host, request.target, {}, request.body};
    for (const auto& [name, value] : request.headers) seen.headers.emplace_back(name, value);
    std::lock_guard lock(mutex_);
    recent_.push_back(std::move(seen));
    if (recent_.size() > kRecentRequests) recent_.pop_front();
}

void DemoSite::Server::handle(const httplib::Request& request, httplib::Response& response) {
    // The latency counts from the request's arrival, so the time spent here
    // is part of it rather than added to it.
    const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(site_.options_.latency_ms);
    site_.requests_.fetch_add(1);
    std::int64_t now = site_.in_flight_.fetch_add(1) + 1;
    for (std::int64_t peak = site_.peak_.load(); now > peak && !site_.peak_.compare_exchange_weak(peak, now);) {
    }
    struct Leave {
        std::atomic<std::int64_t>& count;
        ~Leave() { count.fetch_sub(1); }
    } leave{site_.in_flight_};
    DemoTarget target = demo_parse_target(request.target, request.get_header_value("Host"));
    remember(request, target);
    const DemoSiteOptions& options = site_.options_;
    DemoFault fault = demo_fault_for(options, request.method, target.host, request.target);
    if (fault != DemoFault::None && options.fault_attempts > 0) {
        std::string id = request.method + ' ' + target.host + ' ' + origin_form(request.target);
        fault = demo_fault_on_attempt(options, request.method, target.host, request.target, next_attempt(id));
    }
    std::uint64_t key = demo_request_key(options, target.host, request.target);

    DemoAnswer answer = fault == DemoFault::ServerError ? DemoAnswer{500, demo_error_page()}
                                                        : demo_answer(site_.directory_, target);
    pause_until(due);

    if (fault == DemoFault::Stall) {
        wait_for_hangup(find_connection_socket(request.local_port, request.remote_port),
                        std::chrono::milliseconds(options.stall_ms), stopping_);
    } else if (fault == DemoFault::Reset) {
        int socket = find_connection_socket(request.local_port, request.remote_port);
        if (socket >= 0) {
            reset_connection(socket);
            return;
        }
    }

    response.status = answer.status;
    response.set_header("Set-Cookie", "lanyi_session=" + hex(key ^ demo_hash(options.seed, target.host)) + "; Path=/");

    std::string body = demo_damaged_body(fault, key, std::move(answer.body));
    if (fault == DemoFault::BigHeader) {
        std::string padding(120, 'x');
        for (int i = 0; i < 64; ++i) response.set_header("X-Lanyi-Padding-" + std::to_string(i), padding);
        response.set_header("Set-Cookie", "lanyi_big_a=" + hex(key) + "; Path=/");
        response.set_header("Set-Cookie", "lanyi_big_b=" + hex(~key) + "; Path=/");
    }

    const char* type = "text/html; charset=gbk";
    if (fault == DemoFault::HugeBody) {
        // Chunked, with no length declared, one reused block at a time.
        const std::int64_t total = std::max<std::int64_t>(options.huge_body_bytes, 0);
        auto block = std::make_shared<std::string>(64 * 1024, 'x');
        response.set_chunked_content_provider(
            type, [this, block, total, sent = std::int64_t{0}](std::size_t, httplib::DataSink& sink) mutable {
                if (stopping_.load()) return false;
                if (sent >= total) {
                    sink.done();
                    return true;
                }
                auto n = static_cast<std::size_t>(std::min<std::int64_t>(total - sent, block->size()));
                if (!sink.write(block->data(), n)) return false;
                sent += static_cast<std::int64_t>(n);
                site_.huge_bytes_sent_.fetch_add(static_cast<std::int64_t>(n));
                return true;
            });
        return;
    }
    if (fault == DemoFault::Truncate) {
        auto shared = std::make_shared<std::string>(std::move(body));
        response.set_content_provider(
            shared->size() + 4096, type, [shared](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset == 0) sink.write(shared->data(), shared->size() / 2);
                return false;  // the rest never comes: the connection closes
            });
        return;
    }
    response.set_content(std::move(body), type);
}

DemoSite::DemoSite(DemoSiteOptions options)
    : options_(std::move(options)), directory_(options_.seed, options_.companies) {}

DemoSite::~DemoSite() { stop(); }

bool DemoSite::start() {
    if (server_) return !stopped_;
    auto server = std::make_unique<Server>(*this);
    if (!server->start(options_.port)) return false;
    port_ = server->port();
    server_ = std::move(server);
    return true;
}

void DemoSite::stop() {
    if (server_ && !stopped_) server_->stop();
    stopped_ = true;
}

std::vector<DemoSeenRequest> DemoSite::recent_requests() const {
    return server_ ? server_->recent() : std::vector<DemoSeenRequest>{};
}

}  // namespace lanyi
