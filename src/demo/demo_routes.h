// What the demo site answers to one request: which page, for which host,
// path and query. Pure functions; safe from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "demo/demo_directory.h"

namespace lanyi {

struct DemoTarget {
    std::string host;   // lower-case, without port
    std::string path;   // without the query
    std::string query;  // after "?", still percent-encoded
};

// Splits a request target, origin-form ("/path?q") or absolute-form
// ("http://host/path?q"); the host comes from the Host header for the former.
DemoTarget demo_parse_target(std::string_view target, std::string_view host_header);

// The percent-decoded value of the first `key` in a query; none when absent.
std::optional<std::string> demo_query_value(std::string_view query, std::string_view key);

struct DemoAnswer {
    int status = 200;
    std::string body;  // GBK
};

DemoAnswer demo_answer(const DemoDirectory& directory, const DemoTarget& target);

}  // namespace lanyi
