// The messenger's windows: its main window by class, its send dialog by class
// and title, the dialog's first child as the message field, and its recipient
// list.
#include <chrono>
#include <thread>

#include "messenger/Messenger.h"
#include "platform/Win32Windows.h"

namespace qx {

namespace {

constexpr unsigned kOpenSendDialog = 121;  // WM_USER + 121, 1145
constexpr int kDialogWaitMs = 100;

class Win32MessengerBridge : public MessengerBridge {
public:
    std::vector<std::string> TopLevelWindowClasses() override { return sys::TopLevelWindowClasses(); }

    OpenResult OpenSendDialog(const std::string& windowClass, Dialog& dialog) override {
        sys::WindowHandle main = sys::FindTopLevelWindow(windowClass.c_str(), nullptr);
        if (main == nullptr) return OpenResult::NoInstance;
        sys::SendUserMessage(main, kOpenSendDialog);
        std::this_thread::sleep_for(std::chrono::milliseconds(kDialogWaitMs));
        sys::WindowHandle found = sys::FindTopLevelWindow("#32770", "Send Message");
        if (found == nullptr) return OpenResult::NoDialog;
        sys::BringToTop(found);
        dialog = reinterpret_cast<Dialog>(found);
        return OpenResult::Opened;
    }

    bool SelectRecipient(Dialog dialog, const std::string& name) override {
        sys::WindowHandle list = sys::FindChildWindow(reinterpret_cast<sys::WindowHandle>(dialog), "SysListView32");
        if (list == nullptr) return false;
        const int count = sys::ListViewItemCount(list);
        for (int i = 0; i < count; ++i) {
            if (sys::ListViewItemText(list, i) != name) continue;
            sys::SelectListViewItem(list, i);
            return true;
        }
        return false;
    }

    bool SetMessageText(Dialog dialog, const std::string& text) override {
        sys::WindowHandle edit = sys::FirstChildWindow(reinterpret_cast<sys::WindowHandle>(dialog));
        if (edit == nullptr || sys::WindowClassOf(edit) != "Edit") return false;
        sys::SetEditText(edit, text);
        return true;
    }
};

}  // namespace

std::unique_ptr<MessengerBridge> SystemMessengerBridge() {
    return std::make_unique<Win32MessengerBridge>();
}

}  // namespace qx
