#include "logstore/LogSession.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "logstore/SaveStream.h"
#include "platform/FileSystem.h"
#include "platform/ReplaceFile.h"

namespace qx {

namespace {

constexpr std::size_t kFingerprint = 64;

}  // namespace

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

bool LogSession::TryPasswords(const std::function<bool()>& opens) {
    int failures = 0;
    while (true) {
        if (CurrentPassword.empty() && !AskPassword(false)) return false;
        if (opens()) return true;
        CurrentPassword.clear();
        if (++failures == 3) {
            ui_.ShowMessage("String08", Bracketed(LogFileName) + "\n");
            return false;
        }
    }
}

bool LogSession::AdoptRecord(LogData&& built, std::string_view blockText) {
    records.push_back(std::move(built));
    LogData& r = records.back();
    if (r.HeaderMode() == kModeEncrypted) {
        if (!r.HeaderEncrypted()) return true;  // decrypted and parsed while it was built
        if (CurrentPassword.empty() && !suppressPasswordPrompt_) {
            const bool opened = TryPasswords([&] {
                r.DecryptHeader(kModeEncrypted, CurrentPassword);
                return r.PasswordOk();
            });
            if (!opened) return false;
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

bool LogSession::AddBlockTracked(std::string_view blockText, std::uint64_t offset, LogData* built) {
    ReadTail t;
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
    return TryPasswords([&] {
        it->PlainBody(CurrentPassword);
        return it->PasswordOk();
    });
}

void LogSession::CloseLog() {
    saveStream_.reset();
    written_ = Written{};
    records.clear();
    PendingDeletions = 0;
    LogFileName.clear();
    tail_ = ReadTail{};
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

bool NeedsEncryptionAtExit(const std::vector<LogData>& records, int saveType, bool autoEncode,
                           int pendingDeletions) {
    if (pendingDeletions != 0 || !autoEncode || records.empty()) return false;
    const int mode = records.back().BodyMode();
    return (saveType == kModeEncrypted && mode < kModeEncrypted) ||
           (saveType == kModeEncoded && mode == kModePlain);
}

}  // namespace qx
