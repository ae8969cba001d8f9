#include "fetch/url.h"

#include <gtest/gtest.h>

#include "text/code_page.h"
#include "../text/gbk_printer.h"

namespace lanyi {
namespace {

struct UrlCase {
    GbkText url;
    const char* host;
    const char* host_and_port;
    const char* path;
    int port;
};

class UrlSplit : public testing::TestWithParam<UrlCase> {};

TEST_P(UrlSplit, CutsHostPathAndPort) {
    const UrlCase& c = GetParam();
    EXPECT_EQ(url_host(c.url), GbkText(c.host));
    EXPECT_EQ(url_host(c.url, kUrlKeepPort), GbkText(c.host_and_port));
    EXPECT_EQ(url_path(c.url), GbkText(c.path));
    EXPECT_EQ(url_port(c.url), c.port);
}

UrlCase ascii(const char* url, const char* host, const char* host_and_port, const char* path, int port) {
    return {GbkText(url), host, host_and_port, path, port};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlSplit,
    testing::Values(
        ascii("http://Company123.site.com/shop/company.html", "company123.site.com", "company123.site.com",
              "/shop/company.html", 80),
        ascii("http://s.site.com/?w=%D6%D0&z=1", "s.site.com", "s.site.com", "/?w=%D6%D0&z=1", 80),
        ascii("http://WWW.Site.COM/Shop/A.html", "www.site.com", "www.site.com", "/Shop/A.html", 80),
        ascii("http://h.com:8080/x", "h.com", "h.com:8080", "/x", 8080),
        ascii("http://h.com:8080.9/x", "h.com", "h.com:8080.9", "/x", 8080),
        ascii("http://h.com", "h.com", "h.com", "/", 80),
        ascii("http://h.com?q=1", "h.com?q=1", "h.com?q=1", "/", 80),
        ascii("http://h.com:/x", "h.com", "h.com:", "/x", 0),
        ascii("http://h.com:99999999999/", "h.com", "h.com:99999999999", "/", 2147483647),
        // Other or capitalised schemes are not recognised: the host starts at 1.
        ascii("HTTP://h.com/x", "http", "http:", "//h.com/x", 0),
        ascii("ftp://h.com/x", "ftp", "ftp:", "//h.com/x", 0),
        // User information is not recognised either.
        ascii("http://user:pw@h.com/x", "user", "user:pw@h.com", "/x", 0),
        // The path begins after the host even when the host's name also
        // occurs earlier in the URL.
        ascii("http://ttp/x", "ttp", "ttp", "/x", 80),
        ascii("http:///x", "", "", "/x", 80),
        ascii("x/http://x/y", "x", "x", "/y", 80),
        ascii("", "", "", "/", 80), ascii("http://", "", "", "/", 80),
        UrlCase{gbk("http://中文.COM/路径"), "\xD6\xD0\xCE\xC4.com", "\xD6\xD0\xCE\xC4.com",
                "/\xC2\xB7\xBE\xB6", 80}));

}  // namespace
}  // namespace lanyi
