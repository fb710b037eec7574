#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kernels/Kernels.h"
#include "kernels/Processor.h"

namespace qx::kernels {
namespace {

using Bytes = std::vector<unsigned char>;

// Every version but plain, each to be checked against plain.
std::vector<Version> VectorVersions() {
    std::vector<Version> out;
    for (const Version v : Supported()) {
        if (v != Version::Plain) out.push_back(v);
    }
    return out;
}

std::string Describe(const LineBits& b) {
    char text[128];
    std::snprintf(text, sizeof text, "nl %016llx cr %016llx eq %016llx hi %016llx", (unsigned long long)b.nl,
                  (unsigned long long)b.cr, (unsigned long long)b.eq, (unsigned long long)b.hi);
    return text;
}

std::string Describe(const HeaderBits& b) {
    std::string out;
    for (const std::uint64_t bits : {b.leads, b.colon, b.open, b.close, b.paren, b.closeParen, b.t, b.f, b.a}) {
        char part[24];
        std::snprintf(part, sizeof part, "%016llx ", (unsigned long long)bits);
        out += part;
    }
    return out;
}

// The three classifiers of `version` agree with plain on the first n bytes at p.
void ExpectClassifiedAlike(const Kernel& k, const unsigned char* p, std::size_t n, const std::string& what) {
    const Kernel& plain = Of(Version::Plain);
    ASSERT_EQ(Describe(k.lineBits(p, n)), Describe(plain.lineBits(p, n))) << what << ", " << n << " bytes";
    ASSERT_EQ(Describe(k.headerBits(p, n)), Describe(plain.headerBits(p, n))) << what << ", " << n << " bytes";
    ASSERT_EQ(k.base64Digits(p, n), plain.base64Digits(p, n)) << what << ", " << n << " bytes";
}

TEST(Kernels, ChoiceTakesTheNamedVersionOnlyWhereItRuns) {
    const std::vector<Version> all = {Version::Plain, Version::Narrow, Version::Wide};
    const std::vector<Version> noWide = {Version::Plain, Version::Narrow};
    const std::vector<Version> plainOnly = {Version::Plain};
    struct Case {
        const char* wanted;
        const std::vector<Version>* supported;
        Version chosen;
    };
    const Case cases[] = {
        {"wide", &all, Version::Wide},       {"narrow", &all, Version::Narrow},
        {"plain", &all, Version::Plain},     {"", &all, Version::Wide},
        {"fastest", &all, Version::Wide},    {"WIDE", &all, Version::Wide},
        {"wide", &noWide, Version::Narrow},  {"plain", &noWide, Version::Plain},
        {"narrow", &plainOnly, Version::Plain}, {"", &plainOnly, Version::Plain},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Choose(c.wanted, *c.supported), c.chosen) << '"' << c.wanted << "\" of " << c.supported->size();
    }
}

TEST(Kernels, EveryVersionTheProcessorHasIsListedAndScoped) {
    const std::vector<Version> versions = Supported();
    ASSERT_FALSE(versions.empty());
    EXPECT_EQ(versions.front(), Version::Plain);
#if defined(__x86_64__)
    EXPECT_NE(std::find(versions.begin(), versions.end(), Version::Narrow), versions.end());
#endif
    EXPECT_EQ(std::find(versions.begin(), versions.end(), Version::Wide) != versions.end(), HasWideVectors());
    const Kernel* before = &Active();
    for (const Version v : versions) {
        EXPECT_EQ(Of(v).version, v);
        {
            const ScopedKernel use(v);
            EXPECT_EQ(Active().version, v);
            {
                const ScopedKernel inner(Version::Plain);
                EXPECT_EQ(Active().version, Version::Plain);
            }
            EXPECT_EQ(Active().version, v) << "the outer one comes back";
        }
        EXPECT_EQ(&Active(), before);
    }
    // Only the wide kernel of a processor with byte permutes has the 64-digit step.
    for (const Version v : versions) {
        EXPECT_EQ(Of(v).decodeBase64Blocks != nullptr, v == Version::Wide && HasBytePermutes()) << NameOf(v);
    }
}

// Every byte value at every place of a block, in front of bytes that are marks
// themselves: the plain classifiers set exactly that byte's bit, and the others
// give what plain gives, for every length of the block the byte is in.
TEST(Kernels, EveryByteAtEveryPlaceIsClassifiedAlike) {
    const auto isLead = [](unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };
    const auto isDigit = [](unsigned c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
    };
    const Kernel& plain = Of(Version::Plain);
    for (const unsigned char background : {'x', '\0'}) {
        for (unsigned c = 0; c < 256; ++c) {
            for (std::size_t at = 0; at < 64; ++at) {
                // Behind the block: bytes the classifiers note, which none may count.
                std::array<unsigned char, 128> buffer;
                for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = "\n=:a+\x81\r"[i % 7];
                std::memset(buffer.data(), background, 64);
                buffer[at] = static_cast<unsigned char>(c);
                const std::uint64_t bit = std::uint64_t{1} << at;
                const LineBits lines = plain.lineBits(buffer.data(), 64);
                ASSERT_EQ(lines.nl, c == '\n' ? bit : 0) << c << " at " << at;
                ASSERT_EQ(lines.cr, c == '\r' ? bit : 0) << c << " at " << at;
                ASSERT_EQ(lines.eq, c == '=' ? bit : 0) << c << " at " << at;
                ASSERT_EQ(lines.hi, c >= 0x80 ? bit : 0) << c << " at " << at;
                const HeaderBits header = plain.headerBits(buffer.data(), 64);
                ASSERT_EQ(header.leads, isLead(c) ? bit : 0) << c << " at " << at;
                ASSERT_EQ(header.colon | header.open | header.close | header.paren | header.closeParen | header.t |
                              header.f | header.a,
                          std::string_view(":[]()TFa").find(static_cast<char>(c)) != std::string_view::npos ? bit : 0)
                    << c << " at " << at;
                const std::uint64_t backgroundDigits = background == 'x' ? ~std::uint64_t{0} & ~bit : 0;
                ASSERT_EQ(plain.base64Digits(buffer.data(), 64), backgroundDigits | (isDigit(c) ? bit : 0))
                    << c << " at " << at;
                for (const Version v : VectorVersions()) {
                    const std::string what = std::string(NameOf(v)) + ", byte " + std::to_string(c) + " at " +
                                             std::to_string(at);
                    for (const std::size_t n : {std::size_t{64}, at, at + 1, std::size_t{63}}) {
                        ExpectClassifiedAlike(Of(v), buffer.data(), n, what);
                    }
                }
            }
        }
    }
}

TEST(Kernels, RandomBlocksAreClassifiedAlike) {
    const std::string common = "\r\n=:[]()TFa+/0Az\x80\x81\x9f\xa0\xe0\xfc\xfd\xff";
    std::mt19937 rng(20261211);
    for (int round = 0; round < 20000; ++round) {
        Bytes buffer(128);
        for (unsigned char& b : buffer) {
            b = rng() % 3 ? static_cast<unsigned char>(common[rng() % common.size()])
                          : static_cast<unsigned char>(rng());
        }
        const std::size_t n = rng() % 65;
        for (const Version v : VectorVersions()) {
            ExpectClassifiedAlike(Of(v), buffer.data(), n, std::string(NameOf(v)) + " round " + std::to_string(round));
        }
    }
}

// The loops over blocks: texts of every length up to a few blocks, with a CR,
// an LF, a CR LF pair or a wrong digit at every place, and random ones.
TEST(Kernels, LoopsOverBlocksAgreeWithPlainAtEveryPlace) {
    const Kernel& plain = Of(Version::Plain);
    std::vector<std::string> texts;
    for (std::size_t length = 0; length <= 200; ++length) {
        const std::string digits(length, 'Q');
        std::string lines;
        while (lines.size() < length) lines += (lines.size() % 7 == 5) ? "\r\n" : "k";
        lines.resize(length);
        const std::string crlf = lines;
        texts.push_back(digits);
        texts.push_back(crlf);
        for (std::size_t at = 0; at < length; ++at) {
            for (const char* piece : {"\r", "\n", "\r\n", "\n\r", "=", "\x80"}) {
                for (const std::string* base : {&digits, &crlf}) {
                    std::string t = *base;
                    const std::size_t n = std::min(std::strlen(piece), length - at);
                    t.replace(at, n, piece, n);
                    texts.push_back(t);
                }
            }
        }
    }
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        std::string t(rng() % 300, 'a');
        for (char& c : t) c = "\r\nxyz+/9\x80"[rng() % 9];
        texts.push_back(t);
    }
    for (const Version v : VectorVersions()) {
        const Kernel& k = Of(v);
        for (const std::string& t : texts) {
            ASSERT_EQ(k.firstLineEnd(t.data(), t.size()), plain.firstLineEnd(t.data(), t.size()))
                << NameOf(v) << " " << t.size();
            ASSERT_EQ(k.onlyCrLfPairs(t.data(), t.size()), plain.onlyCrLfPairs(t.data(), t.size()))
                << NameOf(v) << " " << t.size();
            ASSERT_EQ(k.allBase64Digits(t.data(), t.size()), plain.allBase64Digits(t.data(), t.size()))
                << NameOf(v) << " " << t.size();
        }
    }
    // And plain itself, on what it must say.
    EXPECT_EQ(plain.firstLineEnd("abc\ndef", 7), 3u);
    EXPECT_EQ(plain.firstLineEnd("abc", 3), 3u);
    EXPECT_TRUE(plain.onlyCrLfPairs("a\r\nb\r\n", 6));
    EXPECT_FALSE(plain.onlyCrLfPairs("a\r\nb\r", 5));
    EXPECT_FALSE(plain.onlyCrLfPairs("a\nb", 3));
    EXPECT_TRUE(plain.allBase64Digits("Az09+/", 6));
    EXPECT_FALSE(plain.allBase64Digits("Az09=", 5));
}

// The lines of a text, each ending in an LF, as the scan of a range gives them
// one after another.
std::vector<std::pair<std::size_t, std::size_t>> LinesToLookAt(const Kernel& k, const std::string& text) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    std::size_t from = 0, ls = 0, nl = 0;
    while (from < text.size() && k.nextLineToLookAt(text.data(), from, text.size(), ls, nl)) {
        out.push_back({ls, nl});
        from = nl + 1;
    }
    return out;
}

// Lines of every length that need a look for each reason ("=" first, a bare LF,
// a lone CR, a UTF-8 start as the first high byte) and lines that do not (CR LF
// lines, cp932, a UTF-8 start behind another high byte), with the mark at every
// place around the 64-byte steps: every version finds the lines plain finds.
TEST(Kernels, TheLinesToLookAtAreFoundAlikeAtEveryPlace) {
    const Kernel& plain = Of(Version::Plain);
    const char* marks[] = {"=", "\n", "\r", "\xC3\xA9", "\x82\xA0", "\x82\xA0\xC3\xA9", "\xF4\x80", "\xC2\x7F", "\x80"};
    std::vector<std::string> texts;
    for (const char* mark : marks) {
        for (std::size_t before = 0; before < 140; ++before) {
            for (const std::size_t lead : {std::size_t{0}, std::size_t{5}, std::size_t{63}, std::size_t{64}}) {
                // A quiet stretch of CR LF lines, then the line with the mark.
                std::string text;
                while (text.size() < lead) text += text.size() % 9 == 7 ? "\r\n" : "q";
                if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) text += "\r\n";
                text += std::string(before, 'y') + mark + "zz\r\nafter\r\n";
                texts.push_back(text);
            }
        }
    }
    std::mt19937 rng(17);
    const std::string bytes = "xy=\r\n\r\n\r\n\x82\xA0\xC3\xA9\x80";
    for (int round = 0; round < 4000; ++round) {
        std::string t(rng() % 400, 'a');
        for (char& c : t) c = bytes[rng() % bytes.size()];
        t += '\n';
        texts.push_back(t);
    }
    for (const std::string& t : texts) {
        const auto want = LinesToLookAt(plain, t);
        for (const Version v : VectorVersions()) {
            ASSERT_EQ(LinesToLookAt(Of(v), t), want) << NameOf(v) << " " << t.size();
        }
    }
    // And plain itself: the line with each mark, and none in CR LF lines.
    struct Case {
        std::string text;
        std::vector<std::pair<std::size_t, std::size_t>> lines;
    };
    const Case cases[] = {
        {"ab\r\ncd\r\n", {}},
        {"ab\r\n=x\r\n", {{4, 7}}},
        {"ab\ncd\r\n", {{0, 2}}},
        {"a\rb\r\n", {{0, 4}}},
        {"\x82\xA0\xC3\xA9\r\n\xC3\xA9\r\n", {{6, 9}}},
        {"\n\r\n", {{0, 0}}},
    };
    for (const Case& c : cases) EXPECT_EQ(LinesToLookAt(plain, c.text), c.lines) << c.text;
}

// The 64-digit step decodes as four digits to three bytes does, and stops in
// front of the first 64 bytes that are not all digits.
TEST(Kernels, DigitBlocksDecodeAsGroupsOfFour) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::mt19937 rng(5);
    for (const Version v : Supported()) {
        const Kernel& k = Of(v);
        if (!k.decodeBase64Blocks) continue;
        for (int round = 0; round < 2000; ++round) {
            std::string text(64 * (1 + rng() % 6) + rng() % 64, 'A');
            for (char& c : text) c = kAlphabet[rng() % 64];
            std::size_t stop = text.size() / 64 * 64;  // where the step must stop
            if (round % 2) {
                const std::size_t at = rng() % text.size();
                text[at] = "=\r\n \x80\xff"[rng() % 6];
                stop = std::min(stop, at / 64 * 64);
            }
            std::vector<std::uint8_t> out(text.size() + 64, 0xEE);
            std::uint8_t* o = out.data();
            const std::size_t taken =
                k.decodeBase64Blocks(reinterpret_cast<const unsigned char*>(text.data()), text.size(), o);
            ASSERT_EQ(taken, stop) << round;
            ASSERT_EQ(static_cast<std::size_t>(o - out.data()), taken / 4 * 3) << round;
            for (std::size_t g = 0; g < taken; g += 4) {
                std::uint32_t group = 0;
                for (std::size_t j = 0; j < 4; ++j) {
                    group = group << 6 | static_cast<std::uint32_t>(std::strchr(kAlphabet, text[g + j]) - kAlphabet);
                }
                const std::size_t b = g / 4 * 3;
                ASSERT_EQ(out[b], group >> 16 & 0xFF) << round << " group " << g;
                ASSERT_EQ(out[b + 1], group >> 8 & 0xFF) << round << " group " << g;
                ASSERT_EQ(out[b + 2], group & 0xFF) << round << " group " << g;
            }
            ASSERT_EQ(out[taken / 4 * 3], 0xEE) << "nothing written past the decoded bytes";
        }
    }
}

}  // namespace
}  // namespace qx::kernels
