#include "crypto/Base64.h"
#include "kernels/Kernels.h"
#include "crypto/BlowFish.h"
#include "crypto/ProtectedText.h"
#include "text/Cp932.h"

#include <gtest/gtest.h>
#ifdef QX_OPENSSL_REFERENCE
#include <openssl/blowfish.h>
#endif

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace qx {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromHex(std::string_view hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoul(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

Bytes FromText(std::string_view s) { return Bytes(s.begin(), s.end()); }

// Reverses the bytes within every 4-byte half: converts between the reference
// (big-endian halves) and this cipher's little-endian halves.
Bytes SwapHalves(Bytes b) {
    for (std::size_t i = 0; i + 4 <= b.size(); i += 4) std::reverse(b.begin() + static_cast<long>(i), b.begin() + static_cast<long>(i) + 4);
    return b;
}

CBlowFish Keyed(const Bytes& key) {
    CBlowFish bf;
    bf.SetKey(key.data(), key.size());
    return bf;
}

Bytes Encrypt(const CBlowFish& bf, const Bytes& in) {
    Bytes out(CBlowFish::PaddedLength(in.size()), 0xCC);
    EXPECT_EQ(bf.EncryptBuffer(in.data(), out.data(), in.size()), out.size());
    return out;
}

Bytes Decrypt(const CBlowFish& bf, const Bytes& in) {
    Bytes out(in.size(), 0xCC);
    EXPECT_EQ(bf.DecryptBuffer(in.data(), out.data(), in.size()), in.size());
    return out;
}

#ifdef QX_OPENSSL_REFERENCE
// Reference encryption: OpenSSL, block by block, in its big-endian byte order.
Bytes ReferenceEncrypt(const Bytes& key, const Bytes& in) {
    BF_KEY bk;
    BF_set_key(&bk, static_cast<int>(key.size()), key.data());
    Bytes out(in.size());
    for (std::size_t off = 0; off < in.size(); off += 8) BF_ecb_encrypt(in.data() + off, out.data() + off, &bk, BF_ENCRYPT);
    return out;
}
#else
// Without OpenSSL the cipher the published vectors below check stands in, for
// the tests of what is built on it (never to check the cipher itself).
Bytes ReferenceEncrypt(const Bytes& key, const Bytes& in) { return SwapHalves(Encrypt(Keyed(key), SwapHalves(in))); }
#endif

Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
    Bytes b(n);
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto& x : b) x = static_cast<std::uint8_t>(byte(rng));
    return b;
}

// ---------------------------------------------------------------- Blowfish

struct Vector {
    const char* key;    // hex, or text when prefixed with '@'
    const char* plain;  // hex, big-endian halves as published
    const char* cipher;
};

Bytes KeyOf(const char* k) { return k[0] == '@' ? FromText(k + 1) : FromHex(k); }

class PublishedVectors : public ::testing::TestWithParam<Vector> {};

TEST_P(PublishedVectors, MatchWithHalvesByteSwapped) {
    const Vector& v = GetParam();
    const CBlowFish bf = Keyed(KeyOf(v.key));
    const Bytes plain = FromHex(v.plain);
    const Bytes cipher = FromHex(v.cipher);
    EXPECT_EQ(SwapHalves(Encrypt(bf, SwapHalves(plain))), cipher);
    EXPECT_EQ(SwapHalves(Decrypt(bf, SwapHalves(cipher))), plain);

    // The block function itself works on the published words.
    auto word = [](const Bytes& b, std::size_t at) {
        return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
    };
    std::uint32_t l = word(plain, 0), r = word(plain, 4);
    bf.EncryptBlock(l, r);
    EXPECT_EQ(l, word(cipher, 0));
    EXPECT_EQ(r, word(cipher, 4));
    bf.DecryptBlock(l, r);
    EXPECT_EQ(l, word(plain, 0));
    EXPECT_EQ(r, word(plain, 4));
}

INSTANTIATE_TEST_SUITE_P(
    Blowfish, PublishedVectors,
    ::testing::Values(
        Vector{"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        Vector{"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        Vector{"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        Vector{"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
        Vector{"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        Vector{"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
        Vector{"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        Vector{"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
        Vector{"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
        // Variable key length: prefixes of one key.
        Vector{"F0", "FEDCBA9876543210", "F9AD597C49DB005E"},
        Vector{"F0E1D2", "FEDCBA9876543210", "E9C2B70A1BC65CF3"},
        Vector{"F0E1D2C3B4A5968778", "FEDCBA9876543210", "15750E7A4F4EC577"},
        Vector{"F0E1D2C3B4A5968778695A4B3C2D1E0F00112233445566", "FEDCBA9876543210", "80C7D7D45A5479AD"},
        Vector{"F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210", "05044B62FA52D080"},
        Vector{"@abcdefghijklmnopqrstuvwxyz", "424C4F5746495348", "324ED0FEF413A203"},
        Vector{"@Who is John Galt?", "FEDCBA9876543210", "CC91732B8022F684"}));

TEST(BlowFish, AgreesWithReferenceOnRandomKeysAndData) {
#ifndef QX_OPENSSL_REFERENCE
    GTEST_SKIP() << "built without OpenSSL, the reference";
#else
    std::mt19937 rng(20240517);
    for (std::size_t keyLength = 1; keyLength <= 72; ++keyLength) {
        const Bytes key = RandomBytes(rng, keyLength);
        const Bytes data = RandomBytes(rng, 8 * (1 + keyLength % 9));
        const CBlowFish bf = Keyed(key);
        const Bytes expected = ReferenceEncrypt(key, data);
        ASSERT_EQ(SwapHalves(Encrypt(bf, SwapHalves(data))), expected) << "key length " << keyLength;
        ASSERT_EQ(SwapHalves(Decrypt(bf, SwapHalves(expected))), data) << "key length " << keyLength;
    }
#endif
}

TEST(BlowFish, KeyCyclesOverSeventyTwoBytes) {
    std::mt19937 rng(7);
    const Bytes shortKey = {0x41, 0x9C, 0x02};
    Bytes longKey;
    for (int i = 0; i < 24; ++i) longKey.insert(longKey.end(), shortKey.begin(), shortKey.end());
    const Bytes data = RandomBytes(rng, 64);
    EXPECT_EQ(Encrypt(Keyed(shortKey), data), Encrypt(Keyed(longKey), data));

    // Bytes past the 72nd have no effect, bytes before it do.
    Bytes longer = RandomBytes(rng, 80);
    const Bytes first = Encrypt(Keyed(longer), data);
    longer[75] ^= 0x5A;
    EXPECT_EQ(Encrypt(Keyed(longer), data), first);
    longer[71] ^= 0x5A;
    EXPECT_NE(Encrypt(Keyed(longer), data), first);
}

TEST(BlowFish, PaddedLength) {
    const std::pair<std::size_t, std::size_t> cases[] = {{0, 0}, {1, 8}, {7, 8}, {8, 8}, {9, 16}, {16, 16}, {17, 24}};
    for (auto [n, padded] : cases) EXPECT_EQ(CBlowFish::PaddedLength(n), padded) << n;
}

TEST(BlowFish, BufferLengthsAndZeroPadding) {
    const CBlowFish bf = Keyed(FromText("secret_quentrax"));
    Bytes out(16, 0xCC);
    EXPECT_EQ(bf.EncryptBuffer(nullptr, out.data(), 0), 0u);
    EXPECT_EQ(out, Bytes(16, 0xCC));  // nothing written

    const Bytes eight = FromText("12345678");
    EXPECT_EQ(Encrypt(bf, eight).size(), 8u);

    // Nine bytes give two blocks; the second is the ninth byte and seven zeros.
    const Bytes nine = FromText("123456789");
    const Bytes enc = Encrypt(bf, nine);
    ASSERT_EQ(enc.size(), 16u);
    Bytes padded = nine;
    padded.resize(16, 0);
    EXPECT_EQ(enc, Encrypt(bf, padded));
    EXPECT_EQ(Decrypt(bf, enc), padded);
    // Blocks are encrypted independently.
    EXPECT_EQ(Bytes(enc.begin(), enc.begin() + 8), Encrypt(bf, eight));
}

TEST(BlowFish, InPlaceEqualsSeparateBuffer) {
    std::mt19937 rng(99);
    const CBlowFish bf = Keyed(RandomBytes(rng, 20));
    for (std::size_t n : {5u, 8u, 21u, 64u}) {
        const Bytes data = RandomBytes(rng, n);
        const Bytes separate = Encrypt(bf, data);
        Bytes inPlace = data;
        inPlace.resize(CBlowFish::PaddedLength(n), 0xEE);  // bytes past n must not leak in
        EXPECT_EQ(bf.EncryptBuffer(inPlace.data(), inPlace.data(), n), separate.size());
        EXPECT_EQ(inPlace, separate) << n;
        EXPECT_EQ(bf.DecryptBuffer(inPlace.data(), inPlace.data(), inPlace.size()), inPlace.size());
        Bytes expected = data;
        expected.resize(separate.size(), 0);
        EXPECT_EQ(inPlace, expected) << n;
    }
}

TEST(BlowFish, CopiesAreIndependent) {
    const Bytes data = FromText("abcdefgh");
    CBlowFish a = Keyed(FromText("first"));
    const Bytes fromA = Encrypt(a, data);
    CBlowFish copy(a);
    CBlowFish assigned = Keyed(FromText("other"));
    assigned = a;
    a.SetKey(reinterpret_cast<const std::uint8_t*>("second"), 6);
    EXPECT_NE(Encrypt(a, data), fromA);
    EXPECT_EQ(Encrypt(copy, data), fromA);
    EXPECT_EQ(Encrypt(assigned, data), fromA);
}

// ---------------------------------------------------------------- Base64

struct Base64Case {
    std::string_view bytes;
    std::string_view text;
};

class Base64Encoding : public ::testing::TestWithParam<Base64Case> {};

TEST_P(Base64Encoding, EncodesWithoutPadding) {
    const Base64Case& c = GetParam();
    EXPECT_EQ(Base64Encode(c.bytes), c.text);
}

INSTANTIATE_TEST_SUITE_P(Base64, Base64Encoding,
                         ::testing::Values(Base64Case{"", ""}, Base64Case{"a", "YQAA"}, Base64Case{"ab", "YWIA"},
                                           Base64Case{"abc", "YWJj"}, Base64Case{"Man is", "TWFuIGlz"},
                                           Base64Case{"\xFB\xFF", "+/8A"},
                                           Base64Case{std::string_view("\x00\x10\x83", 3), "ABCD"},
                                           Base64Case{"line3 \x82\xA0", "bGluZTMggqAA"}));

class Base64Decoding : public ::testing::TestWithParam<Base64Case> {};

TEST_P(Base64Decoding, DecodesAndTerminates) {
    const Base64Case& c = GetParam();
    EXPECT_EQ(Base64Decode(c.text), c.bytes);

    std::vector<std::uint8_t> out(c.text.size() + 1, 0xAA);
    const std::size_t n = Base64Decode(c.text, out.data());
    ASSERT_EQ(n, c.bytes.size());
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(out.data()), n), c.bytes);
    EXPECT_EQ(out[n], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Base64, Base64Decoding,
    ::testing::Values(Base64Case{"", ""}, Base64Case{"abc", "YWJj"}, Base64Case{std::string_view("ab\0", 3), "YWIA"},
                      Base64Case{"abc", "YWJjYQ"},             // unfinished group dropped
                      Base64Case{"\r\n", "YW\r\nJj"},          // both groups unfinished
                      Base64Case{"abc\r\nabc", "YWJj\r\nYWJj"},
                      Base64Case{"\nabc", "YW\nYWJj"},         // LF drops the unfinished "YW"
                      Base64Case{std::string_view("\x61\x60\x00", 3), "YW=="},  // "=" counts as zero
                      Base64Case{std::string_view("\xFB\xFF\x00\x00\x10\x83", 6), "+/8AABCD"}));

TEST(Base64, DigitsAreTheAlphabetOnly) {
    const std::string all = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    EXPECT_TRUE(IsBase64Digits(all));
    EXPECT_TRUE(IsBase64Digits(""));
    // One wrong character anywhere, in a 64-byte step or behind it, with every kernel.
    for (const kernels::Version v : kernels::Supported()) {
        const kernels::ScopedKernel use(v);
        const std::string twice = all + all.substr(0, 20);
        EXPECT_TRUE(IsBase64Digits(twice)) << NameOf(v);
        for (std::size_t at = 0; at < twice.size(); at += 7) {
            for (char bad : {'=', '\r', '\0', ' ', '@', '[', '`', '{', ',', '.', ':', '\x80', '\xC1', '\xFF'}) {
                std::string text = twice;
                text[at] = bad;
                EXPECT_FALSE(IsBase64Digits(text)) << at << " " << static_cast<int>(bad) << " " << NameOf(v);
            }
        }
    }
}

TEST(Base64, RoundTripAddsOnlyZeroBytes) {
    std::mt19937 rng(3);
    for (std::size_t n = 0; n <= 40; ++n) {
        const Bytes b = RandomBytes(rng, n);
        const std::string text = Base64Encode(b.data(), b.size());
        ASSERT_EQ(text.size(), 4 * ((n + 2) / 3));
        EXPECT_EQ(text.find('='), std::string::npos);
        std::string expected(b.begin(), b.end());
        expected.resize(3 * ((n + 2) / 3), '\0');
        EXPECT_EQ(Base64Decode(text), expected) << n;
    }
}

// Runs of 64 digits are decoded 64 at a time where the kernel can; texts of
// every length, with other bytes here and there, decode with every kernel as
// with the plain one.
TEST(Base64, EveryKernelDecodesAsThePlainOne) {
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string others = std::string("\r\n=\0 @[`{\x80\xC1\xFF", 13);
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t n = rng() % 420;
        std::string text(n, 'A');
        for (char& c : text) c = digits[rng() % 64];
        for (std::size_t k = 0, faults = n == 0 ? 0 : rng() % 4; k < faults; ++k) {
            text[rng() % n] = others[rng() % others.size()];
        }
        std::vector<std::uint8_t> plain(n + 1, 0x55);
        std::size_t m = 0;
        {
            const kernels::ScopedKernel use(kernels::Version::Plain);
            m = Base64Decode(text, plain.data());
        }
        for (const kernels::Version v : kernels::Supported()) {
            const kernels::ScopedKernel use(v);
            std::vector<std::uint8_t> got(n + 1, 0xAA);
            const std::size_t w = Base64Decode(text, got.data());
            ASSERT_EQ(w, m) << round << " " << NameOf(v);
            ASSERT_TRUE(std::equal(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(w + 1), plain.begin()))
                << "round " << round << ", " << n << " characters, " << NameOf(v);
        }
    }
}

// ---------------------------------------------------------------- protected texts

const std::string kKey = MakeCipherKey("pass");

// Texts decrypted with an exactness check recall the blocks decrypted before
// under the same key, and under that key only.
TEST(ProtectedText, RecalledBlocksGiveTheSameText) {
    const std::string one = MakeCipherKey("one"), two = MakeCipherKey("two");
    const std::string opening = " From: alice (dev/pc01/192.168.0.5)\r\n  at ";
    for (int round = 0; round < 2; ++round) {
        for (const std::string& rest : {std::string("Mon Jan  5 09:03:01 2004"), std::string("Tue Feb  6 10:00:00 2005"),
                                        std::string(700, 'x')}) {
            const std::string text = opening + rest;
            const std::string stored = EncryptText(text, one);
            bool ok = false, exact = false;
            EXPECT_EQ(DecryptText(stored, one, ok, &exact), text);
            EXPECT_TRUE(ok && exact);
            EXPECT_EQ(DecryptText(stored, two, ok, &exact), kPasswordNg);
            EXPECT_FALSE(ok);
            EXPECT_EQ(DecryptText(stored, one, ok, &exact), text);
            EXPECT_TRUE(ok && exact);
            EXPECT_EQ(DecryptText(stored, one, ok), text);
        }
    }
}

TEST(ProtectedText, CipherKeyAppendsSuffix) {
    EXPECT_EQ(MakeCipherKey("pass"), "pass_quentrax");
    EXPECT_EQ(MakeCipherKey(""), "_quentrax");
}

TEST(ProtectedText, EncryptedTextIsPrefixedPaddedBlowfishInBase64) {
    const std::string text = "Hello\r\n\x82\xA0 world\r\n";
    const std::string line = EncryptText(text, kKey);

    // Decrypt independently with the reference cipher.
    std::string plain = ":marvotel:" + text;
    const std::size_t m = CBlowFish::PaddedLength(plain.size());
    plain.resize(m, '\0');
    const Bytes key(kKey.begin(), kKey.end());
    const Bytes expected = SwapHalves(ReferenceEncrypt(key, SwapHalves(FromText(plain))));
    EXPECT_EQ(line, Base64Encode(expected.data(), expected.size()));
    EXPECT_EQ(line.size(), 4 * ((m + 2) / 3));
}

TEST(ProtectedText, EncryptDecryptRoundTrip) {
    // Lengths around block and Base64 group boundaries.
    for (std::size_t len = 0; len <= 30; ++len) {
        std::string text;
        for (std::size_t i = 0; i < len; ++i) text += static_cast<char>(i % 5 == 4 ? '\n' : 0x81 + static_cast<int>(i));
        bool ok = false;
        EXPECT_EQ(DecryptText(EncryptText(text, kKey), kKey, ok), text) << len;
        EXPECT_TRUE(ok);
    }
}

TEST(ProtectedText, DecryptTrimsBlanksAroundTheLine) {
    bool ok = false;
    EXPECT_EQ(DecryptText(" \t" + EncryptText("abc", kKey) + "\r\n", kKey, ok), "abc");
    EXPECT_TRUE(ok);
}

TEST(ProtectedText, ExactSaysWhetherEncryptingAgainGivesTheTextBack) {
    const std::string line = EncryptText("secret body\r\n", kKey);  // 24 bytes: 32 digits
    std::string nonZeroPad = ":marvotel:ab";                        // 12 bytes, padded to 16
    nonZeroPad += std::string("\0\0\x01\0", 4);                      // zero bytes inside, one at the end
    CBlowFish bf;
    const std::string key = kKey;
    bf.SetKey(reinterpret_cast<const std::uint8_t*>(key.data()), key.size());
    std::string raw = nonZeroPad;
    bf.EncryptBuffer(reinterpret_cast<const std::uint8_t*>(raw.data()), reinterpret_cast<std::uint8_t*>(raw.data()),
                     raw.size());
    // Sixteen bytes end in a group holding one byte, its last digits zero ("A");
    // another character there decodes to the same bytes, yet is not that text.
    std::string sixteen = EncryptText("ab", kKey);
    ASSERT_EQ(sixteen.size(), 24u);
    ASSERT_EQ(sixteen.back(), 'A');
    std::string notDigit = sixteen;
    notDigit.back() = '=';
    const std::pair<std::string, bool> cases[] = {
        {line, true},
        {sixteen, true},
        {notDigit, false},
        {" " + line + "\r\n", true},              // blanks around are trimmed either way
        {line + "AAAAAAAAAAA", false},            // a block that decrypts to zeros
        {line.substr(0, line.size() - 1), false},  // a digit short
        {line + "A", false},                      // a digit too many
        {line.substr(0, 10) + "*" + line.substr(11), false},  // not a Base64 digit
        {Base64Encode(raw), true},                // the zero bytes before the last non-zero one are text
    };
    for (const auto& [text, expected] : cases) {
        bool ok = false, exact = !expected;
        const std::string plain = DecryptText(text, kKey, ok, &exact);
        EXPECT_EQ(exact, expected) << text;
        EXPECT_EQ(exact, ok && EncryptText(plain, kKey) == Trim(text)) << text;
    }
}

TEST(ProtectedText, ZeroBytesInsideATextComeBackInEveryMode) {
    using namespace std::string_literals;
    struct Case {
        std::string text;
        bool exact1, exact2;  // EncodesExactly in mode 1 and 2
    };
    const Case cases[] = {
        {"a\0b\r\n"s, true, true},
        {"\0\0lead\r\nmid\0\0dle\r\n"s, true, true},
        {"line\0\r\nnext\r\n"s, false, true},  // a line ending in a zero byte
        {"from (h)\r\n  at x\0"s, false, false},  // the text ends in one
        {"plain\r\n", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodesExactly(c.text, 1), c.exact1) << c.text;
        EXPECT_EQ(EncodesExactly(c.text, 2), c.exact2) << c.text;
        EXPECT_TRUE(EncodesExactly(c.text, 0));
        for (int mode : {1, 2}) {
            if (!EncodesExactly(c.text, mode)) continue;
            bool ok = false;
            const std::string stored = EncodeText(c.text, 0, mode, kKey, ok);
            std::string back = DecodeText(stored, mode, kKey, ok);
            // Mode 1 ends every line with CR LF; mode 2 gives the text itself.
            EXPECT_EQ(back, c.text) << "mode " << mode << ": " << stored;
        }
    }
}

TEST(ProtectedText, WrongKeyOrGarbageGivesPasswordNg) {
    const std::string line = EncryptText("secret body\r\n", kKey);
    for (const auto& [text, key] : {std::pair<std::string, std::string>{line, MakeCipherKey("Pass")},
                                    {line, MakeCipherKey("pas")},
                                    {"bm90IGVuY3J5cHRlZA\r\n", kKey},
                                    {"", kKey}}) {
        bool ok = true;
        EXPECT_EQ(DecryptText(text, key, ok), kPasswordNg) << text;
        EXPECT_FALSE(ok) << text;
    }
    // The keyed cipher is kept between calls; switching keys back and forth still works.
    const std::string other = EncryptText("other", MakeCipherKey("x"));
    bool ok = false;
    EXPECT_EQ(DecryptText(line, kKey, ok), "secret body\r\n");
    EXPECT_TRUE(ok);
    EXPECT_EQ(DecryptText(other, MakeCipherKey("x"), ok), "other");
    EXPECT_TRUE(ok);
    EXPECT_EQ(DecryptText(other, kKey, ok), kPasswordNg);
    EXPECT_FALSE(ok);
}

TEST(ProtectedText, EncryptedLineLength) {
    for (std::size_t len : {0u, 1u, 5u, 6u, 7u, 13u, 14u, 100u}) {
        bool ok = false;
        const std::string stored = EncodeText(std::string(len, 'x'), 0, 2, kKey, ok);
        const std::size_t m = CBlowFish::PaddedLength(10 + len);
        ASSERT_GE(stored.size(), 2u);
        EXPECT_EQ(stored.substr(stored.size() - 2), "\r\n");
        EXPECT_EQ(stored.size() - 2, 4 * ((m + 2) / 3)) << len;
        EXPECT_EQ(stored.find_first_of("=\r\n"), stored.size() - 2);
    }
}

TEST(ProtectedText, DecodeLineByLine) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", ""},
        {"YQAA", "a\r\n"},                      // the zero bytes at the end are padding
        {"YWJj\r\n\r\nYQAA\r\n", "abc\r\n\r\na\r\n"},  // empty line stays empty
        {"YWJj\nYWJj\rYQ", "abc\r\nabc\r\n\r\n"},     // LF and CR end lines too; "YQ" decodes to nothing
        {"AGFi", std::string_view("\0ab\r\n", 5)},  // a zero byte inside the line is its own
        {"bGluZTMggqAA\r\n", "line3 \x82\xA0\r\n"},
    };
    for (auto [stored, plain] : cases) {
        bool ok = true;
        EXPECT_EQ(DecodeText(stored, 1, kKey, ok), plain) << stored;
        EXPECT_TRUE(ok);  // untouched outside mode 2
    }
}

// Every stored form of one body, converted to every other form.
struct ModeCase {
    int from;
    int to;
};

class ModeConversion : public ::testing::TestWithParam<ModeCase> {};

const std::string kPlain = "line1\r\n\r\nline3 \x82\xA0\r\n";
const std::string kBase64Lines = "bGluZTEA\r\n\r\nbGluZTMggqAA\r\n";

std::string StoredForm(int mode) {
    if (mode == 1) return kBase64Lines;
    if (mode == 2) return EncryptText(kPlain, kKey) + "\r\n";
    return kPlain;  // plain and unrecognised
}

TEST_P(ModeConversion, EncodeAndDecode) {
    const auto [from, to] = GetParam();
    const std::string stored = StoredForm(from);

    bool ok = false;
    EXPECT_EQ(DecodeText(stored, from, kKey, ok), from == 1 || from == 2 ? kPlain : stored);
    EXPECT_EQ(ok, from == 2);

    ok = false;
    const std::string encoded = EncodeText(stored, from, to, kKey, ok);
    EXPECT_EQ(ok, from == 2 && (to == 1 || to == 2) && from != to);
    if (to == 1) {
        EXPECT_EQ(encoded, kBase64Lines);
    } else if (to == 2 && from == 2) {
        EXPECT_EQ(encoded, stored);
    } else if (to == 2) {
        EXPECT_EQ(encoded, EncryptText(kPlain, kKey) + "\r\n");
        bool ok2 = false;
        EXPECT_EQ(DecodeText(encoded, 2, kKey, ok2), kPlain);
        EXPECT_TRUE(ok2);
    } else {
        EXPECT_EQ(encoded, stored);
    }
}

INSTANTIATE_TEST_SUITE_P(AllPairs, ModeConversion,
                         ::testing::Values(ModeCase{-1, -1}, ModeCase{-1, 0}, ModeCase{-1, 1}, ModeCase{-1, 2},
                                           ModeCase{0, -1}, ModeCase{0, 0}, ModeCase{0, 1}, ModeCase{0, 2},
                                           ModeCase{1, -1}, ModeCase{1, 0}, ModeCase{1, 1}, ModeCase{1, 2},
                                           ModeCase{2, -1}, ModeCase{2, 0}, ModeCase{2, 1}, ModeCase{2, 2}),
                         [](const auto& info) {
                             auto name = [](int m) { return m < 0 ? std::string("Unrecognised") : std::to_string(m); };
                             return "From" + name(info.param.from) + "To" + name(info.param.to);
                         });

TEST(ProtectedText, EncodeEdgeCases) {
    bool ok = true;
    // Text without a final line break still gets CR LF after every line.
    EXPECT_EQ(EncodeText("a\r\nb", 0, 1, kKey, ok), "YQAA\r\nYgAA\r\n");
    EXPECT_EQ(EncodeText("", 0, 1, kKey, ok), "");
    // An empty body encrypts to the check prefix alone.
    const std::string empty = EncodeText("", 0, 2, kKey, ok);
    EXPECT_EQ(DecryptText(empty, kKey, ok), "");
    EXPECT_TRUE(ok);
    // A mode-2 text that does not decrypt is re-encoded as the substitute text.
    const std::string foreign = EncryptText("x\r\n", MakeCipherKey("other"));
    EXPECT_EQ(EncodeText(foreign, 2, 1, kKey, ok), Base64Encode(kPasswordNg) + "\r\n");
    EXPECT_FALSE(ok);
    // ... but is kept as it is when written encrypted again.
    ok = true;
    EXPECT_EQ(EncodeText(foreign, 2, 2, kKey, ok), foreign);
    EXPECT_TRUE(ok);
}

}  // namespace
}  // namespace qx
