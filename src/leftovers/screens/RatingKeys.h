#pragma once
// The fixed words of the rating prompts: the settings key that silences them and the
// notification that closes the prompt popover.

#include <QString>

namespace zembra::screens {

// 1 once the user followed a prompt to the store; no prompt after that.
inline const QString kAppIsRate = QStringLiteral("app_is_rate");
// Posted by the prompt's buttons; the outcome screen closes its popover.
inline const QString kCloseRateApp = QStringLiteral("close_rate_app");

} // namespace zembra::screens
