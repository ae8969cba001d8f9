// Splitting an absolute "http://" URL into host, path and port by plain text
// search. Never fails: a malformed URL yields odd pieces. Pure functions.
#pragma once

#include "text/gbk_text.h"

namespace lanyi {

inline constexpr int kUrlKeepPort = 1;

// The host, lower-case; with ":" and the port when flags has kUrlKeepPort.
GbkText url_host(const GbkText& url, int flags = 0);
// From the first "/" after the host to the end (query included), or "/".
GbkText url_path(const GbkText& url);
// The port, 80 when the URL names none.
int url_port(const GbkText& url);

}  // namespace lanyi
