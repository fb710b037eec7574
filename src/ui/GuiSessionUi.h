// The log store's questions and reports, answered with the program's windows:
// the password dialog, message boxes titled "Quillorix" and the progress window.
#pragma once

#include <QString>

#include "logstore/SessionUi.h"
#include "settings/LanguageSchema.h"

class QWidget;

namespace qx::ui {

class TForm2;
class TForm3;

class GuiSessionUi : public SessionUi {
public:
    GuiSessionUi(QWidget* owner, TForm2* progress, TForm3* password, const MessageTexts* texts)
        : owner_(owner), progress_(progress), password_(password), texts_(texts) {}

    std::optional<PasswordEntry> AskPasswordOnce(bool twoFields) override;
    void ShowMessage(std::string_view key, std::string_view prefix) override;
    void ShowError(std::string_view text) override;
    void ProgressBegin(std::string_view caption) override;
    void Progress(int percent) override;
    void ProgressEnd() override;
    void ProcessEvents() override;

    // The language text of a "StringNN" key; empty for any other key.
    QString MessageText(std::string_view key) const;

private:
    QWidget* owner_;
    TForm2* progress_;
    TForm3* password_;
    const MessageTexts* texts_;
    int lastPercent_ = -1;
};

// A message box titled "Quillorix" with an OK button.
void ShowPlainMessage(QWidget* owner, const QString& text);

}  // namespace qx::ui
