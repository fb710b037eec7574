// The command availability rules, quoting, the leaf-to-leaf walk and what a node
// delete marks.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "BrowseSupport.h"
#include "browse/CommandRules.h"
#include "browse/NodeDeletion.h"
#include "browse/QuoteText.h"
#include "browse/TreeWalk.h"

namespace qx::test {
namespace {

using C = Command;

TEST(CommandRules, EachStateEnablesExactlyItsCommands) {
    // Fields: open, readOnly, busy, node, deletedNode, row, messageRow, viewText.
    struct Case {
        const char* what;
        SelectionState s;
        std::vector<Command> on;  // everything else is off
    };
    const std::vector<C> always = {C::AllSelect,  C::Load,   C::Reload,   C::MoveTop, C::MoveBottom,
                                   C::MoveUp,     C::MoveDown, C::Find, C::MsgForm};
    auto with = [&](std::vector<C> extra) {
        extra.insert(extra.end(), always.begin(), always.end());
        return extra;
    };
    const std::vector<Case> cases = {
        {"nothing open", {}, with({})},
        {"open, nothing selected", {true}, with({C::Save, C::SaveAs})},
        {"a leaf and a message row",
         {true, false, false, true, false, true, true},
         with({C::Save, C::SaveAs, C::SaveSelect, C::DeleteSelect, C::SelectOpen, C::SelectClose,
               C::Delete})},
        {"a folder row first",
         {true, false, false, true, false, true, false},
         with({C::Save, C::SaveAs, C::SaveSelect, C::DeleteSelect, C::SelectOpen, C::SelectClose})},
        {"a node without a selected row",
         {true, false, false, true, false, false, false},
         with({C::Save, C::SaveAs, C::SaveSelect, C::DeleteSelect, C::SelectOpen, C::SelectClose})},
        {"the deleted-messages node with a row",
         {true, false, false, true, true, true, true},
         with({C::Save, C::SaveAs, C::UnDelete})},
        {"read-only, a message row",
         {true, true, false, true, false, true, true},
         with({C::SelectOpen, C::SelectClose})},
        {"read-only, the deleted-messages node",
         {true, true, false, true, true, true, true},
         with({})},
        {"busy: only the view's commands and opening folders",
         {true, false, true, true, false, true, true, true},
         {C::AllSelect, C::Copy, C::Copy2, C::SelectOpen, C::SelectClose, C::Find, C::MsgForm}},
        {"text selected in the view",
         {true, false, false, false, false, false, false, true},
         with({C::Save, C::SaveAs, C::Copy, C::Copy2})},
        {"a row without a node (cannot delete)",
         {true, false, false, false, false, true, true},
         with({C::Save, C::SaveAs})},
    };
    for (const Case& c : cases) {
        EnabledCommands expected;
        for (C cmd : c.on) expected.Set(cmd, true);
        const EnabledCommands got = EnabledFor(c.s);
        for (std::size_t i = 0; i < kCommandCount; ++i) {
            const auto cmd = static_cast<C>(i);
            EXPECT_EQ(got[cmd], expected[cmd]) << c.what << ": " << CommandName(cmd);
        }
    }
}

TEST(CommandRules, EveryCommandHasItsActionName) {
    std::set<std::string> names;
    for (std::size_t i = 0; i < kCommandCount; ++i) {
        const std::string n = CommandName(static_cast<C>(i));
        EXPECT_EQ(n.rfind("act", 0), 0u) << n;
        names.insert(n);
    }
    EXPECT_EQ(names.size(), kCommandCount);
}

TEST(QuoteText, PrefixesEveryLineAndEndsEachWithCrLf) {
    struct Case {
        std::string text, prefix, expected;
    };
    const std::vector<Case> cases = {
        {"a\r\n\r\nc", ">", ">a\r\n>\r\n>c\r\n"},    // the empty middle line gets the prefix alone
        {"a\nb\rc\r\n", ">", ">a\r\n>b\r\n>c\r\n"},  // every line end, none added at the end
        {"half a line", ">", ">half a line\r\n"},    // a cut-off selection still ends in CR LF
        {"a\r\nb", "> ", "> a\r\n> b\r\n"},          // a blank in the prefix is kept
        {"a\nb\n", "", "a\r\nb\r\n"},                // no prefix: line ends normalised
        {"", ">", ""},                               // no lines
        {"\n", ">", ">\r\n"},                        // one empty line
        {"\r\r\n", "#", "#\r\n#\r\n"},               // a lone CR, then CR LF
        {"\x82\xa0\r\n\x95\x5c", ">>", ">>\x82\xa0\r\n>>\x95\x5c\r\n"},  // cp932 text untouched
    };
    for (const Case& c : cases) EXPECT_EQ(QuoteText(c.text, c.prefix), c.expected) << c.text;
}

class Walk : public ::testing::Test {
protected:
    void Build(int key, const std::vector<LogData>& recs) {
        records = recs;
        tree.SetTreeKey(key);
        tree.SetTexts("del", kUnit);
        tree.BuildTree(records, 0);
    }
    std::string Text(const TreeNode* n) { return n ? n->Text() : "(none)"; }
    LogTree tree;
    std::vector<LogData> records;
};

TEST_F(Walk, MovesFromLeafToLeafThroughCollapsedBranchesAndReachesTheDeletedNode) {
    Build(tkDateUser, {Rec("alice (G/PC01/1.1.1.1)", "Mon Jan  5 09:00:00 2004"),
                       Rec("bob (G/PC02/1.1.1.2)", "Mon Jan  5 10:00:00 2004"),
                       Rec("carol (G/PC03/1.1.1.3)", "Sat Feb  7 10:00:00 2004"),
                       Rec("dave (G/PC04/1.1.1.4)", "Sat Jan  1 10:00:00 2005")});
    TreeNode* top = TopLeaf(tree);
    EXPECT_EQ(Text(top), Counted("alice", 1));
    std::vector<std::string> forward;
    for (TreeNode* n = top; n != nullptr; n = NextLeaf(tree, n)) forward.push_back(Text(n));
    EXPECT_EQ(forward,
              (std::vector<std::string>{Counted("alice", 1), Counted("bob", 1), Counted("carol", 1),
                                        Counted("dave", 1), Counted("del", 0)}));
    TreeNode* bottom = BottomLeaf(tree);
    EXPECT_EQ(Text(bottom), Counted("dave", 1));
    std::vector<std::string> backward;
    for (TreeNode* n = bottom; n != nullptr; n = PreviousLeaf(tree, n)) backward.push_back(Text(n));
    EXPECT_EQ(backward, (std::vector<std::string>{Counted("dave", 1), Counted("carol", 1),
                                                  Counted("bob", 1), Counted("alice", 1)}));
    // From a folder the walk goes to the leaves after or before it.
    TreeNode* y2005 = tree.Root(1);
    EXPECT_EQ(Text(NextLeaf(tree, y2005)), Counted("dave", 1));
    EXPECT_EQ(Text(PreviousLeaf(tree, y2005)), Counted("carol", 1));
    EXPECT_EQ(NextLeaf(tree, tree.DeletedNode()), nullptr);
}

TEST_F(Walk, ATreeOfOnlyTheDeletedNodeHasNoTopOrBottom) {
    Build(tkDateUser, {});
    ASSERT_EQ(tree.NodeCount(), 1u);
    EXPECT_EQ(TopLeaf(tree), nullptr);
    EXPECT_EQ(BottomLeaf(tree), nullptr);
}

TEST(NodeCounts, CountingOnlyTheFlippedRecordsGivesWhatAFullCountGives) {
    // Under the date/host key a message to bob and dave, both on PC02, is listed
    // twice by that host's leaf; the counts must follow that too.
    for (int key : {tkDateUser, tkDateHost, tkUser, tkHost, tkDate}) {
        std::vector<LogData> records = {
            Rec("alice (G/PC01/1.1.1.1)", "Mon Jan  5 09:00:00 2004"),
            ToMany({"bob (G/PC02/1.1.1.2)", "carol (G/PC03/1.1.1.3)", "dave (G/PC02/1.1.1.2)"},
                   "Mon Jan  5 10:00:00 2004"),
            Rec("dave (G/PC02/1.1.1.2)", "Mon Jan  5 11:00:00 2004"),
            Rec("alice (G/PC01/1.1.1.1)", "Sat Jan  1 09:00:00 2005"),
        };
        LogTree quick, full;
        for (LogTree* t : {&quick, &full}) {
            t->SetTreeKey(key);
            t->SetTexts("del", kUnit);
            t->BuildTree(records, 0);
        }
        // Delete two, restore one, delete the rest: each step checked whole.
        const std::vector<std::vector<std::size_t>> steps = {{1, 2}, {1}, {0, 1, 3}};
        for (const auto& flips : steps) {
            for (std::size_t i : flips) records[i].SetDeleted(!records[i].Deleted());
            const std::vector<TreeNode*> changed = quick.UpdateNodeCounts(records, flips);
            full.UpdateNodeCounts(records);
            EXPECT_EQ(Dump(quick), Dump(full)) << "key " << key;
            EXPECT_NE(std::find(changed.begin(), changed.end(), quick.DeletedNode()),
                      changed.end());
        }
    }
}

class NodeDelete : public ::testing::Test {
protected:
    std::vector<LogData> records = {
        Rec("alice (G/PC01/1.1.1.1)", "Mon Jan  5 09:00:00 2004"),  // 0
        ToMany({"bob (G/PC02/1.1.1.2)", "carol (G/PC03/1.1.1.3)"},
               "Mon Jan  5 10:00:00 2004"),                         // 1
        Rec("dave (G/PC02/1.1.1.2)", "Mon Jan  5 11:00:00 2004"),   // 2: bob's host
        Rec("alice (G/PC01/1.1.1.1)", "Tue Jan  6 09:00:00 2004"),  // 3
        Rec("alice (G/PC01/1.1.1.1)", "Sat Jan  1 09:00:00 2005"),  // 4
    };
    using Ix = std::vector<std::size_t>;
};

TEST_F(NodeDelete, EachKeyAndLevelMarksItsRecords) {
    struct Case {
        int key;
        std::vector<std::string> path;
        Ix expected;
    };
    const std::vector<Case> cases = {
        {tkDateUser, {"2004"}, {0, 1, 2, 3}},
        {tkDateUser, {"2004", "01", "5(Mon)"}, {0, 1, 2}},
        {tkDateUser, {"2004", "01", "5(Mon)", "carol"}, {1}},    // the second addressee
        {tkDateHost, {"2004", "01", "5(Mon)", "PC02"}, {1, 2}},  // whatever user the node shows
        {tkUser, {"alice"}, {0, 3, 4}},
        {tkUser, {"alice", "2005"}, {4}},
        {tkHost, {"PC01", "2004", "01", "6(Tue)"}, {3}},
        {tkDate, {"2005", "01"}, {4}},
        {tkDateUser, {"2004", "02"}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NodeDeletions(records, c.key, c.path), c.expected)
            << c.key << " " << c.path.back();
    }
}

TEST_F(NodeDelete, AlreadyDeletedRecordsAreNotMarkedAgain) {
    records[1].SetDeleted(true);
    EXPECT_EQ(NodeDeletions(records, tkDateUser, {"2004"}), (Ix{0, 2, 3}));
    for (std::size_t i : NodeDeletions(records, tkDateUser, {"2004"})) records[i].SetDeleted(true);
    EXPECT_TRUE(NodeDeletions(records, tkDateUser, {"2004"}).empty());
}

}  // namespace
}  // namespace qx::test
