#include <gtest/gtest.h>

#include "BrowseSupport.h"
#include "browse/HelpFile.h"
#include "browse/MessageStats.h"

#include <algorithm>

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

TEST(CountMessages, EveryAddresseeCountsButTheMessageHasOneDate) {
    const std::vector<LogData> recs = {
        ToMany({"dave (pc4)", "erin (pc5)", "frank (pc6)"}, "Tue Mar  2 08:00:00 2010")};
    EXPECT_EQ(CountMessages(recs, kGraphByUser, false).labels, (V{"dave", "erin", "frank"}));
    EXPECT_EQ(CountMessages(recs, kGraphByUser, false).counts, (C{1, 1, 1}));
    EXPECT_EQ(CountMessages(recs, kGraphByHost, false).counts, (C{1, 1, 1}));
    EXPECT_EQ(CountMessages(recs, kGraphByDate, false).counts, C{1});
    EXPECT_EQ(CountMessages(recs, kGraphByMonth, true).labels, V{"2010/03"});
}

TEST(HelpFilePath, LooksBesideTheProgramThenInTheDataFolder) {
    struct Case {
        std::string language;
        bool compiled;
        std::vector<std::string> files;
        std::string expected;
    };
    const std::string chm = "/opt/qx/bin/Quillorix.chm";
    const std::string here = "/opt/qx/bin/help/jpn/index.html";
    const std::string hereEng = "/opt/qx/bin/help/eng/index.html";
    const std::string shared = "/opt/qx/share/quillorix/help/jpn/index.html";
    const std::string sharedEng = "/opt/qx/share/quillorix/help/eng/index.html";
    const std::vector<Case> cases = {
        {"jpn", false, {here, shared}, here},
        {"jpn", false, {shared, hereEng}, shared},
        {"eng", false, {here, sharedEng}, sharedEng},
        {"jpn", false, {hereEng}, hereEng},  // no Japanese pages: the English ones
        {"jpn", false, {}, ""},
        {"jpn", false, {chm}, ""},
        {"jpn", true, {chm, here}, chm},
        {"jpn", true, {here, "/opt/qx/share/quillorix/Quillorix.chm"}, ""},  // only beside it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        auto isFile = [&](const std::string& p) {
            return std::find(c.files.begin(), c.files.end(), p) != c.files.end();
        };
        EXPECT_EQ(HelpFilePath("/opt/qx/bin", c.language, c.compiled, isFile), c.expected);
    }
}

}  // namespace
}  // namespace qx::test
