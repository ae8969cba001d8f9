// The text primitives every parser stands on.
//
// Positions are 1-based byte positions; a failed search gives -1. Search,
// replace, split, space removal and case mapping step by characters: a byte of
// 0x80 or more is a lead byte and takes the next byte with it, so a match never
// begins in the second byte of a double-byte character. Cuts (left, right, mid)
// work on plain bytes. Every operation takes any input (bad GBK, lead bytes at
// the end, huge or negative counts) and never fails, reads out of bounds or
// loops. All are pure functions, callable from any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "text/gbk_text.h"

namespace lanyi {

inline constexpr int kAll = -1;  // count / max_pieces meaning "no limit"

int gbk_length(const GbkText& text);
GbkText gbk_left(const GbkText& text, int n);
GbkText gbk_right(const GbkText& text, int n);
GbkText gbk_mid(const GbkText& text, int start, int n);

int gbk_find(const GbkText& text, const GbkText& needle, int start = 1, bool ignore_case = false);

// count < 0 means all occurrences; 0 means none.
GbkText gbk_replace(const GbkText& text, const GbkText& old_text, const GbkText& new_text = {},
                    int start = 1, int count = kAll, bool case_sensitive = true);
GbkText gbk_replace_range(const GbkText& text, int start, int n, const GbkText& replacement = {});

GbkText gbk_remove_spaces(const GbkText& text);
// True when nothing is left once ASCII and full-width spaces are removed.
bool gbk_is_blank(const GbkText& text);

// max_pieces < 0 means unlimited.
std::vector<GbkText> gbk_split(const GbkText& text, const GbkText& delimiter = GbkText(","),
                               int max_pieces = kAll);

GbkText gbk_upper(const GbkText& text);
GbkText gbk_lower(const GbkText& text);

// The leading decimal number after full-width forms are folded to ASCII;
// 0 when there is none. No hex, "inf" or "nan"; a comma ends the number.
double gbk_to_number(const GbkText& text);
// Truncates toward zero; values beyond the int range clamp to it, NaN gives 0.
int real_to_int(double value);
GbkText int_to_gbk(std::int64_t value);
// "%.13g" in the C locale, whatever the process locale is.
GbkText real_to_gbk(double value);
// Upper-case hex without leading zeros; negatives as 32-bit two's complement.
GbkText byte_to_hex(int value);
// The low 8 bits of value as a one-byte text; byte 0 gives the empty text.
GbkText gbk_from_byte(int value);

GbkText bytes_to_gbk(const ByteBuffer& buffer);
ByteBuffer gbk_to_bytes(const GbkText& text);
GbkText gbk_blank(int n);
ByteBuffer bytes_blank(int n);
ByteBuffer bytes_head(const ByteBuffer& buffer, int n);
int bytes_count(const ByteBuffer& buffer);

bool gbk_equal(const GbkText& a, const GbkText& b);
template <class... Texts>
GbkText gbk_concat(const GbkText& first, const Texts&... rest) {
    std::string joined(first.view());
    (joined.append(rest.view()), ...);
    return GbkText(std::move(joined));
}

}  // namespace lanyi
