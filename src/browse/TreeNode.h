// One node of the message tree. The tree owns every node and never moves one, so
// a pointer to a node stays valid until a full build or Clear() removes them all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "browse/BrowseTypes.h"

namespace qx {

class TreeNode {
public:
    // The text shown: the label, and for a leaf its count suffix.
    const std::string& Text() const { return text_; }
    // The label without the count suffix.
    const std::string& Label() const { return label_; }
    int Image() const { return image_; }
    int SelectedImage() const { return image_ + 1; }
    // The count shown after a leaf's label; -1 while it has none.
    int Count() const { return count_; }
    // Null for a root node.
    TreeNode* Parent() const { return parent_; }
    bool HasChildren() const { return !children_.empty(); }
    std::size_t ChildCount() const { return children_.size(); }
    TreeNode* Child(std::size_t i) const { return children_[i]; }
    // 0 for this node's position among its siblings.
    std::size_t Row() const { return row_; }

private:
    friend class LogTree;

    std::string label_;
    std::string text_;
    int image_ = kImageFolder;
    int count_ = -1;
    std::size_t row_ = 0;
    TreeNode* parent_ = nullptr;
    std::vector<TreeNode*> children_;
    // A leaf's entry in the message index, once looked up (null until then).
    mutable const std::vector<std::size_t>* entries_ = nullptr;
};

}  // namespace qx
