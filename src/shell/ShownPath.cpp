#include "shell/ShownPath.h"

#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/FileSystem.h"
#include "platform/VisibleText.h"

namespace zembra {

namespace fs = std::filesystem;

namespace {

// `path` below `folder`, written from `prefix`; nothing when it is not below it.
std::optional<QString> below(const fs::path &path, const std::optional<fs::path> &folder,
                             const char *prefix) {
    if (!folder || folder->empty() || *folder == folder->root_path() ||
        !platform::isWithin(path, *folder, true))
        return std::nullopt;
    const fs::path rest = path.lexically_relative(*folder);
    QString shown = QString::fromLatin1(prefix);
    if (!rest.empty() && rest != ".")
        shown += platform::visiblyEscaped(rest.native());
    else if (shown.size() > 1)
        shown.chop(1); // the folder itself: "~", "/"
    return shown;
}

} // namespace

PathStyle pathStyle(platform::SettingsStore &settings) {
    const grants::GrantStore::ListingRoots roots = grants::GrantStore(settings).listingRoots();
    PathStyle style;
    style.home = roots.home;
    style.root = roots.system;
    return style;
}

QString shownPath(const fs::path &path, const PathStyle &style) {
    if (auto home = below(path, style.home, "~/"))
        return *home;
    if (auto root = below(path, style.root, "/"))
        return *root;
    return fullPath(path);
}

QString fullPath(const fs::path &path) {
    return platform::visiblyEscaped(path.native());
}

} // namespace zembra
