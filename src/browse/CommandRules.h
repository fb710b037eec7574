// Which commands of the main window are available, as a function of what is open
// and selected. The window gathers the state and applies the answer.
#pragma once

#include <bitset>
#include <cstddef>

namespace qx {

enum class Command : std::size_t {
    Load,
    Reload,
    Save,
    SaveAs,
    SaveSelect,
    Delete,
    UnDelete,
    DeleteSelect,
    SelectOpen,
    SelectClose,
    Copy,
    Copy2,
    AllSelect,
    MoveTop,
    MoveBottom,
    MoveUp,
    MoveDown,
    Find,
    MsgForm,
    Count
};
inline constexpr std::size_t kCommandCount = static_cast<std::size_t>(Command::Count);

// The action name of a command ("actSave").
const char* CommandName(Command command);

struct SelectionState {
    bool logOpen = false;
    bool readOnly = false;             // the open log is never written
    bool busy = false;                 // a read or write is running
    bool nodeSelected = false;         // a tree node is selected
    bool deletedNodeSelected = false;  // ... and it is the deleted-messages node
    bool rowSelected = false;          // the list has a selected row
    bool firstRowIsMessage = false;    // the first selected row is a message, not a folder
    bool viewHasSelection = false;     // the message view has selected text
};

class EnabledCommands {
public:
    bool operator[](Command c) const { return bits_[static_cast<std::size_t>(c)]; }
    void Set(Command c, bool on) { bits_[static_cast<std::size_t>(c)] = on; }
    bool operator==(const EnabledCommands&) const = default;

private:
    std::bitset<kCommandCount> bits_;
};

// The enabled set for a state.
//  - Copy and Copy2 follow the view's selection; AllSelect is always available.
//  - Load and Reload are off only while busy; the save commands need an open,
//    writable log and no read or write running.
//  - SaveSelect, DeleteSelect, SelectOpen and SelectClose need a selected node
//    other than the deleted-messages node (the two that write or mark also a
//    writable log and no work running: a read-only log could collect deletions
//    that can never be saved).
//  - Delete needs a message row of a node other than the deleted-messages node,
//    UnDelete one of the deleted-messages node; both need a writable log and no
//    work running, so that a mark cannot change under a save.
//  - The move commands are off only while busy.
//  - Find (showing the find window) and MsgForm are always available: the find
//    window holds its own search back while a read or write runs, and a message
//    window of an empty view says so.
EnabledCommands EnabledFor(const SelectionState& state);

}  // namespace qx
