// CurlFetcher: the PageFetcher that speaks HTTP, over libcurl.
//
// One network thread owns the libcurl multi handle, the cookie jar and every
// transfer, and drives them through a SocketLoop; no other thread calls into
// libcurl. fetch() may be called from any number of threads:
// it encodes the request record, queues it, and waits in its own reply slot
// until the reply record arrives or its deadline passes. At the deadline
// fetch() returns the empty body at once and the network thread
// drops the transfer; the transfer owns all of its buffers, so nothing of the
// caller is touched afterwards.
//
// A transport failure (connection refused or reset, a body cut short, an
// empty reply, a send or receive error) is sent again up to twice, after 50
// and then 150 ms, while the caller keeps waiting; a retry whose back-off
// would end past the caller's deadline is not made. Time-outs, HTTP error
// statuses, bad verbs and bodies over kMaxBodyBytes are not retried.
//
// Cookies set by any response are kept in one store for the fetcher's
// lifetime and sent with later requests to the same host. Connections are
// kept and reused by the multi handle.
//
// Lifetime: the fetcher must outlive every call of fetch(). abort() may be
// called from any thread at any time; the destructor aborts, then joins the
// network thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "fetch/fetch.h"

namespace lanyi {

struct FetchStats {
    std::int64_t requests = 0;  // calls of fetch()
    std::int64_t failed = 0;    // calls that gave the empty body: transport error, bad verb,
                                // time-out, abort, or no network thread
    std::int64_t retried = 0;   // requests sent again after a transport failure
};

class CurlFetcher : public PageFetcher {
public:
    CurlFetcher();
    ~CurlFetcher() override;
    CurlFetcher(const CurlFetcher&) = delete;
    CurlFetcher& operator=(const CurlFetcher&) = delete;

    FetchResult fetch(const FetchRequest& request) override;

    // "host:port" of an HTTP proxy for every fetch that names none; blank
    // means direct. Takes effect for fetches started afterwards.
    void set_default_proxy(const std::string& host_port);

    // Ends every running transfer; every waiting and every later fetch()
    // returns the empty body at once. Cannot be undone.
    void abort();

    FetchStats stats() const;

private:
    class Engine;
    std::atomic<std::int64_t> requests_{0};
    std::atomic<std::int64_t> failed_{0};
    std::unique_ptr<Engine> engine_;
};

}  // namespace lanyi
