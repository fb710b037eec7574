// Saving: over the log, as another file, and the messages of one tree node; the
// question about unsaved deletions and the encryption at exit.
#pragma once

#include <QString>
#include <string>

#include "browse/Selection.h"
#include "logstore/LogSession.h"
#include "ui/CommandContext.h"

namespace qx::ui {

class SaveCommands {
public:
    explicit SaveCommands(const CommandContext& context);

    void actSaveExecute();
    void actSaveAsExecute();
    void actSaveSelectExecute();

    // Before another log is loaded and at close: while deletions are unsaved, asks
    // whether to save them, and on Yes runs Save As.
    void AskToSavePendingDeletions();
    // The saving part of closing: the question above, or else, with "AutoEncode"
    // on, the save over the log when its last message is plainer than the save type.
    void AtClose();

    // The options of the settings page.
    WriteOptions Options() const;
    // Writes the log (filter null) or a selection to target, with the commands
    // and the reload timer off meanwhile.
    WriteStatus Write(const std::string& target, const SelectionFilter* filter);

private:
    // The save dialog; an empty text when it was cancelled.
    QString AskTarget(const QString& folder, const QString& fileName);

    CommandContext c_;
};

}  // namespace qx::ui
