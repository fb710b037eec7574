#include "ui/GraphCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScreen>

#include "browse/MessageStats.h"
#include "settings/LanguageRules.h"
#include "ui/Unit1.h"
#include "ui/Unit6.h"

namespace qx::ui {

GraphCommands::GraphCommands(const CommandContext& context, TForm1* window)
    : c_(context), w_(window), form_(new TForm6(window)) {
    c_.Register("actGraph", [this] { actGraphExecute(); });
    QObject::connect(form_, &TForm6::ExecAsked, form_, [this] { btnExecClick(); });
    QObject::connect(form_, &TForm6::DispValueClicked, form_, [this] { chkDispValueClick(); });
}

void GraphCommands::actGraphExecute() {
    form_->setWindowTitle("Quillorix");
    CountMessages(form_->cmbType->currentIndex());
    if (!placed_) {
        placed_ = true;
        if (const QScreen* screen = w_->screen()) {
            QRect frame = form_->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            form_->move(frame.topLeft());
        }
    }
    form_->show();
    form_->raise();
    form_->activateWindow();
}

void GraphCommands::btnExecClick() {
    CountMessages(form_->cmbType->currentIndex());
}

void GraphCommands::chkDispValueClick() {
    form_->SetValuesShown(form_->chkDispValue->isChecked());
}

void GraphCommands::CountMessages(int type) {
    form_->btnExec->setEnabled(false);
    const bool monthFirst = w_->LanguageCode != kJapaneseCode;
    form_->ShowCounts(qx::CountMessages(c_.session->records, type, monthFirst));
    form_->btnExec->setEnabled(true);
}

void GraphCommands::LoadSettings(bool dispValue) {
    form_->chkDispValue->setChecked(dispValue);
    chkDispValueClick();
}

bool GraphCommands::DispValue() const {
    return form_->chkDispValue->isChecked();
}

}  // namespace qx::ui
