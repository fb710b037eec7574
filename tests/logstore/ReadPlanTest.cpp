#include <gtest/gtest.h>

#include "logstore/ReadPlan.h"

namespace qx {
namespace {

// The last read: 1000 bytes of file 7/42, five records, the last block at 900
// produced record 4.
LastRead Last() {
    LastRead last;
    last.loadedSize = 1000;
    last.device = 7;
    last.inode = 42;
    last.tail = {true, 900, 4, -1, 0, true};
    last.resumeOffset = 1000;
    last.recordCount = 5;
    return last;
}

FileNow Now(std::uint64_t size) { return {size, 7, 42, true, false}; }

TEST(ReadPlan, DecidesWhereAReadStartsAndWhatItTakesBack) {
    struct Case {
        const char* what;
        std::uint64_t startOffset;
        bool full;
        LastRead last;
        FileNow now;
        ReadPlan expected;
    };
    LastRead folded = Last();
    folded.tail = {true, 900, 5, 3, 17, false};
    LastRead noTail = Last();
    noTail.tail = ReadTail{};
    LastRead halfLine = noTail;
    halfLine.resumeOffset = 980;
    LastRead gone = Last();
    gone.recordCount = 3;  // the tail's record is no longer there
    FileNow grownGoesOn = Now(1500);
    grownGoesOn.lastBlockGoesOn = true;
    FileNow otherBytes = Now(1500);
    otherBytes.fingerprintMatches = false;
    FileNow otherFile = Now(1500);
    otherFile.inode = 43;
    FileNow otherDevice = Now(1500);
    otherDevice.device = 8;
    const Case cases[] = {
        {"full load", 0, true, Last(), Now(1500), {true, false, 0, -1, -1, 0, -1}},
        {"grown, new block behind", 1000, false, Last(), Now(1500), {false, false, 1000, -1, -1, 0, -1}},
        {"same size", 1000, false, Last(), Now(1000), {false, false, 1000, -1, -1, 0, -1}},
        {"shrunk", 1000, false, Last(), Now(800), {true, true, 0, -1, -1, 0, -1}},
        {"replaced by another file", 1000, false, Last(), otherFile, {true, true, 0, -1, -1, 0, -1}},
        {"on another device", 1000, false, Last(), otherDevice, {true, true, 0, -1, -1, 0, -1}},
        {"same size but other bytes", 1000, false, Last(), otherBytes, {true, true, 0, -1, -1, 0, -1}},
        {"asked from elsewhere than the end", 600, false, Last(), Now(1500), {true, true, 0, -1, -1, 0, -1}},
        {"half-written last block", 1000, false, Last(), grownGoesOn, {false, false, 900, 4, -1, 0, 4}},
        {"half-written block folded", 1000, false, folded, grownGoesOn, {false, false, 900, -1, 3, 17, 3}},
        {"half-written block no longer held", 1000, false, gone, grownGoesOn, {false, false, 900, -1, -1, 0, -1}},
        {"half-written line before any block", 1000, false, halfLine, Now(1500), {false, false, 980, -1, -1, 0, -1}},
        {"nothing read before", 1000, false, noTail, Now(1500), {false, false, 1000, -1, -1, 0, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ReadPlan p = PlanRead(c.startOffset, c.full, c.last, c.now);
        EXPECT_EQ(p.full, c.expected.full);
        EXPECT_EQ(p.replaced, c.expected.replaced);
        EXPECT_EQ(p.from, c.expected.from);
        EXPECT_EQ(p.dropFrom, c.expected.dropFrom);
        EXPECT_EQ(p.truncate, c.expected.truncate);
        EXPECT_EQ(p.truncateLength, c.expected.truncateLength);
        EXPECT_EQ(p.changed, c.expected.changed);
    }
}

}  // namespace
}  // namespace qx
