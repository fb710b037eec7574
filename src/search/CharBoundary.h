// Character boundaries in cp932 text, found locally instead of by parsing from
// the start of the text.
//
// The byte after any byte that is not a lead byte always starts a character
// (whether that byte was a character of its own or the trail of one). So an
// unbroken run of k lead bytes just before index i starts on a character start,
// and i starts a character exactly when k is even.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "text/Cp932.h"

namespace qx {

// Whether index i (0-based, floor <= i <= t.size()) starts a character, given that
// floor does. The end of the text counts as a start.
inline bool IsCharStart(std::string_view t, std::size_t floor, std::size_t i) {
    if (i >= t.size()) return true;
    std::size_t j = i;
    while (j > floor && IsLeadByte(static_cast<unsigned char>(t[j - 1]))) --j;
    return (i - j) % 2 == 0;
}

// The start of the character that ends at q; floor < q, and both floor and q
// start characters.
inline std::size_t PreviousCharStart(std::string_view t, std::size_t floor, std::size_t q) {
    if (q - floor >= 2 && IsLeadByte(static_cast<unsigned char>(t[q - 2])) &&
        IsCharStart(t, floor, q - 2)) {
        return q - 2;
    }
    return q - 1;
}

// Index of the first line feed at or after the character start s that is a
// character of its own (not the trail byte of a double-byte character); npos if none.
inline std::size_t NextLineFeed(std::string_view t, std::size_t s) {
    const std::size_t floor = s;
    while (s < t.size()) {
        const void* hit = std::memchr(t.data() + s, '\n', t.size() - s);
        if (hit == nullptr) break;
        const auto lf = static_cast<std::size_t>(static_cast<const char*>(hit) - t.data());
        if (IsCharStart(t, floor, lf)) return lf;
        s = lf + 1;
    }
    return std::string_view::npos;
}

}  // namespace qx
