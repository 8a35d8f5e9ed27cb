#pragma once
// Keys of the catalogue settings in the standard settings store, and the name of the
// shared suite (the application group the background watcher reads too).

#include <QString>

namespace zembra::preferences {

inline const QString kIncludeDefaultApps = QStringLiteral("includeDefaultApps");
inline const QString kIncludeUtilities = QStringLiteral("includeUtilities");
inline const QString kEnableSpider = QStringLiteral("EnableSpider");

// The shared suite (the application group of the application and the watcher).
inline const QString kSharedSuiteName =
    QStringLiteral("TEAMID0000.com.Torvan.Belquist.Uninstaller-zembra");
inline const QString kDisableNotification = QStringLiteral("DisableNotification");
inline const QString kDisabelRemoveNotification = QStringLiteral("DisabelRemoveNotification");

} // namespace zembra::preferences
