#include "shell/screens/ShellScreens.h"

#include "shell/ScreenNames.h"
#include "shell/ScreenRegistry.h"
#include "shell/screens/HomeViewController.h"

namespace zembra {

void registerShellScreens(ScreenRegistry &registry, AppDelegate &) {
    registry.add(screens::kHome, [](QWidget *parent) { return new HomeViewController(parent); });
}

} // namespace zembra
