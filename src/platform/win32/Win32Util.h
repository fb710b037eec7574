// What the Windows versions of the system services share: UTF-8 paths turned
// into the wide strings the system takes, system error codes turned into the
// errno values the rest of the program reports, and handles kept as C runtime
// descriptors so that the classes look the same on every system.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace qx::sys::win32 {

// UTF-8 to UTF-16 and back; bytes that are no UTF-8 become U+FFFD.
std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// The errno value closest to a system error code.
int ErrnoFrom(DWORD error);
// The same for GetLastError().
int LastErrno();

// A descriptor owning the handle (closed with _close), or -1 (the handle is then closed).
int DescriptorFor(HANDLE handle, int flags);
HANDLE HandleOf(int fd);

// Opens a path with every kind of sharing, so that other programs (and our
// own saves) can go on reading, appending, renaming and replacing it.
HANDLE OpenShared(const std::string& path, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL);

// Identity of an open file: volume and file index.
struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool ok = false;
};
FileId IdOf(HANDLE handle);

// Saves lock one byte far past any real end of file: a Windows lock keeps every
// other handle from reading the bytes it covers, and those must stay readable.
bool LockFarByte(HANDLE handle, bool wait);
void UnlockFarByte(HANDLE handle);

}  // namespace qx::sys::win32
