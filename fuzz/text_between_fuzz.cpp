// text_between against its rules, written with naive searches: the result is
// the piece of the text between the first start marker and the first end
// marker after it, or empty; url_encode decodes back to its input.
#include <cctype>

#include "fuzz_input.h"
#include "naive_text.h"
#include "text/extract.h"
#include "text/text_ops.h"

using namespace lanyi;
using namespace lanyi::fuzzing;

namespace {

const std::string kQuote = "#\xD2\xFD\xBA\xC5";  // "#引号" in GBK

std::string naive_between(std::string_view t, std::string_view open_marker, std::string_view close_marker,
                          std::int64_t start, bool case_sensitive) {
    const std::string open = naive_replace(open_marker, kQuote, "\"", 1, -1, true);
    const std::string close = naive_replace(close_marker, kQuote, "\"", 1, -1, true);
    std::int64_t p = naive_find(t, open, start, !case_sensitive);
    if (p == -1) return {};
    p += static_cast<std::int64_t>(open.size());
    std::int64_t q = naive_find(t, close, p, !case_sensitive);
    if (q == -1) return {};
    return naive_mid(t, p, q - p);
}

int hex(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const int start = in.number();
    const bool case_sensitive = in.flag();
    const bool pass_through = in.flag();
    const GbkText open = in.text();
    const GbkText close = in.text();
    const GbkText text = in.text();

    const GbkText piece = text_between(text, open, close, start, case_sensitive);
    check(piece.str() == naive_between(text.view(), open.view(), close.view(), start, case_sensitive),
          "text_between vs naive");
    check(piece.empty() || text.view().find(piece.view()) != std::string_view::npos, "piece of the text");
    // The default form the parsers use.
    check(text_between(text, open, close).str() == naive_between(text.view(), open.view(), close.view(), 1, false),
          "text_between default");

    const GbkText encoded = url_encode(text, pass_through);
    std::string decoded;
    const std::string_view e = encoded.view();
    for (std::size_t i = 0; i < e.size(); ++i) {
        const auto b = static_cast<unsigned char>(e[i]);
        check(b > 0x20 && b < 0x7F, "url_encode gives ASCII");
        if (e[i] == '%') {
            check(i + 2 < e.size() && std::isxdigit(static_cast<unsigned char>(e[i + 1])) &&
                      std::isxdigit(static_cast<unsigned char>(e[i + 2])),
                  "escape form");
            decoded += static_cast<char>(hex(e[i + 1]) * 16 + hex(e[i + 2]));
            i += 2;
        } else {
            check(pass_through && (std::isalnum(b) || b == '-' || b == '.'), "passed through only when allowed");
            decoded += e[i];
        }
    }
    check(decoded == text.str(), "url_encode decodes back");
    check_no_zero(url_encode(text, pass_through, true), "url_encode utf8");
    return 0;
}
