#include <gtest/gtest.h>

#include "BrowseSupport.h"
#include "browse/MessageStats.h"

namespace qx::test {
namespace {

using V = std::vector<std::string>;
using C = std::vector<int>;

std::vector<LogData> Log() {
    std::vector<LogData> recs = {
        Rec("alice (PC1)", "Mon Jan  5 09:03:01 2004"),
        ToMany({"Bob (pc2)", "ALICE (pc1)"}, "Mon Jan  5 10:00:00 2004"),
        Rec("bob (pc2)", "Sun Feb 15 10:00:00 2004"),
        ToMany({"carol (pc3)", "carol (pc3)"}, "Sun Dec 31 10:00:00 2006"),
        Rec("BROADCAST", "Sun Dec 31 11:00:00 2006", "x", "To"),
    };
    recs[2].SetDeleted(true);  // still counted
    return recs;
}

TEST(CountMessages, CountsEveryNameAndMergesLetterCase) {
    struct Case {
        int type;
        bool monthFirst;
        V labels;
        C counts;
        bool horizontal;
    };
    const std::vector<Case> cases = {
        {kGraphByUser, false, {"alice", "Bob", "carol", "BROADCAST"}, {2, 2, 2, 1}, true},
        {kGraphByHost, false, {"PC1", "pc2", "pc3", "\x81\x40"}, {2, 2, 2, 1}, true},
        {kGraphByDate, false, {"2004/01/5", "2004/02/15", "2006/12/31"}, {2, 1, 2}, false},
        {kGraphByDate, true, {"01/5/2004", "02/15/2004", "12/31/2006"}, {2, 1, 2}, false},
        {kGraphByMonth, true, {"2004/01", "2004/02", "2006/12"}, {2, 1, 2}, false},
    };
    const std::vector<LogData> recs = Log();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const GraphData g = CountMessages(recs, c.type, c.monthFirst);
        EXPECT_EQ(g.labels, c.labels);
        EXPECT_EQ(g.counts, c.counts);
        EXPECT_EQ(g.horizontal, c.horizontal);
    }
}

TEST(CountMessages, EmptyLogAndEmptyNames) {
    EXPECT_TRUE(CountMessages({}, kGraphByUser, false).labels.empty());
    // A record without an addressee line counts under one empty label.
    const std::vector<LogData> recs = {LogData(Block("  at Mon Jan  5 09:03:01 2004", "x")),
                                       LogData(Block("  at Mon Jan  5 09:03:01 2004", "y"))};
    const GraphData g = CountMessages(recs, kGraphByUser, false);
    EXPECT_EQ(g.labels, V{""});
    EXPECT_EQ(g.counts, C{2});
}

}  // namespace
}  // namespace qx::test
