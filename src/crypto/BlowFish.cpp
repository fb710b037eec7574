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

std::size_t CBlowFish::EncryptBuffer(const std::uint8_t* input, std::uint8_t* output, std::size_t n) const {
    const std::size_t whole = n & ~static_cast<std::size_t>(7);
    for (std::size_t off = 0; off < whole; off += 8) {
        std::uint32_t l = LoadLe(input + off);
        std::uint32_t r = LoadLe(input + off + 4);
        Encrypt(p_, s_, l, r);
        StoreLe(output + off, l);
        StoreLe(output + off + 4, r);
    }
    if (whole < n) {
        std::uint8_t block[8] = {};
        std::memcpy(block, input + whole, n - whole);
        std::uint32_t l = LoadLe(block);
        std::uint32_t r = LoadLe(block + 4);
        Encrypt(p_, s_, l, r);
        StoreLe(output + whole, l);
        StoreLe(output + whole + 4, r);
    }
    return PaddedLength(n);
}

std::size_t CBlowFish::DecryptBuffer(const std::uint8_t* input, std::uint8_t* output, std::size_t n) const {
    const std::size_t whole = n & ~static_cast<std::size_t>(7);
    for (std::size_t off = 0; off < whole; off += 8) {
        std::uint32_t l = LoadLe(input + off);
        std::uint32_t r = LoadLe(input + off + 4);
        Decrypt(p_, s_, l, r);
        StoreLe(output + off, l);
        StoreLe(output + off + 4, r);
    }
    return n;
}

void CBlowFish::EncryptBlock(std::uint32_t& left, std::uint32_t& right) const { Encrypt(p_, s_, left, right); }

void CBlowFish::DecryptBlock(std::uint32_t& left, std::uint32_t& right) const { Decrypt(p_, s_, left, right); }

std::uint32_t CBlowFish::RoundFunction(std::uint32_t x) const { return F(s_, x); }

}  // namespace qx
