// The find window: its history, what a search finds and how the hits are listed,
// sorted and shown, and the jump from a hit to its message.
#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QProgressBar>
#include <QTextBlock>
#include <QTimer>

#include "UiTestSupport.h"
#include "ui/ColourBox.h"
#include "ui/FindCommands.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/MessageView.h"
#include "ui/SettingsPage.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"
#include "ui/Unit2.h"
#include "ui/Unit4.h"

namespace qx::ui::test {
namespace {

class Find : public ::testing::Test {
protected:
    void Start(const std::string& log, const std::string& settings = "") {
        folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\nSortType=0\r\n" + settings);
        logPath = folder.Write("find.log", log);
        w = StartWindow(folder, {logPath});
        f = w->Finding()->Form4();
    }
    // Types the text into the field and presses Enter, as a user would.
    void Search(const QString& text, bool regex = false) {
        w->Action("actFind")->trigger();
        f->chkRegEx->setChecked(regex);
        f->cmbFind->setEditText(text);
        QTest::keyClick(f->cmbFind->lineEdit(), Qt::Key_Return);
    }
    QString HitCell(int row, int column) const {
        auto* m = f->lvFind->Model();
        return m->data(m->index(row, column), Qt::DisplayRole).toString();
    }
    QStringList HitDates() const {
        QStringList out;
        for (int r = 0; r < f->HitCount(); ++r) out << HitCell(r, 3);
        return out;
    }
    void ClickTitle(int column) {
        QHeaderView* h = f->lvFind->header();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(column) + 4, h->height() / 2));
    }
    QStringList History() const {
        QStringList out;
        for (int i = 0; i < f->cmbFind->count(); ++i) out << f->cmbFind->itemText(i);
        return out;
    }
    // The marked texts of the view.
    QStringList Marked() const {
        QStringList out;
        for (const QTextEdit::ExtraSelection& s : w->view->reLog->extraSelections())
            out << s.cursor.selectedText();
        return out;
    }

    ScratchFolder folder;
    QString logPath;
    std::unique_ptr<TForm1> w;
    TForm4* f = nullptr;
};

TEST_F(Find, CtrlFShowsTheWindowAtItsDesignedSize) {
    Start(SmallLog());
    EXPECT_TRUE(w->Action("actFind")->isEnabled());
    EXPECT_FALSE(f->isVisible());
    w->Action("actFind")->trigger();
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(f->isModal());
    EXPECT_EQ(f->size(), QSize(500, 300));
    EXPECT_EQ(f->windowTitle(), "Quillorix");
    // Ctrl+F again after a search: what is typed replaces the old text.
    Search("hello");
    w->Action("actFind")->trigger();
    QTest::keyClicks(f->cmbFind->lineEdit(), "bob");
    EXPECT_EQ(f->cmbFind->currentText(), "bob");
}

TEST_F(Find, HistoryKeepsOneEntryPerTextNewestFirstUpToTheCount) {
    Start(SmallLog());
    ASSERT_EQ(w->tsSetting->udHistoryNum->value(), 10);
    Search("hello");
    Search("bob");
    Search("hello");
    EXPECT_EQ(History(), QStringList({"hello", "bob"}));  // twice: one entry, at the top
    Search("HeLLo");
    EXPECT_EQ(History(), QStringList({"HeLLo", "bob"}));  // other case: replaced as typed
    for (int i = 1; i <= 9; ++i) Search(QStringLiteral("t%1").arg(i));
    ASSERT_EQ(f->cmbFind->count(), 10);
    EXPECT_EQ(f->cmbFind->itemText(0), "t9");
    EXPECT_EQ(f->cmbFind->itemText(9), "HeLLo");  // the eleventh distinct text pushed "bob" out
    EXPECT_FALSE(History().contains("bob"));
    Search("");  // an empty text touches nothing
    EXPECT_EQ(f->cmbFind->count(), 10);
}

TEST_F(Find, AHeaderOnlyTextFindsItsMessageAndHitsAreListedAsInTheMainList) {
    Start(SmallLog());
    Search("PC03");  // carol's host: only in the header of the message to bob and carol
    ASSERT_EQ(f->HitCount(), 1);
    EXPECT_EQ(HitCell(0, 1), "bob, carol");
    EXPECT_EQ(HitCell(0, 2), "To:");
    EXPECT_EQ(HitCell(0, 3), "2007/03/17 11:30:00");
    EXPECT_EQ(HitCell(0, 4), "> hello bob");
    EXPECT_EQ(f->lvFind->SelectedRows(), (std::vector<int>{0}));
    EXPECT_EQ(w->CurrentView, TForm1::ViewSource::Find);
    EXPECT_TRUE(w->view->LineText(1).contains("carol") || w->view->LineText(2).contains("carol"));
    Search("nowhere");
    EXPECT_EQ(f->HitCount(), 0);
    EXPECT_EQ(w->view->LineCount(), 0);
}

TEST_F(Find, AnEncryptedBodyIsSearchedOnceThePasswordIsGivenOnce) {
    DialogDriver driver({"pw1"});
    folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\n");
    w = StartWindow(folder, {QStringLiteral(QX_FIXTURES_DIR "/find/body-encrypted.log")});
    f = w->Finding()->Form4();
    w->Session().CurrentPassword.clear();  // as after a log opened with its tree only
    const int before = driver.passwordPrompts;
    Search("treasure");
    EXPECT_EQ(driver.passwordPrompts, before + 1);
    ASSERT_EQ(f->HitCount(), 1);
    EXPECT_EQ(HitCell(0, 1), "alice");
    EXPECT_EQ(HitCell(0, 4), "hidden treasure");
    Search("words");
    EXPECT_EQ(driver.passwordPrompts, before + 1);  // known now for the rest of the run
    EXPECT_EQ(f->HitCount(), 1);
}

TEST_F(Find, TheSearchShowsItsProgressAndLetsEventsRun) {
    Start(SmallLog());
    QStringList seen;  // what a timer saw while the search let events run
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (w->Form2->isVisible())
            seen << w->Form2->windowTitle() + " " + QString::number(w->Form2->ProgressBar1->value());
    });
    watch.start(0);
    Search("hello");
    watch.stop();
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_TRUE(seen.front().startsWith("Searching... "));
    EXPECT_FALSE(w->Form2->isVisible());
    EXPECT_EQ(f->HitCount(), 2);
}

TEST_F(Find, AnchorsMeanTheStartOfTheHeaderAndALineFeed) {
    Start(SmallLog());
    Search("^ To", true);
    ASSERT_EQ(f->HitCount(), 1);
    EXPECT_EQ(HitCell(0, 2), "To:");
    Search("morning$", true);  // a carriage return stands before every line feed
    EXPECT_EQ(f->HitCount(), 0);

    Search("morning\\r$", true);  // with the carriage return, "$" stands before the line feed
    ASSERT_EQ(f->HitCount(), 1);
    EXPECT_EQ(HitCell(0, 4), "morning");
}

TEST_F(Find, APatternThatDoesNotCompileSaysWhyAndListsNothing) {
    Start(SmallLog());
    Search("hello");
    ASSERT_EQ(f->HitCount(), 2);
    Search("*bob", true);
    EXPECT_EQ(f->HitCount(), 0);
    EXPECT_FALSE(f->lblError->isHidden());
    EXPECT_FALSE(f->lblError->text().isEmpty());
    Search("*bob", false);  // as plain text it is fine
    EXPECT_TRUE(f->lblError->isHidden());
    EXPECT_EQ(f->HitCount(), 0);
}

TEST_F(Find, ClickingTheDateTwiceSortsBothWaysAndMarksOnlyThatTitle) {
    Start(SmallLog());
    Search("0", false);  // every header holds a 0
    ASSERT_EQ(f->HitCount(), 4);
    // At the end of a search the hits follow the main list's column.
    EXPECT_EQ(HitDates(), QStringList({"2007/03/17 10:00:00", "2007/03/17 11:30:00",
                                       "2007/03/18 08:05:00", "2007/03/18 09:15:00"}));
    ClickTitle(3);  // already the sort column: flips
    EXPECT_EQ(HitDates().front(), "2007/03/18 09:15:00");
    EXPECT_TRUE(f->ShownTitles()[3].endsWith(" <<"));
    ClickTitle(3);
    EXPECT_EQ(HitDates().front(), "2007/03/17 10:00:00");
    EXPECT_TRUE(f->ShownTitles()[3].endsWith(" >>"));
    ClickTitle(1);
    EXPECT_EQ(HitCell(0, 1), "alice");
    for (int c = 0; c < 5; ++c) {
        const QString t = f->ShownTitles()[c];
        EXPECT_EQ(t.contains(">>") || t.contains("<<"), c == 1) << t.toStdString();
    }
}

TEST_F(Find, AJumpToATwoAddresseeMessageLandsUnderItsFirstUser) {
    Start(SmallLog());
    Search("thanks");
    ASSERT_EQ(f->HitCount(), 1);
    f->btnJump->click();
    EXPECT_EQ(w->pnlTree->NodeText(w->pnlTree->Selected()), "bob " + FromCp932("(1\x8c\x8f)"));
    ASSERT_EQ(w->lvLog->SelectedRows().size(), 1u);
    EXPECT_EQ(Cell(*w, w->lvLog->FirstSelectedRow(), 4), "> hello bob");
    EXPECT_EQ(w->CurrentView, TForm1::ViewSource::List);
    EXPECT_TRUE(Marked().isEmpty());  // the main list's messages carry no marks
}

TEST_F(Find, ADeletedMessageIsFoundAndJumpsToTheDeletedNode) {
    Start(SmallLog());
    w->pnlTree->SelectNode(
        w->pnlTree->Tree().MessageNode(w->Session().records[3]));  // bob's morning
    ASSERT_EQ(w->lvLog->RowCount(), 1);
    w->lvLog->SelectOnly(0);
    w->Action("actDelete")->trigger();
    ASSERT_TRUE(w->Session().records[3].Deleted());
    Search("morning");
    ASSERT_EQ(f->HitCount(), 1);
    QTest::mouseDClick(f->lvFind->viewport(), Qt::LeftButton, {},
                       f->lvFind->visualRect(f->lvFind->Model()->index(0, 1)).center());
    EXPECT_TRUE(w->pnlTree->Tree().IsDeletedNode(w->pnlTree->Selected()));
    ASSERT_EQ(w->lvLog->SelectedRows().size(), 1u);
    EXPECT_EQ(Cell(*w, w->lvLog->FirstSelectedRow(), 4), "morning");
}

TEST_F(Find, EveryMatchInTheShownHitIsMarkedUntilTheMainListShowsAgain) {
    Start(SmallLog());
    Search("bob");
    ASSERT_EQ(f->HitCount(), 4);
    // Row 0 is alice's "hello bob" of the 17th: once in the body.
    EXPECT_EQ(Marked(), QStringList({"bob"}));
    f->lvFind->selectAll();  // bob in headers and bodies
    EXPECT_GE(Marked().size(), 4);
    for (const QString& m : Marked()) EXPECT_EQ(m, "bob");
    Search("b+", true);
    ASSERT_GT(f->HitCount(), 0);
    for (const QString& m : Marked()) EXPECT_TRUE(m == "b" || m == "bb") << m.toStdString();
    // A colour change re-shows from the find list, marks included.
    w->tsSetting->cbTextColor->SetValue(0x0000FF);
    EXPECT_FALSE(Marked().isEmpty());

    w->pnlTree->SelectNode(w->pnlTree->Tree().MessageNode(w->Session().records[0]));
    ASSERT_GT(w->lvLog->RowCount(), 0);
    w->lvLog->clearSelection();
    w->lvLog->SelectOnly(0);
    EXPECT_EQ(w->CurrentView, TForm1::ViewSource::List);
    EXPECT_TRUE(Marked().isEmpty());
}

TEST_F(Find, ANodeWithoutRowsTakesTheViewBackFromTheFindList) {
    Start(SmallLog());
    Search("bob");
    ASSERT_GT(w->view->LineCount(), 0);
    w->pnlTree->SelectNode(w->pnlTree->Tree().DeletedNode());  // nothing deleted: no rows
    ASSERT_EQ(w->lvLog->RowCount(), 0);
    w->tsSetting->cbTextColor->SetValue(0x0000FF);  // re-shows what the view shows
    EXPECT_EQ(w->view->LineCount(), 0);
}

TEST_F(Find, HitsSurviveAnAppendedMessageAndGoWithAFullRead) {
    Start(SmallLog());
    Search("alice");
    ASSERT_EQ(f->HitCount(), 2);
    const std::size_t first = f->Hit(0).record;
    folder.Append("find.log", Block("From", " From: alice (GROUP/PC01/10.0.0.1)\r\n",
                                    "Mon Mar 19 08:00:00 2007", "later\r\n"));
    w->timReloadTimer();
    ASSERT_EQ(w->Session().records.size(), 5u);
    ASSERT_EQ(f->HitCount(), 2);
    EXPECT_EQ(f->Hit(0).record, first);
    f->lvFind->SelectOnly(1);
    f->btnJump->click();
    EXPECT_EQ(Cell(*w, w->lvLog->FirstSelectedRow(), 4), f->Hit(1).text[4].c_str());

    w->LoadLog(logPath, true);
    EXPECT_EQ(f->HitCount(), 0);
}

TEST_F(Find, ALanguageChangeRewritesTheHitDatesAndTitles) {
    Start(SmallLog());
    Search("morning");
    ASSERT_EQ(HitCell(0, 3), "2007/03/18 08:05:00");
    w->actEnglishExecute();
    EXPECT_EQ(HitCell(0, 3), "03/18/2007 08:05:00");
    EXPECT_EQ(f->ShownTitles()[3], "Date >>");
    // The window's own texts come from the same file.
    EXPECT_EQ(f->lblFind->text(), "Find what:");
    EXPECT_EQ(f->btnFind->text(), "Find");
    EXPECT_EQ(f->btnJump->text(), "Show in Tree");
    EXPECT_EQ(f->chkRegEx->text(), "Regular expression");
    EXPECT_EQ(f->cmbFind->toolTip(), "Text or regular expression to search for");
    w->actJapaneseExecute();
    EXPECT_EQ(HitCell(0, 3), "2007/03/18 08:05:00");
}

TEST_F(Find, TheWindowKeepsItsPlaceHistoryAndRegExInTheSettings) {
    Start(SmallLog(),
          "RegEx=1\r\n[Find]\r\nNum=2\r\nString00=\"one\"\r\nString01=\"two\"\r\n"
          "[Window4]\r\nLeft=40\r\nTop=50\r\nWidth=520\r\nHeight=310\r\n");
    EXPECT_TRUE(f->chkRegEx->isChecked());
    EXPECT_EQ(History(), QStringList({"one", "two"}));
    EXPECT_EQ(f->size(), QSize(520, 310));
    Search("three", false);
    f->resize(600, 320);
    w->close();
    QFile ini(folder.File("tester.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(ini.readAll());
    EXPECT_TRUE(text.contains("RegEx=0"));
    EXPECT_TRUE(text.contains("String00=\"three\""));
    const QString window4 = text.mid(text.indexOf("[Window4]")).section("\r\n[", 0, 0);
    EXPECT_TRUE(window4.contains("Width=600")) << window4.toStdString();
}

}  // namespace
}  // namespace qx::ui::test
