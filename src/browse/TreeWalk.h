// Walking the message tree in its flat order (depth first, collapsed branches
// included), for the commands that move the selection from leaf to leaf.
#pragma once

#include "browse/LogTree.h"

namespace qx {

// The node after `node` in flat order; null after the last.
TreeNode* NodeAfter(const LogTree& tree, const TreeNode* node);
// The first leaf after `node` in flat order; null when there is none.
TreeNode* NextLeaf(const LogTree& tree, const TreeNode* node);
// The last leaf before `node` in flat order; null when there is none.
TreeNode* PreviousLeaf(const LogTree& tree, const TreeNode* node);
// The first leaf after the first node; null for a tree of fewer than two nodes.
TreeNode* TopLeaf(const LogTree& tree);
// The node just before the last one (the last is the deleted-messages node, so
// this is the last leaf of the data); null for a tree of fewer than two nodes.
TreeNode* BottomLeaf(const LogTree& tree);

}  // namespace qx
