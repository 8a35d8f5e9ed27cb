#include "leftovers/LeftoverKeys.h"

namespace zembra::leftovers {

QString groupTitle(const QString &markerWord) {
    if (markerWord == kSupportfiles)
        return QStringLiteral("Support files");
    if (markerWord == kLauchAgents)
        return QStringLiteral("Lauch Agents");
    if (markerWord == kDesktop)
        return QStringLiteral("Desktop Alias");
    if (markerWord == kRelated)
        return QStringLiteral("Possibly related");
    return markerWord;
}

} // namespace zembra::leftovers
