// DemoSite: the demo directory site, an HTTP server on 127.0.0.1 standing in
// for the real directory (search answers, result pages, company pages).
//
// It answers plain requests by their Host header and absolute-form requests
// ("GET http://host/path HTTP/1.1"), so it also serves as the HTTP proxy for
// any made-up host name. Faults can be injected at set rates, chosen
// deterministically from the seed and the request (method, host, and the
// path with its query, whichever form the target came in).
//
// A request that draws a fault shows it on every attempt ("sticky", the
// default), or, with fault_attempts = K > 0, on its first K attempts only:
// the site counts attempts per request and answers attempt K + 1 and later
// properly. Either way a test can tell in advance which requests end how:
// sticky faults never heal, and with K up to 2 a client that sends a failed
// request up to twice more always gets the page in the end.
//
// A zero byte or invalid GBK bytes go in at the start of a line of the page
// (a line that opens with a tag), so a page cut at a zero byte loses whole
// lines: whole companies, whole contact fields (see demo_company_page_before).
//
// Threads: start(), stop() and the destructor on one owning thread; the
// counters and recent_requests() from any thread. Requests are served on the
// site's own thread pool, sized so that many slow requests run at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "demo/demo_directory.h"

namespace lanyi {

// Probabilities from 0 to 1 that a response shows each fault. At most one
// fault per response, tried in this order.
struct DemoFaultRates {
    double stall = 0;         // no answer until the client gives up (or stall_ms)
    double reset = 0;         // the connection is reset before any answer
    double server_error = 0;  // HTTP 500 with an error page
    double truncate = 0;      // Content-Length larger than the bytes sent, then close
    double big_header = 0;    // about 8 KB of header lines and extra cookies
    double zero_byte = 0;     // a zero byte inside the body
    double bad_gbk = 0;       // bytes that are not GBK inside the body
    double huge_body = 0;     // a chunked body of huge_body_bytes, streamed
};

enum class DemoFault { None, Stall, Reset, ServerError, Truncate, BigHeader, ZeroByte, BadGbk, HugeBody };

struct DemoSiteOptions {
    int port = 0;  // 0: any free port
    std::uint64_t seed = 1;
    int companies = 200;
    int latency_ms = 0;  // added to every response
    int stall_ms = 120000;
    int threads = 128;
    DemoFaultRates faults;
    int fault_attempts = 0;  // 0: faults are sticky; K > 0: only the first K attempts fault
    std::int64_t huge_body_bytes = std::int64_t{100} << 20;
};

// The fault a request draws: the same for the same seed, method, host and
// target. `target` is origin-form ("/path?query") or absolute-form.
DemoFault demo_fault_for(const DemoSiteOptions& options, std::string_view method, std::string_view host,
                         std::string_view target);
// The fault the request shows on its attempt number `attempt` (1-based).
DemoFault demo_fault_on_attempt(const DemoSiteOptions& options, std::string_view method, std::string_view host,
                                std::string_view target, int attempt);
// The number that places body faults and names the session cookie of a request.
std::uint64_t demo_request_key(const DemoSiteOptions& options, std::string_view host, std::string_view target);

struct DemoSeenRequest {
    std::string method;
    std::string host;    // lower-case, without port
    std::string target;  // as sent: origin-form or absolute-form
    std::vector<std::pair<std::string, std::string>> headers;  // sorted by name, not as sent
    std::string body;
};

class DemoSite {
public:
    explicit DemoSite(DemoSiteOptions options = {});
    ~DemoSite();
    DemoSite(const DemoSite&) = delete;
    DemoSite& operator=(const DemoSite&) = delete;

    // Binds 127.0.0.1 and starts serving; false when the port cannot be bound.
    bool start();
    // Ends stalls and waits, then stops serving and joins every thread. A
    // client's idle kept-alive connection holds this up for up to two seconds,
    // so close clients (abort or destroy a fetcher) first. A stopped site does
    // not start again; its counters and log stay readable.
    void stop();

    int port() const { return port_; }
    std::int64_t connections_accepted() const { return connections_.load(); }
    std::int64_t requests_served() const { return requests_.load(); }
    // The most requests that were being answered at one moment.
    std::int64_t peak_concurrent_requests() const { return peak_.load(); }
    // Body bytes handed to the network for huge-body faults, all requests together.
    std::int64_t huge_body_bytes_sent() const { return huge_bytes_sent_.load(); }
    // The most recent requests (up to 256), oldest first.
    std::vector<DemoSeenRequest> recent_requests() const;

    const DemoDirectory& directory() const { return directory_; }
    const DemoSiteOptions& options() const { return options_; }

private:
    class Server;
    friend class Server;

    const DemoSiteOptions options_;
    const DemoDirectory directory_;
    std::atomic<std::int64_t> connections_{0};
    std::atomic<std::int64_t> requests_{0};
    std::atomic<std::int64_t> in_flight_{0};
    std::atomic<std::int64_t> peak_{0};
    std::atomic<std::int64_t> huge_bytes_sent_{0};
    int port_ = 0;
    bool stopped_ = false;
    std::unique_ptr<Server> server_;
};

}  // namespace lanyi
