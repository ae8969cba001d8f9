#include "demo/demo_site.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>
#include <vector>

#include "demo/demo_pages.h"
#include "demo/demo_routes.h"
#include "demo/demo_site_main.h"

namespace lanyi {
namespace {

// A blocking loopback connection with bounded waits.
class Connection {
public:
    explicit Connection(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Connection() { ::close(fd_); }
    bool connected() const { return connected_; }
    void send(const std::string& bytes) { ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

    // Reads one response with a Content-Length body, or until the peer closes.
    // error is the errno of a failed read (ECONNRESET for a reset).
    std::string read_response(int& error) {
        error = 0;
        std::string in;
        for (int waits = 0; waits < 300; ++waits) {  // 30 s at most
            std::size_t end = in.find("\r\n\r\n");
            if (end != std::string::npos) {
                std::size_t at = in.find("Content-Length: ");
                if (at != std::string::npos && at < end &&
                    in.size() >= end + 4 + std::stoul(in.substr(at + 16)))
                    return in;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buffer[8192];
            ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
            if (got < 0) error = errno;
            if (got <= 0) return in;
            in.append(buffer, static_cast<std::size_t>(got));
        }
        return in;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

std::string get(int port, const std::string& target, const std::string& host, int* error = nullptr) {
    Connection connection(port);
    connection.send("GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n");
    int failure = 0;
    std::string response = connection.read_response(failure);
    if (error) *error = failure;
    return response;
}

std::string body_of(const std::string& response) {
    std::size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : response.substr(end + 4);
}

TEST(DemoRoutes, TargetsInBothForms) {
    struct {
        const char* target;
        const char* host_header;
        const char* host;
        const char* path;
        const char* query;
    } cases[] = {
        {"/?w=led&mc=enterprise", "Search.Lanyi.Test:8080", "search.lanyi.test", "/", "w=led&mc=enterprise"},
        {"http://ABC.shop.lanyi.test/shop/company.html", "ignored", "abc.shop.lanyi.test", "/shop/company.html", ""},
        {"http://h.test:81?x=1", "", "h.test", "/", "x=1"},
        {"http://h.test", "", "h.test", "/", ""},
        {"/a/b", "", "", "/a/b", ""},
    };
    for (const auto& c : cases) {
        DemoTarget target = demo_parse_target(c.target, c.host_header);
        EXPECT_EQ(target.host, c.host) << c.target;
        EXPECT_EQ(target.path, c.path) << c.target;
        EXPECT_EQ(target.query, c.query) << c.target;
    }
    EXPECT_EQ(demo_query_value("w=%C0%B6%d1a+b&z=1", "w"), std::optional<std::string>("\xC0\xB6\xD1" "a+b"));
    EXPECT_EQ(demo_query_value("ww=1&w", "w"), std::optional<std::string>(""));
    EXPECT_EQ(demo_query_value("x=%4", "x"), std::optional<std::string>("%4"));
    EXPECT_EQ(demo_query_value("x=1", "w"), std::nullopt);
}

TEST(DemoRoutes, PagesByPathAndQuery) {
    DemoDirectory directory(1, 30);
    GbkText region = gbk("广东省");
    std::string z = "%D6%D0%B9%FA%3A%B9%E3%B6%AB%CA%A1";  // 中国:广东省
    const std::string id = directory.companies(GbkText("led"), region)[0].id.str();
    struct {
        std::string host, target;
        int status;
        std::string body;
    } cases[] = {
        {"any.host", "/?w=led&mc=enterprise&z=" + z, 200, demo_search_answer(directory, GbkText("led"), region)},
        {"x", "/?w=led&mc=enterprise&ee=2&z=" + z, 200, demo_first_answer(directory, GbkText("led"), region, 2)},
        {"x", "/?w=led&mc=enterprise&ee=2&z=" + z + "&af=3", 200,
         demo_second_answer(directory, GbkText("led"), region, 2)},
        {id + ".shop.lanyi.test", "/shop/company.html", 200,
         demo_company_page(directory.company_page(GbkText(id)))},
        {id + ".elsewhere.test", "/shop/company.html", 200,
         demo_company_page(directory.company_page(GbkText(id)))},
        {"nobody12345.shop.lanyi.test", "/shop/company.html", 404, demo_not_found_page()},
        {"x", "/other", 404, demo_not_found_page()},
        {"x", "/", 200, demo_home_page()},
    };
    for (const auto& c : cases) {
        DemoAnswer answer = demo_answer(directory, demo_parse_target(c.target, c.host));
        EXPECT_EQ(answer.status, c.status) << c.host << c.target;
        EXPECT_EQ(answer.body, c.body) << c.host << c.target;
    }
}

TEST(DemoFaults, ChosenByRateAndStableForARequest) {
    DemoSiteOptions options;
    EXPECT_EQ(demo_fault_for(options, "GET", "h", "/"), DemoFault::None);
    options.faults.truncate = 1;
    EXPECT_EQ(demo_fault_for(options, "GET", "h", "/"), DemoFault::Truncate);
    options.faults.stall = 1;  // earlier in the order
    EXPECT_EQ(demo_fault_for(options, "GET", "h", "/"), DemoFault::Stall);

    DemoSiteOptions some;
    some.faults.server_error = 0.3;
    int hits = 0;
    for (int i = 0; i < 2000; ++i) {
        std::string target = "/p" + std::to_string(i);
        DemoFault fault = demo_fault_for(some, "GET", "h", target);
        EXPECT_EQ(fault, demo_fault_for(some, "GET", "h", target));
        hits += fault == DemoFault::ServerError;
    }
    EXPECT_GT(hits, 450);
    EXPECT_LT(hits, 750);
}

TEST(DemoSite, AnswersByHostHeaderAndAsAProxy) {
    DemoSite site;
    ASSERT_TRUE(site.start());
    const DemoDirectory& directory = site.directory();
    const std::string id = directory.companies(GbkText("led"), GbkText())[3].id.str();
    const std::string page = demo_company_page(directory.company_page(GbkText(id)));

    std::string plain = get(site.port(), "/shop/company.html", id + ".shop.lanyi.test");
    EXPECT_EQ(plain.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_EQ(body_of(plain), page);
    EXPECT_NE(plain.find("Set-Cookie: lanyi_session="), std::string::npos);
    EXPECT_NE(plain.find("charset=gbk"), std::string::npos);

    std::string proxied = get(site.port(), "http://" + id + ".shop.lanyi.test/shop/company.html", id + ".shop.lanyi.test");
    EXPECT_EQ(body_of(proxied), page);

    std::string missing = get(site.port(), "http://nobody.shop.lanyi.test/shop/company.html", "x");
    EXPECT_EQ(missing.substr(0, 12), "HTTP/1.1 404");
    EXPECT_EQ(site.requests_served(), 3);
    EXPECT_EQ(site.connections_accepted(), 3);
}

TEST(DemoSite, CountsConnectionsAndRequestsApart) {
    DemoSite site;
    ASSERT_TRUE(site.start());
    Connection connection(site.port());
    for (int i = 0; i < 3; ++i) {
        connection.send("GET /?w=a HTTP/1.1\r\nHost: x\r\n\r\n");
        int error = 0;
        EXPECT_EQ(connection.read_response(error).substr(0, 15), "HTTP/1.1 200 OK");
    }
    EXPECT_EQ(site.requests_served(), 3);
    EXPECT_EQ(site.connections_accepted(), 1);
}

TEST(DemoSite, ServesSixtyFourSlowRequestsAtOnce) {
    DemoSiteOptions options;
    options.latency_ms = 3000;
    DemoSite site(options);
    ASSERT_TRUE(site.start());
    std::vector<std::thread> clients;
    std::atomic<int> answered{0};
    for (int i = 0; i < 64; ++i)
        clients.emplace_back([&, i] {
            if (body_of(get(site.port(), "/?w=" + std::to_string(i), "x")).size() > 0) answered.fetch_add(1);
        });
    for (auto& client : clients) client.join();
    EXPECT_EQ(answered.load(), 64);
    EXPECT_EQ(site.peak_concurrent_requests(), 64);
}

TEST(DemoSite, InjectedFaultsShowOnTheWire) {
    auto with = [](double DemoFaultRates::*fault) {
        DemoSiteOptions options;
        options.faults.*fault = 1;
        return options;
    };
    {
        DemoSite site(with(&DemoFaultRates::reset));
        ASSERT_TRUE(site.start());
        int error = 0;
        EXPECT_EQ(get(site.port(), "/", "x", &error), "");
        EXPECT_EQ(error, ECONNRESET);
    }
    {
        DemoSite site(with(&DemoFaultRates::truncate));
        ASSERT_TRUE(site.start());
        std::string response = get(site.port(), "/", "x");
        std::size_t declared = std::stoul(response.substr(response.find("Content-Length: ") + 16));
        EXPECT_LT(body_of(response).size(), declared);
    }
    {
        DemoSite site(with(&DemoFaultRates::bad_gbk));
        ASSERT_TRUE(site.start());
        EXPECT_NE(body_of(get(site.port(), "/", "x")).find("\x80\xFF"), std::string::npos);
    }
    {
        DemoSiteOptions options = with(&DemoFaultRates::stall);
        options.stall_ms = 300;
        DemoSite site(options);
        ASSERT_TRUE(site.start());
        EXPECT_EQ(body_of(get(site.port(), "/", "x")), demo_home_page());  // answered after the stall
    }
}

TEST(DemoSite, StopEndsStallsAndAStoppedSiteStaysDown) {
    DemoSiteOptions options;
    options.faults.stall = 1;
    options.stall_ms = 600000;
    DemoSite site(options);
    ASSERT_TRUE(site.start());
    Connection connection(site.port());
    connection.send("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    for (int i = 0; i < 1000 && site.requests_served() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    site.stop();  // returns although the stall had ten minutes to go
    EXPECT_FALSE(site.start());
    EXPECT_EQ(site.recent_requests().size(), 1u);
}

TEST(DemoSiteMain, BadOptionsNameTheOptionAndExitTwo) {
    std::vector<std::vector<std::string>> cases = {
        {"--port"}, {"--port", "70000"}, {"--seed", "-1"}, {"--companies", "x"},
        {"--fault-500", "1.5"}, {"--fault-stall", "abc"}, {"--bogus", "1"}, {"--latency-ms", "-5"},
        {"--fault-huge-body", "-0.1"}, {"--fault-attempts", "-1"}, {"--fault-attempts", "x"},
    };
    for (const auto& args : cases) {
        std::vector<std::string> owned = {"lanyi-harvester", "--demo-site"};
        owned.insert(owned.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& arg : owned) argv.push_back(arg.data());
        ::testing::internal::CaptureStderr();
        int code = run_demo_site_main(static_cast<int>(argv.size()), argv.data());
        std::string message = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(code, 2) << args[0];
        EXPECT_NE(message.find(args[0]), std::string::npos) << message;
    }
}

TEST(DemoSiteMain, PrintsItsPortAndServesUntilTerminated) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        std::vector<std::string> owned = {"lanyi-harvester", "--demo-site", "--port", "0", "--companies", "5"};
        std::vector<char*> argv;
        for (auto& arg : owned) argv.push_back(arg.data());
        ::_exit(run_demo_site_main(static_cast<int>(argv.size()), argv.data()));
    }
    ::close(out[1]);
    std::string line;
    char c;
    pollfd p{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&p, 1, 30000) > 0 && ::read(out[0], &c, 1) == 1)
        line += c;
    ::close(out[0]);
    ASSERT_EQ(line.substr(0, 23), "listening on 127.0.0.1:") << line;
    int port = std::stoi(line.substr(23));
    std::string search = get(port, "/?w=a&mc=enterprise&z=", "x");
    EXPECT_NE(search.find("200 OK"), std::string::npos);

    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace lanyi
