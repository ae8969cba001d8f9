#include "fetch/socket_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "demo/demo_pages.h"
#include "demo/demo_site.h"
#include "loopback_listener.h"

namespace lanyi {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

size_t keep_body(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// A multi handle with a loop over it, and the transfers' results as they end.
struct Rig {
    Rig() : multi(curl_multi_init()), loop(std::make_unique<SocketLoop>(multi)) {}
    ~Rig() {
        for (auto& [easy, body] : bodies) {
            curl_multi_remove_handle(multi, easy);
            curl_easy_cleanup(easy);
        }
        curl_multi_cleanup(multi);
    }

    CURL* add(const std::string& url, const std::string& proxy = {}) {
        CURL* easy = curl_easy_init();
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        if (!proxy.empty()) curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &keep_body);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &bodies[easy]);
        curl_multi_add_handle(multi, easy);
        return easy;
    }

    // Runs the loop as the network thread does until every transfer ended
    // or `rounds` waits of up to `longest` each have passed.
    void run(int rounds, std::chrono::milliseconds longest) {
        for (int i = 0; i < rounds && results.size() < bodies.size(); ++i) {
            loop->run_due_timer();
            collect();
            if (results.size() == bodies.size()) break;
            loop->wait(longest);
            collect();
        }
    }

    void collect() {
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued))
            if (message->msg == CURLMSG_DONE) results[message->easy_handle] = message->data.result;
    }

    CURLM* multi;
    std::unique_ptr<SocketLoop> loop;  // outlives curl_multi_cleanup() in ~Rig
    std::map<CURL*, std::string> bodies;
    std::map<CURL*, CURLcode> results;
};

TEST(SocketLoop, CarriesManyTransfersWhileConnectionsComeAndGo) {
    DemoSiteOptions options;
    options.companies = 60;
    options.latency_ms = 5;
    DemoSite site(options);
    ASSERT_TRUE(site.start());
    const std::string proxy = "127.0.0.1:" + std::to_string(site.port());
    std::vector<DemoCompany> companies = site.directory().companies(GbkText("led"), GbkText());
    ASSERT_GE(companies.size(), 40u);

    Rig rig;
    ASSERT_TRUE(rig.loop->ok());
    std::map<CURL*, std::string> expected;
    for (std::size_t i = 0; i < 40; ++i) {
        const DemoCompany& company = companies[i];
        CURL* easy = rig.add("http://" + company.id.str() + ".shop.lanyi.test/shop/company.html", proxy);
        // Every other connection closes after its transfer, so sockets leave
        // the middle of the watched set while others stay.
        if (i % 2 == 0) curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
        expected[easy] = demo_company_page(site.directory().company_page(company.id));
    }
    rig.run(2000, 1000ms);

    ASSERT_EQ(rig.results.size(), 40u);
    for (auto& [easy, result] : rig.results) {
        EXPECT_EQ(result, CURLE_OK);
        EXPECT_EQ(rig.bodies[easy], expected[easy]);
    }
    // Closed connections were taken off the watched set.
    EXPECT_LE(rig.loop->watched(), 20u);
}

TEST(SocketLoop, EndsAStalledTransferOnLibcurlsTimer) {
    // Connections complete in the kernel's backlog, but nothing answers.
    int port = 0;
    const int listener = testing::listen_on_loopback(port);
    ASSERT_GE(listener, 0);
    Rig rig;
    CURL* easy = rig.add("http://127.0.0.1:" + std::to_string(port) + "/");
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, 100L);

    // Waits of up to 20 s each: the transfer ends after about 100 ms only if
    // the loop wakes for libcurl's timer.
    const auto started = Clock::now();
    rig.run(30, 20s);
    ::close(listener);
    ASSERT_EQ(rig.results.size(), 1u);
    EXPECT_EQ(rig.results[easy], CURLE_OPERATION_TIMEDOUT);
    EXPECT_LT(Clock::now() - started, 10s);
}

TEST(SocketLoop, WakeEndsAWaitAndABurstOfWakesEndsJustOne) {
    CURLM* multi = curl_multi_init();
    {
        SocketLoop loop(multi);
        ASSERT_TRUE(loop.ok());
        std::thread waker([&] {
            std::this_thread::sleep_for(20ms);
            loop.wake();
        });
        auto started = Clock::now();
        loop.wait(60s);
        EXPECT_LT(Clock::now() - started, 30s);
        waker.join();

        for (int i = 0; i < 100; ++i) loop.wake();
        loop.wait(60s);  // returns at once
        // The wake-ups were drained: the next wait runs its course.
        started = Clock::now();
        loop.wait(30ms);
        EXPECT_GE(Clock::now() - started, 25ms);
    }
    curl_multi_cleanup(multi);
}

}  // namespace
}  // namespace lanyi
