#include "extensions/Bundle.h"

#include "catalogue/SortByLabel.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace zembra {

namespace {

struct Roots {
    std::optional<fs::path> home;
    std::optional<fs::path> system; // set only when the system folders are allowed
};

Roots resolveRoots(platform::SettingsStore &settings)
{
    grants::GrantStore store(settings);
    Roots roots;
    roots.home = store.resolve(grants::kHome).folder;
    const grants::Resolution macOS = store.resolve(grants::kMacOS);
    if (macOS.folder && store.systemFoldersAllowed(macOS))
        roots.system = macOS.folder;
    return roots;
}

void collect(const std::optional<fs::path> &root, const char *folder, bool (*accept)(const QString &),
             std::vector<fs::path> &candidates)
{
    if (!root)
        return;
    for (const platform::DirEntry &e : platform::listDirectory(*root / "Library" / folder))
        if (accept(platform::pathExtension(e.path)))
            candidates.push_back(e.path);
}

bool isBundle(const QString &ext) { return ext == QLatin1String("bundle"); }
bool isImporter(const QString &ext) { return ext == QLatin1String("mdimporter"); }
bool isGenerator(const QString &ext) { return ext == QLatin1String("qlgenerator"); }
bool isInternetPlugin(const QString &ext) { return platform::localizedStandardContains(ext, QStringLiteral("plugin")); }
bool isPrefPane(const QString &ext) { return ext == QLatin1String("prefPane"); }

} // namespace

QString Bundle::setLabel(const fs::path &path) const { return fields::beforeFirstDot(platform::displayName(path)); }

std::shared_ptr<BundleItem> Bundle::plugin(const fs::path &url) const
{
    auto item = std::make_shared<BundleItem>();
    fill(*item, url, platform::BundleInfo::read(url), false);
    return item;
}

std::shared_ptr<ApplicationItem> Bundle::prefPane(const fs::path &url) const
{
    auto item = std::make_shared<ApplicationItem>();
    fill(*item, url, platform::BundleInfo::read(url));
    return item;
}

PluginList Bundle::installedPlugins() const
{
    const Roots roots = resolveRoots(m_settings);
    std::vector<fs::path> candidates;
    collect(roots.home, "Address Book Plug-Ins", isBundle, candidates);
    collect(roots.system, "Spotlight", isImporter, candidates);
    collect(roots.system, "QuickLook", isGenerator, candidates);
    collect(roots.system, "Internet Plug-Ins", isInternetPlugin, candidates);
    PluginList result;
    for (const fs::path &c : candidates)
        result.push_back(plugin(c));
    sortByLabel(result);
    return result;
}

ApplicationList Bundle::installedPrefPanes() const
{
    const Roots roots = resolveRoots(m_settings);
    std::vector<fs::path> candidates;
    collect(roots.home, "PreferencePanes", isPrefPane, candidates);
    collect(roots.system, "PreferencePanes", isPrefPane, candidates);
    ApplicationList result;
    for (const fs::path &c : candidates)
        result.push_back(prefPane(c));
    sortByLabel(result);
    return result;
}

} // namespace zembra
