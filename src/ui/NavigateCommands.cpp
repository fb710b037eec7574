#include "ui/NavigateCommands.h"

#include <QTreeView>

#include "browse/TreeWalk.h"
#include "ui/MessageList.h"
#include "ui/TreePane.h"

namespace qx::ui {

NavigateCommands::NavigateCommands(const CommandContext& context) : c_(context) {
    c_.Register("actMoveTop", [this] { actMoveTopExecute(); });
    c_.Register("actMoveBottom", [this] { actMoveBottomExecute(); });
    c_.Register("actMoveUp", [this] { actMoveUpExecute(); });
    c_.Register("actMoveDown", [this] { actMoveDownExecute(); });

    TreePane* tree = c_.tree;
    MessageList* list = c_.list;
    c_.Register("actListTop", [list] { list->ListTop(); });
    c_.Register("actListBottom", [list] { list->ListBottom(); });
    c_.Register("actFolderUp", [tree] {
        TreeNode* n = tree->Selected();
        if (n != nullptr && n->Parent() != nullptr) tree->SelectNode(n->Parent());
    });
    c_.Register("actAllOpen", [tree] {
        tree->ExpandAll();
        if (TreeNode* n = tree->Selected()) tree->SelectNode(n);
    });
    c_.Register("actAllClose", [tree] { tree->CollapseAll(); });
    c_.Register("actSelectOpen", [tree] {
        TreeNode* n = tree->Selected();
        if (n != nullptr && n->HasChildren()) {
            tree->ExpandNode(n, true);
            tree->tvLog->scrollTo(tree->tvLog->currentIndex());
        }
    });
    c_.Register("actSelectClose", [tree] {
        TreeNode* n = tree->Selected();
        if (n != nullptr && n->HasChildren()) tree->CollapseNode(n, true);
    });
}

void NavigateCommands::actMoveTopExecute() {
    TreeNode* leaf = TopLeaf(c_.tree->Tree());
    if (leaf == nullptr) return;
    c_.tree->SelectNode(leaf);
    if (c_.list->RowCount() > 0) c_.list->SelectOnly(0);
}

void NavigateCommands::actMoveBottomExecute() {
    TreeNode* leaf = BottomLeaf(c_.tree->Tree());
    if (leaf == nullptr) return;
    c_.tree->SelectNode(leaf);
    if (c_.list->RowCount() > 0) c_.list->SelectOnly(c_.list->RowCount() - 1);
}

void NavigateCommands::actMoveUpExecute() {
    TreeNode* node = c_.tree->Selected();
    if (node == nullptr) return;
    const int row = c_.list->FirstSelectedRow();
    if (row > 0 && !node->HasChildren()) {
        c_.list->SelectOnly(row - 1);
        return;
    }
    TreeNode* leaf = PreviousLeaf(c_.tree->Tree(), node);
    if (leaf == nullptr) return;
    c_.tree->SelectNode(leaf);
    // The last message of the previous leaf.
    if (c_.list->RowCount() > 0) c_.list->SelectOnly(c_.list->RowCount() - 1);
}

void NavigateCommands::actMoveDownExecute() {
    TreeNode* node = c_.tree->Selected();
    if (node == nullptr) return;
    const int row = c_.list->FirstSelectedRow();
    if (row >= 0 && !node->HasChildren() && row < c_.list->RowCount() - 1) {
        c_.list->SelectOnly(row + 1);
        return;
    }
    // Selecting the next leaf lists it with its first row selected; after the
    // last leaf of the data comes the deleted-messages node.
    if (TreeNode* leaf = NextLeaf(c_.tree->Tree(), node)) c_.tree->SelectNode(leaf);
}

}  // namespace qx::ui
