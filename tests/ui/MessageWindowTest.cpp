// Separate message windows: what they copy from the view, their caption, where
// they open, their font, pop-up and links.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDialog>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "UiTestSupport.h"
#include "ui/ColourBox.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/MessageView.h"
#include "ui/MessageWindowCommands.h"
#include "ui/SettingsPage.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"
#include "ui/Unit5.h"

namespace qx::ui::test {
namespace {

class MessageWindow : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write(
            "tester.ini",
            "[Setting]\r\nLanguage=jpn\r\nSortType=4\r\nFontName=Serif\r\nFintSize=14\r\n");
        w = StartWindow(folder, {folder.Write("small.log", SmallLog())});
        // The 17th under the date key: alice's message, then the one to bob and carol.
        day = w->pnlTree->Tree().ChildWithText(
            w->pnlTree->Tree().ChildWithText(w->pnlTree->Tree().ChildWithText(nullptr, "2007"),
                                             "03"),
            ToCp932(QString::fromUtf8("17(Sat) (2件)")));
        w->pnlTree->SelectNode(day);
    }
    void TearDown() override {
        for (TForm5* f : w->findChildren<TForm5*>()) delete f;
    }
    TForm5* Open() { return w->MessageWindows()->actMsgFormExecute(); }
    void SelectRows(std::initializer_list<int> rows) {
        w->lvLog->clearSelection();
        for (int r : rows)
            w->lvLog->selectionModel()->select(
                w->lvLog->Model()->index(r, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    int LineStarting(TForm5* f, const QString& text) const {
        for (int i = 0; i < f->LineCount(); ++i)
            if (f->LineText(i).startsWith(text)) return i;
        return -1;
    }

    ScratchFolder folder;
    std::unique_ptr<TForm1> w;
    TreeNode* day = nullptr;
};

TEST_F(MessageWindow, CaptionFromOneRowAndFromTwo) {
    w->lvLog->SelectOnly(0);
    TForm5* one = Open();
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->windowTitle(), "From: alice  2007/03/17 10:00:00");
    EXPECT_EQ(one->size(), QSize(351, 200));
    SelectRows({0, 1});
    TForm5* two = Open();
    EXPECT_EQ(two->windowTitle(), "From: alice , To: bob, carol , ");
    EXPECT_NE(one, two);  // every use opens one more window
}

TEST_F(MessageWindow, AnEmptyViewGivesItsMessageAndNoWindow) {
    DialogDriver driver;
    w->view->Clear();
    EXPECT_EQ(Open(), nullptr);
    ASSERT_EQ(driver.messages.size(), 1);
    EXPECT_EQ(driver.messages[0], FromCp932(w->Messages()[MessageText::ViewEmpty]));
    EXPECT_TRUE(w->findChildren<TForm5*>().isEmpty());
}

TEST_F(MessageWindow, TheFourthOpensNinetyPixelsOnAndTheCascadeWraps) {
    w->lvLog->SelectOnly(0);
    std::vector<QPoint> at;
    for (int i = 0; i < 4; ++i) at.push_back(Open()->pos());
    EXPECT_EQ(at[0], QPoint(0, 0));
    EXPECT_EQ(at[3], QPoint(90, 90));
    const QRect screen = w->screen()->geometry();
    const int roomDown = screen.height() - 200;
    w->MessageWindows()->Cascade.Top = roomDown - 10;
    w->MessageWindows()->Cascade.Left = 0;
    Open();
    EXPECT_EQ(w->MessageWindows()->Cascade.Top, 20);  // (roomDown - 10 + 30) mod roomDown
}

TEST_F(MessageWindow, TheFontIsTheFontDialogsDesignedOneUntilTheDialogWasOpened) {
    w->lvLog->SelectOnly(0);
    ASSERT_EQ(w->view->reLog->font().family(), "Serif");
    TForm5* before = Open();
    EXPECT_EQ(before->reMsg->font().family(), QString::fromUtf8("ＭＳ Ｐゴシック"));
    EXPECT_EQ(before->reMsg->font().pixelSize(), 12);
    // Open the font dialog and cancel it: it has taken over the view's font all the same.
    QTimer::singleShot(50, [] {
        if (auto* d = qobject_cast<QFontDialog*>(QApplication::activeModalWidget())) d->reject();
    });
    w->tsSetting->btnFont->click();
    TForm5* after = Open();
    EXPECT_EQ(after->reMsg->font().family(), "Serif");
    EXPECT_EQ(after->reMsg->font().pointSize(), 14);
}

TEST_F(MessageWindow, QuoteLinesKeepTheirColourAndHeaderLinesTakeTheTextColour) {
    w->lvLog->SelectOnly(1);
    TForm5* f = Open();
    ASSERT_EQ(f->LineCount(), w->view->LineCount());
    EXPECT_EQ(w->view->LineText(0), f->LineText(0));
    const QColor text = w->tsSetting->cbTextColor->Colour();
    const QColor quote = w->tsSetting->cbQuoteColor->Colour();
    ASSERT_NE(text, w->tsSetting->cbHeaderColor->Colour());
    EXPECT_EQ(f->LineColour(0), text);  // the header's "=====" line
    EXPECT_EQ(f->LineColour(LineStarting(f, " To: carol")), text);
    EXPECT_EQ(f->LineColour(LineStarting(f, "> hello bob")), quote);
    EXPECT_EQ(f->LineColour(LineStarting(f, "thanks")), text);
    EXPECT_EQ(f->reMsg->palette().color(QPalette::Base),
              w->view->reLog->palette().color(QPalette::Base));
}

TEST_F(MessageWindow, ALongLineTheViewWrapsArrivesAsOneLine) {
    const std::string longBody(600, 'w');
    folder.Write("long.log", Block("From", " From: alice (GROUP/PC01/10.0.0.1)\r\n",
                                   "Sat Mar 17 10:00:00 2007", longBody + "\r\n"));
    w->LoadLog(folder.File("long.log"), true);
    w->pnlTree->SelectNode(w->pnlTree->Tree().MessageNode(w->Session().records[0]));
    w->lvLog->SelectOnly(0);
    w->view->reLog->setLineWrapMode(QTextEdit::WidgetWidth);
    w->view->reLog->resize(200, 200);
    TForm5* f = Open();
    const int line = LineStarting(f, "www");
    ASSERT_GE(line, 0);
    EXPECT_EQ(f->LineText(line), QString::fromStdString(longBody));
    EXPECT_EQ(f->LineCount(), w->view->LineCount());
}

TEST_F(MessageWindow, PopUpCaptionsComeFromTheLanguageFileAndCopyTakesTheSelection) {
    w->lvLog->SelectOnly(0);
    TForm5* f = Open();
    w->actEnglishExecute();
    emit f->PopupMenu1->aboutToShow();
    EXPECT_EQ(f->actCopy->text(), "&Copy");
    EXPECT_EQ(f->actAllSelect->text(), "Select &All");
    w->actJapaneseExecute();
    emit f->PopupMenu1->aboutToShow();
    EXPECT_EQ(f->actCopy->text(), QString::fromUtf8("コピー(&C)"));
    f->actAllSelect->trigger();
    EXPECT_TRUE(f->reMsg->textCursor().selectedText().contains("hello bob"));
    f->actCopy->trigger();
    EXPECT_TRUE(QApplication::clipboard()->text().contains("hello bob"));
}

TEST_F(MessageWindow, AClickInTheViewAndOneInAWindowOpenTheLinkUnderTheSecond) {
    w->lvLog->SelectOnly(1);
    TForm5* f = Open();
    f->show();
    QStringList opened;
    w->view->openLink = [&](const QUrl& url) { opened << url.toString(); };
    auto pointOf = [](QTextEdit* edit, int block, int column) {
        QTextCursor c(edit->document()->findBlockByNumber(block));
        c.setPosition(c.block().position() + column);
        const QRect r = edit->cursorRect(c);
        return QPoint(r.left() + 3, r.center().y());
    };
    int viewLine = -1;
    for (int i = 0; i < w->view->LineCount(); ++i)
        if (w->view->LineText(i).startsWith("> see")) viewLine = i;
    const int line = LineStarting(f, "> see");
    ASSERT_GE(viewLine, 0);
    ASSERT_GE(line, 0);
    // The pointer is a hand over a link and the text cursor elsewhere.
    QTest::mouseMove(f->reMsg->viewport(), pointOf(f->reMsg, line, 8));
    EXPECT_EQ(f->reMsg->viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(f->reMsg->viewport(), pointOf(f->reMsg, 0, 2));
    EXPECT_EQ(f->reMsg->viewport()->cursor().shape(), Qt::IBeamCursor);
    QTest::mouseClick(w->view->reLog->viewport(), Qt::LeftButton, {},
                      pointOf(w->view->reLog, viewLine, 0));
    EXPECT_TRUE(w->view->LinkClickPending);
    QTest::mouseClick(f->reMsg->viewport(), Qt::LeftButton, {}, pointOf(f->reMsg, line, 8));
    EXPECT_EQ(opened, QStringList({"http://example.com/a?b=1"}));
    EXPECT_FALSE(w->view->LinkClickPending);
}

}  // namespace
}  // namespace qx::ui::test
