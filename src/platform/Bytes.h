// Byte searches the C library does fastest.
#pragma once

#include <cstddef>

namespace qx::sys {

// The first place of needle[0, m) in hay[0, n), or nullptr.
const char* FindBytes(const char* hay, std::size_t n, const char* needle, std::size_t m);
// The last byte c in p[0, n), or nullptr.
const char* FindLastByte(const char* p, char c, std::size_t n);

}  // namespace qx::sys
