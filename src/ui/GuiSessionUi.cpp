#include "ui/GuiSessionUi.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>

#include "ui/UiText.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"

namespace qx::ui {

void ShowPlainMessage(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, "Quillorix", text, QMessageBox::Ok, owner);
    box.setObjectName("MessageBox");
    box.exec();
}

QString GuiSessionUi::MessageText(std::string_view key) const {
    if (key.size() != 8 || key.substr(0, 6) != "String") return QString();
    const int n = (key[6] - '0') * 10 + (key[7] - '0');
    if (n < 0 || n >= static_cast<int>(kMessageTextCount)) return QString();
    return FromCp932(texts_->texts[static_cast<std::size_t>(n)]);
}

std::optional<PasswordEntry> GuiSessionUi::AskPasswordOnce(bool twoFields) {
    // A password asked for in the middle of a load must not sit behind the progress window.
    const bool progressShown = progress_->isVisible();
    if (progressShown) progress_->hide();
    password_->SetForm(twoFields, MessageText("String07"), MessageText("String09"));
    password_->exec();
    PasswordEntry entry;
    entry.first = ToCp932(password_->edtPassword->text());
    if (twoFields) entry.second = ToCp932(password_->edtPassword2->text());
    password_->edtPassword->clear();
    password_->edtPassword2->clear();
    if (progressShown) progress_->show();
    return entry;
}

void GuiSessionUi::ShowMessage(std::string_view key, std::string_view prefix) {
    // The prefix is a bracketed path, in the file system's own encoding.
    const QString head = QString::fromLocal8Bit(prefix.data(), static_cast<qsizetype>(prefix.size()));
    // A log that could not be read is a warning; the other messages are plain.
    const bool warning = key == "String08" || key == "String12" || key == "String13" || key == "String14";
    if (!warning) {
        ShowPlainMessage(owner_, head + MessageText(key));
        return;
    }
    QMessageBox box(QMessageBox::Warning, "Quillorix", head + MessageText(key), QMessageBox::Ok, owner_);
    box.setObjectName("MessageBox");
    box.exec();
}

void GuiSessionUi::ShowError(std::string_view text) {
    QMessageBox box(QMessageBox::Warning, "Quillorix",
                    QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())),
                    QMessageBox::Ok, owner_);
    box.setObjectName("MessageBox");
    box.exec();
}

void GuiSessionUi::ProgressBegin(std::string_view caption) {
    lastPercent_ = -1;
    progress_->Begin(QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size())));
    progressDue_ = true;
    sinceBegin_.start();
    // The work was started from the event loop: the first round is due a frame later.
    sinceEvents_.start();
    ShowProgressWhenDue();
}

void GuiSessionUi::ShowProgressWhenDue() {
    if (!progressDue_ || sinceBegin_.elapsed() < progressDelayMs_) return;
    progressDue_ = false;
    progress_->ShowCentred();
    sinceEvents_.invalidate();  // the next round draws it
}

void GuiSessionUi::Progress(int percent) {
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    progress_->SetPosition(percent);
    ShowProgressWhenDue();
}

void GuiSessionUi::ProgressEnd() {
    progressDue_ = false;
    progress_->End();
}

void GuiSessionUi::ProcessEvents() {
    // A round costs tens of microseconds even with nothing waiting, and long work
    // asks for one after every step: rounds closer together than a frame are
    // skipped, so a search of a few milliseconds spends nothing on them.
    constexpr qint64 kEventGapMs = 15;
    ShowProgressWhenDue();
    if (sinceEvents_.isValid() && sinceEvents_.elapsed() < kEventGapMs) return;
    QCoreApplication::processEvents();
    sinceEvents_.start();
}

}  // namespace qx::ui
