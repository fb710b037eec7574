#include <gtest/gtest.h>

#include <optional>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "TestSupport.h"
#include "crypto/ProtectedText.h"
#include "logstore/LogSession.h"
#include "platform/ReplaceFile.h"

namespace qx {
namespace {

using namespace test;

std::string SampleLog() { return ReadFile(std::string(QX_SOURCE_DIR) + "/examples/sample.log"); }

struct Writing : ::testing::Test {
    TempDir dir;
    ScriptedUi ui;
    LogSession s{ui};
    std::string log = dir.File("ipmsg.log");

    void Load(const std::string& bytes) {
        WriteFile(log, bytes);
        ASSERT_TRUE(s.LoadLog(log, 0).ok());
    }
    std::string Convert(const std::string& target, int type, bool header) {
        WriteOptions o;
        o.saveType = type;
        o.headerEncode = header;
        EXPECT_EQ(s.WriteLog(target, o), WriteStatus::Written);
        return ReadFile(target);
    }
};

TEST_F(Writing, EveryFormRoundTripsToThePlainLog) {
    const std::string plain = SampleLog();
    ASSERT_FALSE(plain.empty());
    Load(plain);
    s.CurrentPassword = "pw";
    EXPECT_EQ(Convert(dir.File("same.log"), 0, false), plain);
    struct Case {
        int type;
        bool header;
        char topMark, bodyMark;
    };
    for (const Case c : {Case{1, false, '=', '1'}, Case{1, true, '1', '1'}, Case{2, false, '=', '2'},
                         Case{2, true, '2', '2'}}) {
        SCOPED_TRACE(c.type * 10 + c.header);
        const std::string out = dir.File("form.log");
        const std::string bytes = Convert(out, c.type, c.header);
        ScriptedUi u2;
        u2.Answer("pw");
        LogSession back(u2);
        ASSERT_TRUE(back.LoadLog(out, 0).ok());
        ASSERT_EQ(back.records.size(), s.records.size());
        for (const auto& r : back.records) {
            EXPECT_EQ(r.TopMark(), c.topMark);
            EXPECT_EQ(r.BodyMark(), c.bodyMark);
        }
        EXPECT_EQ(back.records[3].UserName(), s.records[3].UserName());
        WriteOptions o;
        ASSERT_EQ(back.WriteLog(dir.File("back.log"), o), WriteStatus::Written);
        EXPECT_EQ(ReadFile(dir.File("back.log")), plain);
    }
}

TEST_F(Writing, EveryByteReadIsWrittenBackInEveryForm) {
    using namespace std::string_literals;
    const std::string nulInName = Block(" From: al\0ice (grp/pc/10.0.0.1)\n  at Mon Jan  5 09:03:01 2004"s, "x");
    const std::string nulInBody = Msg("bob (pc)", "Mon Jan  5 09:04:01 2004", "hello\0world\n\0\0\nend\0"s);
    const std::string nulEndsHeader = Block(" To: carol (pc)\n  at Mon Jan  5 09:05:01 2004\0"s, "y");
    const std::string notAMessage = kTop + "\r\nno header at all\r\n" + kBody + "\r\nkept\r\n";
    const std::string cases[] = {
        nulInName + nulInBody + nulEndsHeader,
        "notes in front\r\nof the log\n" + notAMessage + nulInBody,  // a first block that is no message
        "nothing but notes\r\n\0\r\n"s,
    };
    s.CurrentPassword = "pw";
    for (const std::string& bytes : cases) {
        Load(bytes);
        for (int type : {0, 1, 2}) {
            for (bool header : {false, true}) {
                SCOPED_TRACE(std::to_string(type) + (header ? " with headers" : ""));
                Convert(dir.File("form.log"), type, header);
                ScriptedUi u2;
                u2.Answer("pw");
                LogSession back(u2);
                ASSERT_TRUE(back.LoadLog(dir.File("form.log"), 0).ok());
                ASSERT_EQ(back.WriteLog(dir.File("back.log"), WriteOptions{}), WriteStatus::Written);
                EXPECT_EQ(ReadFile(dir.File("back.log")), bytes);
            }
        }
    }
    // A header ending in a zero byte cannot be carried encoded: it stays plain.
    Load(nulEndsHeader);
    const std::string encoded = Convert(dir.File("form.log"), 2, true);
    EXPECT_EQ(encoded.substr(0, kTop.size()), kTop);
    EXPECT_EQ(encoded.substr(kTop.size() + 2, 15), " To: carol (pc)");
}

TEST_F(Writing, Mode2LineLengthAndMode1LinePerLine) {
    Load(Msg("a (h)", "Mon Jan  5 09:03:01 2004", "x\n\nyz"));
    s.CurrentPassword = "pw";
    const std::string enc = Convert(dir.File("e.log"), 2, false);
    const std::size_t m = (10 + std::string("x\r\n\r\nyz\r\n").size() + 7) / 8 * 8;
    const std::size_t bodyStart = enc.find(std::string(36, '-') + "2\r\n") + 39;
    EXPECT_EQ(enc.size() - bodyStart, (m + 2) / 3 * 4 + 2);
    const std::string b64 = Convert(dir.File("b.log"), 1, false);
    EXPECT_NE(b64.find(std::string(36, '-') + "1\r\neAAA\r\n\r\neXoA\r\n"), std::string::npos) << b64;
}

TEST_F(Writing, DeletedRecordsAreLeftOut) {
    const std::string a = Msg("a (h)", "Mon Jan  5 09:03:01 2004", "1");
    const std::string b = Msg("b (h)", "Mon Jan  5 09:04:01 2004", "2");
    Load(a + b + a);
    s.SetDeleted(1, true);
    s.SetDeleted(1, true);
    EXPECT_EQ(s.PendingDeletions, 1);
    EXPECT_EQ(Convert(dir.File("o.log"), 0, false), a + a);
    EXPECT_EQ(s.records.size(), 3u) << "still in the collection until the next full load";
}

TEST_F(Writing, RecordsUnderAnotherPasswordAreWrittenAsRead) {
    const std::string key = MakeCipherKey("old");
    const std::string foreign = Block(EncryptText(" From: x (h)\r\n  at Mon Jan  5 09:03:01 2004", key),
                                      EncryptText("kept\r\n", key), std::string(36, '=') + "2",
                                      std::string(36, '-') + "2");
    const std::string plain = Msg("a (h)", "Mon Jan  5 09:04:01 2004", "plain");
    Load(plain);
    AppendFile(log, foreign);
    s.CurrentPassword = "new";
    s.Reload();
    ASSERT_EQ(s.records.size(), 2u);
    for (int type : {0, 1, 2}) {
        const std::string out = Convert(dir.File("o.log"), type, true);
        EXPECT_NE(out.find(foreign), std::string::npos) << "type " << type;
        EXPECT_EQ(out.find(kPasswordNg), std::string::npos);
    }
}

TEST_F(Writing, AppendsDuringTheSaveAreKeptExactlyOnce) {
    std::string all;
    for (int i = 0; i < 50; ++i) all += Msg("u" + std::to_string(i) + " (h)", "Mon Jan  5 09:03:01 2004", "m");
    Load(all);
    const std::string late = Msg("late (h)", "Mon Jan  5 10:00:00 2004", "appended while saving");
    int calls = 0;
    ui.onEvents = [&] {
        if (++calls == 10) AppendFile(log, late);
    };
    s.CurrentPassword = "pw";
    const std::string out = Convert(log, 2, true);
    EXPECT_GE(calls, 10);
    EXPECT_TRUE(out.size() > late.size() && out.substr(out.size() - late.size()) == late)
        << "the appended message follows the written records in the messenger's form";
    ui.onEvents = nullptr;
    ui.Answer("pw");
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    EXPECT_EQ(s.records.size(), 51u);
}

TEST_F(Writing, HalfWrittenLastBlockIsCopiedWholeWhenItGrowsDuringTheSave) {
    const std::string a = Msg("a (h)", "Mon Jan  5 09:03:01 2004", "first");
    const std::string b = Msg("b (h)", "Mon Jan  5 09:04:01 2004", "second\nthird line");
    const std::size_t cut = a.size() + b.size() - 8;  // inside the last body line
    Load((a + b).substr(0, cut));
    ui.onEvents = [&] {
        if (std::filesystem::file_size(log) == cut) AppendFile(log, b.substr(b.size() - 8));
    };
    EXPECT_EQ(Convert(log, 0, false), a + b);
}

TEST_F(Writing, CatchUpReadBeforeWriting) {
    const std::string a = Msg("a (h)", "Mon Jan  5 09:03:01 2004", "x");
    Load(a);
    const std::string b = Msg("b (h)", "Mon Jan  5 09:04:01 2004", "y");
    AppendFile(log, b);
    LoadResult catchUp;
    WriteOptions o;
    o.saveType = 1;
    ASSERT_EQ(s.WriteLog(dir.File("o.log"), o, &catchUp), WriteStatus::Written);
    EXPECT_EQ(catchUp.firstNew, 1u);
    EXPECT_EQ(s.records.size(), 2u);
    EXPECT_EQ(ReadFile(dir.File("o.log")).find(b), std::string::npos) << "b was written in the new form";
}

TEST_F(Writing, FailuresLeaveTheOriginalAndNameTheReason) {
    const std::string a = Msg("a (h)", "Mon Jan  5 09:03:01 2004", "x");
    Load(a);
    WriteOptions o;
    EXPECT_EQ(s.WriteLog(dir.File("no/such/folder/o.log"), o), WriteStatus::Failed);
    ASSERT_FALSE(ui.errors.empty());
    EXPECT_NE(ui.errors.back().find("no/such/folder/o.log"), std::string::npos);
    // A folder in the way of the target: the rename fails, the temporary file goes.
    std::filesystem::create_directory(dir.File("taken"));
    std::filesystem::create_directory(dir.File("taken/x"));
    EXPECT_EQ(s.WriteLog(dir.File("taken"), o), WriteStatus::Failed);
    EXPECT_TRUE(sys::TempFilesFor(dir.File("taken")).empty());
    EXPECT_EQ(ReadFile(log), a);

    s.ReadOnlyMode = true;
    EXPECT_EQ(s.WriteLog(log, o), WriteStatus::ReadOnly);

    s.ReadOnlyMode = false;
    o.saveType = 2;
    s.CurrentPassword.clear();
    EXPECT_EQ(s.WriteLog(log, o), WriteStatus::PasswordGivenUp);
    EXPECT_EQ(ui.asked, std::vector<bool>{true}) << "a new password is asked twice";
    EXPECT_EQ(ReadFile(log), a);
}

// A log large enough to be written a chunk behind by a second thread comes out
// byte for byte, in every form and back.
TEST_F(Writing, ALargeLogIsWrittenWhole) {
    std::string plain;
    for (int n = 0; n < 12000; ++n) {
        plain += Msg("user" + std::to_string(n % 37) + " (host" + std::to_string(n % 11) + ")",
                     "Mon Jan  5 09:03:01 2004", "line " + std::to_string(n) + "\n" + std::string(n % 300, 'x'));
    }
    Load(plain);
    s.CurrentPassword = "pw";
    EXPECT_EQ(Convert(dir.File("same.log"), 0, false), plain);
    const std::string encrypted = Convert(dir.File("encrypted.log"), 2, true);
    Load(encrypted);
    EXPECT_EQ(Convert(dir.File("back.log"), 0, false), plain);
}

TEST_F(Writing, DustBoxKeepsACopyOfTheReplacedFile) {
#ifdef _WIN32
    GTEST_SKIP() << "the copy goes to the recycle bin, which has no folder a test can look into";
#else
    setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
    const std::string a = Msg("a (h)", "Mon Jan  5 09:03:01 2004", "x");
    Load(a);
    WriteOptions o;
    o.saveType = 1;
    o.dustBox = true;
    ASSERT_EQ(s.WriteLog(log, o), WriteStatus::Written);
    EXPECT_EQ(ReadFile(dir.File("data/Trash/files/ipmsg.log")), a);
    EXPECT_NE(ReadFile(dir.File("data/Trash/info/ipmsg.log.trashinfo")).find("Path=" + log), std::string::npos);
    unsetenv("XDG_DATA_HOME");
#endif
}

TEST_F(Writing, SelectionWritesTheRecordsThePredicateTakesAndNoDeletedOne) {
    const std::string m1 = Msg("alice (h1)", "Mon Jan  5 09:03:01 2004", "1");
    const std::string m2 = Block(" To: bob (h2)\n To: alice (h1)\n  at Tue Jan  6 09:03:01 2004", "2");
    const std::string m3 = Msg("carol (h3)", "Tue Feb  3 09:03:01 2004", "3");
    const std::string m4 = Msg("dave (h4)", "Tue Feb  3 10:03:01 2004", "4");
    Load(m1 + m2 + m3 + m4);
    s.SetDeleted(3, true);
    struct Case {
        const char* what;
        RecordSelection selected;
        std::string expected;
    };
    const Case cases[] = {
        {"every record", [](const LogData&) { return true; }, m1 + m2 + m3},
        {"none", [](const LogData&) { return false; }, ""},
        {"February", [](const LogData& r) { return r.MonthNumber() == "02"; }, m3},
        {"second only", [](const LogData& r) { return r.BodyText().find('2') != std::string_view::npos; }, m2},
        {"not the second", [](const LogData& r) { return r.BodyText().find('2') == std::string_view::npos; },
         m1 + m3},
    };
    for (const auto& c : cases) {
        const std::string out = dir.File("sel.log");
        ASSERT_EQ(s.WriteSelection(out, c.selected, WriteOptions{}), WriteStatus::Written) << c.what;
        EXPECT_EQ(ReadFile(out), c.expected) << c.what;
    }
    EXPECT_EQ(ReadFile(log), m1 + m2 + m3 + m4);
    EXPECT_EQ(s.PendingDeletions, 1);
}

// The blocks of a log of several megabytes: messages of every length, blocks
// that are no message (folded into the one before), blocks with LF line ends.
std::vector<std::string> LongLogBlocks(int messages) {
    std::vector<std::string> blocks;
    for (int n = 0; n < messages; ++n) {
        std::string block = Msg("user" + std::to_string(n % 37) + " (grp/host" + std::to_string(n % 11) + ")",
                                "Mon Jan  5 09:03:01 2004",
                                "line " + std::to_string(n) + "\n" + std::string(n % 500, 'x'), n % 3 ? "From" : "To");
        if (n % 97 == 0) block = kTop + "\r\nno header\r\n" + kBody + "\r\nfolded\r\n";
        if (n % 89 == 0) {
            for (std::size_t p; (p = block.find("\r\n")) != std::string::npos;) block.erase(p, 1);
        }
        blocks.push_back(std::move(block));
    }
    return blocks;
}

std::string Joined(const std::vector<std::string>& blocks, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) out += blocks[i];
    return out;
}

// One message written by the program in save type 2, headers encrypted or not.
std::string EncryptedMessage(bool header) {
    TempDir dir;
    ScriptedUi ui;
    LogSession s{ui};
    WriteFile(dir.File("in.log"), Msg("secret (h)", "Mon Jan  5 09:03:01 2004", "under a password"));
    EXPECT_TRUE(s.LoadLog(dir.File("in.log"), 0).ok());
    s.CurrentPassword = "pw";
    WriteOptions o;
    o.saveType = 2;
    o.headerEncode = header;
    EXPECT_EQ(s.WriteLog(dir.File("out.log"), o), WriteStatus::Written);
    return ReadFile(dir.File("out.log"));
}

// What a load and a save give, with or without the save begun during the load.
struct EarlySaveRun {
    std::string bytes;        // the file written, or empty
    bool begunEarly = false;  // text was in the temporary file when the load ended
};
EarlySaveRun LoadAndSave(const std::string& log, const std::string& target, bool early,
                         const std::function<void(LogSession&)>& between = {}, WriteOptions o = {},
                         const ReadLimits& limits = {}) {
    ScriptedUi ui;
    ui.Answer("pw");
    LogSession s{ui};
    s.readLimits = limits;
    if (early) s.SaveWhileLoading(target, o);
    EXPECT_TRUE(s.LoadLog(log, 0).ok());
    // Early text goes to the file through the writing thread, which may lag
    // behind the load on a busy machine: give it a moment before saying none came.
    const std::vector<std::string> temps = sys::TempFilesFor(target);
    EarlySaveRun run;
    for (int wait = 0; wait < 75 && temps.size() == 1 && !run.begunEarly; ++wait) {
        run.begunEarly = std::filesystem::file_size(temps[0]) > 0;
        if (!run.begunEarly) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (between) between(s);
    if (s.WriteLog(target, o) == WriteStatus::Written) run.bytes = ReadFile(target);
    EXPECT_TRUE(sys::TempFilesFor(target).empty()) << "the temporary file is gone";
    std::filesystem::remove(target);
    return run;
}

TEST_F(Writing, ASaveBegunWhileLoadingWritesTheSameFile) {
    const std::vector<std::string> blocks = LongLogBlocks(12000);
    const std::size_t cut = blocks.size() * 2 / 3;
    struct Case {
        const char* name;
        std::string bytes;
        bool begunEarly;
    };
    const Case cases[] = {
        {"plain, no line end at the end", "text before the first block\r\n" + Joined(blocks, 0, blocks.size()) + "tail",
         true},
        {"a body encrypted after megabytes",
         Joined(blocks, 0, cut) + EncryptedMessage(false) + Joined(blocks, cut, blocks.size()), true},
        {"a header encrypted first", EncryptedMessage(true) + Joined(blocks, 0, blocks.size()), false},
    };
    const std::string out = dir.File("out.log");
    for (const Case& c : cases) {
        for (const ReadLimits& limits : {ReadLimits{}, ReadLimits{1, 1, 999}}) {
            SCOPED_TRACE(std::string(c.name) + (limits.mapStep == 999 ? ", in small steps" : ""));
            WriteFile(log, c.bytes);
            const EarlySaveRun plain = LoadAndSave(log, out, false, {}, {}, limits);
            const EarlySaveRun early = LoadAndSave(log, out, true, {}, {}, limits);
            ASSERT_GT(plain.bytes.size(), 2u << 20);
            EXPECT_TRUE(plain.bytes == early.bytes) << "the same bytes";
            EXPECT_EQ(early.begunEarly, c.begunEarly);
        }
    }
}

TEST_F(Writing, ASaveBegunWhileLoadingGivesWayToChangesAndOtherSaves) {
    const std::vector<std::string> blocks = LongLogBlocks(12000);
    const std::string text = Joined(blocks, 0, blocks.size());
    WriteFile(log, text);
    const std::string out = dir.File("out.log");
    const std::string late = Msg("late (h)", "Mon Jan  5 10:00:00 2004", "appended after the load");
    struct Case {
        const char* name;
        std::function<void(LogSession&)> between;
        WriteOptions options;
    };
    WriteOptions encoded;
    encoded.saveType = 1;
    const Case cases[] = {
        {"a deletion", [](LogSession& s) { s.SetDeleted(3, true); }, {}},
        {"a message appended", [&](LogSession&) { AppendFile(log, late); }, {}},
        {"another log read",
         [&](LogSession& s) {
             WriteFile(log, Joined(blocks, 2, blocks.size()) + Joined(blocks, 0, 500));
             EXPECT_TRUE(s.LoadLog(log, 0).ok());
         },
         {}},
        {"save type 1", {}, encoded},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(log, text);
        const EarlySaveRun plain = LoadAndSave(log, out, false, c.between, c.options);
        WriteFile(log, text);
        const EarlySaveRun early = LoadAndSave(log, out, true, c.between, c.options);
        ASSERT_FALSE(plain.bytes.empty());
        EXPECT_TRUE(plain.bytes == early.bytes) << "the same bytes";
    }
    WriteFile(log, text);

    // Given up, or saved elsewhere: the temporary file goes, nothing is written.
    const std::string elsewhere = dir.File("elsewhere.log");
    {
        ScriptedUi u;
        LogSession e{u};
        e.SaveWhileLoading(out, WriteOptions{});
        ASSERT_TRUE(e.LoadLog(log, 0).ok());
        EXPECT_FALSE(sys::TempFilesFor(out).empty());
        e.CancelSaveWhileLoading();
        EXPECT_TRUE(sys::TempFilesFor(out).empty());
        e.SaveWhileLoading(out, WriteOptions{});
        ASSERT_TRUE(e.LoadLog(log, 0).ok());
        ASSERT_EQ(e.WriteLog(elsewhere, WriteOptions{}), WriteStatus::Written);
        EXPECT_TRUE(sys::TempFilesFor(out).empty());
        EXPECT_EQ(ReadFile(elsewhere), LoadAndSave(log, out, false).bytes);
        e.ForceReadOnly = true;
        e.SaveWhileLoading(out, WriteOptions{});
        ASSERT_TRUE(e.LoadLog(log, 0).ok());
        EXPECT_EQ(e.WriteLog(out, WriteOptions{}), WriteStatus::ReadOnly);
        EXPECT_TRUE(sys::TempFilesFor(out).empty());
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST(EncryptionAtExit, OnlyTheLastRecordDecides) {
    auto rec = [](char mark) {
        return LogData(Block("From: a\n  at Mon Jan  5 09:03:01 2004", "x", kTop, std::string(36, '-') + mark));
    };
    struct Case {
        std::vector<char> marks;
        int saveType;
        bool autoEncode;
        int pending;
        bool expected;
    };
    const Case cases[] = {
        {{'2', '-'}, 2, true, 0, true},  {{'-', '2'}, 2, true, 0, false}, {{'1'}, 2, true, 0, true},
        {{'1'}, 1, true, 0, false},      {{'-'}, 1, true, 0, true},       {{'-'}, 0, true, 0, false},
        {{'-'}, 2, false, 0, false},     {{'-'}, 2, true, 1, false},      {{}, 2, true, 0, false},
    };
    for (const auto& c : cases) {
        std::vector<LogData> records;
        for (char m : c.marks) records.push_back(rec(m));
        EXPECT_EQ(NeedsEncryptionAtExit(records, c.saveType, c.autoEncode, c.pending), c.expected);
    }
}

TEST_F(Writing, ALoadAfterASaveOverTheLogTakesWhatAReadWouldGive) {
    using namespace std::string_literals;
    const std::vector<std::string> folding = LongLogBlocks(400);  // folded blocks, lines of LF alone
    std::vector<std::string> blocks;  // the same without the blocks that fold
    for (const std::string& b : folding) {
        if (b.find("no header") == std::string::npos) blocks.push_back(b);
    }
    const std::string key = MakeCipherKey("pw");
    const std::string encryptedBody = Block(" From: x (h)\r\n  at Mon Jan  5 09:03:01 2004",
                                            EncryptText("secret\r\n", key), kTop, std::string(36, '-') + "2");
    struct Case {
        const char* name;
        std::string bytes;
        bool takesSaved;
    };
    const Case cases[] = {
        {"plain", Joined(blocks, 0, blocks.size()), true},
        {"text in front, no line end at the end", "notes\r\n" + Joined(blocks, 0, 50) + "tail", true},
        {"zero bytes and UTF-8 lines", Msg("a\0b (pc)"s, "Mon Jan  5 09:03:01 2004", "\xE3\x81\x82\nx\0y"s) +
                                          Joined(blocks, 0, 20), true},
        {"an encrypted body: read again", Joined(blocks, 0, 20) + encryptedBody, false},
        // A folded block is written with the record's line ends: read again.
        {"a block folded into the one before: read again", Joined(folding, 1, 150), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.bytes);
        s.CurrentPassword = "pw";
        for (std::size_t i : {std::size_t{1}, std::size_t{7}, s.records.size() / 2}) s.SetDeleted(i, true);
        ASSERT_EQ(s.WriteLog(log, WriteOptions{}), WriteStatus::Written);
        const LoadResult taken = s.LoadLog(log, 0);
        ASSERT_TRUE(taken.ok());
        EXPECT_EQ(taken.tookSaved, c.takesSaved);
        EXPECT_TRUE(taken.fullRead);
        EXPECT_FALSE(s.FileChanged());

        // The same as a read of the file, and so are the reads that follow.
        auto sameAsARead = [&](const char* when) {
            SCOPED_TRACE(when);
            ScriptedUi u2;
            u2.Answer("pw");
            LogSession fresh(u2);
            ASSERT_TRUE(fresh.LoadLog(log, 0).ok());
            ASSERT_EQ(s.records.size(), fresh.records.size());
            for (std::size_t i = 0; i < s.records.size(); ++i) {
                ASSERT_EQ(RecordText(s.records[i]), RecordText(fresh.records[i])) << i;
            }
            EXPECT_EQ(s.LoadedSize, fresh.LoadedSize);
            EXPECT_EQ(s.PendingDeletions, 0);
        };
        sameAsARead("after the save");
        AppendFile(log, "more of the last line\r\n" + Msg("late (pc)", "Mon Jan  5 10:00:00 2004", "late"));
        ASSERT_TRUE(s.Reload().ok());
        sameAsARead("after an append");
    }
    // Anything between the save and the load makes it a read.
    Load(Joined(blocks, 0, 30));
    ASSERT_EQ(s.WriteLog(log, WriteOptions{}), WriteStatus::Written);
    s.SetDeleted(2, true);
    EXPECT_FALSE(s.LoadLog(log, 0).tookSaved);
    ASSERT_EQ(s.WriteLog(log, WriteOptions{}), WriteStatus::Written);
    AppendFile(log, Msg("late (pc)", "Mon Jan  5 10:00:00 2004", "late"));
    EXPECT_FALSE(s.LoadLog(log, 0).tookSaved);
    EXPECT_EQ(s.records.size(), 31u);  // the thirty read again, and the late one
}

}  // namespace
}  // namespace qx
