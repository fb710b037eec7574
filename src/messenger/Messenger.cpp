#include "messenger/Messenger.h"

#include "text/Cp932.h"

namespace qx {

namespace {
constexpr std::string_view kClass = "ipmsg_class";
constexpr std::string_view kCaption = "IPMsg";
}  // namespace

std::optional<std::string> SendMenuCaption(std::string_view windowClass) {
    if (windowClass == kClass) return std::string(kCaption);
    if (windowClass.size() > kClass.size() + 1 && windowClass.substr(0, kClass.size() + 1) == "ipmsg_class_") {
        return std::string(kCaption) + std::string(windowClass.substr(kClass.size() + 1));
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
    return "ipmsg_class_" + (name.size() > 5 ? name.substr(5) : std::string());
}

std::vector<std::string> SendMenuCaptions(const std::vector<std::string>& windowClasses) {
    std::vector<std::string> out;
    for (const auto& c : windowClasses) {
        if (auto caption = SendMenuCaption(c)) out.push_back(*caption);
    }
    return out;
}

}  // namespace qx
