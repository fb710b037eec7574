// The message windows' caption, cascade and font, and where a jump from the find
// list lands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BrowseSupport.h"
#include "browse/HitRows.h"
#include "browse/MessageWindowRules.h"

#include <cstdio>

namespace qx::test {
namespace {

ListRow Row(const std::string& dir, const std::string& user, const std::string& date,
            const std::string& message = "m", std::size_t record = 0) {
    ListRow r;
    r.record = record;
    r.text[kColDirection] = dir;
    r.text[kColUser] = user;
    r.text[kColDate] = date;
    r.text[kColMessage] = message;
    return r;
}

TEST(MessageWindowRules, CaptionFromTheSelectedRows) {
    const ListRow a = Row("From", "alice", "2007/03/17 10:00:00");
    const ListRow b = Row("To", "bob,carol", "2007/03/18 11:00:00");
    EXPECT_EQ(MessageWindowCaption({}), "");
    EXPECT_EQ(MessageWindowCaption({&a}), "From alice  2007/03/17 10:00:00");
    EXPECT_EQ(MessageWindowCaption({&a, &b}), "From alice , To bob,carol , ");
}

TEST(MessageWindowRules, CascadeStepsThirtyAndWrapsBeforeTheScreenEdge) {
    MessageWindowCascade c;
    // A 351 x 200 window on a 1024 x 300 screen: 100 pixels of room downwards.
    std::vector<std::pair<int, int>> places;  // left, top
    for (int i = 0; i < 5; ++i) {
        const auto p = c.Next(1024, 300, 351, 200);
        places.emplace_back(p.left, p.top);
    }
    const std::vector<std::pair<int, int>> expected = {
        {0, 0}, {30, 30}, {60, 60}, {90, 90}, {120, 20}};
    EXPECT_EQ(places, expected);  // the fourth 90 from the first; the fifth wraps to 120 mod 100

    MessageWindowCascade full;  // no room at all: it stays in the corner instead of dividing by 0
    full.Next(351, 200, 351, 200);
    const auto p = full.Next(351, 200, 351, 200);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 0);
}

TEST(MessageWindowRules, FontDialogHoldsItsDesignedFontUntilOpened) {
    FontDialogFont dialog;
    EXPECT_EQ(dialog.Current().family, "ＭＳ Ｐゴシック");
    EXPECT_EQ(dialog.Current().pixelSize, 12);
    FontChoice view{"Noto Serif", 0, 14, true};
    dialog.Opened(view);
    EXPECT_EQ(dialog.Current(), view);
}

TEST(MessageWindowRules, AJumpLandsOnTheHitsRecordElseOnTheSameTexts) {
    const std::vector<ListRow> rows = {Row("From", "a", "d1", "hi", 4),
                                       Row("From", "a", "d2", "hi", 7),
                                       Row("From", "a", "d2", "hi", 9)};
    EXPECT_EQ(RowLike(rows, Row("From", "x", "d2", "hi", 9)),
              2);  // same texts as row 1, own record
    EXPECT_EQ(RowLike(rows, Row("From", "x", "d2", "hi", 99)), 1);  // record not listed: by texts
    EXPECT_EQ(RowLike(rows, Row("To", "a", "d2", "hi", 99)), -1);
}

}  // namespace
}  // namespace qx::test

namespace qx::test {
namespace {

// The find list's order, from the sort column's texts made in two threads, is
// the order SortRows gives the whole rows, for every column and both
// directions; equal rows keep their order.
TEST(HitRows, SortedHitsAreTheRecordsOfRowsSortedOneByOne) {
    static const char* months[] = {"Jan", "Feb", "Mar"};
    for (std::size_t count : {std::size_t{5}, std::size_t{5000}}) {
        std::vector<LogData> records;
        for (std::size_t i = 0; i < count; ++i) {
            char when[64];
            // Days 1..28 in shuffled order, several records per minute (equal dates);
            // the short list's times lack their seconds, a date of another shape.
            std::snprintf(when, sizeof when, count == 5 ? "Sat %s %zu 10:%02zu 2007"
                                                        : "Sat %s %zu 10:%02zu:00 2007",
                          months[i % 3], 1 + (i * 7919) % 28, (i / 3) % 60);
            records.push_back(Rec("user" + std::to_string((i * 31) % 17) + " (h)", when,
                                  "body " + std::to_string((i * 13) % 101)));
        }
        std::vector<std::size_t> hits;
        for (std::size_t i = 0; i < count; i += 1 + i % 2) hits.push_back(i);
        ListOptions options;
        options.monthFirst = true;  // the order that needs the date rewritten to sort
        for (int column = 0; column < kListColumnCount; ++column) {
            for (int upDown : {1, -1}) {
                std::vector<ListRow> expected;
                for (std::size_t i : hits) expected.push_back(MessageRow(records[i], i, options));
                SortRows(expected, column, upDown);
                const std::vector<std::size_t> got =
                    SortedHits(records, hits, options, column, upDown);
                ASSERT_EQ(got.size(), expected.size());
                for (std::size_t r = 0; r < got.size(); ++r) {
                    ASSERT_EQ(got[r], expected[r].record)
                        << count << " rows, column " << column << ", direction " << upDown
                        << ", row " << r;
                }
            }
        }
    }
}

}  // namespace
}  // namespace qx::test
