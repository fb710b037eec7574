// The send menus (main menu and the view's pop-up), which hand a quoted reply to a
// running messenger, and the tool bar's log list of the open log's folder.
#pragma once

#include <QString>
#include <memory>

#include "messenger/Messenger.h"
#include "ui/CommandContext.h"

class QAction;

namespace qx::ui {

class SendCommands {
public:
    SendCommands(const CommandContext& context, std::unique_ptr<MessengerBridge> bridge);
    ~SendCommands();

    // Tests put a scripted messenger in place of the system's.
    void SetBridge(std::unique_ptr<MessengerBridge> bridge);

    // One entry per running instance in both menus; none: both disabled, with a hint.
    void BuildSendMenus();
    void SendToMessenger(const QAction* entry);
    // The hint of empty menus follows the language.
    void ApplyLanguage();

    void FillLogList();
    void cmbLogListChange(int index);

    // After every successful read of the log.
    void AfterRead();

private:
    void ShowNoInstanceHint(bool noInstance);

    CommandContext c_;
    std::unique_ptr<MessengerBridge> bridge_;
};

}  // namespace qx::ui
