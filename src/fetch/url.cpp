#include "fetch/url.h"

#include <climits>

#include "text/text_ops.h"

namespace lanyi {

namespace {

struct HostSpan {
    int start;  // 1-based position of the host's first byte
    int slash;  // position of the first "/" at or after start, or -1
};

HostSpan find_host(const GbkText& url) {
    static const GbkText kScheme("http://");
    static const GbkText kSlash("/");
    int s = gbk_find(url, kScheme, 1, false);
    int start = s == -1 ? 1 : s + 7;
    return {start, gbk_find(url, kSlash, start, false)};
}

}  // namespace

GbkText url_host(const GbkText& url, int flags) {
    static const GbkText kColon(":");
    HostSpan span = find_host(url);
    GbkText host = span.slash == -1 ? gbk_mid(url, span.start, INT_MAX)
                                    : gbk_mid(url, span.start, span.slash - span.start);
    if (!(flags & kUrlKeepPort)) {
        int colon = gbk_find(host, kColon, 1, false);
        if (colon != -1) host = gbk_left(host, colon - 1);
    }
    return gbk_lower(host);
}

GbkText url_path(const GbkText& url) {
    // The path starts at the "/" that ends the host. Looking the host up again
    // by its text could land inside the scheme ("http://ttp/x") or on an
    // earlier copy of the name, so the host's own position is used.
    HostSpan span = find_host(url);
    if (span.slash == -1) return GbkText("/");
    return gbk_mid(url, span.slash, INT_MAX);
}

int url_port(const GbkText& url) {
    static const GbkText kColon(":");
    GbkText host_port = url_host(url, kUrlKeepPort);
    int colon = gbk_find(host_port, kColon, 1, false);
    if (colon == -1) return 80;
    return real_to_int(gbk_to_number(gbk_mid(host_port, colon + 1, INT_MAX)));
}

}  // namespace lanyi
