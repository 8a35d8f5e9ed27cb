#pragma once
// Paths as the screens show them: escaped (platform::visiblyEscaped), and written from
// the granted folders as the file browser of a Mac writes them: "~/…" below the home
// folder, "/…" below the granted root of the disk. A tooltip shows the path in full.
// Pure functions once the style is made; safe on any thread.

#include <QString>

#include <filesystem>
#include <optional>

namespace zembra {

namespace platform {
class SettingsStore;
}

struct PathStyle {
    std::optional<std::filesystem::path> home;
    std::optional<std::filesystem::path> root;
};

// The granted home folder and disk root (resolving starts access on them, as every
// user of a grant does). GUI thread, as the settings store.
PathStyle pathStyle(platform::SettingsStore &settings);

// `path` escaped and, below the home folder or the granted root, written from there.
QString shownPath(const std::filesystem::path &path, const PathStyle &style);
// `path` escaped, in full.
QString fullPath(const std::filesystem::path &path);

} // namespace zembra
