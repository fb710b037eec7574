// Moving the selection through the tree and the list: to the first and last
// message, one message up and down across leaves, and opening and closing
// branches. None of them changes the log.
#pragma once

#include "ui/CommandContext.h"

namespace qx::ui {

class NavigateCommands {
public:
    explicit NavigateCommands(const CommandContext& context);

    void actMoveTopExecute();
    void actMoveBottomExecute();
    void actMoveUpExecute();
    void actMoveDownExecute();

private:
    CommandContext c_;
};

}  // namespace qx::ui
