// Base64 with the standard alphabet. The encoder never writes "=" padding; the
// decoder copies CR and LF through and restarts its group at them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

// 4 * ceil(n / 3) characters, no padding, no line breaks.
std::string Base64Encode(const void* bytes, std::size_t n);
inline std::string Base64Encode(std::string_view bytes) { return Base64Encode(bytes.data(), bytes.size()); }

// Writes the decoded bytes and a terminating zero byte to output, which must hold
// text.size() + 1 bytes. Returns the number of bytes written, terminator excluded.
std::size_t Base64Decode(std::string_view text, std::uint8_t* output);

// Whether every character of text is a digit of the alphabet (no line breaks,
// no padding, nothing else).
bool IsBase64Digits(std::string_view text);

// Whether text is exactly Base64Encode(bytes, n), without building it.
bool IsBase64Of(std::string_view text, const std::uint8_t* bytes, std::size_t n);

// Convenience: the decoded bytes (without the terminator).
std::string Base64Decode(std::string_view text);

}  // namespace qx
