#include "ui/Unit3.h"

#include "ui/WindowFrame.h"

#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace qx::ui {

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm3");
    setWindowTitle("Quillorix");
    // A title and nothing else: no close, minimise or maximise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    lblPassword = new QLabel(this);
    lblPassword->setObjectName("lblPassword");
    lblPassword->setGeometry(16, 8, 260, 18);
    edtPassword = new QLineEdit(this);
    edtPassword->setObjectName("edtPassword");
    edtPassword->setEchoMode(QLineEdit::Password);
    edtPassword->setGeometry(16, 28, 260, 24);
    lblPassword2 = new QLabel(this);
    lblPassword2->setObjectName("lblPassword2");
    lblPassword2->setGeometry(16, 56, 260, 18);
    edtPassword2 = new QLineEdit(this);
    edtPassword2->setObjectName("edtPassword2");
    edtPassword2->setEchoMode(QLineEdit::Password);
    edtPassword2->setGeometry(16, 76, 260, 24);
    btnPassword = new QPushButton("OK", this);
    btnPassword->setObjectName("btnPassword");
    btnPassword->setDefault(true);
    btnPassword->setAutoDefault(true);
    connect(btnPassword, &QPushButton::clicked, this, &TForm3::btnPasswordClick);
    SetForm(false, QString(), QString());
}

void TForm3::SetForm(bool twoFields, const QString& label1, const QString& label2) {
    const int height = twoFields ? 170 : 130;
    const int buttonTop = twoFields ? 104 : 64;
    setFixedSize(292, height);
    btnPassword->setGeometry(106, buttonTop, 80, 26);
    lblPassword->setText(label1);
    lblPassword2->setText(label2);
    lblPassword2->setVisible(twoFields);
    edtPassword2->setVisible(twoFields);
    edtPassword->clear();
    if (twoFields) edtPassword2->clear();
}

void TForm3::btnPasswordClick() {
    if (!edtPassword2->isHidden() && edtPassword2->text().isEmpty()) {
        edtPassword2->setFocus();
        return;
    }
    accept();
}

void TForm3::reject() {
    // Escape does not leave the dialog: a password is needed to go on.
}

void TForm3::showEvent(QShowEvent* event) {
    AskTitleOnlyFrame(this);
    QDialog::showEvent(event);
    // Centred once. A top-level window is moved by its frame once the frame is
    // known, so centring it again at every showing slid it down by the title bar.
    if (!placed_) {
        placed_ = true;
        if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    }
    edtPassword->setFocus();
}

void TForm3::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Some window managers give every dialog a minimise button whatever it asks
    // for. Minimised on its own, the dialog would leave a window that answers
    // nothing and nothing to click, so it comes straight back.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
        if (!owner || !owner->isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    }
}

void TForm3::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace qx::ui
