// One HTTP transfer on a libcurl easy handle, built from a request record.
//
// Owned and used by the network thread alone: it owns the easy handle, the
// header list, the URL and post data it points libcurl at, and the buffers the
// response is read into, so dropping it mid-flight touches nobody else.
#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "fetch/cookie_jar.h"
#include "fetch/handoff.h"
#include "fetch/request_headers.h"

namespace lanyi {

// A response body past this many bytes ends the transfer with the empty
// body; a directory page is well under 1 MB, and 50 workers holding
// unbounded bodies could exhaust memory.
inline constexpr std::size_t kMaxBodyBytes = std::size_t{32} << 20;
// Likewise for the header block of one response (below libcurl's own
// limit, which would end the transfer as a receive error and so be retried).
inline constexpr std::size_t kMaxHeaderBytes = std::size_t{256} << 10;

class CurlTransfer {
public:
    // Null when the record cannot become a request (no magic, bad verb,
    // unusable host or port, or libcurl refuses an option): the fetch fails
    // and nothing is sent. The transfer starts with the cookies `cookies`
    // holds for the request's host; collect them back with lent_cookies().
    // `spare` is an easy handle to use again (from release_easy()), or null
    // for a new one; the transfer takes it over either way.
    static std::unique_ptr<CurlTransfer> create(const RequestRecord& record, const CookieJar& cookies,
                                                CURL* spare = nullptr);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    CURL* easy() const { return easy_; }
    std::size_t body_bytes() const { return body_.size(); }
    const CookieJar::Lines& lent_cookies() const { return lent_cookies_; }

    // The easy handle with its options reset, for another transfer; the
    // transfer must be out of the multi handle. This transfer is done with.
    CURL* release_easy();

    // Whether a transfer that ended with `result` failed on the way (refused,
    // reset, cut short, an empty reply, a send or receive error) so that the
    // same request may well succeed when sent again. A POST is only sent
    // again when it never reached the server.
    bool worth_retrying(CURLcode result) const;

    // The reply record for a finished transfer: the raw header block of the
    // last response and the body, or the empty buffer when `result` is an error.
    ByteBuffer reply(CURLcode result) const;

private:
    CurlTransfer() = default;
    bool setup(const RequestRecord& record, const CookieJar& cookies);

    static std::size_t on_body(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t on_header(char* data, std::size_t size, std::size_t count, void* self);

    HttpVerb verb_ = HttpVerb::Get;
    CURL* easy_ = nullptr;
    curl_slist* header_lines_ = nullptr;
    std::string url_;
    std::string proxy_;
    std::string user_name_;
    std::string password_;
    std::string post_data_;
    std::string headers_;  // raw header block of the latest response
    std::string body_;
    CookieJar::Lines lent_cookies_;
};

// "http://host:port/path" from a fetch URL split the way every fetch splits
// it; empty when the host or port cannot name a server. Bytes a request line
// cannot carry (controls, space, bytes of 0x80 and above) are percent-encoded.
std::string curl_url_for(const GbkText& url);

}  // namespace lanyi
