// Deleting and restoring messages: one message of the list, or every message
// under a tree node. A deletion only marks the record; saving leaves it out.
#pragma once

#include "ui/CommandContext.h"

namespace qx::ui {

class EditCommands {
public:
    explicit EditCommands(const CommandContext& context);

    void actDeleteExecute();
    void actUnDeleteExecute();
    void actDeleteSelectExecute();

private:
    // Marks (or clears) the record of the first selected row and takes the row
    // out of the list.
    void TakeOutFirstRow(bool deleted);
    // After row `row` left the list: selects the row now there, or the new last
    // row, or clears the view when the list is empty.
    void SelectFollowUp(int row);

    CommandContext c_;
};

}  // namespace qx::ui
