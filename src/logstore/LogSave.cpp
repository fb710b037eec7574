// Saving the log: the records to a temporary file, what the messenger appended
// meanwhile, then the temporary file in the target's place.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "logstore/LogSession.h"
#include "logstore/SaveStream.h"
#include "platform/FileSystem.h"
#include "platform/ReplaceFile.h"

namespace qx {

namespace {

constexpr std::size_t kCopyChunk = 4 << 20;
constexpr std::size_t kWriterAbove = 10000;  // records from which saving writes on a second thread
constexpr int kSaveLockWaitMs = 15000;  // how long a save waits for another save of the same file

}  // namespace

void AppendSavedRecord(std::string& buf, LogData& r, int saveType, int headerMode, const std::string& password) {
    if (saveType != kModeEncoded && saveType != kModeEncrypted && BodyAsStored(r)) {
        // The header block, then the body as it stands, without a copy.
        r.AppendHeaderBlock(buf, headerMode, kModePlain, password);
        buf += r.BodyText();
        return;
    }
    int bodyMode = saveType;
    std::string body = r.SaveBody(saveType, password, &bodyMode);
    r.AppendHeaderBlock(buf, headerMode, bodyMode, password);
    buf += body;
}

WriteStatus LogSession::WriteLog(const std::string& targetFile, const WriteOptions& options,
                                 LoadResult* catchUp) {
    return WriteRecords(targetFile, options, nullptr, catchUp);
}

WriteStatus LogSession::WriteSelection(const std::string& targetFile, const RecordSelection& selected,
                                       const WriteOptions& options, LoadResult* catchUp) {
    return WriteRecords(targetFile, options, &selected, catchUp);
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

// One save: the state it keeps from resolving the target to replacing it.
struct LogSession::SaveRun {
    SaveRun(LogSession& session, const std::string& target, const WriteOptions& saveOptions,
            const RecordSelection* selection)
        : s(session), targetFile(target), options(saveOptions), selected(selection), wholeLog(selection == nullptr) {
        saveType = (options.saveType == kModeEncoded || options.saveType == kModeEncrypted) ? options.saveType
                                                                                            : kModePlain;
        headerMode = options.headerEncode ? saveType : kModePlain;
        plainSave = saveType != kModeEncoded && saveType != kModeEncrypted;
    }

    LogSession& s;
    const std::string& targetFile;
    const WriteOptions& options;
    const RecordSelection* selected;
    const bool wholeLog;
    int saveType = kModePlain;
    int headerMode = kModePlain;
    bool plainSave = true;
    std::unique_ptr<SaveStream> st;
    std::string realTarget, reason;
    sys::FileLock lock;
    std::size_t tentativeIndex = 0;
    std::uint64_t tentativeAt = 0;  // where the last block's text starts in the temporary file
    bool tentativeMarked = false;
    sys::InputFile oldLog;
    std::uint64_t copied = 0;       // how much of the old log the new file holds
    bool replacingLog = false;
    std::uint64_t writtenBytes = 0;

    WriteStatus Refuse(const std::string& why) {
        s.ui_.ShowError("Cannot save " + Bracketed(targetFile) + ": " + why + "; nothing was written");
        return WriteStatus::Failed;
    }
    WriteStatus LeftAsItWas(const std::string& why) {
        st->Discard();
        s.ui_.ProgressEnd();
        s.ui_.ShowError("Cannot save " + Bracketed(targetFile) + ": " + why + "; the file was left as it was");
        return WriteStatus::Failed;
    }
    WriteStatus FailWrite() {
        st->writer.reset();
        const int err = st->out().error();
        return LeftAsItWas(sys::ErrorText(err));
    }
    void TakeEarlySave(std::unique_ptr<SaveStream> early);
    std::optional<WriteStatus> Prepare(LoadResult* catchUp);
    std::optional<WriteStatus> OpenStream();
    std::optional<WriteStatus> CopyLead();
    std::optional<WriteStatus> WriteAll();
    bool CopyAppended();
    std::optional<WriteStatus> Replace();
    WriteStatus Conclude();
};

// A save begun during the read goes on where it stopped, if it is this save.
void LogSession::SaveRun::TakeEarlySave(std::unique_ptr<SaveStream> early) {
    st = std::move(early);
    if (st && (selected != nullptr || st->target != targetFile || st->options != options || !st->out().IsOpen() ||
               st->next > s.records.size())) {
        st.reset();
    }
}

// Resolves and locks the target and takes in what the messenger appended since
// the last read; a status when the save stops there.
std::optional<WriteStatus> LogSession::SaveRun::Prepare(LoadResult* catchUp) {
    if (!sys::ResolveLinks(targetFile, &realTarget, &reason)) return Refuse(reason);
    const sys::FileInfo existing = sys::Stat(realTarget);
    if (existing.exists && !existing.isRegular) return Refuse("it is not a regular file");
    // One save of a file at a time: from the look at what the messenger appended
    // to the replace, no other save may put a file in its place.
    if (existing.exists && !s.LockForSave(lock, realTarget, &reason)) return Refuse(reason);
    // Take in what the messenger appended since the last read, so it is written
    // in the new form too; a log replaced meanwhile (by another save, say) is
    // read again whole, so that this save writes what is in the file now.
    if (s.FileChanged()) {
        const int pendingBefore = s.PendingDeletions;
        LoadResult r = s.LoadLog(s.LogFileName, s.LoadedSize);
        if (catchUp) *catchUp = r;
        st.reset();  // the read may have changed what was written already
        if (r.status == LoadStatus::PasswordGivenUp) return WriteStatus::PasswordGivenUp;
        if (r.fullRead && pendingBefore > 0) {
            // The deletions were marks on records that are gone: writing the new
            // records would quietly keep what was deleted.
            return Refuse("the log was replaced by another program and has been read again; "
                          "the deletions made before were not saved");
        }
    }
    return std::nullopt;
}

std::optional<WriteStatus> LogSession::SaveRun::OpenStream() {
    const ReadTail& tail = s.tail_;
    tentativeIndex = tail.produced ? tail.recordCount
                     : tail.foldedInto >= 0 ? static_cast<std::size_t>(tail.foldedInto)
                                            : s.records.size();
    // The last record read is never written early, as the next read may change
    // it; a save begun otherwise starts again rather than keep it.
    if (st && wholeLog && tail.valid && tentativeIndex < st->next) st.reset();
    // A save begun before the link it writes through was changed starts again.
    if (st && st->realTarget != realTarget) st.reset();
    if (!st) {
        st = std::make_unique<SaveStream>(targetFile, options);
        if (!s.OpenSaveFile(*st, false)) return WriteStatus::Failed;
        // A large log is written a chunk behind by a second thread.
        if (s.records.size() >= kWriterAbove) st->writer.emplace(st->out());
    }
    return std::nullopt;
}

// What stands in front of the first message (lines before the first separator,
// a first block that is no message) is no record, but it is the log's text all
// the same: a save of the whole log keeps it as it was.
std::optional<WriteStatus> LogSession::SaveRun::CopyLead() {
    std::string& buf = st->buf;
    // (A save begun while loading has copied it already.)
    if (!wholeLog || st->next != 0 || st->handedOn != 0 || !buf.empty() || s.leadLength_ == 0) return std::nullopt;
    sys::InputFile log;
    buf.resize(static_cast<std::size_t>(s.leadLength_));
    if (!log.Open(s.LogFileName) || log.ReadAt(0, buf.data(), buf.size()) != static_cast<long long>(buf.size())) {
        st->Discard();
        s.ui_.ProgressEnd();
        return Refuse("cannot read again the text in front of its first message from " + Bracketed(s.LogFileName) +
                      ": " + sys::ErrorText(log.error() ? log.error() : EIO));
    }
    return std::nullopt;
}

// Every record from where the save stands, to the temporary file.
std::optional<WriteStatus> LogSession::SaveRun::WriteAll() {
    std::vector<LogData>& records = s.records;
    const std::string& password = s.CurrentPassword;
    const std::size_t step = std::max<std::size_t>(records.size() / 100, 1);
    int lastPercent = 0;
    std::size_t nextPercentAt = 0;  // the count from which the percentage may have changed
    for (std::size_t i = st->next; i < records.size(); ++i) {
        LogData& r = records[i];
        const bool taken = wholeLog || (!r.Deleted() && (*selected)(r));
        if (taken && password.empty() && r.BodyMode() == kModeEncrypted && !s.AskPassword(false)) {
            st.reset();
            s.ui_.ProgressEnd();
            return WriteStatus::PasswordGivenUp;
        }
        if (wholeLog && s.tail_.valid && i == tentativeIndex) {
            tentativeAt = st->handedOn + st->buf.size();
            tentativeMarked = true;
        }
        if (taken && !r.Deleted()) AppendSavedRecord(st->buf, r, saveType, headerMode, password);
        if (st->buf.size() >= kWriteChunk && !st->HandOn()) return FailWrite();
        if (i + 1 >= nextPercentAt) {
            const int percent = static_cast<int>(std::min<std::size_t>((i + 1) / step, 100));
            nextPercentAt = (static_cast<std::size_t>(percent) + 1) * step;
            if (percent != lastPercent) {
                lastPercent = percent;
                s.ui_.Progress(percent);
                s.ui_.ProcessEvents();
            }
        }
    }
    const bool written = st->writer ? st->writer->Finish() : true;
    st->writer.reset();
    if (!written || !st->out().Write(st->buf)) return FailWrite();
    st->buf.clear();
    return std::nullopt;
}

// Copies in what the messenger appended to the log while we wrote, keeping the
// log open so that appends racing the replace are still found; false when
// writing failed.
bool LogSession::SaveRun::CopyAppended() {
    copied = s.LoadedSize;
    replacingLog = wholeLog && !s.LogFileName.empty() && sys::Stat(targetFile).exists &&
                   s.SameFileAsLoaded(targetFile);
    if (!wholeLog || s.LogFileName.empty() || !oldLog.Open(s.LogFileName)) return true;
    const std::uint64_t size = oldLog.Info().size;
    if (size <= s.LoadedSize) return true;
    sys::OutputFile& out = st->out();
    const ReadTail& tail = s.tail_;
    std::uint64_t from = s.LoadedSize;
    if (tentativeMarked && tail.valid && s.LastBlockGoesOn(oldLog)) {
        // The last block was still being written when we read it: write the text
        // before it again and copy the whole block as the messenger wrote it.
        if (!out.Truncate(tentativeAt)) return false;
        if (!tail.produced && tail.foldedInto >= 0) {
            LogData before = s.records[static_cast<std::size_t>(tail.foldedInto)];
            before.TruncateBody(tail.foldedBodyLength);
            if (!before.Deleted()) AppendSavedRecord(st->buf, before, saveType, headerMode, s.CurrentPassword);
            if (!out.Write(st->buf)) return false;
            st->buf.clear();
        }
        from = tail.offset;
    }
    std::vector<char> chunk(kCopyChunk);
    std::uint64_t at = from;
    while (at < size) {
        long long n = oldLog.ReadAt(at, chunk.data(),
                                    static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - at)));
        if (n <= 0) break;
        if (!out.Write(std::string_view(chunk.data(), static_cast<std::size_t>(n)))) return false;
        at += static_cast<std::uint64_t>(n);
    }
    copied = at;
    return true;
}

// Syncs the temporary file and puts it in the target's place.
std::optional<WriteStatus> LogSession::SaveRun::Replace() {
    sys::OutputFile& out = st->out();
    // The temporary file stays open, and so locked against the sweeping of
    // stale ones, until it has taken the target's place.
    if (!out.Sync()) return FailWrite();
    writtenBytes = out.Position();
    if (wholeLog && options.dustBox && sys::FileExists(realTarget) && !sys::CopyToTrash(realTarget, &reason)) {
        return LeftAsItWas(reason);
    }
    int err = 0;
    bool replaced = false;
    for (int attempt = 0; attempt < 5 && !replaced; ++attempt) {
        if (attempt > 0) {
            s.ui_.ProcessEvents();
            sys::SleepMs(100);
        }
        replaced = sys::AtomicReplace(st->temp.path(), realTarget, &err);
    }
    if (!replaced) {
        st->Discard();
        s.ui_.ProgressEnd();
        s.ui_.ShowMessage("String01", "");
        s.ui_.ShowError("Cannot save " + Bracketed(targetFile) + ": " + sys::ErrorText(err) +
                        "; the file was left as it was");
        return WriteStatus::Failed;
    }
    st->temp.Kept();  // it is the target now
    // Its bytes are on the disk already (synced above); closing only lets go.
    out.Close();
    return std::nullopt;
}

// Carries late appends over, notes a file that holds the records as read, and reports.
WriteStatus LogSession::SaveRun::Conclude() {
    // The messenger may have appended to the old file between the copy and the
    // replace; carry those bytes over to the new file.
    std::string carryError;
    if (replacingLog && oldLog.IsOpen()) carryError = s.CarryLateAppends(oldLog, copied, realTarget);
    const ReadTail& tail = s.tail_;
    if (replacingLog && wholeLog && plainSave && headerMode == kModePlain && carryError.empty() &&
        copied == s.LoadedSize && (!tail.valid || (tail.produced && tentativeMarked))) {
        s.RememberWritten(realTarget, writtenBytes, tentativeAt);
    }
    lock.Unlock();
    s.ui_.Progress(100);
    s.ui_.ProgressEnd();
    if (!carryError.empty()) {
        s.ui_.ShowError("Saved " + Bracketed(targetFile) + ", but what the messenger appended during the save " +
                        "could not be added to it: " + carryError);
        return WriteStatus::Failed;
    }
    if (!st->ownershipProblem.empty()) {
        s.ui_.ShowError("Saved " + Bracketed(targetFile) + ", but its owner could not be kept: " +
                        st->ownershipProblem);
    }
    return WriteStatus::Written;
}

WriteStatus LogSession::WriteRecords(const std::string& targetFile, const WriteOptions& options,
                                     const RecordSelection* selected, LoadResult* catchUp) {
    written_.valid = false;
    SaveRun run(*this, targetFile, options, selected);
    run.TakeEarlySave(std::move(saveStream_));
    if (ReadOnlyMode) return WriteStatus::ReadOnly;
    if (CurrentPassword.empty() && run.saveType == kModeEncrypted && !AskPassword(true)) {
        return WriteStatus::PasswordGivenUp;
    }
    if (auto stop = run.Prepare(catchUp)) return *stop;
    if (auto stop = run.OpenStream()) return *stop;
    ui_.ProgressBegin("Saving...");
    ui_.Progress(0);
    if (auto stop = run.CopyLead()) return *stop;
    if (auto stop = run.WriteAll()) return *stop;
    if (!run.CopyAppended()) return run.FailWrite();
    if (auto stop = run.Replace()) return *stop;
    return run.Conclude();
}

}  // namespace qx
