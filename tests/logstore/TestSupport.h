// Fixtures and a scripted person for the log store tests.
#pragma once

#ifndef _WIN32
#include <stdlib.h>
#include <unistd.h>
#endif

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "logstore/LogData.h"
#include "logstore/SessionUi.h"

namespace qx::test {

inline const std::string kTop = std::string(36, '=') + "=";
inline const std::string kBody = std::string(36, '-') + "-";

// One plain block with CR LF line ends.
inline std::string Block(const std::string& header, const std::string& body,
                         const std::string& top = kTop, const std::string& sep = kBody) {
    std::string out = top + "\r\n";
    std::istringstream h(header);
    for (std::string line; std::getline(h, line);) out += line + "\r\n";
    out += sep + "\r\n";
    std::istringstream b(body);
    for (std::string line; std::getline(b, line);) out += line + "\r\n";
    return out;
}

inline std::string Msg(const std::string& who, const std::string& when, const std::string& body,
                       const std::string& dir = "From") {
    return Block(" " + dir + ": " + who + "\n  at " + when, body);
}

// Every field and mark of a record in one text, to compare records whole.
inline std::string RecordText(const LogData& r) {
    std::string t;
    for (std::string_view f : {r.Direction(), r.UserName(), r.BracketName(), r.GroupName(), r.HostName(),
                               r.IpAddress(), r.Year(), r.Month(), r.Day(), r.WeekDay(), r.Time(),
                               r.AttachLine(), r.DateNote(), r.HeaderText(), r.BodyText()}) {
        t.append(f);
        t.push_back('\x1f');
    }
    return t + r.TopSeparator() + r.BodySeparator() + std::to_string(r.HeaderMode()) + "/" +
           std::to_string(r.BodyMode()) + "/" + std::to_string(r.AddresseeCount()) + "/" +
           std::to_string(r.TextBytes());
}

class TempDir {
public:
    TempDir() {
#ifdef _WIN32
        // No mkdtemp here: a random name, taken only when no folder has it.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto p = std::filesystem::temp_directory_path() / ("qxtest-" + std::to_string(random()));
            if (std::filesystem::create_directory(p)) path_ = p.generic_string();
        }
#else
        std::string tmpl = (std::filesystem::temp_directory_path() / "qxtest-XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
#endif
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
inline void AppendFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Answers password prompts from a script and records what it was told.
class ScriptedUi : public SessionUi {
public:
    std::deque<std::optional<PasswordEntry>> answers;
    std::vector<bool> asked;  // twoFields of each prompt
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::function<void()> onEvents;

    void Answer(const std::string& pw) { answers.push_back(PasswordEntry{pw, pw}); }

    std::optional<PasswordEntry> AskPasswordOnce(bool twoFields) override {
        asked.push_back(twoFields);
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowMessage(std::string_view key, std::string_view prefix) override {
        messages.push_back(std::string(prefix) + std::string(key));
    }
    void ShowError(std::string_view text) override { errors.emplace_back(text); }
    void ProcessEvents() override {
        if (onEvents) onEvents();
    }
};

}  // namespace qx::test
