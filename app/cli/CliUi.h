// The command-line tool's answers to the log store: passwords from a file or a
// terminal prompt without echo, messages on standard error.
#pragma once

#include <map>
#include <string>

#include "logstore/SessionUi.h"

namespace qx::cli {

class CliUi : public SessionUi {
public:
    // passwordFile: path whose first line is the password ("" to ask on the terminal).
    explicit CliUi(std::string passwordFile = {});

    std::optional<PasswordEntry> AskPasswordOnce(bool twoFields) override;
    void ShowMessage(std::string_view key, std::string_view prefix) override;
    void ShowError(std::string_view text) override;

    // Message texts by key (cp932), e.g. from a language file.
    void SetMessages(std::map<std::string, std::string> texts) { messages_ = std::move(texts); }
    std::string MessageText(std::string_view key) const;

    bool passwordFileError() const { return passwordFileError_; }

private:
    std::string passwordFile_;
    std::map<std::string, std::string> messages_;
    bool passwordFileError_ = false;
};

}  // namespace qx::cli
