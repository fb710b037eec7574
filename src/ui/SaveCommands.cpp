#include "ui/SaveCommands.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include "ui/GuiSessionUi.h"
#include "ui/SettingsPage.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"

namespace qx::ui {

SaveCommands::SaveCommands(const CommandContext& context) : c_(context) {
    c_.Register("actSave", [this] { actSaveExecute(); });
    c_.Register("actSaveAs", [this] { actSaveAsExecute(); });
    c_.Register("actSaveSelect", [this] { actSaveSelectExecute(); });
}

WriteOptions SaveCommands::Options() const {
    WriteOptions o;
    o.saveType = c_.settings->SaveType();
    o.headerEncode = c_.settings->chkHeaderEncode->isChecked();
    o.dustBox = c_.settings->chkDustBox->isChecked();
    return o;
}

WriteStatus SaveCommands::Write(const std::string& target, const SelectionFilter* filter) {
    LogSession& s = *c_.session;
    if (s.ReadOnlyMode) return WriteStatus::ReadOnly;
    c_.ops->SetBusy(false);
    c_.timReload->stop();
    const std::size_t before = s.records.size();
    LoadResult catchUp;
    catchUp.firstNew = before;  // stays so when nothing had to be read first
    const WriteOptions options = Options();
    const WriteStatus status = filter != nullptr
                                   ? s.WriteSelection(
                                         target, [filter](const LogData& r) { return RecordMatches(r, *filter); },
                                         options, &catchUp)
                                   : s.WriteLog(target, options, &catchUp);
    if (catchUp.ok() && (catchUp.added(s.records.size()) || catchUp.changedRecord >= 0 ||
                         s.records.size() != before))
        c_.ops->ShowRead(catchUp, before);
    if (!s.LogFileName.empty()) c_.timReload->start();
    c_.ops->SetBusy(true);
    if (status == WriteStatus::Written) c_.ops->FillLogList();
    return status;
}

QString SaveCommands::AskTarget(const QString& folder, const QString& fileName) {
    QFileDialog dialog(c_.window, QString(), folder);
    dialog.setObjectName("SaveDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(QtNameFilters(c_.ops->DialogFilter()));
    dialog.setDefaultSuffix(c_.ops->DefaultExt());
    dialog.setOption(QFileDialog::DontUseNativeDialog, UseOwnFileDialogs());
    if (!fileName.isEmpty()) dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().front();
}

void SaveCommands::actSaveExecute() {
    LogSession& s = *c_.session;
    if (s.LogFileName.empty() || s.ReadOnlyMode) return;
    const std::string target = s.LogFileName;
    if (Write(target, nullptr) != WriteStatus::Written) return;  // the log stays as it was
    const int saveType = Options().saveType;
    if (saveType == 0 || saveType == 1) s.CurrentPassword.clear();
    // Read afresh: the records now are what was written, and nothing is pending.
    if (!c_.ops->LoadLog(FromPath(target), true)) c_.ops->CloseLog();
}

void SaveCommands::actSaveAsExecute() {
    LogSession& s = *c_.session;
    if (s.ReadOnlyMode) return;
    const QString current = FromPath(s.LogFileName);
    const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const QString target = AskTarget(folder, current);
    if (target.isEmpty()) return;
    Write(ToPath(target), nullptr);  // the open log, its marks and PendingDeletions stay
}

void SaveCommands::actSaveSelectExecute() {
    LogSession& s = *c_.session;
    LogTree& tree = c_.tree->Tree();
    TreeNode* node = c_.tree->Selected();
    if (node == nullptr) return;
    if (tree.IsDeletedNode(node)) {
        c_.ui->ShowMessage("String06", "");
        return;
    }
    if (s.ReadOnlyMode) return;
    const QString current = FromPath(s.LogFileName);
    const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const QString target = AskTarget(folder, QString());
    if (target.isEmpty()) return;
    // The node may have gone with a read while the dialog was open; take its path now.
    node = c_.tree->Selected();
    if (node == nullptr || tree.IsDeletedNode(node)) return;
    const SelectionFilter filter = FilterForPath(tree.TreeKey(), tree.SelectedPath(node));
    Write(ToPath(target), &filter);
}

void SaveCommands::AskToSavePendingDeletions() {
    if (c_.session->PendingDeletions == 0) return;
    QMessageBox box(QMessageBox::Question, "Quillorix", c_.ui->MessageText("String00"),
                    QMessageBox::Yes | QMessageBox::No, c_.window);
    box.setObjectName("MessageBox");
    if (box.exec() == QMessageBox::Yes) actSaveAsExecute();
}

void SaveCommands::AtClose() {
    LogSession& s = *c_.session;
    if (s.PendingDeletions != 0) {
        AskToSavePendingDeletions();
    } else if (c_.settings->chkAutoEncode->isChecked() && !s.records.empty()) {
        c_.ops->actReloadExecute();
        c_.timReload->stop();
        if (NeedsEncryptionAtExit(s.records, Options().saveType, true, 0))
            Write(s.LogFileName, nullptr);
    }
    c_.timReload->stop();
}

}  // namespace qx::ui
