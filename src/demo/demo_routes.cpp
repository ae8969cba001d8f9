#include "demo/demo_routes.h"

#include <cstdlib>

#include "demo/demo_pages.h"

namespace lanyi {

namespace {

std::string lower_host(std::string_view host) {
    if (std::size_t colon = host.find(':'); colon != std::string_view::npos) host = host.substr(0, colon);
    std::string out(host);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percent_decode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
            hex_value(text[i + 2]) >= 0) {
            out += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i], b = prefix[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

}  // namespace

DemoTarget demo_parse_target(std::string_view target, std::string_view host_header) {
    DemoTarget out;
    std::string_view rest = target;
    if (starts_with_ignoring_case(target, "http://")) {
        rest = target.substr(7);
        std::size_t end = rest.find_first_of("/?");
        out.host = lower_host(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    } else {
        out.host = lower_host(host_header);
    }
    std::size_t question = rest.find('?');
    out.path = std::string(rest.substr(0, question));
    if (out.path.empty()) out.path.assign(1, '/');
    if (question != std::string_view::npos) out.query = std::string(rest.substr(question + 1));
    return out;
}

std::optional<std::string> demo_query_value(std::string_view query, std::string_view key) {
    while (!query.empty()) {
        std::size_t amp = query.find('&');
        std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) != key) continue;
        return equals == std::string_view::npos ? std::string() : percent_decode(pair.substr(equals + 1));
    }
    return std::nullopt;
}

DemoAnswer demo_answer(const DemoDirectory& directory, const DemoTarget& target) {
    if (target.path == "/shop/company.html") {
        GbkText id(target.host.substr(0, target.host.find('.')));
        if (!directory.is_company_id(id)) return {404, demo_not_found_page()};
        return {200, demo_company_page(directory.company_page(id))};
    }
    if (target.path != "/") return {404, demo_not_found_page()};

    std::optional<std::string> keyword = demo_query_value(target.query, "w");
    if (!keyword) return {200, demo_home_page()};
    static const GbkText china = gbk("中国:");
    std::string region = demo_query_value(target.query, "z").value_or("");
    if (region.compare(0, china.size(), china.str()) == 0) region.erase(0, china.size());
    GbkText key(*keyword), place(region);

    std::optional<std::string> page = demo_query_value(target.query, "ee");
    if (!page) return {200, demo_search_answer(directory, key, place)};
    long number = std::strtol(page->c_str(), nullptr, 10);
    int p = number < 0 || number > DemoDirectory::kMaxCompanies ? 0 : static_cast<int>(number);
    if (demo_query_value(target.query, "af") == std::optional<std::string>("3"))
        return {200, demo_second_answer(directory, key, place, p)};
    return {200, demo_first_answer(directory, key, place, p)};
}

}  // namespace lanyi
