// Searching GBK bytes for a needle that may only match at character starts.
//
// Internal to the text layer. A CharSearcher borrows the text and the needle
// (both must outlive it) and is used by one thread. It keeps a cursor that
// only moves forward, so a run of next() calls over one text costs time
// linear in the text, plus the byte search itself.
#pragma once

#include <cstddef>
#include <string_view>

namespace lanyi::detail {

inline constexpr std::size_t kNoMatch = static_cast<std::size_t>(-1);

inline bool is_lead_byte(unsigned char b) { return b >= 0x80; }

// 'A'..'Z' become 'a'..'z'; every other byte stays.
inline unsigned char fold_ascii(unsigned char b) {
    return static_cast<unsigned char>(b - 'A') < 26u ? static_cast<unsigned char>(b | 0x20) : b;
}

// True when `offset` is a character start for a character walk that began at
// `walk_start` (itself taken as a character start). walk_start <= offset.
// Only the run of lead-range bytes just before `offset` is read.
bool is_char_start(std::string_view text, std::size_t walk_start, std::size_t offset);

class CharSearcher {
public:
    // The needle must not be empty.
    CharSearcher(std::string_view text, std::string_view needle, bool ignore_case);

    // Offset of the first match at a character start at or after `from`,
    // where `from` is taken as a character start; kNoMatch when there is none.
    // A lead byte that is the last byte of the text ends the search. Calls
    // must pass non-decreasing `from` values.
    std::size_t next(std::size_t from);

private:
    std::size_t candidate(std::size_t from);
    std::size_t folded_candidate(std::size_t from);
    bool folded_equal(std::size_t at) const;

    std::string_view text_;
    std::string_view needle_;
    bool ignore_case_;
    // Case-folded search: the needle byte looked up with memchr and its offset
    // in the needle; for an all-letter needle both cases of its first byte are
    // looked up and the next hit of each is remembered.
    std::size_t anchor_ = kNoMatch;
    unsigned char lower_ = 0;
    unsigned char upper_ = 0;
    std::size_t next_lower_ = 0;
    std::size_t next_upper_ = 0;
    bool lower_known_ = false;
    bool upper_known_ = false;
};

}  // namespace lanyi::detail
