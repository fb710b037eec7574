// Runs quillorix-cli as a person or a script would and checks what it prints,
// writes and returns.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../logstore/TestSupport.h"

// Under AddressSanitizer the resident size says more about its shadow memory
// than about ours.
#if defined(__SANITIZE_ADDRESS__)
#define QX_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QX_UNDER_ASAN 1
#endif
#endif

namespace {

using namespace qx::test;

const std::string kCli = std::string(QX_BIN_DIR) + "/quillorix-cli";
const std::string kExamples = std::string(QX_SOURCE_DIR) + "/examples/";

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

CliRun Cli(const std::string& args, const TempDir& dir) {
    const std::string out = dir.File("stdout"), err = dir.File("stderr");
    const std::string cmd = Quote(kCli) + " " + args + " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null";
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

TEST(Cli, ExitCodesAndMessages) {
    TempDir dir;
    WriteFile(dir.File("wrong.txt"), "not the password\n");
    WriteFile(dir.File("empty.txt"), "");
    struct Case {
        std::string args;
        int code;
        std::string errorMentions;
    };
    const Case cases[] = {
        {"", 1, "usage"},
        {"frobnicate x", 1, "unknown command"},
        {"info", 1, "wrong number"},
        {"info a b", 1, "wrong number"},
        {"export " + kExamples + "sample.log --format xml", 1, "jsonl or csv"},
        {"convert " + kExamples + "sample.log --save-type 1", 1, "-o OUT"},
        {"convert " + kExamples + "sample.log -o x --save-type 7", 1, "--save-type"},
        {"info " + kExamples + "sample.log --bogus", 1, "unknown option"},
        {"info " + dir.File("missing.log"), 2, dir.File("missing.log")},
        {"info " + dir.path(), 2, dir.path()},
        {"info /dev/null", 2, "/dev/null"},
        {"info " + kExamples + "sample-encrypted.log --password-file " + dir.File("wrong.txt"), 3, ""},
        {"info " + kExamples + "sample-encrypted.log --password-file " + dir.File("empty.txt"), 2, dir.File("empty.txt")},
        {"info " + kExamples + "sample-encrypted.log --password-file " + dir.File("nofile"), 2, dir.File("nofile")},
        {"info " + kExamples + "sample-encrypted.log", 3, "--password-file"},
    };
    for (const auto& c : cases) {
        const CliRun r = Cli(c.args, dir);
        EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.errorMentions), std::string::npos) << c.args << "\n" << r.err;
    }
    for (const char* sub : {"info", "export", "convert", "follow", "tree", "search", "stats"}) {
        const CliRun r = Cli(std::string(sub) + " --help", dir);
        EXPECT_EQ(r.code, 0);
        EXPECT_NE(r.out.find(std::string("quillorix-cli ") + sub), std::string::npos);
    }
}

TEST(Cli, OutputThatCannotBeWrittenIsAnError) {
    TempDir dir;
    const std::string log = kExamples + "sample.log";
    for (const std::string& args : {"info " + log, "search " + log + " a", "tree " + log, "stats " + log + " --by user",
                                   "export " + log, "export " + log + " -o -"}) {
        const std::string cmd = Quote(kCli) + " " + args + " >/dev/full 2>" + Quote(dir.File("err")) + " </dev/null";
        const int status = std::system(cmd.c_str());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2) << args;
        EXPECT_NE(ReadFile(dir.File("err")).find("[standard output]: No space left on device"), std::string::npos)
            << args << ": " << ReadFile(dir.File("err"));
    }
}

TEST(Cli, InfoSummarisesTheSample) {
    TempDir dir;
    const CliRun r = Cli("info " + kExamples + "sample.log", dir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Messages:      36\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Body forms:    plain 36, encoded 0, encrypted 0, unrecognised 0"), std::string::npos);
    EXPECT_NE(r.out.find("First date:    2026/09/1 09:02:11"), std::string::npos);
    EXPECT_NE(r.out.find("Last date:     2026/12/8 11:15:00"), std::string::npos);
}

TEST(Cli, InfoOfALargeLogCountsBothHalves) {
    // 600 copies of the sample: counted in two halves, summed up as one.
    TempDir dir;
    const std::string sample = ReadFile(kExamples + "sample.log");
    std::string big;
    for (int i = 0; i < 600; ++i) big += sample;
    WriteFile(dir.File("big.log"), big);
    const CliRun small = Cli("info " + kExamples + "sample.log", dir);
    const CliRun r = Cli("info " + dir.File("big.log"), dir);
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<std::string> a = Lines(small.out), b = Lines(r.out);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(b[2], "Messages:      21600");
    EXPECT_EQ(b[4], "Body forms:    plain 21600, encoded 0, encrypted 0, unrecognised 0");
    for (std::size_t i = 5; i < a.size(); ++i) EXPECT_EQ(b[i], a[i]) << "dates, users and hosts";
}

// The first and the last date are found by the calendar, whatever the order of
// the messages: a shorter year is earlier, then months, days (as numbers) and
// times (as text) decide.
TEST(Cli, InfoFindsTheFirstAndLastDateInAnyOrder) {
    struct Case {
        std::vector<const char*> dates;
        const char* first;
        const char* last;
    };
    const Case cases[] = {
        {{"Tue Feb 10 23:59:59 2026", "Mon Jan  5 9:00:00 2004", "Mon Jan  5 10:00:00 2004", "Wed Dec  9 10:00:00 999",
          "Wed Dec 31 23:59:59 2026", "Wed Dec 31 23:59:59 2026", "Thu Mar  4 10:00:00 2004",
          "Wed Dec 31 23:59:59.5 2026", "Wed Dec  3 23:59:59 2026"},
         "999/12/9 10:00:00",
         "2026/12/31 23:59:59.5"},
        // Years and times of five to seven bytes, told apart by their last bytes only.
        {{"Mon Jan  5 9:00:02 10001", "Mon Jan  5 9:00:01 10001", "Mon Jan  5 9:00:03 10001",
          "Mon Jan  5 9:00:09 10000", "Mon Jan  5 9:00:00 10002"},
         "10000/01/5 9:00:09",
         "10002/01/5 9:00:00"},
        {{"Mon Jan  5 9:00:02 7", "Mon Jan  5 9:00:01 7", "Mon Jan  5 9:00:03 7"}, "7/01/5 9:00:01", "7/01/5 9:00:03"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::string log;
        for (const char* d : c.dates) log += Msg("a (h)", d, "x");
        WriteFile(dir.File("dates.log"), log);
        const CliRun r = Cli("info " + dir.File("dates.log"), dir);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.out.find("First date:    " + std::string(c.first) + "\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Last date:     " + std::string(c.last) + "\n"), std::string::npos) << r.out;
    }
}

// Drops the fields that differ between a plain and a protected copy of a log.
std::string WithoutStoredForm(const std::string& json) {
    static const std::regex stored(
        "\"(TopSeparator|BodySeparator|BodyText)\":\"(?:[^\"\\\\]|\\\\.)*\",|\"(BodyMode|HeaderMode)\":-?[0-9]+,");
    return std::regex_replace(json, stored, "");
}

TEST(Cli, ExportOfThePlainAndTheEncryptedSampleAgree) {
    TempDir dir;
    const CliRun plain = Cli("export " + kExamples + "sample.log", dir);
    const CliRun enc = Cli("export " + kExamples + "sample-encrypted.log --password-file " + kExamples +
                            "sample-password.txt",
                        dir);
    ASSERT_EQ(plain.code, 0) << plain.err;
    ASSERT_EQ(enc.code, 0) << enc.err;
    const auto a = Lines(plain.out), b = Lines(enc.out);
    ASSERT_EQ(a.size(), 36u);
    ASSERT_EQ(b.size(), a.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(WithoutStoredForm(a[i]), WithoutStoredForm(b[i]));
    EXPECT_NE(b[0].find("\"HeaderMode\":2"), std::string::npos);
    // Exactly the record's keys, in order.
    EXPECT_EQ(std::regex_replace(a[0], std::regex("\":(\"(?:[^\"\\\\]|\\\\.)*\"|-?[0-9]+|true|false)"), "\""),
              "{\"Index\",\"Direction\",\"UserName\",\"BracketName\",\"GroupName\",\"HostName\",\"IpAddress\","
              "\"Year\",\"Month\",\"Day\",\"WeekDay\",\"Time\",\"AttachLine\",\"DateNote\",\"TopSeparator\","
              "\"HeaderText\",\"BodySeparator\",\"BodyText\",\"PlainBody\",\"BodyMode\",\"HeaderMode\","
              "\"AddresseeCount\",\"PasswordOk\",\"Deleted\"}");
}

TEST(Cli, ExportEscapesEverythingAndSurvivesBadBytes) {
    TempDir dir;
    const std::string body = std::string("quote \" back \\ tab \t bell \x07 nul ") + std::string(1, '\0') +
                             " bad \x80\xFF, \"x\"";
    WriteFile(dir.File("l.log"), Msg("a (h)", "Mon Jan  5 09:03:01 2004", body));
    const CliRun j = Cli("export " + dir.File("l.log"), dir);
    ASSERT_EQ(j.code, 0) << j.err;
    EXPECT_NE(j.out.find("quote \\\" back \\\\ tab \\t bell \\u0007 nul \\u0000 bad \xEF\xBF\xBD"),
              std::string::npos)
        << j.out;
    const CliRun c = Cli("export " + dir.File("l.log") + " --format csv -o " + dir.File("o.csv"), dir);
    ASSERT_EQ(c.code, 0) << c.err;
    const std::string csv = ReadFile(dir.File("o.csv"));
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBFIndex,Direction,UserName,", 0), 0u);
    EXPECT_NE(csv.find(", \"\"x\"\"\r\n\""), std::string::npos) << "quotes doubled, field quoted";
}

TEST(Cli, ConvertToEveryFormAndBack) {
    TempDir dir;
    const std::string pw = "--password-file " + kExamples + "sample-password.txt";
    const std::string sample = ReadFile(kExamples + "sample.log");
    for (const char* args : {"--save-type 0", "--save-type 1", "--save-type 1 --header-encode",
                             "--save-type 2", "--save-type 2 --header-encode"}) {
        SCOPED_TRACE(args);
        const std::string mid = dir.File("mid.log"), back = dir.File("back.log");
        ASSERT_EQ(Cli("convert " + kExamples + "sample.log -o " + mid + " " + args + " " + pw, dir).code, 0);
        ASSERT_EQ(Cli("convert " + mid + " -o " + back + " --save-type 0 " + pw, dir).code, 0);
        EXPECT_EQ(ReadFile(back), sample);
    }
    // Saving over the log itself.
    WriteFile(dir.File("own.log"), sample);
    ASSERT_EQ(Cli("convert " + dir.File("own.log") + " -o " + dir.File("own.log") + " --save-type 1", dir).code, 0);
    EXPECT_NE(ReadFile(dir.File("own.log")), sample);
    ASSERT_EQ(Cli("convert " + dir.File("own.log") + " -o " + dir.File("own.log") + " --save-type 0", dir).code, 0);
    EXPECT_EQ(ReadFile(dir.File("own.log")), sample);
    const CliRun r = Cli("convert " + kExamples + "sample.log -o " + dir.File("none/x.log") + " --save-type 0", dir);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find(dir.File("none/x.log")), std::string::npos);
}

TEST(Cli, TreeSearchAndStatsOnTheSampleAndItsEncryptedTwin) {
    TempDir dir;
    const std::string plain = kExamples + "sample.log";
    const std::string enc = kExamples + "sample-encrypted.log --password-file " + kExamples + "sample-password.txt";
    struct Case {
        std::string args;
        std::vector<std::string> expectedLines;  // in this order, not necessarily adjacent
    };
    const Case cases[] = {
        {"tree LOG --lang jpn",
         {"2026", "  09", "    1(Tue)", "      Emily Carter (2\xE4\xBB\xB6)", "    15(Tue)", "  10", "\xE5\x89\x8A"}},
        {"tree LOG --key 1 --lang eng", {"    1(Tue)", "      DEV-PC01[\xE7\x94\xB0\xE4\xB8\xAD \xE4\xB8\x80\xE9\x83\x8E] (2 msgs)"}},
        {"tree LOG --key 4", {"2026", "  09", "    1(Tue) (4 msgs)", "Deleted messages (0 msgs)"}},
        {"search LOG BROADCAST --lang jpn",
         {"BROADCAST\tTo:\t2026/10/1 08:55:12\t", "BROADCAST\tTo:\t2026/11/20 17:30:00\t"}},
        {"search LOG https?://[a-z]+\\.example\\.com/ --regex",
         {"Emily Carter\tFrom:\t09/1/2026 13:15:00\tHi, the new mock-ups are up:"}},
        {"stats LOG --by month", {"2026/09\t9", "2026/10\t10", "2026/11\t10", "2026/12\t7"}},
        {"stats LOG --by date --lang jpn", {"2026/09/1\t4", "2026/09/2\t2", "2026/09/15\t2"}},
        {"stats LOG --by user", {"BROADCAST\t2"}},
    };
    for (const auto& c : cases) {
        std::string results[2];
        for (int twin = 0; twin < 2; ++twin) {
            std::string args = c.args;
            args.replace(args.find("LOG"), 3, twin ? enc : plain);
            const CliRun r = Cli(args, dir);
            ASSERT_EQ(r.code, 0) << args << r.err;
            results[twin] = r.out;
        }
        EXPECT_EQ(results[0], results[1]) << c.args << ": the encrypted twin shows the same";
        const auto lines = Lines(results[0]);
        std::size_t at = 0;
        for (const auto& want : c.expectedLines) {
            while (at < lines.size() && lines[at].rfind(want, 0) != 0) ++at;
            EXPECT_LT(at, lines.size()) << c.args << ": no line starting " << want << "\n" << results[0];
        }
    }
    const CliRun bad = Cli("search " + plain + " \"a**\" --regex", dir);
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("does not compile"), std::string::npos);
    EXPECT_EQ(Cli("stats " + plain + " --by week", dir).code, 1);
    EXPECT_EQ(Cli("tree " + plain + " --key 5", dir).code, 1);
    EXPECT_EQ(Cli("tree " + plain + " --lang fra", dir).code, 1);
}

TEST(Cli, BadInputIsReadByTheRules) {
    TempDir dir;
    std::string binary;
    for (int i = 0; i < 200000; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    WriteFile(dir.File("bin"), binary);
    WriteFile(dir.File("nul"), std::string(1 << 20, '\0'));
    WriteFile(dir.File("utf8"), "\xC3\x28\xA0\xA1\xE2\x28\xA1\r\n" + Msg("a (h)", "Mon Jan  5 09:03:01 2004", "\xF0\x28\x8C\x28"));
    {
        std::ofstream big(dir.File("bigline"), std::ios::binary);
        std::string chunk(1 << 20, 'x');
        for (int i = 0; i < 64; ++i) big << chunk;
        big << "\r\n" << Msg("a (h)", "Mon Jan  5 09:03:01 2004", "after the long line");
    }
    {
        // The same long line inside a message body.
        std::ofstream big(dir.File("bigbody"), std::ios::binary);
        big << Msg("a (h)", "Mon Jan  5 09:03:01 2004", "before");
        std::string chunk(1 << 20, 'y');
        for (int i = 0; i < 64; ++i) big << chunk;
        big << "\r\n" << Msg("b (h)", "Mon Jan  5 09:04:01 2004", "after");
    }
    struct Case {
        std::string file;
        std::string messages;
    };
    for (const Case& c : {Case{"bin", "0"}, Case{"nul", "0"}, Case{"utf8", "1"}, Case{"bigline", "1"},
                          Case{"bigbody", "2"}}) {
        const std::string file = dir.File(c.file);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const int fd = open(dir.File("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            execl(kCli.c_str(), kCli.c_str(), "info", file.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.file;
        const std::string out = ReadFile(dir.File("stdout"));
        EXPECT_NE(out.find("Messages:      " + c.messages + "\n"), std::string::npos) << c.file << out;
#ifndef QX_UNDER_ASAN
        // Memory stays within a small multiple of the file (plus the program itself).
        const double peak = static_cast<double>(usage.ru_maxrss) * 1024.0;
        EXPECT_LT(peak, 4.0 * static_cast<double>(std::filesystem::file_size(file)) + 32e6) << c.file;
#endif
    }
}

TEST(Cli, FollowPrintsEachAppendedMessageOnce) {
    TempDir dir;
    const std::string log = dir.File("f.log");
    const std::string a = Msg("a (h)", "Mon Jan  5 09:03:01 2004", "first");
    const std::string b = Msg("b (h)", "Mon Jan  5 09:04:01 2004", "second");
    const std::string c = Msg("c (h)", "Mon Jan  5 09:05:01 2004", "third\nhas two lines");
    WriteFile(log, a);
    const std::string out = dir.File("follow.out");
    const std::string err = dir.File("follow.err");
    const std::string d = Msg("d (h)", "Mon Jan  5 09:06:01 2004", "fourth, after the log was replaced");
    const std::string script =
        "(" + Quote(kCli) + " follow " + Quote(log) + " --format jsonl >" + Quote(out) + " 2>" + Quote(err) +
        " & pid=$!; " +
        "sleep 1.2; printf '%s' " + Quote(b) + " >>" + Quote(log) + "; " +
        "sleep 1.2; printf '%s' " + Quote(c.substr(0, c.size() - 10)) + " >>" + Quote(log) + "; " +
        "sleep 0.3; printf '%s' " + Quote(c.substr(c.size() - 10)) + " >>" + Quote(log) + "; " +
        "sleep 1.5; printf '%s' " + Quote(a + d) + " >" + Quote(log) + "; " +
        "sleep 1.5; kill $pid; wait $pid) 2>/dev/null";
    std::system(script.c_str());
    const auto lines = Lines(ReadFile(out));
    ASSERT_EQ(lines.size(), 4u) << ReadFile(out);
    EXPECT_NE(lines[3].find("fourth, after the log was replaced"), std::string::npos) << lines[3];
    EXPECT_NE(ReadFile(err).find("replaced or shortened"), std::string::npos) << ReadFile(err);
    EXPECT_NE(lines[0].find("\"PlainBody\":\"first\\r\\n\""), std::string::npos);
    EXPECT_NE(lines[1].find("\"PlainBody\":\"second\\r\\n\""), std::string::npos);
    EXPECT_NE(lines[2].find("\"PlainBody\":\"third\\r\\nhas two lines\\r\\n\""), std::string::npos) << lines[2];
}

}  // namespace
