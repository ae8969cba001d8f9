#include "text/extract.h"

#include <string>
#include <string_view>

#include "text/code_page.h"
#include "text/text_ops.h"

namespace lanyi {

namespace {

// "#引号" in GBK.
constexpr std::string_view kQuotePlaceholder = "#\xD2\xFD\xBA\xC5";

GbkText with_quotes(const GbkText& marker) {
    if (marker.view().find(kQuotePlaceholder) == std::string_view::npos) return marker;
    return gbk_replace(marker, GbkText(kQuotePlaceholder), GbkText("\""), 1, kAll, true);
}

}  // namespace

GbkText text_between(const GbkText& text, const GbkText& start_marker, const GbkText& end_marker,
                     int start, bool case_sensitive) {
    const GbkText open = with_quotes(start_marker);
    const GbkText close = with_quotes(end_marker);
    const bool ignore_case = !case_sensitive;
    int p = gbk_find(text, open, start, ignore_case);
    if (p == -1) return {};
    p += gbk_length(open);  // found, so p stays within length + 1
    int q = gbk_find(text, close, p, ignore_case);
    if (q == -1) return {};
    return gbk_mid(text, p, q - p);
}

GbkText url_encode(const GbkText& text, bool pass_through, bool as_utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string utf8;
    std::string_view bytes = text.view();
    if (as_utf8) {
        utf8 = gbk_to_utf8(text);
        bytes = utf8;
    }
    std::string out(bytes.size() * 3, '\0');
    char* end = out.data();
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        bool plain = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                     b == '-' || b == '.';
        if (pass_through && plain) {
            *end++ = c;
        } else {
            end[0] = '%';
            end[1] = kHex[b >> 4];
            end[2] = kHex[b & 0x0F];
            end += 3;
        }
    }
    out.resize(static_cast<std::size_t>(end - out.data()));
    return GbkText(std::move(out));
}

}  // namespace lanyi
