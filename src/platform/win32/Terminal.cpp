#include "platform/Terminal.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/win32/Win32Util.h"

#include <shellapi.h>

namespace qx::sys {

std::optional<std::string> ReadHiddenLine(const std::string& prompt) {
    HANDLE in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
    HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD oldMode = 0;
    if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE || !GetConsoleMode(in, &oldMode)) {
        if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
        if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
        return std::nullopt;
    }
    const std::wstring shown = win32::Wide(prompt);
    DWORD written = 0;
    WriteConsoleW(out, shown.data(), static_cast<DWORD>(shown.size()), &written, nullptr);
    SetConsoleMode(in, (oldMode | ENABLE_LINE_INPUT) & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    std::wstring line;
    bool gotNewline = false;
    wchar_t c;
    DWORD got = 0;
    while (ReadConsoleW(in, &c, 1, &got, nullptr) && got == 1) {
        if (c == L'\n') {
            gotNewline = true;
            break;
        }
        if (c != L'\r') line.push_back(c);
    }
    SetConsoleMode(in, oldMode);
    WriteConsoleW(out, L"\r\n", 2, &written, nullptr);
    CloseHandle(in);
    CloseHandle(out);
    if (!gotNewline && line.empty()) return std::nullopt;
    return win32::Narrow(line);
}

void UseBinaryOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace qx::sys

namespace qx::sys {

// The words as the system holds them, in UTF-16: argv has them in the ANSI code
// page, which cannot hold every name.
std::vector<std::string> CommandWords(int, char**) {
    int n = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &n);
    std::vector<std::string> out;
    for (int i = 1; words && i < n; ++i) out.push_back(win32::Narrow(words[i]));
    if (words) LocalFree(words);
    return out;
}

}  // namespace qx::sys
