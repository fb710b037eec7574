// The file services on Windows: wide-character calls for UTF-8 paths, handles
// shared for reading, writing and deleting (a log stays appendable and
// replaceable while it is open here), errors reported as errno values.
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "platform/win32/Win32Util.h"

namespace qx::sys {

using win32::HandleOf;
using win32::LastErrno;
using win32::Wide;

namespace {

// 100-nanosecond steps from 1601 to 1970.
constexpr std::int64_t kEpochSteps = 116444736000000000LL;

std::int64_t NanosecondsOf(const FILETIME& t) {
    const std::int64_t steps = (static_cast<std::int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return (steps - kEpochSteps) * 100;
}

FileInfo FromHandle(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION st;
    if (!GetFileInformationByHandle(h, &st)) return {};
    FileInfo info;
    info.exists = true;
    info.isDirectory = (st.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.isLink = (st.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    info.isRegular = !info.isDirectory && GetFileType(h) == FILE_TYPE_DISK;
    info.size = (static_cast<std::uint64_t>(st.nFileSizeHigh) << 32) | st.nFileSizeLow;
    info.device = st.dwVolumeSerialNumber;
    info.inode = (static_cast<std::uint64_t>(st.nFileIndexHigh) << 32) | st.nFileIndexLow;
    info.modifiedNs = NanosecondsOf(st.ftLastWriteTime);
    const bool readOnly = (st.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    info.mode = (readOnly ? 0444u : 0666u) | (info.isDirectory ? 0111u : 0u);
    return info;
}

// What the folder tells of a file that cannot be opened at all (a program holds
// it without sharing). Its identity is then made from its full name, on a volume
// number no real volume has (those are 32 bits): two such files are the same
// only under the same name.
FileInfo StatByName(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA st;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &st)) return {};
    FileInfo info;
    info.exists = true;
    info.isDirectory = (st.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.isLink = (st.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    info.isRegular = !info.isDirectory && !(st.dwFileAttributes & FILE_ATTRIBUTE_DEVICE);
    info.size = (static_cast<std::uint64_t>(st.nFileSizeHigh) << 32) | st.nFileSizeLow;
    info.modifiedNs = NanosecondsOf(st.ftLastWriteTime);
    const bool readOnly = (st.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    info.mode = (readOnly ? 0444u : 0666u) | (info.isDirectory ? 0111u : 0u);
    std::wstring full(32768, L'\0');
    const DWORD n = GetFullPathNameW(Wide(path).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(n < full.size() ? n : 0);
    CharLowerBuffW(full.data(), static_cast<DWORD>(full.size()));
    info.device = ~std::uint64_t{0};
    info.inode = std::hash<std::wstring>{}(full);
    return info;
}

FileInfo StatWith(const std::string& path, DWORD extraFlags) {
    // No access asked: only the attributes are read, whoever holds the file.
    HANDLE h = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | extraFlags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return StatByName(path);
    FileInfo info = FromHandle(h);
    CloseHandle(h);
    return info;
}

bool WriteAll(HANDLE h, const char* p, std::size_t n, int* err) {
    while (n > 0) {
        const DWORD step = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, p, step, &written, nullptr)) {
            *err = LastErrno();
            return false;
        }
        p += written;
        n -= written;
    }
    return true;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

FileInfo Stat(const std::string& path) { return StatWith(path, 0); }

FileInfo LinkStat(const std::string& path) { return StatWith(path, FILE_FLAG_OPEN_REPARSE_POINT); }

std::uint64_t FileSize(const std::string& path) { return Stat(path).size; }

bool FileExists(const std::string& path) { return Stat(path).exists; }

bool IsReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::string ErrorText(int err) { return std::strerror(err); }

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
    Close();
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error_ = EISDIR;
        return false;
    }
    HANDLE h = win32::OpenShared(path, GENERIC_READ, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) {
        error_ = LastErrno();
        return false;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        // A pipe or device would block or never end; logs are regular files.
        CloseHandle(h);
        error_ = EINVAL;
        return false;
    }
    fd_ = win32::DescriptorFor(h, _O_RDONLY);
    if (fd_ < 0) error_ = EMFILE;
    return fd_ >= 0;
}

bool InputFile::Seek(std::uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(HandleOf(fd_), to, nullptr, FILE_BEGIN)) {
        error_ = LastErrno();
        return false;
    }
    return true;
}

long long InputFile::Read(void* buf, std::size_t n) {
    DWORD got = 0;
    const DWORD step = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
    if (!ReadFile(HandleOf(fd_), buf, step, &got, nullptr)) {
        error_ = LastErrno();
        return -1;
    }
    return got;
}

long long InputFile::ReadAt(std::uint64_t offset, void* buf, std::size_t n) {
    // A read at an offset moves the file position here: it is put back after.
    HANDLE h = HandleOf(fd_);
    LARGE_INTEGER zero{}, was{};
    if (!SetFilePointerEx(h, zero, &was, FILE_CURRENT)) {
        error_ = LastErrno();
        return -1;
    }
    std::size_t done = 0;
    auto* p = static_cast<char*>(buf);
    long long result = 0;
    while (done < n) {
        OVERLAPPED at{};
        const std::uint64_t where = offset + done;
        at.Offset = static_cast<DWORD>(where);
        at.OffsetHigh = static_cast<DWORD>(where >> 32);
        DWORD got = 0;
        const DWORD step = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
        if (!ReadFile(h, p + done, step, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            error_ = LastErrno();
            result = -1;
            break;
        }
        if (got == 0) break;
        done += got;
    }
    SetFilePointerEx(h, was, nullptr, FILE_BEGIN);
    return result < 0 ? -1 : static_cast<long long>(done);
}

FileInfo InputFile::Info() const { return fd_ < 0 ? FileInfo{} : FromHandle(HandleOf(fd_)); }

// Never mapped on Windows: while a view of a file exists, no other program can
// cut it short or put a new file in its place, so the messenger could not go on
// writing its log. Reading into buffers keeps the file free.
std::shared_ptr<const void> InputFile::Map(std::uint64_t, std::size_t, const char**) { return nullptr; }

void InputFile::Close() {
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) _close(fd_);
}

bool OutputFile::OpenNew(const std::string& path, int flags, unsigned mode) {
    const DWORD attributes = (mode & 0222) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
    const DWORD disposition = flags != 0 ? CREATE_NEW : CREATE_ALWAYS;
    HANDLE h = win32::OpenShared(path, GENERIC_WRITE, disposition, attributes);
    if (h == INVALID_HANDLE_VALUE) {
        error_ = LastErrno();
        return false;
    }
    fd_ = win32::DescriptorFor(h, _O_WRONLY);
    if (fd_ < 0) {
        error_ = EMFILE;
        return false;
    }
    pos_ = 0;
    writtenBack_ = 0;
    return true;
}

bool OutputFile::Create(const std::string& path, unsigned mode) { return OpenNew(path, 0, mode); }

// CREATE_NEW fails on any existing name, a link included.
bool OutputFile::CreateNew(const std::string& path, unsigned mode) { return OpenNew(path, 1, mode); }

bool OutputFile::OpenAppend(const std::string& path) {
    // Append access only: every write goes to the end, as the file is then.
    HANDLE h = win32::OpenShared(path, FILE_APPEND_DATA | SYNCHRONIZE | FILE_READ_ATTRIBUTES, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) {
        error_ = LastErrno();
        return false;
    }
    LARGE_INTEGER size{};
    pos_ = GetFileSizeEx(h, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    writtenBack_ = pos_;
    fd_ = win32::DescriptorFor(h, _O_WRONLY | _O_APPEND);
    if (fd_ < 0) error_ = EMFILE;
    return fd_ >= 0;
}

bool OutputFile::Write(std::string_view bytes) {
    if (fd_ < 0) return false;
    if (!WriteAll(HandleOf(fd_), bytes.data(), bytes.size(), &error_)) return false;
    pos_ += bytes.size();
    return true;
}

void OutputFile::SetWriteBehind(bool on) {
    if (on && !writeBehind_) writtenBack_ = pos_;
    writeBehind_ = on;
}

// Windows writes its cache out by itself; Sync waits for the rest.
void OutputFile::StartWriteOut(std::uint64_t, std::uint64_t) const {}

bool OutputFile::Truncate(std::uint64_t size) {
    HANDLE h = HandleOf(fd_);
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(h, to, nullptr, FILE_BEGIN) || !SetEndOfFile(h)) {
        error_ = LastErrno();
        return false;
    }
    pos_ = size;
    writtenBack_ = std::min(writtenBack_, size);
    return true;
}

bool OutputFile::Sync() {
    if (!FlushFileBuffers(HandleOf(fd_))) {
        error_ = LastErrno();
        return false;
    }
    return true;
}

bool OutputFile::Close() {
    if (fd_ < 0) return true;
    const int r = _close(fd_);
    fd_ = -1;
    if (r != 0) {
        error_ = errno;
        return false;
    }
    return true;
}

std::optional<unsigned> FileMode(const std::string& path) {
    const FileInfo info = Stat(path);
    if (!info.exists) return std::nullopt;
    return info.mode;
}

namespace {

// The rename of Windows 10 and later that replaces a file other handles hold
// open, as a rename does elsewhere. false where the system does not have it.
bool RenameOverOpenFile(const std::string& source, const std::string& target) {
    HANDLE h = win32::OpenShared(source, DELETE | SYNCHRONIZE, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return false;
    const std::wstring name = Wide(target);
    const std::size_t bytes = name.size() * sizeof(wchar_t);
    std::vector<char> buf(sizeof(FILE_RENAME_INFO) + bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
    constexpr DWORD kReplaceIfExists = 0x1, kPosixSemantics = 0x2;
    constexpr auto kRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    info->Flags = kReplaceIfExists | kPosixSemantics;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(info->FileName, name.data(), bytes);
    const bool ok = SetFileInformationByHandle(h, kRenameInfoEx, info, static_cast<DWORD>(buf.size())) != 0;
    CloseHandle(h);
    return ok;
}

}  // namespace

bool AtomicReplace(const std::string& source, const std::string& target, int* err) {
    // One rename within the folder; write-through returns once it is on the disk.
    constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (MoveFileExW(Wide(source).c_str(), Wide(target).c_str(), kFlags)) return true;
    const DWORD why = GetLastError();
    if ((why != ERROR_ACCESS_DENIED && why != ERROR_SHARING_VIOLATION) || !FileExists(target)) {
        if (err) *err = win32::ErrnoFrom(why);
        return false;
    }
    // The target is open (a reader, a save's lock): a plain rename may not take
    // its name then, though the newer one can.
    if (RenameOverOpenFile(source, target)) return true;
    // Else the open file is moved aside first, which a rename may do, and
    // removed once the last handle on it closes. In between the target's name
    // is missing for a moment; the old file keeps a name of its own meanwhile,
    // one the sweeping of stale temporary files never takes.
    static std::atomic<unsigned> counter{0};
    const std::string aside = FolderOf(target) + "." + NameOf(target) + ".quillorix-replaced-" +
                              std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    if (!MoveFileExW(Wide(target).c_str(), Wide(aside).c_str(), MOVEFILE_WRITE_THROUGH)) {
        if (err) *err = LastErrno();
        return false;
    }
    if (!MoveFileExW(Wide(source).c_str(), Wide(target).c_str(), kFlags)) {
        if (err) *err = LastErrno();
        MoveFileExW(Wide(aside).c_str(), Wide(target).c_str(), MOVEFILE_WRITE_THROUGH);
        return false;
    }
    DeleteFileW(Wide(aside).c_str());
    return true;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(Wide(path).c_str()) != 0; }

std::string FolderOf(std::string_view path) {
    std::size_t p = path.size();
    while (p > 0 && !IsSeparator(path[p - 1])) --p;
    return std::string(path.substr(0, p));
}

std::string NameOf(std::string_view path) {
    std::size_t p = path.size();
    while (p > 0 && !IsSeparator(path[p - 1])) --p;
    return std::string(path.substr(p));
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::string pattern = folder;
    if (!pattern.empty() && !IsSeparator(pattern.back())) pattern.push_back('\\');
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(Wide(pattern + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = win32::Narrow(entry.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

std::string ExecutablePath() {
    std::wstring buf(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    return n > 0 && n < buf.size() ? win32::Narrow(std::wstring_view(buf.data(), n)) : std::string();
}

std::string UserName() {
    wchar_t buf[257];
    DWORD n = 257;
    if (GetUserNameW(buf, &n) && n > 1) return win32::Narrow(std::wstring_view(buf, n - 1));
    return "user";
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::size_t ReadBufferSize(std::size_t size) { return size; }

std::shared_ptr<char[]> NewReadBuffer(std::size_t size) { return std::shared_ptr<char[]>(new char[size]); }

// Advice the system here does without.
void AdviseLargePages(void*, std::size_t) {}
void PrefetchMapped(const void*, std::size_t) {}

}  // namespace qx::sys
