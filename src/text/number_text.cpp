// Numbers to and from GbkText.
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/char_search.h"
#include "text/text_ops.h"

namespace lanyi {

namespace {

// Reads a text character by character, folding the full-width forms that can
// spell a number to ASCII. A double-byte character that does not fold reads
// as its lead byte, which ends any number. A lone lead byte at the end is
// dropped.
class FoldedReader {
public:
    explicit FoldedReader(std::string_view text) : text_(text) {}

    // The current folded byte, or -1 at the end.
    int peek() const {
        if (at_ >= text_.size()) return -1;
        unsigned char b = byte(at_);
        if (!detail::is_lead_byte(b)) return b;
        if (at_ + 1 >= text_.size()) return -1;
        unsigned char trail = byte(at_ + 1);
        if (b == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return trail - 0x80;
        if (b == 0xA1) {
            if (trail == 0xA1) return ' ';
            if (trail == 0xAB) return '~';
            if (trail == 0xEE || trail == 0xEF) return '*';
        }
        return b;
    }

    void advance() { at_ += detail::is_lead_byte(byte(at_)) ? 2 : 1; }

private:
    unsigned char byte(std::size_t i) const { return static_cast<unsigned char>(text_[i]); }

    std::string_view text_;
    std::size_t at_ = 0;
};

bool is_digit(int c) { return c >= '0' && c <= '9'; }

bool is_space(int c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

}  // namespace

double gbk_to_number(const GbkText& text) {
    FoldedReader in(text.view());
    while (is_space(in.peek())) in.advance();
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.advance();
    }

    // The accepted form, normalised for from_chars: digits, ".", "e", sign.
    std::string form;
    // Decimal exponent of the leading significant digit before the written
    // exponent is applied; decides overflow against underflow below.
    std::int64_t magnitude = 0;
    bool seen_significant = false;
    bool any_digit = false;
    while (is_digit(in.peek())) {
        int c = in.peek();
        if (c != '0' || seen_significant) {
            seen_significant = true;
            ++magnitude;
        }
        any_digit = true;
        form.push_back(static_cast<char>(c));
        in.advance();
    }
    if (in.peek() == '.') {
        form.push_back('.');
        in.advance();
        while (is_digit(in.peek())) {
            int c = in.peek();
            if (!seen_significant) {
                if (c != '0') seen_significant = true;
                else --magnitude;
            }
            any_digit = true;
            form.push_back(static_cast<char>(c));
            in.advance();
        }
    }
    if (!any_digit) return 0.0;

    std::int64_t exponent = 0;
    int e = in.peek();
    if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
        FoldedReader look = in;  // the exponent counts only if digits follow
        look.advance();
        bool exp_negative = false;
        if (look.peek() == '+' || look.peek() == '-') {
            exp_negative = look.peek() == '-';
            look.advance();
        }
        if (is_digit(look.peek())) {
            form.push_back('e');
            if (exp_negative) form.push_back('-');
            while (is_digit(look.peek())) {
                form.push_back(static_cast<char>(look.peek()));
                if (exponent < 100000000) exponent = exponent * 10 + (look.peek() - '0');
                look.advance();
            }
            if (exp_negative) exponent = -exponent;
        }
    }

    double value = 0.0;
    auto [end, error] = std::from_chars(form.data(), form.data() + form.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range)
        value = seen_significant && magnitude + exponent > 0 ? HUGE_VAL : 0.0;
    else if (error != std::errc())
        value = 0.0;
    return negative ? -value : value;
}

int real_to_int(double value) {
    // Out of range a cast is undefined; clamp instead, and NaN reads as 0.
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

GbkText int_to_gbk(std::int64_t value) {
    char buf[24];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    return GbkText(std::string_view(buf, static_cast<std::size_t>(result.ptr - buf)));
}

GbkText real_to_gbk(double value) {
    // Same output as printf "%.13g" in the C locale, whatever locale the
    // process runs in.
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 13);
    return GbkText(std::string_view(buf, static_cast<std::size_t>(result.ptr - buf)));
}

GbkText byte_to_hex(int value) {
    char buf[8];
    auto result = std::to_chars(buf, buf + sizeof buf, static_cast<std::uint32_t>(value), 16);
    for (char* p = buf; p != result.ptr; ++p)
        if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
    return GbkText(std::string_view(buf, static_cast<std::size_t>(result.ptr - buf)));
}

GbkText gbk_from_byte(int value) {
    char b = static_cast<char>(value & 0xFF);
    return GbkText(std::string_view(&b, 1));  // byte 0 gives the empty text
}

}  // namespace lanyi
