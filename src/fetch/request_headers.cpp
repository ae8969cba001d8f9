#include "fetch/request_headers.h"

#include "text/text_ops.h"

namespace lanyi {

std::optional<HttpVerb> parse_verb(const GbkText& verb) {
    if (verb.empty()) return HttpVerb::Get;
    GbkText upper = gbk_upper(verb);
    if (upper.view() == "GET") return HttpVerb::Get;
    if (upper.view() == "POST") return HttpVerb::Post;
    return std::nullopt;
}

namespace {

void add_unless_named(GbkText& headers, const GbkText& name, const GbkText& line) {
    if (gbk_find(headers, name, 1, true) == -1) headers = headers + line;
}

}  // namespace

GbkText build_request_headers(const GbkText& extra_headers, const GbkText& url, HttpVerb verb,
                              const GbkText& post_data) {
    GbkText headers = extra_headers;
    add_unless_named(headers, GbkText("Accept: "),
                     GbkText("Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
                             "application/x-shockwave-flash, application/vnd.ms-excel, "
                             "application/vnd.ms-powerpoint, application/msword, */*\r\n"));
    add_unless_named(headers, GbkText("Referer: "), gbk_concat(GbkText("Referer: "), url, GbkText("\r\n")));
    add_unless_named(headers, GbkText("Accept-Language: "), GbkText("Accept-Language: zh-cn\r\n"));
    if (verb == HttpVerb::Post && !post_data.empty()) {
        add_unless_named(headers, GbkText("Content-Type: "),
                         GbkText("Content-Type: application/x-www-form-urlencoded\r\n"));
        headers = gbk_concat(headers, GbkText("Content-Length: "),
                             int_to_gbk(static_cast<std::int64_t>(post_data.size())), GbkText("\r\n"));
    }
    return headers;
}

}  // namespace lanyi
