#include "fetch/curl_transfer.h"

#include "fetch/request_headers.h"
#include "fetch/url.h"
#include "text/text_ops.h"

namespace lanyi {

namespace {

bool is_host_byte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

// A blank text (only ASCII or full-width spaces) counts as absent.
std::string unless_blank(const GbkText& text) {
    return gbk_is_blank(text) ? std::string() : text.str();
}

std::string trim_ascii_spaces(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace

std::string curl_url_for(const GbkText& url) {
    GbkText host = url_host(url);
    int port = url_port(url);
    GbkText path = url_path(url);
    if (host.empty() || port < 1 || port > 65535) return {};
    for (unsigned char c : host.view())
        if (!is_host_byte(c)) return {};
    std::string out = "http://";
    out += host.view();
    out += ':';
    out += std::to_string(port);
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : path.view()) {
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::unique_ptr<CurlTransfer> CurlTransfer::create(const RequestRecord& record, const CookieJar& cookies,
                                                   CURL* spare) {
    std::unique_ptr<CurlTransfer> transfer(new CurlTransfer);
    transfer->easy_ = spare;  // owned from here, whatever setup() makes of it
    if (!transfer->setup(record, cookies)) return nullptr;
    return transfer;
}

CurlTransfer::~CurlTransfer() {
    if (easy_) curl_easy_cleanup(easy_);
    curl_slist_free_all(header_lines_);
}

CURL* CurlTransfer::release_easy() {
    CURL* easy = easy_;
    easy_ = nullptr;
    if (easy) curl_easy_reset(easy);
    return easy;
}

bool CurlTransfer::setup(const RequestRecord& record, const CookieJar& cookies) {
    if (!record.has_magic()) return false;
    std::optional<HttpVerb> verb = parse_verb(record.verb);
    if (!verb) return false;
    verb_ = *verb;
    url_ = curl_url_for(record.url);
    if (url_.empty()) return false;

    // Header text: cut into lines at LF (a CR before it dropped), so no line
    // can smuggle a line break into the request.
    GbkText text = build_request_headers(record.extra_headers, record.url, *verb, record.post_data);
    std::string_view rest = text.view();
    while (!rest.empty()) {
        std::size_t lf = rest.find('\n');
        std::string_view line = rest.substr(0, lf);
        rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find('\r') != std::string_view::npos || line.empty()) continue;
        curl_slist* grown = curl_slist_append(header_lines_, std::string(line).c_str());
        if (!grown) return false;
        header_lines_ = grown;
    }
    // No "Expect: 100-continue" pause before a POST body.
    curl_slist* grown = curl_slist_append(header_lines_, "Expect:");
    if (!grown) return false;
    header_lines_ = grown;

    const bool fresh_handle = easy_ == nullptr;
    if (fresh_handle) easy_ = curl_easy_init();
    if (!easy_) return false;
    proxy_ = trim_ascii_spaces(unless_blank(record.proxy));
    if (!proxy_.empty()) proxy_ = "http://" + proxy_;
    user_name_ = unless_blank(record.user_name);
    password_ = unless_blank(record.password);
    post_data_ = record.post_data.str();

    bool ok = true;
    auto set = [&](CURLoption option, auto value) { ok = ok && curl_easy_setopt(easy_, option, value) == CURLE_OK; };
    set(CURLOPT_URL, url_.c_str());
    set(CURLOPT_PRIVATE, static_cast<void*>(this));
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_PROTOCOLS_STR, "http");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http");
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_USERAGENT, kUserAgent.data());
    set(CURLOPT_HTTPHEADER, header_lines_);
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, 20L);
    bool cookies_ok = true;
    lent_cookies_ = cookies.lend(easy_, url_host(record.url).view(), fresh_handle, cookies_ok);
    ok = ok && cookies_ok;
    // An empty proxy also keeps libcurl from taking one from the environment.
    set(CURLOPT_PROXY, proxy_.c_str());
    if (!user_name_.empty()) set(CURLOPT_USERNAME, user_name_.c_str());
    if (!password_.empty()) set(CURLOPT_PASSWORD, password_.c_str());
    set(CURLOPT_WRITEFUNCTION, &CurlTransfer::on_body);
    set(CURLOPT_WRITEDATA, static_cast<void*>(this));
    set(CURLOPT_HEADERFUNCTION, &CurlTransfer::on_header);
    set(CURLOPT_HEADERDATA, static_cast<void*>(this));
    // A declared length over the limit fails before any body byte is read;
    // the write callback stops the others.
    set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxBodyBytes));
    if (*verb == HttpVerb::Post) {
        set(CURLOPT_POST, 1L);
        set(CURLOPT_POSTFIELDSIZE, static_cast<long>(post_data_.size()));
        set(CURLOPT_POSTFIELDS, post_data_.c_str());
    } else {
        set(CURLOPT_HTTPGET, 1L);
    }
    return ok;
}

std::size_t CurlTransfer::on_body(char* data, std::size_t size, std::size_t count, void* self) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    const std::size_t bytes = size * count;
    // Returning less than was handed over aborts the transfer at once.
    if (bytes > kMaxBodyBytes - transfer->body_.size()) return 0;
    transfer->body_.append(data, bytes);
    return bytes;
}

std::size_t CurlTransfer::on_header(char* data, std::size_t size, std::size_t count, void* self) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    std::string_view line(data, size * count);
    // Each response (a redirect, an interim 100, the final one) starts with
    // its status line; only the last block is kept.
    if (line.substr(0, 5) == "HTTP/") transfer->headers_.clear();
    if (line.size() > kMaxHeaderBytes - transfer->headers_.size()) return 0;
    transfer->headers_.append(line);
    return size * count;
}

bool CurlTransfer::worth_retrying(CURLcode result) const {
    switch (result) {
    case CURLE_COULDNT_CONNECT:
        return true;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
        return verb_ == HttpVerb::Get;
    default:
        return false;
    }
}

ByteBuffer CurlTransfer::reply(CURLcode result) const {
    if (result != CURLE_OK) return {};
    return encode_reply_record(GbkText(headers_), body_);
}

}  // namespace lanyi
