// The C library here has no memmem or memrchr.
#include "platform/Bytes.h"

#include <cstring>

namespace qx::sys {

const char* FindBytes(const char* hay, std::size_t n, const char* needle, std::size_t m) {
    if (m == 0) return hay;
    if (m > n) return nullptr;
    const char* last = hay + (n - m);
    for (const char* p = hay; p <= last;) {
        p = static_cast<const char*>(std::memchr(p, needle[0], static_cast<std::size_t>(last - p) + 1));
        if (!p) return nullptr;
        if (std::memcmp(p, needle, m) == 0) return p;
        ++p;
    }
    return nullptr;
}

const char* FindLastByte(const char* p, char c, std::size_t n) {
    while (n > 0) {
        --n;
        if (p[n] == c) return p + n;
    }
    return nullptr;
}

}  // namespace qx::sys
