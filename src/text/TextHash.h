// A cheap hash of a short text, for the open-addressed tables that see a lookup
// for every message (names, header lines).
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace qx {

// Eight bytes at a time; the last eight (overlapping the ones before, or fewer
// for a short text) on their own, without a loop over bytes.
inline std::uint64_t TextHash(std::string_view t) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    const char* p = t.data();
    const std::size_t n = t.size();
    auto load = [](const char* at, std::size_t bytes) {
        std::uint64_t w = 0;
        std::memcpy(&w, at, bytes);
        return w;
    };
    std::uint64_t h = n * kMul;
    std::uint64_t last;
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8) {
            h = (h ^ load(p + i, 8)) * kMul;
            h ^= h >> 29;
        }
        last = load(p + n - 8, 8);
    } else if (n >= 4) {
        last = load(p, 4) << 32 | load(p + n - 4, 4);
    } else {
        last = n == 0 ? 0 : static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8 |
                                static_cast<std::uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
    }
    h = (h ^ last) * kMul;
    return h ^ (h >> 32);
}

}  // namespace qx
