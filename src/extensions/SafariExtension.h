#pragma once
// The Safari extension enumerator: one record per usable entry of Safari's extensions
// list. Made afresh for each use; the list screen calls it on the GUI thread.

#include "catalogue/ItemRecord.h"
#include "platform/SettingsStore.h"

#include <memory>
#include <vector>

namespace zembra {

using SafariList = std::vector<std::shared_ptr<SafariItem>>;

class SafariExtension {
public:
    explicit SafariExtension(platform::SettingsStore &settings) : m_settings(settings) {}

    // The archive name before its first "."; the identifier's last component; its
    // component at index 1 (the identifier itself without a ".").
    QString setLabel(const QString &archiveFileName) const;
    OptString setBundleName(const OptString &identifier) const;
    OptString setCompanyName(const OptString &identifier) const;

    // Sorted by label.
    SafariList installedSafariExtensions() const;
    // In the order of Safari's list.
    SafariList extensionsInListOrder() const;

private:
    platform::SettingsStore &m_settings;
};

} // namespace zembra
