// Windows of other programs reached through the Windows window system, and the
// items of a list view that lives in another process, read and written through
// memory placed there.
#include "platform/Win32Windows.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstring>

namespace qx::sys {

namespace {

// A program that does not answer within this time counts as not there: the
// caller must not freeze with it.
constexpr UINT kAnswerTimeoutMs = 3000;
constexpr int kItemTextBytes = 256;

std::string ClassOf(HWND hwnd) {
    char name[256] = {};
    const int n = GetClassNameA(hwnd, name, 256);  // at most 255 characters and the terminator
    return n > 0 ? std::string(name, static_cast<std::size_t>(n)) : std::string();
}

// SendMessage that gives up on a hung receiver; false when it did not answer.
bool Ask(HWND hwnd, UINT message, WPARAM w, LPARAM l, LRESULT* result = nullptr) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(hwnd, message, w, l, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) == 0)
        return false;
    if (result != nullptr) *result = static_cast<LRESULT>(answer);
    return true;
}

// A list-view item record as a 32-bit process lays it out (40 bytes).
struct ListItem32 {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    std::uint32_t pszText;
    int cchTextMax;
    int iImage;
    std::uint32_t lParam;
    int iIndent;
};
static_assert(sizeof(ListItem32) == 40);

// An item record plus a text buffer, placed in the process that owns a window
// for the length of one call.
class RemoteItem {
public:
    explicit RemoteItem(HWND owner) {
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                   PROCESS_QUERY_LIMITED_INFORMATION,
                               FALSE, pid);
        if (process_ == nullptr) return;
        BOOL wow = FALSE;
        narrow_ = sizeof(void*) == 4 || (IsWow64Process(process_, &wow) && wow);
        memory_ = static_cast<char*>(
            VirtualAllocEx(process_, nullptr, RecordSize() + kItemTextBytes, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteItem() {
        if (memory_ != nullptr) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        if (process_ != nullptr) CloseHandle(process_);
    }
    RemoteItem(const RemoteItem&) = delete;
    RemoteItem& operator=(const RemoteItem&) = delete;

    bool ok() const { return memory_ != nullptr; }
    LPARAM Address() const { return reinterpret_cast<LPARAM>(memory_); }

    // Writes the record: the fields used here, the text pointing at the buffer.
    bool Put(UINT mask, int item, UINT state, UINT stateMask) {
        char* text = memory_ + RecordSize();
        if (narrow_) {
            ListItem32 r = Record<ListItem32>(mask, item, state, stateMask);
            r.pszText = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(text));
            return Write(&r, sizeof r);
        }
        LVITEMA r = Record<LVITEMA>(mask, item, state, stateMask);
        r.pszText = text;
        return Write(&r, sizeof r);
    }
    std::string Text() const {
        char text[kItemTextBytes + 1] = {};
        SIZE_T got = 0;
        if (!ReadProcessMemory(process_, memory_ + RecordSize(), text, kItemTextBytes, &got)) return std::string();
        return std::string(text, strnlen(text, kItemTextBytes));
    }

private:
    template <typename R>
    static R Record(UINT mask, int item, UINT state, UINT stateMask) {
        R r{};
        r.mask = mask;
        r.iItem = item;
        r.state = state;
        r.stateMask = stateMask;
        r.cchTextMax = kItemTextBytes;
        return r;
    }
    std::size_t RecordSize() const { return narrow_ ? sizeof(ListItem32) : sizeof(LVITEMA); }
    bool Write(const void* record, std::size_t size) {
        char zero[kItemTextBytes] = {};
        SIZE_T done = 0;
        return WriteProcessMemory(process_, memory_, record, size, &done) && done == size &&
               WriteProcessMemory(process_, memory_ + RecordSize(), zero, sizeof zero, &done);
    }

    HANDLE process_ = nullptr;
    char* memory_ = nullptr;
    bool narrow_ = false;
};

std::string ItemText(HWND list, int index) {
    RemoteItem item(list);
    if (!item.ok() || !item.Put(LVIF_TEXT, index, 0, 0)) return std::string();
    if (!Ask(list, LVM_GETITEMA, 0, item.Address())) return std::string();
    return item.Text();
}

void SelectItem(HWND list, int index) {
    {
        RemoteItem item(list);
        if (!item.ok() || !item.Put(LVIF_STATE, index, LVIS_SELECTED, LVIS_SELECTED)) return;
        Ask(list, LVM_SETITEMA, 0, item.Address());
    }
    Ask(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

BOOL CALLBACK AddClass(HWND hwnd, LPARAM into) {
    reinterpret_cast<std::vector<std::string>*>(into)->push_back(ClassOf(hwnd));
    return TRUE;  // to the last window
}

struct ChildSearch {
    const std::string& windowClass;
    HWND found = nullptr;
};

BOOL CALLBACK FindChildOfClass(HWND hwnd, LPARAM search) {
    auto* s = reinterpret_cast<ChildSearch*>(search);
    if (ClassOf(hwnd) != s->windowClass) return TRUE;
    s->found = hwnd;
    return FALSE;
}

HWND Handle(WindowHandle w) { return static_cast<HWND>(w); }

}  // namespace

std::vector<std::string> TopLevelWindowClasses() {
    std::vector<std::string> classes;
    EnumWindows(AddClass, reinterpret_cast<LPARAM>(&classes));
    return classes;
}

WindowHandle FindTopLevelWindow(const char* windowClass, const char* title) {
    return FindWindowA(windowClass, title);
}

std::string WindowClassOf(WindowHandle window) { return ClassOf(Handle(window)); }

WindowHandle FirstChildWindow(WindowHandle window) { return GetWindow(Handle(window), GW_CHILD); }

WindowHandle FindChildWindow(WindowHandle parent, const std::string& windowClass) {
    ChildSearch search{windowClass};
    EnumChildWindows(Handle(parent), FindChildOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void BringToTop(WindowHandle window) {
    SetWindowPos(Handle(window), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool SendUserMessage(WindowHandle window, unsigned offset) { return Ask(Handle(window), WM_USER + offset, 0, 0); }

bool SetEditText(WindowHandle edit, const std::string& text) {
    const bool set = Ask(Handle(edit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    // Past the last character whatever the field counts in: the caret goes to the end.
    const auto end = static_cast<WPARAM>(text.size());
    const bool caret = Ask(Handle(edit), EM_SETSEL, end, static_cast<LPARAM>(end));
    return set && caret;
}

int ListViewItemCount(WindowHandle list) {
    LRESULT count = 0;
    if (!Ask(Handle(list), LVM_GETITEMCOUNT, 0, 0, &count)) return -1;
    return static_cast<int>(count);
}

std::string ListViewItemText(WindowHandle list, int index) { return ItemText(Handle(list), index); }

void SelectListViewItem(WindowHandle list, int index) { SelectItem(Handle(list), index); }

}  // namespace qx::sys
