#include "ui/LinkPointer.h"

#include <QTextBlock>
#include <QTextEdit>

#include "ui/UiText.h"

namespace qx::ui {

LinkHit LinkUnderPoint(const QTextEdit* edit, const std::vector<std::string>& lines,
                       const QPoint& viewportPos, int* block) {
    const QTextCursor c = edit->cursorForPosition(viewportPos);
    const int b = c.blockNumber();
    if (b < 0 || b >= static_cast<int>(lines.size())) return {};
    // The cursor sits between characters; the character under the pointer is the
    // one whose box holds the point.
    const QString text = c.block().text();
    int pos = c.positionInBlock();
    if (pos > 0) {
        QTextCursor prev = c;
        prev.setPosition(c.block().position() + pos - 1);
        if (edit->cursorRect(prev).left() <= viewportPos.x() &&
            edit->cursorRect(c).left() > viewportPos.x())
            --pos;
    }
    if (pos >= text.size()) return {};
    const std::size_t byte = ToCp932(text.left(pos)).size();
    if (block != nullptr) *block = b;
    return FindLinkAt(lines[static_cast<std::size_t>(b)], byte);
}

}  // namespace qx::ui
