#include "grants/screens/GrantScreens.h"

#include "grants/screens/OptionalPurpose.h"
#include "grants/screens/SandboxViewController.h"
#include "shell/ScreenNames.h"
#include "shell/ScreenRegistry.h"

namespace zembra {

void registerGrantScreens(ScreenRegistry &registry, AppDelegate &delegate) {
    registry.add(screens::kSandbox, [&delegate](QWidget *parent) {
        return new SandboxViewController(delegate, parent);
    });
    registry.add(screens::kOptionalPreferences,
                 [&delegate](QWidget *parent) { return new OptionalPurpose(delegate, parent); });
}

} // namespace zembra
