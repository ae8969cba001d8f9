// Transport failures sent again, what is never sent again, and the body and
// header limits, against servers that misbehave in exact, countable ways.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "demo/demo_site.h"
#include "fetch/curl_fetcher.h"
#include "fetch/curl_transfer.h"
#include "flaky_http_server.h"

namespace lanyi {
namespace {

using testing::FlakyHttpServer;
using testing::GoodAnswer;
using testing::Misbehaviour;

FetchRequest get(const std::string& url, int timeout_seconds = 30) {
    FetchRequest request;
    request.url = GbkText(url);
    request.timeout_seconds = timeout_seconds;
    return request;
}

struct RetryCase {
    const char* what;
    Misbehaviour bad;
    int bad_connections;
    bool answered;  // the page comes back in the end
    int connections;
    int retried;
};

TEST(FetchRetries, TransportFailuresAreSentAgainUpToTwice) {
    const RetryCase cases[] = {
        {"one reset", Misbehaviour::Reset, 1, true, 2, 1},
        {"two resets", Misbehaviour::Reset, 2, true, 3, 2},
        {"three resets", Misbehaviour::Reset, 3, false, 3, 2},
        {"closed at once twice", Misbehaviour::CloseAtOnce, 2, true, 3, 2},
        {"closed at once always", Misbehaviour::CloseAtOnce, 8, false, 3, 2},
        {"truncated once", Misbehaviour::Truncate, 1, true, 2, 1},
        {"truncated always", Misbehaviour::Truncate, 8, false, 3, 2},
    };
    for (const RetryCase& c : cases) {
        SCOPED_TRACE(c.what);
        FlakyHttpServer server(c.bad, c.bad_connections);
        CurlFetcher fetcher;
        FetchResult result = fetcher.fetch(get(server.url()));
        EXPECT_EQ(result.body.view(), c.answered ? "hello" : "");
        EXPECT_EQ(server.connections(), c.connections);
        const FetchStats stats = fetcher.stats();
        EXPECT_EQ(stats.requests, 1);
        EXPECT_EQ(stats.failed, c.answered ? 0 : 1);
        EXPECT_EQ(stats.retried, c.retried);
    }
}

TEST(FetchRetries, ErrorStatusesAndTimeOutsAreNotSentAgain) {
    {
        FlakyHttpServer server(Misbehaviour::ServerError, 1);
        CurlFetcher fetcher;
        EXPECT_EQ(fetcher.fetch(get(server.url())).body.view(), "oops");  // the error page, once
        EXPECT_EQ(server.connections(), 1);
        EXPECT_EQ(fetcher.stats().retried, 0);
        EXPECT_EQ(fetcher.stats().failed, 0);
    }
    {
        FlakyHttpServer server(Misbehaviour::Stall, 1);
        CurlFetcher fetcher;
        EXPECT_TRUE(fetcher.fetch(get(server.url(), 1)).body.empty());
        EXPECT_EQ(fetcher.stats().retried, 0);
        EXPECT_EQ(fetcher.stats().failed, 1);
        EXPECT_EQ(server.connections(), 1);
    }
}

TEST(FetchRetries, PostIsSentAgainOnlyWhenItNeverReachedTheServer) {
    FlakyHttpServer server(Misbehaviour::Reset, 1);
    CurlFetcher fetcher;
    FetchRequest request = get(server.url());
    request.verb = GbkText("POST");
    request.post_data = GbkText("a=1");
    EXPECT_TRUE(fetcher.fetch(request).body.empty());
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(fetcher.stats().retried, 0);
}

int unused_loopback_port() {
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(probe);  // nothing listens there now: connecting is refused
    return ntohs(address.sin_port);
}

TEST(FetchRetries, RefusedConnectionIsTriedThreeTimesThenGivesTheEmptyBody) {
    CurlFetcher fetcher;
    const std::string url = "http://127.0.0.1:" + std::to_string(unused_loopback_port()) + "/";
    EXPECT_TRUE(fetcher.fetch(get(url)).body.empty());
    EXPECT_EQ(fetcher.stats().retried, 2);
    EXPECT_EQ(fetcher.stats().failed, 1);
}

TEST(FetchRetries, RetriesFitInAShortDeadline) {
    // A one-second deadline leaves room for both back-offs, so a server that
    // always resets is tried three times and the fetch still ends in time.
    FlakyHttpServer server(Misbehaviour::Reset, 8);
    CurlFetcher fetcher;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(fetcher.fetch(get(server.url(), 1)).body.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_EQ(server.connections(), 3);
    EXPECT_EQ(fetcher.stats().retried, 2);
}

struct BodyCase {
    const char* what;
    std::int64_t bytes;
    bool declare_length;
    bool kept;
};

TEST(FetchBodyLimit, BodiesOverTheLimitEndTheFetchEarly) {
    constexpr auto kLimit = static_cast<std::int64_t>(kMaxBodyBytes);
    constexpr std::int64_t kHundredMegabytes = std::int64_t{100} << 20;
    const BodyCase cases[] = {
        {"exactly the limit", kLimit, false, true},
        {"one byte over, streamed", kLimit + 1, false, false},
        {"100 MB streamed", kHundredMegabytes, false, false},
        {"100 MB declared", kHundredMegabytes, true, false},
    };
    for (const BodyCase& c : cases) {
        SCOPED_TRACE(c.what);
        FlakyHttpServer server(Misbehaviour::Reset, 0, GoodAnswer{c.bytes, c.declare_length, ""});
        CurlFetcher fetcher;
        FetchResult result = fetcher.fetch(get(server.url(), 60));
        EXPECT_EQ(static_cast<std::int64_t>(result.body.size()), c.kept ? c.bytes : 0);
        EXPECT_EQ(fetcher.stats().failed, c.kept ? 0 : 1);
        EXPECT_EQ(fetcher.stats().retried, 0);
        EXPECT_EQ(server.connections(), 1);
        // The transfer was abandoned, not read to its end: the server got
        // rid of far less than it had to send.
        if (!c.kept && c.bytes == kHundredMegabytes) {
            EXPECT_LT(server.body_bytes_sent(), kHundredMegabytes / 2);
        }
    }
}

TEST(FetchBodyLimit, DemoSiteHundredMegabyteBodyIsAbandoned) {
    DemoSiteOptions options;
    options.faults.huge_body = 1;
    DemoSite site(options);
    ASSERT_TRUE(site.start());
    CurlFetcher fetcher;
    EXPECT_TRUE(fetcher.fetch(get("http://127.0.0.1:" + std::to_string(site.port()) + "/", 60)).body.empty());
    EXPECT_EQ(fetcher.stats().failed, 1);
    EXPECT_EQ(fetcher.stats().retried, 0);
    EXPECT_LT(site.huge_body_bytes_sent(), options.huge_body_bytes / 2);
    EXPECT_EQ(site.requests_served(), 1);
}

TEST(FetchBodyLimit, AHeaderBlockOverTheLimitEndsTheFetch) {
    std::string lines;
    const std::string padding(1000, 'p');
    for (std::size_t i = 0; lines.size() <= kMaxHeaderBytes; ++i)
        lines += "X-Padding-" + std::to_string(i) + ": " + padding + "\r\n";
    FlakyHttpServer server(Misbehaviour::Reset, 0, GoodAnswer{5, true, lines});
    CurlFetcher fetcher;
    EXPECT_TRUE(fetcher.fetch(get(server.url())).body.empty());
    EXPECT_EQ(fetcher.stats().failed, 1);
    EXPECT_EQ(fetcher.stats().retried, 0);
}

}  // namespace
}  // namespace lanyi
