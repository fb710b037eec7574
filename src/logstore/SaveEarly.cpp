// A plain save begun while the log is still being read.
#include <memory>
#include <string>

#include "logstore/LogSession.h"
#include "logstore/SaveStream.h"
#include "platform/FileSystem.h"
#include "platform/ReplaceFile.h"

namespace qx {

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
        AppendSavedRecord(st.buf, r, kModePlain, kModePlain, CurrentPassword);
        if (st.buf.size() >= kWriteChunk && !st.HandOn()) {
            saveStream_.reset();
            return;
        }
    }
}

}  // namespace qx
