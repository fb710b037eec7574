// Separate message windows: each use copies what the message view shows into a
// new window of its own, placed in a cascade.
#pragma once

#include <QPointer>

#include "browse/MessageWindowRules.h"
#include "ui/CommandContext.h"

namespace qx::ui {

class TForm1;
class TForm5;

class MessageWindowCommands {
public:
    MessageWindowCommands(const CommandContext& context, TForm1* window);

    // OpenMessageWindow. Returns the new window (null when the view was empty).
    TForm5* actMsgFormExecute();

    MessageWindowCascade Cascade;
    // The settings page's font dialog: the font message windows take.
    FontDialogFont DialogFont;

private:
    CommandContext c_;
    TForm1* w_;
};

}  // namespace qx::ui
