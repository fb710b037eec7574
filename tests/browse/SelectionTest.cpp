#include <gtest/gtest.h>

#include "BrowseSupport.h"
#include "browse/Selection.h"

namespace qx::test {
namespace {

using Indices = std::vector<std::size_t>;

TEST(Selection, ATreePathTakesTheRecordsFiledUnderItUnderEachKey) {
    const std::vector<LogData> recs = {
        Rec("alice (h1)", "Mon Jan  5 09:03:01 2004"),
        ToMany({"bob (h2)", "alice (h1)"}, "Tue Jan  6 09:03:01 2004"),
        Rec("carol (h3)", "Tue Feb  3 09:03:01 2004"),
        Rec("bob (h2)", "Fri Jan 16 09:03:01 2004"),
        Rec("alice (h1)", "Wed Jan  5 09:03:01 2005"),
    };
    struct Case {
        int key;
        std::vector<std::string> labels;
        Indices expected;
    };
    const Case cases[] = {
        {0, {}, {0, 1, 2, 3, 4}},
        {0, {"2004"}, {0, 1, 2, 3}},
        {0, {"2004", "01", "6(Tue)"}, {1}},
        {0, {"2004", "01", "16(Fri)", "bob"}, {3}},
        {0, {"2004", "01", "5(Mon)", "bob"}, {}},
        {0, {"2004", "01", "6(Mon)"}, {}},  // the whole day label must match
        {1, {"2004", "01", "6(Tue)", "h1"}, {1}},
        {2, {"alice"}, {0, 1, 4}},
        {2, {"ali"}, {}},  // names match whole, not by their start
        {2, {"alice", "2005"}, {4}},
        {3, {"h3"}, {2}},
        {3, {"h2", "2004", "01"}, {1, 3}},
        {4, {"2004", "02"}, {2}},
        {9, {"2005"}, {4}},  // an unknown key selects by date
    };
    for (const auto& c : cases) {
        const SelectionFilter f = FilterForPath(c.key, c.labels);
        Indices got;
        for (std::size_t i = 0; i < recs.size(); ++i) {
            if (RecordMatches(recs[i], f)) got.push_back(i);
        }
        EXPECT_EQ(got, c.expected) << "key " << c.key << " depth " << c.labels.size();
    }
}

TEST(Selection, TheUserConditionWinsOverTheHostOne) {
    const LogData r = Rec("alice (h1)", "Mon Jan  5 09:03:01 2004");
    EXPECT_TRUE(RecordMatches(r, {"", "", "", "alice", "elsewhere"}));
    EXPECT_FALSE(RecordMatches(r, {"", "", "", "bob", "h1"}));
    EXPECT_TRUE(RecordMatches(r, {"", "", "", "", "h1"}));
}

}  // namespace
}  // namespace qx::test
