// The password dialog in its one-field (enter) and two-field (choose) forms.
// It has no close box and cannot be cancelled: it returns only through OK.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qx::ui {

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    // Lays the dialog out in one form, with the language's label texts.
    void SetForm(bool twoFields, const QString& label1, const QString& label2);

    QLabel* lblPassword = nullptr;
    QLineEdit* edtPassword = nullptr;
    QLabel* lblPassword2 = nullptr;
    QLineEdit* edtPassword2 = nullptr;
    QPushButton* btnPassword = nullptr;

public slots:
    void btnPasswordClick();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool placed_ = false;
};

}  // namespace qx::ui
