#include "platform/Bytes.h"

#include <string.h>

namespace qx::sys {

const char* FindBytes(const char* hay, std::size_t n, const char* needle, std::size_t m) {
    return static_cast<const char*>(memmem(hay, n, needle, m));
}

const char* FindLastByte(const char* p, char c, std::size_t n) {
    return static_cast<const char*>(memrchr(p, static_cast<unsigned char>(c), n));
}

}  // namespace qx::sys
