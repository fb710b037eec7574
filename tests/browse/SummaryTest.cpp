#include <gtest/gtest.h>

#include <array>

#include "BrowseSupport.h"
#include "browse/LogSummary.h"

namespace qx::test {
namespace {

using Forms = std::array<int, 4>;  // unrecognised, plain, encoded, encrypted

// A plain record with the header or body mark of another form ('1', '2', or
// any other byte for an unrecognised one).
LogData Marked(char headerMark, char bodyMark) {
    return LogData(Block(" From: x (h)\n  at Mon Jan  5 09:03:01 2004", "x", std::string(36, '=') + headerMark,
                         std::string(36, '-') + bodyMark));
}

struct Expected {
    Forms header, body;
    long first, last;  // record indices, -1 for none
    std::size_t users, hosts;
};

void Check(const std::vector<LogData>& recs, const Expected& e) {
    const LogSummary s = SummariseLog(recs);
    EXPECT_EQ(Forms({s.headerForms[0], s.headerForms[1], s.headerForms[2], s.headerForms[3]}), e.header);
    EXPECT_EQ(Forms({s.bodyForms[0], s.bodyForms[1], s.bodyForms[2], s.bodyForms[3]}), e.body);
    auto at = [&](const LogData* r) { return r ? static_cast<long>(r - recs.data()) : -1L; };
    EXPECT_EQ(at(s.first), e.first);
    EXPECT_EQ(at(s.last), e.last);
    EXPECT_EQ(s.users, e.users);
    EXPECT_EQ(s.hosts, e.hosts);
}

TEST(LogSummary, CountsFormsDatesAndDistinctNames) {
    const Forms none{0, 0, 0, 0};
    struct Case {
        const char* what;
        std::vector<LogData> recs;
        Expected expected;
    };
    const std::vector<Case> cases = {
        {"empty log", {}, {none, none, -1, -1, 0, 0}},
        {"forms by their marks",
         {Marked('=', '-'), Marked('1', '2'), Marked('2', '1'), Marked('9', '2'), Marked('2', '7')},
         {{1, 1, 1, 2}, {1, 1, 1, 2}, 0, 0, 1, 1}},
        // Months by number, days by value, not as text; years by length first.
        {"calendar order",
         {Rec("a (h)", "Sun Feb  1 09:00:00 2004"), Rec("a (h)", "Thu Jan 29 09:00:00 2004"),
          Rec("a (h)", "Fri Jan  9 09:00:00 2004"), Rec("a (h)", "Fri Jan  9 08:59:59 2004"),
          Rec("a (h)", "Fri Jan  9 09:00:00 10000"), Rec("a (h)", "Fri Jan  9 09:00:00 999")},
         {{0, 6, 0, 0}, {0, 6, 0, 0}, 5, 4, 1, 1}},
        {"equal dates: the earlier record is first and last",
         {Rec("a (h)", "Mon Jan  5 09:03:01 2004"), Rec("b (h)", "Mon Jan  5 09:03:01 2004"),
          Rec("c (h)", "Mon Jan  5 09:03:01 2004")},
         {{0, 3, 0, 0}, {0, 3, 0, 0}, 0, 0, 3, 1}},
        {"records without a date take no part",
         {LogData(Block(" From: a (h)", "x")), Rec("a (h)", "Mon Jan  5 09:03:01 2004"),
          LogData(Block(" From: b (h)", "x"))},
         {{0, 3, 0, 0}, {0, 3, 0, 0}, 1, 1, 2, 1}},
        // Every entry of a list counts, byte for byte; blank names do not.
        {"names",
         {ToMany({"bob (h2)", "alice (h1)"}, "Mon Jan  5 09:03:01 2004"), Rec("alice (h1)", "Mon Jan  5 09:03:01 2004"),
          Rec("Alice (H1)", "Mon Jan  5 09:03:01 2004"), Rec("BROADCAST", "Mon Jan  5 09:03:01 2004", "x", "To"),
          LogData(Block("  at Mon Jan  5 09:03:01 2004", "x")), ToMany({"bob (h2)", "alice (h1)"}, "Mon Jan  5 2004")},
         {{0, 6, 0, 0}, {0, 6, 0, 0}, 0, 0, 4, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Check(c.recs, c.expected);
    }
}

// A log long enough to be counted in two halves: what the second half holds
// (the earliest date, a tie with the latest, names of its own) still counts as
// one pass over the whole log would.
TEST(LogSummary, TwoHalvesGiveWhatOnePassGives) {
    std::vector<LogData> recs;
    const std::size_t n = kSplitAt + 10;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string who = "u" + std::to_string(i % 7) + " (h" + std::to_string(i % 5) + ")";
        recs.push_back(Rec(who, "Mon Jan  5 09:03:01 2004"));
    }
    recs[10] = Rec("late (hl)", "Sun Dec 31 23:00:00 2006");
    recs[n - 10] = Rec("late (hl)", "Sun Dec 31 23:00:00 2006");
    recs[n - 5] = Rec("early (he)", "Fri Jan  1 00:00:00 1999");
    recs[n - 4] = Marked('2', '1');  // an encrypted header shows no names
    Check(recs, {{0, static_cast<int>(n) - 1, 0, 1}, {0, static_cast<int>(n) - 1, 1, 0},
                 static_cast<long>(n - 5), 10, 9, 7});
}

}  // namespace
}  // namespace qx::test
