// A stand-in for IP Messenger in the bridge tests: a main window of the
// messenger's class that opens, on message 1145, a dialog "Send Message" whose
// first child is the message field and which holds a list view of user names.
// When it is closed it writes to its report file what the field holds, where
// its caret is and which names are selected.
//
//   standin-ipmsg --report FILE [--suffix S] [--names a,b,c] [--first-child CLASS]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr UINT kOpenSendDialog = WM_USER + 121;
constexpr UINT_PTR kGiveUpTimer = 1;
constexpr int kListId = 100;

struct Options {
    std::string report;
    std::string windowClass = "ipmsg_class";
    std::vector<std::string> names;
    std::string firstChild = "Edit";
};

Options g_options;
HWND g_dialog = nullptr;
HWND g_field = nullptr;
HWND g_list = nullptr;

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = list.find(',', start);
        const std::size_t end = comma == std::string::npos ? list.size() : comma;
        if (end > start) out.push_back(list.substr(start, end - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--report") o.report = value;
        else if (key == "--suffix") o.windowClass = "ipmsg_class_" + value;
        else if (key == "--names") o.names = Split(value);
        else if (key == "--first-child") o.firstChild = value;
    }
    return o;
}

// CR, LF and the backslash written as escapes, so the report keeps one line per fact.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

void WriteReport() {
    FILE* f = std::fopen(g_options.report.c_str(), "wb");
    if (f == nullptr) return;
    if (g_dialog == nullptr) {
        std::fputs("dialog=none\n", f);
        std::fclose(f);
        return;
    }
    char buffer[4096] = {};
    GetWindowTextA(g_field, buffer, sizeof buffer);
    DWORD start = 0, end = 0;
    SendMessageA(g_field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    std::string selected;
    const int count = static_cast<int>(SendMessageA(g_list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if ((SendMessageA(g_list, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED) == 0) continue;
        if (!selected.empty()) selected += ',';
        selected += g_options.names[static_cast<std::size_t>(i)];
    }
    std::fprintf(f, "dialog=open\nfield=%s\ncaret=%lu,%lu\nselected=%s\n", Escaped(buffer).c_str(),
                 static_cast<unsigned long>(start), static_cast<unsigned long>(end), selected.c_str());
    std::fclose(f);
}

void FillDialog(HWND dialog) {
    const HINSTANCE self = GetModuleHandleA(nullptr);
    g_field = CreateWindowExA(0, g_options.firstChild.c_str(), "",
                              WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, 8, 8, 300, 80,
                              dialog, nullptr, self, nullptr);
    g_list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, 8, 96, 300, 120,
                             dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), self, nullptr);
    // The message field is the dialog's first child, whatever order the system keeps.
    SetWindowPos(g_field, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 200;
    column.pszText = const_cast<char*>("User");
    SendMessageA(g_list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    for (std::size_t i = 0; i < g_options.names.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(g_options.names[i].c_str());
        SendMessageA(g_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        FillDialog(dialog);
        return FALSE;
    }
    return FALSE;
}

void OpenSendDialog(HWND owner) {
    if (g_dialog != nullptr) return;
    // An empty dialog template; the controls are made in FillDialog.
    struct alignas(4) {
        DLGTEMPLATE head;
        WORD menu, windowClass;
        wchar_t title[13];
    } form{};
    form.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    form.head.cx = 220;
    form.head.cy = 160;
    const wchar_t title[] = L"Send Message";
    for (int i = 0; i < 13; ++i) form.title[i] = title[i];
    g_dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &form.head, owner, DialogProc, 0);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case kOpenSendDialog:
            OpenSendDialog(hwnd);
            return 0;
        case WM_TIMER:
        case WM_CLOSE:
            WriteReport();
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, message, w, l);
    }
}

}  // namespace

int main(int argc, char** argv) {
    g_options = Parse(argc, argv);
    if (g_options.report.empty()) {
        std::fputs("usage: standin-ipmsg --report FILE [--suffix S] [--names a,b] [--first-child CLASS]\n", stderr);
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const HINSTANCE self = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = self;
    wc.lpszClassName = g_options.windowClass.c_str();
    if (RegisterClassA(&wc) == 0) return 1;
    HWND main = CreateWindowExA(0, wc.lpszClassName, "IP Messenger stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, self, nullptr);
    if (main == nullptr) return 1;
    SetTimer(main, kGiveUpTimer, 60000, nullptr);  // a test that never closes it
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (g_dialog != nullptr && IsDialogMessageA(g_dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
