// Slow, obviously correct versions of the character-walking text operations,
// written straight from their rules, to hold the fast ones against. Positions
// and counts are 64-bit here so that no argument can overflow them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lanyi::fuzzing {

inline bool lead(unsigned char b) { return b >= 0x80; }
inline unsigned char fold(unsigned char b) { return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b + 32) : b; }

inline bool same_at(std::string_view t, std::size_t at, std::string_view needle, bool ignore_case) {
    for (std::size_t k = 0; k < needle.size(); ++k) {
        auto a = static_cast<unsigned char>(t[at + k]), b = static_cast<unsigned char>(needle[k]);
        if (ignore_case ? fold(a) != fold(b) : a != b) return false;
    }
    return true;
}

inline std::size_t scan_from(std::int64_t start) { return start <= 1 ? 0 : static_cast<std::size_t>(start - 1); }

// 1-based position of the first match at a character start, or -1.
inline std::int64_t naive_find(std::string_view t, std::string_view needle, std::int64_t start, bool ignore_case) {
    std::size_t i = scan_from(start);
    if (i >= t.size()) return -1;
    if (needle.empty()) return 1;
    while (i < t.size()) {
        const bool is_lead = lead(static_cast<unsigned char>(t[i]));
        if (is_lead && i + 1 == t.size()) return -1;  // a lone lead byte ends the walk
        if (t.size() - i < needle.size()) return -1;
        if (same_at(t, i, needle, ignore_case)) return static_cast<std::int64_t>(i) + 1;
        i += is_lead ? 2 : 1;
    }
    return -1;
}

inline std::string naive_replace(std::string_view t, std::string_view old_text, std::string_view new_text,
                                 std::int64_t start, std::int64_t count, bool case_sensitive) {
    std::size_t i = scan_from(start);
    if (t.empty() || old_text.empty() || i >= t.size() || count == 0) return std::string(t);
    std::string out(t.substr(0, i));
    std::int64_t left = count < 0 ? -1 : count;
    while (left != 0 && t.size() - i >= old_text.size()) {
        const bool is_lead = lead(static_cast<unsigned char>(t[i]));
        if (is_lead && i + 1 == t.size()) return out;  // a lone lead byte at the end is dropped
        if (same_at(t, i, old_text, !case_sensitive)) {
            out += new_text;
            i += old_text.size();
            if (left > 0) --left;
            continue;
        }
        const std::size_t step = is_lead ? 2 : 1;
        out += t.substr(i, step);
        i += step;
    }
    out += t.substr(std::min(i, t.size()));
    return out;
}

inline std::vector<std::string> naive_split(std::string_view t, std::string_view delimiter, std::int64_t max_pieces) {
    std::vector<std::string> pieces;
    if (t.empty() || max_pieces == 0) return pieces;
    if (delimiter.empty()) return {std::string(t)};
    std::size_t piece = 0, i = 0;
    while (i < t.size()) {
        const bool is_lead = lead(static_cast<unsigned char>(t[i]));
        if (is_lead && i + 1 == t.size()) break;
        if (t.size() - i >= delimiter.size() && same_at(t, i, delimiter, false)) {
            pieces.emplace_back(t.substr(piece, i - piece));
            i += delimiter.size();
            piece = i;
            if (max_pieces > 0 && static_cast<std::int64_t>(pieces.size()) == max_pieces) return pieces;
            continue;
        }
        i += is_lead ? 2 : 1;
    }
    if (piece < t.size()) pieces.emplace_back(t.substr(piece));
    return pieces;
}

inline std::string naive_remove_spaces(std::string_view t) {
    std::string out;
    for (std::size_t i = 0; i < t.size();) {
        auto b = static_cast<unsigned char>(t[i]);
        if (!lead(b)) {
            if (b != ' ') out += t[i];
            ++i;
        } else if (i + 1 == t.size()) {
            break;  // dropped
        } else {
            if (!(b == 0xA1 && static_cast<unsigned char>(t[i + 1]) == 0xA1)) out += t.substr(i, 2);
            i += 2;
        }
    }
    return out;
}

// Maps the one-byte characters' letters; double-byte characters stay whole.
inline std::string naive_case(std::string_view t, bool upper) {
    std::string out(t);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto b = static_cast<unsigned char>(out[i]);
        if (lead(b)) {
            ++i;
        } else if (upper && b >= 'a' && b <= 'z') {
            out[i] = static_cast<char>(b - 32);
        } else if (!upper && b >= 'A' && b <= 'Z') {
            out[i] = static_cast<char>(b + 32);
        }
    }
    return out;
}

inline std::string naive_mid(std::string_view t, std::int64_t start, std::int64_t n) {
    if (start < 1 || n <= 0 || static_cast<std::size_t>(start - 1) >= t.size()) return {};
    return std::string(t.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

}  // namespace lanyi::fuzzing
