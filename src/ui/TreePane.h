// The left pane: the tree key box above the message tree. Owns the browse
// core's tree and shows it; the main window reacts to its signals.
#pragma once

#include <QSet>
#include <QStyledItemDelegate>
#include <QWidget>
#include <functional>

#include "browse/LogTree.h"

class QComboBox;
class QMenu;
class QTreeView;

class QAbstractItemView;
class QFontMetrics;

namespace qx::ui {

// Draws the selection of an unfocused list or tree in the inactive colour.
void ShowFocusInSelection(QAbstractItemView* view);

// A label cut to `width` pixels: a label ending in a count, "name (12 msgs)",
// loses the middle of its name and keeps the count whole; any other loses its end.
QString ElideKeepingCount(const QString& label, const QFontMetrics& metrics, int width);

// Draws the labels of a tree or a list column with ElideKeepingCount.
class CountKeepingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

class LogTreeModel;

class TreePane : public QWidget {
    Q_OBJECT
public:
    explicit TreePane(QMenu* popup, QWidget* parent = nullptr);

    LogTree& Tree() { return tree_; }
    const LogTree& Tree() const { return tree_; }
    TreeNode* Selected() const { return tree_.Selected(); }

    // Builds (firstNew 0) or extends the tree. Returns true when the build chose a
    // new selection, which the caller follows with tvLogChange.
    bool BuildTree(const std::vector<LogData>& records, std::size_t firstNew,
                   const std::function<void(int)>& progress);
    void Clear();
    // Counts changed (a delete or undelete): relabel the leaves.
    void UpdateNodeCounts(const std::vector<LogData>& records);
    // The same after the Deleted flags of `flipped` changed, relabelling only what
    // they touch.
    void UpdateNodeCounts(const std::vector<LogData>& records,
                          const std::vector<std::size_t>& flipped);

    // Selects a node (null clears) and scrolls it into view; fires Changed unless detached.
    void SelectNode(TreeNode* node);
    void ExpandNode(TreeNode* node, bool allLevels);
    void CollapseNode(TreeNode* node, bool allLevels);
    void ExpandAll();
    void CollapseAll();
    bool IsExpanded(const TreeNode* node) const;
    // The shown text of a node, for tests and the folder rows.
    QString NodeText(const TreeNode* node) const;

    void SetColours(const QColor& text, const QColor& back);
    // While detached, selection changes do not fire Changed (building, closing).
    void SetDetached(bool detached) { detached_ = detached; }

    QWidget* Panel3 = nullptr;
    QComboBox* cmbTreeKey = nullptr;
    QTreeView* tvLog = nullptr;

signals:
    void Changed();  // tvLogChange
    void Clicked();  // tvLogClick

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnCurrentChanged();
    void RestoreExpansion();
    void RememberExpanded(const TreeNode* node);

    LogTree tree_;
    LogTreeModel* model_ = nullptr;
    QSet<const TreeNode*> expanded_;
    bool detached_ = false;
};

}  // namespace qx::ui
