// The loops over 64-byte blocks, written once over a block type of each vector
// version. A block type B gives:
//   static B Load(const unsigned char* p);                   64 bytes at p
//   static B::Partial LoadPartial(const unsigned char* p, size_t n);
//                                  n < 64 bytes, the rest zero (a type of its own
//                                  where a short block is cheaper so, or B)
//   uint64_t Eq(unsigned char c) const;                      the bytes equal to c
//   uint64_t Within(unsigned char lo, unsigned char hi) const;  lo <= byte <= hi
//   uint64_t High() const;                                   the bytes above 0x7F
// and B::Partial the same but Load and LoadPartial.
// The file that includes this defines QX_KERNEL as the attributes of its
// functions (the instruction set of its version) and includes <cstddef>,
// <cstdint>, <cstring> and "kernels/Kernels.h" first. Everything here is local to that file.
#pragma once

// The pieces the loops are made of, always inlined into them.
#define QX_KERNEL_PIECE QX_KERNEL __attribute__((always_inline)) inline

namespace qx::kernels {
namespace {

// What f makes of the block of the n bytes at p (at most 64).
template <typename B, typename F>
QX_KERNEL_PIECE auto Classified(const unsigned char* p, std::size_t n, F f) {
    if (n >= 64) return f(B::Load(p));
    return f(B::LoadPartial(p, n));
}

// What is asked of a block, for Classified.
struct LineBitsOfBlock {
    template <typename Block>
    QX_KERNEL_PIECE LineBits operator()(const Block& b) const {
        return {b.Eq('\n'), b.Eq('\r'), b.Eq('='), b.High()};
    }
};
struct HeaderBitsOfBlock {
    template <typename Block>
    QX_KERNEL_PIECE HeaderBits operator()(const Block& b) const {
        const std::uint64_t high = b.High();
        return {high ? b.Within(0x81, 0x9F) | b.Within(0xE0, 0xFC) : 0,
                b.Eq(':'),
                b.Eq('['),
                b.Eq(']'),
                b.Eq('('),
                b.Eq(')'),
                b.Eq('T'),
                b.Eq('F'),
                b.Eq('a')};
    }
};
struct DigitsOfBlock {
    template <typename Block>
    QX_KERNEL_PIECE std::uint64_t operator()(const Block& b) const {
        return b.Within('A', 'Z') | b.Within('a', 'z') | b.Within('0', '9') | b.Eq('+') | b.Eq('/');
    }
};
struct LineEndsOfBlock {
    template <typename Block>
    QX_KERNEL_PIECE std::uint64_t operator()(const Block& b) const {
        return b.Eq('\r') | b.Eq('\n');
    }
};
struct CrAndLf {
    std::uint64_t cr, lf;
};
struct CrAndLfOfBlock {
    template <typename Block>
    QX_KERNEL_PIECE CrAndLf operator()(const Block& b) const {
        return {b.Eq('\r'), b.Eq('\n')};
    }
};

QX_KERNEL_PIECE std::uint64_t FirstBits(std::size_t n) {
    return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

template <typename B>
QX_KERNEL LineBits LineBitsOf(const unsigned char* p, std::size_t n) {
    return Classified<B>(p, n, LineBitsOfBlock{});
}

template <typename B>
QX_KERNEL HeaderBits HeaderBitsOf(const unsigned char* p, std::size_t n) {
    return Classified<B>(p, n, HeaderBitsOfBlock{});
}

template <typename B>
QX_KERNEL std::uint64_t Base64DigitsOf(const unsigned char* p, std::size_t n) {
    return Classified<B>(p, n, DigitsOfBlock{});
}

// Sixty-four bytes at a time; a window without such a line only moves on. The
// state carried from window to window: where the line the window starts in
// began, and whether that line's first byte above 0x7F was looked at.
template <typename B>
QX_KERNEL bool NextLineToLookAtOf(const char* base, std::size_t from, std::size_t to, std::size_t& ls,
                                  std::size_t& nl) {
    std::size_t pos = from;        // where the next window starts
    std::size_t lineStart = from;  // start of the line pos is in
    bool highSeen = false;
    while (pos < to) {
        const std::size_t avail = to - pos < 64 ? to - pos : 64;
        const unsigned char* w = reinterpret_cast<const unsigned char*>(base + pos);
        const LineBits bits = Classified<B>(w, avail, LineBitsOfBlock{});
        const std::uint64_t nlm = bits.nl, crm = bits.cr;
        const std::uint64_t starts = (nlm << 1) | (pos == lineStart ? 1u : 0u);
        const std::uint64_t crBefore = (crm << 1) | (pos > lineStart && base[pos - 1] == '\r' ? 1u : 0u);
        // A CR with no LF behind it; the range ends in an LF, so a CR in its
        // last window always has its next byte in the window.
        const bool lfNext = pos + 64 < to && base[pos + 64] == '\n';
        const std::uint64_t lfBehind = (nlm >> 1) | (lfNext ? std::uint64_t{1} << 63 : 0);
        std::uint64_t events = (starts & bits.eq) | (nlm & ~crBefore) | (crm & ~lfBehind);
        // The first high byte of each line.
        std::uint64_t high = bits.hi;
        if (highSeen) high &= nlm ? ~((nlm & (~nlm + 1)) * 2 - 1) : 0;
        bool highOpen = false;
        while (high) {
            const int p = __builtin_ctzll(high);
            if (w[p] >= 0xC2 && w[p] <= 0xF4) {
                const unsigned char next = static_cast<unsigned char>(base[pos + static_cast<std::size_t>(p) + 1]);
                if (next >= 0x80 && next <= 0xBF) events |= std::uint64_t{1} << p;
            }
            const std::uint64_t after = p == 63 ? 0 : nlm & ~((std::uint64_t{2} << p) - 1);
            if (!after) {
                highOpen = true;
                break;
            }
            high &= ~((after & (~after + 1)) * 2 - 1);  // up to that line feed
        }
        if (!events) {
            if (nlm) lineStart = pos + 64 - static_cast<std::size_t>(__builtin_clzll(nlm));
            highSeen = highOpen || (!nlm && highSeen);
            pos += avail;
            continue;
        }
        // The line of the first event.
        const int e = __builtin_ctzll(events);
        const std::uint64_t below = nlm & ((std::uint64_t{1} << e) - 1);
        ls = below ? pos + 64 - static_cast<std::size_t>(__builtin_clzll(below)) : lineStart;
        const std::uint64_t atOrAfter = nlm & ~((std::uint64_t{1} << e) - 1);
        if (atOrAfter) {
            nl = pos + static_cast<std::size_t>(__builtin_ctzll(atOrAfter));
        } else {
            const std::size_t at = pos + static_cast<std::size_t>(e);
            nl = static_cast<std::size_t>(static_cast<const char*>(std::memchr(base + at, '\n', to - at)) - base);
        }
        return true;
    }
    return false;
}

template <typename B>
QX_KERNEL std::size_t FirstLineEndOf(const char* s, std::size_t n) {
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    for (std::size_t e = 0; e < n; e += 64) {
        const std::uint64_t ends = Classified<B>(p + e, n - e, LineEndsOfBlock{});
        if (ends) return e + static_cast<std::size_t>(__builtin_ctzll(ends));
    }
    return n;
}

template <typename B>
QX_KERNEL bool OnlyCrLfPairsOf(const char* s, std::size_t n) {
    // The LF positions must be exactly the CR positions moved on by one, with
    // the last byte of the block before in front.
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    std::uint64_t crBefore = 0;
    for (std::size_t i = 0; i < n; i += 64) {
        const std::size_t count = n - i < 64 ? n - i : 64;
        const CrAndLf ends = Classified<B>(p + i, count, CrAndLfOfBlock{});
        if (ends.lf != (((ends.cr << 1) | crBefore) & FirstBits(count))) return false;
        crBefore = ends.cr >> (count - 1) & 1u;
    }
    return crBefore == 0;
}

template <typename B>
QX_KERNEL bool AllBase64DigitsOf(const char* s, std::size_t n) {
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    for (std::size_t i = 0; i < n; i += 64) {
        const std::size_t count = n - i < 64 ? n - i : 64;
        if (Classified<B>(p + i, count, DigitsOfBlock{}) != FirstBits(count)) return false;
    }
    return true;
}

// The kernel of block type B; the Base64 block step is the version's own.
template <typename B>
constexpr Kernel KernelOf(Version version,
                std::size_t (*decodeBase64Blocks)(const unsigned char*, std::size_t, std::uint8_t*&)) {
    return {version,           &LineBitsOf<B>,         &HeaderBitsOf<B>,      &Base64DigitsOf<B>,
            &NextLineToLookAtOf<B>, &FirstLineEndOf<B>, &OnlyCrLfPairsOf<B>, &AllBase64DigitsOf<B>,
            decodeBase64Blocks};
}

}  // namespace
}  // namespace qx::kernels

#undef QX_KERNEL_PIECE
