#include "crypto/BlowFish.h"

#include "crypto/BlowFishTables.h"

#include <algorithm>
#include <cstring>

namespace qx {

namespace {

constexpr std::size_t kPWords = 18;
constexpr std::size_t kSWords = 4 * 256;

// The round function and block functions, kept here so that the buffer loops
// inline them and keep both halves in registers.
inline std::uint32_t F(const std::uint32_t* s, std::uint32_t x) {
    return ((s[x >> 24] + s[256 + ((x >> 16) & 0xFF)]) ^ s[512 + ((x >> 8) & 0xFF)]) + s[768 + (x & 0xFF)];
}

inline void Encrypt(const std::uint32_t* p, const std::uint32_t* s, std::uint32_t& left, std::uint32_t& right) {
    std::uint32_t l = left;
    std::uint32_t r = right;
    for (std::size_t i = 0; i < 16; i += 2) {
        l ^= p[i];
        r ^= F(s, l);
        r ^= p[i + 1];
        l ^= F(s, r);
    }
    left = r ^ p[17];
    right = l ^ p[16];
}

inline void Decrypt(const std::uint32_t* p, const std::uint32_t* s, std::uint32_t& left, std::uint32_t& right) {
    std::uint32_t l = left;
    std::uint32_t r = right;
    for (std::size_t i = 17; i > 1; i -= 2) {
        l ^= p[i];
        r ^= F(s, l);
        r ^= p[i - 1];
        l ^= F(s, r);
    }
    left = r ^ p[0];
    right = l ^ p[1];
}

// Several blocks at once: each block's rounds depend on one another, but the
// chains of different blocks are independent, so the processor overlaps their
// table look-ups.
template <bool kDecrypt, int kBlocks>
[[gnu::always_inline]] inline void CryptN(const std::uint32_t* p, const std::uint32_t* s, std::uint32_t* l,
                                          std::uint32_t* r) {
    std::uint32_t lv[kBlocks], rv[kBlocks];
    for (int b = 0; b < kBlocks; ++b) {
        lv[b] = l[b];
        rv[b] = r[b];
    }
    // Unrolled in full, so that every half stays in a register.
#pragma GCC unroll 8
    for (std::size_t k = 0; k < 16; k += 2) {
        const std::uint32_t pa = kDecrypt ? p[17 - k] : p[k];
        const std::uint32_t pb = kDecrypt ? p[16 - k] : p[k + 1];
#pragma GCC unroll 16
        for (int b = 0; b < kBlocks; ++b) lv[b] ^= pa;
#pragma GCC unroll 16
        for (int b = 0; b < kBlocks; ++b) rv[b] ^= F(s, lv[b]) ^ pb;
#pragma GCC unroll 16
        for (int b = 0; b < kBlocks; ++b) lv[b] ^= F(s, rv[b]);
    }
    const std::uint32_t last = kDecrypt ? p[0] : p[17];
    const std::uint32_t before = kDecrypt ? p[1] : p[16];
    for (int b = 0; b < kBlocks; ++b) {
        l[b] = rv[b] ^ last;
        r[b] = lv[b] ^ before;
    }
}

// Block halves are stored little-endian whatever the host order; compilers turn
// these into plain loads and stores on little-endian hosts.
inline std::uint32_t LoadLe(const std::uint8_t* b) {
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

inline void StoreLe(std::uint8_t* b, std::uint32_t v) {
    b[0] = static_cast<std::uint8_t>(v);
    b[1] = static_cast<std::uint8_t>(v >> 8);
    b[2] = static_cast<std::uint8_t>(v >> 16);
    b[3] = static_cast<std::uint8_t>(v >> 24);
}

void LoadInitialTables(std::uint32_t* p, std::uint32_t* s) {
    std::copy_n(blowfish_tables::kInitialP, kPWords, p);
    std::copy_n(blowfish_tables::kInitialS, kSWords, s);
}

}  // namespace

// P-array and S-boxes share one allocation; s_ points just behind the P-array.
CBlowFish::CBlowFish() : p_(new std::uint32_t[kPWords + kSWords]), s_(p_ + kPWords) {
    LoadInitialTables(p_, s_);
}

CBlowFish::~CBlowFish() { delete[] p_; }

CBlowFish::CBlowFish(const CBlowFish& other)
    : p_(new std::uint32_t[kPWords + kSWords]), s_(p_ + kPWords) {
    std::copy(other.p_, other.p_ + kPWords + kSWords, p_);
}

CBlowFish& CBlowFish::operator=(const CBlowFish& other) {
    if (this != &other) std::copy(other.p_, other.p_ + kPWords + kSWords, p_);
    return *this;
}

void CBlowFish::SetKey(const std::uint8_t* key, std::size_t length) {
    LoadInitialTables(p_, s_);

    // Callers always pass a key; an empty one leaves the P-array unmixed rather
    // than dividing by zero.
    if (length > 0) {
        std::size_t j = 0;
        for (std::size_t i = 0; i < kPWords; ++i) {
            std::uint32_t word = 0;
            for (std::size_t k = 0; k < 4; ++k) {
                word = (word << 8) | key[j];
                j = (j + 1 == length) ? 0 : j + 1;
            }
            p_[i] ^= word;
        }
    }

    std::uint32_t l = 0;
    std::uint32_t r = 0;
    for (std::size_t i = 0; i < kPWords + kSWords; i += 2) {
        Encrypt(p_, s_, l, r);
        p_[i] = l;  // the S-boxes follow the P-array directly
        p_[i + 1] = r;
    }
}

namespace {

// kBlocks whole blocks from input to output.
template <bool kDecrypt, int kBlocks>
[[gnu::always_inline]] inline void CryptGroup(const std::uint32_t* p, const std::uint32_t* s, const std::uint8_t* input,
                                              std::uint8_t* output) {
    std::uint32_t l[kBlocks], r[kBlocks];
    for (int k = 0; k < kBlocks; ++k) {
        l[k] = LoadLe(input + 8 * k);
        r[k] = LoadLe(input + 8 * k + 4);
    }
    CryptN<kDecrypt, kBlocks>(p, s, l, r);
    for (int k = 0; k < kBlocks; ++k) {
        StoreLe(output + 8 * k, l[k]);
        StoreLe(output + 8 * k + 4, r[k]);
    }
}

// Runs the whole blocks of [input, input + whole) through the cipher: eight at a
// time, then four, then the rest one by one.
template <bool kDecrypt>
void CryptWholeBlocks(const std::uint32_t* p, const std::uint32_t* s, const std::uint8_t* input,
                      std::uint8_t* output, std::size_t whole) {
    std::size_t off = 0;
    // Eight chains at once (more no longer fit the registers); four of what is
    // left, so that short texts, a header or a body of a few lines, gain too.
    for (; off + 64 <= whole; off += 64) CryptGroup<kDecrypt, 8>(p, s, input + off, output + off);
    if (off + 32 <= whole) {
        CryptGroup<kDecrypt, 4>(p, s, input + off, output + off);
        off += 32;
    }
    for (; off < whole; off += 8) {
        std::uint32_t l = LoadLe(input + off);
        std::uint32_t r = LoadLe(input + off + 4);
        if (kDecrypt) Decrypt(p, s, l, r);
        else Encrypt(p, s, l, r);
        StoreLe(output + off, l);
        StoreLe(output + off + 4, r);
    }
}

}  // namespace

std::size_t CBlowFish::EncryptBuffer(const std::uint8_t* input, std::uint8_t* output, std::size_t n) const {
    const std::size_t whole = n & ~static_cast<std::size_t>(7);
    CryptWholeBlocks<false>(p_, s_, input, output, whole);
    if (whole < n) {
        std::uint8_t block[8] = {};
        std::memcpy(block, input + whole, n - whole);
        CryptWholeBlocks<false>(p_, s_, block, output + whole, 8);
    }
    return PaddedLength(n);
}

std::size_t CBlowFish::DecryptBuffer(const std::uint8_t* input, std::uint8_t* output, std::size_t n) const {
    CryptWholeBlocks<true>(p_, s_, input, output, n & ~static_cast<std::size_t>(7));
    return n;
}

void CBlowFish::EncryptBlock(std::uint32_t& left, std::uint32_t& right) const { Encrypt(p_, s_, left, right); }

void CBlowFish::DecryptBlock(std::uint32_t& left, std::uint32_t& right) const { Decrypt(p_, s_, left, right); }

std::uint32_t CBlowFish::RoundFunction(std::uint32_t x) const { return F(s_, x); }

}  // namespace qx
