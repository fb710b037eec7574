#include "platform/win32/Win32Util.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>

namespace qx::sys::win32 {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Narrow(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

int ErrnoFrom(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_PATHNAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_CURRENT_DIRECTORY:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_BUSY:
        case ERROR_USER_MAPPED_FILE:
            return EBUSY;
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_PARAMETER:
            return EINVAL;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        default:
            return EIO;
    }
}

int LastErrno() { return ErrnoFrom(GetLastError()); }

int DescriptorFor(HANDLE handle, int flags) {
    if (handle == INVALID_HANDLE_VALUE) return -1;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0) CloseHandle(handle);
    return fd;
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

HANDLE OpenShared(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
    return CreateFileW(Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, disposition, flags, nullptr);
}

FileId IdOf(HANDLE handle) {
    FileId id;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) return id;
    id.volume = info.dwVolumeSerialNumber;
    id.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.ok = true;
    return id;
}

namespace {
constexpr DWORD kFarLow = 0xFFFFFFF0u;
constexpr DWORD kFarHigh = 0x7FFFFFFFu;
}  // namespace

bool LockFarByte(HANDLE handle, bool wait) {
    OVERLAPPED at{};
    at.Offset = kFarLow;
    at.OffsetHigh = kFarHigh;
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    return LockFileEx(handle, flags, 0, 1, 0, &at) != 0;
}

void UnlockFarByte(HANDLE handle) {
    OVERLAPPED at{};
    at.Offset = kFarLow;
    at.OffsetHigh = kFarHigh;
    UnlockFileEx(handle, 0, 1, 0, &at);
}

}  // namespace qx::sys::win32
