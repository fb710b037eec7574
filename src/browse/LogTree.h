// The message tree: nodes grouped by one of the five tree keys, and the index
// from a node path to the records filed under it.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "browse/BrowseTypes.h"
#include "browse/TreeNode.h"
#include "logstore/LogData.h"

namespace qx {

// Path key -> indexes of the records filed under it, in file order. A record
// with n names is there n times under the name keys. Indexes, not pointers, so
// that appending records to the vector never invalidates an entry.
using MessageIndex = std::unordered_map<std::string, std::vector<std::size_t>>;

class LogTree {
public:
    // What the UI has to do after a build.
    struct BuildResult {
        // The build selected this node: the UI selects it too and refills the
        // list (tvLogChange). Null when the selection was left alone.
        TreeNode* select = nullptr;
        // Expand this node one level (a full build under the date/name keys).
        TreeNode* expand = nullptr;
    };

    LogTree();

    // The key the current tree was built under.
    int TreeKey() const { return treeKey_; }
    // Takes effect at the next full build; an extension keeps the tree's own key.
    // A key outside 0..4 builds by date and user.
    void SetTreeKey(int treeKey) {
        nextTreeKey_ = treeKey >= tkDateUser && treeKey <= tkDate ? treeKey : tkDateUser;
    }
    // Label of the deleted-messages node ("-" until a language is applied) and the
    // unit after a leaf's count.
    void SetTexts(std::string deletedNodeText, std::string countUnitText);
    const std::string& CountUnitText() const { return countUnitText_; }

    // firstNew 0: builds the whole tree over `records`. firstNew > 0: extends the
    // tree with records[firstNew..]; every existing node and index entry stays,
    // the tree is sorted and recounted again. `progress` (0-100, full builds only)
    // is called whenever the position changes. The caller checks that a log is open.
    BuildResult BuildTree(const std::vector<LogData>& records, std::size_t firstNew,
                          const std::function<void(int)>& progress = {});
    // The node that lists `record` (the find window's jump to a hit): the deleted-
    // messages node for a deleted record, otherwise the node found level by level
    // from the record's first user or host and its date, without creating any.
    // Null when there is none.
    TreeNode* MessageNode(const LogData& record);

    // Removes every node and index entry (closing the log).
    void Clear();

    // Finds a child of `parent` (a root when null) whose label matches `label` as
    // the tree key compares them (by host part under the host keys); adds one
    // labelled `label` with `image` when there is none and `create` is set.
    TreeNode* FindOrAddNode(TreeNode* parent, std::string_view label, bool create, int image);
    // Adds one message's path; the meaning of a..d depends on the tree key. A path
    // equal to the previous call's adds nothing.
    void AddTreePath(std::string_view a, std::string_view b, std::string_view c,
                     std::string_view d);

    // The search-form labels from the root down to `node`, concatenated.
    std::string PathKey(const TreeNode* node) const;
    // The search-form labels from the root down to `node` (its depth = size).
    std::vector<std::string> SelectedPath(const TreeNode* node) const;
    // Records shown under a leaf (deleted ones included); empty for other nodes.
    const std::vector<std::size_t>& MessagesOf(const TreeNode* node) const;
    const qx::MessageIndex& Index() const { return index_; }

    // Not-deleted records filed under the node; for the deleted-messages node the
    // deleted records of the whole vector.
    int NodeMessageCount(const TreeNode* node, const std::vector<LogData>& records) const;
    // Relabels every leaf with its count. Run after a Deleted flag changed.
    void UpdateNodeCounts(const std::vector<LogData>& records);
    // The same for the records whose Deleted flag flipped since the last count,
    // each named once: only the leaves that list them and the deleted-messages
    // node change, by one per flip. Returns the nodes relabelled, each once.
    std::vector<TreeNode*> UpdateNodeCounts(const std::vector<LogData>& records,
                                            const std::vector<std::size_t>& flipped);

    bool IsDeletedNode(const TreeNode* node) const { return node && node == deletedNode_; }
    TreeNode* DeletedNode() const { return deletedNode_; }

    std::size_t RootCount() const { return root_.children_.size(); }
    TreeNode* Root(std::size_t i) const { return root_.children_[i]; }
    std::size_t NodeCount() const { return nodeCount_; }
    bool Empty() const { return root_.children_.empty(); }
    // The child of `parent` (a root when null) whose shown text is `text`.
    TreeNode* ChildWithText(const TreeNode* parent, std::string_view text) const;
    // The node before `node` in flat (pre-)order, expanded or not; null for the first.
    TreeNode* NodeBefore(const TreeNode* node) const;
    // Calls f(node) for every node in flat order.
    void ForEachNode(const std::function<void(TreeNode*)>& f) const;

    // The tree's selection, mirrored by the view.
    TreeNode* Selected() const { return selected_; }
    void Select(TreeNode* node) { selected_ = node; }

private:
    // Children are found by (parent, search form) in one table for the whole tree;
    // the first child made under a form keeps it.
    struct SiblingKey {
        const TreeNode* parent;
        std::string form;
    };
    struct SiblingRef {
        const TreeNode* parent;
        std::string_view form;
    };
    struct SiblingHash {
        using is_transparent = void;
        std::size_t operator()(const SiblingRef& k) const {
            return std::hash<std::string_view>()(k.form) * 31 + std::hash<const void*>()(k.parent);
        }
        std::size_t operator()(const SiblingKey& k) const {
            return (*this)(SiblingRef{k.parent, k.form});
        }
    };
    struct SiblingEqual {
        using is_transparent = void;
        static SiblingRef Ref(const SiblingKey& k) { return {k.parent, k.form}; }
        static SiblingRef Ref(const SiblingRef& k) { return k; }
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const {
            return Ref(a).parent == Ref(b).parent && Ref(a).form == Ref(b).form;
        }
    };

    void AddRecord(const LogData& record, std::size_t index);
    // Sorts the children of a node at `depth` (0 for the root, 1 for a root node), and theirs.
    void SortChildren(TreeNode& node, int depth);
    void ResetLastPath();
    const std::vector<std::size_t>* Entries(const TreeNode* node) const;
    void AddDeletedNode(TreeNode* node);
    // For every record, the leaves whose index entries name it (once per entry).
    void BuildLeafMap(std::size_t recordCount);

    int treeKey_ = tkDateUser;
    int nextTreeKey_ = tkDateUser;
    std::string deletedNodeText_ = "-";
    std::string countUnitText_;
    std::deque<TreeNode> nodes_;  // every node but root_, in the order made
    TreeNode root_;               // holds the root nodes; never shown
    TreeNode* deletedNode_ = nullptr;
    TreeNode* selected_ = nullptr;
    std::size_t nodeCount_ = 0;
    std::unordered_map<SiblingKey, TreeNode*, SiblingHash, SiblingEqual> siblings_;
    MessageIndex index_;
    // Made on the first flip after a build: record i's leaves are
    // leafList_[leafStart_[i] .. leafStart_[i + 1]).
    std::vector<std::size_t> leafStart_;
    std::vector<TreeNode*> leafList_;
    // The last path added, in the order of its levels, and its nodes.
    std::array<std::string, 4> lastPath_;
    std::array<TreeNode*, 4> lastNodes_ = {};
    std::size_t lastKnown_ = 0;  // how many of lastNodes_ are valid
};

}  // namespace qx
