// Generated logs for the core benchmarks: made once per run in a temporary folder
// by quillorix-genlog, and kept loaded one at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "logstore/LogSession.h"
#include "logstore/SessionUi.h"

namespace qxbench {

// The password quillorix-genlog uses unless told otherwise.
inline constexpr std::string_view kPassword = "genlog-password";

// Answers every password prompt with kPassword; reports errors on stderr so a
// benchmark that silently failed to load shows why.
class FixedPasswordUi : public qx::SessionUi {
public:
    std::optional<qx::PasswordEntry> AskPasswordOnce(bool twoFields) override;
    void ShowMessage(std::string_view key, std::string_view prefix) override;
    void ShowError(std::string_view text) override;
    int problems = 0;  // messages and errors shown so far
};

enum class LogKind {
    Plain,      // genlog -n N, save type 0
    Encrypted,  // genlog -n N, save type 2 with the headers encrypted too
    Grown,      // genlog -n N+1000, save type 0: a log of N messages and 1000 appended ones
    Leaf,       // Plain with the dates of its last 10 000 messages moved to one day
};

inline constexpr std::size_t kAppended = 1000;
inline constexpr std::size_t kLeafMessages = 10000;

// Sets up the run's temporary folder and finds quillorix-genlog beside this
// executable. Returns an explanation when either is impossible.
std::string Prepare();
// Removes the temporary folder and everything in it.
void Cleanup();

// A path in the temporary folder.
std::string TempPath(const std::string& name);
// The log of `messages` messages of the given kind, generated on first use.
const std::string& LogFile(LogKind kind, std::size_t messages);

// That log loaded whole (LoadLog(path, 0)). Only the most recently requested log
// stays in memory; the next request for another one replaces it. Null when the
// load failed.
qx::LogSession* LoadedLog(LogKind kind, std::size_t messages);
FixedPasswordUi& SharedUi();

// The bytes of a file.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes, bool append = false);
// Byte offset of the top separator line of block `block` (0-based), or the size
// of `bytes` when there are not that many blocks.
std::size_t BlockOffset(std::string_view bytes, std::size_t block);

// Peak resident memory, in KiB, of a fresh process that loads `path` whole.
// -1 when the child could not be run.
long long PeakKiBOfLoad(const std::string& path, std::size_t* records);
// Entry point of that child process (this executable with --qx-peak-load PATH).
int PeakLoadChild(const char* path);

}  // namespace qxbench
