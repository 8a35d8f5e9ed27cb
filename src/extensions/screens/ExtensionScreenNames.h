#pragma once
// The identifiers of the extension screens' sheets and popovers (the storyboard "Main"),
// and the accessible names of their lists.

#include <QString>

namespace zembra::screens {

inline const QString kInstalledBundles = QStringLiteral("InstalledBundles");
inline const QString kInstalledPrefpanes = QStringLiteral("InstalledPrefpanes");
inline const QString kInstalledSafariExtensions = QStringLiteral("InstalledSafariExtensions");
inline const QString kMorePlugins = QStringLiteral("MorePlugins");
inline const QString kMorePrefpanes = QStringLiteral("MorePrefpanes");
inline const QString kBundleCantRemove = QStringLiteral("BundleCantRemove");
inline const QString kLaunchedSafariExtensions = QStringLiteral("LaunchedSafariExtensions");

// From this launch count on, the plug-in and pane lists hint at the whole-disk grant.
inline constexpr int kHintLaunchCount = 7;
// Safari runs when a process's bundle identifier contains this (case-sensitive).
inline const QString kSafariIdentifier = QStringLiteral("com.apple.Safari");

} // namespace zembra::screens
