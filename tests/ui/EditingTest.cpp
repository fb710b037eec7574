// Editing in the main window: deleting and restoring, moving through the tree,
// saving, the questions at load and close, and copying out of the view.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "UiTestSupport.h"
#include "platform/ReplaceFile.h"
#include "ui/CommandSet.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/MessageView.h"
#include "ui/SaveCommands.h"
#include "ui/SettingsPage.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"
#include "ui/Unit2.h"

namespace qx::ui::test {
namespace {

std::string From(const std::string& who, const std::string& host, const std::string& when,
                 const std::string& body) {
    return Block("From", " From: " + who + " (GROUP/" + host + "/10.0.0.1)\r\n", when, body);
}

// alice writes five times on the 17th; bob and carol share one message; the
// 18th has one message of alice and one of bob.
const std::vector<std::string>& Blocks() {
    static const std::vector<std::string> blocks = {
        From("alice", "PC01", "Sat Mar 17 10:01:00 2007", "a1"),
        From("alice", "PC01", "Sat Mar 17 10:02:00 2007", "a2"),
        From("alice", "PC01", "Sat Mar 17 10:03:00 2007", "a3"),
        From("alice", "PC01", "Sat Mar 17 10:04:00 2007", "a4"),
        From("alice", "PC01", "Sat Mar 17 10:05:00 2007", "a5"),
        Block("To", " To: bob (GROUP/PC02/10.0.0.2)\r\n To: carol (GROUP/PC03/10.0.0.3)\r\n",
              "Sat Mar 17 11:00:00 2007", "to both"),
        From("dave", "PC04", "Sat Mar 17 12:00:00 2007", "d1"),
        From("alice", "PC01", "Sun Mar 18 09:00:00 2007", "a6"),
        From("bob", "PC02", "Sun Mar 18 10:00:00 2007", "b1"),
    };
    return blocks;
}

std::string Join(const std::vector<std::size_t>& which) {
    std::string out;
    for (std::size_t i : which) out += Blocks()[i];
    return out;
}

std::string ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

class Editing : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\nDustBox=0\r\n");
        log = folder.Write("edit.log", Join({0, 1, 2, 3, 4, 5, 6, 7, 8}));
        w = StartWindow(folder, {log});
        unit = QString::fromUtf8("件");
    }
    TreeNode* Node(const QStringList& path) { return NodeByTexts(*w, path); }
    QString Counted(const QString& label, int n) {
        return QString("%1 (%2%3)").arg(label).arg(n).arg(unit);
    }
    TreeNode* Leaf(const QString& day, const QString& user, int n) {
        return Node({"2007", "03", day, Counted(user, n)});
    }
    void Run(const char* action) { w->Action(action)->trigger(); }
    // Shortcuts reach only the active window.
    void Activate(QWidget* focus) {
        w->activateWindow();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        focus->setFocus();
    }
    bool On(const char* action) { return w->Action(action)->isEnabled(); }
    // The message column of every row.
    QStringList Bodies() {
        QStringList out;
        for (int r = 0; r < w->lvLog->RowCount(); ++r) out << Cell(*w, r, 4);
        return out;
    }
    std::vector<int> Selected() { return w->lvLog->SelectedRows(); }
    QString SelectedNodeText() { return w->pnlTree->NodeText(w->pnlTree->Selected()); }
    void SelectRows(std::initializer_list<int> rows) {
        auto* sel = w->lvLog->selectionModel();
        sel->clearSelection();
        for (int r : rows)
            sel->select(w->lvLog->Model()->index(r, 0),
                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        w->UpdateCommandState();
    }
    LogSession& S() { return w->Session(); }

    ScratchFolder folder;
    QString log;
    QString unit;
    std::unique_ptr<TForm1> w;
};

TEST_F(Editing, DeleteTakesOneMessageAndSelectsTheRowThatFollows) {
    w->pnlTree->SelectNode(Leaf("17(Sat)", "alice", 5));
    ASSERT_EQ(Bodies(), QStringList({"a1", "a2", "a3", "a4", "a5"}));

    // Rows 1 to 3 selected: only the first of them goes, the others stay selected.
    SelectRows({1, 2, 3});
    Run("actDelete");
    EXPECT_EQ(Bodies(), QStringList({"a1", "a3", "a4", "a5"}));
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
    EXPECT_EQ(S().PendingDeletions, 1);
    EXPECT_TRUE(S().records[1].Deleted());

    // The last row: the new last row is selected and shown.
    w->lvLog->SelectOnly(3);
    Run("actDelete");
    EXPECT_EQ(Bodies(), QStringList({"a1", "a3", "a4"}));
    EXPECT_EQ(Selected(), (std::vector<int>{2}));
    EXPECT_TRUE(w->view->reLog->toPlainText().contains("a4"));

    // Counts and the deleted-messages node follow at once; the status bar too.
    EXPECT_EQ(w->pnlTree->NodeText(w->pnlTree->Selected()), Counted("alice", 3));
    const QString binLabel = FromCp932(w->Messages()[MessageText::DeletedNode]);
    EXPECT_EQ(w->pnlTree->NodeText(w->pnlTree->Tree().DeletedNode()), Counted(binLabel, 2));
    EXPECT_TRUE(w->StatusText(1).startsWith("3 / 9"));

    // Ctrl+D, as the person would; down to an empty list and an empty view.
    Activate(w->lvLog);
    for (int i = 0; i < 3; ++i) QTest::keyClick(w->lvLog, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(w->lvLog->RowCount(), 0);
    EXPECT_TRUE(w->view->reLog->toPlainText().isEmpty());
    EXPECT_EQ(SelectedNodeText(), Counted("alice", 0));
    EXPECT_EQ(S().PendingDeletions, 5);
    EXPECT_FALSE(On("actDelete"));
}

TEST_F(Editing, UndeleteRestoresFromTheDeletedNodeAndLeavesNothingPending) {
    TreeNode* bin = w->pnlTree->Tree().DeletedNode();
    const QString binLabel = w->pnlTree->NodeText(bin).section(" (", 0, 0);
    w->pnlTree->SelectNode(Leaf("18(Sun)", "bob", 1));
    Run("actDelete");
    EXPECT_EQ(S().PendingDeletions, 1);

    w->pnlTree->SelectNode(bin);
    EXPECT_EQ(Bodies(), QStringList({"b1"}));
    EXPECT_FALSE(On("actDelete"));
    EXPECT_TRUE(On("actUnDelete"));
    EXPECT_FALSE(On("actDeleteSelect"));
    EXPECT_FALSE(On("actSaveSelect"));
    Run("actUnDelete");
    EXPECT_EQ(S().PendingDeletions, 0);
    EXPECT_EQ(w->lvLog->RowCount(), 0);
    EXPECT_EQ(w->pnlTree->NodeText(bin), Counted(binLabel, 0));
    EXPECT_FALSE(On("actUnDelete"));

    // Nothing pending: loading another log asks no question.
    DialogDriver driver;
    Run("actLoad");
    EXPECT_TRUE(driver.messages.isEmpty());
    EXPECT_EQ(driver.fileDialogs, QStringList({"OpenDialog1"}));

    // The restored message is listed under its own node again.
    w->pnlTree->SelectNode(Leaf("18(Sun)", "bob", 1));
    EXPECT_EQ(Bodies(), QStringList({"b1"}));
}

TEST_F(Editing, DeletingANodeMarksItsMessagesOnceAndKeepsTheTree) {
    TreeNode* day = Node({"2007", "03", "17(Sat)"});
    const int nodes = static_cast<int>(w->pnlTree->Tree().NodeCount());
    w->pnlTree->SelectNode(day);
    Run("actDeleteSelect");
    EXPECT_EQ(S().PendingDeletions, 7);
    EXPECT_EQ(w->pnlTree->Selected(), day);  // the same node, not a rebuilt one
    EXPECT_EQ(static_cast<int>(w->pnlTree->Tree().NodeCount()), nodes);
    EXPECT_NE(Leaf("17(Sat)", "alice", 0), nullptr);
    EXPECT_NE(Leaf("17(Sat)", "carol", 0), nullptr);
    EXPECT_NE(Leaf("18(Sun)", "alice", 1), nullptr);
    Run("actDeleteSelect");  // again: nothing more to mark
    EXPECT_EQ(S().PendingDeletions, 7);
}

TEST_F(Editing, AMessageToTwoGoesFromBothNodesWhenOneIsDeleted) {
    w->pnlTree->SelectNode(Leaf("17(Sat)", "carol", 1));
    Run("actDeleteSelect");
    EXPECT_EQ(S().PendingDeletions, 1);
    EXPECT_EQ(SelectedNodeText(), Counted("carol", 0));
    w->pnlTree->SelectNode(Leaf("17(Sat)", "bob", 0));
    EXPECT_EQ(w->lvLog->RowCount(), 0);
}

TEST_F(Editing, MoveCommandsWalkEveryLeafAndEndOnTheDeletedNode) {
    w->pnlTree->CollapseAll();  // the walk does not care what is expanded
    Run("actMoveTop");
    EXPECT_EQ(SelectedNodeText(), Counted("alice", 5));
    EXPECT_EQ(Selected(), (std::vector<int>{0}));

    // Down through alice's five messages, then from leaf to leaf.
    QStringList seen;
    for (int i = 0; i < 12; ++i) {
        seen << SelectedNodeText().section(" (", 0, 0) + ":" +
                    (w->lvLog->RowCount() ? Bodies()[Selected().front()] : "");
        Run("actMoveDown");
    }
    const QString binLabel =
        w->pnlTree->NodeText(w->pnlTree->Tree().DeletedNode()).section(" (", 0, 0);
    EXPECT_EQ(seen, QStringList({"alice:a1", "alice:a2", "alice:a3", "alice:a4", "alice:a5",
                                 "bob:to both", "carol:to both", "dave:d1", "alice:a6", "bob:b1",
                                 binLabel + ":", binLabel + ":"}));

    // Bottom is the last message of the last data leaf; up goes back across leaves
    // and lands on the last message of the leaf before.
    Run("actMoveBottom");
    EXPECT_EQ(SelectedNodeText(), Counted("bob", 1));
    Run("actMoveUp");
    EXPECT_EQ(SelectedNodeText(), Counted("alice", 1));
    Run("actMoveUp");
    EXPECT_EQ(SelectedNodeText(), Counted("dave", 1));
    Run("actMoveUp");
    Run("actMoveUp");
    Run("actMoveUp");
    EXPECT_EQ(SelectedNodeText(), Counted("alice", 5));
    EXPECT_EQ(Bodies()[Selected().front()], "a5");
    Run("actMoveTop");
    Run("actMoveUp");  // no leaf before the first: nothing moves
    EXPECT_EQ(SelectedNodeText(), Counted("alice", 5));
    EXPECT_EQ(Selected(), (std::vector<int>{0}));
}

TEST(EditingEmpty, MovesOnALogWithoutMessagesDoNothing) {
    ScratchFolder folder;
    folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\n");
    const QString empty = folder.Write("empty.log", "");
    auto w = StartWindow(folder, {empty});
    ASSERT_EQ(w->pnlTree->Tree().NodeCount(), 1u);
    w->pnlTree->SelectNode(nullptr);
    for (const char* a : {"actMoveTop", "actMoveBottom", "actMoveUp", "actMoveDown"}) {
        w->Action(a)->trigger();
        EXPECT_EQ(w->pnlTree->Selected(), nullptr) << a;
    }
}

TEST_F(Editing, SaveWritesOverTheLogWithoutTheDeletedMessagesAndReadsItAgain) {
    w->pnlTree->SelectNode(Leaf("17(Sat)", "alice", 5));
    w->lvLog->SelectOnly(2);
    Run("actDelete");
    w->pnlTree->SelectNode(Leaf("17(Sat)", "dave", 1));
    Run("actDelete");
    ASSERT_TRUE(On("actSave"));
    Activate(w->lvLog);
    QTest::keyClick(w->lvLog, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadAll(log), Join({0, 1, 3, 4, 5, 7, 8}));
    EXPECT_EQ(S().records.size(), 7u);
    EXPECT_EQ(S().PendingDeletions, 0);
    EXPECT_EQ(w->pnlTree->Tree().NodeMessageCount(w->pnlTree->Tree().DeletedNode(), S().records),
              0);
    EXPECT_EQ(Node({"2007", "03", "17(Sat)", Counted("dave", 0)}), nullptr);  // built afresh
    EXPECT_TRUE(On("actLoad"));  // the busy state ended
    EXPECT_TRUE(sys::TempFilesFor(ToPath(log)).empty());
}

// Notes what the window offers while the progress window is up.
class DuringSave : public QObject {
public:
    DuringSave(TForm1& w) : w_(w) { w.Form2->installEventFilter(this); }
    QStringList seen;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show) {
            QStringList on;
            for (const char* a :
                 {"actLoad", "actReload", "actSave", "actSaveAs", "actSaveSelect", "actDelete"})
                if (w_.Action(a)->isEnabled()) on << a;
            seen << w_.Form2->windowTitle() +
                        (w_.timReload->isActive() ? " timer on" : " timer off") + ": " +
                        on.join(',');
        }
        return false;
    }

private:
    TForm1& w_;
};

TEST_F(Editing, WhileSavingTheCommandsAndTheTimerAreOffAndDustBoxKeepsTheOldFile) {
    qputenv("XDG_DATA_HOME", folder.File("data").toLocal8Bit());
    w->tsSetting->chkDustBox->setChecked(true);
    w->pnlTree->SelectNode(Leaf("17(Sat)", "dave", 1));
    Run("actDelete");
    DuringSave during(*w);
    Run("actSave");
    qunsetenv("XDG_DATA_HOME");
    // The log is taken afresh from what the save wrote (nothing to read again), and
    // the tree is built anew, busy as well.
    EXPECT_EQ(during.seen, QStringList({"Saving... timer off: ", "TreeView Making... timer off: "}));
    EXPECT_EQ(ReadAll(log), Join({0, 1, 2, 3, 4, 5, 7, 8}));
    EXPECT_EQ(ReadAll(folder.File("data/Trash/files/edit.log")), Join({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(On("actSave"));
    EXPECT_TRUE(w->timReload->isActive());
}

TEST_F(Editing, SaveAsWritesTheNewFileAndKeepsTheOpenLogAsItWas) {
    w->pnlTree->SelectNode(Leaf("18(Sun)", "alice", 1));
    Run("actDelete");
    const QString copy = folder.File("copy.log");
    DialogDriver driver;
    driver.files = {copy};
    Run("actSaveAs");
    EXPECT_EQ(driver.fileDialogs, QStringList({"SaveDialog1"}));
    EXPECT_EQ(ReadAll(copy), Join({0, 1, 2, 3, 4, 5, 6, 8}));
    EXPECT_EQ(ReadAll(log), Join({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(FromPath(S().LogFileName), log);
    EXPECT_EQ(S().PendingDeletions, 1);
    EXPECT_EQ(S().records.size(), 9u);
    // Saving over an existing file is asked (and answered Yes by the driver).
    driver.files = {copy};
    w->pnlTree->SelectNode(w->pnlTree->Tree().DeletedNode());
    Run("actUnDelete");
    Run("actSaveAs");
    EXPECT_EQ(ReadAll(copy), Join({0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(Editing, SaveSelectWritesTheNodesMessagesAndRefusesTheDeletedNode) {
    const QString out = folder.File("day.log");
    {
        DialogDriver driver;
        driver.files = {out};
        w->pnlTree->SelectNode(Node({"2007", "03", "18(Sun)"}));
        Run("actSaveSelect");
        EXPECT_EQ(ReadAll(out), Join({7, 8}));
    }
    {
        DialogDriver driver;
        driver.files = {out};
        w->pnlTree->SelectNode(Leaf("17(Sat)", "carol", 1));  // one of two addressees
        Run("actSaveSelect");
        EXPECT_EQ(ReadAll(out), Join({5}));
    }
    {
        DialogDriver driver;
        driver.files = {folder.File("bin.log")};
        w->pnlTree->SelectNode(w->pnlTree->Tree().DeletedNode());
        w->Saving()
            ->actSaveSelectExecute();  // the command itself is off there; the handler refuses too
        EXPECT_EQ(driver.messages,
                  QStringList({FromCp932(w->Messages()[MessageText::CannotSaveDeletedNode])}));
        EXPECT_TRUE(driver.fileDialogs.isEmpty());
        EXPECT_FALSE(QFile::exists(folder.File("bin.log")));
    }
}

TEST_F(Editing, ASaveThatFailsNamesTheFileAndLeavesEverythingAsItWas) {
    // The log in a folder where nothing can be created.
    QDir(folder.Path()).mkdir("locked");
    const QString locked = folder.File("locked/edit.log");
    QFile::copy(log, locked);
    w->LoadLog(locked, true);
    w->pnlTree->SelectNode(Leaf("17(Sat)", "dave", 1));
    Run("actDelete");
    // Permissions do not stop root; a file size limit does (a disk that is full).
    signal(SIGXFSZ, SIG_IGN);
    rlimit before {};
    getrlimit(RLIMIT_FSIZE, &before);
    const rlimit tiny{64, before.rlim_max};
    setrlimit(RLIMIT_FSIZE, &tiny);
    DialogDriver driver;
    Run("actSave");
    setrlimit(RLIMIT_FSIZE, &before);
    ASSERT_EQ(driver.messages.size(), 1);
    EXPECT_TRUE(driver.messages[0].contains(locked)) << driver.messages[0].toStdString();
    EXPECT_EQ(ReadAll(locked), Join({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(S().records.size(), 9u);
    EXPECT_TRUE(S().records[6].Deleted());
    EXPECT_EQ(S().PendingDeletions, 1);
    EXPECT_TRUE(On("actSave"));  // not left busy
    EXPECT_TRUE(sys::TempFilesFor(ToPath(locked)).empty());
}

TEST_F(Editing, LoadingWithUnsavedDeletionsAsksFirstAndYesOpensSaveAs) {
    w->pnlTree->SelectNode(Leaf("17(Sat)", "dave", 1));
    Run("actDelete");
    const QString question = FromCp932(w->Messages()[MessageText::AskSaveDeletions]);
    for (bool yes : {false, true}) {
        DialogDriver driver({}, yes);  // every file dialog cancelled
        Run("actLoad");
        EXPECT_EQ(driver.messages, QStringList({question}));
        EXPECT_EQ(driver.fileDialogs,
                  yes ? QStringList({"SaveDialog1", "OpenDialog1"}) : QStringList({"OpenDialog1"}));
    }
    EXPECT_EQ(S().PendingDeletions, 1);  // both dialogs cancelled: the log is still open as it was
}

TEST_F(Editing, ClosingWithUnsavedDeletionsAsksAndYesSavesAs) {
    w->pnlTree->SelectNode(Leaf("17(Sat)", "dave", 1));
    Run("actDelete");
    const QString saved = folder.File("at-close.log");
    DialogDriver driver({}, true);
    driver.files = {saved};
    w->close();
    EXPECT_EQ(driver.messages,
              QStringList({FromCp932(w->Messages()[MessageText::AskSaveDeletions])}));
    EXPECT_EQ(ReadAll(saved), Join({0, 1, 2, 3, 4, 5, 7, 8}));
    EXPECT_EQ(ReadAll(log), Join({0, 1, 2, 3, 4, 5, 6, 7, 8}));  // Save As, not over the log
}

TEST_F(Editing, ClosingWithNoDeletionsAndAutoEncodeSavesAPlainLogEncoded) {
    w->tsSetting->SetSaveType(1);
    w->tsSetting->chkAutoEncode->setChecked(true);
    DialogDriver driver;
    w->close();
    EXPECT_TRUE(driver.messages.isEmpty());
    const std::string saved = ReadAll(log);
    // Every body separator now carries the mark of the encoded form.
    EXPECT_NE(saved, Join({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    std::size_t marks = 0;
    for (std::size_t at = saved.find(std::string(36, '-') + "1"); at != std::string::npos;
         at = saved.find(std::string(36, '-') + "1", at + 1))
        ++marks;
    EXPECT_EQ(marks, 9u);
}

TEST_F(Editing, ClosingWithAutoEncodeLooksOnlyAtTheLastMessage) {
    // The last message already encoded ("a1" in Base64): the plain ones before it
    // do not cause a save.
    const std::string encoded =
        Block("From", " From: alice (GROUP/PC01/10.0.0.1)\r\n", "Sun Mar 18 11:00:00 2007", "YTE");
    std::string last = encoded;
    last.replace(last.find(std::string(37, '-')), 37, std::string(36, '-') + "1");
    const std::string bytes = Join({0, 1, 2}) + last;
    const QString mixed = folder.Write("mixed.log", bytes);
    w->LoadLog(mixed, true);
    ASSERT_EQ(S().records.back().BodyMode(), 1);
    w->tsSetting->SetSaveType(1);
    w->tsSetting->chkAutoEncode->setChecked(true);
    w->close();
    EXPECT_EQ(ReadAll(mixed), bytes);
}

TEST_F(Editing, CopyPutsUnicodeOnTheClipboardAndQuotedCopyAsksForThePrefix) {
    w->pnlTree->SelectNode(Leaf("17(Sat)", "alice", 5));
    w->lvLog->SelectOnly(0);
    // Ctrl+A in the list selects the view's text, not the rows.
    Activate(w->lvLog);
    QTest::keyClick(w->lvLog, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (std::vector<int>{0}));
    EXPECT_EQ(w->view->reLog->textCursor().selectedText().size(),
              w->view->reLog->toPlainText().size());
    ASSERT_TRUE(On("actCopy"));
    ASSERT_TRUE(On("actCopy2"));
    QTest::keyClick(w->lvLog, Qt::Key_C, Qt::ControlModifier);
    const QString shown = w->view->reLog->toPlainText();
    EXPECT_EQ(QApplication::clipboard()->text(), shown);
    EXPECT_TRUE(shown.contains("a1"));

    DialogDriver driver;
    driver.inputs = {"> "};
    Run("actCopy2");
    EXPECT_EQ(driver.inputPrompts,
              QStringList({FromCp932(w->Messages()[MessageText::QuotePrompt])}));
    QString expected;
    for (const QString& line : shown.split('\n')) expected += "> " + line + "\r\n";
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
    // Cancelled: copied with no prefix, line ends made CR LF.
    Run("actCopy2");
    EXPECT_EQ(QApplication::clipboard()->text(), QString(shown).replace('\n', "\r\n") + "\r\n");
}

TEST_F(Editing, ClipboardTextOfJapaneseMessagesIsUnicode) {
    const std::string body = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd";  // "こんにちは" in cp932
    const QString jp =
        folder.Write("jp.log", From("alice", "PC01", "Sat Mar 17 10:01:00 2007", body));
    w->LoadLog(jp, true);
    w->pnlTree->SelectNode(Leaf("17(Sat)", "alice", 1));
    w->lvLog->SelectOnly(0);
    Run("actAllSelect");
    DialogDriver driver;
    driver.inputs = {">"};
    Run("actCopy2");
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QString::fromUtf8(">こんにちは\r\n")))
        << QApplication::clipboard()->text().toStdString();
}

TEST_F(Editing, ReadOnlyLogsOfferNoEditOrSave) {
    folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\nReadOnly=1\r\n");
    w.reset();
    w = StartWindow(folder, {log});
    ASSERT_TRUE(S().ReadOnlyMode);
    w->pnlTree->SelectNode(Leaf("17(Sat)", "alice", 5));
    w->lvLog->SelectOnly(0);
    w->UpdateCommandState();
    for (const char* a :
         {"actDelete", "actUnDelete", "actDeleteSelect", "actSave", "actSaveAs", "actSaveSelect"})
        EXPECT_FALSE(On(a)) << a;
    EXPECT_TRUE(On("actMoveDown"));
    Run("actDelete");
    EXPECT_EQ(S().PendingDeletions, 0);
}

}  // namespace
}  // namespace qx::ui::test
