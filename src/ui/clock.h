// Milliseconds since an arbitrary origin, 32 bits, wrapping. Injectable so
// timing logic is tested without waiting.
#pragma once

#include <chrono>
#include <cstdint>

namespace lanyi {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t tick_ms() = 0;
};

class SteadyClock final : public Clock {
public:
    std::uint32_t tick_ms() override {
        using namespace std::chrono;
        return static_cast<std::uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

}  // namespace lanyi
