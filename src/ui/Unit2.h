// The progress window: a small borderless-icon window with one bar, shown
// modeless while a long read, write or tree build runs.
#pragma once

#include <QDialog>

class QProgressBar;

namespace qx::ui {

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    // Takes the caption and puts the bar at 0, the window still hidden.
    void Begin(const QString& caption);
    // Shows the window centred over its parent.
    void ShowCentred();
    // Moves the bar; only whole percents 0..100.
    void SetPosition(int percent);
    void End();

    QProgressBar* ProgressBar1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace qx::ui
