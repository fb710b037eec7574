// Small pieces the record code shares: finding and copying the few bytes of a
// header piece, and the marks of the separator lines.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "logstore/LogData.h"

namespace qx::detail {

inline constexpr std::string_view kCrLf = "\r\n";

// Room for n views, left unset: each is written before it is read. (Views set
// to empty first cost a store each, on a path taken for every message.)
template <std::size_t n>
union ViewSlots {
    ViewSlots() {}
    std::string_view at[n];
};

// The header's pieces are a few bytes each: searched and copied in place, not
// through a library call for each.
[[gnu::always_inline]] inline std::size_t FindByte(std::string_view s, char c, std::size_t from = 0) {
    // Eight bytes at a time: a byte equal to c is a zero byte of w ^ pattern, and
    // the lowest flag of the zero-byte test marks the first such byte exactly.
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const std::uint64_t pattern = kOnes * static_cast<unsigned char>(c);
    const std::size_t n = s.size();
    std::size_t i = from;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        w = __builtin_bswap64(w);  // the first byte lowest, as the test below needs
#endif
        const std::uint64_t x = w ^ pattern;
        const std::uint64_t zero = (x - kOnes) & ~x & (kOnes << 7);
        if (zero) return i + static_cast<std::size_t>(__builtin_ctzll(zero) >> 3);
    }
    for (; i < n; ++i) {
        if (s[i] == c) return i;
    }
    return std::string_view::npos;
}

[[gnu::always_inline]] inline void CopyBytes(char* to, const char* from, std::size_t n) {
    if (n >= 8 && n <= 16) {
        std::uint64_t a, b;
        std::memcpy(&a, from, 8);
        std::memcpy(&b, from + n - 8, 8);
        std::memcpy(to, &a, 8);
        std::memcpy(to + n - 8, &b, 8);
    } else if (n >= 4 && n < 8) {
        std::uint32_t a, b;
        std::memcpy(&a, from, 4);
        std::memcpy(&b, from + n - 4, 4);
        std::memcpy(to, &a, 4);
        std::memcpy(to + n - 4, &b, 4);
    } else if (n < 4) {
        if (n == 0) return;
        // One to three bytes: the first, the middle and the last cover them all.
        const char a = from[0], b = from[n / 2], c = from[n - 1];
        to[0] = a;
        to[n / 2] = b;
        to[n - 1] = c;
    } else {
        std::memcpy(to, from, n);
    }
}

inline bool IsSeparatorOf(std::string_view line, std::string_view run) {
    if (line.size() != 37 || line[0] != run[0]) return false;
    // 36 equal bytes, compared eight at a time.
    const std::uint64_t eight = 0x0101010101010101ull * static_cast<unsigned char>(run[0]);
    for (int i = 0; i < 32; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, line.data() + i, 8);
        if (w != eight) return false;
    }
    std::uint32_t last;
    std::memcpy(&last, line.data() + 32, 4);
    return last == static_cast<std::uint32_t>(eight);
}

inline int ModeOfMark(char mark, char plainMark) {
    if (mark == plainMark) return kModePlain;
    if (mark == '1') return kModeEncoded;
    if (mark == '2') return kModeEncrypted;
    return kModeUnknown;
}

inline char MarkOfMode(int mode, char plainMark) {
    if (mode == kModeEncoded) return '1';
    if (mode == kModeEncrypted) return '2';
    return plainMark;
}

}  // namespace qx::detail
