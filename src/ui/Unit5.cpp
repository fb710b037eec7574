#include "ui/Unit5.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include "browse/Links.h"
#include "settings/LanguageFile.h"
#include "ui/LinkPointer.h"
#include "ui/MessageView.h"
#include "ui/UiText.h"

namespace qx::ui {

TForm5::TForm5(QWidget* owner, MessageView* links, std::function<QString()> languageFile)
    : QWidget(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      links_(links),
      languageFile_(std::move(languageFile)) {
    setObjectName("TForm5");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(351, 200);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    reMsg = new ViewEdit(this);
    reMsg->setObjectName("reMsg");
    reMsg->setReadOnly(true);
    reMsg->setAcceptRichText(false);
    reMsg->setLineWrapMode(QTextEdit::WidgetWidth);
    reMsg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reMsg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reMsg->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    reMsg->setMouseTracking(true);
    reMsg->viewport()->setMouseTracking(true);
    layout->addWidget(reMsg);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    actCopy = new QAction("&Copy", this);
    actCopy->setObjectName("actCopy");
    actCopy->setShortcut(QKeySequence("Ctrl+C"));
    actCopy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    actAllSelect = new QAction("Select &All", this);
    actAllSelect->setObjectName("actAllSelect");
    actAllSelect->setShortcut(QKeySequence("Ctrl+A"));
    actAllSelect->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(actCopy);
    addAction(actAllSelect);
    PopupMenu1->addAction(actCopy);
    PopupMenu1->addAction(actAllSelect);
    connect(actCopy, &QAction::triggered, reMsg, &QTextEdit::copy);
    connect(actAllSelect, &QAction::triggered, reMsg, &QTextEdit::selectAll);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm5::PopupMenu1Popup);
    reMsg->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(reMsg, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(reMsg->viewport()->mapToGlobal(pos)); });
    reMsg->onMove = [this](QMouseEvent* e) { reMsgMouseMove(e); };
    reMsg->onPress = [this](QMouseEvent* e) { return reMsgMouseDown(e); };
}

void TForm5::AddLine(const std::string& cp932, const QColor& colour) {
    QTextCursor cursor(reMsg->document());
    cursor.movePosition(QTextCursor::End);
    if (!lines_.empty()) cursor.insertBlock();
    QTextCharFormat format;
    format.setForeground(colour);
    if (cp932.empty())
        cursor.setCharFormat(format);
    else
        cursor.insertText(FromCp932(cp932), format);
    lines_.push_back(cp932);
}

void TForm5::FinishText() {
    bool any = false;
    for (const std::string& line : lines_) any = any || ContainsUrlPrefix(line);
    if (any) {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const std::string& line = lines_[i];
            const QTextBlock b = reMsg->document()->findBlockByNumber(static_cast<int>(i));
            for (const LinkSpan& span : MarkLinks(line)) {
                QTextCursor c(reMsg->document());
                const int start = static_cast<int>(
                    FromCp932(std::string_view(line).substr(0, span.first)).size());
                c.setPosition(b.position() + start);
                c.setPosition(b.position() + start + static_cast<int>(span.length),
                              QTextCursor::KeepAnchor);
                QTextCharFormat underline;
                underline.setFontUnderline(true);
                c.mergeCharFormat(underline);
            }
        }
    }
    reMsg->moveCursor(QTextCursor::Start);
}

void TForm5::SetBackColour(const QColor& colour) {
    QPalette pal = reMsg->palette();
    pal.setColor(QPalette::Base, colour);
    reMsg->setPalette(pal);
}

QString TForm5::LineText(int line) const {
    return reMsg->document()->findBlockByNumber(line).text();
}

QColor TForm5::LineColour(int line) const {
    const QTextBlock b = reMsg->document()->findBlockByNumber(line);
    return b.begin().atEnd() ? b.charFormat().foreground().color()
                             : b.begin().fragment().charFormat().foreground().color();
}

void TForm5::PopupMenu1Popup() {
    std::string error;
    const std::optional<LanguageFile> file = LanguageFile::Load(ToPath(languageFile_()), error);
    if (!file) return;
    const std::vector<std::string> copy = file->List("Menu", "String31");
    const std::vector<std::string> all = file->List("Menu", "String33");
    if (!copy.empty()) actCopy->setText(FromCp932(copy.front()));
    if (!all.empty()) actAllSelect->setText(FromCp932(all.front()));
}

void TForm5::reMsgMouseMove(QMouseEvent* e) {
    const LinkHit hit = LinkUnderPoint(reMsg, lines_, e->position().toPoint());
    reMsg->viewport()->setCursor(hit.found ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

bool TForm5::reMsgMouseDown(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return false;
    int block = -1;
    const LinkHit hit = LinkUnderPoint(reMsg, lines_, e->position().toPoint(), &block);
    if (links_->LinkClickPending) {
        links_->LinkClickPending = false;
        links_->timDblClick->stop();
        if (hit.found) {
            links_->openLink(QUrl(
                QString::fromLatin1(hit.link.data(), static_cast<qsizetype>(hit.link.size()))));
            return true;
        }
        return false;
    }
    links_->LinkClickPending = true;
    links_->timDblClick->start(QApplication::doubleClickInterval());
    if (hit.found) {
        const std::string& line = lines_[static_cast<std::size_t>(block)];
        const QTextBlock b = reMsg->document()->findBlockByNumber(block);
        const int start =
            static_cast<int>(FromCp932(std::string_view(line).substr(0, hit.first)).size());
        QTextCursor c(reMsg->document());
        c.setPosition(b.position() + start);
        c.setPosition(b.position() + start + static_cast<int>(hit.last - hit.first + 1),
                      QTextCursor::KeepAnchor);
        reMsg->setTextCursor(c);
        return true;
    }
    return false;
}

}  // namespace qx::ui
