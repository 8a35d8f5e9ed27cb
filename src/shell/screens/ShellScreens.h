#pragma once
// Registers the shell's own screens ("Home") in the registry the main window uses.

namespace zembra {

class AppDelegate;
class ScreenRegistry;

void registerShellScreens(ScreenRegistry &registry, AppDelegate &delegate);

} // namespace zembra
