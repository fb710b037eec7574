#include <gtest/gtest.h>

#include "TestSupport.h"
#include "crypto/Base64.h"
#include "crypto/ProtectedText.h"
#include "logstore/LogData.h"
#include "logstore/TextArena.h"

namespace qx {
namespace {

using test::Block;
using test::kBody;
using test::kTop;

const std::string kFw = "\x81\x40";  // full-width space

struct HeaderCase {
    std::string line;
    std::string direction, user, bracket, group, host, ip;
};

TEST(LogDataHeader, AddresseeLines) {
    const HeaderCase cases[] = {
        {"From: alice (dev/pc01/192.168.0.5)", "From:", "alice,", kFw + ",", "dev,", "pc01,", "192.168.0.5,"},
        {"To: bob[b] (pc02)", "To:", "bob,", "b,", ",", "pc02,", ","},
        {"To: carol", "To:", "carol,", kFw + ",", kFw + ",", kFw + ",", kFw + ","},
        {"To: bob[b]", "To:", "bob[b],", kFw + ",", kFw + ",", kFw + ",", kFw + ","},
        {"To:(pc03)", "To:", kFw + ",", kFw + ",", ",", "pc03,", ","},
        {"To: (pc03)", "To:", ",", kFw + ",", ",", "pc03,", ","},
        {"From: dave* (pc)", "From:", "dave,", kFw + ",", ",", "pc,", ","},
        {"From: x (a/b/pc/10.0.0.1)", "From:", "x,", kFw + ",", "a/b,", "pc,", "10.0.0.1,"},
        {"From: x (a/b/pc)", "From:", "x,", kFw + ",", "a/b,", "pc,", ","},
        {"From: x (pc/10.0.0.1)", "From:", "x,", kFw + ",", ",", "pc,", "10.0.0.1,"},
        {"From: x (g/pc)", "From:", "x,", kFw + ",", "g,", "pc,", ","},
        {"From: x (a/b/c/pc/1.2.3.4)", "From:", "x,", kFw + ",", "a/b/c,", "pc,", "1.2.3.4,"},
        {"From: x (a/b/c/pc)", "From:", "x,", kFw + ",", "a/b/c,", "pc,", ","},
        // no range check in the address test; wrong part counts fail it
        {"From: x (pc/300.1.2.3)", "From:", "x,", kFw + ",", ",", "pc,", "300.1.2.3,"},
        {"From: x (pc/1.2.3)", "From:", "x,", kFw + ",", "pc,", "1.2.3,", ","},
        {"From: x (pc/a.b.c.d)", "From:", "x,", kFw + ",", "pc,", "a.b.c.d,", ","},
        {"From: x (pc/1.-1.2.3)", "From:", "x,", kFw + ",", "pc,", "1.-1.2.3,", ","},
        // brackets after the parentheses still make a bracket part
        {"To: y (pc) [n]", "To:", "y (pc),", "n,", ",", "pc,", ","},
        // only one bracket: the name runs up to the last "("
        {"To: y[ (pc)", "To:", "y[,", kFw + ",", ",", "pc,", ","},
        // a katakana whose trail byte is "[" does not open a bracket part
        {"To: \x83[\x83]x (pc)", "To:", "\x83[\x83]x,", kFw + ",", ",", "pc,", ","},
        // "To:" is searched anywhere in the line
        {" Reply-To: z", "Reply-To:", "z,", kFw + ",", kFw + ",", kFw + ",", kFw + ","},
    };
    for (const auto& c : cases) {
        LogData r(Block(c.line + "\n  at Mon Jan  5 09:03:01 2004", "body"));
        SCOPED_TRACE(c.line);
        EXPECT_EQ(r.Direction(), c.direction);
        EXPECT_EQ(r.UserName(), c.user);
        EXPECT_EQ(r.BracketName(), c.bracket);
        EXPECT_EQ(r.GroupName(), c.group);
        EXPECT_EQ(r.HostName(), c.host);
        EXPECT_EQ(r.IpAddress(), c.ip);
        EXPECT_EQ(r.AddresseeCount(), 1);
    }
}

TEST(LogDataHeader, SeveralAddresseesAccumulate) {
    LogData r(Block(" To: a (h1)\n To: b (h2)\n To: c[n] (g/h3/1.2.3.4)\n  at Mon Jan  5 09:03:01 2004", "x"));
    EXPECT_EQ(r.AddresseeCount(), 3);
    EXPECT_EQ(r.UserName(), "a, b, c,");
    EXPECT_EQ(r.HostName(), "h1,h2,h3,");
    EXPECT_EQ(r.BracketName(), kFw + "," + kFw + ",n,");
    EXPECT_EQ(r.GroupName(), ",,g,");
    EXPECT_EQ(r.IpAddress(), ",,1.2.3.4,");
    EXPECT_EQ(r.Direction(), "To:");
}

struct DateCase {
    std::string line;
    std::string weekDay, month, day, time, year, note;
};

TEST(LogDataHeader, DateTokens) {
    const DateCase cases[] = {
        {"  at Mon Jan  5 09:03:01 2004", "Mon", "Jan", "5", "09:03:01", "2004", ""},
        {"  at Tue Feb 10 23:59:59 2026 (opened)", "Tue", "Feb", "10", "23:59:59", "2026", "(opened)"},
        {"at Wed,Mar,1,00:00:00,1999", "Wed", "Mar", "1", "00:00:00", "1999", ""},
        {"at \"Thu day\" Apr 2 10:00:00 2001 \"a \"\"b\"\"\"", "Thu day", "Apr", "2", "10:00:00", "2001", "a \"b\""},
        {"at Fri May 3 10:00:00 2002 \x93\xFA\x96\x7B", "Fri", "May", "3", "10:00:00", "2002", "\x93\xFA\x96\x7B"},
        // five tokens: the date stays empty
        {"  at Mon Jan 5 09:03:01", "", "", "", "", "", ""},
        // a trailing comma adds an empty sixth token
        {"at Sat Jun 4 11:00:00,", "Sat", "Jun", "4", "11:00:00", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        LogData r(Block("From: a\n" + c.line, "x"));
        EXPECT_EQ(r.WeekDay(), c.weekDay);
        EXPECT_EQ(r.Month(), c.month);
        EXPECT_EQ(r.Day(), c.day);
        EXPECT_EQ(r.Time(), c.time);
        EXPECT_EQ(r.Year(), c.year);
        EXPECT_EQ(r.DateNote(), c.note);
    }
}

TEST(LogDataHeader, MonthNumberAndDateString) {
    LogData r(Block("From: a\n  at Mon Jan  5 09:03:01 2004", "x"));
    EXPECT_EQ(r.MonthNumber(), "01");
    EXPECT_EQ(r.DateString(false), "2004/01/5");
    EXPECT_EQ(r.DateString(true), "01/5/2004");
    EXPECT_EQ(LogData(Block("From: a\n at Mon Dec 31 1:2:3 2004", "x")).MonthNumber(), "12");
    EXPECT_EQ(LogData(Block("From: a\n at Mon jan 31 1:2:3 2004", "x")).MonthNumber(), "01");
    EXPECT_EQ(LogData(Block("From: a\n at Mon Xyz 31 1:2:3 2004", "x")).MonthNumber(), "01");
    // Every name, and names that only begin like one.
    const std::pair<const char*, int> months[] = {
        {"Jan", 1}, {"Feb", 2}, {"Mar", 3},  {"Apr", 4},  {"May", 5},  {"Jun", 6},  {"Jul", 7},
        {"Aug", 8}, {"Sep", 9}, {"Oct", 10}, {"Nov", 11}, {"Dec", 12}, {"Ju", 1},   {"June", 1},
        {"DEC", 1}, {"Oc", 1},  {"Oct.", 1}, {"\"\"", 1}};
    for (const auto& [name, index] : months) {
        const LogData m(Block(std::string("From: a\n at Mon ") + name + " 31 1:2:3 2004", "x"));
        EXPECT_EQ(m.MonthIndex(), index) << name;
    }
}

TEST(LogDataHeader, LineKindsInOrder) {
    // "(添付)" with "at " is an attachment line; "From:" with "at " is an addressee line.
    const std::string attach = "  (\x93Y\x95t) notes at noon.txt";
    LogData r(Block("From: bob at home\n" + attach + "\n  at Mon Jan  5 09:03:01 2004\nother", "x"));
    EXPECT_EQ(r.Direction(), "From:");
    EXPECT_EQ(r.UserName(), "bob at home,");
    EXPECT_EQ(r.AttachLine(), attach);
    EXPECT_EQ(r.Year(), "2004");
    EXPECT_EQ(r.HeaderText(), "From: bob at home\r\n" + attach + "\r\n  at Mon Jan  5 09:03:01 2004\r\nother");
}

TEST(LogDataBlock, MarksSeparatorsAndBody) {
    struct Case {
        std::string top, sep;
        int headerMode, bodyMode;
    };
    const Case cases[] = {
        {kTop, kBody, 0, 0},
        {std::string(36, '=') + "1", std::string(36, '-') + "1", 1, 1},
        {std::string(36, '=') + "3", std::string(36, '-') + "x", -1, -1},
    };
    for (const auto& c : cases) {
        std::string header = "From: a\n  at Mon Jan  5 09:03:01 2004";
        if (c.headerMode == 1) header = Base64Encode("From: a") + "\n" + Base64Encode("  at Mon Jan  5 09:03:01 2004");
        LogData r(Block(header, "b", c.top, c.sep));
        EXPECT_EQ(r.HeaderMode(), c.headerMode);
        EXPECT_EQ(r.BodyMode(), c.bodyMode);
        EXPECT_EQ(r.TopSeparator(), c.top);
        EXPECT_EQ(r.BodySeparator(), c.sep);
        EXPECT_EQ(r.Year(), "2004") << "header parsed whatever the mark but 2";
        EXPECT_EQ(r.HeaderText(), "From: a\r\n  at Mon Jan  5 09:03:01 2004");
    }
}

TEST(LogDataBlock, StructureRules) {
    // Lines before the top separator are dropped; a second top separator in the
    // header is a header line; a second body separator is body text.
    LogData r("junk\r\n" + kTop + "\r\nFrom: a\r\n" + kTop + "\r\n  at Mon Jan  5 09:03:01 2004\r\n" + kBody +
              "\r\nline1\r\n" + kBody + "\r\n\r\n");
    EXPECT_EQ(r.HeaderText(), "From: a\r\n" + kTop + "\r\n  at Mon Jan  5 09:03:01 2004");
    EXPECT_EQ(r.BodyText(), "line1\r\n" + kBody + "\r\n\r\n");

    // No body separator: nothing is parsed and both marks read 0.
    LogData noSep(kTop + "\r\nFrom: a\r\n  at Mon Jan  5 09:03:01 2004\r\n");
    EXPECT_EQ(noSep.HeaderText(), "");
    EXPECT_EQ(noSep.Direction(), "");
    EXPECT_EQ(noSep.BodyMode(), 0);
    EXPECT_EQ(noSep.HeaderMode(), 0);

    // A header of one empty line is empty; separators of 36 or 38 bytes are no separators.
    EXPECT_EQ(LogData(kTop + "\r\n\r\n" + kBody + "\r\n").HeaderText(), "");
    LogData shortSep(kTop + "\r\nFrom: a\r\n" + std::string(36, '-') + "\r\n" + std::string(38, '-') + "\r\n" + kBody + "\r\nb\r\n");
    EXPECT_EQ(shortSep.HeaderText(), "From: a\r\n" + std::string(36, '-') + "\r\n" + std::string(38, '-'));
    EXPECT_EQ(shortSep.BodyText(), "b\r\n");

    LogData folded = r;
    const std::size_t len = folded.BodyText().size();
    folded.AppendBody("more\r\n");
    EXPECT_EQ(folded.BodyText().substr(len), "more\r\n");
    folded.TruncateBody(len);
    EXPECT_EQ(folded.BodyText(), r.BodyText());
    EXPECT_EQ(folded.HeaderBlock(), kTop + "\r\n" + std::string(r.HeaderText()) + "\r\n" + kBody + "\r\n");
}

TEST(LogDataProtected, EncryptedHeaderAndBody) {
    const std::string key = MakeCipherKey("pw");
    const std::string header = "From: a (h)\r\n  at Mon Jan  5 09:03:01 2004";
    const std::string body = "secret line\r\n\r\n";
    LogData r(Block(EncryptText(header, key), EncryptText(body, key), std::string(36, '=') + "2",
                    std::string(36, '-') + "2"));
    EXPECT_EQ(r.HeaderMode(), 2);
    EXPECT_TRUE(r.HeaderEncrypted());
    EXPECT_EQ(r.Direction(), "") << "a mark-2 header is not parsed before it is decrypted";

    r.DecryptHeader(2, "wrong");
    EXPECT_FALSE(r.PasswordOk());
    EXPECT_TRUE(r.HeaderEncrypted()) << "a header that does not decrypt stays as read";
    EXPECT_EQ(r.PlainBody("wrong"), kPasswordNg);
    std::string appended = "header";
    r.AppendPlainBody(appended, "wrong");
    EXPECT_EQ(appended, "header" + std::string(kPasswordNg));
    EXPECT_FALSE(r.PasswordOk());

    r.DecryptHeader(2, "pw");
    EXPECT_TRUE(r.PasswordOk());
    EXPECT_EQ(r.HeaderText(), header);
    r.ParseHeader();
    EXPECT_EQ(r.HostName(), "h,");
    EXPECT_EQ(r.PlainBody("pw"), body);
    appended = "header";
    r.AppendPlainBody(appended, "pw");
    EXPECT_EQ(appended, "header" + body);
    EXPECT_TRUE(r.PasswordOk());
    EXPECT_EQ(r.PreviewLine("pw", ""), "secret line");
}

TEST(LogDataProtected, PreviewLineSkipsPrefix) {
    LogData r(Block("From: a\n  at Mon Jan  5 09:03:01 2004", "[To] x\n[To] y\nhello\nworld"));
    EXPECT_EQ(r.PreviewLine("", "[To]"), "hello");
    EXPECT_EQ(r.PreviewLine("", ""), "[To] x");
    LogData all(Block("From: a\n  at Mon Jan  5 09:03:01 2004", "[To] x"));
    EXPECT_EQ(all.PreviewLine("", "[To]"), "");
}

TEST(LogDataProtected, SavingKeepsWhatCannotBeDecrypted) {
    const std::string otherKey = MakeCipherKey("other");
    const std::string header = "From: a\r\n  at Mon Jan  5 09:03:01 2004";
    const std::string encHeader = EncryptText(header, otherKey);
    const std::string encBody = EncryptText("hidden\r\n", otherKey);
    LogData r(Block(encHeader, encBody, std::string(36, '=') + "2", std::string(36, '-') + "2"));
    r.DecryptHeader(2, "pw");
    int written = -1;
    const std::string body = r.SaveBody(0, "pw", &written);
    EXPECT_EQ(written, 2);
    EXPECT_EQ(body, encBody + "\r\n");
    EXPECT_EQ(r.SaveHeaderBlock(0, written, "pw"),
              std::string(36, '=') + "2\r\n" + encHeader + "\r\n" + std::string(36, '-') + "2\r\n");
}

}  // namespace
}  // namespace qx

namespace qx {
namespace {

TEST(LogDataHeader, LaterDateLinesOverwriteAndKeepTheNote) {
    LogData r(test::Block("From: a\n at Mon Jan 5 1:00:00 2004 (note)\n at Tue Feb 6 2:00:00 2005", "x"));
    EXPECT_EQ(r.Year(), "2005");
    EXPECT_EQ(r.Month(), "Feb");
    EXPECT_EQ(r.DateNote(), "(note)");
}


// Records whose fields went to an arena read and change as records that own them,
// and keep the arena and the block text alive on their own.
TEST(LogDataArena, FieldsInAnArenaReadAndChangeAlike) {
    const std::string blocks[] = {
        Block(" From: alice[a] (dev/pc01/192.168.0.5)\n To: bob (pc02)\n  at Mon Jan  5 09:03:01 2004\n"
              "  (\x93Y\x95t) a.txt",
              "hello\nworld"),
        Block(" To: " + std::string(300, 'n') + " (g/h)\n  at Tue Feb  6 10:00:00 2005 \"a note\"", "x"),
        Block(" From: carol\n  at Wed Mar  7 11:00:00 2006", ""),  // no body: the fields stay in the record
    };
    for (const std::string& block : blocks) {
        auto storage = std::make_shared<std::string>(block);
        auto arena = std::make_shared<TextArena>(64);  // small blocks: a long field gets one of its own
        arena->Keep(storage);
        LogData kept(*storage, arena, true, arena.get());
        const LogData owned(block);
        ASSERT_EQ(test::RecordText(kept), test::RecordText(owned));
        const std::string before = test::RecordText(kept);
        storage.reset();
        arena.reset();

        LogData copy = kept;
        copy.AppendBody("more\r\n");
        LogData grown = owned;
        grown.AppendBody("more\r\n");
        EXPECT_EQ(test::RecordText(copy), test::RecordText(grown));
        EXPECT_EQ(test::RecordText(kept), before) << "a copy changes alone";
        copy.TruncateBody(2);
        grown.TruncateBody(2);
        EXPECT_EQ(test::RecordText(copy), test::RecordText(grown));
    }
}

// An addressee line recalled from the memo gives the record it gives when it
// is taken apart: alone, before other addressee lines, behind other header
// lines, and when the memo is full and takes no more lines.
TEST(LogDataMemo, RecalledLinesGiveTheSameRecord) {
    const std::string firsts[] = {
        " From: alice[a] (dev/pc01/192.168.0.5)", " To: bob (pc02)", "To: carol*", " To:  (g/h/i/j/1.2.3.4) ",
        " From: \x83[\x83]x (a/b/c/pc)",           " Reply-To: z",    "To: y[ (pc)", " From: d (pc) [n]",
    };
    const std::string afters[] = {
        "  at Mon Jan  5 09:03:01 2004",
        " To: e (h2)\n  at Tue Feb  6 10:00:00 2005 \"a note\"",
        "  (\x93Y\x95t) a.txt\n  at Wed Mar  7 11:00:00 2006",
    };
    HeaderLineMemo memo;
    for (int round = 0; round < 2; ++round) {  // the first fills the memo, the second recalls
        for (const std::string& first : firsts) {
            for (const std::string& after : afters) {
                for (const std::string& header : {first + "\n" + after, after + "\n" + first}) {
                    const std::string block = Block(header, "body");
                    SCOPED_TRACE(header);
                    EXPECT_EQ(test::RecordText(LogData(block, {}, false, nullptr, &memo)),
                              test::RecordText(LogData(block)));
                }
            }
        }
    }
    // More lines than the memo keeps: the ones it has no room for are taken apart.
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 1000; ++i) {
            const std::string block =
                Block(" To: user" + std::to_string(i) + " (g/h" + std::to_string(i % 7) + ")\n  at Mon Jan  5 09:03:01 2004", "x");
            ASSERT_EQ(test::RecordText(LogData(block, {}, false, nullptr, &memo)), test::RecordText(LogData(block)));
        }
    }
}

// Records that own their text are values: a copy, or a record assigned over,
// changes on its own and leaves the record it came from as it was.
TEST(LogDataOwned, CopiesAndAssignmentsChangeAlone) {
    const LogData a(Block(" From: alice (dev/pc01)\n  at Mon Jan  5 09:03:01 2004", "hello"));
    const std::string original = test::RecordText(a);
    LogData b = a;
    b.AppendBody("more\r\n");
    EXPECT_NE(test::RecordText(b), original);
    EXPECT_EQ(test::RecordText(a), original);

    LogData c(Block(" To: bob\n  at Tue Feb  6 10:00:00 2005", "x"));  // owns a text already
    c = b;
    EXPECT_EQ(test::RecordText(c), test::RecordText(b));
    const LogData& self = c;
    c = self;
    EXPECT_EQ(test::RecordText(c), test::RecordText(b));
    b.TruncateBody(0);
    EXPECT_NE(test::RecordText(c), test::RecordText(b));

    LogData empty;  // nothing owned: copies of it are empty too
    LogData d = a;
    d = empty;
    EXPECT_EQ(test::RecordText(d), test::RecordText(LogData()));
    EXPECT_EQ(test::RecordText(a), original);
}

// The header lines found while cutting the block are parsed as the lines of the
// header text would be: a block with LF line ends has its header joined again and
// parsed from that text, and must give the same record.
TEST(LogDataHeader, LinesFoundOnceParseAsTheJoinedText) {
    std::string many;
    for (int i = 0; i < 20; ++i) many += " To: user" + std::to_string(i) + " (g/h" + std::to_string(i) + ")\n";
    const std::string headers[] = {
        " From: alice (dev/pc01/192.168.0.5)\n  at Mon Jan  5 09:03:01 2004",
        " From: alice (pc)\n\n  at Mon Jan  5 09:03:01 2004\n\n",  // empty lines, also at the end
        "\n",
        many + "  at Tue Feb  6 10:00:00 2005",                       // more lines than are kept
        " To: bob\n  (\x93Y\x95t) a.txt\n  (\x93Y\x95t) b.txt\n  at Wed Mar  7 11:00:00 2006 note",
    };
    for (const std::string& header : headers) {
        const std::string crlf = Block(header, "body\nlines");
        std::string lf = crlf;
        for (std::size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.erase(p, 1);
        EXPECT_EQ(test::RecordText(LogData(crlf)), test::RecordText(LogData(lf))) << header;
    }
}

// An encrypted header opened while the block is built (decrypted and parsed in
// one step, into an arena) gives the record DecryptHeader and ParseHeader give,
// and one that does not open stays as read.
TEST(LogDataArena, HeaderOpenedAtOnceMatchesDecryptThenParse) {
    const std::string key = MakeCipherKey("pw");
    const std::string header = " From: a[b] (g/h/10.0.0.1)\r\n To: c (k)\r\n  at Mon Jan  5 09:03:01 2004 (x)";
    const std::string block = Block(EncryptText(header, key), EncryptText("secret\r\n", key),
                                    std::string(36, '=') + "2", std::string(36, '-') + "2");
    HeaderLineMemo memo;
    struct Case {
        const char* password;
        HeaderLineMemo* memo;  // the second time with it, its line is recalled
    };
    for (const Case c : {Case{"pw", nullptr}, Case{"wrong", nullptr}, Case{"pw", &memo}, Case{"pw", &memo}}) {
        const char* password = c.password;
        auto storage = std::make_shared<std::string>(block);
        auto arena = std::make_shared<TextArena>(4096);
        arena->Keep(storage);
        LogData opened(*storage, arena, true, arena.get());
        opened.OpenHeader(password, arena.get(), c.memo);
        storage.reset();
        arena.reset();

        LogData stepwise(block);
        stepwise.DecryptHeader(2, password);
        if (!stepwise.HeaderEncrypted()) stepwise.ParseHeader();
        EXPECT_EQ(test::RecordText(opened), test::RecordText(stepwise)) << password;
        EXPECT_EQ(opened.HeaderEncrypted(), stepwise.HeaderEncrypted());
        EXPECT_EQ(opened.PasswordOk(), stepwise.PasswordOk());
        EXPECT_EQ(opened.PlainBody(password), stepwise.PlainBody(password));
    }
    const std::string_view first = " From: a[b] (g/h/10.0.0.1)";
    EXPECT_NE(memo.Find(first, HeaderLineMemo::Hash(first)), nullptr);
}

}  // namespace
}  // namespace qx
