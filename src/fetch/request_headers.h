// The request line choices and header text a fetch sends, decided before any
// byte goes out. Pure functions, callable from any thread.
#pragma once

#include <optional>
#include <string_view>

#include "text/gbk_text.h"

namespace lanyi {

inline constexpr std::string_view kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

enum class HttpVerb { Get, Post };

// Empty or "GET" in any letter case: Get; "POST" in any case: Post; anything
// else: none (the fetch fails without sending).
std::optional<HttpVerb> parse_verb(const GbkText& verb);

// extra_headers followed by the default lines, each added only when its name
// is absent from the text so far (ASCII case ignored): Accept, Referer (the
// URL), Accept-Language; for a POST with data also Content-Type (when absent)
// and Content-Length (always).
GbkText build_request_headers(const GbkText& extra_headers, const GbkText& url, HttpVerb verb,
                              const GbkText& post_data);

}  // namespace lanyi
