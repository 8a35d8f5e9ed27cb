#include "leftovers/NameKeys.h"

#include "leftovers/LeftoverKeys.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace zembra::leftovers {

QString companyCapitalized(const QString &companyName) {
    QString s = companyName.toLower();
    if (!s.isEmpty())
        s[0] = s[0].toTitleCase();
    return s;
}

QString shortLabel(const QString &label) {
    QString out;
    for (QChar c : label)
        if (c.unicode() >= 0x41 && c.unicode() <= 0x7A)
            out.append(c);
    return out.size() < 2 ? kSmallLabel : out;
}

bool isWeakKey(const QString &key) {
    const QString trimmed = key.trimmed();
    if (trimmed.size() < 3)
        return true;
    const bool letter = std::any_of(trimmed.begin(), trimmed.end(), [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    });
    if (!letter)
        return true;
    static constexpr std::array<std::string_view, 30> kGenericWords = {
        "com",    "org",     "net",      "io",      "co",        "app",    "apps",     "mac",
        "macos",  "osx",     "ios",      "desktop", "client",    "helper", "launcher", "agent",
        "daemon", "service", "services", "plugin",  "extension", "the",    "inc",      "ltd",
        "update", "updater", "pro",      "lite",    "free",      "beta"};
    const std::string folded = platform::foldForMatch(trimmed);
    return std::find(kGenericWords.begin(), kGenericWords.end(), folded) != kGenericWords.end();
}

size_t teamIdPrefixLength(std::string_view name) {
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos || dot < 6 || dot > 10 || dot + 1 >= name.size())
        return 0;
    bool digit = false;
    for (size_t i = 0; i < dot; ++i) {
        const char c = name[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c < 'A' || c > 'Z')
            return 0;
    }
    return dot == 10 || digit ? dot : 0;
}

} // namespace zembra::leftovers
