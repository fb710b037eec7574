// Taking text out of the message view: copy, copy with a quote prefix, select all.
#pragma once

#include <QString>

#include "ui/CommandContext.h"

namespace qx::ui {

class GuiSessionUi;
class MessageView;

// The view's selected text with plain line ends ("" when nothing is selected).
QString SelectedViewText(const MessageView& view);

// Asks for the quote prefix (">" offered; cancel quotes with none) and returns
// the text with it before every line, each line ended by CR LF.
QString AskAndQuote(QWidget* owner, const GuiSessionUi& ui, const QString& text);

class CopyCommands {
public:
    explicit CopyCommands(const CommandContext& context);

    void actCopyExecute();
    void actCopy2Execute();
    void actAllSelectExecute();

private:
    CommandContext c_;
};

}  // namespace qx::ui
