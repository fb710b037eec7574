#include "messenger/Messenger.h"

#include "text/Cp932.h"

namespace qx {

namespace {
constexpr std::string_view kClass = "ipmsg_class";
constexpr std::string_view kClassPrefix = "ipmsg_class_";
constexpr std::string_view kCaption = "IPMsg";
}  // namespace

std::optional<std::string> SendMenuCaption(std::string_view windowClass) {
    if (windowClass == kClass) return std::string(kCaption);
    if (windowClass.size() > kClassPrefix.size() && windowClass.substr(0, kClassPrefix.size()) == kClassPrefix) {
        return std::string(kCaption) + std::string(windowClass.substr(kClassPrefix.size()));
    }
    return std::nullopt;
}

std::string WindowClassForCaption(std::string_view caption) {
    std::string name;
    if (const std::size_t p = Pos("(&", caption); p != 0) {
        name = std::string(caption.substr(0, p - 1));
    } else {
        name = ReplaceAll(caption, "&", "");
    }
    if (name == kCaption) return std::string(kClass);
    return std::string(kClassPrefix) + (name.size() > kCaption.size() ? name.substr(kCaption.size()) : std::string());
}

std::vector<std::string> SendMenuCaptions(const std::vector<std::string>& windowClasses) {
    std::vector<std::string> out;
    for (const auto& c : windowClasses) {
        if (auto caption = SendMenuCaption(c)) out.push_back(*caption);
    }
    return out;
}

SendReport SendToMessenger(MessengerBridge& bridge, const SendRequest& request) {
    SendReport report;
    MessengerBridge::Dialog dialog = 0;
    switch (bridge.OpenSendDialog(WindowClassForCaption(request.caption), dialog)) {
        case MessengerBridge::OpenResult::NoInstance:
            report.outcome = SendOutcome::OpenError;
            return report;
        case MessengerBridge::OpenResult::NoDialog:
            report.outcome = SendOutcome::NoDialog;
            return report;
        case MessengerBridge::OpenResult::Opened:
            break;
    }
    if (!request.hasSelection) {
        report.outcome = SendOutcome::DialogOpened;
        return report;
    }
    if (request.hasRecipient) report.recipientSelected = bridge.SelectRecipient(dialog, request.recipient);
    report.outcome = bridge.SetMessageText(dialog, request.text) ? SendOutcome::TextSet : SendOutcome::EditError;
    return report;
}

}  // namespace qx
