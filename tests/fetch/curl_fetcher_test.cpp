#include "fetch/curl_fetcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "demo/demo_pages.h"
#include "demo/demo_site.h"
#include "raw_http_server.h"
#include "text/extract.h"
#include "text/text_ops.h"

namespace lanyi {
namespace {

using testing::RawHttpServer;
using Clock = std::chrono::steady_clock;

std::string ok_response(const std::string& body) {
    return RawHttpServer::response("HTTP/1.1 200 OK\r\nContent-Type: text/html", body);
}

FetchRequest request_for(const std::string& url) {
    FetchRequest request;
    request.url = GbkText(url);
    return request;
}

// The header lines of a raw request, without the request line.
std::vector<std::string> header_lines(const std::string& request) {
    std::vector<std::string> lines;
    std::size_t at = request.find("\r\n") + 2;
    for (std::size_t end; (end = request.find("\r\n", at)) != std::string::npos && end != at; at = end + 2)
        lines.push_back(request.substr(at, end - at));
    return lines;
}

std::size_t index_of_prefix(const std::vector<std::string>& lines, const std::string& prefix) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].compare(0, prefix.size(), prefix) == 0) return i;
    return lines.size();
}

std::unique_ptr<DemoSite> started_site(DemoSiteOptions options = {}) {
    auto site = std::make_unique<DemoSite>(options);
    EXPECT_TRUE(site->start());
    return site;
}

std::string proxy_of(const DemoSite& site) { return "127.0.0.1:" + std::to_string(site.port()); }

TEST(CurlFetcher, ContactFetchSendsGetWithTheDefaultLinesInOrder) {
    RawHttpServer server({ok_response("<html>hello</html>")});
    CurlFetcher fetcher;
    std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/shop/company.html";
    FetchResult result = fetcher.fetch(request_for(url));
    EXPECT_EQ(result.body.view(), "<html>hello</html>");
    EXPECT_TRUE(result.raw_headers.empty());  // not asked for

    ASSERT_EQ(server.requests().size(), 1u);
    std::string request = server.requests()[0];
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /shop/company.html HTTP/1.1");
    std::vector<std::string> lines = header_lines(request);
    std::size_t accept = index_of_prefix(lines, "Accept: image/gif, ");
    std::size_t referer = index_of_prefix(lines, "Referer: ");
    std::size_t language = index_of_prefix(lines, "Accept-Language: ");
    ASSERT_LT(language, lines.size());
    EXPECT_LT(accept, referer);
    EXPECT_LT(referer, language);
    EXPECT_EQ(lines[referer], "Referer: " + url);
    EXPECT_EQ(lines[language], "Accept-Language: zh-cn");
    EXPECT_LT(index_of_prefix(lines, "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"),
              lines.size());
    for (const char* absent : {"Cookie", "Proxy", "Authorization", "Content-", "Expect"})
        EXPECT_EQ(index_of_prefix(lines, absent), lines.size()) << absent;
}

TEST(CurlFetcher, PostCarriesTypeLengthAndBody) {
    RawHttpServer server({ok_response("posted")});
    CurlFetcher fetcher;
    FetchRequest request = request_for("http://127.0.0.1:" + std::to_string(server.port()) + "/form");
    request.verb = GbkText("Post");
    request.post_data = GbkText("a=1&b=2");
    EXPECT_EQ(fetcher.fetch(request).body.view(), "posted");

    ASSERT_EQ(server.requests().size(), 1u);
    std::string sent = server.requests()[0];
    EXPECT_EQ(sent.substr(0, sent.find("\r\n")), "POST /form HTTP/1.1");
    std::vector<std::string> lines = header_lines(sent);
    std::size_t type = index_of_prefix(lines, "Content-Type: ");
    ASSERT_LT(type + 1, lines.size());
    EXPECT_EQ(lines[type], "Content-Type: application/x-www-form-urlencoded");
    EXPECT_EQ(lines[type + 1], "Content-Length: 7");
    EXPECT_GT(type, index_of_prefix(lines, "Accept-Language: "));
    EXPECT_EQ(sent.substr(sent.size() - 7), "a=1&b=2");
}

TEST(CurlFetcher, LowerCaseAcceptInExtraHeadersReplacesTheDefault) {
    RawHttpServer server({ok_response("x")});
    CurlFetcher fetcher;
    FetchRequest request = request_for("http://127.0.0.1:" + std::to_string(server.port()) + "/");
    request.extra_headers = GbkText("accept: text/plain\r\nX-Test: 1\r\n");
    fetcher.fetch(request);
    ASSERT_EQ(server.requests().size(), 1u);
    std::vector<std::string> lines = header_lines(server.requests()[0]);
    EXPECT_LT(index_of_prefix(lines, "accept: text/plain"), lines.size());
    EXPECT_EQ(index_of_prefix(lines, "Accept: "), lines.size());
    EXPECT_LT(index_of_prefix(lines, "X-Test: 1"), index_of_prefix(lines, "Referer: "));
    EXPECT_LT(index_of_prefix(lines, "Accept-Language: zh-cn"), lines.size());
}

TEST(CurlFetcher, UnknownVerbFailsWithoutSending) {
    RawHttpServer server({ok_response("x")});
    CurlFetcher fetcher;
    for (const char* verb : {"PUT", "DELETE", "get2"}) {
        FetchRequest request = request_for("http://127.0.0.1:" + std::to_string(server.port()) + "/");
        request.verb = GbkText(verb);
        FetchResult result = fetcher.fetch(request);
        EXPECT_TRUE(result.body.empty()) << verb;
    }
    EXPECT_EQ(server.connections(), 0);
    EXPECT_EQ(fetcher.stats().requests, 3);
    EXPECT_EQ(fetcher.stats().failed, 3);
}

TEST(CurlFetcher, PortAndCapitalsInTheUrl) {
    RawHttpServer server({ok_response("ported")});
    CurlFetcher fetcher;
    FetchRequest request = request_for("http://127.0.0.1:" + std::to_string(server.port()) + "/Path/To?Q=1&r=%D6");
    request.want_raw_headers = true;
    FetchResult result = fetcher.fetch(request);
    EXPECT_EQ(result.body.view(), "ported");
    EXPECT_EQ(result.raw_headers.view().substr(0, 15), "HTTP/1.1 200 OK");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].substr(0, server.requests()[0].find("\r\n")), "GET /Path/To?Q=1&r=%D6 HTTP/1.1");
}

TEST(CurlFetcher, RedirectsAreFollowedAndTheLastHeadersKept) {
    RawHttpServer server({RawHttpServer::response("HTTP/1.1 302 Found\r\nLocation: /final", ""),
                          ok_response("arrived")});
    CurlFetcher fetcher;
    FetchRequest request = request_for("http://127.0.0.1:" + std::to_string(server.port()) + "/start");
    request.want_raw_headers = true;
    FetchResult result = fetcher.fetch(request);
    EXPECT_EQ(result.body.view(), "arrived");
    EXPECT_EQ(result.raw_headers.view().substr(0, 15), "HTTP/1.1 200 OK");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1].substr(0, 20), "GET /final HTTP/1.1\r");
}

TEST(CurlFetcher, UnreachableOrMalformedUrlsGiveTheEmptyBody) {
    CurlFetcher fetcher;
    // Port 1 on loopback: refused at once. The others cannot name a server.
    for (const char* url : {"http://127.0.0.1:1/", "http://:80/", "http://bad host/", "http://127.0.0.1:0/"}) {
        FetchRequest request = request_for(url);
        request.timeout_seconds = 30;
        EXPECT_TRUE(fetcher.fetch(request).body.empty()) << url;
    }
    EXPECT_EQ(fetcher.stats().failed, 4);
}

TEST(CurlFetcher, DefaultRouteAndExplicitProxyReachAMadeUpHost) {
    auto site = started_site();
    CurlFetcher fetcher;
    const std::string url = "http://search.lanyi.test/?w=led&mc=enterprise&z=%D6%D0%B9%FA%3A";

    FetchRequest explicit_proxy = request_for(url);
    explicit_proxy.proxy = GbkText(" " + proxy_of(*site));
    GbkText page = bytes_to_gbk(fetcher.fetch(explicit_proxy).body);
    EXPECT_EQ(text_between(page, GbkText("total\">") + gbk("共"), gbk("页")).view(), "10");

    fetcher.set_default_proxy(proxy_of(*site));
    GbkText again = bytes_to_gbk(fetcher.fetch(request_for(url)).body);
    EXPECT_EQ(again, page);
    EXPECT_EQ(text_between(again, gbk("共找到"), gbk("条")).view(), "200");

    std::vector<DemoSeenRequest> seen = site->recent_requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].host, "search.lanyi.test");
    EXPECT_EQ(seen[1].target, url);  // absolute form: it went through the proxy
}

std::string cookie_sent(const DemoSeenRequest& seen) {
    for (const auto& [name, value] : seen.headers)
        if (name == "Cookie") return value;
    return {};
}

TEST(CurlFetcher, CookiesGoBackToTheHostThatSetThemOnly) {
    auto site = started_site();
    CurlFetcher fetcher;
    fetcher.set_default_proxy(proxy_of(*site));
    fetcher.fetch(request_for("http://a.cookies.test/"));
    fetcher.fetch(request_for("http://a.cookies.test/other"));
    fetcher.fetch(request_for("http://b.cookies.test/"));

    std::vector<DemoSeenRequest> seen = site->recent_requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(cookie_sent(seen[0]), "");
    EXPECT_EQ(cookie_sent(seen[1]).substr(0, 14), "lanyi_session=");
    EXPECT_EQ(cookie_sent(seen[2]), "");
}

TEST(CurlFetcher, ErrorPageBodyIsReturned) {
    DemoSiteOptions options;
    options.faults.server_error = 1;
    auto site = started_site(options);
    CurlFetcher fetcher;
    FetchRequest request = request_for("http://127.0.0.1:" + std::to_string(site->port()) + "/");
    request.want_raw_headers = true;
    FetchResult result = fetcher.fetch(request);
    EXPECT_EQ(result.body.view(), demo_error_page());
    EXPECT_EQ(result.raw_headers.view().substr(0, 12), "HTTP/1.1 500");
    EXPECT_EQ(fetcher.stats().failed, 0);
}

TEST(CurlFetcher, OversizedHeaderBlockIsWholeAndItsCookiesKept) {
    DemoSiteOptions options;
    options.faults.big_header = 1;
    auto site = started_site(options);
    CurlFetcher fetcher;
    fetcher.set_default_proxy(proxy_of(*site));
    FetchRequest request = request_for("http://big.headers.test/");
    request.want_raw_headers = true;
    FetchResult result = fetcher.fetch(request);
    std::string_view headers = result.raw_headers.view();
    EXPECT_GT(headers.size(), 8000u);
    EXPECT_EQ(headers.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_NE(headers.find("X-Lanyi-Padding-63: "), std::string_view::npos);
    EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n");
    EXPECT_FALSE(result.body.empty());

    fetcher.fetch(request_for("http://big.headers.test/again"));
    std::string cookies = cookie_sent(site->recent_requests().back());
    for (const char* name : {"lanyi_session=", "lanyi_big_a=", "lanyi_big_b="})
        EXPECT_NE(cookies.find(name), std::string::npos) << name << " in " << cookies;
}

TEST(CurlFetcher, BrokenResponsesGiveTheEmptyBody) {
    struct {
        const char* what;
        double DemoFaultRates::*fault;
    } cases[] = {{"reset", &DemoFaultRates::reset}, {"truncated", &DemoFaultRates::truncate}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DemoSiteOptions options;
        options.faults.*c.fault = 1;
        auto site = started_site(options);
        CurlFetcher fetcher;
        FetchRequest request = request_for("http://127.0.0.1:" + std::to_string(site->port()) + "/");
        request.timeout_seconds = 30;
        EXPECT_TRUE(fetcher.fetch(request).body.empty());
        EXPECT_EQ(fetcher.stats().failed, 1);
    }
}

TEST(CurlFetcher, BodyBytesComeBackExactlyZeroByteIncluded) {
    DemoSiteOptions options;
    options.faults.zero_byte = 1;
    auto site = started_site(options);
    CurlFetcher fetcher;
    FetchResult result = fetcher.fetch(request_for("http://127.0.0.1:" + std::to_string(site->port()) + "/"));
    std::string expected = demo_home_page();
    EXPECT_EQ(result.body.size(), expected.size() + 1);
    EXPECT_NE(result.body.view().find('\0'), std::string_view::npos);
}

TEST(CurlFetcher, StalledFetchEndsAtItsDeadline) {
    DemoSiteOptions options;
    options.faults.stall = 1;
    options.stall_ms = 60000;
    auto site = started_site(options);
    CurlFetcher fetcher;
    auto started = Clock::now();
    {
        // The request and its texts die right after the call; the network
        // thread must not touch them afterwards (checked under ASan).
        auto request = std::make_unique<FetchRequest>(
            request_for("http://127.0.0.1:" + std::to_string(site->port()) + "/stall"));
        request->timeout_seconds = 1;
        request->want_raw_headers = true;
        FetchResult result = fetcher.fetch(*request);
        EXPECT_TRUE(result.body.empty());
        EXPECT_TRUE(result.raw_headers.empty());
    }
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(20));
    EXPECT_EQ(fetcher.stats().failed, 1);
    // The dropped transfer leaves the fetcher usable.
    DemoSite healthy;
    ASSERT_TRUE(healthy.start());
    EXPECT_EQ(fetcher.fetch(request_for("http://127.0.0.1:" + std::to_string(healthy.port()) + "/")).body.view(),
              demo_home_page());
}

TEST(CurlFetcher, ZeroTimeoutIsNinetySecondsNotNone) {
    DemoSiteOptions options;
    options.latency_ms = 1500;
    auto site = started_site(options);
    CurlFetcher fetcher;
    FetchRequest request = request_for("http://127.0.0.1:" + std::to_string(site->port()) + "/");
    request.timeout_seconds = 0;
    EXPECT_EQ(fetcher.fetch(request).body.view(), demo_home_page());
}

TEST(CurlFetcher, AbortEndsAWaitWithoutDeadlineAndEveryLaterFetch) {
    DemoSiteOptions options;
    options.faults.stall = 1;
    options.stall_ms = 60000;
    auto site = started_site(options);
    CurlFetcher fetcher;
    FetchRequest request = request_for("http://127.0.0.1:" + std::to_string(site->port()) + "/stall");
    request.timeout_seconds = -1;

    FetchResult result;
    std::thread waiting([&] { result = fetcher.fetch(request); });
    // Abort only once the site holds the request, so the fetch is really in flight.
    for (int i = 0; i < 1000 && site->requests_served() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(site->requests_served(), 1);
    auto aborted = Clock::now();
    fetcher.abort();
    waiting.join();
    EXPECT_LT(Clock::now() - aborted, std::chrono::seconds(10));
    EXPECT_TRUE(result.body.empty());

    DemoSite healthy;
    ASSERT_TRUE(healthy.start());
    EXPECT_TRUE(fetcher.fetch(request_for("http://127.0.0.1:" + std::to_string(healthy.port()) + "/")).body.empty());
    EXPECT_EQ(healthy.requests_served(), 0);
    EXPECT_EQ(fetcher.stats().failed, 2);
}

TEST(CurlFetcher, FiftyThreadsShareOneNetworkThreadAndReuseConnections) {
    DemoSiteOptions options;
    options.companies = 100;
    auto site = started_site(options);
    CurlFetcher fetcher;
    fetcher.set_default_proxy(proxy_of(*site));
    const GbkText keyword("led"), region = gbk("广东省");
    std::vector<DemoCompany> companies = site->directory().companies(keyword, region);

    constexpr int kThreads = 50, kEach = 20;
    std::atomic<int> wrong{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                const DemoCompany& company = companies[static_cast<std::size_t>(t * kEach + i) % companies.size()];
                FetchRequest request =
                    request_for("http://" + company.id.str() + ".shop.lanyi.test/shop/company.html");
                request.timeout_seconds = 60;
                FetchResult result = fetcher.fetch(request);
                std::string expected = demo_company_page(site->directory().company_page(company.id));
                if (result.body.view() != expected) wrong.fetch_add(1);
            }
        });
    }
    for (auto& worker : workers) worker.join();

    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(fetcher.stats().requests, kThreads * kEach);
    EXPECT_EQ(fetcher.stats().failed, 0);
    EXPECT_EQ(site->requests_served(), kThreads * kEach);
    // Each worker's connection is kept and used again.
    EXPECT_LE(site->connections_accepted(), kThreads * kEach / 4);
}

}  // namespace
}  // namespace lanyi
