#include "logstore/BlockScanner.h"

#include <algorithm>
#include <cstring>

#include "logstore/TextArena.h"
#include "platform/Bytes.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace qx {

namespace {

constexpr std::string_view kCrLf = "\r\n";

}  // namespace

void BlockScanner::Finish(std::size_t endIndex) {
    if (!inBlocks) return;
    if (blockClean) {
        if (endIndex > blockBegin) {
            pending.push_back({blockOffset, blockBegin, endIndex - blockBegin, -1, blockCrLf});
        }
    } else if (!blockCopy.empty()) {
        copies.push_back(std::move(blockCopy));
        blockCopy.clear();
        pending.push_back({blockOffset, 0, 0, static_cast<int>(copies.size()) - 1, false});
    }
}

void BlockScanner::Line(std::size_t ls, std::size_t contentEnd, bool crlf, bool mayOpenBlock) {
    std::string_view line(base + ls, contentEnd - ls);
    bool changed = !crlf;
    const bool ownCr = std::memchr(line.data(), '\r', line.size()) != nullptr;
    if (!IsAscii(line)) {
        converted.assign(line);
        if (ConvertUtf8LineInPlace(converted)) {
            line = converted;
            changed = true;
        }
    }
    if (mayOpenBlock && IsTopSeparator(line)) {
        Finish(ls);
        StartBlock(ls, !changed);
        if (!blockClean) {
            blockCopy.assign(line);
            blockCopy.append(kCrLf);
        }
        if (ownCr) blockCrLf = false;
    } else if (inBlocks) {
        if (ownCr) blockCrLf = false;
        if (blockClean && changed) {
            blockClean = false;
            blockCopy.assign(base + blockBegin, ls - blockBegin);
        }
        if (!blockClean) {
            blockCopy.append(line);
            blockCopy.append(kCrLf);
        }
    }
}

void BlockScanner::StartBlock(std::size_t ls, bool clean) {
    inBlocks = true;
    blockOffset = baseOffset + ls;
    blockBegin = ls;
    blockClean = clean;
    blockCrLf = true;
}

void BlockScanner::LineTo(std::size_t ls, std::size_t nl) {
    const bool crlf = nl > ls && base[nl - 1] == '\r';
    Line(ls, crlf ? nl - 1 : nl, crlf);
}

void BlockScanner::Lines(std::size_t from, std::size_t to) {
    if (kernel->version == kernels::Version::Plain) {
        SlowLines(from, to);
    } else {
        FastLines(from, to);
    }
}

void BlockScanner::SlowLines(std::size_t from, std::size_t to) {
    while (from < to) {
        const char* nlp = static_cast<const char*>(std::memchr(base + from, '\n', to - from));
        const std::size_t nl = static_cast<std::size_t>(nlp - base);
        LineTo(from, nl);
        from = nl + 1;
    }
}

// Most lines need nothing: a line inside a block read as it stands that ends
// in CR LF and is not UTF-8, or any line outside a block but a separator. The
// kernel finds the lines that may need something, sixty-four bytes at a time,
// and only these go through Line():
//  - a line starting with "=" (a separator, or a line that converts to one);
//  - a line ending in a bare LF, or holding a CR that is not part of CR LF;
//  - a line whose first byte above 0x7F could start UTF-8 (0xC2..0xF4 followed
//    by 0x80..0xBF); any other such line is no UTF-8 and stays as it is.
// Inside a block already being copied, every line goes through Line().
void BlockScanner::FastLines(std::size_t from, std::size_t to) {
    const auto nextLineToLookAt = kernel->nextLineToLookAt;
    std::size_t ls = 0, nl = 0;
    while (from < to) {
        if (inBlocks && !blockClean) {
            nl = static_cast<std::size_t>(static_cast<const char*>(std::memchr(base + from, '\n', to - from)) - base);
            LineTo(from, nl);
        } else if (nextLineToLookAt(base, from, to, ls, nl)) {
            LineTo(ls, nl);
        } else {
            return;
        }
        from = nl + 1;
    }
}

void BlockScanner::Build(const RecordStore& store, const std::string& password) {
    built.reserve(pending.size());
    const std::shared_ptr<const void> none;
    std::shared_ptr<const void> owner;
    for (std::size_t i = built.size(); i < pending.size(); ++i) {
        const bool inPlace = pending[i].copy < 0;
        if (inPlace && !owner) {
            store.arena->Keep(store.storage);
            owner = store.arena;
        }
        LogData& r = built.emplace_back(Text(i), inPlace ? owner : none, inPlace && pending[i].crlf,
                                        inPlace ? store.arena.get() : nullptr, store.memo);
        if (r.HeaderMode() == kModeEncrypted && !password.empty()) {
            r.OpenHeader(password, inPlace ? store.arena.get() : nullptr, store.memo);
        }
    }
}

void BlockScanner::LinesAndBuild(std::size_t from, std::size_t to, const RecordStore& store,
                                 const std::string& password) {
    constexpr std::size_t kPiece = 256 << 10;
    built.reserve(built.size() + (to - from) / 256 + 16);
    while (from < to) {
        std::size_t end = to;
        if (to - from > kPiece) {
            const void* nl = std::memchr(base + from + kPiece - 1, '\n', to - (from + kPiece - 1));
            end = static_cast<std::size_t>(static_cast<const char*>(nl) - base) + 1;
        }
        Lines(from, end);
        Build(store, password);
        from = end;
    }
}

// Where a part of [from, to) may start for a second scanner: the start of a top
// separator line at or after `from` whose line ends before `to`, or `to`.
std::size_t NextSeparatorLine(const char* base, std::size_t from, std::size_t to) {
    static constexpr char kNeedle[] = "\n====================================";  // LF and 36 "="
    const std::size_t needle = sizeof kNeedle - 1;
    std::size_t at = from > 0 ? from - 1 : 0;
    while (to - at > needle) {
        const char* hit = sys::FindBytes(base + at, to - at, kNeedle, needle);
        if (!hit) return to;
        const std::size_t ls = static_cast<std::size_t>(hit - base) + 1;
        // 36 "=", one more byte, then the line end: CR LF, or LF.
        const std::size_t mark = ls + 36;
        if (mark + 1 < to && base[mark] != '\n') {
            const bool lf = base[mark + 1] == '\n';
            const bool crlf = mark + 2 < to && base[mark + 1] == '\r' && base[mark + 2] == '\n';
            if ((lf && base[mark] != '\r') || crlf) return ls;
        }
        at = ls;
    }
    return to;
}

}  // namespace qx
