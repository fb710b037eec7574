// How the log store talks to the person using it. The GUI answers with dialogs,
// the command-line tool with a terminal prompt, tests with scripted answers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qx {

// A file's name as messages show it.
inline std::string Bracketed(const std::string& path) { return "[" + path + "]"; }

// What one showing of the password dialog returned.
struct PasswordEntry {
    std::string first;
    std::string second;  // two-field form only
};

class SessionUi {
public:
    virtual ~SessionUi() = default;

    // Shows the password dialog once. nullopt means the person gave up, which only
    // non-graphical front ends allow (the dialog itself cannot be dismissed).
    virtual std::optional<PasswordEntry> AskPasswordOnce(bool twoFields) = 0;

    // A message box with `prefix` followed by the language text `key`
    // ("String00" ... "String11" of section "Message").
    virtual void ShowMessage(std::string_view key, std::string_view prefix) = 0;

    // A file could not be read or written. The text names the file and the reason.
    virtual void ShowError(std::string_view text) = 0;

    virtual void ProgressBegin(std::string_view /*caption*/) {}
    virtual void Progress(int /*percent*/) {}
    virtual void ProgressEnd() {}
    // Lets pending window events run during long work.
    virtual void ProcessEvents() {}
};

}  // namespace qx
