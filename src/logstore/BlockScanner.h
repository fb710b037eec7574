// Cutting the text of a log into message blocks and building their records.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kernels/Kernels.h"
#include "logstore/LogData.h"

namespace qx {

class TextArena;

// Where the records built from a buffer keep their text: the buffer, and an
// arena for their parsed fields. A record read as it stands keeps the arena,
// and the arena keeps the buffers of such records.
struct RecordStore {
    std::shared_ptr<const void> storage;
    std::shared_ptr<TextArena> arena;
    HeaderLineMemo* memo = nullptr;  // the building thread's
};

// Cuts lines of a read buffer into blocks and builds their records. A block whose
// lines all end in CR LF and need no conversion is kept as a place in the buffer,
// without copying; only a block with a line to change is assembled in a copy.
// Two scanners can work on two parts of one buffer at once, each part starting at
// a top separator line.
struct BlockScanner {
    struct Pending {
        std::uint64_t offset;
        std::size_t begin, length;  // in the buffer, for a block read as it stands
        int copy;                   // index into `copies`, or -1
        bool crlf;                  // read as it stands, and no CR but those of its CR LF line ends
    };

    // How the scanner finds the lines that need a closer look: 64 bytes at a
    // time with the kernel's line classifier, or every line one by one with the
    // plain kernel.
    const kernels::Kernel* kernel = &kernels::Active();
    const char* base = nullptr;   // the buffer
    std::uint64_t baseOffset = 0; // file offset of base[0]
    bool inBlocks = false;
    bool blockClean = true;
    bool blockCrLf = true;  // no line of the block holds a CR of its own
    std::size_t blockBegin = 0;
    std::uint64_t blockOffset = 0;
    std::string blockCopy;
    std::string converted;
    std::vector<Pending> pending;
    std::deque<std::string> copies;
    std::vector<LogData> built;

    std::string_view Text(std::size_t i) const {
        const Pending& p = pending[i];
        return p.copy >= 0 ? std::string_view(copies[static_cast<std::size_t>(p.copy)])
                           : std::string_view(base + p.begin, p.length);
    }

    // Ends the block being read at endIndex.
    void Finish(std::size_t endIndex);
    // One line [ls, contentEnd) whose line end (if any) runs to the next line.
    // A line without its line end may still grow (the messenger may be writing
    // it), so it never opens a block: mayOpenBlock is false for it.
    void Line(std::size_t ls, std::size_t contentEnd, bool crlf, bool mayOpenBlock = true);
    // The complete lines in [from, to); to is just behind a line feed.
    void Lines(std::size_t from, std::size_t to);
    // Builds the records of the pending blocks not built yet into `built`. With
    // a known password, encrypted headers are opened here too.
    void Build(const RecordStore& store, const std::string& password);
    // Cuts and builds the complete lines [from, to) a piece at a time, so that
    // each block is built while its bytes are still in the processor's cache.
    void LinesAndBuild(std::size_t from, std::size_t to, const RecordStore& store, const std::string& password);
    void Clear() {
        pending.clear();
        copies.clear();
        built.clear();
    }

private:
    void StartBlock(std::size_t ls, bool clean);
    // The line starting at ls and ending with the line feed at nl.
    void LineTo(std::size_t ls, std::size_t nl);
    void SlowLines(std::size_t from, std::size_t to);
    void FastLines(std::size_t from, std::size_t to);
};

// Where a part of [from, to) may start for a second scanner: the start of a top
// separator line at or after `from` whose line ends before `to`, or `to`.
std::size_t NextSeparatorLine(const char* base, std::size_t from, std::size_t to);

}  // namespace qx
