#include "fetch/cookie_jar.h"

#include <algorithm>
#include <charconv>
#include <ctime>

namespace lanyi {

namespace {

constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lower_ascii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lower(x) == lower(y);
           });
}

// The fields of one cookie line, as views into it.
struct CookieFields {
    std::string_view domain;      // without "#HttpOnly_" and leading dots
    std::string_view subdomains;  // "TRUE" or "FALSE"
    std::string_view path;
    std::string_view name;
    long long expires = 0;  // seconds since the epoch; 0 for a session cookie

    // A later cookie with the same domain, reach, path and name replaces it.
    bool same_cookie(const CookieFields& other) const {
        return name == other.name && path == other.path && subdomains == other.subdomains &&
               equal_ignoring_case(domain, other.domain);
    }
};

// False for a line that does not have the seven fields.
bool parse(std::string_view line, CookieFields& fields) {
    std::string_view field[6];
    for (std::string_view& f : field) {
        std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) return false;
        f = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    std::string_view domain = field[0];
    if (domain.substr(0, kHttpOnlyPrefix.size()) == kHttpOnlyPrefix) domain.remove_prefix(kHttpOnlyPrefix.size());
    while (!domain.empty() && domain.front() == '.') domain.remove_prefix(1);
    fields.domain = domain;
    fields.subdomains = field[1];
    fields.path = field[2];
    fields.expires = 0;
    std::from_chars(field[4].data(), field[4].data() + field[4].size(), fields.expires);
    fields.name = field[5];
    return true;
}

}  // namespace

CookieJar::Lines CookieJar::lend(CURL* easy, std::string_view host, bool fresh_handle, bool& ok) const {
    // Any cookie line turns the engine on (it stays on through
    // curl_easy_reset) and "ALL" then empties it, of an earlier transfer's
    // cookies too when the handle is used again. (CURLOPT_COOKIEFILE "" would
    // turn it on as well, but this libcurl leaks its file list at every reset.)
    ok = !fresh_handle ||
         curl_easy_setopt(easy, CURLOPT_COOKIELIST, "engine.invalid\tFALSE\t/\tFALSE\t0\ton\t1") == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL") == CURLE_OK;
    Lines lent;
    const std::string name = lower_ascii(host);
    CookieFields fields;
    for (std::string_view domain = name;;) {
        auto found = by_domain_.find(domain);
        if (found != by_domain_.end()) {
            for (const std::string& line : found->second) {
                // A parent domain's host-only cookies are not this host's.
                if (domain.size() != name.size() && (!parse(line, fields) || fields.subdomains != "TRUE")) continue;
                ok = ok && curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.c_str()) == CURLE_OK;
                lent.push_back(line);
            }
        }
        std::size_t dot = domain.find('.');
        if (dot == std::string_view::npos) break;
        domain.remove_prefix(dot + 1);
    }
    return lent;
}

void CookieJar::collect(CURL* easy, const Lines& lent) {
    curl_slist* list = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list) != CURLE_OK) return;

    const long long now = static_cast<long long>(std::time(nullptr));
    std::vector<CookieFields> still_held;
    CookieFields fields, filed_fields;
    for (curl_slist* item = list; item; item = item->next) {
        const std::string_view line = item->data;
        // A cookie the server expired is only removed at the engine's next
        // lookup; here it counts as removed.
        if (!parse(line, fields) || (fields.expires != 0 && fields.expires <= now)) continue;
        still_held.push_back(fields);
        // Lent and unchanged: a value another transfer filed meanwhile stays.
        if (std::find(lent.begin(), lent.end(), line) != lent.end()) continue;
        auto bucket = by_domain_.find(lower_ascii(fields.domain));
        if (bucket == by_domain_.end()) bucket = by_domain_.emplace(lower_ascii(fields.domain), Lines{}).first;
        Lines& lines = bucket->second;
        auto same = std::find_if(lines.begin(), lines.end(), [&](const std::string& filed) {
            return parse(filed, filed_fields) && filed_fields.same_cookie(fields);
        });
        if (same != lines.end())
            *same = line;
        else
            lines.emplace_back(line);
    }
    // Removed or expired during the transfer: dropped, unless another
    // transfer has filed a new value since.
    for (const std::string& line : lent) {
        if (!parse(line, fields)) continue;
        if (std::any_of(still_held.begin(), still_held.end(),
                        [&](const CookieFields& held) { return held.same_cookie(fields); }))
            continue;
        auto bucket = by_domain_.find(lower_ascii(fields.domain));
        if (bucket == by_domain_.end()) continue;
        Lines& lines = bucket->second;
        lines.erase(std::remove(lines.begin(), lines.end(), line), lines.end());
        if (lines.empty()) by_domain_.erase(bucket);
    }
    // The views in still_held point into the list: freed last.
    still_held.clear();
    curl_slist_free_all(list);
}

std::size_t CookieJar::size() const {
    std::size_t count = 0;
    for (const auto& [domain, lines] : by_domain_) count += lines.size();
    return count;
}

}  // namespace lanyi
