#pragma once
// The application enumerator: the installed applications of the granted Applications
// folder, and the record of a single application bundle. Made afresh for each use; the
// list screen calls installedApplications() on the GUI thread.

#include "catalogue/BundleFields.h"
#include "catalogue/ItemRecord.h"
#include "platform/SettingsStore.h"

#include <memory>
#include <vector>

namespace zembra {

using ApplicationList = std::vector<std::shared_ptr<ApplicationItem>>;

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

    // The record of one application bundle; reads no grant, setting or listing.
    std::shared_ptr<ApplicationItem> application(const fs::path &url) const;

    const std::optional<fs::path> &url_applications() const { return m_url_applications; }
    void setUrl_applications(std::optional<fs::path> url) { m_url_applications = std::move(url); }
    const ApplicationList &items() const { return m_items; }
    void setItems(ApplicationList items) { m_items = std::move(items); }

private:
    ApplicationList collect(const std::optional<fs::path> &folder, bool includeUtilities,
                            bool includeDefaultApps) const;

    platform::SettingsStore &m_settings;
    std::optional<fs::path> m_url_applications;
    ApplicationList m_items;
};

// The identifier rule: Apple's applications are left out, except iTunes and the
// developer tools; an application without an identifier passes.
bool passesIdentifierRule(const OptString &identifier);

} // namespace zembra
