// Cutting one fuzz input into the arguments of a call: a few leading control
// bytes for numbers and flags, then texts separated by zero bytes (a GbkText
// can hold no zero byte anyway). Missing bytes read as zero, missing texts as
// empty, so every input is a valid call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <limits>
#include <string_view>

#include "text/gbk_text.h"

namespace lanyi::fuzzing {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : bytes_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte() {
        if (bytes_.empty()) return 0;
        auto b = static_cast<std::uint8_t>(bytes_.front());
        bytes_.remove_prefix(1);
        return b;
    }
    bool flag() { return byte() & 1; }
    // Mostly small (-128..127, where positions and counts are interesting),
    // now and then an extreme.
    int number() {
        auto kind = byte();
        auto value = static_cast<std::int8_t>(byte());
        switch (kind % 16) {
        case 0: return std::numeric_limits<int>::max();
        case 1: return std::numeric_limits<int>::min();
        default: return value;
        }
    }
    // The bytes up to the next zero byte (or the end).
    std::string_view piece() {
        std::size_t zero = bytes_.find('\0');
        std::string_view out = bytes_.substr(0, zero);
        bytes_.remove_prefix(zero == std::string_view::npos ? bytes_.size() : zero + 1);
        return out;
    }
    GbkText text() { return GbkText(piece()); }
    std::string_view rest() const { return bytes_; }
    bool empty() const { return bytes_.empty(); }

private:
    std::string_view bytes_;
};

// A broken invariant: say which, then crash so the fuzzer keeps the input.
[[noreturn]] inline void broken(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void check(bool ok, const char* what) {
    if (!ok) broken(what);
}

inline void check_no_zero(const GbkText& text, const char* what) {
    check(text.view().find('\0') == std::string_view::npos, what);
}

}  // namespace lanyi::fuzzing
