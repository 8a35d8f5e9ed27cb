#include "leftovers/LeftoverKeys.h"

namespace zembra::leftovers {

bool isMarkerWord(const QString &word)
{
    static const std::array<const QString *, 8> kMarkers = {&kExecutables, &kPreferences, &kSupportfiles,
                                                            &kLauchAgents, &kLogs,        &kPlugins,
                                                            &kDesktop,     &kOther};
    for (const QString *m : kMarkers)
        if (*m == word)
            return true;
    return false;
}

QString groupTitle(const QString &markerWord)
{
    if (markerWord == kSupportfiles)
        return QStringLiteral("Support files");
    if (markerWord == kLauchAgents)
        return QStringLiteral("Lauch Agents");
    if (markerWord == kDesktop)
        return QStringLiteral("Desktop Alias");
    return markerWord;
}

} // namespace zembra::leftovers
