// Pieces shared by the command-line tool's subcommands.
#pragma once

#include <cstdio>
#include <string>

#include "CliUi.h"
#include "logstore/LogSession.h"

namespace qx::cli {

enum ExitCode { kExitOk = 0, kExitUsage = 1, kExitFile = 2, kExitPassword = 3 };

// Loads a log in full; the exit code for what went wrong, or kExitOk.
// The session of one command. It is never destroyed: the process ends right
// after the command, and the system takes back a large log's memory at once
// rather than record by record.
LogSession& CommandSession(CliUi& ui);

int LoadForCli(LogSession& session, CliUi& ui, const std::string& path);

// Asks for the password before an encrypted body is decoded, when none is known.
int EnsurePassword(LogSession& session, const LogData& record);

// Standard output or a file given by -o.
class Output {
public:
    explicit Output(const std::string& path);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    bool ok() const { return file_ != nullptr; }
    void Write(const std::string& text);
    void Flush();
    // Closes the file; false (after a message) when anything could not be written.
    bool Finish();

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

// The text printed by "info".
std::string FormatInfo(LogSession& session);

// Prints every message, then follows the file until interrupted.
int Follow(LogSession& session, CliUi& ui, bool jsonl);

}  // namespace qx::cli
