#include "crypto/Base64.h"

#include <array>
#include <cstring>

#include "kernels/Kernels.h"

namespace qx {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Decoding classes: 0..63 a digit, kLineBreak for CR and LF. Every other byte
// counts as the digit 0.
constexpr std::uint8_t kLineBreak = 0xFF;

constexpr std::array<std::uint8_t, 256> MakeDecodeTable() {
    std::array<std::uint8_t, 256> t{};
    for (std::uint8_t i = 0; i < 64; ++i) t[static_cast<unsigned char>(kAlphabet[i])] = i;
    t['\r'] = kLineBreak;
    t['\n'] = kLineBreak;
    return t;
}

constexpr std::array<std::uint8_t, 256> kDecode = MakeDecodeTable();

// Decodes with the 64-byte step of `blocks` where it is given.
std::size_t Decode(std::string_view text, std::uint8_t* output,
                   std::size_t (*blocks)(const unsigned char*, std::size_t, std::uint8_t*&)) {
    std::uint8_t* o = output;
    std::uint32_t group = 0;
    int count = 0;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t blocksFrom = blocks ? 0 : n;  // where 64-byte steps may be tried again
    for (std::size_t i = 0; i < n;) {
        if (count == 0 && i >= blocksFrom && i + 64 <= n) {
            const std::size_t taken = blocks(t + i, n - i, o);
            i += taken;
            // The 64 bytes at i hold something else than digits: go on below past them.
            blocksFrom = i + 64;
            if (taken > 0) continue;
        }
        if (count == 0 && i + 8 <= n) {
            // Eight digits: six bytes, stored as eight (the last two zero). The
            // output never runs ahead of the text, so the eight fit.
            const std::uint64_t d[8] = {kDecode[t[i]],     kDecode[t[i + 1]], kDecode[t[i + 2]], kDecode[t[i + 3]],
                                        kDecode[t[i + 4]], kDecode[t[i + 5]], kDecode[t[i + 6]], kDecode[t[i + 7]]};
            if (((d[0] | d[1] | d[2] | d[3] | d[4] | d[5] | d[6] | d[7]) & 0x80) == 0) {
                std::uint64_t v = (d[0] << 58) | (d[1] << 52) | (d[2] << 46) | (d[3] << 40) | (d[4] << 34) |
                                  (d[5] << 28) | (d[6] << 22) | (d[7] << 16);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
                v = __builtin_bswap64(v);
#endif
                std::memcpy(o, &v, 8);
                o += 6;
                i += 8;
                continue;
            }
        }
        if (count == 0 && i + 4 <= n) {
            // Four digits starting a group: three bytes at once.
            const std::uint32_t d0 = kDecode[t[i]], d1 = kDecode[t[i + 1]], d2 = kDecode[t[i + 2]],
                                d3 = kDecode[t[i + 3]];
            if (((d0 | d1 | d2 | d3) & 0x80) == 0) {
                const std::uint32_t v = (d0 << 18) | (d1 << 12) | (d2 << 6) | d3;
                o[0] = static_cast<std::uint8_t>(v >> 16);
                o[1] = static_cast<std::uint8_t>(v >> 8);
                o[2] = static_cast<std::uint8_t>(v);
                o += 3;
                i += 4;
                continue;
            }
        }
        const char ch = static_cast<char>(t[i++]);
        const std::uint8_t d = kDecode[static_cast<unsigned char>(ch)];
        if (d == kLineBreak) {
            // A line break is copied and drops an unfinished group.
            *o++ = static_cast<std::uint8_t>(ch);
            group = 0;
            count = 0;
            continue;
        }
        group = (group << 6) | d;
        if (++count == 4) {
            o[0] = static_cast<std::uint8_t>(group >> 16);
            o[1] = static_cast<std::uint8_t>(group >> 8);
            o[2] = static_cast<std::uint8_t>(group);
            o += 3;
            group = 0;
            count = 0;
        }
    }
    *o = 0;
    return static_cast<std::size_t>(o - output);
}

}  // namespace

std::string Base64Encode(const void* bytes, std::size_t n) {
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    std::string out((n + 2) / 3 * 4, '\0');
    char* o = out.data();
    std::size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const std::uint32_t v = (std::uint32_t{in[i]} << 16) | (std::uint32_t{in[i + 1]} << 8) | in[i + 2];
        o[0] = kAlphabet[v >> 18];
        o[1] = kAlphabet[(v >> 12) & 63];
        o[2] = kAlphabet[(v >> 6) & 63];
        o[3] = kAlphabet[v & 63];
        o += 4;
    }
    if (i < n) {
        // Missing bytes of the last group count as zero; no "=" is written.
        std::uint32_t v = std::uint32_t{in[i]} << 16;
        if (i + 1 < n) v |= std::uint32_t{in[i + 1]} << 8;
        o[0] = kAlphabet[v >> 18];
        o[1] = kAlphabet[(v >> 12) & 63];
        o[2] = kAlphabet[(v >> 6) & 63];
        o[3] = kAlphabet[v & 63];
    }
    return out;
}

bool IsBase64Digits(std::string_view text) {
    return kernels::Active().allBase64Digits(text.data(), text.size());
}

bool IsBase64Of(std::string_view text, const std::uint8_t* in, std::size_t n) {
    if (text.size() != (n + 2) / 3 * 4) return false;
    const char* t = text.data();
    for (std::size_t i = 0; i < n; i += 3, t += 4) {
        std::uint32_t v = std::uint32_t{in[i]} << 16;
        if (i + 1 < n) v |= std::uint32_t{in[i + 1]} << 8;
        if (i + 2 < n) v |= in[i + 2];
        if (t[0] != kAlphabet[v >> 18] || t[1] != kAlphabet[(v >> 12) & 63] || t[2] != kAlphabet[(v >> 6) & 63] ||
            t[3] != kAlphabet[v & 63]) {
            return false;
        }
    }
    return true;
}

std::size_t Base64Decode(std::string_view text, std::uint8_t* output) {
    return Decode(text, output, kernels::Active().decodeBase64Blocks);
}

std::string Base64Decode(std::string_view text) {
    std::string out(text.size() + 1, '\0');
    const std::size_t n = Base64Decode(text, reinterpret_cast<std::uint8_t*>(out.data()));
    out.resize(n);
    return out;
}

}  // namespace qx
