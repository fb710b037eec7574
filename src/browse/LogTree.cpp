#include "browse/LogTree.h"

#include <algorithm>
#include <utility>

#include "browse/TreeLabels.h"
#include "logstore/LogSession.h"

namespace qx {

namespace {

const std::vector<std::size_t> kNoMessages;

TreeNode* LastDescendant(TreeNode* node) {
    while (node->HasChildren()) node = node->Child(node->ChildCount() - 1);
    return node;
}

}  // namespace

LogTree::LogTree() = default;

void LogTree::SetTexts(std::string deletedNodeText, std::string countUnitText) {
    deletedNodeText_ = std::move(deletedNodeText);
    countUnitText_ = std::move(countUnitText);
}

void LogTree::Clear() {
    leafStart_.clear();
    leafList_.clear();
    root_.children_.clear();
    nodes_.clear();
    siblings_.clear();
    deletedNode_ = nullptr;
    selected_ = nullptr;
    nodeCount_ = 0;
    index_.clear();
    ResetLastPath();
}

TreeNode* LogTree::FindOrAddNode(TreeNode* parent, std::string_view label, bool create, int image) {
    TreeNode& owner = parent ? *parent : root_;
    // Host nodes are found by their host alone: the first user met on a host names
    // the node for every other user of that host.
    const bool byHost = parent ? treeKey_ == tkDateHost : treeKey_ == tkHost;
    const std::string_view searched = byHost ? HostPart(label) : label;
    if (auto it = siblings_.find(SiblingRef{&owner, searched}); it != siblings_.end()) {
        return it->second;
    }
    if (!create) return nullptr;
    TreeNode* node = &nodes_.emplace_back();
    node->label_ = std::string(label);
    node->text_ = node->label_;
    node->image_ = image;
    node->parent_ = parent;
    node->row_ = owner.children_.size();
    siblings_.emplace(SiblingKey{&owner, std::string(SearchForm(node->label_, treeKey_))}, node);
    owner.children_.push_back(node);
    ++nodeCount_;
    return node;
}

TreeNode* LogTree::MessageNode(const LogData& record) {
    if (record.Deleted()) return deletedNode_;
    const std::string year(record.Year());
    const std::string month = record.MonthNumber();
    const std::string day = DayLabel(record);
    const std::string user(SplitNames(record.UserName()).front());
    const std::string host(SplitNames(record.HostName()).front());
    std::vector<std::string_view> levels;
    switch (treeKey_) {
        case tkDateUser: levels = {year, month, day, user}; break;
        case tkDateHost: levels = {year, month, day, host}; break;
        case tkUser: levels = {user, year, month, day}; break;
        case tkHost: levels = {host, year, month, day}; break;
        default: levels = {year, month, day}; break;
    }
    TreeNode* node = nullptr;
    for (std::string_view label : levels) {
        node = FindOrAddNode(node, label, false, kImageFolder);
        if (!node) return nullptr;
    }
    return node;
}

void LogTree::AddTreePath(std::string_view a, std::string_view b, std::string_view c,
                          std::string_view d) {
    // Every key descends a, b, d, c: year, month, day, name or name, year, month,
    // day; the date key stops after the day.
    const std::array<std::string_view, 4> levels = {a, b, d, c};
    const std::size_t depth = treeKey_ == tkDate ? 3 : 4;
    std::size_t same = 0;
    while (same < 4 && lastPath_[same] == levels[same]) ++same;
    if (same == 4) return;  // consecutive messages of one path add nothing
    for (std::size_t i = 0; i < 4; ++i) lastPath_[i] = std::string(levels[i]);

    const bool namesFirst = treeKey_ == tkUser || treeKey_ == tkHost;
    // The nodes of the levels this path shares with the previous one are known.
    same = std::min(same, lastKnown_);
    TreeNode* node = same > 0 ? lastNodes_[same - 1] : nullptr;
    for (std::size_t i = same; i < depth; ++i) {
        const bool nameLevel = namesFirst ? i == 0 : i == 3;
        node = FindOrAddNode(node, levels[i], true, nameLevel ? kImagePerson : kImageFolder);
        lastNodes_[i] = node;
    }
    lastKnown_ = depth;
}

void LogTree::ResetLastPath() {
    lastPath_ = {};
    lastKnown_ = 0;
}

void LogTree::AddRecord(const LogData& record, std::size_t index) {
    const std::string year(record.Year());
    const std::string month = record.MonthNumber();
    const std::string day = DayLabel(record);
    const std::string date = year + month + day;
    auto file = [&](std::string key) {
        auto it = index_.try_emplace(std::move(key)).first;
        it->second.push_back(index);
        // The leaf just added to is nearly always the one whose path key this is;
        // telling it its entry now spares the counting a look-up per leaf.
        const std::size_t depth = treeKey_ == tkDate ? 3 : 4;
        TreeNode* leaf = lastKnown_ == depth ? lastNodes_[depth - 1] : nullptr;
        if (leaf && !leaf->entries_ && PathKey(leaf) == it->first) leaf->entries_ = &it->second;
    };

    switch (treeKey_) {
        case tkDateUser:
        case tkUser:
            for (std::string_view user : SplitNames(record.UserName())) {
                if (treeKey_ == tkDateUser) {
                    AddTreePath(year, month, user, day);
                    file(date + std::string(user));
                } else {
                    AddTreePath(user, year, day, month);
                    file(std::string(user) + date);
                }
            }
            break;
        case tkDateHost:
        case tkHost: {
            const auto hosts = SplitNames(record.HostName());
            const auto users = SplitNames(record.UserName());
            for (std::size_t i = 0; i < hosts.size(); ++i) {
                // The lists come from the same addressee lines; a shorter user list
                // (never written by the parser) pairs with an empty name.
                const std::string label = HostUserLabel(hosts[i], i < users.size() ? users[i] : "");
                if (treeKey_ == tkDateHost) {
                    AddTreePath(year, month, label, day);
                    file(date + std::string(hosts[i]));
                } else {
                    AddTreePath(label, year, day, month);
                    file(std::string(hosts[i]) + date);
                }
            }
            break;
        }
        default:
            AddTreePath(year, month, "", day);
            file(date);
            break;
    }
}

namespace {
// The depth of the day nodes under each key (the roots are at depth 1).
int DayLevel(int treeKey) { return treeKey == tkUser || treeKey == tkHost ? 4 : 3; }
}  // namespace

void LogTree::SortChildren(TreeNode& node, int depth) {
    // Sorted by label without the count, so that an extension orders the leaves it
    // has already counted exactly as a full build orders them. Days go by their
    // number (years and months are zero-padded and so sort as text already).
    const bool days = depth + 1 == DayLevel(treeKey_);
    std::stable_sort(node.children_.begin(), node.children_.end(), [days](const TreeNode* x, const TreeNode* y) {
        return (days ? CompareDayLabels(x->label_, y->label_) : CompareLabels(x->label_, y->label_)) < 0;
    });
    for (std::size_t i = 0; i < node.children_.size(); ++i) {
        node.children_[i]->row_ = i;
        SortChildren(*node.children_[i], depth + 1);
    }
}

void LogTree::AddDeletedNode(TreeNode* node) {
    if (!node) {
        node = &nodes_.emplace_back();
        node->image_ = kImageBin;
        ++nodeCount_;
    }
    node->label_ = deletedNodeText_;
    node->text_ = deletedNodeText_;
    node->row_ = root_.children_.size();
    deletedNode_ = node;
    root_.children_.push_back(node);  // not searchable: no message is filed here
}

LogTree::BuildResult LogTree::BuildTree(const std::vector<LogData>& records, std::size_t firstNew,
                                        const std::function<void(int)>& progress) {
    BuildResult result;
    const bool full = firstNew == 0;
    TreeNode* bin = nullptr;  // the deleted-messages node, kept out of the sort
    leafStart_.clear();  // new entries and nodes: made again when next needed
    leafList_.clear();
    if (full) {
        Clear();
        treeKey_ = nextTreeKey_;
        index_.reserve(records.size() / 2);
        siblings_.reserve(records.size() / 2);
    } else if (!Empty()) {
        if (selected_ && selected_ == deletedNode_ && nodeCount_ > 1) {
            selected_ = NodeBefore(deletedNode_);
            result.select = selected_;
        }
        if (deletedNode_) {
            // Re-added after the sort as the same node, so pointers to it stay good.
            bin = deletedNode_;
            root_.children_.pop_back();
        }
    }

    ResetLastPath();
    const std::size_t step = std::max<std::size_t>(records.size() / 100, 1);
    int shown = -1;
    for (std::size_t i = firstNew; i < records.size(); ++i) {
        if (full && progress) {
            const int position = static_cast<int>(std::min<std::size_t>(i / step, 100));
            if (position != shown) {
                shown = position;
                progress(position);
            }
        }
        AddRecord(records[i], i);
    }
    ResetLastPath();

    SortChildren(root_, 0);
    AddDeletedNode(bin);
    UpdateNodeCounts(records);

    if (full && nodeCount_ > 1) {
        TreeNode* before = NodeBefore(deletedNode_);
        switch (treeKey_) {
            case tkDateUser:
            case tkDateHost:
                selected_ = before->Parent() ? before->Parent() : before;
                result.expand = selected_;
                break;
            case tkDate:
                selected_ = before;
                break;
            default:
                selected_ = Root(0);
                break;
        }
        result.select = selected_;
    }
    return result;
}

std::string LogTree::PathKey(const TreeNode* node) const {
    const TreeNode* path[8];  // four levels deep at most
    std::size_t depth = 0;
    for (; node && depth < 8; node = node->Parent()) path[depth++] = node;
    std::string key;
    while (depth > 0) key += SearchForm(path[--depth]->label_, treeKey_);
    return key;
}

std::vector<std::string> LogTree::SelectedPath(const TreeNode* node) const {
    std::vector<std::string> path;
    for (; node; node = node->Parent()) path.emplace_back(SearchForm(node->label_, treeKey_));
    std::reverse(path.begin(), path.end());
    return path;
}

const std::vector<std::size_t>* LogTree::Entries(const TreeNode* node) const {
    if (node->entries_) return node->entries_;
    auto it = index_.find(PathKey(node));
    if (it == index_.end()) return nullptr;
    // Index entries never move and are dropped only with every node, so a node
    // may keep its own.
    node->entries_ = &it->second;
    return node->entries_;
}

const std::vector<std::size_t>& LogTree::MessagesOf(const TreeNode* node) const {
    if (!node || node->HasChildren() || IsDeletedNode(node)) return kNoMessages;
    const std::vector<std::size_t>* entries = Entries(node);
    return entries ? *entries : kNoMessages;
}

int LogTree::NodeMessageCount(const TreeNode* node, const std::vector<LogData>& records) const {
    int count = 0;
    if (IsDeletedNode(node)) {
        for (const LogData& r : records) count += r.Deleted() ? 1 : 0;
        return count;
    }
    const std::vector<std::size_t>* entries = Entries(node);
    if (!entries) return 0;
    for (std::size_t i : *entries) count += (i < records.size() && !records[i].Deleted()) ? 1 : 0;
    return count;
}

void LogTree::UpdateNodeCounts(const std::vector<LogData>& records) {
    ForEachNode([&](TreeNode* node) {
        if (node->HasChildren()) return;
        node->count_ = NodeMessageCount(node, records);
        node->text_ = CountedLabel(node->label_, node->count_, countUnitText_);
    });
}

void LogTree::BuildLeafMap(std::size_t recordCount) {
    leafStart_.assign(recordCount + 1, 0);
    std::vector<TreeNode*> leaves;
    ForEachNode([&](TreeNode* node) {
        if (node->HasChildren() || IsDeletedNode(node)) return;
        const std::vector<std::size_t>* entries = Entries(node);
        if (!entries) return;
        leaves.push_back(node);
        for (std::size_t i : *entries) {
            if (i < recordCount) ++leafStart_[i + 1];
        }
    });
    for (std::size_t i = 0; i < recordCount; ++i) leafStart_[i + 1] += leafStart_[i];
    leafList_.resize(leafStart_[recordCount]);
    std::vector<std::size_t> next(leafStart_.begin(), leafStart_.end() - 1);
    for (TreeNode* node : leaves) {
        for (std::size_t i : *Entries(node)) {
            if (i < recordCount) leafList_[next[i]++] = node;
        }
    }
}

std::vector<TreeNode*> LogTree::UpdateNodeCounts(const std::vector<LogData>& records,
                                                 const std::vector<std::size_t>& flipped) {
    std::vector<TreeNode*> changed;
    if (flipped.empty() || !deletedNode_) return changed;
    if (leafStart_.size() != records.size() + 1) BuildLeafMap(records.size());
    int bin = 0;
    for (std::size_t i : flipped) {
        if (i >= records.size()) continue;
        const int step = records[i].Deleted() ? -1 : 1;  // for the leaves that list it
        bin -= step;
        for (std::size_t k = leafStart_[i]; k < leafStart_[i + 1]; ++k) {
            TreeNode* leaf = leafList_[k];
            if (leaf->count_ < 0) leaf->count_ = 0;
            leaf->count_ += step;
            changed.push_back(leaf);
        }
    }
    deletedNode_->count_ = std::max(deletedNode_->count_, 0) + bin;
    changed.push_back(deletedNode_);
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    for (TreeNode* node : changed)
        node->text_ = CountedLabel(node->label_, node->count_, countUnitText_);
    return changed;
}

TreeNode* LogTree::ChildWithText(const TreeNode* parent, std::string_view text) const {
    const TreeNode& owner = parent ? *parent : root_;
    for (TreeNode* child : owner.children_) {
        if (child->text_ == text) return child;
    }
    return nullptr;
}

TreeNode* LogTree::NodeBefore(const TreeNode* node) const {
    if (!node) return nullptr;
    const TreeNode& owner = node->parent_ ? *node->parent_ : root_;
    if (node->row_ == 0) return node->parent_;
    return LastDescendant(owner.children_[node->row_ - 1]);
}

void LogTree::ForEachNode(const std::function<void(TreeNode*)>& f) const {
    // Iterative pre-order walk: a deep tree is four levels, but keep it flat anyway.
    std::vector<TreeNode*> stack;
    stack.assign(root_.children_.rbegin(), root_.children_.rend());
    while (!stack.empty()) {
        TreeNode* node = stack.back();
        stack.pop_back();
        f(node);
        stack.insert(stack.end(), node->children_.rbegin(), node->children_.rend());
    }
}

}  // namespace qx
