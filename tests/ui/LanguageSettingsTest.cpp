// Switching the interface language, and the settings written at close and read
// back at the next start.
#include <QAction>
#include <QApplication>
#include <QFontDialog>
#include <QImage>
#include <QPushButton>
#include <QTimer>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include "QuillorixVersion.h"
#include "UiTestSupport.h"
#include "ui/ColourBox.h"
#include "ui/CommandContext.h"
#include "ui/CommandSet.h"
#include "ui/MessageList.h"
#include "ui/SettingsPage.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"

namespace qx::ui::test {
namespace {

TEST(Language, SwitchingRewritesTextsDatesColoursFiltersAndTheTree) {
    ScratchFolder folder;
    folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\nSortType=4\r\n");
    auto w = StartWindow(folder, {folder.Write("small.log", SmallLog())});
    TreeNode* day = w->pnlTree->Selected();  // the 18th
    ASSERT_NE(day, nullptr);
    ASSERT_EQ(w->lvLog->RowCount(), 2);
    const QString jpnDate = Cell(*w, 0, 3);
    EXPECT_EQ(jpnDate, "2007/03/18 08:05:00");
    EXPECT_EQ(w->Commands()->Menu("mnuFile")->title(), QString::fromUtf8("ファイル(&F)"));

    w->Action("actEnglish")->trigger();
    EXPECT_EQ(w->LanguageCode, "eng");
    EXPECT_EQ(w->Commands()->Menu("mnuFile")->title(), "&File");
    EXPECT_EQ(w->Action("actLoad")->text(), "&Open...");
    EXPECT_EQ(w->pnlTree->cmbTreeKey->currentIndex(), 4);
    EXPECT_EQ(w->pnlTree->cmbTreeKey->currentText(), "By date");
    // The tree was rebuilt with the English unit and deleted-messages label.
    EXPECT_EQ(w->pnlTree->NodeText(w->pnlTree->Tree().DeletedNode()), "Deleted messages (0 msgs)");
    EXPECT_EQ(w->pnlTree->NodeText(w->pnlTree->Selected()), "18(Sun) (2 msgs)");
    EXPECT_EQ(Cell(*w, 0, 3), "03/18/2007 08:05:00");
    EXPECT_EQ(w->tsSetting->cbTextColor->itemText(1), "clBlack");
    EXPECT_EQ(w->tsSetting->cbTextColor->itemText(0), "Custom...");
    EXPECT_EQ(w->DialogFilter(), "Log Files(*.log)|*.log|All Files(*.*)|*.*");
    // The open dialog names each pattern once.
    EXPECT_EQ(QtNameFilters(w->DialogFilter()), QStringList({"Log Files(*.log)", "All Files(*)"}));
    EXPECT_EQ(w->Commands()->Menu("mnuSend")->title(), "Se&nd");
    EXPECT_EQ(w->Commands()->Menu("mnuRSend")->title(), "Send");
    EXPECT_TRUE(w->lvLog->ShownTitles()[3].endsWith(" >>"));

    w->Action("actJapanese")->trigger();
    EXPECT_EQ(Cell(*w, 0, 3), jpnDate);
    EXPECT_EQ(w->Commands()->Menu("mnuFile")->title(), QString::fromUtf8("ファイル(&F)"));
    EXPECT_EQ(w->tsSetting->cbTextColor->itemText(1), QString::fromUtf8("黒"));
    EXPECT_EQ(w->DialogFilter(), QString::fromUtf8("ログファイル(*.log)|*.log|全てのファイル(*.*)|*.*"));
    EXPECT_EQ(QtNameFilters("Text(*.txt;*.log)|*.txt;*.log|Other|*.x"),
              QStringList({"Text(*.txt *.log)", "Other (*.x)"}));
    // The view's pop-up shows the send menu without the access key.
    EXPECT_EQ(w->Commands()->Menu("mnuSend")->title(), QString::fromUtf8("送信(&S)"));
    EXPECT_EQ(w->Commands()->Menu("mnuRSend")->title(), QString::fromUtf8("送信"));
}

TEST(Settings, TheFontDialogOffersNoEffects) {
    ScratchFolder folder;
    folder.Write("tester.ini", "[Setting]\r\nLanguage=eng\r\n");
    auto w = StartWindow(folder, {});
    QStringList shownEffects;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        seen = true;
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
            if (box->isVisibleTo(dialog)) shownEffects << box->text();
        dialog->reject();
    });
    w->tsSetting->btnFont->click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(shownEffects.isEmpty()) << shownEffects.join(", ").toStdString();
}

TEST(Language, AMissingLanguageFileChangesNothing) {
    ScratchFolder folder;
    QFile::remove(folder.File("Language.eng"));
    folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\n");
    auto w = StartWindow(folder, {});
    const QString before = w->Commands()->Menu("mnuFile")->title();
    w->Action("actEnglish")->trigger();
    EXPECT_EQ(w->Commands()->Menu("mnuFile")->title(), before);
    EXPECT_EQ(w->tsSetting->cbTextColor->itemText(1), QString::fromUtf8("黒"));
}

TEST(Settings, WhatIsWrittenAtCloseIsReadAtTheNextStart) {
    ScratchFolder folder;
    folder.Write("tester.ini", "[Setting]\r\nLanguage=jpn\r\n");
    const QString log = folder.Write("small.log", SmallLog());
    {
        auto w = StartWindow(folder, {log});
        w->pnlTree->cmbTreeKey->setCurrentIndex(2);
        w->tsSetting->chkHeaderDisp->setChecked(true);
        w->tsSetting->chkQuoteScroll->setChecked(true);
        w->tsSetting->SetSaveType(2);
        w->tsSetting->chkAutoEncode->setChecked(false);
        w->tsSetting->SetQuoteMarks({"> ", "|"});
        w->tsSetting->cbHeaderColor->SetValue(0x123456);
        w->tsSetting->cbTreeBackColor->SetValue(0xF0FBFF);
        w->tsSetting->udHistoryNum->setValue(12);
        w->lvLog->lvLogColumnClick(1);
        w->lvLog->lvLogColumnClick(1);
        w->Action("actEnglish")->trigger();
        w->resize(800, 500);
        w->close();
    }
    QFile ini(folder.File("tester.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.contains("HeaderColor=$00123456\r\n"));
    EXPECT_TRUE(text.contains("TreeBackColor=clCream\r\n"));
    EXPECT_TRUE(text.contains("String00=\"> \"\r\n"));

    auto w = StartWindow(folder, {});
    EXPECT_EQ(QString::fromStdString(w->Session().LogFileName), log);
    EXPECT_EQ(w->pnlTree->cmbTreeKey->currentIndex(), 2);
    EXPECT_EQ(w->pnlTree->NodeText(w->pnlTree->Selected()), "alice");
    EXPECT_TRUE(w->tsSetting->chkHeaderDisp->isChecked());
    EXPECT_TRUE(w->tsSetting->chkQuoteScroll->isChecked());
    EXPECT_EQ(w->tsSetting->SaveType(), 2);
    EXPECT_TRUE(w->tsSetting->chkAutoEncode->isEnabled());
    EXPECT_EQ(w->tsSetting->QuoteMarks(), QStringList({"> ", "|"}));
    EXPECT_EQ(w->tsSetting->cbHeaderColor->Value(), 0x123456u);
    EXPECT_EQ(w->tsSetting->cbHeaderColor->currentIndex(), 0);  // the custom entry
    EXPECT_EQ(w->tsSetting->udHistoryNum->value(), 12);
    EXPECT_EQ(w->lvLog->Sort().SortColumn, 1);
    EXPECT_EQ(w->lvLog->Sort().UpDown, -1);
    EXPECT_TRUE(w->lvLog->ShownTitles()[1].endsWith(" <<"));
    EXPECT_EQ(w->LanguageCode, "eng");
    EXPECT_EQ(w->size(), QSize(800, 500));
}

TEST(Settings, AFirstStartUsesTheDefaults) {
    ScratchFolder folder;
    auto w = StartWindow(folder, {});
    EXPECT_EQ(w->size(), QSize(679, 440));
    EXPECT_EQ(w->pnlTree->cmbTreeKey->currentIndex(), 0);
    EXPECT_EQ(w->tsSetting->SaveType(), 0);
    EXPECT_FALSE(w->tsSetting->chkAutoEncode->isEnabled());
    EXPECT_TRUE(w->tsSetting->chkDustBox->isChecked());
    EXPECT_TRUE(w->tsSetting->chkToolTipDisp->isChecked());
    EXPECT_TRUE(w->Action("actToolTipDisp")->isChecked());
    EXPECT_EQ(w->tsSetting->QuoteMarks(), QStringList({">"}));
    EXPECT_EQ(w->tsSetting->cbHeaderColor->Value(), 0x008000u);
    EXPECT_EQ(w->SettingsPath, folder.File("tester.ini"));
}

TEST(Settings, TheTreeKeyBoxTakesTheTreeBackColour) {
    ScratchFolder folder;
    folder.Write("tester.ini", "[Setting]\r\nLanguage=eng\r\n");
    auto w = StartWindow(folder, {});
    w->tsSetting->cbTreeBackColor->SetValue(0x800000);  // navy, as $00BBGGRR
    QComboBox* box = w->pnlTree->cmbTreeKey;
    const QImage image = box->grab().toImage();
    int navy = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));  // a style may shade it a little
            if (c.blue() - std::max(c.red(), c.green()) > 50) ++navy;
        }
    // Most of the box is its background; text, arrow and frame are the rest.
    EXPECT_GT(navy, image.width() * image.height() / 3) << navy << " of " << image.width() * image.height();
}

// An installed program: only the executable in bin, its data in share/quillorix
// beside it. The language file is found there, and the settings go to the
// per-user folder even though bin may be written.
TEST(Settings, AnInstalledProgramReadsItsDataFolderAndKeepsSettingsPerUser) {
    ScratchFolder folder;
    QDir root(folder.Path());
    ASSERT_TRUE(root.mkpath("usr/bin") && root.mkpath("usr/share/quillorix") && root.mkpath("config"));
    for (const QString name : {"Language.jpn", "Language.eng"})
        ASSERT_TRUE(QFile::rename(folder.File(name), folder.File("usr/share/quillorix/" + name)));
    folder.Write("config/tester.ini", "[Setting]\r\nLanguage=eng\r\n");
    StartOptions options;
    options.exeFolder = folder.File("usr/bin");
    options.configFolder = folder.File("config");
    options.userName = "tester";
    {
        TForm1 w(options);
        w.show();
        EXPECT_EQ(w.SettingsPath, folder.File("config/tester.ini"));
        EXPECT_EQ(w.LanguageCode, "eng");
        EXPECT_EQ(w.Commands()->Menu("mnuFile")->title(), "&File");
        w.resize(810, 510);
        w.close();
    }
    EXPECT_FALSE(QFile::exists(folder.File("usr/bin/tester.ini")));
    QFile ini(folder.File("config/tester.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("Width=810\r\n"));
}

// A settings file that cannot be written beside the program (here a folder
// stands in its place) is written to the per-user folder; the user hears of it
// only when that fails too.
TEST(Settings, SettingsThatCannotBeWrittenBesideTheProgramGoToTheUserFolder) {
    struct Case {
        const char* name;
        bool configUsable;
        int messages;
    };
    for (const Case c : {Case{"user folder takes them", true, 0}, Case{"neither takes them", false, 1}}) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        ASSERT_TRUE(QDir(folder.Path()).mkdir("tester.ini"));
        QString config = folder.File("config");
        if (c.configUsable) ASSERT_TRUE(QDir(folder.Path()).mkdir("config"));
        else config = folder.Write("blocker", "a file, not a folder") + "/config";
        StartOptions options;
        options.exeFolder = folder.Path();
        options.configFolder = config;
        options.userName = "tester";
        DialogDriver driver;
        {
            TForm1 w(options);
            w.show();
            EXPECT_EQ(w.SettingsPath, folder.File("tester.ini"));
            driver.messages.clear();
            w.close();
        }
        EXPECT_EQ(driver.messages.size(), c.messages) << driver.messages.join('|').toStdString();
        EXPECT_EQ(QFile::exists(config + "/tester.ini"), c.configUsable);
    }
}

TEST(Settings, TheAboutBoxShowsTheProgramVersion) {
    ScratchFolder folder;
    auto w = StartWindow(folder, {});
    DialogDriver driver;
    w->Action("actAbout")->trigger();
    EXPECT_EQ(driver.messages, QStringList({"Quillorix   Ver " QUILLORIX_VERSION}));
}

}  // namespace
}  // namespace qx::ui::test
