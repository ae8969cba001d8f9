// The demo site's faults as a test predicts them: which requests draw one,
// on which attempts, and what a damaged page still gives a parser.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "demo/demo_pages.h"
#include "demo/demo_site.h"
#include "harvester_rules.h"
#include "text/extract.h"
#include "text/text_ops.h"

namespace lanyi {
namespace {

// One request on a fresh connection; the raw response (empty after a reset).
std::string fetch_raw(int port, const std::string& target, int* error = nullptr) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string in;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::string request = "GET " + target + " HTTP/1.1\r\nHost: x.test\r\nConnection: close\r\n\r\n";
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        for (int waits = 0; waits < 300; ++waits) {  // 30 s at most
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buffer[65536];
            ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got < 0 && error) *error = errno;
            if (got <= 0) break;
            in.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return in;
}

std::vector<std::size_t> line_starts(const std::string& body) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < body.size(); ++i)
        if (i == 0 || (body[i - 1] == '\n' && body[i] == '<')) starts.push_back(i);
    starts.push_back(body.size());
    return starts;
}

TEST(DemoFaultChoice, ProxyAndDirectFormsOfARequestDrawAlike) {
    DemoSiteOptions options;
    options.faults.reset = 0.3;
    options.faults.zero_byte = 0.3;
    for (int i = 0; i < 200; ++i) {
        const std::string path = "/?w=led&ee=" + std::to_string(i);
        EXPECT_EQ(demo_fault_for(options, "GET", "Search.Test", "http://search.test" + path),
                  demo_fault_for(options, "GET", "search.test", path));
        EXPECT_EQ(demo_request_key(options, "search.test", "http://search.test:80" + path),
                  demo_request_key(options, "search.test", path));
    }
}

TEST(DemoFaultChoice, StickyOrOnlyTheFirstAttempts) {
    DemoSiteOptions options;
    options.faults.reset = 1;
    struct {
        int fault_attempts;
        DemoFault on_attempt[4];
    } cases[] = {
        {0, {DemoFault::Reset, DemoFault::Reset, DemoFault::Reset, DemoFault::Reset}},
        {1, {DemoFault::Reset, DemoFault::None, DemoFault::None, DemoFault::None}},
        {2, {DemoFault::Reset, DemoFault::Reset, DemoFault::None, DemoFault::None}},
    };
    for (const auto& c : cases) {
        options.fault_attempts = c.fault_attempts;
        for (int attempt = 1; attempt <= 4; ++attempt)
            EXPECT_EQ(demo_fault_on_attempt(options, "GET", "h", "/", attempt), c.on_attempt[attempt - 1])
                << c.fault_attempts << " attempt " << attempt;
    }
}

TEST(DemoFaultChoice, TheSiteCountsAttemptsPerRequest) {
    DemoSiteOptions options;
    options.faults.reset = 1;
    options.fault_attempts = 2;
    DemoSite site(options);
    ASSERT_TRUE(site.start());
    for (const char* target : {"/a", "/b"}) {
        SCOPED_TRACE(target);
        for (int attempt = 1; attempt <= 2; ++attempt) {
            int error = 0;
            EXPECT_EQ(fetch_raw(site.port(), target, &error), "");
            EXPECT_EQ(error, ECONNRESET);
        }
        EXPECT_EQ(fetch_raw(site.port(), target).substr(0, 12), "HTTP/1.1 404");  // answered at last
    }
}

TEST(DemoFaultChoice, HugeBodyIsStreamedInFull) {
    DemoSiteOptions options;
    options.faults.huge_body = 1;
    options.huge_body_bytes = 3 << 20;
    DemoSite site(options);
    ASSERT_TRUE(site.start());
    const std::string response = fetch_raw(site.port(), "/");
    EXPECT_NE(response.find("Transfer-Encoding: chunked"), std::string::npos);
    EXPECT_GT(response.size(), static_cast<std::size_t>(options.huge_body_bytes));
    EXPECT_EQ(site.huge_body_bytes_sent(), options.huge_body_bytes);
}

TEST(DemoBodyDamage, LandsAtALineStart) {
    const DemoDirectory directory(3, 40);
    const std::string body = demo_first_answer(directory, GbkText("led"), GbkText(), 1);
    const std::vector<std::size_t> starts = line_starts(body);
    for (std::uint64_t key = 0; key < 50; ++key) {
        const std::size_t at = demo_damage_offset(key, body);
        EXPECT_NE(std::find(starts.begin(), starts.end(), at), starts.end());
        const std::string zero = demo_damaged_body(DemoFault::ZeroByte, key, body);
        EXPECT_EQ(zero, body.substr(0, at) + '\0' + body.substr(at));
        const std::string bad = demo_damaged_body(DemoFault::BadGbk, key, body);
        EXPECT_EQ(bad, body.substr(0, at) + "\x80\xFF\x81" + body.substr(at));
    }
    EXPECT_EQ(demo_damaged_body(DemoFault::Reset, 7, body), body);
    EXPECT_EQ(demo_damage_offset(7, ""), 0u);
}

// Zero bytes cut pages at line starts; what survives is what the prediction
// helpers say, read the way the harvester reads pages.
TEST(DemoBodyDamage, CompanyPageCutAtEveryLineGivesThePredictedFields) {
    const DemoDirectory directory(11, 60);
    for (const DemoCompany& company : directory.companies(gbk("阀门"), GbkText())) {
        const DemoCompanyPage page = directory.company_page(company.id);
        const std::string body = demo_company_page(page);
        for (std::size_t kept : line_starts(body)) {
            const DemoContacts read = testing::read_contacts_like_the_harvester(GbkText(body.substr(0, kept)));
            ASSERT_EQ(read, extracted_contacts(demo_company_page_before(page, kept)))
                << company.id.str() << " cut at " << kept;
        }
        // Invalid bytes at a line start cost nothing.
        for (std::uint64_t key = 0; key < 12; ++key) {
            const std::string bad = demo_damaged_body(DemoFault::BadGbk, key, body);
            ASSERT_EQ(testing::read_contacts_like_the_harvester(bytes_to_gbk(ByteBuffer(bad))),
                      extracted_contacts(page))
                << company.id.str() << " key " << key;
        }
    }
}

std::vector<std::string> read_ids(const std::string& first, const std::string& second) {
    GbkText text = text_between(bytes_to_gbk(ByteBuffer(first)), gbk("发发在线"), gbk("来澜驿做生意")) +
                   bytes_to_gbk(ByteBuffer(second));
    std::vector<std::string> ids;
    for (const GbkText& block : gbk_split(text, gbk("成立时间"))) {
        GbkText name = text_between(block, GbkText(";\" target=\"_blank\" title=\""), GbkText("\" >"));
        GbkText id = text_between(block, GbkText("exposurelog=\""), GbkText("\" href"));
        if (!name.empty() && !id.empty()) ids.push_back(id.str());
    }
    return ids;
}

std::vector<std::string> ids_of(const std::vector<DemoCompany>& companies) {
    std::vector<std::string> ids;
    for (const DemoCompany& c : companies) ids.push_back(c.id.str());
    return ids;
}

TEST(DemoBodyDamage, ResultPageCutAtEveryLineGivesThePredictedCompanies) {
    const DemoDirectory directory(5, 35);  // a full page and a short one
    const GbkText keyword("led"), region = gbk("广东省");
    for (int p = 1; p <= 2; ++p) {
        SCOPED_TRACE(p);
        const std::string first = demo_first_answer(directory, keyword, region, p);
        const std::string second = demo_second_answer(directory, keyword, region, p);
        for (std::size_t kept : line_starts(first))
            ASSERT_EQ(read_ids(first.substr(0, kept), second),
                      ids_of(demo_page_companies_before(directory, keyword, region, p, kept, second.size())))
                << "first answer cut at " << kept;
        for (std::size_t kept : line_starts(second))
            ASSERT_EQ(read_ids(first, second.substr(0, kept)),
                      ids_of(demo_page_companies_before(directory, keyword, region, p, first.size(), kept)))
                << "second answer cut at " << kept;
        for (std::uint64_t key = 0; key < 12; ++key)
            ASSERT_EQ(read_ids(demo_damaged_body(DemoFault::BadGbk, key, first),
                               demo_damaged_body(DemoFault::BadGbk, key, second)),
                      ids_of(directory.page(keyword, region, p)));
    }
}

}  // namespace
}  // namespace lanyi
