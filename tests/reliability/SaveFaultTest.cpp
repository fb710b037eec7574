// Saves that meet faults: a killed saver, the messenger appending meanwhile, and
// writes that fail. None of them may lose or duplicate a message.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <random>
#include <thread>

#include "../logstore/TestSupport.h"
#include "logstore/LogSession.h"
#include "platform/ReplaceFile.h"

namespace qx {
namespace {

using namespace test;

const std::string kBin = QX_BIN_DIR;

int RunCommand(const std::string& cmd) {
    const int st = std::system(cmd.c_str());
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

TEST(SaveFaults, KilledSaverLeavesTheOldOrTheNewFileWhole) {
    TempDir dir;
    const std::string log = dir.File("big.log");
    ASSERT_EQ(RunCommand(kBin + "/quillorix-genlog -n 30000 --seed 7 -o " + log), 0);
    const std::string plain = ReadFile(log);
    ASSERT_EQ(RunCommand(kBin + "/quillorix-cli convert " + log + " -o " + dir.File("enc.log") + " --save-type 1"), 0);
    const std::string encoded = ReadFile(dir.File("enc.log"));
    ASSERT_NE(plain, encoded);

    std::mt19937 rng(12345);
    int sawOld = 0, sawNew = 0;
    for (int trial = 0; trial < 30; ++trial) {
        const std::string before = ReadFile(log);
        const bool toEncoded = before == plain;
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const std::string cli = kBin + "/quillorix-cli";
            const int fd = open("/dev/null", O_WRONLY);
            dup2(fd, 2);
            execl(cli.c_str(), cli.c_str(), "convert", log.c_str(), "-o", log.c_str(), "--save-type",
                  toEncoded ? "1" : "0", static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 400000)(rng)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        const std::string after = ReadFile(log);
        ASSERT_TRUE(after == plain || after == encoded) << "trial " << trial << ": a half-written log";
        (after == before ? sawOld : sawNew)++;
    }
    // The temporary file of a killed save does not survive the next save.
    ASSERT_EQ(RunCommand(kBin + "/quillorix-cli convert " + log + " -o " + log + " --save-type 0"), 0);
    EXPECT_EQ(ReadFile(log), plain);
    EXPECT_TRUE(sys::TempFilesFor(log).empty());
    std::cout << "killed saves that left the old file: " << sawOld << ", the new file: " << sawNew << "\n";
}

// Appends one whole message the way the messenger does: open, write, close.
void AppendLikeMessenger(const std::string& path, const std::string& block) {
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
    if (fd < 0) return;
    ssize_t done = 0;
    while (done < static_cast<ssize_t>(block.size())) {
        ssize_t w = write(fd, block.data() + done, block.size() - static_cast<std::size_t>(done));
        if (w <= 0) break;
        done += w;
    }
    close(fd);
}

TEST(SaveFaults, MessagesAppendedDuringSavesArriveExactlyOnce) {
    TempDir dir;
    const std::string log = dir.File("live.log");
    ASSERT_EQ(RunCommand(kBin + "/quillorix-genlog -n 3000 --seed 3 -o " + log), 0);
    constexpr int kAppends = 300;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        std::mt19937 rng(99);
        for (int i = 0; i < kAppends; ++i) {
            AppendLikeMessenger(log, Msg("writer (pc)", "Mon Jan  5 09:03:01 2004", "appended-" + std::to_string(i)));
            std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(500, 4000)(rng)));
        }
        done = true;
    });
    ScriptedUi ui;
    LogSession s(ui);
    int saves = 0;
    while (!done || saves < 2) {
        ASSERT_TRUE(s.LoadLog(log, 0).ok());
        WriteOptions o;
        o.saveType = saves % 2;
        ASSERT_EQ(s.WriteLog(log, o), WriteStatus::Written);
        ++saves;
    }
    writer.join();
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    std::map<std::string, int> seen;
    for (auto& r : s.records) {
        if (r.UserName() == "writer,") seen[r.PlainBody("")]++;
    }
    for (int i = 0; i < kAppends; ++i) {
        EXPECT_EQ(seen["appended-" + std::to_string(i) + "\r\n"], 1) << i;
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kAppends));
    std::cout << saves << " saves raced " << kAppends << " appends\n";
}

// Runs fn in a child process and returns its exit code.
template <typename F>
int InChild(F&& fn) {
    const pid_t pid = fork();
    if (pid == 0) _exit(fn());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(SaveFaults, FailedWritesLeaveTheOriginalAndSayWhy) {
    TempDir dir;
    const std::string log = dir.File("x.log");
    std::string original;
    for (int i = 0; i < 2000; ++i) original += Msg("u (pc)", "Mon Jan  5 09:03:01 2004", "line " + std::to_string(i));
    WriteFile(log, original);
    chmod(dir.path().c_str(), 0755);
    chmod(log.c_str(), 0644);

    // A full disk: the file size limit makes the temporary file's writes fail.
    const int full = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        ScriptedUi ui;
        LogSession s(ui);
        if (!s.LoadLog(log, 0).ok()) return 10;
        rlimit lim{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &lim);
        WriteOptions o;
        o.saveType = 1;
        if (s.WriteLog(log, o) != WriteStatus::Failed) return 11;
        if (ui.errors.empty() || ui.errors.back().find(log) == std::string::npos ||
            ui.errors.back().find("too large") == std::string::npos) {
            return 12;
        }
        return 0;
    });
    EXPECT_EQ(full, 0);
    EXPECT_EQ(ReadFile(log), original);
    EXPECT_TRUE(sys::TempFilesFor(log).empty());

    // The same for a log large enough to be written a chunk behind by a second
    // thread: the failure is met there, a few chunks in.
    const std::string large = dir.File("large.log");
    std::string largeOriginal;
    for (int i = 0; i < 12000; ++i) {
        largeOriginal += Msg("u (pc)", "Mon Jan  5 09:03:01 2004", "line " + std::to_string(i) + "\n" + std::string(300, 'x'));
    }
    WriteFile(large, largeOriginal);
    const int fullLate = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        ScriptedUi ui;
        LogSession s(ui);
        if (!s.LoadLog(large, 0).ok()) return 10;
        rlimit lim{3u << 20, 3u << 20};
        setrlimit(RLIMIT_FSIZE, &lim);
        if (s.WriteLog(large, WriteOptions{}) != WriteStatus::Failed) return 11;
        if (ui.errors.empty() || ui.errors.back().find("too large") == std::string::npos) return 12;
        return 0;
    });
    EXPECT_EQ(fullLate, 0);
    EXPECT_EQ(ReadFile(large), largeOriginal);
    EXPECT_TRUE(sys::TempFilesFor(large).empty());

    // A folder that cannot be written: run as an ordinary user when we are root.
    chmod(dir.path().c_str(), 0555);
    const int readOnlyFolder = InChild([&] {
        if (geteuid() == 0 && setuid(65534) != 0) return 20;
        ScriptedUi ui;
        LogSession s(ui);
        if (!s.LoadLog(log, 0).ok()) return 21;
        s.ReadOnlyMode = false;  // the file itself may be writable; the folder is not
        if (s.WriteLog(log, WriteOptions{}) != WriteStatus::Failed) return 22;
        if (ui.errors.empty() || ui.errors.back().find("Permission denied") == std::string::npos) return 23;
        return 0;
    });
    chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(readOnlyFolder, 0);
    EXPECT_EQ(ReadFile(log), original);
}

}  // namespace
}  // namespace qx
