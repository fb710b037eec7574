#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "search/FindHistory.h"
#include "search/TRegexp.h"
#include "search/TextMatcher.h"
#include "text/Cp932.h"

namespace qx {
namespace {

// cp932 characters whose trail byte is an ASCII character the pattern syntax uses.
#define SO "\x83\x5C"   // ソ: trail "\"
#define ZE "\x83\x5B"   // ゼ: trail "["
#define ZO "\x83\x5D"   // ゾ: trail "]"
#define A_KANA "\x83\x41"  // ア: trail "A"
#define ME "\x83\x81"   // メ: both bytes are lead bytes

struct Case {
    const char* pattern;
    std::string text;
    std::size_t position;  // expected 1-based position, 0 for no match
    std::size_t length;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << "pattern \"" << c.pattern << "\" text of " << c.text.size() << " bytes";
}

class FindTest : public ::testing::TestWithParam<Case> {};

TEST_P(FindTest, FindsLeftmostMatch) {
    const Case& c = GetParam();
    const TRegexp re(c.pattern);
    ASSERT_TRUE(re.Ok()) << re.Error();
    const TRegexp::Match m = re.Find(c.text);
    EXPECT_EQ(m.position, c.position);
    if (c.position != 0) {
        EXPECT_EQ(m.length, c.length);
    }
    EXPECT_EQ(re.Matches(c.text), c.position != 0);
}

INSTANTIATE_TEST_SUITE_P(Syntax, FindTest, ::testing::Values(
    Case{"abc", "xxabcx", 3, 3},
    Case{"abc", "ab c", 0, 0},
    Case{"abc", "ABC", 0, 0},                       // case-sensitive
    Case{SO, "a" SO, 2, 2},                           // a double-byte literal
    Case{".b", "\nab", 2, 2},                        // "." skips the line feed
    Case{"a.c", "a\rc", 1, 3},                       // but takes a carriage return
    Case{"a.c", "a\nc", 0, 0},
    Case{"a.c", "a" SO "c", 1, 4},                   // a double-byte character is one
    Case{"[abc]+", "xxbcay", 3, 3},
    Case{"[z-a]", "1m", 2, 1},                       // range ends in either order
    Case{"[^0-9]", "12a", 3, 1},
    Case{"[^a]", SO "b", 3, 1},                       // a set never takes a double-byte char
    Case{"[-a]+", "x-a-", 2, 3},                      // leading "-" is itself
    Case{"[a-]", "x-", 2, 1},                         // so is a trailing one
    Case{"[--/]", ".x-", 3, 1},                       // a first "-" starts no range
    Case{"[ab", "xb", 2, 1},                          // an open set ends with the pattern
    Case{"[^", "ab", 1, 1},
    Case{"a[]", "a]", 0, 0},                          // "[]" is an empty set
    Case{"[\\]", "a\\", 2, 1},                        // no escapes inside a set
    Case{"[\xB1-\xDD]+", "x\xB1\xB2\xB3", 2, 3},      // half-width katakana range
    Case{"a*", "aaab", 1, 3},
    Case{"a*", "baa", 1, 0},                          // empty match at the start
    Case{"a+", "baa", 2, 2},
    Case{"ab?c", "xac abc", 2, 2},
    Case{SO "+", "x" SO SO "\\", 2, 4},               // "+" repeats the whole character
    Case{"^ab", "ab", 1, 2},
    Case{"^ab", "xab", 0, 0},
    Case{"^ab", "x\nab", 0, 0},                       // "^" is the start of the target only
    Case{"a^b", "a^b", 1, 3},                         // "^" elsewhere is itself
    Case{"a^*", "a^^", 1, 3},
    Case{"ab$", "xab", 2, 2},
    Case{"ab$", "ab\ncd", 1, 2},                      // before a line feed
    Case{"a$b", "a$b", 1, 3},                         // "$" elsewhere is itself
    Case{"a$*", "a$$", 1, 3},
    Case{"$", "ab", 3, 0},
    Case{"^$", "", 1, 0},
    Case{"^$", "x", 0, 0},
    Case{"^", "xyz", 1, 0}));

INSTANTIATE_TEST_SUITE_P(Escapes, FindTest, ::testing::Values(
    Case{"\\b", "x\b", 2, 1},
    Case{"\\e", "x\x1B", 2, 1},
    Case{"\\f", "x\f", 2, 1},
    Case{"\\n", "x\n", 2, 1},
    Case{"\\r", "x\r", 2, 1},
    Case{"\\s", "x y", 2, 1},
    Case{"\\t", "t\t", 2, 1},
    Case{"\\T\\N", "t\t\n", 2, 2},                     // letters in either case
    Case{"\\x41", "xA", 2, 1},
    Case{"\\X7e", "x~", 2, 1},
    Case{"\\x414", "A4\x14", 3, 1},                   // up to three hex digits
    Case{"\\xg", "\\xg", 2, 2},                       // no digit: the letter itself
    Case{"\\^A\\^z", "x\x01\x1A", 2, 2},              // control characters
    Case{"\\101", "xA", 2, 1},                        // octal
    Case{"\\0x", std::string("a\0x", 3), 2, 2},
    Case{"\\1012", "A2", 1, 2},                       // at most three octal digits
    Case{"\\.\\*\\[\\$", "ab.*[$", 3, 4},             // any other character is itself
    Case{"\\\\", "a\\", 2, 1},
    Case{"\\" SO, "a" SO, 2, 2},                      // an escaped double-byte character
    Case{"a\\", "ba\\", 2, 2}));                      // a final backslash is itself

INSTANTIATE_TEST_SUITE_P(Backtracking, FindTest, ::testing::Values(
    Case{"a.*b", "aXbYb", 1, 5},                      // greedy
    Case{"a.*b", "axxb\nb", 1, 4},
    Case{"a*ab", "aaab", 1, 4},
    Case{"x?x?xx", "xx", 1, 2},
    Case{"[a-z]+ing", "singing", 1, 7},
    Case{".*" SO, "a" SO "b" SO "c", 1, 6},           // gives back whole characters
    Case{".*" ME "x", ME ME "x" ME, 1, 5},
    Case{".+b", "b", 0, 0},
    Case{".*", "ab\ncd", 1, 2},
    Case{"b.*d", "ab\ncd\nbxd", 7, 3},
    Case{".*d", "ab\ncd", 4, 2},                     // the next line after ".*" failed
    Case{".*d", "ab" ME "\ncd", 6, 2},
    Case{".*d", "ab\x83\ncd", 1, 6}));              // that line feed is a trail byte

// A pattern byte that is the trail byte of a double-byte character in the text
// must not match there, whichever way the matcher reaches it.
INSTANTIATE_TEST_SUITE_P(TrailBytes, FindTest, ::testing::Values(
    Case{"\\\\", SO, 0, 0},
    Case{"\\\\", SO "\\", 3, 1},
    Case{"\\\\+", SO SO, 0, 0},
    Case{"^.\\\\", SO, 0, 0},                          // "." takes the whole character
    Case{"^.\\\\", SO "\\", 1, 3},
    Case{".*\\\\", SO SO, 0, 0},                       // nor does backtracking step into it
    Case{"[\\\\]", SO, 0, 0},
    Case{"[[]", ZE "\x81\x5B", 0, 0},
    Case{"[[]", ZE "[", 3, 1},
    Case{"]", ZO, 0, 0},
    Case{"[@-Z]", A_KANA "B", 3, 1},
    Case{"A+", A_KANA, 0, 0},
    Case{"A.", A_KANA "x", 0, 0},
    Case{"\x81\x83.", ME ME ME, 0, 0},                  // "81 83" only across characters
    Case{"\x81\x83.", "a\x81\x83\x81", 2, 3},
    Case{ZO "+", ZO "]", 1, 2},                        // the pattern's trail byte is no "]"
    Case{"[" ZO "a]", "]a", 2, 1},                     // nor inside a set
    Case{"[" SO "]", "\\" SO, 0, 0}));

// Header and body lines of a log end in CR LF, so "$" sees a carriage return first.
INSTANTIATE_TEST_SUITE_P(CrLf, FindTest, ::testing::Values(
    Case{"^From", "From: alice\r\nhello\r\n", 1, 4},
    Case{"^hello", "From: alice\r\nhello\r\n", 0, 0},
    Case{"hello$", "From: alice\r\nhello\r\n", 0, 0},
    Case{"alice$", "From: alice\r\nhello\r\n", 0, 0},
    Case{"hello\\r$", "From: alice\r\nhello\r\n", 14, 6},
    Case{"o.$", "From: alice\r\nhello\r\n", 18, 2},
    Case{"hello$", "From: alice\nhello\n", 13, 5},
    Case{"hello$", "From: alice\r\nhello", 14, 5}));

TEST(RegexpCompile, RejectsBadPatterns) {
    struct Bad {
        const char* pattern;
        TRegexp::Status status;
    };
    const Bad cases[] = {
        {"", TRegexp::Status::Empty},
        {"*a", TRegexp::Status::RepeatAtStart},
        {"+", TRegexp::Status::RepeatAtStart},
        {"?a", TRegexp::Status::RepeatAtStart},
        {"^*a", TRegexp::Status::RepeatAfterAnchor},
        {"^+", TRegexp::Status::RepeatAfterAnchor},
        {"^?a", TRegexp::Status::RepeatAfterAnchor},
        {"a**", TRegexp::Status::RepeatAfterRepeat},
        {"a+?", TRegexp::Status::RepeatAfterRepeat},
        {"[ab]?*c", TRegexp::Status::RepeatAfterRepeat},
    };
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.pattern);
        const TRegexp re(c.pattern);
        EXPECT_FALSE(re.Ok());
        EXPECT_EQ(re.GetStatus(), c.status);
        EXPECT_FALSE(re.Error().empty());
        EXPECT_FALSE(re.Matches(c.pattern));  // a bad pattern matches nothing, not even itself
        EXPECT_FALSE(re.Matches(""));
    }
    EXPECT_TRUE(TRegexp("a").Error().empty());
    EXPECT_NE(TRegexp("ab**").Error().find("position 4"), std::string::npos);
}

TEST(RegexpCompile, CompiledFormIsAtMost128Bytes) {
    auto repeat = [](const std::string& piece, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += piece;
        return s;
    };
    struct Limit {
        std::string pattern;
        bool fits;
        std::string text;  // a text it matches when it fits
    };
    const Limit cases[] = {
        {repeat("a", 63), true, repeat("a", 63)},  // 2 bytes a character, 1 for the end
        {repeat("a", 63) + ".", true, repeat("a", 64)},
        {repeat("a", 64), false, ""},
        {repeat(SO, 42), true, repeat(SO, 42)},    // 3 bytes each
        {repeat(SO, 43), false, ""},
        {repeat("a*", 42), true, "b"},             // a repetition costs a byte
        {repeat("a*", 43), false, ""},
        {repeat("[a]", 3), true, "aaa"},           // a set is a 256-bit map
        {repeat("[a]", 4), false, ""},
        {"^" + repeat("a", 62) + "$", true, repeat("a", 62)},
        {"^" + repeat("a", 63) + "$", false, ""},
    };
    for (const Limit& c : cases) {
        SCOPED_TRACE(c.pattern);
        const TRegexp re(c.pattern);
        EXPECT_EQ(re.Ok(), c.fits);
        if (c.fits) {
            EXPECT_LE(re.CompiledSize(), TRegexp::kMaxCompiledSize);
            EXPECT_TRUE(re.Matches(c.text));
        } else {
            EXPECT_EQ(re.GetStatus(), TRegexp::Status::TooLong);
            EXPECT_FALSE(re.Matches(repeat("a", 80)));
        }
    }
    // A syntax error is reported even in a pattern that is also too long.
    EXPECT_EQ(TRegexp(repeat("a", 70) + "**").GetStatus(), TRegexp::Status::RepeatAfterRepeat);
}

TEST(RegexpCompile, RecompilingReplacesThePattern) {
    TRegexp re("^a.c$");
    EXPECT_TRUE(re.Matches("abc"));
    EXPECT_FALSE(re.Compile("*"));
    EXPECT_FALSE(re.Matches("abc"));
    EXPECT_TRUE(re.Compile("b"));
    EXPECT_EQ(re.Find("abc").position, 2u);
}

TEST(RegexpFind, StartsAtFromAndNeverOnATrailByte) {
    const TRegexp lower("[a-z]");
    EXPECT_EQ(lower.Find(SO "a", 2).position, 3u);  // from points at the trail byte
    EXPECT_EQ(lower.Find("ab", 2).position, 2u);
    EXPECT_EQ(lower.Find("ab", 3).position, 0u);
    EXPECT_EQ(TRegexp("a.").Find("abab", 2).position, 3u);
    EXPECT_EQ(TRegexp("^a").Find("aa", 2).position, 0u);
    EXPECT_EQ(TRegexp("x$").Find("x\nx", 2).position, 3u);
    EXPECT_EQ(TRegexp("b").Find("abb", 3).position, 3u);  // a plain-text pattern
    EXPECT_EQ(TRegexp("$").Find("ab", 3).position, 3u);
    EXPECT_EQ(TRegexp("$").Find("ab", 4).position, 0u);
}

// A plain matcher written as directly as possible from the rules, over the
// pattern's elements rather than its text; random patterns and texts must find
// the same match as TRegexp with all its shortcuts.
struct Element {
    enum Kind { Literal, Dot, Set, NotSet } kind;
    std::string chars;  // the literal character, or the set's members
    char rep;           // 0, '*', '+' or '?'
};

struct Reference {
    std::vector<Element> elements;
    bool bol = false;
    bool eol = false;
    std::vector<std::string> chars;  // the text split into characters
    std::vector<std::size_t> starts;

    bool One(const Element& e, std::size_t i) const {
        if (i >= chars.size()) return false;
        const std::string& c = chars[i];
        switch (e.kind) {
            case Element::Literal: return c == e.chars;
            case Element::Dot: return c != "\n";
            case Element::Set: return c.size() == 1 && e.chars.find(c) != std::string::npos;
            case Element::NotSet: return c.size() == 1 && e.chars.find(c) == std::string::npos;
        }
        return false;
    }
    // End character index of a match of elements[k..] from character i, or -1.
    long Match(std::size_t k, std::size_t i) const {
        if (k == elements.size()) {
            if (eol && i < chars.size() && chars[i] != "\n") return -1;
            return static_cast<long>(i);
        }
        const Element& e = elements[k];
        std::size_t most = e.rep == 0 || e.rep == '+' ? 1 : 0;
        const std::size_t least = most;
        if (e.rep != 0) {
            most = 0;
            while ((e.rep != '?' || most < 1) && One(e, i + most)) ++most;
        } else if (!One(e, i)) {
            return -1;
        }
        for (std::size_t n = most + 1; n-- > least;) {
            const long r = Match(k + 1, i + n);
            if (r >= 0) return r;
        }
        return -1;
    }
    TRegexp::Match Find(const std::string& text, std::size_t from) {
        chars.clear();
        starts.clear();
        for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
            starts.push_back(i);
            chars.push_back(text.substr(i, CharLength(text, i)));
        }
        starts.push_back(text.size());
        for (std::size_t s = 0; s < starts.size(); ++s) {
            if (starts[s] + 1 < from) continue;
            if (bol && s > 0) break;
            const long end = Match(0, s);
            if (end >= 0) return {starts[s] + 1, starts[static_cast<std::size_t>(end)] - starts[s]};
        }
        return {};
    }
};

TEST(RegexpFind, AgreesWithAPlainMatcherOnRandomInput) {
    const std::vector<std::string> alphabet = {"a", "b", "A", "\\", "[", "\n", "\r",
                                               SO, ME, A_KANA, "\x81", "\x83"};
    const std::vector<std::string> literals = {"a", "b", "A", "\\", "[", "\n", SO, ME, A_KANA};
    const std::string setMembers = "abA\\[\r";
    std::mt19937 rng(20240611);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    for (int round = 0; round < 4000; ++round) {
        Reference ref;
        std::string pattern;
        ref.bol = pick(4) == 0;
        ref.eol = pick(4) == 0;
        if (ref.bol) pattern += "^";
        const std::size_t count = 1 + pick(4);
        int sets = 0;  // three sets would pass the compiled-size limit with the rest
        for (std::size_t k = 0; k < count; ++k) {
            Element e{static_cast<Element::Kind>(pick(4)), "", "\0*+?"[pick(4)]};
            if (pick(3) == 0 || (e.kind >= Element::Set && ++sets > 2)) e.kind = Element::Literal;
            switch (e.kind) {
                case Element::Literal: {
                    e.chars = literals[pick(literals.size())];
                    const bool special = e.chars == "\\" || e.chars == "[" || e.chars == "\n";
                    pattern += e.chars == "\n" ? std::string("\\n") : (special ? "\\" : "") + e.chars;
                    break;
                }
                case Element::Dot: pattern += "."; break;
                case Element::Set:
                case Element::NotSet:
                    for (std::size_t m = pick(3) + 1; m > 0; --m) e.chars += setMembers[pick(setMembers.size())];
                    pattern += (e.kind == Element::Set ? "[" : "[^") + e.chars + "]";
                    break;
            }
            if (e.rep != 0) pattern += e.rep;
            ref.elements.push_back(e);
        }
        if (ref.eol) pattern += "$";
        std::string text;
        for (std::size_t n = pick(24); n > 0; --n) text += alphabet[pick(alphabet.size())];
        const std::size_t from = pick(4) == 0 ? 1 + pick(text.size() + 1) : 1;

        const TRegexp re(pattern);
        ASSERT_TRUE(re.Ok()) << pattern;
        const TRegexp::Match want = ref.Find(text, from);
        const TRegexp::Match got = re.Find(text, from);
        ASSERT_EQ(got.position, want.position) << "pattern " << pattern << " round " << round << " from " << from << " text " << ::testing::PrintToString(text);
        ASSERT_EQ(got.length, want.length) << "pattern " << pattern << " round " << round;
    }
}

TEST(PlainMatch, OnlyAtCharacterStarts) {
    struct Plain {
        std::string target;
        std::string text;
        bool found;
    };
    const Plain cases[] = {
        {"x" SO "y", SO, true},
        {SO "A", "\\A", false},           // last half of ソ with the next character
        {SO "\\A", "\\A", true},          // a later, real occurrence still counts
        {A_KANA, "A", false},
        {ME ME, "\x81\x83", false},       // across a run of lead bytes
        {"a\x81\x83", "\x81\x83", true},
        {"a.c", "a.c", true},
        {"abc", "a.c", false},            // no pattern syntax
        {"ABC", "abc", false},            // nothing is folded
        {"\x82\x60", "A", false},         // full-width A is not A
        {"abc", "", false},
    };
    for (const Plain& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PlainMatch(c.target, c.text), c.found);
        EXPECT_EQ(TextMatcher(c.text, false).Matches(c.target), c.found);
    }
}

TEST(TextMatcher, ChoosesPlainOrRegularExpression) {
    EXPECT_TRUE(TextMatcher("a.c", true).Matches("abc"));
    EXPECT_FALSE(TextMatcher("a.c", false).Matches("abc"));
    // A text that is no valid expression is still found as plain text...
    const TextMatcher plain("*note", false);
    EXPECT_TRUE(plain.Matches("a *note"));
    EXPECT_FALSE(plain.Regexp().Ok());
    // ...and as an expression matches nothing.
    EXPECT_FALSE(TextMatcher("*note", true).Matches("a *note"));
}

using History = std::vector<std::string>;

TEST(FindHistory, MostRecentFirstWithoutCaseDuplicates) {
    struct Step {
        History before;
        std::string text;
        std::size_t count;
        History after;
    };
    const Step cases[] = {
        {{}, "abc", 10, {"abc"}},
        {{"abc", "x"}, "abc", 10, {"abc", "x"}},
        {{"x", "abc"}, "abc", 10, {"abc", "x"}},
        {{"x", "Hello"}, "HELLO", 10, {"HELLO", "x"}},         // the new spelling wins
        {{"ab", "AB"}, "Ab", 10, {"Ab", "AB"}},                // only the first equal item goes
        {{"a", "b", "c"}, "d", 3, {"d", "a", "b"}},
        {{"a", "b", "c"}, "", 3, {"a", "b", "c"}},              // empty text: untouched
        {{"\x82\x81\x82\x82"}, "\x82\x60\x82\x61", 10, {"\x82\x60\x82\x61"}},  // full-width ab/AB
        {{"\x83\xBF"}, "\x83\x9F", 10, {"\x83\x9F"}},          // Greek alpha
        {{"\x84\x91\x84\x7E\x84\x80"}, "\x84\x60\x84\x4E\x84\x4F", 10,
         {"\x84\x60\x84\x4E\x84\x4F"}},                       // Cyrillic, both sides of 0x7F
        {{A_KANA}, "\x83\x61", 10, {"\x83\x61", A_KANA}},     // trail bytes "A"/"a" differ
        {{"\xB1"}, "\xD1", 10, {"\xD1", "\xB1"}},              // half-width kana have no case
    };
    for (const Step& c : cases) {
        SCOPED_TRACE(c.text);
        History h = c.before;
        AddToFindHistory(h, c.text, c.count);
        EXPECT_EQ(h, c.after);
    }
}

TEST(FindHistory, EleventhTextPushesTheOldestOut) {
    History h;
    for (int i = 1; i <= 11; ++i) AddToFindHistory(h, "text" + std::to_string(i), 10);
    ASSERT_EQ(h.size(), 10u);
    EXPECT_EQ(h.front(), "text11");
    EXPECT_EQ(h.back(), "text2");
    AddToFindHistory(h, "TEXT5", 10);
    ASSERT_EQ(h.size(), 10u);
    EXPECT_EQ(h.front(), "TEXT5");
    EXPECT_EQ(std::count(h.begin(), h.end(), "text5"), 0);
}

}  // namespace
}  // namespace qx

namespace qx {
namespace {

// Nested repetitions that cannot match would try every way of cutting the text;
// the search remembers where the rest already failed, so this returns at once
// (before, eight ".*" over a few hundred bytes ran for days).
TEST(TRegexpBacktracking, RepeatedWildcardsDoNotExplode) {
    const TRegexp re(".*.*.*.*.*.*.*.*[xy]");
    ASSERT_TRUE(re.Ok());
    const std::string none(3000, 'a');
    EXPECT_FALSE(re.Matches(none));
    const TRegexp::Match m = re.Find(none + "y");
    EXPECT_EQ(m.position, 1u);
    EXPECT_EQ(m.length, none.size() + 1);
    const TRegexp plus("a+a+a+a+a+a+b");
    EXPECT_FALSE(plus.Matches(none));
    EXPECT_TRUE(plus.Matches(none + "b"));
}

}  // namespace
}  // namespace qx
