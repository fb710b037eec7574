// Inputs that are not what a log should be: each is read by the rules, without a
// crash, a hang or unbounded memory, and nothing of the text is lost.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include "../logstore/TestSupport.h"
#include "crypto/ProtectedText.h"
#include "logstore/LogSession.h"

namespace qx {
namespace {

using namespace test;

const std::string kOk = Msg("a (h)", "Mon Jan  5 09:03:01 2004", "fine");

struct BadCase {
    const char* name;
    std::string bytes;
    std::size_t records;
    std::function<void(LogSession&)> check;
};

TEST(BadInput, ReadByTheRules) {
    const std::string key = MakeCipherKey("pw");
    std::string truncatedCipher = EncryptText("a whole body of text\r\n", key);
    truncatedCipher.resize(truncatedCipher.size() - 5);
    std::string crOnly = kOk + kOk;
    for (std::size_t p; (p = crOnly.find("\r\n")) != std::string::npos;) crOnly.erase(p + 1, 1);

    const BadCase cases[] = {
        {"CR-only line ends", crOnly, 0, nullptr},
        {"36-character top separator", std::string(36, '=') + "\r\n" + kOk.substr(39), 0, nullptr},
        {"38-character top separator", kOk + std::string(38, '=') + "\r\n" + kOk.substr(39), 1,
         [](LogSession& s) { EXPECT_NE(s.records[0].BodyText().find(std::string(38, '=')), std::string::npos); }},
        {"header with every field empty", kOk + Block(" From: ( / / )\n at", "x"), 1,
         [](LogSession& s) { EXPECT_NE(s.records[0].BodyText().find("From: ( / / )"), std::string::npos); }},
        {"empty tokens in the date line", kOk + Block(" From: []()\n at , , , , ,", "x"), 1,
         [](LogSession& s) { EXPECT_NE(s.records[0].BodyText().find("From: []()"), std::string::npos); }},
        {"Base64 body with garbage", Block(" From: a\n at Mon Jan 5 1:2:3 2004", "@@@!!\xFF\xFEzz==\n====", kTop,
                                           std::string(36, '-') + "1"),
         1, [](LogSession& s) { EXPECT_FALSE(s.records[0].PlainBody("").empty()); }},
        {"encrypted body with a truncated last block",
         Block(" From: a\n at Mon Jan 5 1:2:3 2004", truncatedCipher, kTop, std::string(36, '-') + "2"), 1,
         [](LogSession& s) {
             // What decrypts is shown; the damaged text is what gets saved.
             EXPECT_EQ(s.records[0].PlainBody("pw").rfind("a whole body o", 0), 0u);
         }},
        {"Base64 header with garbage",
         kOk + Block("@@not base64@@\n!!", "body", std::string(36, '=') + "1", kBody), 1,
         [](LogSession& s) { EXPECT_NE(s.records[0].BodyText().find("@@not base64@@"), std::string::npos); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteFile(dir.File("l.log"), c.bytes);
        ScriptedUi ui;
        ui.Answer("pw");
        LogSession s(ui);
        s.LoadLog(dir.File("l.log"), 0);
        ASSERT_EQ(s.records.size(), c.records);
        if (c.check) c.check(s);
        // Whatever was read is written back without loss in save form 0.
        WriteOptions o;
        ASSERT_EQ(s.WriteLog(dir.File("out.log"), o), WriteStatus::Written);
        if (c.records > 0) {
            LogSession again(ui);
            again.CurrentPassword = "pw";
            ASSERT_TRUE(again.LoadLog(dir.File("out.log"), 0).ok());
            ASSERT_EQ(again.records.size(), s.records.size());
            for (std::size_t i = 0; i < s.records.size(); ++i) {
                EXPECT_EQ(again.records[i].BodyText(), s.records[i].BodyText());
                EXPECT_EQ(again.records[i].HeaderText(), s.records[i].HeaderText());
            }
        }
    }
}

TEST(BadInput, SparseFileOverTwoGigabytesWithMessagesNearItsEnd) {
    TempDir dir;
    const std::string log = dir.File("sparse.log");
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const off_t hole = (off_t{1} << 31) + 12345;  // past 2 GiB
    const std::string tail = "\r\n" + kOk + Msg("b (h)", "Tue Jan  6 09:03:01 2004", "last");
    ASSERT_EQ(pwrite(fd, tail.data(), tail.size(), hole), static_cast<ssize_t>(tail.size()));
    close(fd);

    ScriptedUi ui;
    LogSession s(ui);
    ASSERT_TRUE(s.LoadLog(log, 0).ok());
    ASSERT_EQ(s.records.size(), 2u);
    EXPECT_EQ(s.LoadedSize, static_cast<std::uint64_t>(hole) + tail.size());
    EXPECT_EQ(s.records[1].BodyText(), "last\r\n");
    // A differential read past 2 GiB.
    AppendFile(log, Msg("c (h)", "Wed Jan  7 09:03:01 2004", "later"));
    auto r = s.Reload();
    EXPECT_FALSE(r.fullRead);
    ASSERT_EQ(s.records.size(), 3u);
    EXPECT_EQ(s.records[2].UserName(), "c,");
}

}  // namespace
}  // namespace qx
