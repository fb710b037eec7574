// Blowfish block cipher in electronic-codebook use over zero-padded buffers.
// The two halves of each 8-byte block are read and written as little-endian
// 32-bit words; stored logs depend on that order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qx {

class CBlowFish {
public:
    CBlowFish();
    ~CBlowFish();
    CBlowFish(const CBlowFish&);
    CBlowFish& operator=(const CBlowFish&);

    // Key setup from length (>= 1) bytes; bytes past the 72nd have no effect.
    void SetKey(const std::uint8_t* key, std::size_t length);

    static std::size_t PaddedLength(std::size_t n) { return (n + 7) & ~static_cast<std::size_t>(7); }

    // Encrypts n bytes into output (which must hold PaddedLength(n) bytes; it may
    // be input itself). Returns PaddedLength(n).
    std::size_t EncryptBuffer(const std::uint8_t* input, std::uint8_t* output, std::size_t n) const;
    // Decrypts n bytes (a multiple of 8); output may be input. Returns n.
    std::size_t DecryptBuffer(const std::uint8_t* input, std::uint8_t* output, std::size_t n) const;

    void EncryptBlock(std::uint32_t& left, std::uint32_t& right) const;
    void DecryptBlock(std::uint32_t& left, std::uint32_t& right) const;
    std::uint32_t RoundFunction(std::uint32_t x) const;

private:
    std::uint32_t* p_;  // 18 words
    std::uint32_t* s_;  // 4 x 256 words
};

}  // namespace qx
