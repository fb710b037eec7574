#include "ui/Unit2.h"

#include "ui/WindowFrame.h"

#include <algorithm>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <QScreen>

namespace qx::ui {

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm2");
    // A title bar without buttons: the window goes away when the work is done.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(false);
    setFixedSize(392, 28);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(0, 8, 390, 16);
}

void TForm2::showEvent(QShowEvent* event) {
    AskTitleOnlyFrame(this);
    QDialog::showEvent(event);
}

void TForm2::Begin(const QString& caption) {
    setWindowTitle(caption);
    ProgressBar1->setValue(0);
}

void TForm2::ShowCentred() {
    if (QWidget* p = parentWidget(); p != nullptr && p->isVisible()) {
        move(p->geometry().center() - QPoint(width() / 2, height() / 2));
    } else if (QScreen* s = screen()) {
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
}

void TForm2::SetPosition(int percent) {
    ProgressBar1->setValue(std::clamp(percent, 0, 100));
}

void TForm2::End() {
    hide();
}

void TForm2::closeEvent(QCloseEvent* event) {
    event->ignore();  // the running operation decides when the window goes
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return;  // no cancelling from the keyboard
    QDialog::keyPressEvent(event);
}

}  // namespace qx::ui
