// Cutting a text to a size without splitting a character.
#pragma once

#include <cstddef>
#include <string_view>

#include "text/Cp932.h"

namespace qx {

// The length of the longest prefix of s that holds at most `limit` bytes and does
// not end between the two bytes of a character.
inline std::size_t BoundedPrefixLength(std::string_view s, std::size_t limit) {
    if (s.size() <= limit) return s.size();
    std::size_t i = 0;
    while (i < limit) {
        const std::size_t n = CharLength(s, i);
        if (i + n > limit) break;
        i += n;
    }
    return i;
}

}  // namespace qx
