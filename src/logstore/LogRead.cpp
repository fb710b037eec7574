// Reading a log: where to start, the bytes in view, cutting them into blocks
// (on two threads for a long stretch), and taking in the records in file order.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "logstore/BlockScanner.h"
#include "logstore/LogSession.h"
#include "logstore/PartScan.h"
#include "logstore/ReadPlan.h"
#include "logstore/ReadWindow.h"
#include "logstore/SaveStream.h"
#include "logstore/TextArena.h"
#include "platform/Bytes.h"
#include "platform/FileSystem.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace qx {

namespace {

constexpr std::size_t kFingerprint = 64;
// A separator is 37 cp932 bytes; in UTF-8 it could take at most a few more.
constexpr std::size_t kLongestSeparatorLine = 64;
constexpr std::size_t kArenaBlock = 2 << 20;

}  // namespace

// One read of the log: the state it keeps from opening the file to the last
// record taken in.
struct LogSession::ReadRun {
    ReadRun(LogSession& session, const std::string& name, bool fullRead)
        : s(session), fileName(name), full(fullRead), firstNew(session.records.size()) {}
    ~ReadRun() {
        if (s.saveStream_) s.saveStream_->feeding = false;
    }

    LogSession& s;
    const std::string& fileName;
    sys::InputFile in;
    sys::FileInfo info;
    bool full;
    std::uint64_t readFrom = 0;
    std::size_t firstNew;
    long long changed = -1;
    LoadResult result;
    std::uint64_t step = 1;
    int lastPercent = -1;
    std::uint64_t nextPercentAt = 0;  // the offset from which the percentage may have changed
    bool gaveUp = false;
    bool readError = false;
    bool eof = false;
    ReadWindow window;
    std::size_t scan = 0;  // start of the next line in the window
    BlockScanner scanner;
    PartScheduler parts;
    // The records' parsed fields go to an arena for each of the two threads.
    std::shared_ptr<TextArena> arenas[2];
    HeaderLineMemo memos[2];
    std::size_t arenaBlock = kArenaBlock;
    bool skippingLongLine = false;
    const std::string noPassword;
    std::uint64_t blocksTaken = 0;  // blocks handed on in this read
    bool sawEncryptedBody = false;  // a block read has an encrypted body

    LoadResult Unreadable(const std::string& why) {
        s.ui_.ShowError("Cannot read " + Bracketed(fileName) + ": " + why);
        result.status = LoadStatus::Unreadable;
        result.firstNew = s.records.size();
        return result;
    }
    bool Open(std::uint64_t startOffset);
    void Plan(std::uint64_t startOffset);
    void Begin();
    RecordStore StoreFor(int thread, const std::shared_ptr<const void>& storage) {
        std::shared_ptr<TextArena>& arena = arenas[thread];
        if (!arena) arena = std::make_shared<TextArena>(arenaBlock);
        return {storage, arena, &memos[thread]};
    }
    const std::string& Password() const { return s.suppressPasswordPrompt_ ? noPassword : s.CurrentPassword; }
    void MakeRoom(const BlockScanner& sc);
    void NoteProgress(std::uint64_t offset);
    bool Adopt(BlockScanner& sc);
    bool FlushPending() {
        if (scanner.pending.empty()) return true;
        scanner.Build(StoreFor(0, window.holder()), Password());
        return Adopt(scanner);
    }
    bool ScanLines(std::size_t from, std::size_t to);
    bool ScanAll();
    LoadResult GivenUp() {
        s.saveStream_.reset();
        if (full) s.ui_.ProgressEnd();
        s.suppressPasswordPrompt_ = false;
        result.status = LoadStatus::PasswordGivenUp;
        result.fullRead = full;
        return result;
    }
    bool TakeLastLine();
    void RememberEnd();
    LoadResult Finish();
};

bool LogSession::ReadRun::Open(std::uint64_t startOffset) {
    if (!in.Open(fileName)) return false;
    info = in.Info();
    // A read long enough to be shared starts its helper thread now, so that the
    // thread is up by the time the first parts are cut.
    if (info.size > startOffset && info.size - startOffset >= s.readLimits.splitAbove) parts.StartHelper();
    return true;
}

void LogSession::ReadRun::Plan(std::uint64_t startOffset) {
    readFrom = startOffset;
    if (full) return;
    LastRead last{s.LoadedSize, s.loadedDevice_, s.loadedInode_, s.tail_, s.resumeOffset_, s.records.size()};
    FileNow now{info.size, info.device, info.inode, true, false};
    const bool sameFile = info.size >= startOffset && info.device == s.loadedDevice_ &&
                          info.inode == s.loadedInode_ && startOffset == s.LoadedSize;
    if (sameFile && !s.loadedFingerprint_.empty()) {
        std::string check(s.loadedFingerprint_.size(), '\0');
        const std::uint64_t at = s.LoadedSize - s.loadedFingerprint_.size();
        now.fingerprintMatches = in.ReadAt(at, check.data(), check.size()) == static_cast<long long>(check.size()) &&
                                 check == s.loadedFingerprint_;
    }
    if (sameFile && now.fingerprintMatches && s.tail_.valid) now.lastBlockGoesOn = s.LastBlockGoesOn(in);
    const ReadPlan plan = PlanRead(startOffset, full, last, now);
    if (plan.replaced) {
        s.ui_.ShowError("The log " + Bracketed(fileName) +
                        " was replaced or shortened by another program; reading it again in full");
    }
    if (plan.dropFrom >= 0) {
        const std::size_t from = static_cast<std::size_t>(plan.dropFrom);
        const bool wasDeleted = s.records[from].Deleted();
        s.records.resize(from);
        if (wasDeleted) --s.PendingDeletions;
    } else if (plan.truncate >= 0) {
        s.records[static_cast<std::size_t>(plan.truncate)].TruncateBody(plan.truncateLength);
    }
    full = plan.full;
    readFrom = plan.from;
    changed = plan.changed;
}

void LogSession::ReadRun::Begin() {
    s.LogFolder = sys::FolderOf(fileName);
    s.ReadOnlyMode = s.ForceReadOnly || sys::IsReadOnly(fileName);
    s.LogFileName = fileName;
    if (full) {
        s.records.clear();
        s.foldedBlocks_ = false;
        s.PendingDeletions = 0;
        firstNew = 0;
        changed = -1;
        s.suppressPasswordPrompt_ = false;
        s.tail_ = ReadTail{};
        s.ui_.ProgressBegin("Loading...");
        s.ui_.Progress(0);
    }
    // A save begun early takes the records of the full read that follows; any
    // other read leaves it behind what the records are, so it is dropped.
    if (s.saveStream_) {
        if (full && s.saveStream_->armed) {
            s.saveStream_->armed = false;
            s.saveStream_->feeding = true;
        } else {
            s.saveStream_.reset();
        }
    }
    step = std::max<std::uint64_t>(info.size / 100, 1);
    arenaBlock = static_cast<std::size_t>(std::clamp<std::uint64_t>(
        (info.size > readFrom ? info.size - readFrom : 0) / 4, 4096, kArenaBlock));
    skippingLongLine = !full && readFrom == s.LoadedSize && s.resumeInLongLine_;
}

void LogSession::ReadRun::MakeRoom(const BlockScanner& sc) {
    if (sc.pending.empty() || s.records.size() + sc.pending.size() <= s.records.capacity()) return;
    // Room for as many records as the file seems to hold, judged by what was read
    // so far, so that the collection is not moved again and again.
    const std::uint64_t done = sc.pending.back().offset - readFrom + 1;
    const std::uint64_t total = info.size > readFrom ? info.size - readFrom : done;
    const std::uint64_t guess = (sc.pending.size() + blocksTaken) * std::max<std::uint64_t>(total, done) / done;
    s.records.reserve(std::max<std::size_t>(
        {s.records.size() + sc.pending.size(), s.records.capacity() * 3 / 2,
         firstNew + static_cast<std::size_t>(std::min<std::uint64_t>(guess + guess / 4, 1u << 30))}));
    sys::AdviseLargePages(s.records.data() + s.records.size(),
                          (s.records.capacity() - s.records.size()) * sizeof(LogData));
}

void LogSession::ReadRun::NoteProgress(std::uint64_t offset) {
    if (!full || offset < nextPercentAt) return;
    const int percent = static_cast<int>(std::min<std::uint64_t>(offset / step, 100));
    nextPercentAt = (static_cast<std::uint64_t>(percent) + 1) * step;
    if (percent != lastPercent) {
        lastPercent = percent;
        s.ui_.Progress(percent);
        s.ui_.ProcessEvents();
    }
}

// Takes in the records built for a scanner's blocks, in file order.
bool LogSession::ReadRun::Adopt(BlockScanner& sc) {
    MakeRoom(sc);
    blocksTaken += sc.pending.size();
    bool ok = true;
    for (std::size_t i = 0; i < sc.pending.size() && ok; ++i) {
        if (sc.built[i].BodyMode() == kModeEncrypted) sawEncryptedBody = true;
        if (!s.AddBlockTracked(sc.Text(i), sc.pending[i].offset, &sc.built[i])) {
            if (full) {
                ok = false;
                break;
            }
            // Given up during a differential read: keep what was read, and do
            // not ask again for the rest of this read.
            gaveUp = true;
            s.suppressPasswordPrompt_ = true;
        }
        NoteProgress(sc.pending[i].offset);
    }
    sc.Clear();
    if (ok && s.saveStream_) s.FeedSaveStream(in);
    return ok;
}

// The complete lines [from, to) of the window; a large stretch is shared by two threads.
bool LogSession::ReadRun::ScanLines(std::size_t from, std::size_t to) {
    const char* data = window.data();
    const std::vector<std::size_t> cuts = CutParts(data, from, to, s.readLimits.splitAbove);
    if (cuts.size() == 2) {
        if (window.mapped()) sys::PrefetchMapped(data + from, to - from);
        scanner.LinesAndBuild(from, to, StoreFor(0, window.holder()), Password());
        return true;
    }
    const std::shared_ptr<const void> storage = window.holder();
    const RecordStore stores[2] = {StoreFor(0, storage), StoreFor(1, storage)};
    const std::string& password = Password();
    return parts.Run(scanner, cuts, window.mapped(), stores, password,
                     password.empty() && !s.suppressPasswordPrompt_, [this] { return Password(); },
                     [this](BlockScanner& sc) { return Adopt(sc); });
}

// Reads and scans the file to its end; false when a password was given up.
bool LogSession::ReadRun::ScanAll() {
    while (true) {
        const char* base = window.data();
        const std::size_t dataEnd = window.end();
        scanner.base = base;
        scanner.baseOffset = window.start();
        if (skippingLongLine && scan < dataEnd) {
            if (const void* nlp = std::memchr(base + scan, '\n', dataEnd - scan)) {
                skippingLongLine = false;  // the end of a line too long to be a separator
                scan = static_cast<std::size_t>(static_cast<const char*>(nlp) - base) + 1;
            } else {
                scan = dataEnd;
            }
        }
        if (!skippingLongLine && scan < dataEnd) {
            if (const char* lastNl = sys::FindLastByte(base + scan, '\n', dataEnd - scan)) {
                const std::size_t to = static_cast<std::size_t>(lastNl - base) + 1;
                if (!ScanLines(scan, to)) return false;
                scan = to;
            }
        }
        if (eof) return true;
        // Need more bytes: keep what is still needed, then read on.
        std::size_t keep = (scanner.inBlocks && scanner.blockClean) ? scanner.blockBegin : scan;
        if (!scanner.inBlocks && dataEnd - scan > kLongestSeparatorLine) {
            // Outside a block only a separator line matters, and a long line is
            // none: do not hold it (a file may be gigabytes of one line).
            skippingLongLine = true;
            keep = dataEnd;
            scan = dataEnd;
        }
        if (!FlushPending()) return false;
        if (window.NextMapStep(s.readLimits.mapStep)) continue;
        window.ReadOn(in, keep, eof, readError);
        if (keep > 0) {
            scan -= keep;
            if (scanner.inBlocks && scanner.blockClean) scanner.blockBegin -= keep;
        }
    }
}

// A last line without its line end is still read (a file need not end in one);
// if the messenger was still writing it, the next read takes the block again.
bool LogSession::ReadRun::TakeLastLine() {
    const std::size_t dataEnd = window.end();
    if (skippingLongLine) scan = dataEnd;
    // The next read goes on skipping a long line it has not seen the end of.
    s.resumeInLongLine_ = skippingLongLine;
    s.endedOnLineEnd_ = scan == dataEnd;
    s.resumeOffset_ = window.start() + dataEnd;
    if (scan < dataEnd) {
        const bool wasInBlocks = scanner.inBlocks;
        const std::uint64_t partialStart = window.start() + scan;
        scanner.Line(scan, dataEnd, false, false);
        if (!wasInBlocks && !scanner.inBlocks) s.resumeOffset_ = partialStart;
    }
    scanner.Finish(dataEnd);
    if (!FlushPending()) return false;
    s.suppressPasswordPrompt_ = false;
    return true;
}

// Notes where the read ended and what the file was, for the next read to check.
void LogSession::ReadRun::RememberEnd() {
    s.LoadedSize = window.start() + window.end();
    if (s.records.empty()) s.leadLength_ = s.LoadedSize;
    s.loadedDevice_ = info.device;
    s.loadedInode_ = info.inode;
    s.loadedModifiedNs_ = info.modifiedNs;
    const std::size_t fp = static_cast<std::size_t>(std::min<std::uint64_t>(kFingerprint, s.LoadedSize));
    s.loadedFingerprint_.assign(fp, '\0');
    if (fp > 0 && in.ReadAt(s.LoadedSize - fp, s.loadedFingerprint_.data(), fp) != static_cast<long long>(fp)) {
        s.loadedFingerprint_.clear();
    }
}

LoadResult LogSession::ReadRun::Finish() {
    if (full) {
        s.ui_.Progress(100);
        s.ui_.ProgressEnd();
    }
    if (readError) {
        s.ui_.ShowError("Reading " + Bracketed(fileName) + " stopped early: " + sys::ErrorText(in.error()));
    }
    result.fullRead = full;
    result.heldNoMessage = full && s.records.empty() && s.LoadedSize > 0;
    result.firstNew = std::min(firstNew, s.records.size());
    result.changedRecord = changed < static_cast<long long>(result.firstNew) ? changed : -1;
    // Only a log with an encrypted body needs its password checked.
    if (full && sawEncryptedBody && !s.CheckBodyPassword()) {
        s.saveStream_.reset();
        result.status = LoadStatus::PasswordGivenUp;
        return result;
    }
    if (gaveUp) result.status = LoadStatus::PasswordGivenUp;
    return result;
}

LoadResult LogSession::ReadFrom(const std::string& fileName, std::uint64_t startOffset, bool full) {
    ReadRun run(*this, fileName, full);
    if (!run.Open(startOffset)) {
        return run.Unreadable(run.in.error() == EINVAL ? std::string("not a regular file")
                                                       : sys::ErrorText(run.in.error()));
    }
    run.Plan(startOffset);
    run.Begin();
    if (!run.in.Seek(run.readFrom)) {
        if (run.full) ui_.ProgressEnd();
        return run.Unreadable(sys::ErrorText(run.in.error()));
    }
    if (!run.window.Begin(run.in, run.readFrom, run.info.size, readLimits.mapAbove)) run.readError = run.eof = true;
    if (!run.ScanAll() || !run.TakeLastLine()) return run.GivenUp();
    run.RememberEnd();
    return run.Finish();
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

}  // namespace qx
