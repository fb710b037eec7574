// Where there is no Windows desktop there are no messenger windows to reach.
#include "messenger/Messenger.h"

namespace qx {

std::unique_ptr<MessengerBridge> SystemMessengerBridge() {
    return std::make_unique<NullMessengerBridge>();
}

}  // namespace qx
