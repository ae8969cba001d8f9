// The texts of the status bar's ten parts, built from the harvest figures.
// Pure functions: callable from any thread. The fixed Chinese pieces are
// converted to GBK once and kept in function-local statics.
#pragma once

#include <array>
#include <cstdint>

#include "text/gbk_text.h"
#include "ui/harvest.h"
#include "ui/window.h"

namespace lanyi {

inline constexpr int kElapsedPart = 9;  // elapsed seconds, or "正在开始"

// One consistent reading of what parts 0-8 show.
struct StatusFigures {
    SearchInputs inputs;
    std::int32_t pages = 0, total = 0, processed = 0, filtered = 0, valid = 0;
    std::int32_t state = kIdle;
};

// Parts 0-8, in part order.
std::array<GbkText, 9> status_texts(const StatusFigures& figures);
// All ten parts as a new window shows them: the texts of empty inputs, zero
// counters and the idle state, and an empty part 9.
std::array<GbkText, kStatusParts> initial_status_texts();
// Part 9 while a harvest runs: the seconds with their fraction, then "秒".
GbkText elapsed_text(std::uint32_t elapsed_ms);
// Part 9 when a phase starts.
const GbkText& starting_text();

}  // namespace lanyi
