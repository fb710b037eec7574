// The view: colours of header, quote and text lines, the header panel,
// underlined addresses and how clicks on them behave.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/ColourBox.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/MessageView.h"
#include "ui/SettingsPage.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"
#include "browse/ListRows.h"

namespace qx::ui::test {
namespace {

class View : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\nSortType=4\r\n");
        w = StartWindow(folder, {folder.Write("small.log", SmallLog())});
        // The 17th under the date key: row 1 is the message to bob and carol.
        TreeNode* day = w->pnlTree->Tree().ChildWithText(
            w->pnlTree->Tree().ChildWithText(w->pnlTree->Tree().ChildWithText(nullptr, "2007"), "03"),
            ToCp932(QString::fromUtf8("17(Sat) (2件)")));
        w->pnlTree->SelectNode(day);
        w->lvLog->SelectOnly(1);
    }
    QColor ColourOfLine(int block) const {
        const QTextBlock b = w->view->reLog->document()->findBlockByNumber(block);
        return b.begin().fragment().charFormat().foreground().color();
    }
    int LineStarting(const QString& text) const {
        for (int i = 0; i < w->view->LineCount(); ++i)
            if (w->view->LineText(i).startsWith(text)) return i;
        return -1;
    }
    QPoint PointOf(int block, int column) const {
        QTextCursor c(w->view->reLog->document()->findBlockByNumber(block));
        c.setPosition(c.block().position() + column);
        const QRect r = w->view->reLog->cursorRect(c);
        return QPoint(r.left() + 3, r.center().y());
    }

    ScratchFolder folder;
    std::unique_ptr<TForm1> w;
};

TEST_F(View, HeaderQuoteAndTextLinesTakeTheirColours) {
    ASSERT_EQ(w->view->LineText(0), "=====================================");
    const int quote = LineStarting("> hello bob");
    const int text = LineStarting("thanks");
    ASSERT_GT(quote, 0);
    EXPECT_EQ(ColourOfLine(0), QColor(0, 128, 0));      // header: green
    EXPECT_EQ(ColourOfLine(quote), QColor(0, 0, 255));  // quote: blue
    EXPECT_EQ(ColourOfLine(text), QColor(0, 0, 0));     // text: black

    // A colour chosen on the settings page applies at once.
    w->tsSetting->cbHeaderColor->SetValue(0x0000FF);  // clRed
    EXPECT_EQ(ColourOfLine(0), QColor(255, 0, 0));
    w->tsSetting->cbBackColor->SetValue(0x00FFFF);  // clYellow: the background only
    EXPECT_EQ(w->view->reLog->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(ColourOfLine(0), QColor(255, 0, 0));
}

TEST_F(View, AddressesAreUnderlinedWithinTheirLine) {
    const int line = LineStarting("> see ");
    ASSERT_GE(line, 0);
    const QList<QPair<int, int>> ranges = w->view->LinkRangesOfLine(line);
    ASSERT_EQ(ranges.size(), 1);
    EXPECT_EQ(w->view->LineText(line).mid(ranges[0].first, ranges[0].second), "http://example.com/a?b=1");
    EXPECT_EQ(ColourOfLine(line), QColor(0, 0, 255));  // still in the quote colour
    EXPECT_TRUE(w->view->LinkRangesOfLine(LineStarting("thanks")).isEmpty());
}

TEST_F(View, OneClickSelectsAnAddressAndASecondClickOpensIt) {
    QStringList opened;
    w->view->openLink = [&](const QUrl& url) { opened << url.toString(); };
    const int line = LineStarting("> see ");
    QWidget* vp = w->view->reLog->viewport();
    QTest::mouseMove(vp, PointOf(line, 10));
    EXPECT_EQ(w->view->reLog->toolTip(), "http://example.com/a?b=1");
    EXPECT_EQ(vp->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(vp, PointOf(line, 2));
    EXPECT_TRUE(w->view->reLog->toolTip().isEmpty());

    QTest::mouseClick(vp, Qt::LeftButton, {}, PointOf(line, 10));
    EXPECT_EQ(w->view->reLog->textCursor().selectedText(), "http://example.com/a?b=1");
    EXPECT_TRUE(opened.isEmpty());
    QTest::mouseClick(vp, Qt::LeftButton, {}, PointOf(line, 12));
    EXPECT_EQ(opened, QStringList({"http://example.com/a?b=1"}));

    // After the double-click time a click selects again instead of opening.
    w->view->timDblClick->stop();
    w->view->LinkClickPending = false;
    QTest::mouseClick(vp, Qt::LeftButton, {}, PointOf(line, 10));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(vp, Qt::LeftButton, {}, PointOf(line, 10));
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(View, TheHeaderPanelShowsTheHeaderApart) {
    w->tsSetting->chkHeaderDisp->setChecked(true);
    EXPECT_TRUE(w->view->pnlHeader->isVisible());
    EXPECT_TRUE(w->view->lblHeader->text().contains("To: bob"));
    EXPECT_TRUE(w->view->lblHeader->text().contains("To: carol"));
    EXPECT_GE(w->view->pnlHeader->height(), w->view->lblHeader->height() + 17);
    EXPECT_EQ(w->view->LineText(0), "> hello bob");
    w->tsSetting->chkHeaderDisp->setChecked(false);
    EXPECT_FALSE(w->view->pnlHeader->isVisible());
    EXPECT_EQ(w->view->LineText(0), "=====================================");
}

TEST_F(View, SeveralSelectedRowsShowOneAfterAnother) {
    w->lvLog->selectAll();
    EXPECT_GE(LineStarting("hello bob"), 0);
    EXPECT_GT(LineStarting("thanks"), LineStarting("hello bob"));
}

TEST_F(View, TheListShowsABodyAsTooltipPerRow) {
    QWidget* vp = w->lvLog->viewport();
    auto rowPoint = [&](int row) { return w->lvLog->visualRect(w->lvLog->Model()->index(row, 1)).center(); };
    QTest::mouseMove(vp, rowPoint(0));
    EXPECT_EQ(w->lvLog->HintText(), "hello bob");
    QTest::mouseMove(vp, rowPoint(1));
    EXPECT_EQ(w->lvLog->HintText(), "> hello bob\r\n> see http://example.com/a?b=1\r\nthanks");
    QTest::mouseMove(vp, QPoint(5, vp->height() - 3));  // empty space
    EXPECT_TRUE(w->lvLog->HintText().isEmpty());
    // Switched off through the pop-up command, which the settings box follows.
    w->Action("actToolTipDisp")->trigger();
    EXPECT_FALSE(w->tsSetting->chkToolTipDisp->isChecked());
    QTest::mouseMove(vp, rowPoint(0));
    EXPECT_TRUE(w->lvLog->HintText().isEmpty());
}

TEST_F(View, ALinkThatNoProgramOpensIsReportedInTheStatusBar) {
    w->view->launchUrl = [](const QUrl&) { return false; };
    const int line = LineStarting("> see ");
    QWidget* vp = w->view->reLog->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, PointOf(line, 10));
    QTest::mouseClick(vp, Qt::LeftButton, {}, PointOf(line, 12));
    EXPECT_EQ(w->StatusText(0), "http://example.com/a?b=1" +
                                    FromCp932(w->Messages()[MessageText::LinkFailed]));
    EXPECT_FALSE(FromCp932(w->Messages()[MessageText::LinkFailed]).isEmpty());
}

// A line of 200 000 bytes: the list and its tooltip show a bounded start, the
// view a first piece and a marker that shows the next piece when clicked; the
// record keeps the whole line.
TEST(LongLine, ListAndViewShowABoundedPartAndTheRestOnDemand) {
    ScratchFolder folder;
    folder.Write("tester.ini", "[Setting]\r\nLanguage=eng\r\nHeaderDisp=1\r\n");
    const std::string body(200000, 'A');
    const QString log = folder.Write(
        "long.log", Block("From", " From: alice (GROUP/PC01/10.0.0.1)\r\n", "Sat Mar 17 10:00:00 2007",
                          body + "\r\nend\r\n"));
    auto w = StartWindow(folder, {log});
    TreeNode* leaf = w->pnlTree->Tree().ChildWithText(w->pnlTree->Selected(), ToCp932("alice (1 msgs)"));
    ASSERT_NE(leaf, nullptr);
    w->pnlTree->SelectNode(leaf);
    ASSERT_EQ(w->lvLog->RowCount(), 1);
    w->lvLog->SelectOnly(0);
    EXPECT_EQ(Cell(*w, 0, kColMessage), QString(512, 'A'));
    EXPECT_EQ(w->lvLog->toolTipOf(0), QString(2048, 'A') + "...");

    MessageView* v = w->view;
    ASSERT_EQ(v->LineCount(), 4);  // a piece, its marker, "end" and the block's last line end
    EXPECT_EQ(v->LineText(0), QString(65536, 'A'));
    EXPECT_EQ(v->LineText(1), "[... 134464 more bytes on this line (click to show more)]");
    EXPECT_TRUE(v->IsMoreMarker(1));
    EXPECT_EQ(v->LineText(2), "end");

    QTextCursor c(v->reLog->document()->findBlockByNumber(1));
    const QRect r = v->reLog->cursorRect(c);
    QTest::mouseClick(v->reLog->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 20, r.center().y()));
    ASSERT_EQ(v->LineCount(), 5);
    EXPECT_EQ(v->LineText(1), QString(65536, 'A'));
    EXPECT_EQ(v->LineText(2), "[... 68928 more bytes on this line (click to show more)]");
    v->ShowMoreOfLine(2);
    v->ShowMoreOfLine(3);
    ASSERT_EQ(v->LineCount(), 6);
    EXPECT_EQ(v->LineText(3), QString(200000 - 3 * 65536, 'A'));
    EXPECT_FALSE(v->IsMoreMarker(3));
    EXPECT_EQ(v->LineText(4), "end");
    EXPECT_EQ(w->Session().records[0].PlainBody("").substr(0, body.size() + 5), body + "\r\nend");
}

}  // namespace
}  // namespace qx::ui::test
