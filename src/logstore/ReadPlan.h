// Where a read of a log starts, decided from what the last read left and what
// the file is now. No file is touched here: the caller looks at the file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qx {

// The last block the last read took in: it may have been cut off while the
// messenger was still writing it.
struct ReadTail {
    bool valid = false;
    std::uint64_t offset = 0;     // where the last block of the last read starts
    std::size_t recordCount = 0;  // records before that block was added
    long long foldedInto = -1;    // record the block was folded into
    std::size_t foldedBodyLength = 0;
    bool produced = false;        // the block produced a record of its own
};

// What the last read left behind.
struct LastRead {
    std::uint64_t loadedSize = 0;
    std::uint64_t device = 0, inode = 0;
    ReadTail tail;
    std::uint64_t resumeOffset = 0;  // where a half-written line before any block starts
    std::size_t recordCount = 0;     // records held now
};

// What the file is now.
struct FileNow {
    std::uint64_t size = 0;
    std::uint64_t device = 0, inode = 0;
    bool fingerprintMatches = true;  // the bytes before loadedSize are those the last read ended on
    bool lastBlockGoesOn = false;    // the bytes behind loadedSize continue the last block read
};

struct ReadPlan {
    bool full = true;
    bool replaced = false;       // the file shrank or was replaced: reported, then read in full
    std::uint64_t from = 0;      // where reading starts
    // What is taken back to be read again whole: the records from dropFrom on,
    // or the body of record `truncate` back to truncateLength.
    long long dropFrom = -1;
    long long truncate = -1;
    std::size_t truncateLength = 0;
    long long changed = -1;      // the record whose text is read again, or -1
};

// A full read reads from 0. A differential read from startOffset continues
// behind the last read unless the file shrank or was replaced, or the last block
// read may have been cut off while the messenger was still writing it.
ReadPlan PlanRead(std::uint64_t startOffset, bool full, const LastRead& last, const FileNow& now);

}  // namespace qx
