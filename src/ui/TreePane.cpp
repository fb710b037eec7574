#include "ui/TreePane.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>
#include <QVBoxLayout>

#include "settings/LanguageSchema.h"
#include "ui/LogTreeModel.h"
#include "ui/UiText.h"

namespace qx::ui {

QString ElideKeepingCount(const QString& label, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(label) <= width) return label;
    const qsizetype open = label.endsWith(')') ? label.lastIndexOf(" (") : -1;
    if (open > 0) {
        const QString count = label.mid(open);
        const int room = width - metrics.horizontalAdvance(count);
        if (room >= 3 * metrics.horizontalAdvance(QChar(0x2026)))
            return metrics.elidedText(label.left(open), Qt::ElideMiddle, room) + count;
    }
    return metrics.elidedText(label, Qt::ElideRight, width);
}

void CountKeepingDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QWidget* widget = option->widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, option, widget);
    // The style's own margins within the text rectangle.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    option->text = ElideKeepingCount(option->text, option->fontMetrics, text.width() - 2 * margin);
}

void ShowFocusInSelection(QAbstractItemView* view) {
    // The pane without the focus draws its selection in a pale grey, so the
    // focused one stands out.
    QPalette pal = view->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0xd4, 0xd4, 0xd4));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, QColor(0, 0, 0));
    view->setPalette(pal);
}

TreePane::TreePane(QMenu* popup, QWidget* parent) : QWidget(parent) {
    setObjectName("pnlTree");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel3 = new QWidget(this);
    Panel3->setObjectName("Panel3");
    Panel3->setFixedHeight(25);
    cmbTreeKey = new QComboBox(Panel3);
    cmbTreeKey->setObjectName("cmbTreeKey");
    if (const LanguageKey* key = FindLanguageKey("ComboBox", "String00")) {
        for (const std::string& item : BuiltInItems(*key)) cmbTreeKey->addItem(QString::fromStdString(item));
    }
    cmbTreeKey->setCurrentIndex(0);
    cmbTreeKey->setGeometry(0, 1, width(), 23);
    layout->addWidget(Panel3);

    tvLog = new QTreeView(this);
    tvLog->setObjectName("tvLog");
    model_ = new LogTreeModel(tree_, this);
    tvLog->setModel(model_);
    tvLog->setHeaderHidden(true);
    tvLog->setIndentation(19);
    tvLog->setUniformRowHeights(true);
    tvLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvLog->setSelectionMode(QAbstractItemView::SingleSelection);
    tvLog->setContextMenuPolicy(Qt::CustomContextMenu);
    tvLog->viewport()->installEventFilter(this);
    // Long names lose their middle, so that the message count stays in sight.
    tvLog->setItemDelegate(new CountKeepingDelegate(tvLog));
    ShowFocusInSelection(tvLog);
    layout->addWidget(tvLog, 1);

    connect(tvLog->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TreePane::OnCurrentChanged);
    connect(tvLog, &QTreeView::clicked, this, [this] { emit Clicked(); });
    connect(tvLog, &QTreeView::expanded, this,
            [this](const QModelIndex& i) { expanded_.insert(LogTreeModel::NodeOf(i)); });
    connect(tvLog, &QTreeView::collapsed, this,
            [this](const QModelIndex& i) { expanded_.remove(LogTreeModel::NodeOf(i)); });
    connect(tvLog, &QWidget::customContextMenuRequested, this, [this, popup](const QPoint& pos) {
        popup->popup(tvLog->viewport()->mapToGlobal(pos));
    });
}

void TreePane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    cmbTreeKey->setGeometry(0, 1, width(), 23);  // the box follows the pane's width
}

bool TreePane::eventFilter(QObject* watched, QEvent* event) {
    // A right click selects the node under the pointer before the menu opens.
    if (watched == tvLog->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) {
            const QModelIndex i = tvLog->indexAt(me->position().toPoint());
            if (i.isValid()) tvLog->setCurrentIndex(i);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TreePane::OnCurrentChanged() {
    TreeNode* node = LogTreeModel::NodeOf(tvLog->currentIndex());
    tree_.Select(node);
    model_->SetSelected(node);
    if (!detached_) emit Changed();
}

bool TreePane::BuildTree(const std::vector<LogData>& records, std::size_t firstNew,
                         const std::function<void(int)>& progress) {
    const bool wasDetached = detached_;
    detached_ = true;
    tvLog->setUpdatesEnabled(false);
    const bool full = firstNew == 0;
    if (full) expanded_.clear();
    TreeNode* keep = tree_.Selected();
    model_->BeginRebuild(full);
    const LogTree::BuildResult result = tree_.BuildTree(records, firstNew, progress);
    model_->EndRebuild();
    RestoreExpansion();
    if (result.expand != nullptr) {
        tvLog->expand(model_->IndexOf(result.expand));
    }
    TreeNode* select = result.select != nullptr ? result.select : (full ? nullptr : keep);
    tree_.Select(select);
    model_->SetSelected(select);
    if (select != nullptr) {
        tvLog->setCurrentIndex(model_->IndexOf(select));
        tvLog->scrollTo(model_->IndexOf(select));
    }
    tvLog->setUpdatesEnabled(true);
    detached_ = wasDetached;
    return result.select != nullptr;
}

void TreePane::RestoreExpansion() {
    const QSet<const TreeNode*> nodes = expanded_;
    for (const TreeNode* n : nodes) tvLog->expand(model_->IndexOf(n));
}

void TreePane::Clear() {
    const bool wasDetached = detached_;
    detached_ = true;
    model_->BeginRebuild(true);
    tree_.Clear();
    tree_.Select(nullptr);
    model_->EndRebuild();
    expanded_.clear();
    detached_ = wasDetached;
}

void TreePane::UpdateNodeCounts(const std::vector<LogData>& records) {
    tree_.UpdateNodeCounts(records);
    model_->LabelsChanged();
}

void TreePane::UpdateNodeCounts(const std::vector<LogData>& records,
                                const std::vector<std::size_t>& flipped) {
    model_->NodesChanged(tree_.UpdateNodeCounts(records, flipped));
}

void TreePane::SelectNode(TreeNode* node) {
    if (node == nullptr) {
        tvLog->setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex i = model_->IndexOf(node);
    tvLog->setCurrentIndex(i);
    tvLog->scrollTo(i);
}

void TreePane::ExpandNode(TreeNode* node, bool allLevels) {
    if (node == nullptr) return;
    const QModelIndex i = model_->IndexOf(node);
    if (allLevels) {
        tvLog->expandRecursively(i);
        RememberExpanded(node);
    } else {
        tvLog->expand(i);
    }
}

void TreePane::CollapseNode(TreeNode* node, bool allLevels) {
    if (node == nullptr) return;
    if (allLevels) {
        for (std::size_t c = 0; c < node->ChildCount(); ++c) CollapseNode(node->Child(c), true);
    }
    tvLog->collapse(model_->IndexOf(node));
    expanded_.remove(node);
}

void TreePane::ExpandAll() {
    tvLog->expandAll();
    for (std::size_t r = 0; r < tree_.RootCount(); ++r) RememberExpanded(tree_.Root(r));
}

void TreePane::RememberExpanded(const TreeNode* node) {
    // Expanding many levels at once reports no single expansions.
    if (!node->HasChildren()) return;
    expanded_.insert(node);
    for (std::size_t c = 0; c < node->ChildCount(); ++c) RememberExpanded(node->Child(c));
}

void TreePane::CollapseAll() {
    tvLog->collapseAll();
    expanded_.clear();
}

bool TreePane::IsExpanded(const TreeNode* node) const {
    return node != nullptr && tvLog->isExpanded(model_->IndexOf(node));
}

QString TreePane::NodeText(const TreeNode* node) const {
    return node == nullptr ? QString() : FromCp932(node->Text());
}

void TreePane::SetColours(const QColor& text, const QColor& back) {
    model_->textColour = text;
    for (QWidget* w : {static_cast<QWidget*>(tvLog), static_cast<QWidget*>(cmbTreeKey)}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Text, text);
        pal.setColor(QPalette::WindowText, text);
        pal.setColor(QPalette::ButtonText, text);
        pal.setColor(QPalette::Base, back);
        pal.setColor(QPalette::Button, back);
        w->setPalette(pal);
    }
    tvLog->viewport()->update();
}

}  // namespace qx::ui
