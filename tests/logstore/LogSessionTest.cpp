#include <gtest/gtest.h>

#include <optional>
#include <utility>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "TestSupport.h"
#include "crypto/ProtectedText.h"
#include "kernels/Kernels.h"
#include "logstore/LogSession.h"

namespace qx {
namespace {

using namespace test;

const std::string kA = Msg("alice (pc1)", "Mon Jan  5 09:03:01 2004", "one");
const std::string kB = Msg("bob (pc2)", "Tue Jan  6 10:00:00 2004", "two\nlines", "To");
const std::string kC = Msg("carol (pc3)", "Wed Jan  7 11:00:00 2004", "three");

struct Fixture : ::testing::Test {
    TempDir dir;
    ScriptedUi ui;
    LogSession s{ui};
    std::string log = dir.File("ipmsg.log");

    std::vector<std::string> Bodies() {
        std::vector<std::string> out;
        for (auto& r : s.records) out.emplace_back(r.BodyText());
        return out;
    }
};

using Reading = Fixture;

TEST_F(Reading, CutsBlocksAndFoldsWhatIsNoMessage) {
    const std::string strayBlock = kTop + "\r\nno header here\r\n" + kBody + "\r\nx\r\n";
    WriteFile(log, "preamble\r\n" + strayBlock + kA + kB + kTop + "\r\njust text\r\n" + kC);
    auto r = s.LoadLog(log, 0);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.fullRead);
    ASSERT_EQ(s.records.size(), 3u) << "the first stray block is dropped";
    EXPECT_EQ(s.records[1].BodyText(), "two\r\nlines\r\n" + kTop + "\r\njust text\r\n");
    EXPECT_EQ(s.LoadedSize, std::filesystem::file_size(log));
    EXPECT_EQ(s.LogFolder, dir.path() + "/");
    EXPECT_EQ(s.PendingDeletions, 0);
}

TEST_F(Reading, EmptyFileAndLineEndsOfEveryKind) {
    WriteFile(log, "");
    EXPECT_TRUE(s.LoadLog(log, 0).ok());
    EXPECT_TRUE(s.records.empty());
    EXPECT_EQ(s.LoadedSize, 0u);

    // LF only, and a last line without a line end, read the same as CR LF.
    std::string lf = kA + kB;
    for (std::size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.erase(p, 1);
    lf.pop_back();
    WriteFile(log, lf);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    ASSERT_EQ(s.records.size(), 2u);
    EXPECT_EQ(s.records[1].BodyText(), "two\r\nlines\r\n");

    // CR alone ends no line in the file: no separator line is seen.
    std::string cr = kA;
    for (std::size_t p; (p = cr.find("\r\n")) != std::string::npos;) cr.erase(p + 1, 1);
    WriteFile(log, cr);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    EXPECT_TRUE(s.records.empty());
}

TEST_F(Reading, Utf8LinesBecomeCp932InMixedFiles) {
    const std::string utf8 = Msg("\xE5\xB1\xB1\xE7\x94\xB0 (pc)", "Mon Jan  5 09:03:01 2004", "\xE6\x97\xA5\xE6\x9C\xAC");
    const std::string sjis = Msg("\x8E\x52\x93\x63 (pc)", "Mon Jan  5 09:04:01 2004", "\x93\xFA\x96\x7B");
    WriteFile(log, utf8 + sjis);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    ASSERT_EQ(s.records.size(), 2u);
    EXPECT_EQ(s.records[0].UserName(), "\x8E\x52\x93\x63,");
    EXPECT_EQ(s.records[0].BodyText(), "\x93\xFA\x96\x7B\r\n");
    EXPECT_EQ(s.records[1].UserName(), s.records[0].UserName());
}

TEST_F(Reading, NulBytesAreData) {
    const std::string withNul = Msg("alice (pc1)", "Mon Jan  5 09:03:01 2004", std::string("a\0b", 3));
    WriteFile(log, withNul + kB);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    ASSERT_EQ(s.records.size(), 2u);
    EXPECT_EQ(s.records[0].BodyText(), std::string("a\0b\r\n", 5));
}

TEST_F(Reading, MissingAndUnreadableFilesLeaveTheOpenLog) {
    WriteFile(log, kA);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    EXPECT_EQ(s.LoadLog(dir.File("nope.log"), 0).status, LoadStatus::Missing);
    EXPECT_EQ(ui.messages.back(), "[" + dir.File("nope.log") + "]String02");
    EXPECT_EQ(s.LoadLog(dir.path(), 0).status, LoadStatus::Unreadable);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find(dir.path()), std::string::npos);
#ifndef _WIN32  // no FIFOs, and no permission bits that keep the owner out
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(s.LoadLog(fifo, 0).status, LoadStatus::Unreadable) << "and it does not hang";
    if (geteuid() != 0) {
        const std::string locked = dir.File("locked.log");
        WriteFile(locked, kB);
        chmod(locked.c_str(), 0);
        EXPECT_EQ(s.LoadLog(locked, 0).status, LoadStatus::Unreadable);
    }
#endif
    EXPECT_EQ(s.LogFileName, log);
    EXPECT_EQ(s.records.size(), 1u);
}

// Every field of every record, one text per record.
std::vector<std::string> Snapshot(const LogSession& session) {
    std::vector<std::string> out;
    for (const LogData& r : session.records) out.push_back(test::RecordText(r));
    return out;
}

// Several megabytes of blocks of every kind the reader treats apart: CR LF and
// LF line ends, CRs on their own, UTF-8 lines, lines starting with "=", separators written in
// UTF-8, blocks that are no message, long lines, text in front of the first block.
std::string VariedLog(std::size_t bytes) {
    std::uint32_t seed = 12345;
    auto next = [&](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    const std::vector<std::string> lines = {
        "plain ascii line",
        "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\xB6",          // cp932
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",               // UTF-8, converted
        "\xE0\x80\x41 cp932 that starts like UTF-8",
        "= not a separator",
        std::string(36, '=') + "x and more",
        std::string(36, '=') + "\xEF\xBD\xB1",                    // UTF-8 separator: a block starts
        "> quoted " + std::string(150, 'q'),
        "",
        "a CR\rof its own",  // a line end of its own when the body is read
        "a CR before the line end\r",
    };
    std::string out = "text before the first block\r\n" + std::string(100, 'p') + "\r\n";
    int n = 0;
    while (out.size() < bytes) {
        std::string block;
        if (next(40) == 0) {
            block = kTop + "\r\nno header\r\n" + kBody + "\r\nfolded\r\n";
        } else {
            std::string body;
            for (std::uint32_t k = 0, m = 1 + next(12); k < m; ++k) body += lines[next(lines.size())] + "\n";
            block = Msg("user" + std::to_string(n % 37) + " (grp/host" + std::to_string(n % 11) + "/10.0.0." +
                            std::to_string(n % 200) + ")",
                        "Mon Jan  5 09:03:01 2004", body, n % 3 ? "From" : "To");
        }
        if (next(25) == 0) {
            for (std::size_t p; (p = block.find("\r\n")) != std::string::npos;) block.erase(p, 1);
        }
        out += block;
        ++n;
    }
    return out;
}

TEST_F(Reading, LargeFilesReadAlikeEveryWay) {
    const std::string text = VariedLog(5u << 20);
    WriteFile(log, text);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    const std::vector<std::string> expected = Snapshot(s);
    ASSERT_GT(expected.size(), 10000u);
    EXPECT_EQ(s.LoadedSize, text.size());

    // With every kernel: on one thread from buffers, and shared between two
    // threads at every chance from a mapping of the file, in steps of every size.
    for (const kernels::Version v : kernels::Supported()) {
        for (const ReadLimits& limits : {ReadLimits{SIZE_MAX, UINT64_MAX, 0}, ReadLimits{1, 1, 999},
                                         ReadLimits{1, 1, 3u << 20}, ReadLimits{1u << 20, 1u << 20, 1u << 20}}) {
            std::optional<kernels::ScopedKernel> use(std::in_place, v);
            ScriptedUi otherUi;
            LogSession other(otherUi);
            other.readLimits = limits;
            const bool ok = other.LoadLog(log, 0).ok();
            use.reset();
            ASSERT_TRUE(ok);
            EXPECT_EQ(Snapshot(other), expected) << NameOf(v) << ", mapped steps of " << limits.mapStep;
        }
    }

    // Differential reads of pieces of every size, cut anywhere.
    const std::string grown = dir.File("grown.log");
    WriteFile(grown, "");
    ScriptedUi grownUi;
    LogSession growing(grownUi);
    ASSERT_TRUE(growing.LoadLog(grown, 0).ok());
    std::uint32_t seed = 7;
    for (std::size_t at = 0; at < text.size();) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t piece = std::min<std::size_t>(text.size() - at, 1 + (seed >> 8) % 400000);
        AppendFile(grown, text.substr(at, piece));
        at += piece;
        ASSERT_TRUE(growing.Reload().ok());
    }
    EXPECT_TRUE(grownUi.errors.empty());
    EXPECT_EQ(Snapshot(growing), expected);
}

// A log with encrypted headers, read in parts by two threads: the password is
// asked once, and every part opens its headers with it.
TEST_F(Reading, EncryptedHeadersOpenInEveryPartWithOnePrompt) {
    std::string plain;
    for (int n = 0; plain.size() < (2u << 20); ++n) {
        plain += Msg("user" + std::to_string(n % 37) + " (grp/host" + std::to_string(n % 11) + ")",
                     "Mon Jan  5 09:03:01 2004", "line " + std::to_string(n) + "\nmore");
    }
    WriteFile(log, plain);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    const std::vector<std::string> expected = Snapshot(s);
    s.CurrentPassword = "pw";
    WriteOptions o;
    o.saveType = 2;
    o.headerEncode = true;
    const std::string encrypted = dir.File("encrypted.log");
    ASSERT_EQ(s.WriteLog(encrypted, o), WriteStatus::Written);

    // The plain kernel on one thread, and the best one as the program reads.
    using kernels::Version;
    const Version best = kernels::Supported().back();
    const std::pair<Version, ReadLimits> ways[] = {{best, ReadLimits{}},
                                                    {best, ReadLimits{1, 1, 999}},
                                                    {Version::Plain, ReadLimits{SIZE_MAX, UINT64_MAX, 0}}};
    for (const auto& [version, limits] : ways) {
        ScriptedUi otherUi;
        otherUi.answers.push_back(PasswordEntry{"pw", ""});
        LogSession other(otherUi);
        other.readLimits = limits;
        std::optional<kernels::ScopedKernel> use(std::in_place, version);
        const bool ok = other.LoadLog(encrypted, 0).ok();
        use.reset();
        ASSERT_TRUE(ok);
        EXPECT_EQ(otherUi.asked.size(), 1u);
        ASSERT_EQ(other.records.size(), expected.size());
        std::size_t closed = 0;
        for (const LogData& r : other.records) closed += r.HeaderEncrypted();
        EXPECT_EQ(closed, 0u);
        for (std::size_t i = 0; i < expected.size(); i += 997) {
            EXPECT_EQ(other.records[i].UserName(), s.records[i].UserName()) << i;
            EXPECT_EQ(other.records[i].PlainBody("pw"), s.records[i].PlainBody("pw")) << i;
        }
    }
}

TEST_F(Reading, ALogCutShortUnderItsMappingReadsAsZerosAndIsReadAgain) {
#ifdef _WIN32
    GTEST_SKIP() << "logs are read into buffers on Windows, never mapped";
#else
    // Read through a mapping of the file, then another program empties the file.
    s.readLimits = ReadLimits{1u << 20, 1, 1u << 20};
    std::string text;
    while (text.size() < (64u << 10)) text += kA + kB;
    WriteFile(log, text);
    const bool ok = s.LoadLog(log, 0).ok();
    s.readLimits = ReadLimits{};
    ASSERT_TRUE(ok);
    ASSERT_FALSE(s.records.empty());
    ASSERT_EQ(truncate(log.c_str(), 0), 0);

    // Text whose pages are gone reads as zero bytes; the program goes on.
    std::size_t zeros = 0;
    for (const LogData& r : s.records) {
        for (char c : r.BodyText()) zeros += c == '\0';
    }
    EXPECT_GT(zeros, 0u);
    const LoadResult again = s.Reload();
    EXPECT_TRUE(again.fullRead) << "the shorter file is read again in full";
    EXPECT_TRUE(s.records.empty());
#endif
}

using Differential = Fixture;

TEST_F(Differential, AppendedBlocksArriveOnce) {
    WriteFile(log, kA);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    AppendFile(log, kB + kC);
    auto r = s.Reload();
    EXPECT_FALSE(r.fullRead);
    EXPECT_EQ(r.firstNew, 1u);
    EXPECT_EQ(r.changedRecord, -1);
    ASSERT_EQ(s.records.size(), 3u);
    EXPECT_EQ(s.LoadedSize, (kA + kB + kC).size());
    // An unchanged file reads nothing.
    r = s.Reload();
    EXPECT_EQ(r.firstNew, 3u);
    EXPECT_EQ(s.records.size(), 3u);
    // A block without a header line is folded into the last record of an earlier read.
    AppendFile(log, kTop + "\r\nloose\r\n");
    s.Reload();
    ASSERT_EQ(s.records.size(), 3u);
    EXPECT_EQ(s.records[2].BodyText(), "three\r\n" + kTop + "\r\nloose\r\n");
}

TEST_F(Differential, HalfWrittenBlocksAreCompletedNotDuplicated) {
    const std::string all = kA + kB + kC;
    // Cut the file at every byte inside kB and kC; each time the next read must
    // give exactly the records of the whole file.
    for (std::size_t cut = kA.size() + 1; cut < all.size(); cut += 7) {
        SCOPED_TRACE(cut);
        WriteFile(log, all.substr(0, cut));
        ASSERT_TRUE(s.LoadLog(log, 0).ok());
        AppendFile(log, all.substr(cut));
        auto r = s.Reload();
        ASSERT_EQ(s.records.size(), 3u);
        EXPECT_EQ(Bodies(), (std::vector<std::string>{"one\r\n", "two\r\nlines\r\n", "three\r\n"}));
        EXPECT_EQ(s.records[2].UserName(), "carol,");
        EXPECT_LE(r.firstNew, 3u);
        EXPECT_EQ(s.LoadedSize, all.size());
    }
}

TEST_F(Differential, PartialLineBeforeAnyBlockIsReadAgain) {
    WriteFile(log, "=====");
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    AppendFile(log, kTop.substr(5) + "\r\n" + kA.substr(kTop.size() + 2));
    s.Reload();
    ASSERT_EQ(s.records.size(), 1u);
    EXPECT_EQ(s.records[0].UserName(), "alice,");
}

TEST_F(Differential, ShrunkOrReplacedLogIsReadInFull) {
    WriteFile(log, kA + kB + kC);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    WriteFile(log, kC);
    auto r = s.Reload();
    EXPECT_TRUE(r.fullRead);
    ASSERT_EQ(s.records.size(), 1u);
    EXPECT_EQ(s.records[0].UserName(), "carol,");
    // Same size or larger but different bytes behind the old end: replaced too.
    WriteFile(log, kB + kA);
    s.LoadLog(log, 0);
    WriteFile(log, kA + kB + kC);
    r = s.Reload();
    EXPECT_TRUE(r.fullRead);
    EXPECT_EQ(s.records.size(), 3u);
    EXPECT_FALSE(ui.errors.empty()) << "the re-read is said";
}

TEST_F(Differential, ALogReplacedByAFileOfTheSameSizeIsNoticed) {
    const std::string a = kA + kB;
    std::string c = a;
    c[c.find("alice")] = 'A';
    WriteFile(log, a);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    EXPECT_FALSE(s.FileChanged());
    WriteFile(dir.File("other"), c);
    std::filesystem::rename(dir.File("other"), log);
    EXPECT_TRUE(s.FileChanged());
    const LoadResult r = s.Reload();
    EXPECT_TRUE(r.fullRead);
    ASSERT_EQ(s.records.size(), 2u);
    EXPECT_EQ(s.records[0].UserName(), "Alice,");
    EXPECT_FALSE(s.FileChanged());
    // Copied over in place (the same file, the same size): its time tells.
    std::string d = c;
    d[d.rfind("two")] = 'T';
    WriteFile(log, d);
    EXPECT_TRUE(s.FileChanged());
    EXPECT_TRUE(s.Reload().fullRead);
    EXPECT_EQ(s.records[1].PlainBody(""), "Two\r\nlines\r\n");
    EXPECT_FALSE(s.FileChanged());
}

TEST_F(Differential, VanishedLogIsReportedOnce) {
    WriteFile(log, kA);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    std::filesystem::remove(log);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(s.Reload().status, LoadStatus::Missing);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(s.records.size(), 1u);
}

std::string EncryptedBlock(const std::string& password, const std::string& who, const std::string& body) {
    const std::string key = MakeCipherKey(password);
    return Block(EncryptText(" From: " + who + "\r\n  at Mon Jan  5 09:03:01 2004", key),
                 EncryptText(body + "\r\n", key), std::string(36, '=') + "2", std::string(36, '-') + "2");
}

using Passwords = Fixture;

TEST_F(Passwords, ThreeAttemptsForAnEncryptedHeader) {
    WriteFile(log, EncryptedBlock("pw", "alice (pc)", "hi"));
    struct Case {
        std::vector<std::string> answers;
        LoadStatus status;
        std::size_t prompts;
    };
    const Case cases[] = {
        {{"pw"}, LoadStatus::Ok, 1},
        {{"x", "y", "pw"}, LoadStatus::Ok, 3},
        {{"x", "y", "z", "pw"}, LoadStatus::PasswordGivenUp, 3},
    };
    for (const auto& c : cases) {
        ScriptedUi u;
        LogSession ss(u);
        for (auto& a : c.answers) u.Answer(a);
        EXPECT_EQ(ss.LoadLog(log, 0).status, c.status);
        EXPECT_EQ(u.asked.size(), c.prompts);
        if (c.status == LoadStatus::Ok) {
            EXPECT_EQ(ss.CurrentPassword, "pw");
            ASSERT_EQ(ss.records.size(), 1u);
            EXPECT_EQ(ss.records[0].UserName(), "alice,");
        } else {
            EXPECT_EQ(u.messages.back(), "[" + log + "]\nString08");  // names the file
        }
    }
}

TEST_F(Passwords, FirstEncryptedBodyIsProvedOnceWithAKnownPasswordFirst) {
    const std::string key = MakeCipherKey("pw");
    const std::string plainHeaderEncBody =
        Block(" From: a (h)\n  at Mon Jan  5 09:03:01 2004", EncryptText("b\r\n", key), kTop, std::string(36, '-') + "2");
    WriteFile(log, kA + plainHeaderEncBody);
    s.CurrentPassword = "pw";
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    EXPECT_TRUE(ui.asked.empty());

    s.CurrentPassword = "stale";
    ui.Answer("no");
    ui.Answer("pw");
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    EXPECT_EQ(ui.asked.size(), 2u) << "the stale password counts as the first attempt";
    EXPECT_EQ(s.CurrentPassword, "pw");
}

TEST_F(Passwords, GivingUpDuringADifferentialReadKeepsTheRecords) {
    WriteFile(log, kA);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    const std::string enc = EncryptedBlock("pw", "bob (pc)", "secret");
    AppendFile(log, enc + EncryptedBlock("pw", "carol (pc)", "more"));
    for (int i = 0; i < 3; ++i) ui.Answer("wrong");
    auto r = s.Reload();
    EXPECT_EQ(r.status, LoadStatus::PasswordGivenUp);
    EXPECT_EQ(ui.asked.size(), 3u) << "asked for the first block only";
    ASSERT_EQ(s.records.size(), 3u);
    EXPECT_TRUE(s.records[1].HeaderEncrypted());
    EXPECT_EQ(s.LoadedSize, std::filesystem::file_size(log)) << "those bytes are not read again";
    EXPECT_EQ(r.firstNew, 1u);
    s.Reload();
    EXPECT_EQ(ui.asked.size(), 3u);
}

TEST_F(Passwords, TwoFieldFormRepeatsUntilBothAgree) {
    ui.answers.push_back(PasswordEntry{"a", "b"});
    ui.answers.push_back(PasswordEntry{"", ""});
    ui.answers.push_back(PasswordEntry{"ok", "ok"});
    EXPECT_TRUE(s.AskPassword(true));
    EXPECT_EQ(s.CurrentPassword, "ok");
    EXPECT_EQ(ui.asked.size(), 3u);
    EXPECT_FALSE(s.AskPassword(false)) << "a front end may give up";
}

TEST(SplitNamesTest, Rules) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(SplitNames("alice,bob,"), (V{"alice", "bob"}));
    EXPECT_EQ(SplitNames("BROADCAST,"), V{"BROADCAST"});
    EXPECT_EQ(SplitNames(""), V{""});
    EXPECT_EQ(SplitNames("a , b,"), (V{"a ", "b"}));
    EXPECT_EQ(SplitNames("\x81\x40,x,"), (V{"\x81\x40", "x"}));
}

}  // namespace
}  // namespace qx
