#pragma once
// Keys of the catalogue settings in the standard settings store.

#include <QString>

namespace zembra::preferences {

inline const QString kIncludeDefaultApps = QStringLiteral("includeDefaultApps");
inline const QString kIncludeUtilities = QStringLiteral("includeUtilities");

} // namespace zembra::preferences
