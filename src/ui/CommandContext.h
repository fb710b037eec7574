// What the command groups of the main window share: the open log, the panes
// and settings they act on, and the window's own routines they call back.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>

#include "logstore/LogSession.h"

class QTimer;
class QWidget;

namespace qx::ui {

class CommandSet;
class GuiSessionUi;
class MessageList;
class MessageView;
class SettingsPage;
class TreePane;

// The main window's routines that more than one command group runs.
class WindowOps {
public:
    virtual ~WindowOps() = default;
    // A full (or differential) read of fileName; false when the password was given up.
    virtual bool LoadLog(const QString& fileName, bool full) = 0;
    virtual void CloseLog() = 0;
    // A differential read when the file changed size.
    virtual void actReloadExecute() = 0;
    // Brings the tree, the list and the status bar up to a read that `before`
    // records preceded (the catch-up read of a save).
    virtual void ShowRead(const LoadResult& result, std::size_t before) = 0;
    virtual void SetBusy(bool enabled) = 0;
    virtual void UpdateCommandState() = 0;
    virtual void UpdateStatusBar() = 0;
    virtual void tvLogChange() = 0;
    virtual void lvLogChange() = 0;
    virtual QString DialogFilter() const = 0;
    virtual QString DefaultExt() const = 0;
    // The log list of the open log's folder, after a file was written there.
    virtual void FillLogList() = 0;
};

struct CommandContext {
    QWidget* window = nullptr;
    WindowOps* ops = nullptr;
    LogSession* session = nullptr;
    GuiSessionUi* ui = nullptr;
    CommandSet* commands = nullptr;
    TreePane* tree = nullptr;
    MessageList* list = nullptr;
    MessageView* view = nullptr;
    SettingsPage* settings = nullptr;
    QTimer* timReload = nullptr;

    // Connects a command to its handler and marks it built. An exception that
    // escapes the handler is shown, and the program goes on.
    void Register(const char* action, std::function<void()> handler) const;
};

// Runs a handler; an exception that escapes it is shown, and the program goes on.
void RunGuarded(QWidget* owner, const std::function<void()>& handler);

// "desc|patterns|desc|patterns" as Qt's name filters "desc (patterns)".
QStringList QtNameFilters(const QString& filter);

// File dialogs use Qt's own widgets where there is no desktop to ask (tests).
bool UseOwnFileDialogs();

}  // namespace qx::ui
