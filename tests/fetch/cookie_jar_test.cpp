#include "fetch/cookie_jar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace lanyi {
namespace {

// A transfer without the network: an easy handle whose cookie engine is
// given cookies the way a response would give them.
class Transfer {
public:
    Transfer(const CookieJar& jar, const std::string& host) : easy_(curl_easy_init(), &curl_easy_cleanup) {
        bool ok = false;
        lent_ = jar.lend(easy_.get(), host, true, ok);
        EXPECT_TRUE(ok);
    }
    // Sets (or, with an expiry in the past, removes) a cookie.
    void receive(const std::string& line) {
        ASSERT_EQ(curl_easy_setopt(easy_.get(), CURLOPT_COOKIELIST, line.c_str()), CURLE_OK);
    }
    void end(CookieJar& jar) { jar.collect(easy_.get(), lent_); }

    // "name=value" of every cookie the jar lent, sorted.
    std::vector<std::string> lent() const {
        std::vector<std::string> cookies;
        for (const std::string& line : lent_) {
            std::size_t name = 0;
            for (int tabs = 0; tabs < 5; ++tabs) name = line.find('\t', name) + 1;
            std::string pair = line.substr(name);
            pair[pair.find('\t')] = '=';
            cookies.push_back(pair);
        }
        std::sort(cookies.begin(), cookies.end());
        return cookies;
    }

private:
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy_;
    CookieJar::Lines lent_;
};

std::string host_only(const std::string& host, const std::string& name, const std::string& value,
                      const std::string& expires = "0") {
    return host + "\tFALSE\t/\tFALSE\t" + expires + "\t" + name + "\t" + value;
}

std::string for_subdomains(const std::string& domain, const std::string& name, const std::string& value) {
    return "." + domain + "\tTRUE\t/\tFALSE\t0\t" + name + "\t" + value;
}

using Cookies = std::vector<std::string>;

TEST(CookieJar, LendsTheCookiesOfTheHostAndOfItsParentDomains) {
    CookieJar jar;
    Transfer setting(jar, "a.shop.test");
    setting.receive(host_only("a.shop.test", "sid", "1"));
    setting.receive(for_subdomains("shop.test", "region", "gz"));
    setting.receive(host_only("other.test", "x", "9"));
    setting.end(jar);
    EXPECT_EQ(jar.size(), 3u);

    struct {
        const char* host;
        Cookies lent;
    } cases[] = {
        {"a.shop.test", {"region=gz", "sid=1"}},
        {"A.Shop.TEST", {"region=gz", "sid=1"}},
        {"b.shop.test", {"region=gz"}},
        {"shop.test", {"region=gz"}},
        {"other.test", {"x=9"}},
        {"x.other.test", {}},
        {"test", {}},
        {"127.0.0.1", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Transfer(jar, c.host).lent(), c.lent) << c.host;
}

TEST(CookieJar, OverlappingTransfersKeepEachOthersChanges) {
    CookieJar jar;
    Transfer first(jar, "a.shop.test");
    first.receive(host_only("a.shop.test", "sid", "1"));
    first.receive(host_only("a.shop.test", "seen", "yes"));
    first.end(jar);

    // Both start with sid=1 and seen=yes.
    Transfer renews(jar, "a.shop.test");
    Transfer removes(jar, "a.shop.test");
    renews.receive(host_only("a.shop.test", "sid", "2"));
    removes.receive(host_only("a.shop.test", "seen", "", "1"));  // expired: removed
    renews.end(jar);
    removes.end(jar);  // still holds sid=1, unchanged: must not undo sid=2

    EXPECT_EQ(Transfer(jar, "a.shop.test").lent(), (Cookies{"sid=2"}));
}

TEST(CookieJar, ARemovalDoesNotUndoANewerValue) {
    CookieJar jar;
    Transfer first(jar, "a.shop.test");
    first.receive(host_only("a.shop.test", "sid", "1"));
    first.end(jar);

    Transfer removes(jar, "a.shop.test");
    Transfer renews(jar, "a.shop.test");
    removes.receive(host_only("a.shop.test", "sid", "", "1"));
    renews.receive(host_only("a.shop.test", "sid", "3"));
    renews.end(jar);
    removes.end(jar);

    EXPECT_EQ(Transfer(jar, "a.shop.test").lent(), (Cookies{"sid=3"}));
    EXPECT_EQ(jar.size(), 1u);
}

TEST(CookieJar, AHostWithManyNeighboursIsLentOnlyItsOwn) {
    CookieJar jar;
    for (int i = 0; i < 1000; ++i) {
        std::string host = "c" + std::to_string(i) + ".shop.test";
        Transfer company(jar, host);
        EXPECT_TRUE(company.lent().empty());
        company.receive(host_only(host, "sid", std::to_string(i)));
        company.end(jar);
    }
    EXPECT_EQ(jar.size(), 1000u);
    EXPECT_EQ(Transfer(jar, "c417.shop.test").lent(), (Cookies{"sid=417"}));
}

}  // namespace
}  // namespace lanyi
