// The narrow version: a block is four sixteen-byte vectors (SSE2, there on
// every x86-64 processor).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "KernelVersions.h"

#if defined(QX_KERNELS_X86)

#include <emmintrin.h>

#define QX_KERNEL
#include "Generic.h"

namespace qx::kernels {

namespace {

struct NarrowBlock {
    __m128i v[4];

    [[gnu::always_inline]] static NarrowBlock Load(const unsigned char* p) {
        NarrowBlock b;
        for (int k = 0; k < 4; ++k) b.v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        return b;
    }
    // The sixteen-byte pieces wholly in the n bytes are loaded as they are, the
    // one the end falls in through a copy; those past it are zero.
    [[gnu::always_inline]] static NarrowBlock LoadPartial(const unsigned char* p, std::size_t n) {
        NarrowBlock b;
        for (std::size_t k = 0; k < 4; ++k) {
            const std::size_t at = 16 * k;
            if (at + 16 <= n) {
                b.v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
            } else if (at >= n) {
                b.v[k] = _mm_setzero_si128();
            } else {
                alignas(16) unsigned char piece[16] = {};
                std::memcpy(piece, p + at, n - at);
                b.v[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(piece));
            }
        }
        return b;
    }
    static std::uint64_t Bits(__m128i x, int k) {
        return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(x))} << (16 * k);
    }
    std::uint64_t Eq(unsigned char c) const {
        const __m128i cv = _mm_set1_epi8(static_cast<char>(c));
        std::uint64_t bits = 0;
        for (int k = 0; k < 4; ++k) bits |= Bits(_mm_cmpeq_epi8(v[k], cv), k);
        return bits;
    }
    std::uint64_t Within(unsigned char lo, unsigned char hi) const {
        // Unsigned: x >= lo when max(x, lo) is x, x <= hi when min(x, hi) is x.
        const __m128i lv = _mm_set1_epi8(static_cast<char>(lo));
        const __m128i hv = _mm_set1_epi8(static_cast<char>(hi));
        std::uint64_t bits = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i geLo = _mm_cmpeq_epi8(_mm_max_epu8(v[k], lv), v[k]);
            const __m128i leHi = _mm_cmpeq_epi8(_mm_min_epu8(v[k], hv), v[k]);
            bits |= Bits(_mm_and_si128(geLo, leHi), k);
        }
        return bits;
    }
    std::uint64_t High() const {
        std::uint64_t bits = 0;
        for (int k = 0; k < 4; ++k) bits |= Bits(v[k], k);
        return bits;
    }
};

}  // namespace

constinit const Kernel kNarrowKernel = KernelOf<NarrowBlock>(Version::Narrow, nullptr);

}  // namespace qx::kernels

#endif
