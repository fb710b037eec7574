#include "ui/MessageList.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>

#include "ui/MessageListModel.h"
#include "ui/TreePane.h"
#include "ui/UiText.h"

namespace qx::ui {

MessageListModel* SetUpMessageRows(QTreeView* view) {
    auto* model = new MessageListModel(view);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return model;
}

MessageList::MessageList(QMenu* popup, QWidget* parent) : QTreeView(parent) {
    setObjectName("lvLog");
    model_ = SetUpMessageRows(this);
    setMouseTracking(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    ShowFocusInSelection(this);
    setItemDelegateForColumn(kColUser, new CountKeepingDelegate(this));  // names keep their count
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(true);
    header()->setSortIndicatorShown(false);
    const int widths[] = {22, 160, 60, 140};
    for (int i = 0; i < 4; ++i) header()->resizeSection(i, widths[i]);
    connect(header(), &QHeaderView::sectionClicked, this, &MessageList::lvLogColumnClick);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!filling_ && selectionModel()->hasSelection()) emit Changed();
    });
    connect(this, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint& pos) { popup->popup(viewport()->mapToGlobal(pos)); });
}

int MessageList::RowCount() const {
    return model_->rowCount();
}

void MessageList::Fill(std::vector<ListRow> rows, int keep) {
    filling_ = true;
    setUpdatesEnabled(false);
    model_->SetRows(std::move(rows));
    model_->Sort(sort_.SortColumn, sort_.UpDown);
    ToolTipIndex = -1;
    setUpdatesEnabled(true);
    filling_ = false;
    const int row = RowToKeep(keep, static_cast<std::size_t>(RowCount()));
    if (row >= 0) SelectOnly(row);
}

void MessageList::Clear() {
    filling_ = true;
    model_->SetRows({});
    ToolTipIndex = -1;
    filling_ = false;
}

std::vector<int> MessageList::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int MessageList::FirstSelectedRow() const {
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

void MessageList::SelectOnly(int row) {
    const QModelIndex i = model_->index(row, 0);
    selectionModel()->setCurrentIndex(
        i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(i, QAbstractItemView::EnsureVisible);
}

void MessageList::RemoveRow(int row) {
    filling_ = true;
    model_->RemoveRow(row);
    if (ToolTipIndex == row) ToolTipIndex = -1;
    else if (ToolTipIndex > row) --ToolTipIndex;
    filling_ = false;
}

void MessageList::AddToSelection(int row) {
    if (row < 0 || row >= RowCount()) return;
    filling_ = true;
    const QModelIndex i = model_->index(row, 0);
    selectionModel()->select(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
    scrollTo(model_->index(FirstSelectedRow(), 0), QAbstractItemView::EnsureVisible);
    filling_ = false;
}

void MessageList::SelectEnd(bool top) {
    if (RowCount() == 0) return;
    SelectOnly(top ? 0 : RowCount() - 1);
    setFocus();
}

void MessageList::lvLogColumnClick(int column) {
    sort_.ColumnClick(column);
    model_->Sort(sort_.SortColumn, sort_.UpDown);
    const int first = FirstSelectedRow();
    if (first >= 0) scrollTo(model_->index(first, 0));
    SetTitles(titles_);
}

void MessageList::SetTitles(const QStringList& titles) {
    titles_ = titles;
    std::vector<std::string> plain;
    for (const QString& t : titles) plain.push_back(t.toStdString());
    QStringList shown;
    for (const std::string& t : sort_.MarkedTitles(plain)) shown << QString::fromStdString(t);
    model_->SetTitles(shown);
}

QStringList MessageList::ShownTitles() const {
    return model_->Titles();
}

void MessageList::SetColours(const QColor& text, const QColor& back) {
    model_->textColour = text;
    QPalette pal = palette();
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::Base, back);
    pal.setColor(QPalette::AlternateBase, back);
    setPalette(pal);
    viewport()->update();
}

void MessageList::lvLogMouseMove(const QPoint& pos) {
    if (!toolTipsOn_) {
        hint_.clear();
        return;
    }
    const QModelIndex i = indexAt(pos);
    if (!i.isValid() || !model_->Row(i.row()).IsMessageRow()) {
        hint_.clear();
        ToolTipIndex = -1;
        return;
    }
    // A new row brings its body; staying on the same row keeps it shown.
    if (i.row() != ToolTipIndex) {
        ToolTipIndex = i.row();
        hint_ = toolTipOf ? toolTipOf(i.row()) : QString();
        if (QToolTip::isVisible()) QToolTip::showText(QCursor::pos(), hint_, viewport());
    }
}

bool MessageList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        lvLogMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
    } else if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        lvLogMouseMove(help->pos());
        if (hint_.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), hint_, viewport(), QRect(), 60000);
        return true;
    }
    return QTreeView::viewportEvent(event);
}

void MessageList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && FirstSelectedRow() >= 0) emit DoubleClicked();
}

}  // namespace qx::ui
