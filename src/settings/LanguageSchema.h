// Every key a language file may hold, with the controls its value goes to.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/LanguageFile.h"

namespace qx {

// What a value does to its targets.
enum class LanguageRole {
    MenuCaption,     // caption, then hint, of a menu
    CommandCaption,  // caption, then hint, of a command; an empty value changes nothing
    ButtonCaption,   // caption, then hint, of a button
    ColumnTitles,    // column titles of a list, in column order
    ComboItems,      // items of a combo box, replaced one by one
    Hint,            // hint of a control
    RadioGroup,      // caption of the group, then the captions of its buttons
    Text,            // caption of a label, tab sheet, group box or check box
    Message,         // one of the message texts (see MessageText)
};

struct LanguageKey {
    std::string_view section;
    std::string_view key;
    LanguageValueKind kind;
    LanguageRole role;
    // Object names of the controls or commands that take the value; unused slots
    // are empty. Message texts name no control.
    std::array<std::string_view, 3> targets;
    // The designed text in UTF-8, list items separated by "\n"; empty when the
    // control is designed without one.
    std::string_view builtInUtf8;
};

// Every key, section by section in the order they are applied.
std::span<const LanguageKey> LanguageKeys();

// Null for a key that is not read (such as "Menu"/"String09").
const LanguageKey* FindLanguageKey(std::string_view section, std::string_view key);

// The built-in text split into its items.
std::vector<std::string> BuiltInItems(const LanguageKey& key);

// The message texts of section "Message", by their key number.
enum class MessageText : std::size_t {
    AskSaveDeletions = 0,  // Yes/No question before unsaved deletions are lost
    ReplaceFailed = 1,     // the saved copy could not replace the log
    FileMissing = 2,       // shown after "[" + path + "]"
    DeletedNode = 3,       // caption of the deleted-messages node
    QuotePrompt = 4,       // prompt of the copy-with-quote input box
    HelpMissing = 5,       // the help file is missing
    CannotSaveDeletedNode = 6,
    PasswordLabel = 7,
    PasswordFailed = 8,  // three wrong passwords, the log is not loaded
    PasswordConfirmLabel = 9,
    CountUnit = 10,  // unit after the message count of a tree leaf
    ViewEmpty = 11,  // separate window asked for with an empty view
    HoldsNoMessages = 12,  // shown after "[" + path + "]": a non-empty file without a message
    IsFolder = 13,         // shown after "[" + path + "]": a folder named as the log
    CannotRead = 14,       // shown after "[" + path + "]": a file that cannot be opened
    LineContinues = 15,    // marker of a long line cut short, after the count of bytes left
    LinkFailed = 16,       // status bar, after an address that no program opened
    SendNeedsWindows = 17, // hint of the empty send menus: no messenger instance reachable
};

inline constexpr std::size_t kMessageTextCount = 18;

struct MessageTexts {
    // Before any language file is applied every text is empty but the
    // deleted-messages node's, which is "-".
    std::array<std::string, kMessageTextCount> texts{"", "", "", "-"};

    const std::string& operator[](MessageText t) const {
        return texts[static_cast<std::size_t>(t)];
    }
};

// All message texts of a language file; a missing key gives an empty text.
MessageTexts ReadMessageTexts(const LanguageFile& file);

}  // namespace qx
