#include "leftovers/screens/LeftoverScreens.h"

#include "leftovers/screens/CantRemoveViewController.h"
#include "leftovers/screens/LaunchedViewController.h"
#include "leftovers/screens/RateAppCount.h"
#include "leftovers/screens/RateAppViewController.h"
#include "leftovers/screens/RemainderViewController.h"
#include "leftovers/screens/RemoveViewController.h"
#include "leftovers/screens/RemovedApplicationsViewController.h"
#include "platform/SettingsStore.h"
#include "shell/AppDelegate.h"
#include "shell/ScreenNames.h"
#include "shell/ScreenRegistry.h"

namespace zembra {

void registerLeftoverScreens(ScreenRegistry &registry, AppDelegate &app,
                             leftovers::RemovalServices removal) {
    AppDelegate *a = &app;
    registry.add(screens::kRemainder, [a, removal](QWidget *parent) {
        return new RemainderViewController(*a, removal, parent);
    });
    registry.add(screens::kRemove,
                 [a](QWidget *parent) { return new RemoveViewController(*a, parent); });
    registry.add(screens::kLaunched,
                 [a](QWidget *parent) { return new LaunchedViewController(*a, parent); });
    registry.add(screens::kCantRemove,
                 [a](QWidget *parent) { return new CantRemoveViewController(*a, parent); });
    registry.add(screens::kRateApp,
                 [a](QWidget *parent) { return new RateAppViewController(*a, parent); });
    // The watcher keeps its snapshot in the settings folder of this run.
    registry.add(screens::kRemovedApplications, [a](QWidget *parent) {
        return new RemovedApplicationsViewController(*a, platform::SettingsStore::folder(), parent);
    });
    registry.add(screens::kRateAppCount,
                 [a](QWidget *parent) { return new RateAppCount(*a, parent); });
}

} // namespace zembra
