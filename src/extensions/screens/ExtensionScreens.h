#pragma once
// Registers the extension screens, sheets and popovers in the screen registry (the
// storyboard "Main"): the hub, the three lists, the information popovers, the empty-list
// sheets, "BundleCantRemove" and "LaunchedSafariExtensions".

namespace zembra {

class AppDelegate;
class ScreenRegistry;

void registerExtensionScreens(ScreenRegistry &registry, AppDelegate &delegate);

} // namespace zembra
