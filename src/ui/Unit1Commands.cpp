// The main window's commands of its own: loading, reloading, the pages,
// the language menu, exit and about.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTimer>

#include "QuillorixVersion.h"
#include "ui/CommandSet.h"
#include "ui/MessageList.h"
#include "ui/SaveCommands.h"
#include "ui/SettingsPage.h"
#include "ui/UiText.h"
#include "ui/Unit1.h"

namespace qx::ui {

namespace {

constexpr const char* kProgramName = "Quillorix";
constexpr const char* kVersion = QUILLORIX_VERSION;

}  // namespace

// ---------------------------------------------------------------- commands

void TForm1::timReloadTimer() {
    // Not while a dialog waits for an answer in the middle of other work.
    if (QApplication::activeModalWidget() != nullptr) return;
    if (!session_.LogFileName.empty()) actReloadExecute();
}

void TForm1::actReloadExecute() {
    if (session_.LogFileName.empty()) return;
    if (!session_.FileChanged()) return;
    LoadLog(FromPath(session_.LogFileName), false);
}

void TForm1::actLoadExecute() {
    save_->AskToSavePendingDeletions();
    const QString folder = session_.LogFileName.empty() ? ExeFolder
                                                        : QFileInfo(FromPath(session_.LogFileName)).absolutePath();
    QFileDialog dialog(this, QString(), folder);
    dialog.setObjectName("OpenDialog1");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(QtNameFilters(dialogFilter_));
    dialog.setOption(QFileDialog::DontUseNativeDialog, UseOwnFileDialogs());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    session_.CurrentPassword.clear();
    if (!LoadLog(dialog.selectedFiles().front(), true)) CloseLog();
}

void TForm1::actExitExecute() {
    close();
}

void TForm1::actAboutExecute() {
    QMessageBox box(QMessageBox::Information, kProgramName,
                    QString(kProgramName) + "   Ver " + kVersion, QMessageBox::Ok, this);
    box.setObjectName("MessageBox");
    box.exec();
}

void TForm1::actSettingExecute() {
    PageControl1->setCurrentWidget(tsSetting);
}

void TForm1::btnGoMainClick() {
    PageControl1->setCurrentWidget(tsMain);
}

void TForm1::actJapaneseExecute() {
    LanguageCode = "jpn";
    ApplyLanguage();
}

void TForm1::actEnglishExecute() {
    LanguageCode = "eng";
    ApplyLanguage();
}

void TForm1::actToolTipDispExecute() {
    tsSetting->chkToolTipDisp->setChecked(Action("actToolTipDisp")->isChecked());
    chkToolTipDispClick();
}

void TForm1::chkToolTipDispClick() {
    lvLog->SetToolTipsOn(tsSetting->chkToolTipDisp->isChecked());
    Action("actToolTipDisp")->setChecked(tsSetting->chkToolTipDisp->isChecked());
}

}  // namespace qx::ui
