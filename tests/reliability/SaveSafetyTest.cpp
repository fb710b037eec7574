// Saves that meet other saves, links, other people's files and odd targets.
// None of them may lose, double or leak a message, or write where it should not.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "../logstore/TestSupport.h"
#include "logstore/LogSession.h"
#include "platform/ReplaceFile.h"

namespace qx {
namespace {

using namespace test;
namespace fs = std::filesystem;

const std::string kCli = std::string(QX_BIN_DIR) + "/quillorix-cli";

// A log of `count` messages, each body holding a tag of its own.
std::string TaggedLog(int count) {
    std::string log;
    for (int i = 0; i < count; ++i) {
        log += Msg("user" + std::to_string(i % 7) + " (grp/pc" + std::to_string(i % 5) + "/10.0.0." +
                       std::to_string(i % 9 + 1) + ")",
                   "Mon Jan  5 09:03:01 2004", "tag-" + std::to_string(i) + "\nsecond line", i % 3 ? "From" : "To");
    }
    return log;
}

// How often each tag is in the log, read as the program reads it.
std::map<std::string, int> TagCounts(const std::string& path) {
    ScriptedUi ui;
    LogSession s(ui);
    std::map<std::string, int> seen;
    if (!s.LoadLog(path, 0).ok()) return seen;
    for (LogData& r : s.records) {
        const std::string body = r.PlainBody("");
        seen[body.substr(0, body.find("\r\n"))]++;
    }
    return seen;
}

// Whether every tag of TaggedLog(count) is there exactly once; the first
// missing or doubled one otherwise.
std::string EachTagOnce(const std::string& path, int count) {
    const std::map<std::string, int> seen = TagCounts(path);
    for (int i = 0; i < count; ++i) {
        auto it = seen.find("tag-" + std::to_string(i));
        const int n = it == seen.end() ? 0 : it->second;
        if (n != 1) return "tag-" + std::to_string(i) + " is there " + std::to_string(n) + " times";
    }
    if (seen.size() != static_cast<std::size_t>(count)) return std::to_string(seen.size()) + " distinct bodies";
    return "";
}

// Starts quillorix-cli with the arguments, its error output to errFile.
pid_t StartCli(const std::vector<std::string>& args, const std::string& errFile) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(err, 2);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        std::vector<char*> argv{const_cast<char*>(kCli.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(kCli.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

int RunCli(const std::vector<std::string>& args, std::string* err = nullptr) {
    TempDir scratch;
    const int code = Wait(StartCli(args, scratch.File("err")));
    if (err) *err = ReadFile(scratch.File("err"));
    return code;
}

TEST(SaveSafety, TwoSavesAtOnceKeepEveryMessageExactlyOnce) {
    constexpr int kMessages = 6000;
    TempDir dir;
    const std::string log = dir.File("tagged.log");
    const std::string link = dir.File("link.log");
    WriteFile(log, TaggedLog(kMessages));
    fs::create_symlink("tagged.log", link);
    // Both saves by the log's name, and one of them through a link to it.
    for (const std::string& second : {log, link}) {
        for (int round = 0; round < 4; ++round) {
            SCOPED_TRACE((second == log ? "same name, round " : "through a link, round ") + std::to_string(round));
            const pid_t a = StartCli({"convert", log, "-o", log, "--save-type", "0"}, dir.File("a.err"));
            const pid_t b = StartCli({"convert", second, "-o", second, "--save-type", "1"}, dir.File("b.err"));
            EXPECT_EQ(Wait(a), 0) << ReadFile(dir.File("a.err"));
            EXPECT_EQ(Wait(b), 0) << ReadFile(dir.File("b.err"));
            EXPECT_EQ(EachTagOnce(log, kMessages), "");
            EXPECT_TRUE(sys::TempFilesFor(log).empty());
        }
        EXPECT_TRUE(fs::is_symlink(link));
    }
}

TEST(SaveSafety, ASaveWaitsWhileAnotherSaveOfTheFileHoldsIt) {
    TempDir dir;
    const std::string log = dir.File("x.log");
    WriteFile(log, TaggedLog(20));
    ScriptedUi ui;
    LogSession s(ui);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    sys::FileLock other;
    ASSERT_EQ(other.Lock(log, 0, [] {}), sys::FileLock::Result::Locked);
    std::atomic<bool> released{false};
    std::thread holder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        released = true;
        other.Unlock();
    });
    WriteOptions encoded;
    encoded.saveType = 1;
    EXPECT_EQ(s.WriteLog(log, encoded), WriteStatus::Written);
    EXPECT_TRUE(released) << "the save went on only once the other let go";
    holder.join();
    EXPECT_EQ(EachTagOnce(log, 20), "");
}

TEST(SaveSafety, ALogReplacedSinceItWasReadIsReadAgainBeforeTheSave) {
    TempDir dir;
    const std::string log = dir.File("x.log");
    WriteFile(log, TaggedLog(50));
    ScriptedUi ui;
    LogSession mine(ui);
    ASSERT_TRUE(mine.LoadLog(log, 0).ok());

    // Another program puts a file of the same size in place: this save writes
    // what that file holds, not what was read before it came.
    std::string sameSize = TaggedLog(50);
    sameSize.replace(sameSize.find("tag-49"), 6, "tag-94");
    WriteFile(dir.File("new.log"), sameSize);
    fs::rename(dir.File("new.log"), log);
    EXPECT_TRUE(mine.FileChanged());
    WriteOptions encoded;
    encoded.saveType = 1;
    ASSERT_EQ(mine.WriteLog(log, encoded), WriteStatus::Written);
    std::map<std::string, int> tags = TagCounts(log);
    EXPECT_EQ(tags["tag-94"], 1);
    EXPECT_EQ(tags.count("tag-49"), 0u);
    EXPECT_EQ(tags.size(), 50u);
    WriteFile(log, TaggedLog(50));
    ASSERT_TRUE(mine.LoadLog(log, 0).ok());

    // Another save puts a new file in place, and the messenger appends to it.
    const std::string extra = Msg("late (pc)", "Mon Jan  5 10:00:00 2004", "tag-50");
    {
        ScriptedUi otherUi;
        LogSession other(otherUi);
        ASSERT_TRUE(other.LoadLog(log, 0).ok());
        ASSERT_EQ(other.WriteLog(log, encoded), WriteStatus::Written);
        AppendFile(log, extra);
    }
    EXPECT_TRUE(mine.FileChanged());
    ASSERT_EQ(mine.WriteLog(log, WriteOptions{}), WriteStatus::Written);
    EXPECT_EQ(EachTagOnce(log, 51), "");
    EXPECT_EQ(ReadFile(log), TaggedLog(50) + extra) << "the plain save wrote the new file's records";

    // With deletions pending, their records are gone: the save says so and
    // writes nothing rather than keep what was deleted.
    ASSERT_TRUE(mine.LoadLog(log, 0).ok());
    mine.SetDeleted(3, true);
    const std::string replaced = TaggedLog(51);
    WriteFile(dir.File("new.log"), replaced);
    fs::rename(dir.File("new.log"), log);
    ui.errors.clear();
    EXPECT_EQ(mine.WriteLog(log, WriteOptions{}), WriteStatus::Failed);
    ASSERT_FALSE(ui.errors.empty());
    EXPECT_NE(ui.errors.back().find("replaced"), std::string::npos) << ui.errors.back();
    EXPECT_EQ(ReadFile(log), replaced);
    EXPECT_EQ(mine.PendingDeletions, 0);
    EXPECT_EQ(mine.records.size(), 51u);
}

TEST(SaveSafety, ALinkedLogIsSavedThroughItsLink) {
    TempDir dir;
    fs::create_directory(dir.File("real"));
    fs::create_directory(dir.File("links"));
    const std::string real = dir.File("real/x.log");
    const std::string link = dir.File("links/x.log");
    const std::string plain = TaggedLog(20);
    WriteFile(real, plain);
    fs::create_symlink("../real/x.log", link);  // relative to the link's folder
    fs::create_symlink("x.log", dir.File("links/y.log"));  // a link to the link

    for (const std::string& name : {link, dir.File("links/y.log")}) {
        ASSERT_EQ(RunCli({"convert", name, "-o", name, "--save-type", "1"}), 0);
        EXPECT_TRUE(fs::is_symlink(name));
        EXPECT_NE(ReadFile(real), plain) << "the real file holds the new form";
        EXPECT_EQ(EachTagOnce(real, 20), "");
        ASSERT_EQ(RunCli({"convert", name, "-o", name, "--save-type", "0"}), 0);
        EXPECT_EQ(ReadFile(real), plain);
    }
    EXPECT_TRUE(sys::TempFilesFor(real).empty());
    EXPECT_TRUE(sys::TempFilesFor(link).empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("links")), fs::directory_iterator()), 2)
        << "nothing but the two links in their folder";
}

TEST(SaveSafety, APlantedLinkIsNeverFollowed) {
    TempDir dir;
    const std::string log = dir.File("x.log");
    const std::string victim = dir.File("victim");
    WriteFile(log, TaggedLog(20));
    WriteFile(victim, "not the log's\n");
    // Links at the name a save used to take, and at names of our own pattern.
    const std::vector<std::string> planted = {dir.File(".x.log.quillorix-save.tmp"),
                                              sys::TempPrefixFor(log) + "1-1.tmp", sys::TempPrefixFor(log) + ".tmp"};
    for (const std::string& p : planted) fs::create_symlink(victim, p);

    ASSERT_EQ(RunCli({"convert", log, "-o", log, "--save-type", "1"}), 0);
    EXPECT_EQ(ReadFile(victim), "not the log's\n");
    EXPECT_FALSE(fs::is_symlink(log));
    EXPECT_EQ(EachTagOnce(log, 20), "");
    for (const std::string& p : planted) EXPECT_TRUE(fs::is_symlink(p)) << p << " is left alone";

    // Creating the temporary file never goes through anything already there.
    sys::OutputFile out;
    EXPECT_FALSE(out.CreateNew(planted[0], 0600));
    EXPECT_EQ(out.error(), EEXIST);
    EXPECT_EQ(ReadFile(victim), "not the log's\n");
}

TEST(SaveSafety, AKilledSavesTemporaryFileIsSweptButARunningOneIsNot) {
    TempDir dir;
    const std::string log = dir.File("x.log");
    WriteFile(log, TaggedLog(5));
    sys::TempFile running;
    ASSERT_TRUE(running.Create(log, 0600));
    // A file of a save that died: same pattern, nobody holds it.
    const std::string stale = sys::TempPrefixFor(log) + "99999-7.tmp";
    WriteFile(stale, "half a save");
    sys::RemoveStaleTempFiles(log);
    EXPECT_TRUE(fs::exists(running.path()));
    EXPECT_FALSE(fs::exists(stale));
    const std::string path = running.path();
    running.Discard();
    EXPECT_FALSE(fs::exists(path));
}

TEST(SaveSafety, OwnerGroupModeAndAttributesOfTheLogAreKept) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to hand a file to another user";
    TempDir dir;
    chmod(dir.path().c_str(), 0777);
    const std::string log = dir.File("x.log");
    WriteFile(log, TaggedLog(10));
    ASSERT_EQ(chown(log.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(log.c_str(), 0600), 0);
    const bool hasAttributes = setxattr(log.c_str(), "user.quillorix", "kept", 4, 0) == 0;

    // Root saves another user's private log: it stays theirs, and private.
    ASSERT_EQ(RunCli({"convert", log, "-o", log, "--save-type", "1"}), 0);
    struct stat st {};
    ASSERT_EQ(stat(log.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    if (hasAttributes) {
        char value[16] = {};
        EXPECT_EQ(getxattr(log.c_str(), "user.quillorix", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }

    // Someone who may write the file but cannot give it away is told so.
    ASSERT_EQ(chown(log.c_str(), 0, 0), 0);
    ASSERT_EQ(chmod(log.c_str(), 0666), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(20);
        ScriptedUi ui;
        LogSession s(ui);
        if (!s.LoadLog(log, 0).ok()) _exit(21);
        if (s.WriteLog(log, WriteOptions{}) != WriteStatus::Written) _exit(22);
        if (ui.errors.empty() || ui.errors.back().find("owner") == std::string::npos ||
            ui.errors.back().find(log) == std::string::npos) {
            _exit(23);
        }
        _exit(0);
    }
    EXPECT_EQ(Wait(pid), 0);
    ASSERT_EQ(stat(log.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u);
    EXPECT_EQ(EachTagOnce(log, 10), "");
}

TEST(SaveSafety, TargetsThatAreNoRegularFileAreRefused) {
    TempDir dir;
    const std::string log = dir.File("x.log");
    WriteFile(log, TaggedLog(5));
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    fs::create_directory(dir.File("folder"));
    struct Case {
        std::vector<std::string> args;
        std::string named;
    };
    const Case cases[] = {
        {{"convert", log, "-o", fifo, "--save-type", "0"}, fifo},
        {{"convert", log, "-o", dir.File("folder"), "--save-type", "1"}, dir.File("folder")},
        {{"export", log, "-o", fifo}, fifo},
        {{"export", log, "-o", log}, log},  // would put JSON in place of the log
    };
    for (const Case& c : cases) {
        std::string err;
        EXPECT_EQ(RunCli(c.args, &err), 2) << c.args[3];
        EXPECT_NE(err.find("[" + c.named + "]"), std::string::npos) << err;
    }
    struct stat st {};
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(fs::is_directory(dir.File("folder")));
    EXPECT_EQ(ReadFile(log), TaggedLog(5));
    EXPECT_TRUE(sys::TempFilesFor(fifo).empty());
}

}  // namespace
}  // namespace qx
