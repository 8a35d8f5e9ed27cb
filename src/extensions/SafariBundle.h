#pragma once
// Safari's bundle, for its image resource "compass" (the extensions hub and the notice
// that Safari is running show it). Safari lives in /Applications on macOS; where that path
// does not exist (Linux, a demo tree) the Safari.app of the granted Applications folder
// stands in. Any thread.

#include "platform/SettingsStore.h"

#include <filesystem>
#include <optional>

namespace zembra {

inline constexpr const char *kSystemSafari = "/Applications/Safari.app";
inline constexpr const char *kCompassImage = "compass";

std::optional<std::filesystem::path>
safariBundle(platform::SettingsStore &settings,
             const std::filesystem::path &systemSafari = kSystemSafari);
// The file of Safari's "compass" image; nothing when the bundle or the resource is missing.
std::optional<std::filesystem::path>
safariCompassImage(platform::SettingsStore &settings,
                   const std::filesystem::path &systemSafari = kSystemSafari);

} // namespace zembra
