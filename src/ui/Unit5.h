// A separate message window: a read-only copy of what the message view showed,
// with its own copy and select-all, and links opened by a double click.
#pragma once

#include <QColor>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace qx::ui {

class MessageView;
class ViewEdit;

class TForm5 : public QWidget {
    Q_OBJECT
public:
    // `links` is the main view: its click flag and timer serve every window, so a
    // click there and one here make a double click. `languageFile` names the
    // current language's file, which gives the pop-up's captions each time it
    // opens (when it exists).
    TForm5(QWidget* owner, MessageView* links, std::function<QString()> languageFile);

    // AddEditLine: one line in a colour; addresses are underlined once all are in.
    void AddLine(const std::string& cp932, const QColor& colour);
    void FinishText();
    void SetBackColour(const QColor& colour);

    int LineCount() const { return static_cast<int>(lines_.size()); }
    QString LineText(int line) const;
    QColor LineColour(int line) const;

    ViewEdit* reMsg = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* actCopy = nullptr;
    QAction* actAllSelect = nullptr;

private:
    void PopupMenu1Popup();
    void reMsgMouseMove(QMouseEvent* e);
    bool reMsgMouseDown(QMouseEvent* e);

    MessageView* links_;
    std::function<QString()> languageFile_;
    std::vector<std::string> lines_;
};

}  // namespace qx::ui
