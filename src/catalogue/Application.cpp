#include "catalogue/Application.h"

#include "catalogue/SortByLabel.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/FileSystem.h"
#include "preferences/PreferenceKeys.h"

namespace zembra {

namespace {

// A bundle is a folder: a file, FIFO or link named "X.app" is not an application.
bool isApp(const platform::DirEntry &e) {
    return e.type == platform::EntryType::Directory && platform::nameExtension(e.name()) == "app";
}

// Appends the applications of `folder` and of its subfolders; an "app" entry is never
// looked into and nothing deeper is read.
void collectFrom(const fs::path &folder, std::vector<fs::path> &candidates) {
    for (const platform::DirEntry &f : platform::listDirectory(folder)) {
        if (isApp(f)) {
            candidates.push_back(f.path);
            continue;
        }
        for (const platform::DirEntry &g : platform::listDirectory(f.path))
            if (isApp(g))
                candidates.push_back(g.path);
    }
}

} // namespace

bool passesIdentifierRule(const OptString &identifier) {
    if (!identifier)
        return true;
    if (identifier->contains(QLatin1String("com.apple.iTunes")))
        return true;
    if (!identifier->contains(QLatin1String("com.apple")))
        return true;
    return identifier->contains(QLatin1String("com.apple.dt"));
}

QString Application::setLabel(const fs::path &path) const {
    return platform::displayName(path);
}

std::shared_ptr<ApplicationItem> Application::application(const fs::path &url) const {
    return makeRecord<ApplicationItem>(url, platform::BundleInfo::read(url));
}

ApplicationList Application::installedApplications() {
    m_items.clear();
    m_url_applications = grants::GrantStore(m_settings).resolve(grants::kApplications).folder;
    m_items =
        collect(m_url_applications, m_settings.integerForKey(preferences::kIncludeUtilities) == 1,
                m_settings.integerForKey(preferences::kIncludeDefaultApps) == 1);
    return m_items;
}

ApplicationList Application::everyInstalledApplication() const {
    return collect(grants::GrantStore(m_settings).resolve(grants::kApplications).folder, true,
                   true);
}

ApplicationList Application::collect(const std::optional<fs::path> &folder, bool includeUtilities,
                                     bool includeDefaultApps) const {
    std::vector<fs::path> candidates;
    if (folder) {
        for (const platform::DirEntry &e : platform::listDirectory(*folder)) {
            if (isApp(e)) {
                candidates.push_back(e.path);
            } else if (e.name() == "Utilities") {
                if (!includeUtilities)
                    continue;
                for (const platform::DirEntry &x : platform::listDirectory(e.path)) {
                    if (isApp(x))
                        candidates.push_back(x.path);
                    else
                        collectFrom(x.path, candidates);
                }
            } else {
                collectFrom(e.path, candidates);
            }
        }
    }

    ApplicationList result;
    for (const fs::path &candidate : candidates) {
        const auto info = platform::BundleInfo::read(candidate);
        if (!includeDefaultApps && !passesIdentifierRule(info ? info->identifier() : std::nullopt))
            continue;
        result.push_back(makeRecord<ApplicationItem>(candidate, info));
    }
    sortByLabel(result);
    return result;
}

} // namespace zembra
