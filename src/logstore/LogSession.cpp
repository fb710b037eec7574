#include "logstore/LogSession.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <cstring>

#include "logstore/TextArena.h"
#include "platform/BackgroundJob.h"
#include "platform/FileSystem.h"
#include "platform/Processor.h"
#include "platform/ReplaceFile.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace qx {

namespace {

ReadTuning g_tuning;

constexpr std::size_t kReadChunk = 4 << 20;
constexpr std::size_t kMinRead = 4096;
constexpr std::size_t kReadSlack = 64;  // lets the read that finds the end need no new buffer
constexpr std::size_t kWriteChunk = 1 << 20;
constexpr std::size_t kWriterAbove = 10000;  // records from which saving writes on a second thread
constexpr int kSaveLockWaitMs = 15000;  // how long a save waits for another save of the same file
constexpr std::size_t kFingerprint = 64;
// A separator is 37 cp932 bytes; in UTF-8 it could take at most a few more.
constexpr std::size_t kLongestSeparatorLine = 64;
// A large stretch of lines is cut into parts of about this size for two threads.
constexpr std::size_t kPartSize = 2 << 20;
constexpr std::size_t kMaxParts = 512;
constexpr std::size_t kArenaBlock = 2 << 20;
constexpr std::string_view kCrLf = "\r\n";

std::string Bracketed(const std::string& path) { return "[" + path + "]"; }

}  // namespace

void SetReadTuning(const ReadTuning& tuning) { g_tuning = tuning; }

std::vector<std::string_view> SplitNames(std::string_view text) {
    std::vector<std::string_view> names;
    ForEachName(text, [&](std::string_view name) { names.push_back(name); });
    return names;
}

std::uint64_t LogSession::LogFileSize(const std::string& fileName) { return sys::FileSize(fileName); }


bool LogSession::AskPassword(bool twoFields) {
    while (true) {
        std::optional<PasswordEntry> entry = ui_.AskPasswordOnce(twoFields);
        if (!entry) return false;
        if (twoFields && entry->first != entry->second) continue;  // both emptied, ask again
        CurrentPassword = entry->first;
        if (!CurrentPassword.empty()) return true;
    }
}

bool LogSession::AddBlock(std::string_view blockText) { return AdoptRecord(LogData(blockText), blockText); }

bool LogSession::AdoptRecord(LogData&& built, std::string_view blockText) {
    records.push_back(std::move(built));
    LogData& r = records.back();
    if (r.HeaderMode() == kModeEncrypted) {
        if (!r.HeaderEncrypted()) return true;  // decrypted and parsed while it was built
        if (CurrentPassword.empty() && !suppressPasswordPrompt_) {
            int failures = 0;
            while (true) {
                if (!AskPassword(false)) return false;
                r.DecryptHeader(kModeEncrypted, CurrentPassword);
                if (r.PasswordOk()) break;
                CurrentPassword.clear();
                if (++failures == 3) {
                    ui_.ShowMessage("String08", Bracketed(LogFileName) + "\n");
                    return false;
                }
            }
        } else if (!CurrentPassword.empty()) {
            r.DecryptHeader(kModeEncrypted, CurrentPassword);
        }
        if (!r.HeaderEncrypted()) r.ParseHeader();
    } else if (r.Direction().empty() || r.Year().empty()) {
        // Not a message of its own: it belongs to the body of the one before.
        records.pop_back();
        if (!records.empty()) records.back().AppendBody(blockText);
        foldedBlocks_ = true;
    }
    return true;
}

namespace {

#if defined(__SSE2__)
// Sixty-four bytes of text as bits: line feeds, CRs, "=" and bytes above 0x7F.
struct LineBits {
    std::uint64_t nl, cr, eq, hi;
};

// With sixteen-byte vectors, as on any processor of this kind.
struct NarrowLineBits {
    [[gnu::always_inline]] static inline LineBits Of(const unsigned char* w) {
        LineBits b{0, 0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + 16 * k));
            const int shift = 16 * k;
            b.nl |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))))}
                    << shift;
            b.cr |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))))}
                    << shift;
            b.eq |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('='))))}
                    << shift;
            b.hi |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(v))} << shift;
        }
        return b;
    }
};

#if defined(QX_WIDE_VECTORS)
// With 64-byte vectors: one load and a compare for each kind.
struct WideLineBits {
    __attribute__((target("avx512f,avx512bw"))) static LineBits Of(const unsigned char* w) {
        const __m512i v = _mm512_loadu_si512(w);
        return {_mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\n')), _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\r')),
                _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('=')), _mm512_movepi8_mask(v)};
    }
};
#endif
#endif

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
    void Finish(std::size_t endIndex) {
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

    // One line [ls, contentEnd) whose line end (if any) runs to the next line.
    // A line without its line end may still grow (the messenger may be writing
    // it), so it never opens a block: mayOpenBlock is false for it.
    void Line(std::size_t ls, std::size_t contentEnd, bool crlf, bool mayOpenBlock = true) {
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

    void StartBlock(std::size_t ls, bool clean) {
        inBlocks = true;
        blockOffset = baseOffset + ls;
        blockBegin = ls;
        blockClean = clean;
        blockCrLf = true;
    }

    // The line starting at ls and ending with the line feed at nl.
    void LineTo(std::size_t ls, std::size_t nl) {
        const bool crlf = nl > ls && base[nl - 1] == '\r';
        Line(ls, crlf ? nl - 1 : nl, crlf);
    }

    // The complete lines in [from, to); to is just behind a line feed.
    void Lines(std::size_t from, std::size_t to) {
#if defined(__SSE2__)
        if (!g_tuning.lineByLine) {
            FastLines(from, to);
            return;
        }
#endif
        SlowLines(from, to);
    }

    void SlowLines(std::size_t from, std::size_t to) {
        while (from < to) {
            const char* nlp = static_cast<const char*>(std::memchr(base + from, '\n', to - from));
            const std::size_t nl = static_cast<std::size_t>(nlp - base);
            LineTo(from, nl);
            from = nl + 1;
        }
    }

#if defined(__SSE2__)
    // Most lines need nothing: a line inside a block read as it stands that ends
    // in CR LF and is not UTF-8, or any line outside a block but a separator.
    // Sixty-four bytes at a time, only these lines go through Line():
    //  - a line starting with "=" (a separator, or a line that converts to one);
    //  - a line ending in a bare LF, or holding a CR that is not part of CR LF;
    //  - a line whose first byte above 0x7F could start UTF-8 (0xC2..0xF4 followed
    //    by 0x80..0xBF); any other such line is no UTF-8 and stays as it is.
    // Inside a block already being copied, every line goes through Line().
    void FastLines(std::size_t from, std::size_t to) {
#if defined(QX_WIDE_VECTORS)
        if (!g_tuning.narrowVectors && sys::HasWideVectors()) {
            FastLinesWide(from, to);
            return;
        }
#endif
        FastLinesWith<NarrowLineBits>(from, to);
    }

#if defined(QX_WIDE_VECTORS)
    __attribute__((target("avx512f,avx512bw"))) void FastLinesWide(std::size_t from, std::size_t to) {
        FastLinesWith<WideLineBits>(from, to);
    }
#endif

    template <typename Bits>
    [[gnu::always_inline]] inline void FastLinesWith(std::size_t from, std::size_t to) {
        std::size_t pos = from;        // where the next window starts
        std::size_t lineStart = from;  // start of the line pos is in
        bool highSeen = false;         // that line's first high byte was looked at
        alignas(16) unsigned char tail[64];
        while (pos < to) {
            if (inBlocks && !blockClean) {
                const char* nlp = static_cast<const char*>(std::memchr(base + pos, '\n', to - pos));
                const std::size_t nl = static_cast<std::size_t>(nlp - base);
                LineTo(lineStart, nl);
                pos = lineStart = nl + 1;
                highSeen = false;
                continue;
            }
            const std::size_t avail = to - pos;
            const unsigned char* w = reinterpret_cast<const unsigned char*>(base + pos);
            std::uint64_t valid = ~std::uint64_t{0};
            if (avail < 64) {
                std::memset(tail, 0, sizeof tail);
                std::memcpy(tail, w, avail);
                w = tail;
                valid = (std::uint64_t{1} << avail) - 1;
            }
            const LineBits bits = Bits::Of(w);
            std::uint64_t nlm = bits.nl, crm = bits.cr, eqm = bits.eq, him = bits.hi;
            nlm &= valid;
            crm &= valid;
            eqm &= valid;
            him &= valid;
            const std::uint64_t starts = (nlm << 1) | (pos == lineStart ? 1u : 0u);
            const std::uint64_t crBefore = (crm << 1) | (pos > lineStart && base[pos - 1] == '\r' ? 1u : 0u);
            // A CR with no LF behind it; the range ends in an LF, so a CR in its
            // last window always has its next byte in the window.
            const bool lfNext = pos + 64 < to && base[pos + 64] == '\n';
            const std::uint64_t lfBehind = (nlm >> 1) | (lfNext ? std::uint64_t{1} << 63 : 0);
            std::uint64_t events = (starts & eqm) | (nlm & ~crBefore) | (crm & ~lfBehind);
            // The first high byte of each line.
            std::uint64_t high = him;
            if (highSeen) high &= nlm ? ~((nlm & -nlm) * 2 - 1) : 0;
            bool highOpen = false;
            while (high) {
                const int p = __builtin_ctzll(high);
                const unsigned char b = w[p];
                if (b >= 0xC2 && b <= 0xF4) {
                    const unsigned char next = static_cast<unsigned char>(base[pos + static_cast<std::size_t>(p) + 1]);
                    if (next >= 0x80 && next <= 0xBF) events |= std::uint64_t{1} << p;
                }
                const std::uint64_t after = p == 63 ? 0 : nlm & ~((std::uint64_t{2} << p) - 1);
                if (!after) {
                    highOpen = true;
                    break;
                }
                const std::uint64_t through = (after & -after) * 2 - 1;  // up to that line feed
                high &= ~through;
            }
            if (!events) {
                if (nlm) lineStart = pos + 64 - static_cast<std::size_t>(__builtin_clzll(nlm));
                highSeen = highOpen || (!nlm && highSeen);
                pos += std::min<std::size_t>(avail, 64);
                continue;
            }
            // The line of the first event goes through Line(); go on behind it.
            const int e = __builtin_ctzll(events);
            const std::uint64_t below = nlm & ((std::uint64_t{1} << e) - 1);
            const std::size_t ls = below ? pos + 64 - static_cast<std::size_t>(__builtin_clzll(below)) : lineStart;
            const std::uint64_t atOrAfter = nlm & ~((std::uint64_t{1} << e) - 1);
            std::size_t nl;
            if (atOrAfter) {
                nl = pos + static_cast<std::size_t>(__builtin_ctzll(atOrAfter));
            } else {
                const std::size_t from2 = pos + static_cast<std::size_t>(e);
                nl = static_cast<std::size_t>(
                    static_cast<const char*>(std::memchr(base + from2, '\n', to - from2)) - base);
            }
            LineTo(ls, nl);
            pos = lineStart = nl + 1;
            highSeen = false;
        }
    }
#endif

    // Builds the records of the pending blocks not built yet into `built`. With
    // a known password, encrypted headers are opened here too.
    void Build(const RecordStore& store, const std::string& password) {
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

    // Cuts and builds the complete lines [from, to) a piece at a time, so that
    // each block is built while its bytes are still in the processor's cache.
    void LinesAndBuild(std::size_t from, std::size_t to, const RecordStore& store, const std::string& password) {
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

    void Clear() {
        pending.clear();
        copies.clear();
        built.clear();
    }
};

// Where a part of [from, to) may start for a second scanner: the start of a top
// separator line at or after `from` whose line ends before `to`, or `to`.
std::size_t NextSeparatorLine(const char* base, std::size_t from, std::size_t to) {
    static constexpr char kNeedle[] = "\n====================================";  // LF and 36 "="
    const std::size_t needle = sizeof kNeedle - 1;
    std::size_t at = from > 0 ? from - 1 : 0;
    while (to - at > needle) {
        const void* hit = memmem(base + at, to - at, kNeedle, needle);
        if (!hit) return to;
        const std::size_t ls = static_cast<std::size_t>(static_cast<const char*>(hit) - base) + 1;
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

// Writes chunks to a file on a thread of its own, so that the next chunks are
// put together while the ones before go to the file. A few chunks wait in
// line: the writing thread goes from one to the next without waiting to be
// handed each, and the thread putting them together waits only when the line
// is full.
class ChunkWriter {
public:
    explicit ChunkWriter(sys::OutputFile& out) : out_(out), startedOut_(out.Position()) {
        // The writing thread only writes; this one starts writing out what it
        // wrote, while it would wait anyway.
        out_.SetWriteBehind(false);
        job_.Start([this] { Drain(); });
    }
    ~ChunkWriter() {
        try {
            Finish();
        } catch (...) {
        }
        out_.SetWriteBehind(true);
    }

    // Takes `chunk` to write (and gives back an emptied buffer in its place).
    // false when a write before failed; out's error() says why.
    bool Hand(std::string& chunk) {
        const std::uint64_t written = base_ + written_.load();
        if (written - startedOut_ >= kWriteOutStep) {
            out_.StartWriteOut(startedOut_, written);
            startedOut_ = written;
        }
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return queued_.size() < kQueued || failed_; });
        if (failed_) return false;
        queued_.push_back(std::move(chunk));
        chunk.clear();
        if (!spare_.empty()) {
            chunk.swap(spare_.back());
            spare_.pop_back();
        }
        changed_.notify_all();
        return true;
    }
    // Writes what is in line and stops; false when any write failed.
    bool Finish() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
        }
        changed_.notify_all();
        job_.Wait();
        // The rest goes out now, before the sync waits for it all.
        const std::uint64_t written = base_ + written_.load();
        out_.StartWriteOut(startedOut_, written);
        startedOut_ = written;
        std::lock_guard<std::mutex> lock(mutex_);
        return !failed_;
    }

private:
    static constexpr std::size_t kQueued = 4;
    static constexpr std::uint64_t kWriteOutStep = 2u << 20;

    void Drain() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (true) {
            changed_.wait(lock, [this] { return !queued_.empty() || closed_; });
            if (queued_.empty()) return;  // closed, and all written
            std::string chunk = std::move(queued_.front());
            queued_.pop_front();
            lock.unlock();
            const bool ok = !failed_ && out_.Write(chunk);
            if (ok) written_.fetch_add(chunk.size());
            chunk.clear();
            lock.lock();
            if (!ok) failed_ = true;
            spare_.push_back(std::move(chunk));
            changed_.notify_all();
        }
    }

    sys::OutputFile& out_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> queued_;  // handed on, not written yet, in order
    std::vector<std::string> spare_;  // written, to be filled again
    bool closed_ = false;
    bool failed_ = false;
    std::atomic<std::uint64_t> written_{0};  // bytes written by the writing thread
    std::uint64_t startedOut_;               // writing out was started up to here
    const std::uint64_t base_ = startedOut_; // where the writing thread began
    sys::BackgroundJob job_;                 // last: it goes first, finishing its writes
};

// Whether a plain save writes the record's body as it stands: it is stored as
// it reads.
bool BodyAsStored(const LogData& r) { return r.BodyMode() != kModeEncoded && r.BodyMode() != kModeEncrypted; }

// Appends the record's header block and its body as it stands, without a copy.
void AppendAsStored(std::string& buf, LogData& r, int headerMode, const std::string& password) {
    r.AppendHeaderBlock(buf, headerMode, kModePlain, password);
    buf += r.BodyText();
}

}  // namespace

// A save in the making: its temporary file, the thread writing it, and the text
// not handed on yet. Begun during a read, it holds the records before `next`.
struct LogSession::SaveStream {
    SaveStream(const std::string& targetFile, const WriteOptions& saveOptions)
        : target(targetFile), options(saveOptions) {}

    const std::string target;
    const WriteOptions options;
    std::string realTarget;             // the file behind target's links
    std::string ownershipProblem;       // why the owner of the replaced file could not be kept
    sys::TempFile temp;                 // removed unless it replaced the target
    std::optional<ChunkWriter> writer;  // after `temp`, whose file it writes to
    std::string buf;
    std::uint64_t handedOn = 0;         // bytes handed to the file so far
    std::size_t next = 0;               // the records before it are written
    bool armed = false;                 // waits for the next full read
    bool feeding = false;               // that read is under way

    ~SaveStream() { Discard(); }
    sys::OutputFile& out() { return temp.out(); }
    void Discard() {
        writer.reset();
        temp.Discard();
    }
    // Hands the text put together so far to the file.
    bool HandOn() {
        handedOn += buf.size();
        const bool ok = writer ? writer->Hand(buf) : out().Write(buf);
        buf.clear();
        return ok;
    }
};

bool LogSession::AddBlockTracked(std::string_view blockText, std::uint64_t offset, LogData* built) {
    Tail t;
    t.valid = true;
    t.offset = offset;
    t.recordCount = records.size();
    t.foldedBodyLength = records.empty() ? 0 : records.back().BodyText().size();
    const bool ok = built ? AdoptRecord(std::move(*built), blockText) : AddBlock(blockText);
    t.produced = records.size() > t.recordCount;
    if (t.produced && t.recordCount == 0) leadLength_ = offset;
    if (!t.produced && !records.empty() && records.back().BodyText().size() != t.foldedBodyLength) {
        t.foldedInto = static_cast<long long>(records.size()) - 1;
    }
    tail_ = t;
    return ok;
}

bool LogSession::CheckBodyPassword() {
    auto it = std::find_if(records.begin(), records.end(),
                           [](const LogData& r) { return r.BodyMode() == kModeEncrypted; });
    if (it == records.end()) return true;
    int failures = 0;
    while (true) {
        if (CurrentPassword.empty() && !AskPassword(false)) return false;
        it->PlainBody(CurrentPassword);
        if (it->PasswordOk()) return true;
        CurrentPassword.clear();
        if (++failures == 3) {
            ui_.ShowMessage("String08", Bracketed(LogFileName) + "\n");
            return false;
        }
    }
}

void LogSession::CloseLog() {
    saveStream_.reset();
    written_ = Written{};
    records.clear();
    PendingDeletions = 0;
    LogFileName.clear();
    tail_ = Tail{};
    leadLength_ = 0;
}

bool LogSession::SameFileAsLoaded(const std::string& fileName) const {
    const sys::FileInfo info = sys::Stat(fileName);
    return info.exists && info.device == loadedDevice_ && info.inode == loadedInode_;
}

bool LogSession::FileChanged() const {
    if (LogFileName.empty()) return false;
    const sys::FileInfo info = sys::Stat(LogFileName);
    // A file copied over the log keeps its identity but not its time.
    return !info.exists || info.size != LoadedSize || info.device != loadedDevice_ || info.inode != loadedInode_ ||
           info.modifiedNs != loadedModifiedNs_;
}

LoadResult LogSession::Reload() {
    if (!FileChanged()) {
        LoadResult nothing;
        nothing.firstNew = records.size();
        return nothing;
    }
    return LoadLog(LogFileName, LoadedSize);
}

LoadResult LogSession::LoadLog(const std::string& fileName, std::uint64_t startOffset) {
    LoadResult result;
    const sys::FileInfo info = sys::Stat(fileName);
    if (!info.exists) {
        result.status = LoadStatus::Missing;
        // A log that vanished while open is reported once, not at every reload.
        if (startOffset == 0 || !vanishedReported_) ui_.ShowMessage("String02", Bracketed(fileName));
        if (startOffset != 0) vanishedReported_ = true;
        result.firstNew = records.size();
        return result;
    }
    vanishedReported_ = false;
    if (startOffset == 0 && AdoptWritten(fileName)) {
        result.fullRead = true;
        result.tookSaved = true;
        return result;
    }
    written_.valid = false;
    if (info.isDirectory) {
        ui_.ShowError("Cannot read " + Bracketed(fileName) + ": it is a folder, not a log file");
        result.status = LoadStatus::Unreadable;
        result.firstNew = records.size();
        return result;
    }
    return ReadFrom(fileName, startOffset, startOffset == 0);
}

LoadResult LogSession::ReadFrom(const std::string& fileName, std::uint64_t startOffset, bool full) {
    LoadResult result;
    sys::InputFile in;
    if (!in.Open(fileName)) {
        ui_.ShowError("Cannot read " + Bracketed(fileName) + ": " +
                      (in.error() == EINVAL ? std::string("not a regular file")
                                            : sys::ErrorText(in.error())));
        result.status = LoadStatus::Unreadable;
        result.firstNew = records.size();
        return result;
    }
    const sys::FileInfo info = in.Info();
    // A read long enough to be shared starts its helper thread now, so that the
    // thread is up by the time the first parts are cut.
    std::optional<sys::BackgroundJob> helperThread;
    if (info.size > startOffset && info.size - startOffset >= g_tuning.splitAbove) helperThread.emplace();

    // Decide where to start. A differential read continues behind LoadedSize
    // unless the file shrank or was replaced, or the last block read may have been
    // cut off while the messenger was still writing it.
    std::uint64_t readFrom = startOffset;
    std::size_t firstNew = records.size();
    long long changed = -1;
    if (!full) {
        bool replaced = info.size < startOffset || info.device != loadedDevice_ ||
                        info.inode != loadedInode_ || startOffset != LoadedSize;
        if (!replaced && !loadedFingerprint_.empty()) {
            std::string check(loadedFingerprint_.size(), '\0');
            const std::uint64_t at = LoadedSize - loadedFingerprint_.size();
            replaced = in.ReadAt(at, check.data(), check.size()) !=
                           static_cast<long long>(check.size()) ||
                       check != loadedFingerprint_;
        }
        if (replaced) {
            ui_.ShowError("The log " + Bracketed(fileName) +
                          " was replaced or shortened by another program; reading it again in full");
            full = true;
            readFrom = 0;
        } else if (tail_.valid) {
            if (LastBlockGoesOn(in)) {
                // Take the last block back and read it again whole.
                if (tail_.produced && tail_.recordCount < records.size()) {
                    const bool wasDeleted = records[tail_.recordCount].Deleted();
                    records.resize(tail_.recordCount);
                    if (wasDeleted) --PendingDeletions;
                    changed = static_cast<long long>(tail_.recordCount);
                } else if (tail_.foldedInto >= 0 &&
                           static_cast<std::size_t>(tail_.foldedInto) < records.size()) {
                    records[static_cast<std::size_t>(tail_.foldedInto)].TruncateBody(tail_.foldedBodyLength);
                    changed = tail_.foldedInto;
                }
                readFrom = tail_.offset;
            }
        } else if (resumeOffset_ < LoadedSize) {
            readFrom = resumeOffset_;  // a half-written line in front of any block
        }
    }

    LogFolder = sys::FolderOf(fileName);
    ReadOnlyMode = ForceReadOnly || sys::IsReadOnly(fileName);
    LogFileName = fileName;

    if (full) {
        records.clear();
        foldedBlocks_ = false;
        PendingDeletions = 0;
        firstNew = 0;
        changed = -1;
        suppressPasswordPrompt_ = false;
        tail_ = Tail{};
        ui_.ProgressBegin("Loading...");
        ui_.Progress(0);
    }
    // A save begun early takes the records of the full read that follows; any
    // other read leaves it behind what the records are, so it is dropped.
    if (saveStream_) {
        if (full && saveStream_->armed) {
            saveStream_->armed = false;
            saveStream_->feeding = true;
        } else {
            saveStream_.reset();
        }
    }
    struct StopFeeding {
        std::unique_ptr<SaveStream>& stream;
        ~StopFeeding() {
            if (stream) stream->feeding = false;
        }
    } stopFeeding{saveStream_};
    if (!in.Seek(readFrom)) {
        if (full) ui_.ProgressEnd();
        ui_.ShowError("Cannot read " + Bracketed(fileName) + ": " + sys::ErrorText(in.error()));
        result.status = LoadStatus::Unreadable;
        result.firstNew = records.size();
        return result;
    }

    const std::uint64_t step = std::max<std::uint64_t>(info.size / 100, 1);
    int lastPercent = -1;
    std::uint64_t nextPercentAt = 0;  // the offset from which the percentage may have changed
    bool gaveUp = false;

    bool readError = false;
    bool eof = false;
    // The file is read in large chunks into `buf`; `scanner` cuts its complete
    // lines into blocks. Records keep their text in the buffer they were read
    // into, so a buffer that records use is never written again: reading on takes
    // a new one.
    std::shared_ptr<char[]> buf;
    std::size_t bufSize = 0;
    std::uint64_t bufStart = readFrom;  // file offset of data[0]
    std::size_t dataEnd = 0;            // valid bytes in data
    // A large read maps the file instead: its bytes are then neither copied nor
    // held twice, and the scanner is given them a step at a time. What the file
    // gained beyond the mapping is read into buffers as usual.
    std::shared_ptr<const void> mapping;
    std::size_t mappedLength = 0;
    const char* data = nullptr;
    if (info.size > readFrom && info.size - readFrom >= g_tuning.mapAbove &&
        info.size - readFrom <= std::numeric_limits<std::size_t>::max() / 2) {
        mappedLength = static_cast<std::size_t>(info.size - readFrom);
        mapping = in.Map(readFrom, mappedLength, &data);
        if (mapping && !in.Seek(readFrom + mappedLength)) mapping.reset();
        if (!mapping) {
            mappedLength = 0;
            data = nullptr;
            if (!in.Seek(readFrom)) readError = eof = true;
        }
    }
    auto holder = [&]() -> std::shared_ptr<const void> {
        return mapping ? mapping : std::shared_ptr<const void>(buf);
    };
    std::size_t scan = 0;               // start of the next line
    BlockScanner scanner;
    // The arrays of parts already taken in, kept for later parts: their memory
    // is then written again instead of fresh memory being mapped in.
    std::mutex spareMutex;
    std::vector<std::pair<std::vector<LogData>, std::vector<BlockScanner::Pending>>> spare;
    // The records' parsed fields go to an arena for each of the two threads.
    std::shared_ptr<TextArena> arenas[2];
    HeaderLineMemo memos[2];
    const std::size_t arenaBlock = static_cast<std::size_t>(std::clamp<std::uint64_t>(
        (info.size > readFrom ? info.size - readFrom : 0) / 4, 4096, kArenaBlock));
    auto storeFor = [&](int thread, const std::shared_ptr<const void>& storage) -> RecordStore {
        std::shared_ptr<TextArena>& arena = arenas[thread];
        if (!arena) arena = std::make_shared<TextArena>(arenaBlock);
        return {storage, arena, &memos[thread]};
    };
    bool skippingLongLine = !full && readFrom == LoadedSize && resumeInLongLine_;
    const std::string noPassword;
    std::uint64_t blocksTaken = 0;  // blocks handed on in this read
    bool sawEncryptedBody = false;  // a block read has an encrypted body

    // Takes in the records built for a scanner's blocks, in file order.
    auto adopt = [&](BlockScanner& sc) -> bool {
        if (!sc.pending.empty() && records.size() + sc.pending.size() > records.capacity()) {
            // Room for as many records as the file seems to hold, judged by what
            // was read so far, so that the collection is not moved again and again.
            const std::uint64_t done = sc.pending.back().offset - readFrom + 1;
            const std::uint64_t total = info.size > readFrom ? info.size - readFrom : done;
            const std::uint64_t guess = (sc.pending.size() + blocksTaken) *
                                        std::max<std::uint64_t>(total, done) / done;
            records.reserve(std::max<std::size_t>(
                {records.size() + sc.pending.size(), records.capacity() * 3 / 2,
                 firstNew + static_cast<std::size_t>(std::min<std::uint64_t>(guess + guess / 4, 1u << 30))}));
            sys::AdviseLargePages(records.data() + records.size(),
                                  (records.capacity() - records.size()) * sizeof(LogData));
        }
        blocksTaken += sc.pending.size();
        bool ok = true;
        for (std::size_t i = 0; i < sc.pending.size() && ok; ++i) {
            if (sc.built[i].BodyMode() == kModeEncrypted) sawEncryptedBody = true;
            if (!AddBlockTracked(sc.Text(i), sc.pending[i].offset, &sc.built[i])) {
                if (full) {
                    ok = false;
                    break;
                }
                // Given up during a differential read: keep what was read, and do
                // not ask again for the rest of this read.
                gaveUp = true;
                suppressPasswordPrompt_ = true;
            }
            if (full && sc.pending[i].offset >= nextPercentAt) {
                const int percent =
                    static_cast<int>(std::min<std::uint64_t>(sc.pending[i].offset / step, 100));
                nextPercentAt = (static_cast<std::uint64_t>(percent) + 1) * step;
                if (percent != lastPercent) {
                    lastPercent = percent;
                    ui_.Progress(percent);
                    ui_.ProcessEvents();
                }
            }
        }
        sc.Clear();
        if (ok && saveStream_) FeedSaveStream(in);
        return ok;
    };
    auto password = [&]() -> const std::string& {
        return suppressPasswordPrompt_ ? noPassword : CurrentPassword;
    };
    auto flushPending = [&]() -> bool {
        if (scanner.pending.empty()) return true;
        scanner.Build(storeFor(0, holder()), password());
        return adopt(scanner);
    };

    // The complete lines [from, to). A large stretch is cut into parts, each
    // later one starting at a top separator line. This thread and a helper take
    // the parts in turn, each cutting and building its own part with its own
    // scanner, and this thread takes in the finished parts' records in file order
    // as they come, so that neither waits for a fixed half of the other.
    auto scanLines = [&](std::size_t from, std::size_t to) -> bool {
        std::vector<std::size_t> cuts{from};
        if (to - from >= g_tuning.splitAbove) {
            const std::size_t count = std::clamp<std::size_t>((to - from) / kPartSize, 2, kMaxParts);
            for (std::size_t k = 1; k < count; ++k) {
                const std::size_t at = std::max(from + (to - from) / count * k, cuts.back());
                const std::size_t cut = NextSeparatorLine(data, at, to);
                if (cut > cuts.back() && cut < to) cuts.push_back(cut);
            }
        }
        cuts.push_back(to);
        const bool mapped = mapping != nullptr;
        if (cuts.size() == 2) {
            if (mapped) sys::PrefetchMapped(data + from, to - from);
            scanner.LinesAndBuild(from, to, storeFor(0, holder()), password());
            return true;
        }
        // Part 0 goes on with the scanner's state (a block still open); the last
        // part's state is the scanner's when all are done.
        const std::size_t parts = cuts.size() - 1;
        std::vector<BlockScanner> later(parts - 1);
        auto scannerOf = [&](std::size_t k) -> BlockScanner& { return k == 0 ? scanner : later[k - 1]; };
        for (BlockScanner& sc : later) {
            sc.base = data;
            sc.baseOffset = bufStart;
        }
        // The helper touches nothing of the session: it gets its own copy of the password.
        const std::shared_ptr<const void> storage = holder();
        std::string knownPassword = password();
        std::atomic<std::size_t> nextPart{0};
        std::atomic<bool> stop{false};
        std::mutex doneMutex;
        std::condition_variable doneChanged;
        std::vector<char> done(parts, 0);
        const RecordStore stores[2] = {storeFor(0, storage), storeFor(1, storage)};
        auto work = [&](int thread) -> bool {
            const std::size_t k = nextPart.fetch_add(1);
            if (k >= parts || stop.load()) return false;
            BlockScanner& sc = scannerOf(k);
            if (k > 0) {
                std::lock_guard<std::mutex> lock(spareMutex);
                if (!spare.empty()) {
                    sc.built = std::move(spare.back().first);
                    sc.pending = std::move(spare.back().second);
                    spare.pop_back();
                }
            }
            if (mapped) sys::PrefetchMapped(data + cuts[k], cuts[k + 1] - cuts[k]);
            sc.LinesAndBuild(cuts[k], cuts[k + 1], stores[thread], knownPassword);
            if (k + 1 < parts) {
                // The next part starts at a separator line: this part's last block ends there.
                sc.Finish(cuts[k + 1]);
                sc.Build(stores[thread], knownPassword);
            }
            {
                std::lock_guard<std::mutex> lock(doneMutex);
                done[k] = 1;
            }
            doneChanged.notify_all();
            return true;
        };
        bool ok = true;
        std::size_t taken = 0;  // parts whose records are taken in
        auto takeIn = [&] {
            BlockScanner& sc = scannerOf(taken);
            ok = adopt(sc);
            if (taken + 1 < parts) {
                sc.inBlocks = false;
                sc.blockCopy.clear();
            }
            if (taken > 0) {
                std::lock_guard<std::mutex> lock(spareMutex);
                spare.emplace_back(std::move(sc.built), std::move(sc.pending));
            }
            ++taken;
        };
        // A log whose first message has an encrypted header, read with no password
        // yet: its first part is read and taken in alone, which asks for the
        // password, so that the other parts can open their headers as they are built.
        if (knownPassword.empty() && !suppressPasswordPrompt_) {
            const std::size_t first = NextSeparatorLine(data, cuts[0], cuts[1]);
            if (first + 37 <= cuts[1] && data[first + 36] == '2') {
                work(0);
                takeIn();
                if (!ok) return false;
                knownPassword = password();
            }
        }
        if (!helperThread) helperThread.emplace();
        helperThread->Start([&] {
            while (work(1)) {
            }
        });
        // However this ends, the helper is done with these parts before they go.
        struct HelperDone {
            std::atomic<bool>& stop;
            sys::BackgroundJob& job;
            ~HelperDone() {
                stop.store(true);
                try {
                    job.Wait();
                } catch (...) {
                }
            }
        } helperDone{stop, *helperThread};
        while (taken < parts && ok) {
            // Taking in comes first, so that no backlog of it is left for the end
            // when the helper has nothing more to do; a part is built only while
            // the next one in order is not finished.
            bool ready;
            {
                std::lock_guard<std::mutex> lock(doneMutex);
                ready = done[taken] != 0;
            }
            if (!ready) {
                if (work(0)) continue;
                std::unique_lock<std::mutex> lock(doneMutex);
                doneChanged.wait(lock, [&] { return done[taken] != 0; });
            }
            takeIn();
        }
        stop.store(true);
        helperThread->Wait();
        if (ok && parts > 1) std::swap(scanner, later.back());  // the last part's open block goes on
        return ok;
    };

    auto givenUp = [&]() {
        saveStream_.reset();
        if (full) ui_.ProgressEnd();
        suppressPasswordPrompt_ = false;
        result.status = LoadStatus::PasswordGivenUp;
        result.fullRead = full;
        return result;
    };

    while (true) {
        const char* base = data;
        scanner.base = base;
        scanner.baseOffset = bufStart;
        if (skippingLongLine && scan < dataEnd) {
            if (const void* nlp = std::memchr(base + scan, '\n', dataEnd - scan)) {
                skippingLongLine = false;  // the end of a line too long to be a separator
                scan = static_cast<std::size_t>(static_cast<const char*>(nlp) - base) + 1;
            } else {
                scan = dataEnd;
            }
        }
        if (!skippingLongLine && scan < dataEnd) {
            if (const void* lastNl = memrchr(base + scan, '\n', dataEnd - scan)) {
                const std::size_t to = static_cast<std::size_t>(static_cast<const char*>(lastNl) - base) + 1;
                if (!scanLines(scan, to)) return givenUp();
                scan = to;
            }
        }
        if (eof) break;
        // Need more bytes: keep what is still needed, then read on.
        std::size_t keep = (scanner.inBlocks && scanner.blockClean) ? scanner.blockBegin : scan;
        if (!scanner.inBlocks && dataEnd - scan > kLongestSeparatorLine) {
            // Outside a block only a separator line matters, and a long line is
            // none: do not hold it (a file may be gigabytes of one line).
            skippingLongLine = true;
            keep = dataEnd;
            scan = dataEnd;
        }
        if (!flushPending()) return givenUp();
        // A mapping is taken a step at a time; once it is used up, what is kept
        // of it moves into a buffer below, like the bytes of a buffer in use.
        if (mapping && dataEnd < mappedLength) {
            dataEnd += std::min(mappedLength - dataEnd, g_tuning.mapStep);
            continue;
        }
        // The next buffer: the bytes kept, then room for what the file still
        // holds (as far as its size said), at most a chunk at a time, so that a
        // short read does not pin a large buffer.
        const std::size_t kept = dataEnd - keep;
        const std::uint64_t seen = bufStart + dataEnd;
        const std::uint64_t left = info.size > seen ? info.size - seen : 0;
        const std::size_t room = static_cast<std::size_t>(
            std::min<std::uint64_t>(std::max<std::uint64_t>(left + kReadSlack, kMinRead), kReadChunk));
        std::size_t wanted = kept + room;
        if (kept == bufSize && bufSize > 0) wanted = std::max(wanted, bufSize * 2);
        wanted = sys::ReadBufferSize(wanted);
        if (mapping || buf.use_count() > 1 || wanted > bufSize) {
            std::shared_ptr<char[]> next = sys::NewReadBuffer(wanted);
            if (kept > 0) std::memcpy(next.get(), data + keep, kept);
            buf = std::move(next);
            bufSize = wanted;
            data = buf.get();
            mapping.reset();
        } else if (keep > 0 && kept > 0) {
            std::memmove(buf.get(), buf.get() + keep, kept);
        }
        if (keep > 0) {
            dataEnd -= keep;
            scan -= keep;
            if (scanner.inBlocks && scanner.blockClean) scanner.blockBegin -= keep;
            bufStart += keep;
        }
        const long long n = in.Read(buf.get() + dataEnd, bufSize - dataEnd);
        if (n < 0) {
            readError = true;
            eof = true;
        } else if (n == 0) {
            eof = true;
        } else {
            dataEnd += static_cast<std::size_t>(n);
        }
    }

    // A last line without its line end is still read (a file need not end in one);
    // if the messenger was still writing it, the next read takes the block again.
    const std::uint64_t pos = bufStart + dataEnd;
    if (skippingLongLine) scan = dataEnd;
    // The next read goes on skipping a long line it has not seen the end of.
    resumeInLongLine_ = skippingLongLine;
    endedOnLineEnd_ = scan == dataEnd;
    resumeOffset_ = pos;
    if (scan < dataEnd) {
        const bool wasInBlocks = scanner.inBlocks;
        const std::uint64_t partialStart = bufStart + scan;
        scanner.Line(scan, dataEnd, false, false);
        if (!wasInBlocks && !scanner.inBlocks) resumeOffset_ = partialStart;
    }
    scanner.Finish(dataEnd);
    if (!flushPending()) return givenUp();
    suppressPasswordPrompt_ = false;

    LoadedSize = pos;
    if (records.empty()) leadLength_ = LoadedSize;
    loadedDevice_ = info.device;
    loadedInode_ = info.inode;
    loadedModifiedNs_ = info.modifiedNs;
    const std::size_t fp = static_cast<std::size_t>(std::min<std::uint64_t>(kFingerprint, LoadedSize));
    loadedFingerprint_.assign(fp, '\0');
    if (fp > 0 && in.ReadAt(LoadedSize - fp, loadedFingerprint_.data(), fp) != static_cast<long long>(fp)) {
        loadedFingerprint_.clear();
    }
    if (full) {
        ui_.Progress(100);
        ui_.ProgressEnd();
    }
    if (readError) {
        ui_.ShowError("Reading " + Bracketed(fileName) + " stopped early: " + sys::ErrorText(in.error()));
    }

    result.fullRead = full;
    result.heldNoMessage = full && records.empty() && LoadedSize > 0;
    result.firstNew = std::min(firstNew, records.size());
    result.changedRecord = changed < static_cast<long long>(result.firstNew) ? changed : -1;
    // Only a log with an encrypted body needs its password checked.
    if (full && sawEncryptedBody && !CheckBodyPassword()) {
        saveStream_.reset();
        result.status = LoadStatus::PasswordGivenUp;
        return result;
    }
    if (gaveUp) result.status = LoadStatus::PasswordGivenUp;
    return result;
}

bool LogSession::LastBlockGoesOn(sys::InputFile& in) const {
    if (!endedOnLineEnd_) return true;  // the last read ended inside a line
    // The messenger starts every block with a separator line; anything else
    // behind LoadedSize is the rest of the last block read.
    char peek[64];
    const long long n = in.ReadAt(LoadedSize, peek, sizeof peek);
    const std::string_view head(peek, n > 0 ? static_cast<std::size_t>(n) : 0);
    const std::size_t nl = head.find('\n');
    if (nl == std::string_view::npos) return true;
    std::string first(head.substr(0, nl));
    if (!first.empty() && first.back() == '\r') first.pop_back();
    ConvertUtf8LineInPlace(first);
    return !IsTopSeparator(first);
}

bool LogSession::AdoptWritten(const std::string& fileName) {
    const Written w = written_;
    written_.valid = false;
    if (!w.valid || fileName != w.file || records.size() != w.recordCount || PendingDeletions != w.pendingDeletions) {
        return false;
    }
    // Still the file that save left, untouched since.
    const sys::FileInfo now = sys::Stat(fileName);
    if (!now.SameFileAs(w.info) || now.size != w.info.size || now.modifiedNs != w.info.modifiedNs) return false;
    std::string fingerprint(static_cast<std::size_t>(std::min<std::uint64_t>(kFingerprint, now.size)), '\0');
    sys::InputFile in;
    if (!in.Open(fileName) ||
        in.ReadAt(now.size - fingerprint.size(), fingerprint.data(), fingerprint.size()) !=
            static_cast<long long>(fingerprint.size())) {
        return false;
    }

    saveStream_.reset();
    if (tail_.valid) {
        const auto before = records.begin() + static_cast<std::ptrdiff_t>(tail_.recordCount);
        tail_.recordCount -= static_cast<std::size_t>(
            std::count_if(records.begin(), before, [](const LogData& r) { return r.Deleted(); }));
        tail_.offset = w.tailOffset;
    }
    records.erase(std::remove_if(records.begin(), records.end(), [](const LogData& r) { return r.Deleted(); }),
                  records.end());
    for (LogData& r : records) r.ForgetKey();  // as a read leaves them
    PendingDeletions = 0;
    LoadedSize = now.size;
    loadedDevice_ = now.device;
    loadedInode_ = now.inode;
    loadedModifiedNs_ = now.modifiedNs;
    loadedFingerprint_ = std::move(fingerprint);
    LogFolder = sys::FolderOf(fileName);
    ReadOnlyMode = ForceReadOnly || sys::IsReadOnly(fileName);
    LogFileName = fileName;
    suppressPasswordPrompt_ = false;
    return true;
}

bool LogSession::IsTentative(std::size_t index) const {
    return tail_.valid && tail_.produced && index == tail_.recordCount;
}

void LogSession::SetDeleted(std::size_t index, bool flag) {
    if (index >= records.size() || records[index].Deleted() == flag) return;
    if (saveStream_ && index < saveStream_->next) saveStream_.reset();
    written_.valid = false;
    records[index].SetDeleted(flag);
    PendingDeletions += flag ? 1 : -1;
}

bool LogSession::DiscardOldFile(const std::string& fileName, bool dustBox) {
    if (!sys::FileExists(fileName)) return true;
    if (dustBox) {
        std::string reason;
        if (!sys::CopyToTrash(fileName, &reason)) {
            ui_.ShowError(reason);
            return false;
        }
    }
    return sys::RemoveFile(fileName);
}

WriteStatus LogSession::WriteLog(const std::string& targetFile, const WriteOptions& options,
                                 LoadResult* catchUp) {
    return WriteRecords(targetFile, options, nullptr, catchUp);
}

WriteStatus LogSession::WriteSelection(const std::string& targetFile, const SelectionFilter& filter,
                                       const WriteOptions& options, LoadResult* catchUp) {
    return WriteRecords(targetFile, options, &filter, catchUp);
}

bool RecordMatches(const LogData& r, const SelectionFilter& f) {
    if (!f.year.empty() && r.Year() != f.year) return false;
    if (!f.month.empty() && r.MonthNumber() != f.month) return false;
    if (!f.day.empty()) {
        std::string label(r.Day());
        label += '(';
        label += r.WeekDay();
        label += ')';
        if (label != f.day) return false;
    }
    if (!f.user.empty()) {
        auto names = SplitNames(r.UserName());
        return std::find(names.begin(), names.end(), f.user) != names.end();
    }
    if (!f.host.empty()) {
        auto names = SplitNames(r.HostName());
        return std::find(names.begin(), names.end(), f.host) != names.end();
    }
    return true;
}

LogSession::OwnSaveStream::OwnSaveStream() = default;
LogSession::OwnSaveStream::OwnSaveStream(const OwnSaveStream&) : std::unique_ptr<SaveStream>() {}
LogSession::OwnSaveStream& LogSession::OwnSaveStream::operator=(const OwnSaveStream&) {
    reset();
    return *this;
}
LogSession::OwnSaveStream::~OwnSaveStream() = default;

void LogSession::SaveWhileLoading(const std::string& targetFile, const WriteOptions& options) {
    saveStream_.reset();
    if (options.saveType == kModeEncoded || options.saveType == kModeEncrypted) return;
    saveStream_ = std::make_unique<SaveStream>(targetFile, options);
    saveStream_->armed = true;
}

void LogSession::CancelSaveWhileLoading() { saveStream_.reset(); }

bool LogSession::OpenSaveFile(SaveStream& st, bool quiet) {
    auto fail = [&](const std::string& why) {
        if (!quiet) ui_.ShowError("Cannot save " + Bracketed(st.target) + ": " + why);
        return false;
    };
    // Through links: the real file is replaced in its own folder and the link stays.
    std::string reason;
    if (!sys::ResolveLinks(st.target, &st.realTarget, &reason)) return fail(reason);
    const sys::FileInfo existing = sys::Stat(st.realTarget);
    if (existing.exists && !existing.isRegular) return fail("it is not a regular file");
    // A new file is as private as the log it comes from.
    const sys::FileInfo log = LogFileName.empty() ? sys::FileInfo{} : sys::Stat(LogFileName);
    const unsigned mode = existing.exists ? existing.mode : log.exists ? log.mode : 0644u;
    if (!st.temp.Create(st.realTarget, mode)) {
        return fail("cannot create a temporary file in its folder: " + sys::ErrorText(st.temp.error()));
    }
    if (existing.exists && !sys::KeepOwnership(st.out(), st.realTarget, &reason)) {
        st.ownershipProblem = reason;
    }
    st.buf.reserve(kWriteChunk + (1 << 16));
    return true;
}

void LogSession::FeedSaveStream(sys::InputFile& in) {
    SaveStream& st = *saveStream_;
    // The last record may still take in the blocks that follow it.
    if (!st.feeding || records.size() < st.next + 2) return;
    if (!st.out().IsOpen()) {
        // Any trouble here is met again, and reported, by the save itself.
        if (!OpenSaveFile(st, true)) {
            saveStream_.reset();
            return;
        }
        st.writer.emplace(st.out());
        // The text in front of the first message goes first, as it stands.
        st.buf.resize(static_cast<std::size_t>(leadLength_));
        if (in.ReadAt(0, st.buf.data(), st.buf.size()) != static_cast<long long>(st.buf.size())) {
            saveStream_.reset();
            return;
        }
    }
    const std::size_t stable = records.size() - 1;
    for (; st.next < stable; ++st.next) {
        LogData& r = records[st.next];
        if (r.Deleted() || r.HeaderMode() == kModeEncrypted || !BodyAsStored(r)) {
            st.feeding = false;  // the save goes on from here once the password is known
            return;
        }
        AppendAsStored(st.buf, r, kModePlain, CurrentPassword);
        if (st.buf.size() >= kWriteChunk && !st.HandOn()) {
            saveStream_.reset();
            return;
        }
    }
}

bool LogSession::LockForSave(sys::FileLock& lock, const std::string& realTarget, std::string* why) {
    switch (lock.Lock(realTarget, kSaveLockWaitMs, [&] { ui_.ProcessEvents(); })) {
        case sys::FileLock::Result::Locked:
        case sys::FileLock::Result::Missing: break;
        case sys::FileLock::Result::Busy:
            *why = "another save of it is still under way; try again when it has finished";
            return false;
        case sys::FileLock::Result::Failed:
            *why = "cannot lock it: " + sys::ErrorText(lock.error());
            return false;
    }
    sys::RemoveStaleTempFiles(realTarget);
    return true;
}

std::string LogSession::CarryLateAppends(sys::InputFile& oldLog, std::uint64_t& copied,
                                         const std::string& realTarget) {
    // Until the old file has stayed the same for three looks.
    int quiet = 0;
    for (int round = 0; round < 100 && quiet < 3; ++round) {
        const std::uint64_t size = oldLog.Info().size;
        if (size > copied) {
            std::string extra(static_cast<std::size_t>(size - copied), '\0');
            long long n = oldLog.ReadAt(copied, extra.data(), extra.size());
            if (n > 0) {
                extra.resize(static_cast<std::size_t>(n));
                sys::OutputFile app;
                if (!(app.OpenAppend(realTarget) && app.Write(extra) && app.Sync() && app.Close())) {
                    return sys::ErrorText(app.error());
                }
                copied += static_cast<std::uint64_t>(n);
            }
            quiet = 0;
        } else {
            ++quiet;
        }
        sys::SleepMs(10);
    }
    return "";
}

void LogSession::RememberWritten(const std::string& realTarget, std::uint64_t writtenBytes,
                                 std::uint64_t tailOffset) {
    // A plain save of plain records writes each as it was read: reading the new
    // file again would give back the records not deleted, unchanged. A block
    // folded into the message before it is written with the line ends of the
    // record, not as it stood in the file, and may read differently then.
    if (foldedBlocks_ || static_cast<std::size_t>(PendingDeletions) >= records.size()) return;
    if (tail_.valid && records[tail_.recordCount].Deleted()) return;
    const bool asRead = std::all_of(records.begin(), records.end(), [](const LogData& r) {
        return r.Deleted() || (r.HeaderMode() == kModePlain && !r.HeaderEncrypted() && r.BodyMode() == kModePlain);
    });
    const sys::FileInfo now = sys::Stat(realTarget);
    if (asRead && now.isRegular && now.size == writtenBytes) {
        written_ = {true, LogFileName, now, records.size(), PendingDeletions, tailOffset};
    }
}

WriteStatus LogSession::WriteRecords(const std::string& targetFile, const WriteOptions& options,
                                     const SelectionFilter* filter, LoadResult* catchUp) {
    written_.valid = false;
    // A save begun during the read goes on where it stopped, if it is this save.
    std::unique_ptr<SaveStream> st = std::move(saveStream_);
    if (st && (filter != nullptr || st->target != targetFile || st->options != options || !st->out().IsOpen() ||
               st->next > records.size())) {
        st.reset();
    }
    if (ReadOnlyMode) return WriteStatus::ReadOnly;
    const int saveType = (options.saveType == kModeEncoded || options.saveType == kModeEncrypted)
                             ? options.saveType
                             : kModePlain;
    const int headerMode = options.headerEncode ? saveType : kModePlain;
    if (CurrentPassword.empty() && saveType == kModeEncrypted && !AskPassword(true)) {
        return WriteStatus::PasswordGivenUp;
    }
    auto refuse = [&](const std::string& why) {
        ui_.ShowError("Cannot save " + Bracketed(targetFile) + ": " + why + "; nothing was written");
        return WriteStatus::Failed;
    };
    std::string realTarget, reason;
    if (!sys::ResolveLinks(targetFile, &realTarget, &reason)) return refuse(reason);
    const sys::FileInfo existing = sys::Stat(realTarget);
    if (existing.exists && !existing.isRegular) return refuse("it is not a regular file");

    // One save of a file at a time: from the look at what the messenger appended
    // to the replace, no other save may put a file in its place.
    sys::FileLock lock;
    if (existing.exists && !LockForSave(lock, realTarget, &reason)) return refuse(reason);

    // Take in what the messenger appended since the last read, so it is written
    // in the new form too; a log replaced meanwhile (by another save, say) is
    // read again whole, so that this save writes what is in the file now.
    if (FileChanged()) {
        const int pendingBefore = PendingDeletions;
        LoadResult r = LoadLog(LogFileName, LoadedSize);
        if (catchUp) *catchUp = r;
        st.reset();  // the read may have changed what was written already
        if (r.status == LoadStatus::PasswordGivenUp) return WriteStatus::PasswordGivenUp;
        if (r.fullRead && pendingBefore > 0) {
            // The deletions were marks on records that are gone: writing the new
            // records would quietly keep what was deleted.
            return refuse("the log was replaced by another program and has been read again; "
                          "the deletions made before were not saved");
        }
    }

    const bool wholeLog = filter == nullptr;
    const std::size_t tentativeIndex = tail_.produced ? tail_.recordCount
                                       : tail_.foldedInto >= 0 ? static_cast<std::size_t>(tail_.foldedInto)
                                                               : records.size();
    // The last record read is never written early, as the next read may change
    // it; a save begun otherwise starts again rather than keep it.
    if (st && wholeLog && tail_.valid && tentativeIndex < st->next) st.reset();
    // A save begun before the link it writes through was changed starts again.
    if (st && st->realTarget != realTarget) st.reset();
    if (!st) {
        st = std::make_unique<SaveStream>(targetFile, options);
        if (!OpenSaveFile(*st, false)) return WriteStatus::Failed;
        // A large log is written a chunk behind by a second thread.
        if (records.size() >= kWriterAbove) st->writer.emplace(st->out());
    }
    sys::OutputFile& out = st->out();
    std::string& buf = st->buf;
    auto failWrite = [&]() {
        st->writer.reset();
        const int err = out.error();
        st->Discard();
        ui_.ProgressEnd();
        ui_.ShowError("Cannot save " + Bracketed(targetFile) + ": " + sys::ErrorText(err) +
                      "; the file was left as it was");
        return WriteStatus::Failed;
    };

    ui_.ProgressBegin("Saving...");
    ui_.Progress(0);
    const std::size_t step = std::max<std::size_t>(records.size() / 100, 1);
    int lastPercent = 0;
    std::size_t nextPercentAt = 0;  // the count from which the percentage may have changed
    std::uint64_t tentativeAt = 0;  // where the last block's text starts in the temporary file
    bool tentativeMarked = false;

    const bool plainSave = saveType != kModeEncoded && saveType != kModeEncrypted;
    auto writeRecord = [&](LogData& r) {
        if (plainSave && BodyAsStored(r)) {
            AppendAsStored(buf, r, headerMode, CurrentPassword);
            return;
        }
        int bodyMode = saveType;
        std::string body = r.SaveBody(saveType, CurrentPassword, &bodyMode);
        r.AppendHeaderBlock(buf, headerMode, bodyMode, CurrentPassword);
        buf += body;
    };

    // What stands in front of the first message (lines before the first
    // separator, a first block that is no message) is no record, but it is the
    // log's text all the same: a save of the whole log keeps it as it was.
    if (wholeLog && st->next == 0 && st->handedOn == 0 && buf.empty() && leadLength_ > 0) {
        // (A save begun while loading has copied it already.)
        sys::InputFile log;
        buf.resize(static_cast<std::size_t>(leadLength_));
        if (!log.Open(LogFileName) ||
            log.ReadAt(0, buf.data(), buf.size()) != static_cast<long long>(buf.size())) {
            st->Discard();
            ui_.ProgressEnd();
            return refuse("cannot read again the text in front of its first message from " +
                          Bracketed(LogFileName) + ": " + sys::ErrorText(log.error() ? log.error() : EIO));
        }
    }

    for (std::size_t i = st->next; i < records.size(); ++i) {
        LogData& r = records[i];
        const bool selected = wholeLog || (!r.Deleted() && RecordMatches(r, *filter));
        if ((wholeLog || selected) && CurrentPassword.empty() && r.BodyMode() == kModeEncrypted &&
            !AskPassword(false)) {
            st.reset();
            ui_.ProgressEnd();
            return WriteStatus::PasswordGivenUp;
        }
        if (wholeLog && tail_.valid && i == tentativeIndex) {
            tentativeAt = st->handedOn + buf.size();
            tentativeMarked = true;
        }
        if (selected && !r.Deleted()) writeRecord(r);
        if (buf.size() >= kWriteChunk && !st->HandOn()) return failWrite();
        if (i + 1 >= nextPercentAt) {
            const int percent = static_cast<int>(std::min<std::size_t>((i + 1) / step, 100));
            nextPercentAt = (static_cast<std::size_t>(percent) + 1) * step;
            if (percent != lastPercent) {
                lastPercent = percent;
                ui_.Progress(percent);
                ui_.ProcessEvents();
            }
        }
    }
    const bool written = st->writer ? st->writer->Finish() : true;
    st->writer.reset();
    if (!written || !out.Write(buf)) return failWrite();
    buf.clear();

    // Copy in what the messenger appended to the log while we wrote. Keep the log
    // open so that appends racing the replace below are still found.
    sys::InputFile oldLog;
    std::uint64_t copied = LoadedSize;
    const bool replacingLog = wholeLog && !LogFileName.empty() &&
                              sys::Stat(targetFile).exists && SameFileAsLoaded(targetFile);
    if (wholeLog && !LogFileName.empty() && oldLog.Open(LogFileName)) {
        const std::uint64_t size = oldLog.Info().size;
        if (size > LoadedSize) {
            std::uint64_t from = LoadedSize;
            if (tentativeMarked && tail_.valid) {
                if (LastBlockGoesOn(oldLog)) {
                    // The last block was still being written when we read it: write the
                    // text before it again and copy the whole block as the messenger wrote it.
                    if (!out.Truncate(tentativeAt)) return failWrite();
                    if (!tail_.produced && tail_.foldedInto >= 0) {
                        LogData before = records[static_cast<std::size_t>(tail_.foldedInto)];
                        before.TruncateBody(tail_.foldedBodyLength);
                        if (!before.Deleted()) writeRecord(before);
                        if (!out.Write(buf)) return failWrite();
                        buf.clear();
                    }
                    from = tail_.offset;
                }
            }
            std::vector<char> chunk(kReadChunk);
            std::uint64_t at = from;
            while (at < size) {
                long long n = oldLog.ReadAt(at, chunk.data(),
                                            static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - at)));
                if (n <= 0) break;
                if (!out.Write(std::string_view(chunk.data(), static_cast<std::size_t>(n)))) return failWrite();
                at += static_cast<std::uint64_t>(n);
            }
            copied = at;
        }
    }
    // The temporary file stays open, and so locked against the sweeping of
    // stale ones, until it has taken the target's place.
    if (!out.Sync()) return failWrite();
    const std::uint64_t writtenBytes = out.Position();

    if (wholeLog && options.dustBox && sys::FileExists(realTarget)) {
        if (!sys::CopyToTrash(realTarget, &reason)) {
            st->Discard();
            ui_.ProgressEnd();
            ui_.ShowError("Cannot save " + Bracketed(targetFile) + ": " + reason +
                          "; the file was left as it was");
            return WriteStatus::Failed;
        }
    }

    int err = 0;
    bool replaced = false;
    for (int attempt = 0; attempt < 5 && !replaced; ++attempt) {
        if (attempt > 0) {
            ui_.ProcessEvents();
            sys::SleepMs(100);
        }
        replaced = sys::AtomicReplace(st->temp.path(), realTarget, &err);
    }
    if (!replaced) {
        st->Discard();
        ui_.ProgressEnd();
        ui_.ShowMessage("String01", "");
        ui_.ShowError("Cannot save " + Bracketed(targetFile) + ": " + sys::ErrorText(err) +
                      "; the file was left as it was");
        return WriteStatus::Failed;
    }
    st->temp.Kept();  // it is the target now
    // Its bytes are on the disk already (synced above); closing only lets go.
    out.Close();

    // The messenger may have appended to the old file between the copy above and
    // the replace; carry those bytes over to the new file.
    std::string carryError;
    if (replacingLog && oldLog.IsOpen()) carryError = CarryLateAppends(oldLog, copied, realTarget);
    if (replacingLog && wholeLog && plainSave && headerMode == kModePlain && carryError.empty() &&
        copied == LoadedSize && (!tail_.valid || (tail_.produced && tentativeMarked))) {
        RememberWritten(realTarget, writtenBytes, tentativeAt);
    }
    lock.Unlock();
    ui_.Progress(100);
    ui_.ProgressEnd();
    if (!carryError.empty()) {
        ui_.ShowError("Saved " + Bracketed(targetFile) + ", but what the messenger appended during the save " +
                      "could not be added to it: " + carryError);
        return WriteStatus::Failed;
    }
    if (!st->ownershipProblem.empty()) {
        ui_.ShowError("Saved " + Bracketed(targetFile) + ", but its owner could not be kept: " +
                      st->ownershipProblem);
    }
    return WriteStatus::Written;
}

bool NeedsEncryptionAtExit(const std::vector<LogData>& records, int saveType, bool autoEncode,
                           int pendingDeletions) {
    if (pendingDeletions != 0 || !autoEncode || records.empty()) return false;
    const int mode = records.back().BodyMode();
    return (saveType == kModeEncrypted && mode < kModeEncrypted) ||
           (saveType == kModeEncoded && mode == kModePlain);
}

SelectionFilter FilterForPath(int treeKey, const std::vector<std::string>& labels) {
    SelectionFilter f;
    auto at = [&](std::size_t i) { return i < labels.size() ? labels[i] : std::string(); };
    switch (treeKey) {
        case 0: f = {at(0), at(1), at(2), at(3), ""}; break;
        case 1: f = {at(0), at(1), at(2), "", at(3)}; break;
        case 2: f = {at(1), at(2), at(3), at(0), ""}; break;
        case 3: f = {at(1), at(2), at(3), "", at(0)}; break;
        default: f = {at(0), at(1), at(2), "", ""}; break;
    }
    return f;
}

}  // namespace qx
