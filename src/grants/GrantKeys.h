#pragma once
// Keys of the folder grants in the standard settings store.

#include <QString>

namespace zembra::grants {

inline const QString kApplications = QStringLiteral("Applications");
inline const QString kHome = QStringLiteral("home");
inline const QString kMacOS = QStringLiteral("macOS");
inline const QString kAllowAny = QStringLiteral("AllowAny");

} // namespace zembra::grants
