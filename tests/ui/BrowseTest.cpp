// The tree under each key, the list and its sorting, following an appended log,
// the command state and places.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/CommandSet.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"

namespace qx::ui::test {
namespace {

class Browse : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\n");
        log = folder.Write("small.log", SmallLog());
        w = StartWindow(folder, {log});
        unit = QString::fromUtf8("件");
    }
    TreeNode* Node(const QStringList& path) { return NodeByTexts(*w, path); }
    QString Counted(const QString& label, int n) { return QString("%1 (%2%3)").arg(label).arg(n).arg(unit); }
    void ClickColumn(int column) {
        QHeaderView* h = w->lvLog->header();
        const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    }

    ScratchFolder folder;
    QString log;
    QString unit;
    std::unique_ptr<TForm1> w;
};

TEST_F(Browse, EveryTreeKeyGroupsTheMessagesItsOwnWay) {
    struct Case {
        int key;
        QStringList firstNodes;  // flat order, from the first root on
    };
    const QString u = unit;
    auto c = [&](const QString& l, int n) { return Counted(l, n); };
    const Case cases[] = {
        {1, {"2007", "+03", "++17(Sat)", "+++" + c("PC01[alice]", 1), "+++" + c("PC02[bob]", 1),
             "+++" + c("PC03[carol]", 1), "++18(Sun)", "+++" + c("PC01[alice]", 1), "+++" + c("PC02[bob]", 1)}},
        {2, {"alice", "+2007", "++03", "+++" + c("17(Sat)", 1), "+++" + c("18(Sun)", 1), "bob", "+2007",
             "++03", "+++" + c("17(Sat)", 1), "+++" + c("18(Sun)", 1), "carol"}},
        {4, {"2007", "+03", "++" + c("17(Sat)", 2), "++" + c("18(Sun)", 2)}},
        {0, {"2007", "+03", "++17(Sat)", "+++" + c("alice", 1), "+++" + c("bob", 1), "+++" + c("carol", 1)}},
    };
    for (const Case& k : cases) {
        w->pnlTree->cmbTreeKey->setCurrentIndex(k.key);
        const QStringList texts = TreeTexts(*w);
        EXPECT_EQ(texts.mid(0, k.firstNodes.size()), k.firstNodes) << "key " << k.key;
    }
    // Under the name keys the first root is selected; under the date key the last day.
    w->pnlTree->cmbTreeKey->setCurrentIndex(2);
    EXPECT_EQ(w->pnlTree->NodeText(w->pnlTree->Selected()), "alice");
    w->pnlTree->cmbTreeKey->setCurrentIndex(4);
    EXPECT_EQ(w->pnlTree->NodeText(w->pnlTree->Selected()), c("18(Sun)", 2));
}

TEST_F(Browse, ALeafListsItsMessagesAndColumnClicksSortAndMarkTheTitles) {
    w->pnlTree->cmbTreeKey->setCurrentIndex(4);
    w->pnlTree->SelectNode(Node({"2007", "03", Counted("17(Sat)", 2)}));
    ASSERT_EQ(w->lvLog->RowCount(), 2);
    EXPECT_EQ(w->StatusText(1), "2 / 4 Messages");
    // Sorted by date at start: alice at 10:00 before bob and carol at 11:30.
    EXPECT_EQ(Cell(*w, 0, 1), "alice");
    EXPECT_TRUE(Cell(*w, 1, 1).startsWith("bob,") && Cell(*w, 1, 1).endsWith("carol"));
    EXPECT_EQ(Cell(*w, 0, 2), "From:");
    EXPECT_EQ(Cell(*w, 1, 3), "2007/03/17 11:30:00");
    EXPECT_EQ(Cell(*w, 1, 4), "> hello bob");
    EXPECT_EQ(w->lvLog->Model()->Row(0).image[1], kImageOneUser);
    EXPECT_EQ(w->lvLog->Model()->Row(1).image[1], kImageUsers);

    const QStringList base = w->lvLog->ShownTitles();
    EXPECT_TRUE(base[3].endsWith(" >>"));
    ClickColumn(4);  // by message text, ascending: "> hello bob" < "hello bob"
    EXPECT_TRUE(Cell(*w, 0, 1).startsWith("bob,"));
    EXPECT_TRUE(w->lvLog->ShownTitles()[4].endsWith(" >>"));
    EXPECT_FALSE(w->lvLog->ShownTitles()[3].contains(">>"));
    ClickColumn(4);  // the same column again: descending
    EXPECT_EQ(Cell(*w, 0, 1), "alice");
    EXPECT_TRUE(w->lvLog->ShownTitles()[4].endsWith(" <<"));
    ClickColumn(1);  // another column starts ascending
    EXPECT_EQ(Cell(*w, 0, 1), "alice");
    EXPECT_TRUE(w->lvLog->ShownTitles()[1].endsWith(" >>"));
    EXPECT_EQ(w->lvLog->Sort().SortColumn, 1);
    EXPECT_EQ(w->lvLog->Sort().UpDown, 1);
}

TEST_F(Browse, AFolderRowListsItsChildrenAndItsDoubleClickOpensIt) {
    TreeNode* year = Node({"2007"});
    w->pnlTree->SelectNode(year);
    ASSERT_EQ(w->lvLog->RowCount(), 1);
    EXPECT_EQ(Cell(*w, 0, 1), "03");
    EXPECT_EQ(w->StatusText(1), "0 / 4 Messages");
    const QRect r = w->lvLog->visualRect(w->lvLog->Model()->index(0, 1));
    QTest::mouseDClick(w->lvLog->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(w->pnlTree->NodeText(w->pnlTree->Selected()), "03");
    EXPECT_TRUE(w->pnlTree->IsExpanded(year));
    EXPECT_EQ(w->lvLog->RowCount(), 2);  // the two days
}

TEST_F(Browse, AppendedMessagesExtendTheTreeAndKeepTheSelectedRow) {
    TreeNode* bob = Node({"2007", "03", "18(Sun)", Counted("bob", 1)});
    ASSERT_NE(bob, nullptr);
    w->pnlTree->SelectNode(bob);
    ASSERT_EQ(w->lvLog->RowCount(), 1);
    EXPECT_EQ(w->lvLog->FirstSelectedRow(), 0);
    // Ctrl+R with an unchanged file reads nothing.
    w->Action("actReload")->trigger();
    EXPECT_EQ(w->Session().records.size(), 4u);

    folder.Append("small.log", Block("From", " From: bob (GROUP/PC02/10.0.0.2)\r\n", "Sun Mar 18 23:00:00 2007",
                                     "late one\r\n") +
                                   Block("To", " To: dave (G/PC09/10.0.0.9)\r\n", "Mon Mar 19 08:00:00 2007",
                                         "new day\r\n"));
    w->timReloadTimer();
    EXPECT_EQ(w->Session().records.size(), 6u);
    EXPECT_EQ(w->pnlTree->Selected(), bob);  // same node, now counting two
    EXPECT_EQ(w->pnlTree->NodeText(bob), Counted("bob", 2));
    EXPECT_EQ(w->lvLog->RowCount(), 2);
    EXPECT_EQ(w->lvLog->FirstSelectedRow(), 0);
    EXPECT_NE(Node({"2007", "03", "19(Mon)", Counted("dave", 1)}), nullptr);
    EXPECT_EQ(w->StatusText(1), "2 / 6 Messages");
}

TEST_F(Browse, TheDeletedNodeDisablesTheNodeCommandsAndTheExpandCommandsWork) {
    w->pnlTree->SelectNode(w->pnlTree->Tree().DeletedNode());
    w->UpdateCommandState();
    for (const char* n : {"actSaveSelect", "actDeleteSelect", "actSelectOpen", "actSelectClose"})
        EXPECT_FALSE(w->Action(n)->property("ruleEnabled").toBool()) << n;
    EXPECT_EQ(w->lvLog->RowCount(), 0);
    EXPECT_EQ(w->StatusText(1), "0 / 4 Messages");

    TreeNode* year = Node({"2007"});
    w->pnlTree->SelectNode(year);
    EXPECT_TRUE(w->Action("actSelectOpen")->isEnabled());
    w->Action("actAllClose")->trigger();
    EXPECT_FALSE(w->pnlTree->IsExpanded(year));
    w->Action("actSelectOpen")->trigger();
    EXPECT_TRUE(w->pnlTree->IsExpanded(Node({"2007", "03", "17(Sat)"})));
    w->Action("actSelectClose")->trigger();
    EXPECT_FALSE(w->pnlTree->IsExpanded(Node({"2007", "03"})));
    w->pnlTree->SelectNode(Node({"2007", "03"}));
    w->Action("actFolderUp")->trigger();
    EXPECT_EQ(w->pnlTree->Selected(), year);
    w->Action("actFolderUp")->trigger();  // a root stays selected
    EXPECT_EQ(w->pnlTree->Selected(), year);
}

TEST_F(Browse, ARightClickSelectsTheNodeUnderThePointer) {
    w->Action("actAllOpen")->trigger();
    TreeNode* carol = Node({"2007", "03", "17(Sat)", Counted("carol", 1)});
    QTreeView* tv = w->pnlTree->tvLog;
    QModelIndex index = tv->model()->index(0, 0);
    while (index.isValid() && w->pnlTree->NodeText(static_cast<TreeNode*>(index.internalPointer())) != w->pnlTree->NodeText(carol))
        index = tv->indexBelow(index);
    ASSERT_TRUE(index.isValid());
    QTest::mousePress(tv->viewport(), Qt::RightButton, {}, tv->visualRect(index).center());
    EXPECT_EQ(w->pnlTree->Selected(), carol);
    QTest::mouseRelease(tv->viewport(), Qt::RightButton, {}, tv->visualRect(index).center());
    w->Commands()->PopupMenu3->close();
}

TEST_F(Browse, CommandsSitInTheirMenusAndUnbuiltOnesStayDisabledWithATip) {
    auto names = [](QMenu* m) {
        QStringList out;
        for (QAction* a : m->actions()) out << (a->isSeparator() ? "-" : a->menu() ? a->menu()->objectName() : a->objectName());
        return out;
    };
    CommandSet* cmd = w->Commands();
    EXPECT_EQ(names(cmd->Menu("mnuFile")), QStringList({"actReload", "actLoad", "actSave", "actSaveAs", "actSaveSelect",
                                                        "actPrint", "mnuHistory", "-", "actExit"}));
    EXPECT_EQ(names(cmd->PopupMenu2), QStringList({"actDelete", "actUnDelete", "-", "actListTop", "actListBottom",
                                                   "-", "actToolTipDisp"}));
    QStringList bar;
    for (QAction* a : w->menuBar()->actions()) bar << a->menu()->objectName();
    EXPECT_EQ(bar, QStringList({"mnuFile", "mnuEdit", "mnuFind", "mnuMove", "mnuSend", "mnuLanguage", "mnuTool", "mnuHelp"}));
    EXPECT_EQ(w->Action("actMoveDown")->shortcut(), QKeySequence("Ctrl+W"));
    EXPECT_EQ(w->Action("actListTop")->shortcut(), QKeySequence("Ctrl+Alt+T"));
    for (const QString& name : cmd->ActionNames()) {
        QAction* a = w->Action(name);
        EXPECT_EQ(a->objectName(), name);
        if (!cmd->IsBuilt(name)) {
            EXPECT_FALSE(a->isEnabled()) << name.toStdString();
            EXPECT_TRUE(a->toolTip().contains("not available yet")) << name.toStdString();
        }
    }
    EXPECT_TRUE(cmd->mnuHistory->menuAction()->isEnabled());  // the opened log is in it
    EXPECT_EQ(w->HistoryEntries(), QStringList({log}));
}

// At the default size a typical name and its count fit in the tree, every column
// title fits its column, and the pane without the focus shows its selection in
// the inactive colour.
TEST(Layout, TheDefaultWindowShowsTypicalNamesTitlesAndWhereTheFocusIs) {
    ScratchFolder folder;
    folder.Write("tester.ini", "[Setting]\r\nLanguage=eng\r\n");
    const QString log = folder.Write(
        "names.log", Block("From", " From: Emily Carter (GROUP/PC01/10.0.0.1)\r\n",
                           "Sat Mar 17 10:00:00 2007", "hello\r\n"));
    auto w = StartWindow(folder, {log});
    w->show();
    QTreeView* tree = w->pnlTree->tvLog;
    TreeNode* leaf = nullptr;
    w->pnlTree->Tree().ForEachNode([&](TreeNode* n) {
        if (n->Label() == "Emily Carter") leaf = n;
    });
    ASSERT_NE(leaf, nullptr);
    w->pnlTree->SelectNode(leaf);
    const QString label = w->pnlTree->NodeText(leaf);
    ASSERT_TRUE(label.startsWith("Emily Carter (1")) << label.toStdString();
    const QModelIndex index = tree->currentIndex();
    const int needed = tree->visualRect(index).left() + 16 + 12 + tree->fontMetrics().horizontalAdvance(label);
    EXPECT_LE(needed, tree->viewport()->width());

    QHeaderView* header = w->lvLog->header();
    const QStringList titles = w->lvLog->ShownTitles();
    for (int i = 1; i < titles.size() - 1; ++i)
        EXPECT_GE(header->sectionSize(i), header->fontMetrics().horizontalAdvance(titles[i]) + 12)
            << titles[i].toStdString();

    // A message row's user and date fit their columns.
    ASSERT_GE(w->lvLog->RowCount(), 1);
    for (int column : {kColUser, kColDate})
        EXPECT_GE(header->sectionSize(column),
                  (column == kColUser ? 16 : 0) + w->lvLog->fontMetrics().horizontalAdvance(Cell(*w, 0, column)))
            << Cell(*w, 0, column).toStdString();

    for (QAbstractItemView* pane : {static_cast<QAbstractItemView*>(tree), static_cast<QAbstractItemView*>(w->lvLog)})
        EXPECT_NE(pane->palette().color(QPalette::Inactive, QPalette::Highlight),
                  pane->palette().color(QPalette::Active, QPalette::Highlight));
}

TEST(Layout, ALongLabelLosesTheMiddleOfItsNameAndKeepsItsCount) {
    const QFontMetrics fm(QApplication::font());
    const QString name = "Bartholomew Featherstonehaugh-Cholmondeley";
    struct Case {
        QString label;
        int width;
        QString keptEnd;
    } cases[] = {
        {name + " (12 msgs)", fm.horizontalAdvance(name) / 2, " (12 msgs)"},
        {name + QString::fromUtf8(" (3件)"), fm.horizontalAdvance(name) / 2, QString::fromUtf8(" (3件)")},
        {"Short (1 msgs)", 1000, "Short (1 msgs)"},  // fits: unchanged
    };
    for (const Case& c : cases) {
        const QString shown = ElideKeepingCount(c.label, fm, c.width);
        EXPECT_TRUE(shown.endsWith(c.keptEnd)) << shown.toStdString();
        EXPECT_LE(fm.horizontalAdvance(shown), c.width) << shown.toStdString();
        if (shown != c.label) {
            EXPECT_TRUE(shown.startsWith("Barth")) << shown.toStdString();  // the name's start stays too
            EXPECT_TRUE(shown.contains(QChar(0x2026)));
        }
    }
    // Too narrow for any of the name: the end goes, as for any other text.
    EXPECT_EQ(ElideKeepingCount(name + " (12 msgs)", fm, fm.horizontalAdvance("Ba\u2026")),
              fm.elidedText(name + " (12 msgs)", Qt::ElideRight, fm.horizontalAdvance("Ba\u2026")));
}

}  // namespace
}  // namespace qx::ui::test
