#include "extensions/SafariBundle.h"

#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/BundleInfo.h"
#include "platform/FileSystem.h"

namespace zembra {

std::optional<std::filesystem::path> safariBundle(platform::SettingsStore &settings,
                                                  const std::filesystem::path &systemSafari) {
    if (platform::itemExists(systemSafari))
        return systemSafari;
    const auto applications = grants::GrantStore(settings).resolve(grants::kApplications).folder;
    if (!applications)
        return std::nullopt;
    const auto granted = *applications / "Safari.app";
    return platform::itemExists(granted) ? std::optional(granted) : std::nullopt;
}

std::optional<std::filesystem::path> safariCompassImage(platform::SettingsStore &settings,
                                                        const std::filesystem::path &systemSafari) {
    const auto bundle = safariBundle(settings, systemSafari);
    if (!bundle)
        return std::nullopt;
    const auto info = platform::BundleInfo::read(*bundle);
    return info ? info->imageResource(QString::fromLatin1(kCompassImage)) : std::nullopt;
}

} // namespace zembra
