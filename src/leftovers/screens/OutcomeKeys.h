#pragma once
// Settings keys of the removal outcome screens.

#include <QString>

namespace zembra::screens {

// Completed removals, counted each time the outcome screen appears.
inline const QString kRemoveAppCount = QStringLiteral("remove_app_count");

} // namespace zembra::screens
