#include "ui/EditCommands.h"

#include "browse/NodeDeletion.h"
#include "ui/MessageList.h"
#include "ui/MessageListModel.h"
#include "ui/MessageView.h"
#include "ui/TreePane.h"

namespace qx::ui {

EditCommands::EditCommands(const CommandContext& context) : c_(context) {
    c_.Register("actDelete", [this] { actDeleteExecute(); });
    c_.Register("actUnDelete", [this] { actUnDeleteExecute(); });
    c_.Register("actDeleteSelect", [this] { actDeleteSelectExecute(); });
}

void EditCommands::actDeleteExecute() {
    if (c_.session->ReadOnlyMode) return;
    TreeNode* node = c_.tree->Selected();
    if (node == nullptr || c_.tree->Tree().IsDeletedNode(node)) return;
    TakeOutFirstRow(true);
}

void EditCommands::actUnDeleteExecute() {
    if (c_.session->ReadOnlyMode) return;
    if (!c_.tree->Tree().IsDeletedNode(c_.tree->Selected())) return;
    TakeOutFirstRow(false);
}

void EditCommands::TakeOutFirstRow(bool deleted) {
    const int row = c_.list->FirstSelectedRow();
    if (row < 0) return;
    const ListRow& r = c_.list->Model()->Row(row);
    if (!r.IsMessageRow() || r.record >= c_.session->records.size()) return;
    // One message per command, even when several rows are selected.
    const std::size_t record = r.record;
    const bool flips = c_.session->records[record].Deleted() != deleted;
    c_.session->SetDeleted(record, deleted);
    c_.list->RemoveRow(row);
    SelectFollowUp(row);
    c_.ops->UpdateStatusBar();
    if (flips) c_.tree->UpdateNodeCounts(c_.session->records, {record});
}

void EditCommands::SelectFollowUp(int row) {
    const int count = c_.list->RowCount();
    if (count == 0) {
        c_.view->Clear();
        c_.ops->UpdateCommandState();
        return;
    }
    c_.list->AddToSelection(row < count ? row : count - 1);
    c_.ops->lvLogChange();  // the view shows what is selected now
}

void EditCommands::actDeleteSelectExecute() {
    if (c_.session->ReadOnlyMode) return;
    LogTree& tree = c_.tree->Tree();
    TreeNode* node = c_.tree->Selected();
    if (node == nullptr || tree.IsDeletedNode(node)) return;
    for (std::size_t i :
         NodeDeletions(c_.session->records, tree.TreeKey(), tree.SelectedPath(node)))
        c_.session->SetDeleted(i, true);
    // The tree stays as it is: emptied nodes keep their place with a count of 0.
    c_.ops->tvLogChange();
    c_.ops->UpdateStatusBar();
    c_.tree->UpdateNodeCounts(c_.session->records);
}

}  // namespace qx::ui
