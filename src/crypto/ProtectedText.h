// The three stored forms of a header or body text:
//   0 plain, 1 every line Base64-encoded, 2 encrypted under a password (one line),
//   any other mode (-1) is treated as plain.
// These functions know nothing of log records; LogData wraps them.
#pragma once

#include <string>
#include <string_view>

namespace qx {

inline constexpr std::string_view kPasswordNg = "--- Password NG ---";
inline constexpr std::string_view kCheckPrefix = ":marvotel:";
inline constexpr std::string_view kKeySuffix = "_quentrax";

// The Blowfish key for a password: the password followed by the key suffix.
std::string MakeCipherKey(std::string_view password);

// One line of Base64 (no CR LF) of the encrypted check prefix + text.
std::string EncryptText(std::string_view text, std::string_view cipherKey);

// The readable text of an encrypted text; on a wrong key returns kPasswordNg and
// sets ok false, otherwise sets ok true. With `exact`, also says whether
// EncryptText of the result gives back exactly Trim(text) (found without
// encrypting again).
std::string DecryptText(std::string_view text, std::string_view cipherKey, bool& ok, bool* exact = nullptr);

// DecryptText appending its result to out, without a string of its own.
void DecryptTextAppend(std::string_view text, std::string_view cipherKey, bool& ok, std::string& out);

// Readable text of a stored text in mode. ok is set only for mode 2.
std::string DecodeText(std::string_view text, int mode, std::string_view cipherKey, bool& ok);

// Whether `text` comes back whole from mode 1 or 2: decoding takes the zero
// bytes at the end of a line (mode 1) or of the text (mode 2) for padding, so
// a text that ends in one cannot be carried in that mode.
bool EncodesExactly(std::string_view text, int mode);

// Stored text in toMode of a text now in fromMode. ok is set only when a mode-2
// text had to be decrypted.
std::string EncodeText(std::string_view text, int fromMode, int toMode, std::string_view cipherKey,
                       bool& ok);

}  // namespace qx
