#include <gtest/gtest.h>

#include "BrowseSupport.h"
#include "browse/ListRows.h"

namespace qx::test {
namespace {

using V = std::vector<std::string>;

ListOptions Options(bool monthFirst = false, const std::string& skip = "[To]") {
    ListOptions o;
    o.previewSkipPrefix = skip;
    o.monthFirst = monthFirst;
    return o;
}

TEST(ListRows, MessageRowColumnsAndImages) {
    struct Case {
        LogData record;
        std::string user;
        int userImage;
        int attachImage;
        int bodyImage;
    };
    const std::string attach =
        " From: alice (pc1)\n  (\x93\x59\x95\x74) a.txt\n  at Mon Jan  5 09:03:01 2004";
    std::vector<Case> cases = {
        {Rec("alice (pc1)", "Mon Jan  5 09:03:01 2004"), "alice", kImageOneUser, kImageNone,
         kImageNone},
        {ToMany({"alice (pc1)", "bob (pc2)"}, "Mon Jan  5 09:03:01 2004"), "alice, bob",
         kImageUsers,  // entries keep their blank
         kImageNone, kImageNone},
        {Rec("BROADCAST", "Mon Jan  5 09:03:01 2004", "x", "To"), "BROADCAST", kImageBroadcast,
         kImageNone, kImageNone},
        {LogData(Block(attach, "x")), "alice", kImageOneUser, kImageClip, kImageNone},
        {LogData(Block(" From: a (h)\n  at Mon Jan  5 09:03:01 2004", "eA", kTop,
                       std::string(36, '-') + "1")),
         "a", kImageOneUser, kImageNone, kImageEnvelope},
        {LogData(Block(" From: a (h)\n  at Mon Jan  5 09:03:01 2004", "eA", kTop,
                       std::string(36, '-') + "2")),
         "a", kImageOneUser, kImageNone, kImageLock},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const ListRow row = MessageRow(cases[i].record, i, Options());
        EXPECT_TRUE(row.IsMessageRow());
        EXPECT_EQ(row.record, i);
        EXPECT_EQ(row.text[kColAttach], "");
        EXPECT_EQ(row.text[kColUser], cases[i].user);
        EXPECT_EQ(row.image[kColUser], cases[i].userImage);
        EXPECT_EQ(row.image[kColAttach], cases[i].attachImage);
        EXPECT_EQ(row.image[kColMessage], cases[i].bodyImage);
    }
    LogData r = Rec("alice (pc1)", "Mon Jan  5 09:03:01 2004", "x", "To");
    EXPECT_EQ(MessageRow(r, 0, Options(false)).text[kColDirection], "To:");
    EXPECT_EQ(MessageRow(r, 0, Options(false)).text[kColDate], "2004/01/5 09:03:01");
    EXPECT_EQ(MessageRow(r, 0, Options(true)).text[kColDate], "01/5/2004 09:03:01");
}

TEST(ListRows, SummaryIsTheFirstLineNotStartingWithTheSkipPrefix) {
    struct Case {
        std::string body;
        std::string skip;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"[To] bob\n[To] carol\nhello\nworld", "[To]", "hello"},
        {"[To] bob\n[To] carol", "[To]", ""},
        {"[To] bob\nhello", "", "[To] bob"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        LogData r = Rec("a (h)", "Mon Jan  5 09:03:01 2004", c.body);
        EXPECT_EQ(MessageRow(r, 0, Options(false, c.skip)).text[kColMessage], c.expected) << c.body;
    }
}

TEST(ListRows, TextComparisonFoldsOnlyAsciiLetters) {
    struct Case {
        std::string a, b;
        int sign;
    };
    const std::vector<Case> cases = {
        {"abc", "ABC", 0},
        {"abc", "abd", -1},
        {"ab", "abc", -1},            // a prefix first
        {"Z", "a", 1},                // folded: "Z" > "A"
        {"_x", "ax", 1},              // "_" (5F) after the folded "A" (41)
        {"\x82\xa0", "a", 1},         // bytes above 7F compare unsigned
        {"\x83\x61", "\x83\x41", 1},  // trail bytes are not letters
    };
    for (const auto& c : cases) {
        const int r = CompareListText(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " / " << c.b;
    }
}

ListRow DateRow(const std::string& date) {
    ListRow r;
    r.text[kColDate] = date;
    return r;
}

V SortedDates(const V& dates, int upDown) {
    std::vector<ListRow> rows;
    for (const auto& d : dates) rows.push_back(DateRow(d));
    SortRows(rows, kColDate, upDown);
    V out;
    for (const auto& r : rows) out.push_back(r.text[kColDate]);
    return out;
}

TEST(ListRows, DatesSortByYearFirstInEitherForm) {
    EXPECT_EQ(DateSortKey("03/17/2007 10:00:00"), "2007/03/17 10:00:00");
    EXPECT_EQ(DateSortKey("03/5/2007 10:00:00"), "2007/03/05 10:00:00");
    EXPECT_EQ(DateSortKey("2007/03/5 10:00:00"), "2007/03/05 10:00:00");
    EXPECT_EQ(DateSortKey("2007/03/17 10:00:00"), "2007/03/17 10:00:00");
    EXPECT_EQ(DateSortKey("alice"), "alice");

    EXPECT_EQ(SortedDates({"01/05/2007 08:00:00", "12/31/2006 23:00:00", "03/17/2007 10:00:00",
                           "03/17/2007 09:00:00"},
                          1),
              (V{"12/31/2006 23:00:00", "01/05/2007 08:00:00", "03/17/2007 09:00:00",
                 "03/17/2007 10:00:00"}));
    // One-digit days: the 5th before the 17th, month first and year first.
    EXPECT_EQ(SortedDates({"03/17/2007 10:00:00", "03/5/2007 10:00:00"}, 1),
              (V{"03/5/2007 10:00:00", "03/17/2007 10:00:00"}));
    EXPECT_EQ(SortedDates({"2007/03/17 10:00:00", "2007/03/5 10:00:00", "2006/12/31 10:00:00"}, 1),
              (V{"2006/12/31 10:00:00", "2007/03/5 10:00:00", "2007/03/17 10:00:00"}));
    EXPECT_EQ(SortedDates({"2007/03/5 10:00:00", "2007/03/17 10:00:00"}, -1),
              (V{"2007/03/17 10:00:00", "2007/03/5 10:00:00"}));
    // The comparison itself, as the list calls it.
    EXPECT_LT(
        CompareRows(DateRow("12/31/2006 23:00:00"), DateRow("01/05/2007 08:00:00"), kColDate, 1),
        0);
    EXPECT_GT(
        CompareRows(DateRow("12/31/2006 23:00:00"), DateRow("01/05/2007 08:00:00"), kColDate, -1),
        0);
}

TEST(ListRows, OtherColumnsSortByTextAndTiesKeepFillOrder) {
    std::vector<ListRow> rows(4);
    const V users = {"bob", "Alice", "carol", "alice"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].text[kColUser] = users[i];
        rows[i].record = i;
    }
    SortRows(rows, kColUser, 1);
    std::vector<std::size_t> order;
    for (const auto& r : rows) order.push_back(r.record);
    EXPECT_EQ(order, (std::vector<std::size_t>{1, 3, 0, 2}));
    SortRows(rows, kColUser, -1);
    order.clear();
    for (const auto& r : rows) order.push_back(r.record);
    EXPECT_EQ(order, (std::vector<std::size_t>{2, 0, 1, 3}));
    EXPECT_EQ(CompareRows(rows[0], rows[1], kColAttach, 1), 0);  // always empty
}

TEST(ListRows, ColumnClicksFlipTheDirectionAndMarkTheTitle) {
    const V titles = {" ", "User", "To/From", "Date", "Message"};
    ListSort s;  // starts on the date column, ascending
    s.ColumnClick(kColUser);
    EXPECT_EQ(s.SortColumn, kColUser);
    EXPECT_EQ(s.UpDown, 1);
    V shown = s.MarkedTitles(titles);
    EXPECT_EQ(shown, (V{" ", "User >>", "To/From", "Date", "Message"}));
    s.ColumnClick(kColUser);
    EXPECT_EQ(s.UpDown, -1);
    shown = s.MarkedTitles(shown);
    EXPECT_EQ(shown, (V{" ", "User <<", "To/From", "Date", "Message"}));
    s.ColumnClick(kColMessage);
    EXPECT_EQ(s.UpDown, 1);
    shown = s.MarkedTitles(shown);
    EXPECT_EQ(shown, (V{" ", "User", "To/From", "Date", "Message >>"}));
    EXPECT_EQ(StripSortMarks("a >> b << c >>"), "a b c");
}

TEST(ListRows, NodesListTheirMessagesOrFolders) {
    std::vector<LogData> recs = {
        Rec("alice (pc1)", "Mon Jan  5 09:03:01 2004"),
        ToMany({"alice (pc1)", "bob (pc2)"}, "Mon Jan  5 10:00:00 2004"),
        Rec("alice (pc1)", "Mon Jan  5 11:00:00 2004"),
        Rec("bob (pc2)", "Tue Jan  6 11:00:00 2004"),
    };
    LogTree t;
    t.SetTexts("del", kUnit);
    t.BuildTree(recs, 0);
    recs[2].SetDeleted(true);
    recs[3].SetDeleted(true);
    t.UpdateNodeCounts(recs);

    TreeNode* day5 = t.Root(0)->Child(0)->Child(0);
    TreeNode* alice = day5->Child(0);
    EXPECT_EQ(NodeRecords(t, alice, recs), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(NodeRecords(t, t.DeletedNode(), recs), (std::vector<std::size_t>{2, 3}));
    EXPECT_TRUE(NodeRecords(t, day5, recs).empty());

    const std::vector<ListRow> folders = FolderRows(*day5);
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0].text[kColUser], Counted("alice", 2));
    EXPECT_EQ(folders[0].image[kColUser], kImageFolder);
    EXPECT_FALSE(folders[0].IsMessageRow());
    EXPECT_EQ(folders[0].record, ListRow::kNoRecord);

    // A folder row of the month shows the days' labels; of a day, nothing.
    TreeNode* month = t.Root(0)->Child(0);
    EXPECT_EQ(FolderContents(t, t.Root(0), month->Text()), (V{"5(Mon)", "6(Tue)"}));
    EXPECT_TRUE(FolderContents(t, day5, folders[0].text[kColUser]).empty());
    EXPECT_TRUE(FolderContents(t, t.Root(0), "nope").empty());
}

TEST(ListRows, TooltipAndKeptRow) {
    struct Case {
        std::string body;
        std::string expected;
    };
    for (const Case& c : std::vector<Case>{
             {"hello  \n\n", "hello"}, {"\n \n", " "}, {"", " "}, {" a\nb", " a\r\nb"}}) {
        LogData r = Rec("a (h)", "Mon Jan  5 09:03:01 2004", c.body);
        EXPECT_EQ(ToolTipText(r, ""), c.expected) << c.body;
    }
    // A long body: the tooltip is cut, never inside a character, and says so;
    // the row's summary is cut too.
    const std::string so = "\x83\x5C";
    LogData longOne = Rec("a (h)", "Mon Jan  5 09:03:01 2004", "x" + std::string(3000, 'y') + "\nz");
    EXPECT_EQ(ToolTipText(longOne, ""), "x" + std::string(kToolTipLimit - 1, 'y') + "...");
    EXPECT_EQ(MessageRow(longOne, 0, {}).text[kColMessage], "x" + std::string(kPreviewLimit - 1, 'y'));
    std::string wide;
    while (wide.size() < 3000) wide += so;
    LogData wideOne = Rec("a (h)", "Mon Jan  5 09:03:01 2004", "x" + wide);
    const std::string tip = ToolTipText(wideOne, "");
    EXPECT_EQ(tip, "x" + wide.substr(0, kToolTipLimit - 1 - (kToolTipLimit - 1) % 2) + "...");
    EXPECT_EQ(RowToKeep(2, 5), 2);
    EXPECT_EQ(RowToKeep(7, 5), 4);
    EXPECT_EQ(RowToKeep(0, 0), -1);
}

}  // namespace
}  // namespace qx::test
