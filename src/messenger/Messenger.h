// Running IP Messenger instances: how their window classes name the send-menu
// entries, and the bridge that reaches them (none on this platform yet).
#pragma once

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

// What the program needs of the messenger's windows.
class MessengerBridge {
public:
    virtual ~MessengerBridge() = default;
    // Classes of all top-level windows, in enumeration order.
    virtual std::vector<std::string> TopLevelWindowClasses() = 0;
    enum class SendResult { Done, NoInstance, NoDialog, EditError };
    // Opens the send dialog of the instance with this window class, selects the
    // recipient when given, and puts text into it.
    virtual SendResult OpenSendDialog(const std::string& windowClass, const std::string& recipient,
                                      const std::string& text) = 0;
};

// The bridge where no messenger windows can be reached: no instances.
class NullMessengerBridge : public MessengerBridge {
public:
    std::vector<std::string> TopLevelWindowClasses() override { return {}; }
    SendResult OpenSendDialog(const std::string&, const std::string&, const std::string&) override {
        return SendResult::NoInstance;
    }
};

}  // namespace qx
