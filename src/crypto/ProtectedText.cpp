#include "crypto/ProtectedText.h"

#include "crypto/Base64.h"
#include "crypto/BlowFish.h"
#include "text/Cp932.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace qx {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::uint8_t* Bytes(std::string& s) { return reinterpret_cast<std::uint8_t*>(s.data()); }

// Keying costs 521 block encryptions, far more than a typical message body, and
// a log is read and written under one key. The cipher keyed last is therefore
// kept per thread and reused while the key stays the same.
struct KeyedCache {
    std::string key;
    CBlowFish cipher;
    bool keyed = false;
    // Blocks decrypted under this key, for DecryptRemembering; emptied with a new key.
    struct Block {
        std::uint64_t cipher = 0, plain = 0;
        bool used = false;
    };
    std::vector<Block> blocks;
};

KeyedCache& KeyedCacheFor(std::string_view key) {
    thread_local KeyedCache cache;
    if (!cache.keyed || cache.key != key) {
        cache.keyed = false;
        cache.key.assign(key);
        cache.cipher.SetKey(reinterpret_cast<const std::uint8_t*>(cache.key.data()), cache.key.size());
        cache.blocks.clear();
        cache.keyed = true;
    }
    return cache;
}

const CBlowFish& KeyedCipher(std::string_view key) { return KeyedCacheFor(key).cipher; }

// Decrypts the k bytes (whole blocks) at b, recalling blocks decrypted before
// under the same key. The cipher takes each block alone, and the headers of a
// log open with the same few addressee lines: their blocks come again and again,
// and a look-up is far cheaper than decrypting. Only short texts go this way.
void DecryptRemembering(std::string_view key, std::uint8_t* b, std::size_t k) {
    constexpr std::size_t kSlots = 4096;  // a power of two
    constexpr std::size_t kMostBlocks = 64;
    KeyedCache& cache = KeyedCacheFor(key);
    if (k > 8 * kMostBlocks) {
        cache.cipher.DecryptBuffer(b, b, k);
        return;
    }
    if (cache.blocks.empty()) cache.blocks.resize(kSlots);
    auto slotOf = [&](std::uint64_t cipher) -> KeyedCache::Block& {
        return cache.blocks[static_cast<std::size_t>((cipher * 0x9E3779B97F4A7C15ull) >> 52) & (kSlots - 1)];
    };
    // Blocks not recalled are gathered and decrypted together.
    std::uint8_t missing[8 * kMostBlocks];
    std::uint64_t missingCipher[kMostBlocks];
    std::size_t missingAt[kMostBlocks];
    std::size_t misses = 0;
    for (std::size_t at = 0; at < k; at += 8) {
        std::uint64_t cipher;
        std::memcpy(&cipher, b + at, 8);
        const KeyedCache::Block& known = slotOf(cipher);
        if (known.used && known.cipher == cipher) {
            std::memcpy(b + at, &known.plain, 8);
            continue;
        }
        std::memcpy(missing + 8 * misses, &cipher, 8);
        missingCipher[misses] = cipher;
        missingAt[misses] = at;
        ++misses;
    }
    if (misses == 0) return;
    cache.cipher.DecryptBuffer(missing, missing, 8 * misses);
    for (std::size_t i = 0; i < misses; ++i) {
        std::memcpy(b + missingAt[i], missing + 8 * i, 8);
        KeyedCache::Block& slot = slotOf(missingCipher[i]);
        slot.cipher = missingCipher[i];
        std::memcpy(&slot.plain, missing + 8 * i, 8);
        slot.used = true;
    }
}

// The end of s[from, to) without the zero bytes that pad it. Zero bytes inside
// a text are its own and stay.
std::size_t EndBeforePadding(const std::string& s, std::size_t from, std::size_t to) {
    while (to > from && s[to - 1] == '\0') --to;
    return to;
}

}  // namespace

std::string MakeCipherKey(std::string_view password) {
    std::string key;
    key.reserve(password.size() + kKeySuffix.size());
    key.append(password);
    key.append(kKeySuffix);
    return key;
}

std::string EncryptText(std::string_view text, std::string_view cipherKey) {
    const std::size_t n = kCheckPrefix.size() + text.size();
    std::string plain(CBlowFish::PaddedLength(n), '\0');
    std::memcpy(plain.data(), kCheckPrefix.data(), kCheckPrefix.size());
    if (!text.empty()) std::memcpy(plain.data() + kCheckPrefix.size(), text.data(), text.size());
    const std::size_t m = KeyedCipher(cipherKey).EncryptBuffer(Bytes(plain), Bytes(plain), n);
    return Base64Encode(plain.data(), m);
}

std::string DecryptText(std::string_view text, std::string_view cipherKey, bool& ok, bool* exact) {
    const std::string_view line = Trim(text);
    // Decoded bytes plus the terminator never exceed the length of the text + 1.
    std::string buffer(line.size() + 1, '\0');
    const std::size_t decoded = Base64Decode(line, Bytes(buffer));
    // The Base64 form of a ciphertext decodes to it plus up to two zero bytes.
    const std::size_t k = decoded & ~static_cast<std::size_t>(7);
    // Encrypting again writes the Base64 form of whole blocks, so the text must
    // be exactly that form of its first k bytes. Whole groups of digits decode
    // one-to-one, so for them that needs only the length and the zero bits of
    // the last group; any other text is encoded again to compare...
    if (exact) {
        if (line.size() % 4 == 0 && IsBase64Digits(line)) {
            *exact = line.size() == (k + 2) / 3 * 4 &&
                     std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(k),
                                 buffer.begin() + static_cast<std::ptrdiff_t>(decoded), [](char c) { return c == 0; });
        } else {
            *exact = IsBase64Of(line, Bytes(buffer), k);
        }
    }
    // A text checked for exactness is a header or a text about to be rewritten:
    // short, and often opening like others before it.
    if (exact) DecryptRemembering(cipherKey, Bytes(buffer), k);
    else KeyedCipher(cipherKey).DecryptBuffer(Bytes(buffer), Bytes(buffer), k);
    // The plaintext is the decrypted blocks without their zero padding.
    const std::size_t end = EndBeforePadding(buffer, 0, k);
    if (exact && *exact) {
        // ...and, the cipher being one-to-one on blocks, the padding must be
        // exactly what fills the plaintext up to those k bytes.
        *exact = CBlowFish::PaddedLength(end) == k;
    }
    buffer.resize(end);
    if (!buffer.starts_with(kCheckPrefix)) {
        ok = false;
        if (exact) *exact = false;
        return std::string(kPasswordNg);
    }
    ok = true;
    buffer.erase(0, kCheckPrefix.size());
    return buffer;
}

void DecryptTextAppend(std::string_view text, std::string_view cipherKey, bool& ok, std::string& out) {
    const std::string_view line = Trim(text);
    const std::size_t start = out.size();
    out.resize(start + line.size() + 1);
    auto* bytes = reinterpret_cast<std::uint8_t*>(out.data()) + start;
    const std::size_t decoded = Base64Decode(line, bytes);
    const std::size_t k = decoded & ~static_cast<std::size_t>(7);
    KeyedCipher(cipherKey).DecryptBuffer(bytes, bytes, k);
    const std::size_t end = EndBeforePadding(out, start, start + k);
    const std::string_view plain(out.data() + start, end - start);
    if (!plain.starts_with(kCheckPrefix)) {
        ok = false;
        out.resize(start);
        out.append(kPasswordNg);
        return;
    }
    ok = true;
    out.erase(start, kCheckPrefix.size());
    out.resize(end - kCheckPrefix.size());
}

std::string DecodeText(std::string_view text, int mode, std::string_view cipherKey, bool& ok) {
    if (mode == 2) return DecryptText(text, cipherKey, ok);
    if (mode != 1) return std::string(text);

    std::string out;
    out.reserve(text.size() + text.size() / 32 + 2);
    ForEachLine(text, [&out](std::string_view line) {
        const std::size_t start = out.size();
        out.resize(start + line.size() + 1);
        const std::size_t n = Base64Decode(line, Bytes(out) + start);
        out.resize(EndBeforePadding(out, start, start + n));
        out.append(kCrLf);
    });
    return out;
}

bool EncodesExactly(std::string_view text, int mode) {
    // Decoding takes zero bytes at the end for padding.
    if (mode == 2) return text.empty() || text.back() != '\0';
    if (mode != 1) return true;
    bool exact = true;
    ForEachLine(text, [&exact](std::string_view line) {
        if (!line.empty() && line.back() == '\0') exact = false;
    });
    return exact;
}

std::string EncodeText(std::string_view text, int fromMode, int toMode, std::string_view cipherKey,
                       bool& ok) {
    if (toMode != 1 && toMode != 2) return std::string(text);
    if (fromMode == toMode) return std::string(text);

    std::string decoded;
    if (fromMode != 0) {
        decoded = DecodeText(text, fromMode, cipherKey, ok);
        text = decoded;
    }

    if (toMode == 2) {
        std::string out = EncryptText(text, cipherKey);
        out.append(kCrLf);
        return out;
    }

    std::string out;
    out.reserve(text.size() / 3 * 4 + text.size() / 16 + 8);
    ForEachLine(text, [&out](std::string_view line) {
        out.append(Base64Encode(line));
        out.append(kCrLf);
    });
    return out;
}

}  // namespace qx
