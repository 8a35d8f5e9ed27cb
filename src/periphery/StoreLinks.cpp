#include "periphery/StoreLinks.h"

#include "platform/StoreScheme.h"
#include "platform/Workspace.h"

namespace zembra {

void openAppStorePage() {
    platform::Workspace::shared().openURL(platform::storeSchemeHandled() ? kAppStorePage
                                                                         : kProductWebPage);
}

void openPelloriaStorePage() {
    platform::Workspace::shared().openURL(platform::storeSchemeHandled() ? kPelloriaStorePage
                                                                         : kPelloriaWebPage);
}

void openProductWebPage() {
    platform::Workspace::shared().openURL(kProductWebPage);
}

} // namespace zembra
