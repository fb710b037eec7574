#include "BenchLogs.h"

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

extern char** environ;

namespace qxbench {
namespace {

namespace fs = std::filesystem;

std::string g_folder;  // the run's temporary folder
std::string g_genlog;  // quillorix-genlog beside this executable
std::string g_self;    // this executable

std::map<std::pair<LogKind, std::size_t>, std::string>& Files() {
    static std::map<std::pair<LogKind, std::size_t>, std::string> files;
    return files;
}

const char* KindName(LogKind kind) {
    switch (kind) {
        case LogKind::Plain: return "plain";
        case LogKind::Encrypted: return "encrypted";
        case LogKind::Grown: return "grown";
        case LogKind::Leaf: return "leaf";
    }
    return "log";
}

// Runs a program and waits for it; true when it exited with status 0.
bool Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

long long StatusKiB(std::string_view field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(field, 0) == 0) return std::atoll(line.c_str() + field.size());
    }
    return -1;
}

// Moves every header date from block `firstBlock` on to one day (Saturday 15
// March 2025), keeping each message's time, so that a date tree files them
// under one leaf.
std::string MoveDatesToOneDay(std::string bytes, std::size_t firstBlock) {
    std::size_t at = BlockOffset(bytes, firstBlock);
    bool inHeader = false;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (qx::IsTopSeparator(line)) {
            inHeader = true;
        } else if (qx::IsBodySeparator(line)) {
            inHeader = false;
        } else if (inHeader && line.size() >= 29 && line.substr(0, 5) == "  at " &&
                   line[24] == ' ') {
            // "  at Tue Jan  1 08:01:52 2019": day name, month and day, then the year.
            bytes.replace(at + 5, 10, "Sat Mar 15");
            bytes.replace(at + 25, 4, "2025");
        }
        at = end + 1;
    }
    return bytes;
}

}  // namespace

std::optional<qx::PasswordEntry> FixedPasswordUi::AskPasswordOnce(bool) {
    return qx::PasswordEntry{std::string(kPassword), std::string(kPassword)};
}

void FixedPasswordUi::ShowMessage(std::string_view key, std::string_view prefix) {
    ++problems;
    std::cerr << "bench: message " << prefix << key << '\n';
}

void FixedPasswordUi::ShowError(std::string_view text) {
    ++problems;
    std::cerr << "bench: " << text << '\n';
}

FixedPasswordUi& SharedUi() {
    static FixedPasswordUi ui;
    return ui;
}

std::string Prepare() {
    std::error_code ec;
    g_self = fs::read_symlink("/proc/self/exe", ec).string();
    if (ec) return "cannot find this executable: " + ec.message();
    g_genlog = (fs::path(g_self).parent_path() / "quillorix-genlog").string();
    if (access(g_genlog.c_str(), X_OK) != 0) {
        return "quillorix-genlog is not beside this executable (" + g_genlog +
               "); build it first";
    }
    std::string tmpl = (fs::temp_directory_path() / "quillorix-bench-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) return "cannot create a temporary folder";
    g_folder = tmpl;
    return {};
}

void Cleanup() {
    if (g_folder.empty()) return;
    std::error_code ec;
    fs::remove_all(g_folder, ec);
    g_folder.clear();
}

std::string TempPath(const std::string& name) { return g_folder + "/" + name; }

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const std::string& path, std::string_view bytes, bool append) {
    std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::size_t BlockOffset(std::string_view bytes, std::size_t block) {
    std::size_t at = 0, seen = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (qx::IsTopSeparator(line) && seen++ == block) return at;
        at = end + 1;
    }
    return bytes.size();
}

const std::string& LogFile(LogKind kind, std::size_t messages) {
    auto key = std::make_pair(kind, messages);
    auto found = Files().find(key);
    if (found != Files().end()) return found->second;

    const std::string path =
        TempPath(std::string(KindName(kind)) + "-" + std::to_string(messages) + ".log");
    bool ok = true;
    switch (kind) {
        case LogKind::Plain:
            ok = Run({g_genlog, "-n", std::to_string(messages), "-o", path});
            break;
        case LogKind::Encrypted:
            ok = Run({g_genlog, "-n", std::to_string(messages), "-o", path, "--save-type", "2",
                      "--header-encode", "--password", std::string(kPassword)});
            break;
        case LogKind::Grown:
            ok = Run({g_genlog, "-n", std::to_string(messages + kAppended), "-o", path});
            break;
        case LogKind::Leaf: {
            const std::string& plain = LogFile(LogKind::Plain, messages);
            const std::size_t first = messages > kLeafMessages ? messages - kLeafMessages : 0;
            WriteBytes(path, MoveDatesToOneDay(ReadBytes(plain), first));
            break;
        }
    }
    if (!ok) std::cerr << "bench: quillorix-genlog failed for " << path << '\n';
    return Files().emplace(key, path).first->second;
}

qx::LogSession* LoadedLog(LogKind kind, std::size_t messages) {
    static std::unique_ptr<qx::LogSession> session;
    static std::pair<LogKind, std::size_t> loadedKey{LogKind::Plain, 0};
    static bool loaded = false;
    const auto key = std::make_pair(kind, messages);
    if (session && loadedKey == key) return loaded ? session.get() : nullptr;

    session.reset();  // free the previous log before loading the next one
    const std::string& path = LogFile(kind, messages);
    session = std::make_unique<qx::LogSession>(SharedUi());
    loaded = session->LoadLog(path, 0).ok() && session->records.size() == messages;
    loadedKey = key;
    return loaded ? session.get() : nullptr;
}

long long PeakKiBOfLoad(const std::string& path, std::size_t* records) {
    const std::string command = ShellQuote(g_self) + " --qx-peak-load " + ShellQuote(path);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    long long kib = -1;
    unsigned long long count = 0;
    const int read = std::fscanf(pipe, "%lld %llu", &kib, &count);
    if (pclose(pipe) != 0 || read != 2) return -1;
    if (records) *records = static_cast<std::size_t>(count);
    return kib;
}

int PeakLoadChild(const char* path) {
    FixedPasswordUi ui;
    qx::LogSession session(ui);
    if (!session.LoadLog(path, 0).ok()) return 2;
    // Read the high-water mark while the records are still alive.
    std::printf("%lld %zu\n", StatusKiB("VmHWM:"), session.records.size());
    return 0;
}

}  // namespace qxbench
