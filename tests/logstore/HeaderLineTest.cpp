#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "kernels/Kernels.h"
#include "logstore/HeaderLine.h"

namespace qx {
namespace {

// Prints the marks, so that a difference shows where it is.
std::string Describe(const LineMarks& m) {
    return "colon " + std::to_string(m.colon) + " open " + std::to_string(m.open) + " close " +
           std::to_string(m.close) + " paren " + std::to_string(m.lastParen) + " closeParen " +
           std::to_string(m.lastCloseParen) + (m.to ? " to" : "") + (m.from ? " from" : "") +
           (m.attach ? " attach" : "") + (m.at ? " at" : "");
}

TEST(HeaderLine, MarksOfTypicalLines) {
    struct Case {
        std::string line;
        LineMarks marks;
    };
    LineMarks to;
    to.colon = 3;
    to.open = 8;
    to.close = 10;
    to.lastParen = 12;
    to.lastCloseParen = 15;
    to.to = true;
    LineMarks fromTrail;  // "From:" then a name whose second bytes are "[" and "("
    fromTrail.colon = 5;
    fromTrail.from = true;
    LineMarks attach;
    attach.lastParen = 3;
    attach.lastCloseParen = 8;
    attach.attach = true;
    LineMarks at;
    at.colon = 19;  // the first ":" of the time
    at.at = true;
    const Case cases[] = {
        {"To: bob[b] (pc)", to},
        {"From:\x81[\x8a(", fromTrail},
        {"  (\x93Y\x95t) a.txt", attach},
        {"  at Tue Jan  1 08:01:52 2019", at},
        {"", LineMarks{}},
        {"\x81", LineMarks{}},  // a lead byte with nothing behind it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Describe(ScanHeaderLineBytewise(c.line)), Describe(c.marks)) << c.line;
        for (const kernels::Version v : kernels::Supported()) {
            const kernels::ScopedKernel use(v);
            EXPECT_EQ(Describe(ScanHeaderLine(c.line)), Describe(c.marks)) << c.line << " " << NameOf(v);
        }
    }
}

// The fast scan takes 64 bytes at a time: lead bytes, marks and second bytes that
// look like marks on every place around those steps, in lines of every length.
TEST(HeaderLine, FastScanAgreesWithTheBytewiseOneEverywhere) {
    std::vector<std::string> pieces = {
        "To:", "From:", "at ", "(\x93Y\x95t)", ":", "[", "]", "(", ")", "T", "F", "a", " ", "x",
        "\x81\x81", "\x82\xa0", "\xa1", "\xff", "/", "\x81",
    };
    // Every mark behind the bytes at the edges of the lead byte ranges, and just outside them.
    for (const char lead : {'\x80', '\x81', '\x9f', '\xa0', '\xdf', '\xe0', '\xfc', '\xfd'}) {
        for (const char mark : {':', '[', ']', '(', ')', 'T', 'F', 'a'}) pieces.push_back({lead, mark});
    }
    std::mt19937 rng(20261210);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        const std::size_t target = rng() % 200;
        while (line.size() < target) line += pieces[pick(rng)];
        // Also every cut of the line near a 64-byte step.
        for (std::size_t cut : {line.size(), std::size_t{63}, std::size_t{64}, std::size_t{65}, std::size_t{127},
                                std::size_t{128}}) {
            if (cut > line.size()) continue;
            const std::string_view v(line.data(), cut);
            const std::string want = Describe(ScanHeaderLineBytewise(v));
            for (const kernels::Version version : kernels::Supported()) {
                if (version == kernels::Version::Plain) continue;  // that is the bytewise scan
                const kernels::ScopedKernel use(version);
                ASSERT_EQ(Describe(ScanHeaderLine(v)), want)
                    << "round " << round << " length " << cut << " " << NameOf(version);
            }
        }
    }
    // A lead byte as the 64th byte hides a mark in the first byte of the next step.
    for (std::size_t at = 60; at < 68; ++at) {
        std::string line(at, 'x');
        line += "\x81:(T";
        for (const kernels::Version v : kernels::Supported()) {
            const kernels::ScopedKernel use(v);
            EXPECT_EQ(Describe(ScanHeaderLine(line)), Describe(ScanHeaderLineBytewise(line))) << at << NameOf(v);
        }
    }
}

}  // namespace
}  // namespace qx
