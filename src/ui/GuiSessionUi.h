// The log store's questions and reports, answered with the program's windows:
// the password dialog, message boxes titled "Quillorix" and the progress window.
#pragma once

#include <QElapsedTimer>
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

    // Work that ends sooner than this shows no progress window (no flash of one
    // over a search of a few milliseconds).
    void SetProgressDelay(int ms) { progressDelayMs_ = ms; }

    // The language text of a "StringNN" key; empty for any other key.
    QString MessageText(std::string_view key) const;

private:
    QWidget* owner_;
    TForm2* progress_;
    TForm3* password_;
    const MessageTexts* texts_;
    void ShowProgressWhenDue();

    int lastPercent_ = -1;
    int progressDelayMs_ = 150;
    bool progressDue_ = false;   // begun, not shown yet
    QElapsedTimer sinceBegin_;
    QElapsedTimer sinceEvents_;  // since the last round of events
};

// A message box titled "Quillorix" with an OK button.
void ShowPlainMessage(QWidget* owner, const QString& text);

}  // namespace qx::ui
