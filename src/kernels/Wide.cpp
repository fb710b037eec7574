// The wide version: a block is one 64-byte vector (AVX-512 F and BW), and
// Base64 digits decode 64 at a time where bytes can be permuted (VBMI).
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "KernelVersions.h"

#if defined(QX_KERNELS_X86)

#include <immintrin.h>

#include "kernels/Processor.h"

#define QX_WIDE_TARGET __attribute__((target("avx512f,avx512bw")))
#define QX_KERNEL QX_WIDE_TARGET
#include "Generic.h"

namespace qx::kernels {

namespace {

struct WideBlock {
    using Partial = WideBlock;  // a masked load costs no more
    __m512i v;

    QX_WIDE_TARGET static WideBlock Load(const unsigned char* p) { return {_mm512_loadu_si512(p)}; }
    // A masked load reads nothing beyond n.
    QX_WIDE_TARGET static WideBlock LoadPartial(const unsigned char* p, std::size_t n) {
        return {_mm512_maskz_loadu_epi8((__mmask64{1} << n) - 1, p)};
    }
    QX_WIDE_TARGET std::uint64_t Eq(unsigned char c) const {
        return _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(static_cast<char>(c)));
    }
    QX_WIDE_TARGET std::uint64_t Within(unsigned char lo, unsigned char hi) const {
        return _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(lo))) &
               _mm512_cmple_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(hi)));
    }
    QX_WIDE_TARGET std::uint64_t High() const { return _mm512_movepi8_mask(v); }
};

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The digits of the bytes below 0x80, and 0x80 for every byte that is no digit.
constexpr std::array<std::uint8_t, 128> MakeDigitTable() {
    std::array<std::uint8_t, 128> t{};
    for (auto& d : t) d = 0x80;
    for (std::uint8_t i = 0; i < 64; ++i) t[static_cast<unsigned char>(kAlphabet[i])] = i;
    return t;
}
constexpr std::array<std::uint8_t, 128> kDigits = MakeDigitTable();

// Where each of 48 decoded bytes is in a vector of sixteen 24-bit groups, each
// in a 32-bit lane with its first byte highest.
constexpr std::array<std::uint8_t, 64> MakeOrder() {
    std::array<std::uint8_t, 64> t{};
    for (std::size_t j = 0; j < 48; ++j) t[j] = static_cast<std::uint8_t>(j / 3 * 4 + 2 - j % 3);
    return t;
}
constexpr std::array<std::uint8_t, 64> kOrder = MakeOrder();

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) std::size_t DecodeBase64Blocks(const unsigned char* t,
                                                                                        std::size_t n,
                                                                                        std::uint8_t*& o) {
    const __m512i low = _mm512_loadu_si512(kDigits.data());
    const __m512i high = _mm512_loadu_si512(kDigits.data() + 64);
    const __m512i order = _mm512_loadu_si512(kOrder.data());
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

constinit const Kernel kWide = KernelOf<WideBlock>(Version::Wide, nullptr);
constinit const Kernel kWidePermutes = KernelOf<WideBlock>(Version::Wide, &DecodeBase64Blocks);

}  // namespace

const Kernel& WideKernel() { return HasBytePermutes() ? kWidePermutes : kWide; }

}  // namespace qx::kernels

#endif
