// The ranges the view marks when it shows a hit of the find list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/MatchRanges.h"

namespace qx {
namespace {

using R = std::vector<ByteRange>;

TEST(MatchRanges, EveryOccurrenceOfTheTextOrExpression) {
    const std::string so = "\x83\x5c";   // "ソ": its trail byte is "\"
    const std::string hyo = "\x95\x5c";  // "表": trail byte "\" too
    const std::string a = "\x82\xa0";    // "あ"
    struct Case {
        const char* what;
        std::string text;
        std::string find;
        bool regex;
        R expected;
    };
    const std::vector<Case> cases = {
        {"plain, three times, the last at the end",
         "abXabXab",
         "ab",
         false,
         {{0, 2}, {3, 2}, {6, 2}}},
        {"plain, overlapping occurrences are not counted twice",
         "aaaa",
         "aa",
         false,
         {{0, 2}, {2, 2}}},
        {"plain, case counts", "Ab ab", "ab", false, {{3, 2}}},
        {"plain, not on the trail byte of a double-byte character",
         so + "\\" + hyo,
         "\\",
         false,
         {{2, 1}}},
        {"plain, a double-byte text", a + "x" + a, a, false, {{0, 2}, {3, 2}}},
        {"plain, nothing", "abc", "z", false, {}},
        {"expression, every run", "x12y345", "[0-9]+", true, {{1, 2}, {4, 3}}},
        {"expression, ^ only at the start of the text", "ab\nab", "^ab", true, {{0, 2}}},
        {"expression, $ before a line feed and at the end",
         "ab\nab\r\nab",
         "ab$",
         true,
         {{0, 2}, {7, 2}}},
        {"expression, empty matches mark nothing", "bbb", "a*", true, {}},
        {"expression, . takes a double-byte character whole", "x" + a + "y", "x.y", true, {{0, 4}}},
        {"expression that does not compile", "**", "*", true, {}},
    };
    for (const Case& c : cases) {
        const TextMatcher m(c.find, c.regex);
        EXPECT_EQ(MatchRanges(c.text, m), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace qx
