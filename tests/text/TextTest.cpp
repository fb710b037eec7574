#include <gtest/gtest.h>

#include "kernels/Kernels.h"
#include "text/BoundedText.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace qx {
namespace {

// "ソ" is 83 5C and "ロ" is 83 8D; "\x83\x5B" is "ッ"... any lead byte followed by
// an ASCII-range trail byte shows whether a search steps into the character.
const std::string kSo = "\x83\x5C";       // trail byte is a backslash
const std::string kBracketTrail = "\x83[";  // trail byte is "["

struct PosCase {
    std::string needle, text;
    std::size_t pos, last;
};

TEST(Cp932, PosNeverMatchesOnTrailBytes) {
    const PosCase cases[] = {
        {"[", "ab[cd", 3, 3},
        {"[", kBracketTrail, 0, 0},
        {"[", kBracketTrail + "[", 3, 3},
        {"\\", "x" + kSo + "\\", 4, 4},
        {"(", "a(b(c", 2, 4},
        {"", "abc", 0, 0},
        {"abc", "ab", 0, 0},
        // a lead byte at the very end has no trail byte: it is a character of its own
        {"\x83", "a\x83", 2, 2},
        // the needle itself may be double-byte; it is found only at a character start
        {"\x5C\x83", kSo + "\x83\x5C", 0, 0},
        {kSo, "a" + kSo + kSo, 2, 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Pos(c.needle, c.text), c.pos) << c.needle << " in " << c.text;
        EXPECT_EQ(LastPos(c.needle, c.text), c.last) << c.needle << " in " << c.text;
    }
    EXPECT_EQ(Pos("b", "abab", 3), 4u);
}

TEST(Cp932, BoundedPrefixNeverEndsInsideACharacter) {
    struct Case {
        std::string text;
        std::size_t limit, expected;
    } cases[] = {
        {"abcdef", 4, 4},           {"abc", 10, 3},
        {"ab" + kSo + "cd", 3, 2},  // the limit falls between lead and trail byte
        {"ab" + kSo + "cd", 4, 4},  {kSo + kSo, 3, 2},
        {"a\x83", 2, 2},            // a lead byte at the very end counts as one byte
        {"", 5, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(BoundedPrefixLength(c.text, c.limit), c.expected) << c.text;
}

TEST(Cp932, TrimKeepsFullWidthSpace) {
    EXPECT_EQ(Trim(std::string("\x01 \t a b \r\n\0", 11)), "a b");
    EXPECT_EQ(Trim("\x81\x40x\x81\x40"), "\x81\x40x\x81\x40");
    EXPECT_EQ(Trim("   "), "");
}

TEST(Cp932, SubstringRules) {
    EXPECT_EQ(Substring("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Substring("abcdef", 0, 2), "ab");
    EXPECT_EQ(Substring("abcdef", -5, 2), "ab");
    EXPECT_EQ(Substring("abcdef", 5, 99), "ef");
    EXPECT_EQ(Substring("abcdef", 7, 1), "");
    EXPECT_EQ(Substring("abcdef", 2, 0), "");
    EXPECT_EQ(Substring("abcdef", 2, -1), "");
}

TEST(Cp932, SplitLinesAtEveryLineEnd) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(SplitLines(""), V{});
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), V{"a"});
    EXPECT_EQ(SplitLines("\r\n\r\n"), (V{"", ""}));
    EXPECT_EQ(SplitLines("a\r\r\nb"), (V{"a", "", "b"}));
}

// Every kernel ends a line where a byte-by-byte walk does: at its first CR or
// LF, a CR LF pair together, at any distance and up to the text's end.
TEST(Cp932, NextLineFindsEveryLineEndAtAnyDistance) {
    auto bytewise = [](std::string_view s, std::size_t pos) {
        std::size_t e = pos;
        while (e < s.size() && s[e] != '\r' && s[e] != '\n') ++e;
        if (e == s.size()) return LineSpan{s.substr(pos), e};
        const std::size_t next = s[e] == '\r' && e + 1 < s.size() && s[e + 1] == '\n' ? e + 2 : e + 1;
        return LineSpan{s.substr(pos, e - pos), next};
    };
    const std::string ends[] = {"\r\n", "\n", "\r", ""};
    for (std::size_t length = 0; length <= 150; ++length) {
        for (const std::string& end : ends) {
            const std::string text = std::string(length, 'x') + end + "tail\r\n";
            for (const std::string& s : {text, text.substr(0, length + end.size())}) {
                for (std::size_t pos : {std::size_t{0}, length / 3, length}) {
                    if (pos > s.size()) continue;
                    const LineSpan want = bytewise(s, pos);
                    for (const kernels::Version v : kernels::Supported()) {
                        const kernels::ScopedKernel use(v);
                        const LineSpan got = NextLine(s, pos);
                        ASSERT_EQ(got.line.data(), want.line.data()) << length << end.size() << pos << NameOf(v);
                        ASSERT_EQ(got.line.size(), want.line.size()) << length << end.size() << pos << NameOf(v);
                        ASSERT_EQ(got.next, want.next) << length << end.size() << pos << NameOf(v);
                    }
                }
            }
        }
    }
}

TEST(Cp932, CrLfTextIsExactlyLinesEndedByCrLf) {
    const std::string longLine(40, 'x');
    struct Case {
        std::string text;
        bool crlf;
    };
    const Case cases[] = {
        {"", true},
        {"\r\n", true},
        {"a\r\nb\r\n", true},
        {"\r\n\r\n\r\n", true},
        {longLine + "\r\n" + longLine + "\r\n", true},
        {"a\r\nb", false},
        {"a\nb\r\n", false},
        {"a\rb\r\n", false},
        {"a\r\r\n", false},
        {"a\n\r\n", false},
        // the same faults inside a 16-byte chunk and across the edge between two
        {longLine + "\n" + longLine + "\r\n", false},
        {std::string(15, 'x') + "\r\n" + longLine + "\r\n", true},
        {std::string(15, 'x') + "\r" + "y\r\n", false},
        {std::string(16, 'x') + "\n" + longLine + "\r\n", false},
        {longLine + "\r" + longLine + "\r\n", false},
        // and across the edge between two 64-byte steps
        {std::string(63, 'x') + "\r\n" + std::string(100, 'y') + "\r\n", true},
        {std::string(63, 'x') + "\ry" + std::string(100, 'y') + "\r\n", false},
        {std::string(64, 'x') + "\n" + std::string(100, 'y') + "\r\n", false},
        {std::string(127, 'x') + "\r\n" + std::string(100, 'y') + "\r\n", true},
    };
    for (const kernels::Version v : kernels::Supported()) {
        const kernels::ScopedKernel use(v);
        for (const auto& c : cases) EXPECT_EQ(IsCrLfText(c.text), c.crlf) << c.text.size() << NameOf(v);
    }
}

TEST(Cp932, AsciiCaseFoldingLeavesTrailBytes) {
    // "\x83\x41" is a katakana whose trail byte is "A".
    EXPECT_EQ(AsciiLower("AbC\x83\x41Z"), "abc\x83\x41z");
    EXPECT_TRUE(EqualsIgnoreAsciiCase("Alice", "aLICE"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("\x83\x41", "\x83\x61"));
}

TEST(Encoding, Utf8LineStep) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"plain ascii", "plain ascii"},
        {"\xE6\x97\xA5\xE6\x9C\xAC", "\x93\xFA\x96\x7B"},   // "日本" in UTF-8 becomes cp932
        {"\x93\xFA\x96\x7B", "\x93\xFA\x96\x7B"},           // cp932 stays as it is
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},           // an emoji has no cp932 form
        {"\xE6\x97", "\xE6\x97"},                           // cut UTF-8 is not UTF-8
        {"\xEF\xBD\x9E", "\x81\x60"},                       // full-width tilde round-trips
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8LineToCp932(c.in), c.out);
}

TEST(Encoding, Cp932ToUtf8NeverFails) {
    EXPECT_EQ(Cp932ToUtf8("\x93\xFA\x96\x7B"), "\xE6\x97\xA5\xE6\x9C\xAC");
    // A lone lead byte at the end and an unassigned byte are replaced, the rest kept.
    const std::string out = Cp932ToUtf8("a\xA0" "b\x83");
    EXPECT_EQ(out.front(), 'a');
    EXPECT_NE(out.find('b'), std::string::npos);
    EXPECT_NE(out.find("\xEF\xBF\xBD"), std::string::npos);
    EXPECT_TRUE(IsValidUtf8(out));
}

TEST(Encoding, Cp932CharactersOfEveryKind) {
    struct Case {
        std::string cp932, utf8;
    };
    const std::string bad = "\xEF\xBF\xBD";
    const Case cases[] = {
        {"\x87\x40\x87\x54", "\xE2\x91\xA0\xE2\x85\xA0"},  // the NEC row: circled one, Roman one
        {"\xFA\x40\xED\x40", "\xE2\x85\xB0\xE7\xBA\x8A"},  // the IBM rows, both places
        {"\xF0\x40\xF9\xFC", "\xEE\x80\x80\xEE\x9D\x97"},  // the user area
        {"\xB1\x5C\x7E", "\xEF\xBD\xB1\\~"},             // half-width katakana, ASCII kept
        {"\x80", bad},                                    // bytes no character starts with
        {"\xA0", bad},
        {"\xFD\xFE\xFF", bad + bad + bad},
        {"\x81\x7F", bad + "\x7F"},                       // a trail byte out of range stays
        {"a\x81", "a" + bad},                             // a lead byte at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.cp932;
        std::string back;
        if (c.utf8.find(bad) == std::string::npos) {
            EXPECT_TRUE(Utf8ToCp932(c.utf8, back)) << c.cp932;
            // The IBM rows come back in one place only.
            if (c.cp932[0] != '\xFA') {
                EXPECT_EQ(back, c.cp932);
            }
        } else {
            EXPECT_FALSE(Cp932ToUtf8Strict(c.cp932, back)) << c.cp932;
        }
    }
    // Characters cp932 does not hold, though a system's table may take them.
    std::string out;
    for (const char* utf8 : {"\xC2\x80", "\xEF\xA3\xB0", "\xF0\x9F\x98\x80", "a\xE3\x81"}) {
        EXPECT_FALSE(Utf8ToCp932(utf8, out)) << utf8;
    }
}

}  // namespace
}  // namespace qx
