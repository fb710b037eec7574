// Replacing a file safely on Windows. Locks are on one byte far past the end of
// the file (see LockFarByte), so that a held lock never stops a read.
#include "platform/ReplaceFile.h"

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cerrno>
#include <chrono>

#include "platform/win32/Win32Util.h"

namespace qx::sys {

using win32::HandleOf;
using win32::Wide;

bool ResolveLinks(const std::string& path, std::string* resolved, std::string* reason) {
    if (!LinkStat(path).isLink) {
        *resolved = path;
        return true;
    }
    HANDLE h = win32::OpenShared(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (h == INVALID_HANDLE_VALUE) {
        // A link to nothing: the link's own name is replaced.
        *resolved = path;
        return true;
    }
    std::wstring buf(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()), FILE_NAME_NORMALIZED);
    CloseHandle(h);
    if (n == 0 || n >= buf.size()) {
        if (reason) *reason = "cannot read the link " + path + ": " + ErrorText(win32::LastErrno());
        return false;
    }
    std::wstring target(buf.data(), n);
    if (target.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        target = L"\\" + target.substr(7);
    } else if (target.rfind(L"\\\\?\\", 0) == 0) {
        target = target.substr(4);
    }
    *resolved = win32::Narrow(target);
    return true;
}

void RemoveStaleTempFiles(const std::string& target) {
    for (const std::string& path : TempFilesFor(target)) {
        // Never through a link, and only ever a regular file.
        HANDLE h = win32::OpenShared(path, GENERIC_READ | DELETE, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
        if (h == INVALID_HANDLE_VALUE) continue;
        BY_HANDLE_FILE_INFORMATION info;
        const bool plain = GetFileInformationByHandle(h, &info) &&
                           !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
        // A running save holds the lock on its file; a killed one left it free.
        // The file is removed through the handle that was locked, never by name.
        if (plain && win32::LockFarByte(h, false)) {
            FILE_DISPOSITION_INFO gone{};
            gone.DeleteFile = TRUE;
            SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone);
        }
        CloseHandle(h);
    }
}

TempFile::~TempFile() { Discard(); }

bool TempFile::Create(const std::string& target, unsigned mode) {
    Discard();
    static std::atomic<unsigned> counter{0};
    const std::string prefix = TempPrefixFor(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::string name = prefix + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(counter.fetch_add(1) ^ static_cast<unsigned>(now)) + ".tmp";
        // Created writable whatever the mode: the file's attributes come last.
        if (!out_.CreateNew(name, mode | 0200)) {
            error_ = out_.error();
            if (error_ == EEXIST) continue;
            return false;
        }
        if (!win32::LockFarByte(HandleOf(out_.Descriptor()), true)) {
            out_.Close();
            DeleteFileW(Wide(name).c_str());
            continue;
        }
        path_ = name;
        return true;
    }
    if (error_ == 0) error_ = EEXIST;
    return false;
}

void TempFile::Discard() {
    out_.Close();
    if (!path_.empty()) DeleteFileW(Wide(path_).c_str());
    path_.clear();
}

FileLock::~FileLock() { Unlock(); }

void FileLock::Unlock() {
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
}

FileLock::Result FileLock::TryLock(const std::string& path) {
    Unlock();
    HANDLE h = win32::OpenShared(path, GENERIC_READ, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) {
        error_ = win32::LastErrno();
        return error_ == ENOENT ? Result::Missing : Result::Failed;
    }
    fd_ = win32::DescriptorFor(h, _O_RDONLY);
    if (fd_ < 0) {
        error_ = EMFILE;
        return Result::Failed;
    }
    if (!win32::LockFarByte(h, false)) {
        const DWORD why = GetLastError();
        error_ = win32::ErrnoFrom(why);
        Unlock();
        return why == ERROR_LOCK_VIOLATION || why == ERROR_IO_PENDING ? Result::Busy : Result::Failed;
    }
    // Another save may have put a new file in place while we waited: the lock
    // only counts if the name still leads to the file we locked.
    const win32::FileId held = win32::IdOf(h);
    const FileInfo named = Stat(path);
    if (!held.ok || !named.exists || named.device != held.volume || named.inode != held.index) {
        Unlock();
        return Result::Busy;
    }
    return Result::Locked;
}

// Windows gives the new file the folder's access rules; what is carried over by
// hand is the read-only, hidden and system marks of the file it replaces.
bool KeepOwnership(OutputFile& file, const std::string& original, std::string*) {
    const DWORD was = GetFileAttributesW(Wide(original).c_str());
    if (was == INVALID_FILE_ATTRIBUTES) return true;
    FILE_BASIC_INFO basic{};
    HANDLE h = HandleOf(file.Descriptor());
    if (GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) {
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        basic.FileAttributes = (basic.FileAttributes & ~kept) | (was & kept);
        if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
    }
    return true;
}

}  // namespace qx::sys
