// The statistics graph: counts the open log's messages by the graph window's
// type and hands them to the chart. The window lives from program start, hidden
// until the command shows it.
#pragma once

#include "ui/CommandContext.h"

namespace qx::ui {

class TForm1;
class TForm6;

class GraphCommands {
public:
    GraphCommands(const CommandContext& context, TForm1* window);

    TForm6* Form6() const { return form_; }

    // Recounts by the selected type and shows the window.
    void actGraphExecute();
    void btnExecClick();
    void chkDispValueClick();
    void CountMessages(int type);

    // "DispValue" of the settings file.
    void LoadSettings(bool dispValue);
    bool DispValue() const;

private:
    CommandContext c_;
    TForm1* w_;
    TForm6* form_;
    bool placed_ = false;
};

}  // namespace qx::ui
