// Running IP Messenger instances: how their window classes name the send-menu
// entries, the bridge that reaches their windows, and the steps of handing a
// quoted reply to one of them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// "ipmsg_class" gives "IPMsg"; "ipmsg_class_" + suffix gives "IPMsg" + suffix;
// any other class gives no entry.
std::optional<std::string> SendMenuCaption(std::string_view windowClass);

// The window class back from a menu caption, after removing the accelerator the
// menu system may have added: text before "(&" when there is one, otherwise every
// "&" removed.
std::string WindowClassForCaption(std::string_view caption);

// Captions for a list of top-level window classes, in enumeration order.
std::vector<std::string> SendMenuCaptions(const std::vector<std::string>& windowClasses);

// What the program needs of the messenger's windows. Texts are cp932. A dialog
// handle is only good during the command that opened it.
class MessengerBridge {
public:
    using Dialog = std::uintptr_t;
    enum class OpenResult { Opened, NoInstance, NoDialog };

    virtual ~MessengerBridge() = default;
    // Classes of all top-level windows, in enumeration order.
    virtual std::vector<std::string> TopLevelWindowClasses() = 0;
    // Finds the main window of this class, asks it for its send dialog, gives the
    // dialog time to appear and brings it to the front.
    virtual OpenResult OpenSendDialog(const std::string& windowClass, Dialog& dialog) = 0;
    // Selects the first item of the dialog's recipient list whose text is `name`;
    // false when there is no list or no such item.
    virtual bool SelectRecipient(Dialog dialog, const std::string& name) = 0;
    // Puts `text` into the dialog's first child, which must be an edit control,
    // with the caret after its last character; false when it is not one.
    virtual bool SetMessageText(Dialog dialog, const std::string& text) = 0;
};

// The bridge where no messenger windows can be reached: no instances.
class NullMessengerBridge : public MessengerBridge {
public:
    std::vector<std::string> TopLevelWindowClasses() override { return {}; }
    OpenResult OpenSendDialog(const std::string&, Dialog&) override { return OpenResult::NoInstance; }
    bool SelectRecipient(Dialog, const std::string&) override { return false; }
    bool SetMessageText(Dialog, const std::string&) override { return false; }
};

// The bridge of this platform: the window system's on Windows, none elsewhere.
std::unique_ptr<MessengerBridge> SystemMessengerBridge();

// What to hand to the chosen instance.
struct SendRequest {
    std::string caption;          // the clicked menu entry's caption
    bool hasSelection = false;    // the view had selected text
    std::string text;             // that text, already quoted
    bool hasRecipient = false;    // the list had a selected row
    std::string recipient;        // the user names of its first selected row
};

enum class SendOutcome {
    OpenError,     // no such instance: rebuild the menus and say so
    NoDialog,      // the dialog did not appear: nothing more
    DialogOpened,  // nothing was selected in the view: the dialog stays untouched
    TextSet,       // the text is in the dialog (the recipient selected when found)
    EditError,     // the dialog's first child is not an edit control: say so
};

struct SendReport {
    SendOutcome outcome = SendOutcome::NoDialog;
    bool recipientSelected = false;
};

// Opens the instance's send dialog and fills it in, step by step.
SendReport SendToMessenger(MessengerBridge& bridge, const SendRequest& request);

// The fixed texts of the two messenger errors.
inline constexpr std::string_view kMessengerOpenError = "IP Messenger Open Error.";
inline constexpr std::string_view kMessengerEditError = "Edit Error";

}  // namespace qx
