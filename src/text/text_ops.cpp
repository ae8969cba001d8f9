#include "text/text_ops.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/char_search.h"

namespace lanyi {

using detail::CharSearcher;
using detail::is_lead_byte;
using detail::kNoMatch;

namespace {

// Offsets are size_t inside; positions handed out are ints. Texts beyond
// INT_MAX bytes do not occur, but the clamp keeps the arithmetic defined.
int to_position(std::size_t offset) {
    return offset >= static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(offset) + 1;
}

// The scan offset for a 1-based start where 0 and below mean the beginning.
std::size_t scan_offset(int start) {
    return start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
}

std::size_t clamp_count(int n, std::size_t limit) {
    return n <= 0 ? 0 : std::min(static_cast<std::size_t>(n), limit);
}

unsigned char byte_at(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

}  // namespace

int gbk_length(const GbkText& text) {
    return text.size() >= static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

GbkText gbk_left(const GbkText& text, int n) {
    return GbkText(text.view().substr(0, clamp_count(n, text.size())));
}

GbkText gbk_right(const GbkText& text, int n) {
    std::size_t k = clamp_count(n, text.size());
    return GbkText(text.view().substr(text.size() - k));
}

GbkText gbk_mid(const GbkText& text, int start, int n) {
    if (start < 1 || n <= 0) return {};
    std::size_t s = static_cast<std::size_t>(start) - 1;
    if (s >= text.size()) return {};
    return GbkText(text.view().substr(s, clamp_count(n, text.size() - s)));
}

int gbk_find(const GbkText& text, const GbkText& needle, int start, bool ignore_case) {
    std::size_t s = scan_offset(start);
    if (s >= text.size()) return -1;
    if (needle.empty()) return 1;
    CharSearcher searcher(text.view(), needle.view(), ignore_case);
    std::size_t hit = searcher.next(s);
    return hit == kNoMatch ? -1 : to_position(hit);
}

GbkText gbk_replace(const GbkText& text, const GbkText& old_text, const GbkText& new_text, int start,
                    int count, bool case_sensitive) {
    const std::string_view t = text.view();
    const std::size_t s = scan_offset(start);
    if (t.empty() || old_text.empty() || s >= t.size() || count == 0) return text;

    const std::size_t m = old_text.size();
    std::string out;
    out.reserve(t.size());
    out.append(t.substr(0, s));
    CharSearcher searcher(t, old_text.view(), !case_sensitive);
    std::size_t pos = s;
    std::int64_t left = count < 0 ? -1 : count;
    while (left != 0) {
        std::size_t hit = searcher.next(pos);
        if (hit == kNoMatch) break;
        out.append(t.substr(pos, hit - pos));
        out.append(new_text.view());
        pos = hit + m;
        if (left > 0) --left;
    }
    std::string_view tail = t.substr(std::min(pos, t.size()));
    // The character walk drops a lone lead byte at the very end when it gets
    // that far, which it does only while a one-byte old text still fits.
    if (left != 0 && m == 1 && !tail.empty() && is_lead_byte(byte_at(t, t.size() - 1)) &&
        detail::is_char_start(t, pos, t.size() - 1))
        tail.remove_suffix(1);
    out.append(tail);
    return GbkText(std::move(out));
}

GbkText gbk_replace_range(const GbkText& text, int start, int n, const GbkText& replacement) {
    const std::string_view t = text.view();
    std::size_t s = std::min(scan_offset(start), t.size());
    std::size_t k = clamp_count(n, t.size() - s);
    std::string out;
    out.reserve(t.size() - k + replacement.size());
    out.append(t.substr(0, s)).append(replacement.view()).append(t.substr(s + k));
    return GbkText(std::move(out));
}

namespace {

// Calls keep(offset, length) for every character that is not a space, in
// order; stops early when keep returns false. A lone lead byte at the end is
// neither a space nor kept. Returns false when stopped early.
template <class Keep>
bool for_each_non_space(std::string_view t, Keep keep) {
    const std::size_t n = t.size();
    std::size_t i = 0;
    while (i < n) {
        unsigned char b = byte_at(t, i);
        if (b == ' ') {
            ++i;
            continue;
        }
        if (!is_lead_byte(b)) {
            std::size_t run = i + 1;  // copy ASCII runs in one piece
            while (run < n && byte_at(t, run) != ' ' && !is_lead_byte(byte_at(t, run))) ++run;
            if (!keep(i, run - i)) return false;
            i = run;
            continue;
        }
        if (i + 1 == n) break;
        if (!(b == 0xA1 && byte_at(t, i + 1) == 0xA1) && !keep(i, 2)) return false;
        i += 2;
    }
    return true;
}

}  // namespace

GbkText gbk_remove_spaces(const GbkText& text) {
    const std::string_view t = text.view();
    std::string out;
    out.reserve(t.size());
    for_each_non_space(t, [&](std::size_t at, std::size_t len) {
        out.append(t.substr(at, len));
        return true;
    });
    return GbkText(std::move(out));
}

bool gbk_is_blank(const GbkText& text) {
    return for_each_non_space(text.view(), [](std::size_t, std::size_t) { return false; });
}

std::vector<GbkText> gbk_split(const GbkText& text, const GbkText& delimiter, int max_pieces) {
    std::vector<GbkText> pieces;
    const std::string_view t = text.view();
    if (t.empty() || max_pieces == 0) return pieces;
    if (delimiter.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    const std::size_t limit =
        max_pieces < 0 ? SIZE_MAX : static_cast<std::size_t>(max_pieces);
    CharSearcher searcher(t, delimiter.view(), false);
    std::size_t piece_start = 0;
    while (true) {
        std::size_t hit = searcher.next(piece_start);
        if (hit == kNoMatch) break;
        pieces.emplace_back(t.substr(piece_start, hit - piece_start));
        piece_start = hit + delimiter.size();
        if (pieces.size() == limit) return pieces;
    }
    if (piece_start < t.size()) pieces.emplace_back(t.substr(piece_start));
    return pieces;
}

namespace {

template <class MapByte>
GbkText map_ascii(const GbkText& text, MapByte map) {
    std::string out(text.view());
    const std::size_t n = out.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char b = static_cast<unsigned char>(out[i]);
        if (is_lead_byte(b))
            ++i;  // both bytes of a double-byte character stay as they are
        else
            out[i] = static_cast<char>(map(b));
    }
    return GbkText(std::move(out));
}

}  // namespace

GbkText gbk_upper(const GbkText& text) {
    return map_ascii(text, [](unsigned char b) {
        return static_cast<unsigned char>(b - 'a') < 26u ? static_cast<unsigned char>(b - 0x20) : b;
    });
}

GbkText gbk_lower(const GbkText& text) {
    return map_ascii(text, [](unsigned char b) { return detail::fold_ascii(b); });
}

GbkText bytes_to_gbk(const ByteBuffer& buffer) { return GbkText(buffer.view()); }

ByteBuffer gbk_to_bytes(const GbkText& text) { return ByteBuffer(text.view()); }

GbkText gbk_blank(int n) { return n <= 0 ? GbkText() : GbkText(std::string(static_cast<std::size_t>(n), ' ')); }

ByteBuffer bytes_blank(int n) {
    return n <= 0 ? ByteBuffer() : ByteBuffer(std::string(static_cast<std::size_t>(n), '\0'));
}

ByteBuffer bytes_head(const ByteBuffer& buffer, int n) {
    return ByteBuffer(buffer.view().substr(0, clamp_count(n, buffer.size())));
}

int bytes_count(const ByteBuffer& buffer) {
    return buffer.size() >= static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(buffer.size());
}

bool gbk_equal(const GbkText& a, const GbkText& b) { return a == b; }

}  // namespace lanyi
