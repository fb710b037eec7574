// A messenger bridge that plays a script: the top-level windows, which of them
// answer with a send dialog, the dialog's recipient list and its first child.
// It records what was asked of it.
#pragma once

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "messenger/Messenger.h"

namespace qx::test {

class ScriptedBridge : public MessengerBridge {
public:
    // ---- the script
    std::vector<std::string> windows;          // top-level window classes, in enumeration order
    std::set<std::string> withoutDialog;       // instances whose dialog never appears
    std::vector<std::string> recipients;       // item texts of the dialog's list
    bool hasList = true;
    bool firstChildIsEdit = true;

    // ---- what happened
    int enumerations = 0;
    std::vector<std::string> opened;           // classes whose dialog was asked for
    std::vector<int> selectedItems;            // list items selected, in order
    std::optional<std::string> editText;       // what the Edit holds

    std::vector<std::string> TopLevelWindowClasses() override {
        ++enumerations;
        return windows;
    }
    OpenResult OpenSendDialog(const std::string& windowClass, Dialog& dialog) override {
        if (std::find(windows.begin(), windows.end(), windowClass) == windows.end()) return OpenResult::NoInstance;
        opened.push_back(windowClass);
        if (withoutDialog.count(windowClass) != 0) return OpenResult::NoDialog;
        dialog = opened.size();
        return OpenResult::Opened;
    }
    bool SelectRecipient(Dialog dialog, const std::string& name) override {
        if (dialog != opened.size() || !hasList) return false;
        const auto it = std::find(recipients.begin(), recipients.end(), name);
        if (it == recipients.end()) return false;
        selectedItems.push_back(static_cast<int>(it - recipients.begin()));
        return true;
    }
    bool SetMessageText(Dialog dialog, const std::string& text) override {
        if (dialog != opened.size() || !firstChildIsEdit) return false;
        editText = text;
        return true;
    }
};

}  // namespace qx::test
