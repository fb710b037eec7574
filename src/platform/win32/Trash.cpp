// The recycle bin on Windows takes files away, it does not copy them: a copy is
// made in a folder of its own under the temporary folder and that copy is
// recycled, so the original stays where it is.
#include <atomic>
#include <string>

#include "platform/FileSystem.h"
#include "platform/win32/Win32Util.h"

#include <shellapi.h>

namespace qx::sys {

bool CopyToTrash(const std::string& path, std::string* reason) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) {
        if (reason) *reason = "cannot find the temporary folder";
        return false;
    }
    static std::atomic<unsigned> counter{0};
    const std::wstring folder = std::wstring(temp, n) + L"quillorix-trash-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
        if (reason) *reason = "cannot create " + win32::Narrow(folder) + ": " + ErrorText(win32::LastErrno());
        return false;
    }
    const std::wstring copy = folder + L"\\" + win32::Wide(NameOf(path));
    bool ok = CopyFileW(win32::Wide(path).c_str(), copy.c_str(), TRUE) != 0;
    if (!ok) {
        if (reason) *reason = "cannot copy " + path + " to the recycle bin: " + ErrorText(win32::LastErrno());
    } else {
        // The list of names ends with two zero characters.
        std::wstring from = copy + L'\0';
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
        ok = SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
        if (!ok && reason) *reason = "cannot move the copy of " + path + " to the recycle bin";
        DeleteFileW(copy.c_str());
    }
    RemoveDirectoryW(folder.c_str());
    return ok;
}

}  // namespace qx::sys
