// The message view: reLog with the selected messages as coloured lines, and the
// header panel above it when headers are shown apart. Addresses are underlined;
// one click selects an address, a second click within the double-click time
// opens it.
#pragma once

#include <QColor>
#include <QTextEdit>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

#include "browse/ViewText.h"
#include "settings/LanguageSchema.h"

class QFrame;
class QLabel;
class QMenu;
class QTimer;

namespace qx::ui {

struct ViewColours {
    QColor text, header, quote;
};

// reLog itself: a read-only text control that reports the pointer to its owner.
class ViewEdit : public QTextEdit {
    Q_OBJECT
public:
    using QTextEdit::QTextEdit;
    std::function<void(QMouseEvent*)> onMove;
    std::function<bool(QMouseEvent*)> onPress;  // true: handled, no default action

protected:
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

class MessageView : public QWidget {
    Q_OBJECT
public:
    MessageView(QMenu* popup, QWidget* parent = nullptr);

    // ClearView: empties the header label and the text.
    void Clear();
    // Starts a new display: updates off, text empty.
    void BeginShow();
    void AppendMessage(const RenderedMessage& message, const ViewColours& colours);
    // Ends a display; scrolls `quoteLines` lines down when asked to.
    void EndShow(int quoteLines);
    // One line in a colour, not underlined (folder listings).
    void AddViewLine(const QString& text, const QColor& colour);

    void SetHeaderApart(bool apart);
    void SetBackColour(const QColor& colour);
    void SetViewFont(const QFont& font);

    // The address under a point of the text control (viewport coordinates).
    LinkHit LinkAt(const QPoint& viewportPos, int* block = nullptr) const;
    // The text positions of a link hit of `block`.
    void SelectLink(int block, const LinkHit& hit);
    // Underlined ranges of a line, in QString positions (for tests and painting).
    QList<QPair<int, int>> LinkRangesOfLine(int block) const;
    QString LineText(int block) const;
    int LineCount() const { return static_cast<int>(lines_.size()); }
    // The cp932 text of every line, in order.
    const std::vector<std::string>& Lines() const { return lines_; }

    // Whether a block is the marker of a line cut short, and showing the line's next
    // piece in its place (what a click on the marker does).
    bool IsMoreMarker(int block) const;
    void ShowMoreOfLine(int block);

    bool LinkClickPending = false;
    // How an address is opened; the desktop's handler unless replaced.
    std::function<void(const QUrl&)> openLink;
    // What the default openLink calls; false when no program took the address.
    std::function<bool(const QUrl&)> launchUrl;
    // The texts of the marker of a cut line ("bytes more ..."); set by the window.
    const MessageTexts* texts = nullptr;

    QFrame* pnlHeader = nullptr;
    QLabel* lblHeader = nullptr;
    ViewEdit* reLog = nullptr;
    QTimer* timDblClick = nullptr;

signals:
    void LinkOpenFailed(const QString& url);

private:
    void AppendLine(const ViewLine& line, const QColor& colour);
    void InsertLineText(QTextCursor& cursor, const ViewLine& line, const QColor& colour);
    QString MoreMarkerText(std::size_t hiddenBytes) const;
    void reLogMouseMove(QMouseEvent* e);
    bool reLogMouseDown(QMouseEvent* e);

    std::vector<std::string> lines_;             // cp932 text of every block
    std::vector<std::vector<LinkSpan>> links_;   // byte ranges per block
    struct CutLine {
        std::string rest;  // the part of the line not shown yet
        LineRole role = LineRole::Text;
        QColor colour;
    };
    std::vector<CutLine> cut_;  // per block; rest non-empty for a marker block
};

}  // namespace qx::ui
