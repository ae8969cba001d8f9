// CookieJar: the cookies kept between transfers, filed by the domain they
// belong to.
//
// libcurl's cookie engine does all the cookie work inside one transfer: it
// reads Set-Cookie lines, checks domain, path, expiry and the secure flag, and
// writes the Cookie line. The jar only carries cookies from one transfer to
// the next: before a transfer it lends the easy handle the cookies filed
// under the request's host, and those of its parent domains that go to
// subdomains too; when the transfer ends it files what the handle's engine
// holds then (new, changed and removed cookies). A lookup costs a few map
// probes, one per label of the host name. (A redirect to another host within
// one transfer carries only the cookies lent for the first host and those
// set on the way.) (libcurl's shared store files every cookie under the top domain
// and walks that one list on every request and every Set-Cookie; with a host
// per company, that made a harvest quadratic.)
//
// Transfers to one host may overlap: collecting one transfer changes only
// the cookies it set, changed or removed, so it never undoes another's.
//
// Not thread-safe: the network thread alone uses it.
#pragma once

#include <curl/curl.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lanyi {

class CookieJar {
public:
    // Cookies in libcurl's one-line form (tab-separated fields: domain,
    // subdomains flag, path, secure flag, expiry, name, value).
    using Lines = std::vector<std::string>;

    // Turns on the cookie engine of an easy handle, empties it, and loads it
    // with the cookies that may apply to `host`. `fresh_handle`: the handle
    // was never lent to before (its engine is still off). Returns the lines
    // it loaded, for collect(). False in `ok` when libcurl refused an option.
    Lines lend(CURL* easy, std::string_view host, bool fresh_handle, bool& ok) const;

    // Files the cookies `easy` holds at the end of its transfer; `lent` is
    // what lend() returned for it.
    void collect(CURL* easy, const Lines& lent);

    std::size_t size() const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    // domain (lower case, no leading dot) -> its cookies
    std::unordered_map<std::string, Lines, Hash, std::equal_to<>> by_domain_;
};

}  // namespace lanyi
