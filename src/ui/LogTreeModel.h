// A Qt item model over the message tree of the browse core. Nodes are the
// core's own; the model converts their labels to QString only when asked.
#pragma once

#include <QAbstractItemModel>

#include <QColor>
#include <vector>

#include "browse/LogTree.h"

namespace qx::ui {

class LogTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit LogTreeModel(const LogTree& tree, QObject* parent = nullptr)
        : QAbstractItemModel(parent), tree_(tree) {}

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    QModelIndex IndexOf(const TreeNode* node) const;
    static TreeNode* NodeOf(const QModelIndex& index);

    // The tree was rebuilt or extended: every index is stale.
    void BeginRebuild(bool nodesReplaced) {
        beginResetModel();
        if (nodesReplaced) selected_ = nullptr;
    }
    void EndRebuild() { endResetModel(); }
    // Labels changed (counts), the shape did not.
    // These nodes have new labels.
    void NodesChanged(const std::vector<TreeNode*>& nodes);
    void LabelsChanged();
    // Which node shows its selected picture.
    void SetSelected(const TreeNode* node);

    QColor textColour;  // invalid: the palette's

private:
    const LogTree& tree_;
    const TreeNode* selected_ = nullptr;
};

}  // namespace qx::ui
