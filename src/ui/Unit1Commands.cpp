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

#include "ui/CommandSet.h"
#include "ui/MessageList.h"
#include "ui/SettingsPage.h"
#include "ui/UiText.h"
#include "ui/Unit1.h"

namespace qx::ui {

namespace {

constexpr const char* kProgramName = "Quillorix";
constexpr const char* kVersion = "2.18";

// "desc|patterns|desc|patterns" as Qt's name filters "desc (patterns)".
QStringList QtFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        if (patterns == "*.*") patterns = "*";
        out << parts[i] + " (" + patterns + ")";
    }
    return out;
}

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
    if (session_.PendingDeletions != 0) {
        QMessageBox box(QMessageBox::Question, kProgramName, ui_->MessageText("String00"),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName("MessageBox");
        if (box.exec() == QMessageBox::Yes) Action("actSaveAs")->trigger();
    }
    const QString folder = session_.LogFileName.empty() ? ExeFolder
                                                        : QFileInfo(FromPath(session_.LogFileName)).absolutePath();
    QFileDialog dialog(this, QString(), folder);
    dialog.setObjectName("OpenDialog1");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(QtFilters(dialogFilter_));
    dialog.setOption(QFileDialog::DontUseNativeDialog, qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
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
