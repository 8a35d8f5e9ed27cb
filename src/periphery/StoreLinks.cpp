#include "periphery/StoreLinks.h"

#include "platform/StoreScheme.h"
#include "platform/Workspace.h"

namespace zembra {

void openAppStorePage() {
    platform::Workspace::shared().openURL(platform::storeSchemeHandled() ? kAppStorePage
                                                                         : kProductWebPage);
}

} // namespace zembra
