#include "browse/CommandRules.h"

namespace qx {

const char* CommandName(Command command) {
    switch (command) {
        case Command::Load:
            return "actLoad";
        case Command::Reload:
            return "actReload";
        case Command::Save:
            return "actSave";
        case Command::SaveAs:
            return "actSaveAs";
        case Command::SaveSelect:
            return "actSaveSelect";
        case Command::Delete:
            return "actDelete";
        case Command::UnDelete:
            return "actUnDelete";
        case Command::DeleteSelect:
            return "actDeleteSelect";
        case Command::SelectOpen:
            return "actSelectOpen";
        case Command::SelectClose:
            return "actSelectClose";
        case Command::Copy:
            return "actCopy";
        case Command::Copy2:
            return "actCopy2";
        case Command::AllSelect:
            return "actAllSelect";
        case Command::MoveTop:
            return "actMoveTop";
        case Command::MoveBottom:
            return "actMoveBottom";
        case Command::MoveUp:
            return "actMoveUp";
        case Command::MoveDown:
            return "actMoveDown";
        case Command::Find:
            return "actFind";
        case Command::MsgForm:
            return "actMsgForm";
        case Command::Count:
            break;
    }
    return "";
}

EnabledCommands EnabledFor(const SelectionState& s) {
    EnabledCommands on;
    const bool writable = s.logOpen && !s.readOnly && !s.busy;
    const bool dataNode = s.nodeSelected && !s.deletedNodeSelected;
    const bool messageRow = s.rowSelected && s.nodeSelected && s.firstRowIsMessage;

    on.Set(Command::Copy, s.viewHasSelection);
    on.Set(Command::Copy2, s.viewHasSelection);
    on.Set(Command::AllSelect, true);
    on.Set(Command::Find, true);
    on.Set(Command::MsgForm, true);
    on.Set(Command::Load, !s.busy);
    on.Set(Command::Reload, !s.busy);
    on.Set(Command::Save, writable);
    on.Set(Command::SaveAs, writable);
    on.Set(Command::SaveSelect, dataNode && writable);
    on.Set(Command::DeleteSelect, dataNode && writable);
    on.Set(Command::SelectOpen, dataNode);
    on.Set(Command::SelectClose, dataNode);
    on.Set(Command::Delete, messageRow && !s.deletedNodeSelected && writable);
    on.Set(Command::UnDelete, messageRow && s.deletedNodeSelected && writable);
    for (Command c : {Command::MoveTop, Command::MoveBottom, Command::MoveUp, Command::MoveDown})
        on.Set(c, !s.busy);
    return on;
}

}  // namespace qx
