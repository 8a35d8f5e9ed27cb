#include "platform/StoreScheme.h"

namespace zembra::platform {

// The Mac App Store has no client on Linux desktops; xdg-open would only fail later.
bool storeSchemeHandled() {
    return false;
}

} // namespace zembra::platform
