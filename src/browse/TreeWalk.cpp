#include "browse/TreeWalk.h"

namespace qx {

namespace {

TreeNode* LastNode(const LogTree& tree) {
    if (tree.RootCount() == 0) return nullptr;
    TreeNode* node = tree.Root(tree.RootCount() - 1);
    while (node->HasChildren()) node = node->Child(node->ChildCount() - 1);
    return node;
}

}  // namespace

TreeNode* NodeAfter(const LogTree& tree, const TreeNode* node) {
    if (node == nullptr) return nullptr;
    if (node->HasChildren()) return node->Child(0);
    for (const TreeNode* n = node; n != nullptr; n = n->Parent()) {
        const std::size_t next = n->Row() + 1;
        const TreeNode* parent = n->Parent();
        const std::size_t siblings = parent ? parent->ChildCount() : tree.RootCount();
        if (next < siblings) return parent ? parent->Child(next) : tree.Root(next);
    }
    return nullptr;
}

TreeNode* NextLeaf(const LogTree& tree, const TreeNode* node) {
    TreeNode* n = NodeAfter(tree, node);
    while (n != nullptr && n->HasChildren()) n = NodeAfter(tree, n);
    return n;
}

TreeNode* PreviousLeaf(const LogTree& tree, const TreeNode* node) {
    TreeNode* n = tree.NodeBefore(node);
    while (n != nullptr && n->HasChildren()) n = tree.NodeBefore(n);
    return n;
}

TreeNode* TopLeaf(const LogTree& tree) {
    if (tree.NodeCount() < 2) return nullptr;
    return NextLeaf(tree, tree.Root(0));
}

TreeNode* BottomLeaf(const LogTree& tree) {
    if (tree.NodeCount() < 2) return nullptr;
    return tree.NodeBefore(LastNode(tree));
}

}  // namespace qx
