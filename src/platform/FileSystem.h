// Operating-system services used by the core, one small function per concern.
// Its POSIX version (the .cpp files here) and its Windows version (win32/) are
// the only places in the core that include system headers.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::sys {

struct FileInfo {
    bool exists = false;
    bool isDirectory = false;
    bool isRegular = false;
    bool isLink = false;  // only from LinkStat
    std::uint64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNs = 0;  // last change of the contents, in nanoseconds
    std::uint64_t ownerId = 0;
    std::uint64_t groupId = 0;
    unsigned mode = 0;  // permission bits
    bool SameFileAs(const FileInfo& other) const {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
};

// Status of a path (following links). exists is false when the path is missing.
FileInfo Stat(const std::string& path);
// The same of the path itself, a link included.
FileInfo LinkStat(const std::string& path);

// Size in bytes, 0 when the file does not exist.
std::uint64_t FileSize(const std::string& path);

bool FileExists(const std::string& path);

// The file cannot be written by this user (the read-only attribute).
bool IsReadOnly(const std::string& path);

// Text of errno for messages.
std::string ErrorText(int err);

// A file opened for reading with large unbuffered reads.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // false with error() set (an errno value) when the file cannot be opened.
    bool Open(const std::string& path);
    bool Seek(std::uint64_t offset);
    // Reads up to n bytes; returns the count, 0 at the end, -1 on error.
    long long Read(void* buf, std::size_t n);
    // Reads exactly n bytes at offset unless the file ends first; returns the count or -1.
    long long ReadAt(std::uint64_t offset, void* buf, std::size_t n);
    FileInfo Info() const;
    // Maps `length` bytes from `offset` read-only into memory, without copying
    // them; *data receives where they start. The returned owner keeps the mapping
    // until the last copy goes. Null when the file cannot be mapped. Its pages
    // come in as they are first read (or through PrefetchMapped).
    //
    // If another program cuts the file short while it is mapped, the pages past
    // its new end read as zero bytes instead of stopping the program; the reader
    // notices the shorter file at its next look and reads it again.
    std::shared_ptr<const void> Map(std::uint64_t offset, std::size_t length, const char** data);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

// A file opened for writing; every failure is kept as an errno value.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or truncates path with the given permission bits.
    bool Create(const std::string& path, unsigned mode = 0644);
    // Creates a new file; fails (EEXIST) when anything, a link included, has the name.
    bool CreateNew(const std::string& path, unsigned mode);
    // Opens an existing file for appending (every write goes to its end).
    bool OpenAppend(const std::string& path);
    bool Write(std::string_view bytes);
    // Write starts writing a large file out as it grows (so that Sync finds most
    // of it on the disk already), unless told not to: a caller on another thread
    // may then do it with StartWriteOut, which only reads the descriptor.
    void SetWriteBehind(bool on);
    void StartWriteOut(std::uint64_t from, std::uint64_t to) const;
    bool Truncate(std::uint64_t size);
    std::uint64_t Position() const { return pos_; }
    bool Sync();
    bool Close();
    bool IsOpen() const { return fd_ >= 0; }
    int error() const { return error_; }
    // The system's handle, for the calls of ReplaceFile.h.
    int Descriptor() const { return fd_; }

private:
    bool OpenNew(const std::string& path, int flags, unsigned mode);
    int fd_ = -1;
    int error_ = 0;
    std::uint64_t pos_ = 0;
    std::uint64_t writtenBack_ = 0;  // writing out was started up to here
    bool writeBehind_ = true;
};

// Permission bits of an existing file, or nullopt.
std::optional<unsigned> FileMode(const std::string& path);

// Replaces target by source in one step (rename within one folder) and makes the
// change durable. false with errno in *err on failure; target is then untouched.
bool AtomicReplace(const std::string& source, const std::string& target, int* err);

bool RemoveFile(const std::string& path);

// Copies a file into the user's trash (freedesktop layout on Linux).
// false with a reason when it cannot.
bool CopyToTrash(const std::string& path, std::string* reason);

// Folder part of a path including the trailing separator ("" for a bare name),
// and the name part.
std::string FolderOf(std::string_view path);
std::string NameOf(std::string_view path);

// Names of the entries of a folder (without "." and ".."), unsorted; empty when
// it cannot be read.
std::vector<std::string> ListFolder(const std::string& folder);

// Full path of the running executable ("" when it cannot be told).
std::string ExecutablePath();

// Logon name of the current user.
std::string UserName();

// Sleeps for the given milliseconds.
void SleepMs(int ms);

// A buffer of `size` uninitialised bytes for large reads. Big ones are aligned so
// that the system can back them with large pages, which fills them much faster.
// Its size is ReadBufferSize(size), at least `size`: use all of it.
std::shared_ptr<char[]> NewReadBuffer(std::size_t size);
std::size_t ReadBufferSize(std::size_t size);

// Lets the system back the untouched memory [data, data + size) with large pages
// (advice only, for big arrays about to be filled).
void AdviseLargePages(void* data, std::size_t size);

// Brings the pages of a mapped range in ahead of reading it, in one call instead
// of a fault every few pages (advice only; several threads may do so at once).
void PrefetchMapped(const void* data, std::size_t size);

}  // namespace qx::sys
