#include "catalogue/screens/CatalogueScreens.h"

#include "catalogue/screens/ApplicationsViewController.h"
#include "catalogue/screens/InstalledappsViewController.h"
#include "shell/ScreenNames.h"
#include "shell/ScreenRegistry.h"

namespace zembra {

void registerCatalogueScreens(ScreenRegistry &registry, AppDelegate &delegate) {
    registry.add(screens::kApplications, [&delegate](QWidget *parent) {
        return new ApplicationsViewController(delegate, parent);
    });
    registry.add(screens::kInstalledapps,
                 [](QWidget *parent) { return new InstalledappsViewController(parent); });
}

} // namespace zembra
