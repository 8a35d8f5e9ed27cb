#pragma once
// The fixed words of navigation: the notification names that request a screen (each the
// name of the `ViewController` operation that shows it), the identifiers of the screens,
// sheets and popovers (the storyboard "Main"), and the settings keys written on the way.

#include <QString>

namespace zembra::screens {

// Notification names.
inline const QString kHomeViewController = QStringLiteral("home_view_controller");
inline const QString kApplicationsViewController = QStringLiteral("applications_view_controller");
inline const QString kRemainderViewController = QStringLiteral("remainder_view_controller");
inline const QString kRemoveViewController = QStringLiteral("remove_view_controller");
inline const QString kExtensionsViewController = QStringLiteral("extensions_view_controller");
inline const QString kPluginsViewController = QStringLiteral("plugins_view_controller");
inline const QString kPrefpanesViewController = QStringLiteral("prefpanes_view_controller");
inline const QString kSafariExtensionsViewController =
    QStringLiteral("safari_extensions_view_controller");
inline const QString kRemovedApplicationsViewController =
    QStringLiteral("removed_applications_view_controller");

// Screen identifiers.
inline const QString kHome = QStringLiteral("Home");
inline const QString kApplications = QStringLiteral("Applications");
inline const QString kRemainder = QStringLiteral("Remainder");
inline const QString kRemove = QStringLiteral("Remove");
inline const QString kExtensions = QStringLiteral("Extensions");
inline const QString kPlugins = QStringLiteral("Plugins");
inline const QString kPrefPanes = QStringLiteral("PrefPanes");
inline const QString kSafariExtensions = QStringLiteral("SafariExtensions");
inline const QString kRemovedApplications = QStringLiteral("RemovedApplications");
// Sheets and popovers.
inline const QString kSandbox = QStringLiteral("Sandbox");
inline const QString kOptionalPreferences = QStringLiteral("OptionalPreferences");
inline const QString kInstalledapps = QStringLiteral("Installedapps");
inline const QString kLaunched = QStringLiteral("Launched");
inline const QString kCantRemove = QStringLiteral("CantRemove");
inline const QString kRateApp = QStringLiteral("RateApp");
inline const QString kRateAppCount = QStringLiteral("RateAppCount");

// Settings keys of the standard store.
inline const QString kSheet = QStringLiteral("sheet");
inline const QString kPresentAsSheet = QStringLiteral("PresentAsSheet");
inline const QString kAppLaunchCount = QStringLiteral("appLaunchCount");

} // namespace zembra::screens
