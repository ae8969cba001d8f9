// Deterministic numbers for the demo site: the same seed and key always give
// the same draws, on every machine. Plain values, no shared state.
#pragma once

#include <cstdint>
#include <string_view>

namespace lanyi {

inline std::uint64_t demo_mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// Folds bytes into a running hash.
inline std::uint64_t demo_hash(std::uint64_t hash, std::string_view bytes) {
    std::uint64_t h = 0xCBF29CE484222325ULL ^ hash;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 0x100000001B3ULL;
    }
    // The length keeps ("ab","c") apart from ("a","bc").
    return demo_mix(h ^ (bytes.size() * 0x9E3779B97F4A7C15ULL));
}

inline std::uint64_t demo_hash(std::uint64_t hash, std::uint64_t value) { return demo_mix(hash ^ demo_mix(value)); }

class DemoRandom {
public:
    explicit DemoRandom(std::uint64_t state) : state_(state) {}
    std::uint64_t next() { return demo_mix(state_++ * 0xD1B54A32D192ED03ULL); }
    // 0 .. n-1; n must be above 0.
    std::uint64_t below(std::uint64_t n) { return next() % n; }
    // True with probability percent / 100.
    bool chance(int percent) { return below(100) < static_cast<std::uint64_t>(percent); }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }

private:
    std::uint64_t state_;
};

}  // namespace lanyi
