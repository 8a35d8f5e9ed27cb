#include "extensions/Bundle.h"

#include "catalogue/SortByLabel.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace zembra {

namespace {

void collect(const std::optional<fs::path> &root, const char *folder,
             bool (*accept)(const QString &), std::vector<fs::path> &candidates) {
    if (!root)
        return;
    // A bundle is a folder: a file, FIFO or link that carries the extension is left out.
    for (const platform::DirEntry &e : platform::listDirectory(*root / "Library" / folder))
        if (e.type == platform::EntryType::Directory && accept(platform::pathExtension(e.path)))
            candidates.push_back(e.path);
}

bool isBundle(const QString &ext) {
    return ext == QLatin1String("bundle");
}
bool isImporter(const QString &ext) {
    return ext == QLatin1String("mdimporter");
}
bool isGenerator(const QString &ext) {
    return ext == QLatin1String("qlgenerator");
}
bool isInternetPlugin(const QString &ext) {
    return platform::localizedStandardContains(ext, QStringLiteral("plugin"));
}
bool isPrefPane(const QString &ext) {
    return ext == QLatin1String("prefPane");
}

template <typename List, typename Make>
List sortedRecords(const std::vector<fs::path> &candidates, Make make) {
    List result;
    for (const fs::path &c : candidates)
        result.push_back(make(c));
    sortByLabel(result);
    return result;
}

} // namespace

QString Bundle::setLabel(const fs::path &path) const {
    return fields::beforeFirstDot(platform::displayName(path));
}

bool Bundle::isPluginExtension(const QString &extension) {
    return isBundle(extension) || isImporter(extension) || isGenerator(extension) ||
           isInternetPlugin(extension);
}

bool Bundle::isPrefPaneExtension(const QString &extension) {
    return isPrefPane(extension);
}

std::shared_ptr<BundleItem> Bundle::plugin(const fs::path &url) const {
    return makeRecord<BundleItem>(url, platform::BundleInfo::read(url), false);
}

std::shared_ptr<ApplicationItem> Bundle::prefPane(const fs::path &url) const {
    return makeRecord<ApplicationItem>(url, platform::BundleInfo::read(url));
}

PluginList Bundle::installedPlugins() const {
    const grants::GrantStore::ListingRoots roots = grants::GrantStore(m_settings).listingRoots();
    std::vector<fs::path> candidates;
    collect(roots.home, "Address Book Plug-Ins", isBundle, candidates);
    collect(roots.system, "Spotlight", isImporter, candidates);
    collect(roots.system, "QuickLook", isGenerator, candidates);
    collect(roots.system, "Internet Plug-Ins", isInternetPlugin, candidates);
    return sortedRecords<PluginList>(candidates, [this](const fs::path &c) { return plugin(c); });
}

ApplicationList Bundle::installedPrefPanes() const {
    const grants::GrantStore::ListingRoots roots = grants::GrantStore(m_settings).listingRoots();
    std::vector<fs::path> candidates;
    collect(roots.home, "PreferencePanes", isPrefPane, candidates);
    collect(roots.system, "PreferencePanes", isPrefPane, candidates);
    return sortedRecords<ApplicationList>(candidates,
                                          [this](const fs::path &c) { return prefPane(c); });
}

} // namespace zembra
