#include <gtest/gtest.h>

#include <algorithm>

#include "BrowseSupport.h"
#include "browse/TreeLabels.h"

namespace qx::test {
namespace {

using V = std::vector<std::string>;

LogTree MakeTree(int key) {
    LogTree t;
    t.SetTreeKey(key);
    t.SetTexts("del", kUnit);
    return t;
}

const char* kJan5 = "Mon Jan  5 09:03:01 2004";
const char* kJan6 = "Tue Jan  6 10:00:00 2004";

TEST(TreeLabels, BareLabelStripsTheCountAndUnderHostKeysTheUser) {
    struct Case {
        std::string label;
        bool plain;
        int key;
        std::string unit;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {Counted("alice", 12), true, tkDateUser, kUnit, "alice"},
        {Counted("alice", 3), false, tkDateUser, kUnit, "alice"},
        {Counted("pc1[alice]", 3), true, tkDateHost, kUnit, "pc1[alice]"},
        {Counted("pc1[alice]", 3), false, tkDateHost, kUnit, "pc1"},
        {Counted("pc1[alice]", 3), false, tkHost, kUnit, "pc1"},
        {"pc1[alice]", false, tkUser, kUnit, "pc1[alice]"},  // only the host keys cut
        {"alice", true, tkDateUser, kUnit, "alice"},         // no count
        {Counted("alice", 3), true, tkDateUser, "",
         Counted("alice", 3)},  // empty unit never matches
        {"(5" + kUnit + ")", true, tkDateUser, kUnit, "(5" + kUnit + ")"},  // nothing before "("
        {Counted("a (b)", 7), true, tkDateUser, kUnit, "a (b)"},            // the last "(" counts
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BareLabel(c.label, c.plain, c.key, c.unit), c.expected) << c.label;
    }
    EXPECT_EQ(HostPart("pc1[alice]"), "pc1");
    EXPECT_EQ(HostPart("pc1"), "pc1");
    EXPECT_EQ(HostPart("[]"), "");
}

TEST(TreeLabels, LabelsSortAsTextWithCaseOnlyBreakingTies) {
    // Each list is in ascending order.
    const std::vector<V> orders = {
        {"10(Wed)", "9(Tue)"},  // digits by character, not value
        {"15(Thu)", "5(Mon)"},
        {"alice", "Alice", "bob", "Bob"},  // case decides only between equals
        {"al", "alice"},                   // a prefix first
        {"", "2004"},
        {"(x)", "1", "a"},
    };
    for (const auto& order : orders) {
        for (std::size_t i = 0; i + 1 < order.size(); ++i) {
            EXPECT_LT(CompareLabels(order[i], order[i + 1]), 0)
                << order[i] << " / " << order[i + 1];
            EXPECT_GT(CompareLabels(order[i + 1], order[i]), 0)
                << order[i + 1] << " / " << order[i];
        }
    }
    EXPECT_EQ(CompareLabels("alice", "alice"), 0);
    // A trail byte that looks like a letter is not folded: "\x83\x41" and "\x83\x61"
    // are different katakana and must not compare equal.
    EXPECT_NE(CompareLabels("\x83\x41", "\x83\x61"), 0);
}

TEST(LogTree, OneMessageGivesTheFourLevelsAndTheDeletedNode) {
    std::vector<LogData> recs = {Rec("alice (pc1)", kJan5)};
    LogTree t = MakeTree(tkDateUser);
    const auto r = t.BuildTree(recs, 0);
    EXPECT_EQ(Dump(t),
              (V{"2004", "  01", "    5(Mon)", "      " + Counted("alice", 1), Counted("del", 0)}));
    ASSERT_NE(r.select, nullptr);
    EXPECT_EQ(r.select->Text(), "5(Mon)");
    EXPECT_EQ(r.expand, r.select);
    EXPECT_EQ(t.Selected(), r.select);
    EXPECT_TRUE(t.IsDeletedNode(t.Root(t.RootCount() - 1)));
    EXPECT_EQ(t.DeletedNode()->Image(), kImageBin);
    EXPECT_EQ(t.DeletedNode()->SelectedImage(), kImageBinOpen);
    EXPECT_EQ(t.Root(0)->Image(), kImageFolder);
    EXPECT_EQ(t.Root(0)->Child(0)->Child(0)->Child(0)->Image(), kImagePerson);
}

TEST(LogTree, EachKeyFilesUnderItsLabelsAndPathKey) {
    struct Case {
        int key;
        V path;        // labels of the leaf, root first
        V searchPath;  // SelectedPath of the leaf
        int leafImage;
        int rootImage;
    };
    const std::vector<Case> cases = {
        {tkDateUser,
         {"2004", "01", "5(Mon)", "alice"},
         {"2004", "01", "5(Mon)", "alice"},
         kImagePerson,
         kImageFolder},
        {tkDateHost,
         {"2004", "01", "5(Mon)", "pc1[alice]"},
         {"2004", "01", "5(Mon)", "pc1"},
         kImagePerson,
         kImageFolder},
        {tkUser,
         {"alice", "2004", "01", "5(Mon)"},
         {"alice", "2004", "01", "5(Mon)"},
         kImageFolder,
         kImagePerson},
        {tkHost,
         {"pc1[alice]", "2004", "01", "5(Mon)"},
         {"pc1", "2004", "01", "5(Mon)"},
         kImageFolder,
         kImagePerson},
        {tkDate, {"2004", "01", "5(Mon)"}, {"2004", "01", "5(Mon)"}, kImageFolder, kImageFolder},
    };
    std::vector<LogData> recs = {Rec("alice (grp/pc1/10.0.0.1)", kJan5)};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        LogTree t = MakeTree(c.key);
        t.BuildTree(recs, 0);
        const TreeNode* n = t.Root(0);
        EXPECT_EQ(n->Image(), c.rootImage);
        for (std::size_t depth = 0; depth < c.path.size(); ++depth) {
            ASSERT_NE(n, nullptr);
            EXPECT_EQ(n->Label(), c.path[depth]);
            if (depth + 1 < c.path.size()) n = n->ChildCount() ? n->Child(0) : nullptr;
        }
        EXPECT_FALSE(n->HasChildren());
        EXPECT_EQ(n->Image(), c.leafImage);
        EXPECT_EQ(n->Text(), Counted(c.path.back(), 1));
        EXPECT_EQ(t.SelectedPath(n), c.searchPath);
        // The leaf's key is the key its message was filed under.
        std::string key;
        for (const auto& s : c.searchPath) key += s;
        EXPECT_EQ(t.PathKey(n), key);
        ASSERT_EQ(t.Index().count(key), 1u);
        EXPECT_EQ(t.Index().at(key), (std::vector<std::size_t>{0}));
    }
}

TEST(LogTree, RecordsWithoutDateOrNamesAreFiledUnderEmptyLabels) {
    std::vector<LogData> recs = {
        LogData(Block(" From: alice (pc1)", "no date")),  // no date line
        LogData(Block("  at " + std::string(kJan5), "no names")),
    };
    LogTree t = MakeTree(tkDateHost);
    t.BuildTree(recs, 0);
    EXPECT_EQ(Dump(t), (V{"", "  01", "    ()", "      " + Counted("pc1[alice]", 1), "2004", "  01",
                          "    5(Mon)", "      " + Counted("[]", 1), Counted("del", 0)}));
}

TEST(TreeLabels, DaysSortByTheirNumber) {
    const struct {
        const char *a, *b;
        int order;
    } cases[] = {
        {"9(Tue)", "10(Wed)", -1}, {"10(Wed)", "9(Tue)", 1}, {"1(Tue)", "15(Tue)", -1}, {"2(Wed)", "15(Tue)", -1},
        {"30(Wed)", "30(Wed)", 0}, {"3(Sat)", "3(Fri)", 1},  // one number: as text
        {"", "1(Mon)", -1},                                   // a record without a date
    };
    for (const auto& c : cases) {
        const int got = CompareDayLabels(c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.order) << c.a << " / " << c.b;
    }
}

TEST(LogTree, SiblingsSortAsTextAtEveryLevelButDaysByNumber) {
    std::vector<LogData> recs = {
        Rec("bob (pc2)", "Tue Mar  9 10:00:00 2004"),
        Rec("Bob (pc2)", "Wed Mar 10 10:00:00 2004"),
        Rec("alice (pc1)", "Wed Mar 10 10:00:00 2004"),
        Rec("carol (pc3)", "Wed Mar 10 11:00:00 2004"),
        Rec("alice (pc1)", "Sat Jan  3 10:00:00 2004"),
        Rec("alice (pc1)", "Fri Jan  3 10:00:00 2003"),
    };
    LogTree t = MakeTree(tkDateUser);
    t.BuildTree(recs, 0);
    EXPECT_EQ(Dump(t), (V{"2003", "  01", "    3(Fri)", "      " + Counted("alice", 1), "2004",
                          "  01", "    3(Sat)", "      " + Counted("alice", 1), "  03",
                          "    9(Tue)", "      " + Counted("bob", 1), "    10(Wed)",
                          "      " + Counted("alice", 1), "      " + Counted("Bob", 1),
                          "      " + Counted("carol", 1), Counted("del", 0)}));
    // Under the user key the days are the fourth level.
    LogTree byUser = MakeTree(tkUser);
    byUser.BuildTree({Rec("bob (pc2)", "Wed Mar 10 10:00:00 2004"), Rec("bob (pc2)", "Tue Mar  9 10:00:00 2004")}, 0);
    EXPECT_EQ(Dump(byUser), (V{"bob", "  2004", "    03", "      " + Counted("9(Tue)", 1),
                               "      " + Counted("10(Wed)", 1), Counted("del", 0)}));
    for (std::size_t i = 0; i < t.RootCount(); ++i) EXPECT_EQ(t.Root(i)->Row(), i);
}

TEST(LogTree, SeveralAddresseesAreFiledAndCountedUnderEachName) {
    std::vector<LogData> recs = {
        ToMany({"alice (pc1)", "bob (pc2)"}, kJan5),
        ToMany({"carol (pc3)", "carol (pc3)"}, kJan5),  // one name twice: filed twice
    };
    LogTree t = MakeTree(tkDateUser);
    t.BuildTree(recs, 0);
    EXPECT_EQ(Dump(t),
              (V{"2004", "  01", "    5(Mon)", "      " + Counted("alice", 1),
                 "      " + Counted("bob", 1), "      " + Counted("carol", 2), Counted("del", 0)}));
    EXPECT_EQ(t.Index().at("2004015(Mon)carol"), (std::vector<std::size_t>{1, 1}));

    LogTree byUser = MakeTree(tkUser);
    byUser.BuildTree(recs, 0);
    EXPECT_EQ(byUser.RootCount(), 4u);  // alice, bob, carol, deleted
    EXPECT_EQ(byUser.Index().at("bob2004015(Mon)"), (std::vector<std::size_t>{0}));
}

TEST(LogTree, HostNodesTakeTheFirstUserMetOnThatHost) {
    std::vector<LogData> recs = {
        Rec("bob (pc1)", kJan5),
        Rec("alice (pc1)", kJan5),
        ToMany({"carol (pc1)", "dave (pc1)"}, kJan5),  // both on pc1: filed twice under it
        Rec("erin (pc2)", kJan5),
        Rec("alice (pc1)", kJan6),  // another day: alice is first there
    };
    for (int key : {tkDateHost, tkHost}) {
        SCOPED_TRACE(key);
        LogTree t = MakeTree(key);
        t.BuildTree(recs, 0);
        if (key == tkDateHost) {
            EXPECT_EQ(Dump(t), (V{"2004", "  01", "    5(Mon)", "      " + Counted("pc1[bob]", 4),
                                  "      " + Counted("pc2[erin]", 1), "    6(Tue)",
                                  "      " + Counted("pc1[alice]", 1), Counted("del", 0)}));
            EXPECT_EQ(t.Index().at("2004015(Mon)pc1"), (std::vector<std::size_t>{0, 1, 2, 2}));
        } else {
            EXPECT_EQ(Dump(t), (V{"pc1[bob]", "  2004", "    01", "      " + Counted("5(Mon)", 4),
                                  "      " + Counted("6(Tue)", 1), "pc2[erin]", "  2004", "    01",
                                  "      " + Counted("5(Mon)", 1), Counted("del", 0)}));
            EXPECT_EQ(t.Index().at("pc12004015(Mon)"), (std::vector<std::size_t>{0, 1, 2, 2}));
        }
    }
}

TEST(LogTree, FullBuildSelectsPerKey) {
    std::vector<LogData> recs = {
        Rec("bob (pc2)", kJan5),
        Rec("alice (pc1)", kJan6),
    };
    struct Case {
        int key;
        std::string selected;
        bool expands;
    };
    for (const Case& c : std::vector<Case>{{tkDateUser, "6(Tue)", true},
                                           {tkDateHost, "6(Tue)", true},
                                           {tkDate, Counted("6(Tue)", 1), false},
                                           {tkUser, "alice", false},
                                           {tkHost, "pc1[alice]", false}}) {
        SCOPED_TRACE(c.key);
        LogTree t = MakeTree(c.key);
        const auto r = t.BuildTree(recs, 0);
        ASSERT_NE(r.select, nullptr);
        EXPECT_EQ(r.select->Text(), c.selected);
        EXPECT_EQ(r.expand != nullptr, c.expands);
    }

    // An empty log: only the deleted node, nothing selected.
    LogTree empty = MakeTree(tkDateUser);
    const auto r = empty.BuildTree({}, 0);
    EXPECT_EQ(r.select, nullptr);
    EXPECT_EQ(Dump(empty), V{Counted("del", 0)});
}

TEST(LogTree, ExtensionMatchesAFullBuildAndKeepsExistingNodes) {
    const std::vector<LogData> all = {
        Rec("bob (pc1)", kJan5),
        Rec("alice (pc2)", kJan5),
        Rec("bob (pc1)", kJan6),
        // appended later:
        Rec("bob (pc1)", kJan6),                         // an existing leaf
        Rec("Alice (pc3)", kJan5),                       // a new leaf on an old day
        Rec("carol (pc1)", "Wed Jan 10 10:00:00 2004"),  // a new day that sorts first
        ToMany({"dave (pc4)", "bob (pc1)"}, "Fri Feb 13 10:00:00 2004"),
    };
    for (int key : {tkDateUser, tkDateHost, tkUser, tkHost, tkDate}) {
        SCOPED_TRACE(key);
        std::vector<LogData> recs(all.begin(), all.begin() + 3);
        LogTree t = MakeTree(key);
        t.BuildTree(recs, 0);
        const TreeNode* firstRoot = t.Root(0);
        TreeNode* selected = t.Selected();
        const TreeNode* bin = t.DeletedNode();

        recs.insert(recs.end(), all.begin() + 3, all.end());
        const auto r = t.BuildTree(recs, 3);
        EXPECT_EQ(r.select, nullptr);
        EXPECT_EQ(t.Selected(), selected);  // an extension leaves the selection alone
        EXPECT_EQ(t.DeletedNode(), bin);
        EXPECT_TRUE(t.IsDeletedNode(t.Root(t.RootCount() - 1)));
        // Old nodes are still there (no duplicate made next to a counted leaf).
        bool kept = false;
        t.ForEachNode([&](TreeNode* n) { kept = kept || n == firstRoot; });
        EXPECT_TRUE(kept);

        LogTree full = MakeTree(key);
        full.BuildTree(recs, 0);
        EXPECT_EQ(Dump(t), Dump(full));
        EXPECT_EQ(t.Index(), full.Index());
        EXPECT_EQ(t.NodeCount(), full.NodeCount());
    }
}

TEST(LogTree, ExtendingWhileTheDeletedNodeIsSelectedMovesTheSelectionBack) {
    std::vector<LogData> recs = {Rec("alice (pc1)", kJan5), Rec("bob (pc1)", kJan5)};
    LogTree t = MakeTree(tkDateUser);
    t.BuildTree(recs, 0);
    t.Select(t.DeletedNode());
    recs.push_back(Rec("carol (pc1)", kJan6));
    const auto r = t.BuildTree(recs, 2);
    ASSERT_NE(r.select, nullptr);
    EXPECT_EQ(r.select->Label(), "bob");  // the node before the deleted node, before the append
    EXPECT_EQ(t.Selected(), r.select);
}

TEST(LogTree, DeletesMoveCountsToTheDeletedNode) {
    std::vector<LogData> recs = {
        ToMany({"alice (pc1)", "bob (pc2)"}, kJan5),
        Rec("alice (pc1)", kJan5),
        Rec("bob (pc2)", kJan6),
    };
    LogTree t = MakeTree(tkDateUser);
    t.BuildTree(recs, 0);
    recs[0].SetDeleted(true);
    t.UpdateNodeCounts(recs);
    EXPECT_EQ(Dump(t), (V{"2004", "  01", "    5(Mon)", "      " + Counted("alice", 1),
                          "      " + Counted("bob", 0), "    6(Tue)", "      " + Counted("bob", 1),
                          Counted("del", 1)}));
    EXPECT_EQ(t.NodeMessageCount(t.DeletedNode(), recs), 1);
    // The index keeps the entry; only counting skips it.
    EXPECT_EQ(t.Index().at("2004015(Mon)alice"), (std::vector<std::size_t>{0, 1}));

    recs[0].SetDeleted(false);
    recs[2].SetDeleted(true);
    t.UpdateNodeCounts(recs);
    EXPECT_EQ(Dump(t), (V{"2004", "  01", "    5(Mon)", "      " + Counted("alice", 2),
                          "      " + Counted("bob", 1), "    6(Tue)", "      " + Counted("bob", 0),
                          Counted("del", 1)}));
}

TEST(LogTree, MessageNodeIsWhereTheJumpToAHitLands) {
    std::vector<LogData> recs = {
        Rec("bob (pc1)", kJan5),
        Rec("alice (pc1)", kJan5),
        ToMany({"carol (pc2)", "dave (pc3)"}, kJan6),
    };
    struct Case {
        int key;
        std::size_t record;
        std::string path;  // the node's path key; "" for none
    };
    const Case cases[] = {
        {tkDateUser, 1, "2004015(Mon)alice"}, {tkDateUser, 2, "2004016(Tue)carol"},
        {tkDateHost, 1, "2004015(Mon)pc1"},   {tkUser, 2, "carol2004016(Tue)"},
        {tkHost, 2, "pc22004016(Tue)"},       {tkDate, 0, "2004015(Mon)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        LogTree t = MakeTree(c.key);
        t.BuildTree(recs, 0);
        const std::size_t before = t.NodeCount();
        TreeNode* node = t.MessageNode(recs[c.record]);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(t.PathKey(node), c.path);
        EXPECT_EQ(t.NodeCount(), before) << "looking up creates nothing";
    }
    LogTree t = MakeTree(tkDateUser);
    t.BuildTree(recs, 0);
    LogData other = Rec("zed (pc9)", kJan5);
    EXPECT_EQ(t.MessageNode(other), nullptr);
    recs[0].SetDeleted(true);
    EXPECT_EQ(t.MessageNode(recs[0]), t.DeletedNode());
}

TEST(LogTree, FindOrAddNodeLooksUpWithoutCreatingWhenAsked) {
    LogTree t = MakeTree(tkDateHost);
    t.BuildTree({}, 0);  // an empty log: the key applies, only the deleted node is there
    EXPECT_EQ(t.TreeKey(), tkDateHost);
    EXPECT_EQ(t.FindOrAddNode(nullptr, "2004", false, kImageFolder), nullptr);
    TreeNode* y = t.FindOrAddNode(nullptr, "2004", true, kImageFolder);
    TreeNode* leaf = t.FindOrAddNode(y, "pc1[alice]", true, kImagePerson);
    EXPECT_EQ(t.FindOrAddNode(y, "pc1[bob]", false, kImagePerson), leaf);
    EXPECT_EQ(t.FindOrAddNode(y, "pc2[bob]", false, kImagePerson), nullptr);
    EXPECT_EQ(leaf->Parent(), y);
    EXPECT_EQ(leaf->SelectedImage(), kImagePersonRed);
    EXPECT_EQ(t.NodeCount(), 3u);
}

TEST(LogTree, FullBuildReportsProgressUpTo100) {
    std::vector<LogData> recs;
    for (int i = 0; i < 250; ++i) recs.push_back(Rec("u" + std::to_string(i % 7) + " (h)", kJan5));
    LogTree t = MakeTree(tkDateUser);
    std::vector<int> seen;
    t.BuildTree(recs, 0, [&](int p) { seen.push_back(p); });
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 0);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());  // only changes
    EXPECT_EQ(seen.back(), 100);

    seen.clear();
    recs.push_back(Rec("u1 (h)", kJan6));
    t.BuildTree(recs, 250, [&](int p) { seen.push_back(p); });
    EXPECT_TRUE(seen.empty());  // extensions run without the progress window
}

}  // namespace
}  // namespace qx::test
