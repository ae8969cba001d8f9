#include "text/char_search.h"

#include <cstring>

namespace lanyi::detail {

bool is_char_start(std::string_view text, std::size_t walk_start, std::size_t offset) {
    // A byte below 0x80 is never a lead byte, so the byte after it always
    // starts a character. Only the lead-range run before `offset` decides.
    std::size_t run_start = offset;
    while (run_start > walk_start && is_lead_byte(static_cast<unsigned char>(text[run_start - 1])))
        --run_start;
    return (offset - run_start) % 2 == 0;
}

namespace {

// Roughly how often needle byte i turns up in GBK pages; lower is rarer. In
// Chinese text a given second byte of a character is rarer than a given first
// byte (about 94 values against 40), the full-width punctuation rows and the
// markup characters are everywhere.
int commonness(std::string_view needle, std::size_t i) {
    const auto b = static_cast<unsigned char>(needle[i]);
    if (is_lead_byte(b)) {
        std::size_t run_start = i;
        while (run_start > 0 && is_lead_byte(static_cast<unsigned char>(needle[run_start - 1]))) --run_start;
        if ((i - run_start) % 2 == 1) return 1;
        return b >= 0xA1 && b <= 0xA3 ? 4 : 2;
    }
    switch (b) {
        case '<': case '>': case '"': case '=': case '/': case ' ': case '\n': case '\t':
            return 5;
        default:
            return 3;
    }
}

}  // namespace

CharSearcher::CharSearcher(std::string_view text, std::string_view needle, bool ignore_case)
    : text_(text), needle_(needle), ignore_case_(ignore_case) {
    if (!ignore_case_) return;
    // A non-letter byte can be looked up exactly with memchr; take the rarest,
    // so the scan stops at few false candidates.
    int best = 0;
    for (std::size_t i = 0; i < needle_.size(); ++i) {
        auto b = static_cast<unsigned char>(needle_[i]);
        if (fold_ascii(b) != b || static_cast<unsigned char>(b - 'a') < 26u) continue;  // a letter
        const int score = commonness(needle_, i);
        if (anchor_ == kNoMatch || score < best) {
            anchor_ = i;
            best = score;
        }
    }
    lower_ = fold_ascii(static_cast<unsigned char>(needle_[0]));
    upper_ = static_cast<unsigned char>(lower_ & ~0x20);
}

std::size_t CharSearcher::next(std::size_t from) {
    const std::size_t n = text_.size();
    while (from < n) {
        std::size_t hit = candidate(from);
        if (hit == kNoMatch) return kNoMatch;
        if (!is_char_start(text_, from, hit)) {
            from = hit + 1;  // hit was a second byte, so the byte after it starts a character
            continue;
        }
        if (hit + 1 == n && is_lead_byte(static_cast<unsigned char>(text_[hit]))) return kNoMatch;
        return hit;
    }
    return kNoMatch;
}

std::size_t CharSearcher::candidate(std::size_t from) {
    const std::size_t n = text_.size();
    const std::size_t m = needle_.size();
    if (from >= n || n - from < m) return kNoMatch;
    if (ignore_case_) return folded_candidate(from);
    const void* hit = m == 1 ? std::memchr(text_.data() + from, needle_[0], n - from)
                             : memmem(text_.data() + from, n - from, needle_.data(), m);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data()) : kNoMatch;
}

std::size_t CharSearcher::folded_candidate(std::size_t from) {
    const std::size_t n = text_.size();
    const std::size_t m = needle_.size();
    const char* base = text_.data();
    // A match can start no later than last_start.
    const std::size_t last_start = n - m;
    while (from <= last_start) {
        std::size_t start;
        if (anchor_ != kNoMatch) {
            const void* hit =
                std::memchr(base + from + anchor_, needle_[anchor_], last_start - from + 1);
            if (!hit) return kNoMatch;
            start = static_cast<std::size_t>(static_cast<const char*>(hit) - base) - anchor_;
        } else {
            // All letters: the nearest of either case of the first byte.
            auto refresh = [&](unsigned char b, std::size_t& pos, bool& known) {
                if (known && (pos == kNoMatch || pos >= from)) return;
                const void* hit = std::memchr(base + from, b, last_start - from + 1);
                pos = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - base) : kNoMatch;
                known = true;
            };
            refresh(lower_, next_lower_, lower_known_);
            refresh(upper_, next_upper_, upper_known_);
            start = next_lower_ < next_upper_ ? next_lower_ : next_upper_;
            if (start == kNoMatch) return kNoMatch;
        }
        if (folded_equal(start)) return start;
        from = start + 1;
    }
    return kNoMatch;
}

bool CharSearcher::folded_equal(std::size_t at) const {
    for (std::size_t i = 0; i < needle_.size(); ++i) {
        if (fold_ascii(static_cast<unsigned char>(text_[at + i])) !=
            fold_ascii(static_cast<unsigned char>(needle_[i])))
            return false;
    }
    return true;
}

}  // namespace lanyi::detail
