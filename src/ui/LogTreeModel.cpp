#include "ui/LogTreeModel.h"

#include <QColor>

#include "ui/Icons.h"
#include "ui/UiText.h"

namespace qx::ui {

TreeNode* LogTreeModel::NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex LogTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0) return {};
    const TreeNode* p = NodeOf(parent);
    const std::size_t r = static_cast<std::size_t>(row);
    if (p == nullptr) {
        if (parent.isValid() || r >= tree_.RootCount()) return {};
        return createIndex(row, 0, tree_.Root(r));
    }
    if (r >= p->ChildCount()) return {};
    return createIndex(row, 0, p->Child(r));
}

QModelIndex LogTreeModel::parent(const QModelIndex& child) const {
    const TreeNode* node = NodeOf(child);
    if (node == nullptr || node->Parent() == nullptr) return {};
    TreeNode* p = node->Parent();
    return createIndex(static_cast<int>(p->Row()), 0, p);
}

int LogTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    const TreeNode* p = NodeOf(parent);
    return static_cast<int>(p == nullptr ? tree_.RootCount() : p->ChildCount());
}

int LogTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant LogTreeModel::data(const QModelIndex& index, int role) const {
    const TreeNode* node = NodeOf(index);
    if (node == nullptr) return {};
    switch (role) {
        case Qt::DisplayRole:
            return FromCp932(node->Text());
        case Qt::DecorationRole:
            return ImageList2(node == selected_ ? node->SelectedImage() : node->Image());
        case Qt::ForegroundRole:
            return textColour.isValid() ? QVariant(textColour) : QVariant();
        default:
            return {};
    }
}

QModelIndex LogTreeModel::IndexOf(const TreeNode* node) const {
    if (node == nullptr) return {};
    return createIndex(static_cast<int>(node->Row()), 0, const_cast<TreeNode*>(node));
}

void LogTreeModel::LabelsChanged() {
    // Every leaf may have a new label. One notice per run of siblings: a large
    // tree has thousands of leaves, and a delete must not wait for a notice each.
    auto siblings = [this](std::size_t count, auto child) {
        if (count > 0)
            emit dataChanged(IndexOf(child(0)), IndexOf(child(count - 1)), {Qt::DisplayRole});
    };
    siblings(tree_.RootCount(), [this](std::size_t i) { return tree_.Root(i); });
    tree_.ForEachNode([&](TreeNode* n) {
        siblings(n->ChildCount(), [n](std::size_t i) { return n->Child(i); });
    });
}

void LogTreeModel::NodesChanged(const std::vector<TreeNode*>& nodes) {
    for (const TreeNode* n : nodes) {
        const QModelIndex i = IndexOf(n);
        emit dataChanged(i, i, {Qt::DisplayRole});
    }
}

void LogTreeModel::SetSelected(const TreeNode* node) {
    const TreeNode* old = selected_;
    selected_ = node;
    if (old != nullptr) emit dataChanged(IndexOf(old), IndexOf(old), {Qt::DecorationRole});
    if (node != nullptr) emit dataChanged(IndexOf(node), IndexOf(node), {Qt::DecorationRole});
}

}  // namespace qx::ui
