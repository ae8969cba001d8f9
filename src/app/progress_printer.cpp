#include "app/progress_printer.h"

#include <unistd.h>

#include "text/code_page.h"

namespace lanyi {

ProgressPrinter::ProgressPrinter(std::FILE* stream)
    : stream_(stream), terminal_(stream && isatty(fileno(stream))) {}

void ProgressPrinter::print(Window& window, bool force) {
    if (!stream_) return;
    if (!dirty_.exchange(false, std::memory_order_acq_rel) && !force) return;
    std::string line;
    for (int part = 0; part < kStatusParts; ++part) {
        const std::string text = gbk_to_utf8(window.status_part(part));
        if (text.empty()) continue;
        if (!line.empty()) line += "  ";
        line += text;
    }
    const auto now = std::chrono::steady_clock::now();
    if (terminal_) {
        std::fprintf(stream_, "\r\033[K%s", line.c_str());
    } else {
        const std::string state = gbk_to_utf8(window.status_part(8));
        if (!force && state == last_state_ && now - last_print_ < std::chrono::seconds(1)) {
            dirty_.store(true, std::memory_order_release);  // print it next time
            return;
        }
        last_state_ = state;
        std::fprintf(stream_, "%s\n", line.c_str());
    }
    last_print_ = now;
    printed_ = true;
    std::fflush(stream_);
}

void ProgressPrinter::finish() {
    if (stream_ && terminal_ && printed_) {
        std::fputc('\n', stream_);
        std::fflush(stream_);
    }
}

}  // namespace lanyi
