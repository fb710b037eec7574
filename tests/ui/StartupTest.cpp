// Start-up: the command line, the remembered log, protected logs, the caption.
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "UiTestSupport.h"
#include "ui/CommandSet.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"

namespace qx::ui::test {
namespace {

std::string Settings(const std::string& extra) {
    return "[Setting]\r\nLanguage=jpn\r\n" + extra;
}

TEST(Startup, OpensTheCommandLineLogWithTheLastDaySelectedAndExpanded) {
    ScratchFolder folder;
    folder.Write("tester.ini", Settings(""));
    const QString log = folder.Write("small.log", SmallLog());
    DialogDriver driver;
    auto w = StartWindow(folder, {log});

    const QString unit = QString::fromUtf8("件");
    const QString binLabel = FromCp932(w->Messages()[MessageText::DeletedNode]);
    ASSERT_FALSE(binLabel.isEmpty());
    const QString bin = binLabel + " (0" + unit + ")";
    const QStringList expected = {"2007", "+03", "++17(Sat)", "+++alice (1" + unit + ")",
                                  "+++bob (1" + unit + ")", "+++carol (1" + unit + ")", "++18(Sun)",
                                  "+++alice (1" + unit + ")", "+++bob (1" + unit + ")", bin};
    EXPECT_EQ(TreeTexts(*w), expected);
    TreeNode* selected = w->pnlTree->Selected();
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(w->pnlTree->NodeText(selected), "18(Sun)");
    EXPECT_TRUE(w->pnlTree->IsExpanded(selected));
    EXPECT_EQ(w->windowTitle(), "Quillorix - " + log);
    EXPECT_EQ(w->StatusText(1), "0 / 4 Messages");
    EXPECT_EQ(w->StatusText(2), QString("%1 byte").arg(QFileInfo(log).size()));
    EXPECT_TRUE(w->ShowDone);
    EXPECT_TRUE(w->timReload->isActive());
    EXPECT_TRUE(driver.messages.isEmpty());
}

TEST(Startup, AcceptsAnUnquotedPathWithBlanks) {
    ScratchFolder folder;
    const QString log = folder.Write("my log.txt", SmallLog());
    const QStringList args = log.split(' ');
    ASSERT_EQ(args.size(), 2);
    auto w = StartWindow(folder, args, "quillorix " + log);
    EXPECT_EQ(QString::fromStdString(w->Session().LogFileName), log);
    EXPECT_EQ(w->Session().records.size(), 4u);
}

TEST(Startup, AMissingCommandLinePathIsReportedAndTheRememberedLogOpens) {
    ScratchFolder folder;
    const QString log = folder.Write("small.log", SmallLog());
    folder.Write("tester.ini", Settings("LogFile=" + log.toStdString() + "\r\n"));
    DialogDriver driver;
    const QString missing = folder.File("missing.log");
    auto w = StartWindow(folder, {missing});
    ASSERT_EQ(driver.messages.size(), 1);
    EXPECT_EQ(driver.messages[0], "[" + missing + "]" + QString::fromUtf8("が見つかりません。"));
    EXPECT_EQ(QString::fromStdString(w->Session().LogFileName), log);
}

// A path that cannot be opened is reported with its reason, in the interface's
// language. A named pipe stands for a path that exists but is no file to read.
TEST(Startup, ACommandLinePathThatIsNoFileSaysWhyInTheInterfaceLanguage) {
    enum Kind { Folder, Missing, Pipe };
    struct Case {
        const char* language;
        Kind kind;
        const char* reason;
    } cases[] = {
        {"eng", Folder, " is a folder, not a log file."},
        {"eng", Missing, " could not be found."},
        {"eng", Pipe, " cannot be read."},
        {"jpn", Folder, "はフォルダです。ログファイルを指定してください。"},
        {"jpn", Pipe, "を読み込めません。"},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        folder.Write("tester.ini", std::string("[Setting]\r\nLanguage=") + c.language + "\r\n");
        QString path = c.kind == Folder ? folder.Path() : folder.File("missing.log");
        if (c.kind == Pipe) {
            path = folder.File("pipe.log");
            ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }
        DialogDriver driver;
        auto w = StartWindow(folder, {path});
        ASSERT_EQ(driver.messages.size(), 1) << c.reason;
        EXPECT_EQ(driver.messages[0], "[" + path + "]" + QString::fromUtf8(c.reason));
        EXPECT_TRUE(w->Session().LogFileName.empty());
    }
}

TEST(Startup, AFileWithoutAnyMessageIsReportedButAnEmptyFileIsANewLog) {
    struct Case {
        const char* name;
        std::string bytes;
        bool reported;
    } cases[] = {
        {"binary.log", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\xff\xfe", 12), true},
        {"notes.txt", "just some notes\r\nwithout any separator\r\n", true},
        {"empty.log", "", false},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        folder.Write("tester.ini", "[Setting]\r\nLanguage=eng\r\n");
        const QString path = folder.Write(c.name, c.bytes);
        DialogDriver driver;
        auto w = StartWindow(folder, {path});
        if (c.reported) {
            ASSERT_EQ(driver.messages.size(), 1) << c.name;
            EXPECT_EQ(driver.messages[0], "[" + path + "] holds no messages of an IP Messenger log.");
        } else {
            EXPECT_TRUE(driver.messages.isEmpty()) << c.name;
        }
        // Either way the file is open, as an empty log.
        EXPECT_EQ(QString::fromStdString(w->Session().LogFileName), path) << c.name;
        EXPECT_TRUE(w->Session().records.empty());
    }
}

TEST(Startup, WithoutALogTheWindowIsEmptyAndTheEditCommandsAreOff) {
    ScratchFolder folder;
    auto w = StartWindow(folder, {});
    EXPECT_EQ(w->windowTitle(), "Quillorix");
    EXPECT_TRUE(w->StatusText(1).isEmpty());
    EXPECT_TRUE(w->StatusText(2).isEmpty());
    for (const char* name : {"actDelete", "actUnDelete", "actSave", "actSaveAs"})
        EXPECT_FALSE(w->Action(name)->isEnabled()) << name;
    EXPECT_TRUE(w->Action("actLoad")->isEnabled());
}

TEST(Startup, TheReadOnlySettingMarksTheCaption) {
    ScratchFolder folder;
    folder.Write("tester.ini", Settings("ReadOnly=1\r\n"));
    const QString log = folder.Write("small.log", SmallLog());
    auto w = StartWindow(folder, {log});
    EXPECT_EQ(w->windowTitle(), "Quillorix - " + log + " (ReadOnly)");
    EXPECT_FALSE(w->Action("actDelete")->property("ruleEnabled").toBool());
}

TEST(Startup, AnEncryptedLogAsksForItsPasswordOnce) {
    ScratchFolder folder;
    folder.Write("tester.ini", Settings(""));
    DialogDriver driver({"quillorix-sample"});
    auto w = StartWindow(folder, {QStringLiteral(QX_SOURCE_DIR "/examples/sample-encrypted.log")});
    EXPECT_EQ(driver.passwordPrompts, 1);
    EXPECT_EQ(w->Session().CurrentPassword, "quillorix-sample");
    EXPECT_GT(w->Session().records.size(), 0u);
    EXPECT_NE(w->pnlTree->Selected(), nullptr);
    EXPECT_TRUE(driver.messages.isEmpty());
}

TEST(Startup, ThreeWrongPasswordsLeaveAnEmptyWindow) {
    ScratchFolder folder;
    folder.Write("tester.ini", Settings(""));
    DialogDriver driver({"wrong1", "wrong2", "wrong3"});
    auto w = StartWindow(folder, {QStringLiteral(QX_SOURCE_DIR "/examples/sample-encrypted.log")});
    EXPECT_EQ(driver.passwordPrompts, 3);
    ASSERT_EQ(driver.messages.size(), 1);
    const QString failed = FromCp932(w->Messages()[MessageText::PasswordFailed]);
    EXPECT_FALSE(failed.isEmpty());
    // The message names the file and is a warning.
    EXPECT_EQ(driver.messages[0],
              QStringLiteral("[" QX_SOURCE_DIR "/examples/sample-encrypted.log]\n") + failed);
    EXPECT_EQ(driver.icons[0], static_cast<int>(QMessageBox::Warning));
    EXPECT_EQ(w->windowTitle(), "Quillorix");
    EXPECT_TRUE(w->pnlTree->Tree().Empty());
    EXPECT_TRUE(w->Session().records.empty());
}

}  // namespace
}  // namespace qx::ui::test
