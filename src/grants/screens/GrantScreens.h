#pragma once
// Registers the access screens ("Sandbox", "OptionalPreferences").

namespace zembra {

class AppDelegate;
class ScreenRegistry;

void registerGrantScreens(ScreenRegistry &registry, AppDelegate &delegate);

} // namespace zembra
