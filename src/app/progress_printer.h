// Shows the status parts as one progress line: redrawn in place on a
// terminal, and as plain lines (at most one a second, and on every change of
// state) otherwise. Status writes only mark the line dirty; print() runs on
// the caller's own schedule, so fifty workers never wait on the terminal.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

#include "ui/window.h"

namespace lanyi {

class ProgressPrinter {
public:
    explicit ProgressPrinter(std::FILE* stream);

    void mark_dirty() { dirty_.store(true, std::memory_order_release); }
    // Prints the current line if something changed (and, off a terminal, if
    // enough time passed or the state changed).
    void print(Window& window, bool force = false);
    // Ends the in-place line on a terminal.
    void finish();

private:
    std::FILE* stream_;
    bool terminal_;
    std::atomic<bool> dirty_{false};
    std::string last_state_;
    std::chrono::steady_clock::time_point last_print_{};
    bool printed_ = false;
};

}  // namespace lanyi
