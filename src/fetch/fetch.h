// One HTTP request with an overall deadline: the fetch contract every page
// of the harvest goes through.
//
// A fetch never reports an error: a failed, refused or timed-out request gives
// the empty body. No HTTP status is examined (an error page's body is returned
// like any other).
#pragma once

#include <cstdint>

#include "text/gbk_text.h"

namespace lanyi {

struct FetchRequest {
    GbkText url;            // "http://" host [":" port] path
    GbkText verb;           // empty or "GET" (any case): GET; "POST": POST; else fails at once
    GbkText proxy;          // "host:port"; blank means the fetcher's default route
    GbkText user_name;      // blank means none
    GbkText password;       // blank means none
    GbkText extra_headers;  // lines each ending in "\r\n"; default lines are added after them
    GbkText post_data;      // body of a POST
    std::int32_t timeout_seconds = 0;  // 0 means 90; negative: no deadline but the fetcher's end
    bool want_raw_headers = false;
};

struct FetchResult {
    ByteBuffer body;      // exactly as received; empty on failure or time-out
    GbkText raw_headers;  // only when want_raw_headers: status line and header lines, CR LF each
};

inline constexpr int kDefaultFetchTimeoutSeconds = 90;

// Anything that can answer a FetchRequest. The harvest phases hold one by
// reference, so tests can put a fake in place of the network.
// fetch() is called from many threads at once.
class PageFetcher {
public:
    virtual ~PageFetcher() = default;
    virtual FetchResult fetch(const FetchRequest& request) = 0;
};

inline FetchResult fetch_page(PageFetcher& fetcher, const FetchRequest& request) {
    return fetcher.fetch(request);
}

}  // namespace lanyi
