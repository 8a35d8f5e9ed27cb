#pragma once
// The application enumerator: the installed applications of the granted Applications
// folder, and the record of a single application bundle. Made afresh for each use. The
// list screen fixes what to read on the GUI thread (installedApplicationsQuery) and reads
// the bundles on a worker (readApplications), which touches no settings.

#include "catalogue/BundleFields.h"
#include "catalogue/ItemRecord.h"
#include "platform/SettingsStore.h"

#include <functional>
#include <memory>
#include <vector>

namespace zembra {

using ApplicationList = std::vector<std::shared_ptr<ApplicationItem>>;

// What the applications list reads: the granted folder and the two settings that shape
// the list, taken as values so the reading needs neither the grants nor the store.
struct ApplicationsQuery {
    std::optional<fs::path> folder;
    bool includeUtilities = false;
    bool includeDefaultApps = false;
};

class Application : public BundleFields {
public:
    explicit Application(platform::SettingsStore &settings) : m_settings(settings) {}

    // The display name of the path, unchanged.
    QString setLabel(const fs::path &path) const override;

    // Every application bundle of the granted folder up to two levels down (three in
    // Utilities when "includeUtilities" is 1), Apple's own left out unless
    // "includeDefaultApps" is 1, sorted by label. Also kept in items().
    ApplicationList installedApplications();
    // Every application bundle of the granted folder, Apple's and the Utilities folder's
    // too, whatever the two settings say (they choose what the list offers, not what is
    // installed). Sorted by label; items() is left alone.
    ApplicationList everyInstalledApplication() const;

    // What installedApplications() reads, resolved now; also sets url_applications().
    ApplicationsQuery installedApplicationsQuery();
    // Reads the applications of `query` in folder order (not sorted), handing them to
    // `report` `batchSize` at a time as they are read; the last batch may be shorter and
    // an empty list reports nothing. Stops between bundles once `cancelled` says so.
    // A stable sort by label of everything reported is installedApplications(). Any
    // thread: it reads no grant, setting or member.
    static void readApplications(const ApplicationsQuery &query, size_t batchSize,
                                 const std::function<void(ApplicationList)> &report,
                                 const std::function<bool()> &cancelled = {});

    // The record of one application bundle; reads no grant, setting or listing.
    std::shared_ptr<ApplicationItem> application(const fs::path &url) const;

    const std::optional<fs::path> &url_applications() const { return m_url_applications; }
    void setUrl_applications(std::optional<fs::path> url) { m_url_applications = std::move(url); }
    const ApplicationList &items() const { return m_items; }
    void setItems(ApplicationList items) { m_items = std::move(items); }

private:
    platform::SettingsStore &m_settings;
    std::optional<fs::path> m_url_applications;
    ApplicationList m_items;
};

// The identifier rule: Apple's applications are left out, except iTunes and the
// developer tools; an application without an identifier passes.
bool passesIdentifierRule(const OptString &identifier);

} // namespace zembra
