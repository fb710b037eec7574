// The open log: its records, where they came from, and reading and writing them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "logstore/LogData.h"
#include "logstore/ReadPlan.h"
#include "logstore/SessionUi.h"
#include "platform/FileSystem.h"
#include "platform/ReplaceFile.h"
#include "text/Cp932.h"

namespace qx {

enum class LoadStatus {
    Ok,              // read (possibly nothing new)
    Missing,         // the file does not exist; reported, nothing changed
    Unreadable,      // the file exists but cannot be read; reported, nothing changed
    PasswordGivenUp  // three wrong passwords (or the person gave up)
};

struct LoadResult {
    LoadStatus status = LoadStatus::Ok;
    bool fullRead = false;      // the collection was replaced (a full load, or a log
                                // that shrank or was replaced since the last read)
    std::size_t firstNew = 0;   // records from this index on are new
    // Records before firstNew whose text grew because a block that was still being
    // written when the last read ended has now been read whole (or -1 for none).
    long long changedRecord = -1;
    // A full load of the file just saved over took the saved records instead
    // of reading them again: they are that file's text.
    bool tookSaved = false;
    // A full read of a file that is not empty found no message in it.
    bool heldNoMessage = false;
    bool ok() const { return status == LoadStatus::Ok; }
    bool added(std::size_t count) const { return fullRead || firstNew < count; }
};

enum class WriteStatus { Written, ReadOnly, PasswordGivenUp, Failed };

struct WriteOptions {
    int saveType = 0;           // 0 plain, 1 encoded, 2 encrypted; anything else writes plain
    bool headerEncode = false;  // headers in the save type's mode too
    bool dustBox = false;       // copy the replaced file to the trash first
    bool operator==(const WriteOptions&) const = default;
};

// Which records a selection saves; deleted records are never offered.
using RecordSelection = std::function<bool(const LogData&)>;

// How much a read takes on at a time. The defaults are what the program uses;
// tests and fuzzing set smaller ones on their own sessions to reach every way
// of reading with small files.
struct ReadLimits {
    std::size_t splitAbove = 1u << 20;  // stretches this long are shared by two threads
    std::uint64_t mapAbove = 8u << 20;  // reads this long map the file instead
    std::size_t mapStep = 256u << 20;   // how much of a mapping the scanner takes at a time
};

class LogSession {
public:
    explicit LogSession(SessionUi& ui) : ui_(ui) {}

    // ---- the log's state
    std::vector<LogData> records;
    std::string LogFileName;
    std::string LogFolder;
    std::uint64_t LoadedSize = 0;
    bool ReadOnlyMode = false;
    bool ForceReadOnly = false;
    std::string CurrentPassword;
    int PendingDeletions = 0;
    ReadLimits readLimits;

    // Full load with startOffset 0, otherwise a differential read from startOffset.
    LoadResult LoadLog(const std::string& fileName, std::uint64_t startOffset);
    // A differential read when the file changed since the last read.
    LoadResult Reload();
    // The log's size differs from LoadedSize, its name now leads to another
    // file (one put in its place, even of the same size), or it was written
    // since the last read.
    bool FileChanged() const;
    // Builds a record from one block and keeps, decrypts or folds it.
    bool AddBlock(std::string_view blockText);
    bool CheckBodyPassword();
    void CloseLog();
    static std::uint64_t LogFileSize(const std::string& fileName);

    // Asks until a non-empty password is given; false when the person gave up.
    bool AskPassword(bool twoFields);

    // Writes every record that is not deleted to targetFile, through a temporary
    // file in the target's folder replaced in one step. `catchUp` receives the
    // differential read made before writing.
    //
    // A link is saved through: the file it leads to is replaced and the link
    // stays. The replaced file's owner, group, mode and extended attributes go
    // to the new one. Saves of one file wait for each other; a log that another
    // save replaced since it was read is read again first, so that nothing of
    // either is lost. A target that is not a regular file is refused.
    WriteStatus WriteLog(const std::string& targetFile, const WriteOptions& options,
                         LoadResult* catchUp = nullptr);
    // Writes the records that are not deleted and that `selected` takes to targetFile.
    WriteStatus WriteSelection(const std::string& targetFile, const RecordSelection& selected,
                               const WriteOptions& options, LoadResult* catchUp = nullptr);
    // Lets the next full load begin a WriteLog(targetFile, options) that is to
    // follow it: the records that can no longer change go to the new file while
    // the rest is still read, so that the disk is busy while the processor is.
    // Only a plain save (save type 0) begins early; the file is the one WriteLog
    // writes without it. Records that need a password are left to WriteLog.
    // WriteLog must follow the load with nothing changed in between: another read,
    // CloseLog or SetDeleted drops what was begun.
    void SaveWhileLoading(const std::string& targetFile, const WriteOptions& options);
    // Drops a save begun early and not finished by WriteLog, with its temporary file.
    void CancelSaveWhileLoading();

    // Removes fileName, through the trash when dustBox is set.
    bool DiscardOldFile(const std::string& fileName, bool dustBox);

    // Marks or clears a deletion and keeps PendingDeletions in step.
    void SetDeleted(std::size_t index, bool flag);

    // The last block read may still be in the writing: true when the record at
    // `index` could still grow or be replaced by the next read.
    bool IsTentative(std::size_t index) const;
    // The last read ended on a line end (nothing half-written behind it).
    bool EndedOnLineEnd() const { return endedOnLineEnd_; }

private:
    // A save in the making (see SaveWhileLoading). It belongs to one session: a
    // copy of the session starts without one.
    struct SaveStream;
    struct OwnSaveStream : std::unique_ptr<SaveStream> {
        using std::unique_ptr<SaveStream>::operator=;
        OwnSaveStream();
        OwnSaveStream(const OwnSaveStream&);
        OwnSaveStream& operator=(const OwnSaveStream&);
        ~OwnSaveStream();
    };

    // One read and one save in the making, with the steps they go through.
    struct ReadRun;
    struct SaveRun;

    LoadResult ReadFrom(const std::string& fileName, std::uint64_t startOffset, bool full);
    // Tries the password until `opens` says it fits, asking for one while there
    // is none; false when the person gave up or after three wrong ones (shown).
    bool TryPasswords(const std::function<bool()>& opens);
    // Writes the records that can no longer change to a save begun early.
    void FeedSaveStream(sys::InputFile& in);
    // Creates the temporary file of a save; false when it cannot, which is shown
    // unless quiet.
    bool OpenSaveFile(SaveStream& st, bool quiet);
    bool AddBlockTracked(std::string_view blockText, std::uint64_t offset, LogData* built = nullptr);
    // Keeps, decrypts or folds a record built from blockText.
    bool AdoptRecord(LogData&& built, std::string_view blockText);
    WriteStatus WriteRecords(const std::string& targetFile, const WriteOptions& options,
                             const RecordSelection* selected, LoadResult* catchUp);
    bool SameFileAsLoaded(const std::string& fileName) const;
    // Whether the bytes behind LoadedSize continue the last block read (it was
    // still being written) rather than start a new one.
    bool LastBlockGoesOn(sys::InputFile& in) const;

    // What the last save over the open log wrote, when that file holds exactly
    // the text of the records not deleted, as they stand: a full read of it
    // would give those records again, so it takes them instead (AdoptWritten).
    struct Written {
        bool valid = false;
        std::string file;              // the log's name when it was saved
        sys::FileInfo info;            // the new file as the save left it
        std::size_t recordCount = 0;   // records and deletions then
        int pendingDeletions = 0;
        std::uint64_t tailOffset = 0;  // where the last block read starts in it
    };
    bool AdoptWritten(const std::string& fileName);
    // Steps of a save: taking the target's lock (false with the reason), copying
    // in what the messenger appended to the replaced file (an error text, or ""),
    // and noting a file that holds exactly the records as read.
    bool LockForSave(sys::FileLock& lock, const std::string& realTarget, std::string* why);
    std::string CarryLateAppends(sys::InputFile& oldLog, std::uint64_t& copied, const std::string& realTarget);
    void RememberWritten(const std::string& realTarget, std::uint64_t writtenBytes, std::uint64_t tailOffset);

    SessionUi& ui_;
    ReadTail tail_;
    Written written_;
    bool endedOnLineEnd_ = true;
    std::uint64_t resumeOffset_ = 0;  // where a half-written line before any block starts
    bool resumeInLongLine_ = false;   // the last read ended inside a long line before any block
    bool suppressPasswordPrompt_ = false;
    bool foldedBlocks_ = false;  // a block was folded into a record since the last full read
    bool vanishedReported_ = false;
    std::uint64_t leadLength_ = 0;    // bytes in front of the first record's block
    std::uint64_t loadedDevice_ = 0, loadedInode_ = 0;
    std::int64_t loadedModifiedNs_ = 0;
    std::string loadedFingerprint_;  // the bytes just before LoadedSize
    OwnSaveStream saveStream_;  // begun by SaveWhileLoading
};

// Whether closing the program should save the log encrypted: only the last
// record decides, since the messenger appends at the end.
bool NeedsEncryptionAtExit(const std::vector<LogData>& records, int saveType, bool autoEncode,
                           int pendingDeletions);

// Entries of a list field, split at "," and trimmed (the last, empty one dropped).
std::vector<std::string_view> SplitNames(std::string_view listField);

// Calls f(name) for each entry SplitNames would give, without building a list.
template <typename F>
void ForEachName(std::string_view text, F&& f) {
    while (true) {
        std::size_t comma = text.find(',');  // "," is never the second byte of a character
        if (comma == std::string_view::npos) {
            f(Trim(text));
            return;
        }
        f(text.substr(0, comma));
        text = Trim(text.substr(comma + 1));
        if (text.empty()) return;
    }
}

}  // namespace qx
