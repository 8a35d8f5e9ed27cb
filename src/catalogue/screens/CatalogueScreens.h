#pragma once
// Registers the catalogue's screens ("Applications", "Installedapps").

namespace zembra {

class AppDelegate;
class ScreenRegistry;

void registerCatalogueScreens(ScreenRegistry &registry, AppDelegate &delegate);

} // namespace zembra
