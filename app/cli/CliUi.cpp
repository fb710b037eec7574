#include "CliUi.h"

#include <cstdio>
#include <fstream>
#include <iostream>

#include "platform/Terminal.h"
#include "text/Encoding.h"

namespace qx::cli {

namespace {

// English texts used until a language file is loaded.
const std::map<std::string, std::string>& DefaultMessages() {
    static const std::map<std::string, std::string> texts = {
        {"String00", "There are deleted messages that have not been saved. Save the log now?"},
        {"String01", "Could not replace the log with the saved copy."},
        {"String02", " does not exist."},
        {"String03", "Deleted messages"},
        {"String04", "Quote mark:"},
        {"String05", "The help file was not found."},
        {"String06", "The deleted-messages node cannot be saved."},
        {"String07", "Password:"},
        {"String08", "The password was wrong three times; the log was not loaded."},
        {"String09", "Password again:"},
        {"String10", "messages"},
        {"String11", ""},
    };
    return texts;
}

}  // namespace

CliUi::CliUi(std::string passwordFile) : passwordFile_(std::move(passwordFile)), messages_(DefaultMessages()) {}

std::optional<PasswordEntry> CliUi::AskPasswordOnce(bool twoFields) {
    std::string password;
    if (!passwordFile_.empty()) {
        std::ifstream in(passwordFile_, std::ios::binary);
        if (!in) {
            std::cerr << "quillorix-cli: cannot read the password file [" << passwordFile_ << "]\n";
            passwordFileError_ = true;
            return std::nullopt;
        }
        std::getline(in, password);
        if (!password.empty() && password.back() == '\r') password.pop_back();
        if (password.empty()) {
            std::cerr << "quillorix-cli: the password file [" << passwordFile_
                      << "] is empty; its first line must hold the password\n";
            passwordFileError_ = true;
            return std::nullopt;
        }
    } else {
        std::optional<std::string> first = sys::ReadHiddenLine(Cp932ToUtf8(MessageText("String07")) + " ");
        if (!first) {
            std::cerr << "quillorix-cli: a password is needed; give it on a terminal or with --password-file\n";
            return std::nullopt;
        }
        password = *first;
        if (twoFields && !password.empty()) {
            std::optional<std::string> second = sys::ReadHiddenLine(Cp932ToUtf8(MessageText("String09")) + " ");
            if (!second) return std::nullopt;
            if (*second != password) {
                std::cerr << "The two passwords differ; please type them again.\n";
                return PasswordEntry{"", "x"};
            }
        }
    }
    // An empty password can never be accepted; asking again would loop forever.
    if (password.empty()) return std::nullopt;
    // Keys are cp932 bytes, like every other text of the log.
    password = Utf8LineToCp932(password);
    return PasswordEntry{password, password};
}

std::string CliUi::MessageText(std::string_view key) const {
    auto it = messages_.find(std::string(key));
    return it == messages_.end() ? std::string() : it->second;
}

void CliUi::ShowMessage(std::string_view key, std::string_view prefix) {
    // The prefix names a file: its path is already in the system's encoding.
    std::cerr << prefix << Cp932ToUtf8(MessageText(key)) << '\n';
}

void CliUi::ShowError(std::string_view text) { std::cerr << "quillorix-cli: " << text << '\n'; }

}  // namespace qx::cli
