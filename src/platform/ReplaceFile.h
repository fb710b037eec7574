// What replacing a file safely needs from the system: where a path really
// leads, a temporary file only this process can own, a lock that keeps two
// saves of one file apart, and the owner, mode and attributes of the file
// being replaced carried over to its successor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace qx::sys {

// The path a chain of symbolic links ends at (relative links taken from the
// folder of the link). The path itself when it is no link; the last link's
// target when that does not exist. false with *reason for a loop or a chain
// that cannot be read.
bool ResolveLinks(const std::string& path, std::string* resolved, std::string* reason);

// The start of the names of this program's temporary files for `target`, in
// the target's own folder: "<folder>.<name>.quillorix-".
std::string TempPrefixFor(const std::string& target);
// Temporary files of earlier saves of `target` still in its folder.
std::vector<std::string> TempFilesFor(const std::string& target);
// Removes the temporary files of `target` that no running save holds (those of
// a save that was killed). Only files carrying our own prefix are touched.
void RemoveStaleTempFiles(const std::string& target);

// A new temporary file for target in the target's folder, created exclusively
// (never through a link, never a file that exists) under a name no other save
// uses, and locked for as long as it is open so that RemoveStaleTempFiles
// leaves it alone.
class TempFile {
public:
    TempFile() = default;
    ~TempFile();  // closes, and removes the file unless it was Kept
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // false with error() (an errno value) when no file could be created.
    bool Create(const std::string& target, unsigned mode);
    OutputFile& out() { return out_; }
    const std::string& path() const { return path_; }
    int error() const { return error_; }
    // The file took the target's place: it is no longer ours to remove.
    void Kept() { path_.clear(); }
    // Closes and removes the file now.
    void Discard();

private:
    OutputFile out_;
    std::string path_;
    int error_ = 0;
};

// An exclusive advisory lock on an existing file, for saves of that file: each
// save holds it from the moment it checks the file until it has replaced it.
// The lock belongs to the file, not the name: a save that waited while another
// replaced the file locks the new file instead.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    enum class Result { Locked, Missing, Busy, Failed };
    // Tries for up to waitMs milliseconds, calling `idle` between tries.
    template <typename Idle>
    Result Lock(const std::string& path, int waitMs, Idle&& idle) {
        for (int waited = 0;; waited += kStepMs) {
            const Result r = TryLock(path);
            if (r != Result::Busy || waited >= waitMs) return r;
            idle();
            SleepMs(kStepMs);
        }
    }
    void Unlock();
    int error() const { return error_; }

private:
    static constexpr int kStepMs = 20;
    Result TryLock(const std::string& path);
    int fd_ = -1;
    int error_ = 0;
};

// Gives the open temporary file the group, owner, permission bits and extended
// attributes of `original`. The temporary file is created with the original's
// permission bits, so a failure to keep the owner never leaves it more open
// than the original was. false with *reason when the owner or group could not
// be kept; the rest is done as far as the file system allows.
bool KeepOwnership(OutputFile& file, const std::string& original, std::string* reason);

}  // namespace qx::sys
