#include <gtest/gtest.h>

#include "BrowseSupport.h"
#include "browse/ViewText.h"

namespace qx::test {
namespace {

using V = std::vector<std::string>;

V Texts(const std::vector<LinkSpan>& spans, const std::string& text) {
    V out;
    for (const auto& s : spans) out.push_back(text.substr(s.first, s.length));
    return out;
}

TEST(Links, MarkLinksFindsEveryAddressAndWhereItEnds) {
    struct Case {
        std::string text;
        V links;
    };
    const std::string fullWidthA = "\x82\x60";  // "Ａ"
    const std::vector<Case> cases = {
        {"see http://a.example/x?q=1&r=(2)#top now", {"http://a.example/x?q=1&r=(2)#top"}},
        {"https://a.jp/ ftp://b.jp", {"https://a.jp/", "ftp://b.jp"}},
        {"<http://a.jp>\"http://b.jp\"", {"http://a.jp", "http://b.jp"}},
        {"http://a.jp/" + fullWidthA + "b", {"http://a.jp/"}},  // ends before a cp932 character
        {"http://a.jp/[x] http://b.jp/{y}|", {"http://a.jp/", "http://b.jp/"}},
        {"HTTP://a.jp mailto:x@y file://z", {}},  // prefixes are case-sensitive
        {"http://", {"http://"}},
        {"xhttp://a.jp", {"http://a.jp"}},
        // "\x83\x68" is a katakana whose second byte is "h": no address starts there.
        {"\x83\x68ttp://a.jp", {}},
        {"\x83\x68ttp://a.jp http://b.jp", {"http://b.jp"}},
        {"\x83\x68http://a.jp", {"http://a.jp"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Texts(MarkLinks(c.text), c.text), c.links) << c.text;
    }
    EXPECT_EQ(MarkLinks("ab http://x.jp"), (std::vector<LinkSpan>{{3, 11}}));
}

TEST(Links, UrlCharacterSet) {
    const std::string in = "#$%&()*+,-./0123456789:;?@AZ_az~!=";
    for (char c : in) EXPECT_TRUE(IsUrlChar(static_cast<unsigned char>(c))) << c;
    const std::string out = " \t\r\n\"'`\\<>[]^{|}\x7f";
    for (char c : out) EXPECT_FALSE(IsUrlChar(static_cast<unsigned char>(c))) << int(c);
    for (int c = 0x80; c <= 0xff; ++c) EXPECT_FALSE(IsUrlChar(static_cast<unsigned char>(c)));
}

TEST(Links, FindLinkAtTheEdgesOfAnAddress) {
    const std::string text = "go http://a.jp/x now";
    //                        0123456789...       address 3..15
    struct Case {
        std::size_t position;
        bool found;
    };
    for (const Case& c : std::vector<Case>{{2, false},  // the blank before
                                           {3, true},   // first character
                                           {10, true},
                                           {15, true},   // last character
                                           {16, false},  // the blank after
                                           {18, false},
                                           {200, false}}) {
        const LinkHit hit = FindLinkAt(text, c.position);
        EXPECT_EQ(hit.found, c.found) << c.position;
        if (c.found) {
            EXPECT_EQ(hit.link, "http://a.jp/x");
            EXPECT_EQ(hit.first, 3u);
            EXPECT_EQ(hit.last, 15u);
        } else {
            EXPECT_EQ(hit.link, "");
        }
    }
    // A prefix needs eight more characters after its first one.
    EXPECT_TRUE(FindLinkAt("http://ab", 0).found);
    EXPECT_FALSE(FindLinkAt("http://a", 0).found);
    EXPECT_TRUE(FindLinkAt("http://a and more", 0).found);
    // Of two prefixes the nearest one before the position counts.
    const std::string nested = "http://x.jp/?u=http://y.jp";
    EXPECT_EQ(FindLinkAt(nested, 20).link, "http://y.jp");
    EXPECT_EQ(FindLinkAt(nested, 5).link, nested);
    // Behind a double-byte character.
    const std::string kana = "\x82\xa0http://a.jp/";
    EXPECT_EQ(FindLinkAt(kana, 2).link, "http://a.jp/");
    EXPECT_FALSE(FindLinkAt(kana, 1).found);
}

TEST(ViewText, RenderMessageStylesHeaderQuotesAndText) {
    LogData r = Rec("alice (pc1)", "Mon Jan  5 09:03:01 2004",
                    "> one\n>two\n| three http://a.jp/q\nreply\n> later\n");
    ViewOptions o;
    o.quoteMarks = {">", "", "|"};
    RenderedMessage m = RenderMessage(r, o);
    ASSERT_EQ(m.lines.size(), 4u + 5u);
    const V header = {kTop, " From: alice (pc1)", "  at Mon Jan  5 09:03:01 2004", kBody};
    for (std::size_t i = 0; i < header.size(); ++i) {
        EXPECT_EQ(m.lines[i].text, header[i]);
        EXPECT_EQ(m.lines[i].role, LineRole::Header);
    }
    const std::vector<LineRole> roles = {LineRole::Quote, LineRole::Quote, LineRole::Quote,
                                         LineRole::Text, LineRole::Quote};
    for (std::size_t i = 0; i < roles.size(); ++i) EXPECT_EQ(m.lines[4 + i].role, roles[i]) << i;
    EXPECT_EQ(m.leadingQuotes, 3);  // the quote after "reply" does not count
    EXPECT_EQ(m.lines[6].links, (std::vector<LinkSpan>{{8, 13}}));  // quoted and underlined
    EXPECT_EQ(m.headerLabel, "");

    o.headerApart = true;
    o.quoteMarks = {""};  // an empty mark quotes nothing
    m = RenderMessage(r, o);
    ASSERT_EQ(m.lines.size(), 5u);
    EXPECT_EQ(m.lines[0].text, "> one");
    EXPECT_EQ(m.lines[0].role, LineRole::Text);
    EXPECT_EQ(m.leadingQuotes, 0);
    EXPECT_EQ(m.headerLabel, " From: alice (pc1)\r\n  at Mon Jan  5 09:03:01 2004");
}

TEST(ViewText, ALongLineIsCutIntoPiecesWithTheRestKept) {
    const std::string so = "\x83\x5C";
    struct Case {
        std::string line;
        std::size_t limit;
        std::string shown, hidden;
    } cases[] = {
        {"abcdefgh", 3, "abc", "defgh"},
        {"ab" + so + "cd", 3, "ab", so + "cd"},  // never half a character
        {"abc", 3, "abc", ""},
        {"see http://a.example/x", 12, "see http://a", ".example/x"},
    };
    for (const Case& c : cases) {
        const ViewLine piece = NextLinePiece(c.line, LineRole::Quote, c.limit);
        EXPECT_EQ(piece.text, c.shown) << c.line;
        EXPECT_EQ(piece.hidden, c.hidden) << c.line;
        EXPECT_EQ(piece.role, LineRole::Quote);
    }
    // Links are found within the piece only.
    EXPECT_EQ(Texts(NextLinePiece("see http://a.example/x", LineRole::Text, 12).links,
                    "see http://a"), V({"http://a"}));

    // Through a message: a body line past the limit leaves its rest hidden.
    LogData r = Rec("a (h)", "Mon Jan  5 09:03:01 2004", std::string(100, 'x') + "\nshort");
    ViewOptions options;
    options.headerApart = true;
    options.lineLimit = 40;
    const RenderedMessage m = RenderMessage(r, options);
    ASSERT_EQ(m.lines.size(), 2u);
    EXPECT_EQ(m.lines[0].text, std::string(40, 'x'));
    EXPECT_EQ(m.lines[0].hidden, std::string(60, 'x'));
    EXPECT_EQ(m.lines[1].text, "short");
    EXPECT_TRUE(m.lines[1].hidden.empty());
}

TEST(ViewText, QuoteTextPrefixesEveryLineAndEndsItWithCrLf) {
    struct Case {
        std::string text, prefix, expected;
    };
    const std::vector<Case> cases = {
        {"a\r\n\r\nb", ">", ">a\r\n>\r\n>b\r\n"},
        {"a\r\nb\r\n", ">", ">a\r\n>b\r\n"},  // a final line end starts no line
        {"a\rb\nc", "> ", "> a\r\n> b\r\n> c\r\n"},
        {"a\n\n", "", "a\r\n\r\n"},
        {"x", ">>>", ">>>x\r\n"},
        {"", ">", ""},
        {"\r\n", ">", ">\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(QuoteText(c.text, c.prefix), c.expected) << c.text;
}

}  // namespace
}  // namespace qx::test
