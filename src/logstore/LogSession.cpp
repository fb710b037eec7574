#include "logstore/LogSession.h"

#include <algorithm>
#include <deque>
#include <future>
#include <cstring>

#include "platform/FileSystem.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace qx {

namespace {

constexpr std::size_t kReadChunk = 4 << 20;
constexpr std::size_t kWriteChunk = 1 << 20;
constexpr std::size_t kFingerprint = 64;
// A separator is 37 cp932 bytes; in UTF-8 it could take at most a few more.
constexpr std::size_t kLongestSeparatorLine = 64;
constexpr std::string_view kCrLf = "\r\n";

std::string Bracketed(const std::string& path) { return "[" + path + "]"; }

}  // namespace

std::vector<std::string_view> SplitNames(std::string_view text) {
    std::vector<std::string_view> names;
    ForEachName(text, [&](std::string_view name) { names.push_back(name); });
    return names;
}

std::uint64_t LogSession::LogFileSize(const std::string& fileName) { return sys::FileSize(fileName); }

std::string LogSession::TempPathFor(const std::string& targetFile) {
    return sys::FolderOf(targetFile) + "." + sys::NameOf(targetFile) + ".quillorix-save.tmp";
}

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
                    ui_.ShowMessage("String08", "");
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
    }
    return true;
}

namespace {

// Builds the record of every block. Blocks are independent of each other, so a
// large batch is shared between two threads. With a known password, encrypted
// headers are opened here too.
void BuildRecords(const std::vector<std::string_view>& texts, std::vector<LogData>& out,
                  const std::string& password) {
    out.resize(texts.size());
    auto build = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            LogData r(texts[i]);
            if (r.HeaderMode() == kModeEncrypted && !password.empty()) {
                r.DecryptHeader(kModeEncrypted, password);
                if (!r.HeaderEncrypted()) r.ParseHeader();
            }
            out[i] = std::move(r);
        }
    };
    const std::size_t n = texts.size();
    if (n < 256) {
        build(0, n);
        return;
    }
    auto other = std::async(std::launch::async, build, n / 2, n);
    build(0, n / 2);
    other.get();
}

}  // namespace

bool LogSession::AddBlockTracked(std::string_view blockText, std::uint64_t offset, LogData* built) {
    Tail t;
    t.valid = true;
    t.offset = offset;
    t.recordCount = records.size();
    t.foldedBodyLength = records.empty() ? 0 : records.back().BodyText().size();
    const bool ok = built ? AdoptRecord(std::move(*built), blockText) : AddBlock(blockText);
    t.produced = records.size() > t.recordCount;
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
            ui_.ShowMessage("String08", "");
            return false;
        }
    }
}

void LogSession::CloseLog() {
    records.clear();
    PendingDeletions = 0;
    LogFileName.clear();
    tail_ = Tail{};
}

bool LogSession::SameFileAsLoaded(const std::string& fileName) const {
    const sys::FileInfo info = sys::Stat(fileName);
    return info.exists && info.device == loadedDevice_ && info.inode == loadedInode_;
}

LoadResult LogSession::Reload() {
    if (LogFileName.empty() || LogFileSize(LogFileName) == LoadedSize) {
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
        PendingDeletions = 0;
        firstNew = 0;
        changed = -1;
        suppressPasswordPrompt_ = false;
        tail_ = Tail{};
        ui_.ProgressBegin("Loading...");
        ui_.Progress(0);
    }
    if (!in.Seek(readFrom)) {
        if (full) ui_.ProgressEnd();
        ui_.ShowError("Cannot read " + Bracketed(fileName) + ": " + sys::ErrorText(in.error()));
        result.status = LoadStatus::Unreadable;
        result.firstNew = records.size();
        return result;
    }

    const std::uint64_t step = std::max<std::uint64_t>(info.size / 100, 1);
    int lastPercent = -1;
    bool gaveUp = false;

    // The file is read in large chunks into `buf`. A block whose lines all end in
    // CR LF and need no conversion is handed on as a view of the buffer, without
    // copying its lines; only a block with a line to change is assembled in
    // `blockCopy`. The buffer keeps the bytes of the block being read.
    std::vector<char> buf(kReadChunk);
    std::uint64_t bufStart = readFrom;  // file offset of buf[0]
    std::size_t dataEnd = 0;            // valid bytes in buf
    std::size_t scan = 0;               // start of the next line
    bool inBlocks = false;
    bool blockClean = true;
    std::size_t blockBegin = 0;
    std::uint64_t blockOffset = 0;
    std::string blockCopy;
    std::string converted;
    bool skippingLongLine = !full && readFrom == LoadedSize && resumeInLongLine_;
    bool readError = false;
    bool eof = false;

    // Blocks wait in `pending` (as places in the buffer, or copies) until the
    // buffer is about to move or the file ends; then their records are built
    // together and taken in, in file order.
    struct Pending {
        std::uint64_t offset;
        std::size_t begin, length;  // in buf, for a block read as it stands
        int copy;                   // index into `copies`, or -1
    };
    std::vector<Pending> pending;
    std::deque<std::string> copies;
    std::vector<std::string_view> texts;
    std::vector<LogData> built;

    auto finishBlock = [&](std::size_t endIndex) {
        if (!inBlocks) return;
        if (blockClean) {
            if (endIndex > blockBegin) pending.push_back({blockOffset, blockBegin, endIndex - blockBegin, -1});
        } else if (!blockCopy.empty()) {
            copies.push_back(std::move(blockCopy));
            blockCopy.clear();
            pending.push_back({blockOffset, 0, 0, static_cast<int>(copies.size()) - 1});
        }
    };

    auto flushPending = [&]() -> bool {
        if (pending.empty()) return true;
        texts.clear();
        for (const Pending& p : pending) {
            texts.push_back(p.copy >= 0 ? std::string_view(copies[static_cast<std::size_t>(p.copy)])
                                        : std::string_view(buf.data() + p.begin, p.length));
        }
        BuildRecords(texts, built, suppressPasswordPrompt_ ? std::string() : CurrentPassword);
        bool ok = true;
        for (std::size_t i = 0; i < pending.size() && ok; ++i) {
            if (!AddBlockTracked(texts[i], pending[i].offset, &built[i])) {
                if (full) {
                    ok = false;
                    break;
                }
                // Given up during a differential read: keep what was read, and do
                // not ask again for the rest of this read.
                gaveUp = true;
                suppressPasswordPrompt_ = true;
            }
            if (full) {
                const int percent = static_cast<int>(std::min<std::uint64_t>(pending[i].offset / step, 100));
                if (percent != lastPercent) {
                    lastPercent = percent;
                    ui_.Progress(percent);
                    ui_.ProcessEvents();
                }
            }
        }
        pending.clear();
        copies.clear();
        built.clear();
        return ok;
    };

    // One line [ls, contentEnd) whose line end (if any) runs to lineEnd.
    // A line without its line end may still grow (the messenger may be writing
    // it), so it never opens a block: mayOpenBlock is false for it.
    auto handleLine = [&](std::size_t ls, std::size_t contentEnd, bool crlf, bool mayOpenBlock = true) {
        std::string_view line(buf.data() + ls, contentEnd - ls);
        bool changed = !crlf;
        if (!IsAscii(line)) {
            converted.assign(line);
            if (ConvertUtf8LineInPlace(converted)) {
                line = converted;
                changed = true;
            }
        }
        if (mayOpenBlock && IsTopSeparator(line)) {
            finishBlock(ls);
            inBlocks = true;
            blockOffset = bufStart + ls;
            blockBegin = ls;
            blockClean = !changed;
            if (!blockClean) {
                blockCopy.assign(line);
                blockCopy.append(kCrLf);
            }
        } else if (inBlocks) {
            if (blockClean && changed) {
                blockClean = false;
                blockCopy.assign(buf.data() + blockBegin, ls - blockBegin);
            }
            if (!blockClean) {
                blockCopy.append(line);
                blockCopy.append(kCrLf);
            }
        }
    };

    while (true) {
        const char* base = buf.data();
        const void* nlp = scan < dataEnd ? std::memchr(base + scan, '\n', dataEnd - scan) : nullptr;
        if (nlp) {
            const std::size_t nl = static_cast<std::size_t>(static_cast<const char*>(nlp) - base);
            if (skippingLongLine) {
                skippingLongLine = false;  // the end of a line too long to be a separator
            } else {
                const bool crlf = nl > scan && base[nl - 1] == '\r';
                handleLine(scan, crlf ? nl - 1 : nl, crlf);
            }
            scan = nl + 1;
            continue;
        }
        if (eof) break;
        // Need more bytes: keep what is still needed, then read on.
        std::size_t keep = (inBlocks && blockClean) ? blockBegin : scan;
        if (!inBlocks && dataEnd - scan > kLongestSeparatorLine) {
            // Outside a block only a separator line matters, and a long line is
            // none: do not hold it (a file may be gigabytes of one line).
            skippingLongLine = true;
            keep = dataEnd;
            scan = dataEnd;
        }
        if (!flushPending()) {
            if (full) ui_.ProgressEnd();
            suppressPasswordPrompt_ = false;
            result.status = LoadStatus::PasswordGivenUp;
            result.fullRead = full;
            return result;
        }
        if (keep > 0) {
            std::memmove(buf.data(), buf.data() + keep, dataEnd - keep);
            dataEnd -= keep;
            scan -= keep;
            if (inBlocks && blockClean) blockBegin -= keep;
            bufStart += keep;
        }
        if (dataEnd == buf.size()) buf.resize(buf.size() * 2);
        const long long n = in.Read(buf.data() + dataEnd, buf.size() - dataEnd);
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
        const bool wasInBlocks = inBlocks;
        const std::uint64_t partialStart = bufStart + scan;
        handleLine(scan, dataEnd, false, false);
        if (!wasInBlocks && !inBlocks) resumeOffset_ = partialStart;
    }
    finishBlock(dataEnd);
    if (!flushPending()) {
        if (full) ui_.ProgressEnd();
        result.status = LoadStatus::PasswordGivenUp;
        result.fullRead = full;
        return result;
    }
    suppressPasswordPrompt_ = false;

    LoadedSize = pos;
    loadedDevice_ = info.device;
    loadedInode_ = info.inode;
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
    result.firstNew = std::min(firstNew, records.size());
    result.changedRecord = changed < static_cast<long long>(result.firstNew) ? changed : -1;
    if (full && !CheckBodyPassword()) {
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

bool LogSession::IsTentative(std::size_t index) const {
    return tail_.valid && tail_.produced && index == tail_.recordCount;
}

void LogSession::SetDeleted(std::size_t index, bool flag) {
    if (index >= records.size() || records[index].Deleted() == flag) return;
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

namespace {

bool Matches(LogData& r, const SelectionFilter& f) {
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

}  // namespace

WriteStatus LogSession::WriteRecords(const std::string& targetFile, const WriteOptions& options,
                                     const SelectionFilter* filter, LoadResult* catchUp) {
    if (ReadOnlyMode) return WriteStatus::ReadOnly;
    const int saveType = (options.saveType == kModeEncoded || options.saveType == kModeEncrypted)
                             ? options.saveType
                             : kModePlain;
    const int headerMode = options.headerEncode ? saveType : kModePlain;
    if (CurrentPassword.empty() && saveType == kModeEncrypted && !AskPassword(true)) {
        return WriteStatus::PasswordGivenUp;
    }
    // Take in what the messenger appended since the last read, so it is written
    // in the new form too.
    if (!LogFileName.empty() && LogFileSize(LogFileName) != LoadedSize) {
        LoadResult r = LoadLog(LogFileName, LoadedSize);
        if (catchUp) *catchUp = r;
    }

    const bool wholeLog = filter == nullptr;
    const std::string tmp = TempPathFor(targetFile);
    sys::OutputFile out;
    const unsigned mode = sys::FileMode(targetFile).value_or(
        LogFileName.empty() ? 0644u : sys::FileMode(LogFileName).value_or(0644u));
    if (!out.Create(tmp, mode)) {
        ui_.ShowError("Cannot save " + Bracketed(targetFile) + ": cannot create the temporary file " +
                      Bracketed(tmp) + ": " + sys::ErrorText(out.error()));
        return WriteStatus::Failed;
    }
    auto failWrite = [&](int err) {
        out.Close();
        sys::RemoveFile(tmp);
        ui_.ProgressEnd();
        ui_.ShowError("Cannot save " + Bracketed(targetFile) + ": " + sys::ErrorText(err) +
                      "; the file was left as it was");
        return WriteStatus::Failed;
    };

    ui_.ProgressBegin("Saving...");
    ui_.Progress(0);
    const std::size_t step = std::max<std::size_t>(records.size() / 100, 1);
    int lastPercent = 0;
    std::string buf;
    buf.reserve(kWriteChunk + (1 << 16));
    std::uint64_t tentativeAt = 0;  // where the last block's text starts in the temporary file
    bool tentativeMarked = false;
    const std::size_t tentativeIndex = tail_.produced ? tail_.recordCount
                                       : tail_.foldedInto >= 0 ? static_cast<std::size_t>(tail_.foldedInto)
                                                               : records.size();

    auto writeRecord = [&](LogData& r) {
        int bodyMode = saveType;
        std::string body = r.SaveBody(saveType, CurrentPassword, &bodyMode);
        buf += r.SaveHeaderBlock(headerMode, bodyMode, CurrentPassword);
        buf += body;
    };

    for (std::size_t i = 0; i < records.size(); ++i) {
        LogData& r = records[i];
        const bool selected = wholeLog || (!r.Deleted() && Matches(r, *filter));
        if ((wholeLog || selected) && CurrentPassword.empty() && r.BodyMode() == kModeEncrypted &&
            !AskPassword(false)) {
            out.Close();
            sys::RemoveFile(tmp);
            ui_.ProgressEnd();
            return WriteStatus::PasswordGivenUp;
        }
        if (wholeLog && tail_.valid && i == tentativeIndex) {
            tentativeAt = out.Position() + buf.size();
            tentativeMarked = true;
        }
        if (selected && !r.Deleted()) writeRecord(r);
        if (buf.size() >= kWriteChunk) {
            if (!out.Write(buf)) return failWrite(out.error());
            buf.clear();
        }
        const int percent = static_cast<int>(std::min<std::size_t>((i + 1) / step, 100));
        if (percent != lastPercent) {
            lastPercent = percent;
            ui_.Progress(percent);
            ui_.ProcessEvents();
        }
    }
    if (!out.Write(buf)) return failWrite(out.error());
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
                    if (!out.Truncate(tentativeAt)) return failWrite(out.error());
                    if (!tail_.produced && tail_.foldedInto >= 0) {
                        LogData before = records[static_cast<std::size_t>(tail_.foldedInto)];
                        before.TruncateBody(tail_.foldedBodyLength);
                        if (!before.Deleted()) writeRecord(before);
                        if (!out.Write(buf)) return failWrite(out.error());
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
                if (!out.Write(std::string_view(chunk.data(), static_cast<std::size_t>(n)))) {
                    return failWrite(out.error());
                }
                at += static_cast<std::uint64_t>(n);
            }
            copied = at;
        }
    }
    if (!out.Sync()) return failWrite(out.error());
    if (!out.Close()) return failWrite(out.error());

    if (wholeLog && options.dustBox && sys::FileExists(targetFile)) {
        std::string reason;
        if (!sys::CopyToTrash(targetFile, &reason)) {
            sys::RemoveFile(tmp);
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
        replaced = sys::AtomicReplace(tmp, targetFile, &err);
    }
    if (!replaced) {
        sys::RemoveFile(tmp);
        ui_.ProgressEnd();
        ui_.ShowMessage("String01", "");
        ui_.ShowError("Cannot save " + Bracketed(targetFile) + ": " + sys::ErrorText(err) +
                      "; the file was left as it was");
        return WriteStatus::Failed;
    }

    // The messenger may have appended to the old file between the copy above and
    // the replace; carry those bytes over to the new file.
    if (replacingLog && oldLog.IsOpen()) {
        int quiet = 0;
        for (int round = 0; round < 100 && quiet < 3; ++round) {
            const std::uint64_t size = oldLog.Info().size;
            if (size > copied) {
                std::string extra(static_cast<std::size_t>(size - copied), '\0');
                long long n = oldLog.ReadAt(copied, extra.data(), extra.size());
                if (n > 0) {
                    extra.resize(static_cast<std::size_t>(n));
                    sys::OutputFile app;
                    if (app.OpenAppend(targetFile) && app.Write(extra)) {
                        app.Sync();
                        copied += static_cast<std::uint64_t>(n);
                    }
                    app.Close();
                }
                quiet = 0;
            } else {
                ++quiet;
            }
            sys::SleepMs(10);
        }
    }
    ui_.Progress(100);
    ui_.ProgressEnd();
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
