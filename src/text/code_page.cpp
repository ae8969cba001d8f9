#include "text/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <string>
#include <string_view>

namespace lanyi {

namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD

// One iconv descriptor, opened on first use in a thread and closed when the
// thread ends. Invalid when the C library lacks the code page.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; on a byte sequence it cannot take it stops
    // and returns errno's value (EILSEQ or EINVAL) with `in` at that sequence.
    int convert(std::string_view& in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (!in.empty()) {
            std::size_t used = out.size();
            if (out.capacity() - used < 16) out.reserve(out.capacity() * 2 + 64);
            out.resize(out.capacity());
            char* src = const_cast<char*>(in.data());
            std::size_t src_left = in.size();
            char* dst = out.data() + used;
            std::size_t dst_left = out.size() - used;
            std::size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
            int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
            out.resize(static_cast<std::size_t>(dst - out.data()));
            in.remove_prefix(in.size() - src_left);
            if (error != 0 && error != E2BIG) return error;
        }
        return 0;
    }

private:
    iconv_t cd_;
};

Converter& gbk_decoder() {
    thread_local Converter converter("UTF-8", "GB18030");
    return converter;
}

Converter& gbk_encoder() {
    thread_local Converter converter("GBK", "UTF-8");
    return converter;
}

// Length of the well-formed UTF-8 sequence at the start of `s`, or 0.
std::size_t utf8_sequence_length(std::string_view s) {
    auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    if (s.empty()) return 0;
    unsigned char lead = b(0);
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) len = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        len = 3;
        if (lead == 0xE0) lo = 0xA0;
        if (lead == 0xED) hi = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        len = 4;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;
    } else
        return 0;
    if (s.size() < len || b(1) < lo || b(1) > hi) return 0;
    for (std::size_t i = 2; i < len; ++i)
        if (b(i) < 0x80 || b(i) > 0xBF) return 0;
    return len;
}

}  // namespace

std::string gbk_to_utf8(const GbkText& text) {
    std::string_view in = text.view();
    std::string out;
    out.reserve(in.size() * 3 / 2 + 16);
    Converter& decoder = gbk_decoder();
    while (!in.empty()) {
        if (!decoder.valid()) {
            // No converter: keep ASCII, mark everything else unreadable.
            for (char c : in)
                if (static_cast<unsigned char>(c) < 0x80) out.push_back(c);
                else out.append(kReplacementUtf8);
            break;
        }
        if (decoder.convert(in, out) == 0) break;
        out.append(kReplacementUtf8);
        in.remove_prefix(1);
    }
    return out;
}

GbkText utf8_to_gbk(std::string_view utf8) {
    std::string_view in = utf8.substr(0, utf8.find('\0'));
    std::string out;
    out.reserve(in.size() + 16);
    Converter& encoder = gbk_encoder();
    while (!in.empty()) {
        if (!encoder.valid()) {
            for (char c : in) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
            break;
        }
        if (encoder.convert(in, out) == 0) break;
        // A character GBK lacks is one "?"; so is each byte that is not UTF-8.
        std::size_t len = utf8_sequence_length(in);
        out.push_back('?');
        in.remove_prefix(len == 0 ? 1 : len);
    }
    return GbkText(std::move(out));
}

}  // namespace lanyi
