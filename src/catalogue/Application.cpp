#include "catalogue/Application.h"

#include "catalogue/SortByLabel.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/FileSystem.h"
#include "preferences/PreferenceKeys.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace zembra {

namespace {

// A bundle is a folder: a file, FIFO or link named "X.app" is not an application.
bool isApp(const platform::DirEntry &e) {
    return e.type == platform::EntryType::Directory && platform::nameExtension(e.name()) == "app";
}

// A candidate bundle, in list order; false stops the walk.
using Found = std::function<bool(const fs::path &)>;

// Calls `found` for the applications of `folder` and of its subfolders; an "app" entry is
// never looked into and nothing deeper is read. False once `found` stopped the walk.
bool collectFrom(const fs::path &folder, const Found &found) {
    for (const platform::DirEntry &f : platform::listDirectory(folder)) {
        if (isApp(f)) {
            if (!found(f.path))
                return false;
            continue;
        }
        for (const platform::DirEntry &g : platform::listDirectory(f.path))
            if (isApp(g) && !found(g.path))
                return false;
    }
    return true;
}

// Calls `found` for every candidate bundle of the list, in the list's folder order.
void visitCandidates(const ApplicationsQuery &query, const Found &found) {
    if (!query.folder)
        return;
    for (const platform::DirEntry &e : platform::listDirectory(*query.folder)) {
        bool more = true;
        if (isApp(e)) {
            more = found(e.path);
        } else if (e.name() == "Utilities") {
            if (!query.includeUtilities)
                continue;
            for (const platform::DirEntry &x : platform::listDirectory(e.path)) {
                more = isApp(x) ? found(x.path) : collectFrom(x.path, found);
                if (!more)
                    break;
            }
        } else {
            more = collectFrom(e.path, found);
        }
        if (!more)
            return;
    }
}

// The record maker of the application list, usable on any thread.
class ApplicationFields : public BundleFields {
public:
    QString setLabel(const fs::path &path) const override { return platform::displayName(path); }
};

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

ApplicationsQuery Application::installedApplicationsQuery() {
    m_url_applications = grants::GrantStore(m_settings).resolve(grants::kApplications).folder;
    return {m_url_applications, m_settings.integerForKey(preferences::kIncludeUtilities) == 1,
            m_settings.integerForKey(preferences::kIncludeDefaultApps) == 1};
}

ApplicationList Application::installedApplications() {
    m_items.clear();
    const ApplicationsQuery query = installedApplicationsQuery();
    readApplications(query, std::numeric_limits<size_t>::max(),
                     [this](ApplicationList batch) { m_items = std::move(batch); });
    sortByLabel(m_items);
    return m_items;
}

ApplicationList Application::everyInstalledApplication() const {
    ApplicationList result;
    readApplications(
        {grants::GrantStore(m_settings).resolve(grants::kApplications).folder, true, true},
        std::numeric_limits<size_t>::max(),
        [&result](ApplicationList batch) { result = std::move(batch); });
    sortByLabel(result);
    return result;
}

void Application::readApplications(const ApplicationsQuery &query, size_t batchSize,
                                   const std::function<void(ApplicationList)> &report,
                                   const std::function<bool()> &cancelled) {
    const ApplicationFields fields;
    batchSize = std::max<size_t>(batchSize, 1);
    ApplicationList batch;
    bool stopped = false;
    visitCandidates(query, [&](const fs::path &candidate) {
        if (cancelled && cancelled()) {
            stopped = true;
            return false;
        }
        const auto info = platform::BundleInfo::read(candidate);
        if (!query.includeDefaultApps &&
            !passesIdentifierRule(info ? info->identifier() : std::nullopt))
            return true;
        batch.push_back(fields.makeRecord<ApplicationItem>(candidate, info));
        if (batch.size() >= batchSize)
            report(std::exchange(batch, {}));
        return true;
    });
    if (!stopped && !batch.empty())
        report(std::move(batch));
}

} // namespace zembra
