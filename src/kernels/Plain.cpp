// The plain version: every byte looked at on its own. It runs everywhere and is
// what the vector versions are checked against.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "KernelVersions.h"

namespace qx::kernels {

namespace {

bool IsDigit(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

LineBits PlainLineBits(const unsigned char* p, std::size_t n) {
    LineBits b{0, 0, 0, 0};
    for (std::size_t k = 0; k < n && k < 64; ++k) {
        const std::uint64_t bit = std::uint64_t{1} << k;
        if (p[k] == '\n') b.nl |= bit;
        if (p[k] == '\r') b.cr |= bit;
        if (p[k] == '=') b.eq |= bit;
        if (p[k] >= 0x80) b.hi |= bit;
    }
    return b;
}

HeaderBits PlainHeaderBits(const unsigned char* p, std::size_t n) {
    HeaderBits b{0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (std::size_t k = 0; k < n && k < 64; ++k) {
        const std::uint64_t bit = std::uint64_t{1} << k;
        if (IsLead(p[k])) b.leads |= bit;
        switch (p[k]) {
        case ':': b.colon |= bit; break;
        case '[': b.open |= bit; break;
        case ']': b.close |= bit; break;
        case '(': b.paren |= bit; break;
        case ')': b.closeParen |= bit; break;
        case 'T': b.t |= bit; break;
        case 'F': b.f |= bit; break;
        case 'a': b.a |= bit; break;
        default: break;
        }
    }
    return b;
}

std::uint64_t PlainBase64Digits(const unsigned char* p, std::size_t n) {
    std::uint64_t bits = 0;
    for (std::size_t k = 0; k < n && k < 64; ++k) {
        if (IsDigit(p[k])) bits |= std::uint64_t{1} << k;
    }
    return bits;
}

bool PlainNextLineToLookAt(const char* base, std::size_t from, std::size_t to, std::size_t& ls, std::size_t& nl) {
    for (std::size_t start = from; start < to;) {
        const std::size_t end = static_cast<std::size_t>(
            static_cast<const char*>(std::memchr(base + start, '\n', to - start)) - base);
        bool look = base[start] == '=' || end == start || base[end - 1] != '\r';
        for (std::size_t i = start; i + 1 < end && !look; ++i) look = base[i] == '\r';  // a CR before the last
        for (std::size_t i = start; i < end && !look; ++i) {
            const auto b = static_cast<unsigned char>(base[i]);
            if (b < 0x80) continue;
            const auto next = static_cast<unsigned char>(base[i + 1]);
            look = b >= 0xC2 && b <= 0xF4 && next >= 0x80 && next <= 0xBF;
            break;  // only the first byte above 0x7F counts
        }
        if (look) {
            ls = start;
            nl = end;
            return true;
        }
        start = end + 1;
    }
    return false;
}

std::size_t PlainFirstLineEnd(const char* p, std::size_t n) {
    std::size_t e = 0;
    while (e < n && p[e] != '\r' && p[e] != '\n') ++e;
    return e;
}

bool PlainOnlyCrLfPairs(const char* p, std::size_t n) {
    bool lastWasCr = false;
    for (std::size_t i = 0; i < n; ++i) {
        if ((p[i] == '\n') != lastWasCr) return false;
        lastWasCr = p[i] == '\r';
    }
    return !lastWasCr;
}

bool PlainAllBase64Digits(const char* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (!IsDigit(static_cast<unsigned char>(p[i]))) return false;
    }
    return true;
}

}  // namespace

constinit const Kernel kPlainKernel = {Version::Plain,    &PlainLineBits,      &PlainHeaderBits,      &PlainBase64Digits,
                             &PlainNextLineToLookAt, &PlainFirstLineEnd, &PlainOnlyCrLfPairs,
                             &PlainAllBase64Digits, nullptr};

}  // namespace qx::kernels
