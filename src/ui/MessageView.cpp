#include "ui/MessageView.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include "ui/UiText.h"

namespace qx::ui {

void ViewEdit::mouseMoveEvent(QMouseEvent* e) {
    QTextEdit::mouseMoveEvent(e);
    if (onMove) onMove(e);
}

void ViewEdit::mousePressEvent(QMouseEvent* e) {
    if (onPress && onPress(e)) return;
    QTextEdit::mousePressEvent(e);
}

void ViewEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    // The second click of a double click counts as a click of its own.
    if (onPress && onPress(e)) return;
    QTextEdit::mouseDoubleClickEvent(e);
}

MessageView::MessageView(QMenu* popup, QWidget* parent) : QWidget(parent) {
    setObjectName("pnlView");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pnlHeader = new QFrame(this);
    pnlHeader->setObjectName("pnlHeader");
    pnlHeader->setFrameShape(QFrame::Panel);
    pnlHeader->setFrameShadow(QFrame::Sunken);
    lblHeader = new QLabel(pnlHeader);
    lblHeader->setObjectName("lblHeader");
    lblHeader->move(8, 8);
    lblHeader->setTextFormat(Qt::PlainText);
    pnlHeader->setVisible(false);
    layout->addWidget(pnlHeader);

    reLog = new ViewEdit(this);
    reLog->setObjectName("reLog");
    reLog->setReadOnly(true);
    reLog->setAcceptRichText(false);
    reLog->setLineWrapMode(QTextEdit::NoWrap);
    reLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    reLog->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    reLog->setMouseTracking(true);
    reLog->viewport()->setMouseTracking(true);
    reLog->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    reLog->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(reLog, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint& pos) { popup->popup(reLog->viewport()->mapToGlobal(pos)); });
    layout->addWidget(reLog, 1);
    reLog->onMove = [this](QMouseEvent* e) { reLogMouseMove(e); };
    reLog->onPress = [this](QMouseEvent* e) { return reLogMouseDown(e); };

    timDblClick = new QTimer(this);
    timDblClick->setObjectName("timDblClick");
    timDblClick->setSingleShot(true);
    connect(timDblClick, &QTimer::timeout, this, [this] { LinkClickPending = false; });
    launchUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    openLink = [this](const QUrl& url) {
        if (!launchUrl(url)) emit LinkOpenFailed(url.toString());
    };
}

void MessageView::Clear() {
    lblHeader->clear();
    reLog->clear();
    reLog->setExtraSelections({});  // marks of found text go with the text
    lines_.clear();
    links_.clear();
    cut_.clear();
}

void MessageView::BeginShow() {
    reLog->setUpdatesEnabled(false);
    Clear();
}

void MessageView::InsertLineText(QTextCursor& cursor, const ViewLine& line, const QColor& colour) {
    QTextCharFormat plain;
    plain.setForeground(colour);
    plain.setFontUnderline(false);
    plain.setFontItalic(false);
    std::size_t at = 0;
    for (const LinkSpan& span : line.links) {
        if (span.first > at) cursor.insertText(FromCp932(std::string_view(line.text).substr(at, span.first - at)), plain);
        QTextCharFormat underlined = plain;
        underlined.setFontUnderline(true);
        cursor.insertText(FromCp932(std::string_view(line.text).substr(span.first, span.length)), underlined);
        at = span.first + span.length;
    }
    if (at < line.text.size()) cursor.insertText(FromCp932(std::string_view(line.text).substr(at)), plain);
    else if (line.text.empty()) cursor.setCharFormat(plain);
}

QString MessageView::MoreMarkerText(std::size_t hiddenBytes) const {
    const QString what = texts != nullptr ? FromCp932((*texts)[MessageText::LineContinues]) : QString();
    return QStringLiteral("[... %1 %2]").arg(hiddenBytes).arg(what);
}

void MessageView::AppendLine(const ViewLine& line, const QColor& colour) {
    QTextCursor cursor(reLog->document());
    cursor.movePosition(QTextCursor::End);
    if (!lines_.empty()) cursor.insertBlock();
    InsertLineText(cursor, line, colour);
    lines_.push_back(line.text);
    links_.push_back(line.links);
    cut_.push_back({});
    if (line.hidden.empty()) return;
    // The rest of a long line waits behind a marker of its own.
    cursor.insertBlock();
    const QString marker = MoreMarkerText(line.hidden.size());
    QTextCharFormat italic;
    italic.setForeground(colour);
    italic.setFontItalic(true);
    cursor.insertText(marker, italic);
    lines_.push_back(ToCp932(marker));
    links_.emplace_back();
    cut_.push_back({line.hidden, line.role, colour});
}

bool MessageView::IsMoreMarker(int block) const {
    return block >= 0 && block < LineCount() && !cut_[static_cast<std::size_t>(block)].rest.empty();
}

void MessageView::ShowMoreOfLine(int block) {
    if (!IsMoreMarker(block)) return;
    const auto b = static_cast<std::size_t>(block);
    CutLine pending = std::move(cut_[b]);
    const ViewLine piece = NextLinePiece(pending.rest, pending.role);
    QTextBlock tb = reLog->document()->findBlockByNumber(block);
    QTextCursor cursor(tb);
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    InsertLineText(cursor, piece, pending.colour);
    lines_[b] = piece.text;
    links_[b] = piece.links;
    cut_[b] = {};
    if (!piece.hidden.empty()) {
        cursor.insertBlock();
        const QString marker = MoreMarkerText(piece.hidden.size());
        QTextCharFormat italic;
        italic.setForeground(pending.colour);
        italic.setFontItalic(true);
        cursor.insertText(marker, italic);
        lines_.insert(lines_.begin() + block + 1, ToCp932(marker));
        links_.insert(links_.begin() + block + 1, std::vector<LinkSpan>{});
        cut_.insert(cut_.begin() + block + 1, CutLine{piece.hidden, pending.role, pending.colour});
    }
    cursor.endEditBlock();
}

void MessageView::AppendMessage(const RenderedMessage& message, const ViewColours& colours) {
    if (!message.headerLabel.empty()) {
        QPalette pal = lblHeader->palette();
        pal.setColor(QPalette::WindowText, colours.header);
        lblHeader->setPalette(pal);
        lblHeader->setText(FromCp932(message.headerLabel));
        lblHeader->adjustSize();
        pnlHeader->setFixedHeight(lblHeader->height() + 17);
    }
    for (const ViewLine& line : message.lines) {
        const QColor& c = line.role == LineRole::Header  ? colours.header
                          : line.role == LineRole::Quote ? colours.quote
                                                         : colours.text;
        AppendLine(line, c);
    }
}

void MessageView::EndShow(int quoteLines) {
    reLog->moveCursor(QTextCursor::Start);
    reLog->setUpdatesEnabled(true);
    reLog->horizontalScrollBar()->setValue(0);
    reLog->verticalScrollBar()->setValue(0);
    if (quoteLines > 0) {
        // Scroll the leading quote of the last message out of sight.
        reLog->document()->adjustSize();
        const QTextBlock b = reLog->document()->findBlockByNumber(quoteLines);
        if (b.isValid()) {
            const int y = static_cast<int>(reLog->document()->documentLayout()->blockBoundingRect(b).top());
            reLog->verticalScrollBar()->setValue(y);
        } else {
            reLog->verticalScrollBar()->setValue(reLog->verticalScrollBar()->maximum());
        }
    }
}

void MessageView::AddViewLine(const QString& text, const QColor& colour) {
    ViewLine line;
    line.text = ToCp932(text);
    AppendLine(line, colour);
}

void MessageView::SetHeaderApart(bool apart) {
    pnlHeader->setVisible(apart);
}

void MessageView::SetBackColour(const QColor& colour) {
    QPalette pal = reLog->palette();
    pal.setColor(QPalette::Base, colour);
    reLog->setPalette(pal);
}

void MessageView::SetViewFont(const QFont& font) {
    reLog->setFont(font);
    reLog->document()->setDefaultFont(font);
    lblHeader->setFont(font);
}

LinkHit MessageView::LinkAt(const QPoint& viewportPos, int* block) const {
    const QTextCursor c = reLog->cursorForPosition(viewportPos);
    const int b = c.blockNumber();
    if (b < 0 || b >= LineCount()) return {};
    // The cursor sits between characters; the character under the pointer is the
    // one whose box holds the point.
    const QString text = c.block().text();
    int pos = c.positionInBlock();
    if (pos > 0) {
        QTextCursor prev = c;
        prev.setPosition(c.block().position() + pos - 1);
        if (reLog->cursorRect(prev).left() <= viewportPos.x() &&
            reLog->cursorRect(c).left() > viewportPos.x())
            --pos;
    }
    if (pos >= text.size()) return {};
    const std::size_t byte = ToCp932(text.left(pos)).size();
    if (block != nullptr) *block = b;
    return FindLinkAt(lines_[static_cast<std::size_t>(b)], byte);
}

void MessageView::SelectLink(int block, const LinkHit& hit) {
    const std::string& line = lines_[static_cast<std::size_t>(block)];
    const int start = static_cast<int>(FromCp932(std::string_view(line).substr(0, hit.first)).size());
    const int end = start + static_cast<int>(hit.last - hit.first + 1);  // addresses are ASCII
    const QTextBlock b = reLog->document()->findBlockByNumber(block);
    QTextCursor c(reLog->document());
    c.setPosition(b.position() + start);
    c.setPosition(b.position() + end, QTextCursor::KeepAnchor);
    reLog->setTextCursor(c);
}

QList<QPair<int, int>> MessageView::LinkRangesOfLine(int block) const {
    QList<QPair<int, int>> out;
    const QTextBlock b = reLog->document()->findBlockByNumber(block);
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (f.charFormat().fontUnderline()) out << qMakePair(f.position() - b.position(), f.length());
    }
    return out;
}

QString MessageView::LineText(int block) const {
    return reLog->document()->findBlockByNumber(block).text();
}

void MessageView::reLogMouseMove(QMouseEvent* e) {
    const LinkHit hit = LinkAt(e->position().toPoint());
    const bool marker = IsMoreMarker(reLog->cursorForPosition(e->position().toPoint()).blockNumber());
    reLog->viewport()->setCursor(hit.found || marker ? Qt::PointingHandCursor : Qt::IBeamCursor);
    const QString tip = QString::fromLatin1(hit.link.data(), static_cast<qsizetype>(hit.link.size()));
    reLog->setToolTip(tip);
    if (tip.isEmpty()) QToolTip::hideText();
}

bool MessageView::reLogMouseDown(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return false;
    const int under = reLog->cursorForPosition(e->position().toPoint()).blockNumber();
    if (IsMoreMarker(under)) {
        ShowMoreOfLine(under);
        return true;
    }
    int block = -1;
    const LinkHit hit = LinkAt(e->position().toPoint(), &block);
    if (LinkClickPending) {
        LinkClickPending = false;
        timDblClick->stop();
        if (hit.found) {
            openLink(QUrl(QString::fromLatin1(hit.link.data(), static_cast<qsizetype>(hit.link.size()))));
            return true;
        }
        return false;
    }
    LinkClickPending = true;
    timDblClick->start(QApplication::doubleClickInterval());
    if (hit.found) {
        SelectLink(block, hit);
        return true;
    }
    return false;
}

}  // namespace qx::ui
