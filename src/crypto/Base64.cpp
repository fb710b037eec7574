#include "crypto/Base64.h"

#include <cstring>

#include "platform/Processor.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(QX_WIDE_VECTORS)
#include <immintrin.h>
#endif

#include <array>

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

#if defined(QX_WIDE_VECTORS)
// The digits of the bytes below 0x80, and 0x80 for every byte that is no digit.
constexpr std::array<std::uint8_t, 128> MakeWideTable() {
    std::array<std::uint8_t, 128> t{};
    for (auto& d : t) d = 0x80;
    for (std::uint8_t i = 0; i < 64; ++i) t[static_cast<unsigned char>(kAlphabet[i])] = i;
    return t;
}
constexpr std::array<std::uint8_t, 128> kWideDigits = MakeWideTable();

// Where each of 48 decoded bytes is in a vector of sixteen 24-bit groups, each
// in a 32-bit lane with its first byte highest.
constexpr std::array<std::uint8_t, 64> MakeWideOrder() {
    std::array<std::uint8_t, 64> t{};
    for (std::size_t j = 0; j < 48; ++j) t[j] = static_cast<std::uint8_t>(j / 3 * 4 + 2 - j % 3);
    return t;
}
constexpr std::array<std::uint8_t, 64> kWideOrder = MakeWideOrder();

// Decodes 64 digits at a time into 48 bytes while the next 64 bytes of t are all
// digits; returns how many bytes of t it took (a multiple of 64) and moves o on.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) std::size_t DecodeWide(const unsigned char* t,
                                                                                std::size_t n, std::uint8_t*& o) {
    const __m512i low = _mm512_loadu_si512(kWideDigits.data());
    const __m512i high = _mm512_loadu_si512(kWideDigits.data() + 64);
    const __m512i order = _mm512_loadu_si512(kWideOrder.data());
    // Two digits into twelve bits, then two of those into 24.
    const __m512i pairs = _mm512_set1_epi32(0x01400140);
    const __m512i quads = _mm512_set1_epi32(0x00011000);
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m512i v = _mm512_loadu_si512(t + i);
        const __m512i d = _mm512_permutex2var_epi8(low, v, high);
        // A byte above 0x7F, or one the table marks: no digit.
        if (_mm512_movepi8_mask(_mm512_or_si512(d, v)) != 0) break;
        const __m512i groups = _mm512_madd_epi16(_mm512_maddubs_epi16(d, pairs), quads);
        _mm512_mask_storeu_epi8(o, (std::uint64_t{1} << 48) - 1,
                                _mm512_maskz_permutexvar_epi8(~std::uint64_t{0}, order, groups));
        o += 48;
    }
    return i;
}
#endif

std::size_t Decode(std::string_view text, std::uint8_t* output, bool wide) {
    std::uint8_t* o = output;
    std::uint32_t group = 0;
    int count = 0;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t wideFrom = wide ? 0 : n;  // where 64-byte steps may be tried again
    for (std::size_t i = 0; i < n;) {
#if defined(QX_WIDE_VECTORS)
        if (count == 0 && i >= wideFrom && i + 64 <= n) {
            const std::size_t taken = DecodeWide(t + i, n - i, o);
            i += taken;
            // The 64 bytes at i hold something else than digits: go on below past them.
            wideFrom = i + 64;
            if (taken > 0) continue;
        }
#else
        (void)wideFrom;
#endif
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
    const char* p = text.data();
    const std::size_t n = text.size();
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen at a time: A-Z, a-z, 0-9, "+" and "/". Bytes above 0x7F compare as
    // negative and fall in no range.
    auto within = [](__m128i v, char lo, char hi) {
        return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(lo - 1))),
                             _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(hi + 1))));
    };
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i digit = _mm_or_si128(
            _mm_or_si128(within(v, 'A', 'Z'), within(v, 'a', 'z')),
            _mm_or_si128(within(v, '0', '9'),
                         _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('+')), _mm_cmpeq_epi8(v, _mm_set1_epi8('/')))));
        if (_mm_movemask_epi8(digit) != 0xFFFF) return false;
    }
#endif
    for (; i < n; ++i) {
        const std::uint8_t d = kDecode[static_cast<unsigned char>(p[i])];
        if (d >= 64 || kAlphabet[d] != p[i]) return false;
    }
    return true;
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
    static const bool wide = sys::HasBytePermutes();
    return Decode(text, output, wide);
}

std::size_t Base64DecodeNarrow(std::string_view text, std::uint8_t* output) { return Decode(text, output, false); }

std::string Base64Decode(std::string_view text) {
    std::string out(text.size() + 1, '\0');
    const std::size_t n = Base64Decode(text, reinterpret_cast<std::uint8_t*>(out.data()));
    out.resize(n);
    return out;
}

}  // namespace qx
