// The send menus over a scripted messenger, and the tool bar's log list.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>

#include "../messenger/ScriptedBridge.h"
#include "UiTestSupport.h"
#include "ui/CommandSet.h"
#include "ui/MessageList.h"
#include "ui/MessageView.h"
#include "ui/SendCommands.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"

namespace qx::ui::test {
namespace {

QStringList Texts(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions()) out << a->text();
    return out;
}

QStringList Items(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

class SendMenus : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("tester.ini", "[Setting]\r\nLanguage=eng\r\n");
        log = folder.Write("small.log", SmallLog());
        w = StartWindow(folder, {log});
        auto owned = std::make_unique<qx::test::ScriptedBridge>();
        bridge = owned.get();
        bridge->windows = {"Shell_TrayWnd", "ipmsg_class", "ipmsg_class_2nd"};
        bridge->recipients = {"carol", "alice", "bob"};
        w->Sending()->SetBridge(std::move(owned));
        w->LoadLog(log, true);  // a read lists the instances
        send = w->Commands()->mnuSend;
        rsend = w->Commands()->mnuRSend;
    }
    // Shows the first message whose user column is `user`.
    void ShowMessageOf(const QString& user) {
        bool found = false;
        w->pnlTree->Tree().ForEachNode([&](TreeNode* n) {
            if (found || n->HasChildren()) return;
            w->pnlTree->SelectNode(n);
            for (int r = 0; r < w->lvLog->RowCount() && !found; ++r) {
                if (Cell(*w, r, 1) != user) continue;
                w->lvLog->SelectOnly(r);
                found = true;
            }
        });
        ASSERT_TRUE(found) << user.toStdString();
    }
    // The selected lines of the view.
    QStringList SelectedLines() {
        QString text = w->view->reLog->textCursor().selectedText();
        text.replace(QChar::ParagraphSeparator, '\n');
        return text.split('\n');
    }
    std::string Cp932(const QString& text) { return ToCp932(text); }

    ScratchFolder folder;
    QString log;
    std::unique_ptr<TForm1> w;
    qx::test::ScriptedBridge* bridge = nullptr;
    QMenu* send = nullptr;
    QMenu* rsend = nullptr;
};

TEST_F(SendMenus, EveryInstanceGivesAnEntryInBothMenus) {
    EXPECT_EQ(Texts(send), QStringList({"IPMsg", "IPMsg2nd"}));
    EXPECT_EQ(Texts(rsend), QStringList({"IPMsg", "IPMsg2nd"}));
    EXPECT_TRUE(send->menuAction()->isEnabled());
    EXPECT_TRUE(rsend->menuAction()->isEnabled());
    EXPECT_TRUE(send->menuAction()->statusTip().isEmpty());

    // An instance started later shows after the next read.
    bridge->windows.push_back("ipmsg_class_3");
    folder.Append("small.log", Block("From", " From: dave (GROUP/PC04/10.0.0.4)\r\n", "Sun Mar 18 12:00:00 2007",
                                     "late\r\n"));
    w->actReloadExecute();
    EXPECT_EQ(Texts(send), QStringList({"IPMsg", "IPMsg2nd", "IPMsg3"}));
}

TEST_F(SendMenus, WithNothingSelectedInTheViewOnlyTheDialogOpens) {
    ShowMessageOf("alice");
    ASSERT_FALSE(w->view->reLog->textCursor().hasSelection());
    DialogDriver driver;
    rsend->actions()[1]->trigger();
    EXPECT_EQ(bridge->opened, std::vector<std::string>({"ipmsg_class_2nd"}));
    EXPECT_TRUE(driver.inputPrompts.isEmpty()) << "no quote prefix is asked for";
    EXPECT_TRUE(bridge->selectedItems.empty());
    EXPECT_FALSE(bridge->editText.has_value());
    EXPECT_TRUE(driver.messages.isEmpty());
}

TEST_F(SendMenus, TheQuotedSelectionGoesToTheDialogWithTheRecipientSelected) {
    ShowMessageOf("alice");
    w->Action("actAllSelect")->trigger();
    QStringList lines = SelectedLines();
    ASSERT_GT(lines.size(), 3);
    if (lines.back().isEmpty()) lines.removeLast();  // the selection ends with its last line's end
    DialogDriver driver;
    driver.inputs = {"> "};
    send->actions()[0]->trigger();
    EXPECT_EQ(driver.inputPrompts.size(), 1);
    EXPECT_EQ(bridge->opened, std::vector<std::string>({"ipmsg_class"}));
    EXPECT_EQ(bridge->selectedItems, std::vector<int>({1})) << "alice is the second item of the list";
    QString quoted;
    for (const QString& line : lines) quoted += "> " + line + "\r\n";
    EXPECT_EQ(bridge->editText, Cp932(quoted));

    // Cancelling the prefix still hands over the selection, unquoted.
    send->actions()[0]->trigger();
    EXPECT_EQ(bridge->editText, Cp932(lines.join("\r\n") + "\r\n"));
    EXPECT_TRUE(driver.messages.isEmpty());
}

TEST_F(SendMenus, AMessageToTwoUsersSelectsNoRecipient) {
    ShowMessageOf("bob, carol");
    w->Action("actAllSelect")->trigger();
    DialogDriver driver;
    driver.inputs = {">"};
    rsend->actions()[0]->trigger();
    EXPECT_TRUE(bridge->selectedItems.empty());
    ASSERT_TRUE(bridge->editText.has_value());
    EXPECT_NE(bridge->editText->find(">thanks\r\n"), std::string::npos);
}

TEST_F(SendMenus, AVanishedInstanceRebuildsTheMenusAndSaysSo) {
    bridge->windows = {"ipmsg_class"};  // the suffixed one has quit
    DialogDriver driver;
    send->actions()[1]->trigger();
    EXPECT_EQ(driver.messages, QStringList({"IP Messenger Open Error."}));
    EXPECT_EQ(Texts(send), QStringList({"IPMsg"}));
    EXPECT_EQ(Texts(rsend), QStringList({"IPMsg"}));

    bridge->windows.clear();
    send->actions()[0]->trigger();
    EXPECT_TRUE(send->isEmpty());
    EXPECT_FALSE(send->menuAction()->isEnabled());
}

TEST_F(SendMenus, ADialogWithoutItsEditFieldIsReported) {
    bridge->firstChildIsEdit = false;
    ShowMessageOf("alice");
    w->Action("actAllSelect")->trigger();
    DialogDriver driver;
    driver.inputs = {">"};
    send->actions()[0]->trigger();
    EXPECT_EQ(driver.messages, QStringList({"Edit Error"}));
    EXPECT_EQ(bridge->selectedItems, std::vector<int>({1})) << "the recipient was chosen before";
}

TEST(SendMenusHere, WithoutAMessengerTheMenusAreEmptyDisabledAndSayWhy) {
    ScratchFolder folder;
    folder.Write("tester.ini", "[Setting]\r\nLanguage=eng\r\n");
    const QString log = folder.Write("small.log", SmallLog());
    auto w = StartWindow(folder, {log});
    const QString hint = FromCp932(w->Messages()[MessageText::SendNeedsWindows]);
    EXPECT_TRUE(hint.contains("Windows")) << hint.toStdString();
    for (QMenu* menu : {w->Commands()->mnuSend, w->Commands()->mnuRSend}) {
        EXPECT_TRUE(menu->isEmpty());
        EXPECT_FALSE(menu->menuAction()->isEnabled());
        EXPECT_EQ(menu->menuAction()->toolTip(), hint);
        EXPECT_EQ(menu->menuAction()->statusTip(), hint);
    }
    w->Action("actJapanese")->trigger();
    const QString japanese = FromCp932(w->Messages()[MessageText::SendNeedsWindows]);
    EXPECT_NE(japanese, hint);
    EXPECT_EQ(w->Commands()->mnuSend->menuAction()->statusTip(), japanese);
}

// ---------------------------------------------------------------- the log list

class LogListBox : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("tester.ini", "[Setting]\r\nLanguage=eng\r\n");
        QDir().mkpath(folder.File("logs"));
        a = folder.Write("logs/a.log", SmallLog());
        b = folder.Write("logs/b.log", Block("From", " From: bob (GROUP/PC02/10.0.0.2)\r\n",
                                             "Sun Mar 18 08:05:00 2007", "only\r\n"));
        folder.Write("logs/c.txt", SmallLog());
        w = StartWindow(folder, {b});
        box = w->Commands()->cmbLogList;
    }
    // Picks the item the way the user does, with the keyboard on the closed box.
    void Pick(Qt::Key key) {
        box->setFocus();
        QTest::keyClick(box, key);
    }

    ScratchFolder folder;
    QString a, b;
    std::unique_ptr<TForm1> w;
    QComboBox* box = nullptr;
};

TEST_F(LogListBox, ListsTheFolder_sLogsAndSwitchesBetweenThem) {
    EXPECT_EQ(Items(box), QStringList({"a.log", "b.log"}));
    EXPECT_EQ(box->currentText(), "b.log");
    EXPECT_FALSE(box->isEditable());

    w->Session().CurrentPassword = "secret";
    Pick(Qt::Key_Up);
    EXPECT_EQ(FromPath(w->Session().LogFileName), a);
    EXPECT_TRUE(w->Session().CurrentPassword.empty()) << "a switch forgets the password";
    EXPECT_EQ(w->Session().records.size(), 4u) << "read from the start";
    EXPECT_EQ(box->currentText(), "a.log");

    // A file written beside it joins the list; the open log stays selected.
    DialogDriver driver;
    driver.files = {folder.File("logs/d.log")};
    w->Action("actSaveAs")->trigger();
    EXPECT_EQ(Items(box), QStringList({"a.log", "b.log", "d.log"}));
    EXPECT_EQ(box->currentText(), "a.log");
}

TEST_F(LogListBox, AVanishedFileIsReported) {
    ASSERT_TRUE(QFile::remove(folder.File("logs/a.log")));
    DialogDriver driver;
    Pick(Qt::Key_Up);
    ASSERT_EQ(driver.messages.size(), 1);
    EXPECT_EQ(driver.messages[0], "[" + a + "]" + FromCp932(w->Messages()[MessageText::FileMissing]));
    EXPECT_EQ(FromPath(w->Session().LogFileName), b) << "the open log stays";
    EXPECT_EQ(Items(box), QStringList({"b.log"}));
    EXPECT_EQ(box->currentText(), "b.log");
}

}  // namespace
}  // namespace qx::ui::test
