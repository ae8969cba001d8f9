// Fakes and printers shared by the window-layer tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <ostream>

#include "fetch/fetch.h"
#include "text/code_page.h"
#include "text/gbk_text.h"
#include "ui/clock.h"

namespace lanyi {

// Shows GBK texts readably in failure messages.
inline void PrintTo(const GbkText& text, std::ostream* os) { *os << '"' << gbk_to_utf8(text) << '"'; }

class FakeClock final : public Clock {
public:
    std::uint32_t tick_ms() override { return now.load(); }
    std::atomic<std::uint32_t> now{0};
};

class EmptyFetcher final : public PageFetcher {
public:
    FetchResult fetch(const FetchRequest&) override { return {}; }
};

}  // namespace lanyi
