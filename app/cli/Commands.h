// Pieces shared by the command-line tool's subcommands.
#pragma once

#include <cstdio>
#include <string>

#include "CliUi.h"
#include "logstore/LogSession.h"
#include "platform/ReplaceFile.h"

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
// Where export writes: standard output for "" or "-", otherwise a file that
// is put in place in one step once everything was written (so a failed export
// leaves an older file as it was).
class Output {
public:
    // `source` is the log being read, which the output may not replace.
    Output(const std::string& path, const std::string& source);
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    bool ok() const { return ok_; }
    void Write(const std::string& text);
    // Puts the file in place; false (after a message naming it) when anything
    // could not be written.
    bool Finish();

private:
    bool Fail(int err);
    bool HandOn();
    std::string path_;
    std::string realPath_;
    sys::TempFile file_;
    std::string buf_;
    bool ok_ = false;
    bool failed_ = false;
    int error_ = 0;
};

// The text printed by "info".
std::string FormatInfo(LogSession& session);

// Prints every message, then follows the file until interrupted.
int Follow(LogSession& session, CliUi& ui, bool jsonl);

}  // namespace qx::cli
