#include "fetch/cookie_jar.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <unordered_set>

namespace lanyi {

namespace {

constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";

std::string lower_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// What files a cookie line: its domain key, and the fields that name the
// cookie (a later cookie with the same ones replaces it).
struct Filing {
    std::string key;
    std::string identity;
    long long expires = 0;  // seconds since the epoch; 0 for a session cookie
};

// False for a line that does not have the seven fields.
bool filing_of(std::string_view line, Filing& filing) {
    std::string_view field[7];
    for (int i = 0; i < 6; ++i) {
        std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) return false;
        field[i] = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    field[6] = line;
    std::string_view domain = field[0];
    if (domain.substr(0, kHttpOnlyPrefix.size()) == kHttpOnlyPrefix) domain.remove_prefix(kHttpOnlyPrefix.size());
    while (!domain.empty() && domain.front() == '.') domain.remove_prefix(1);
    filing.expires = 0;
    std::from_chars(field[4].data(), field[4].data() + field[4].size(), filing.expires);
    filing.key = lower_ascii(domain);
    filing.identity = filing.key;
    for (int i : {1, 2, 5}) {
        filing.identity += '\t';
        filing.identity += field[i];
    }
    return true;
}

// The second field: whether the cookie also goes to the domain's subdomains.
bool for_subdomains(std::string_view line) {
    std::size_t tab = line.find('\t');
    return tab != std::string_view::npos && line.substr(tab + 1, 5) == "TRUE\t";
}

}  // namespace

CookieJar::Lines CookieJar::lend(CURL* easy, std::string_view host, bool& ok) const {
    // Any cookie line turns the engine on and "ALL" then empties it, of an
    // earlier transfer's cookies too when the handle is used again.
    // (CURLOPT_COOKIEFILE "" would turn it on as well, but this libcurl
    // leaks its file list at every curl_easy_reset().)
    ok = curl_easy_setopt(easy, CURLOPT_COOKIELIST, "engine.invalid\tFALSE\t/\tFALSE\t0\ton\t1") == CURLE_OK &&
         curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL") == CURLE_OK;
    Lines lent;
    const std::string name = lower_ascii(host);
    for (std::string_view domain = name;;) {
        auto found = by_domain_.find(std::string(domain));
        if (found != by_domain_.end()) {
            for (const std::string& line : found->second) {
                if (domain.size() != name.size() && !for_subdomains(line)) continue;
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
    Lines held;
    for (curl_slist* item = list; item; item = item->next) held.emplace_back(item->data);
    curl_slist_free_all(list);

    std::unordered_set<std::string> still_held;
    Filing filing;
    const long long now = static_cast<long long>(std::time(nullptr));
    for (const std::string& line : held) {
        if (!filing_of(line, filing)) continue;
        // A cookie the server expired is only removed at the engine's next
        // lookup; here it counts as removed.
        if (filing.expires != 0 && filing.expires <= now) continue;
        still_held.insert(filing.identity);
        // Lent and unchanged: a value another transfer filed meanwhile stays.
        if (std::find(lent.begin(), lent.end(), line) != lent.end()) continue;
        Lines& bucket = by_domain_[filing.key];
        Filing other;
        auto same = std::find_if(bucket.begin(), bucket.end(), [&](const std::string& filed) {
            return filing_of(filed, other) && other.identity == filing.identity;
        });
        if (same != bucket.end())
            *same = line;
        else
            bucket.push_back(line);
    }
    // Removed or expired during the transfer: dropped, unless another
    // transfer has filed a new value since.
    for (const std::string& line : lent) {
        if (!filing_of(line, filing) || still_held.count(filing.identity)) continue;
        auto bucket = by_domain_.find(filing.key);
        if (bucket == by_domain_.end()) continue;
        Lines& lines = bucket->second;
        lines.erase(std::remove(lines.begin(), lines.end(), line), lines.end());
        if (lines.empty()) by_domain_.erase(bucket);
    }
}

std::size_t CookieJar::size() const {
    std::size_t count = 0;
    for (const auto& [domain, lines] : by_domain_) count += lines.size();
    return count;
}

}  // namespace lanyi
