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

// The bits of sixteen-byte pieces, in their places of a 64-bit mask.
[[gnu::always_inline]] inline std::uint64_t Bits(__m128i x, std::size_t k) {
    return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(x))} << (16 * k);
}

// Unsigned: x >= lo when max(x, lo) is x, x <= hi when min(x, hi) is x.
[[gnu::always_inline]] inline __m128i WithinOf(__m128i x, __m128i lo, __m128i hi) {
    return _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(x, lo), x), _mm_cmpeq_epi8(_mm_min_epu8(x, hi), x));
}

// The first `Live` pieces of a block, or `live` of them when Live is 0.
template <std::size_t Live>
struct NarrowPieces {
    __m128i v[4];
    std::size_t live = Live;

    [[gnu::always_inline]] std::size_t Count() const { return Live ? Live : live; }
    [[gnu::always_inline]] std::uint64_t Eq(unsigned char c) const {
        const __m128i cv = _mm_set1_epi8(static_cast<char>(c));
        std::uint64_t bits = 0;
        for (std::size_t k = 0; k < Count(); ++k) bits |= Bits(_mm_cmpeq_epi8(v[k], cv), k);
        return bits;
    }
    [[gnu::always_inline]] std::uint64_t Within(unsigned char lo, unsigned char hi) const {
        const __m128i lv = _mm_set1_epi8(static_cast<char>(lo));
        const __m128i hv = _mm_set1_epi8(static_cast<char>(hi));
        std::uint64_t bits = 0;
        for (std::size_t k = 0; k < Count(); ++k) bits |= Bits(WithinOf(v[k], lv, hv), k);
        return bits;
    }
    [[gnu::always_inline]] std::uint64_t High() const {
        std::uint64_t bits = 0;
        for (std::size_t k = 0; k < Count(); ++k) bits |= Bits(v[k], k);
        return bits;
    }
};

struct NarrowBlock : NarrowPieces<4> {
    // A short block: only the pieces holding some of its bytes are looked at.
    using Partial = NarrowPieces<0>;

    [[gnu::always_inline]] static NarrowBlock Load(const unsigned char* p) {
        NarrowBlock b;
        for (std::size_t k = 0; k < 4; ++k) b.v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        return b;
    }
    // The pieces wholly in the n bytes are loaded as they are, the one the end
    // falls in through a copy with zeros behind.
    [[gnu::always_inline]] static Partial LoadPartial(const unsigned char* p, std::size_t n) {
        Partial b;
        b.live = (n + 15) / 16;
        for (std::size_t k = 0; k < b.live; ++k) {
            if (16 * k + 16 <= n) {
                b.v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            } else {
                alignas(16) unsigned char piece[16] = {};
                std::memcpy(piece, p + 16 * k, n - 16 * k);
                b.v[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(piece));
            }
        }
        return b;
    }
};

}  // namespace

constinit const Kernel kNarrowKernel = KernelOf<NarrowBlock>(Version::Narrow, nullptr);

}  // namespace qx::kernels

#endif
