#pragma once
// The plug-in and preference pane enumerator: the user's Library and, with the
// whole-disk grant, the system's. Made afresh for each use; the list screens call it on
// the GUI thread.

#include "catalogue/Application.h"
#include "catalogue/BundleFields.h"
#include "platform/SettingsStore.h"

#include <memory>
#include <vector>

namespace zembra {

using PluginList = std::vector<std::shared_ptr<BundleItem>>;

class Bundle : public BundleFields {
public:
    explicit Bundle(platform::SettingsStore &settings) : m_settings(settings) {}

    // The display name cut before its first "." (Media Player.plugin gives Media Player).
    QString setLabel(const fs::path &path) const override;

    // Address Book plug-ins of the home Library; Spotlight importers, Quick Look
    // generators and Internet plug-ins of the system Library when it is allowed.
    PluginList installedPlugins() const;
    // Preference panes of the home Library, then of the system Library when allowed.
    ApplicationList installedPrefPanes() const;

    // What the plug-in list accepts, in one of its folders or another; what the pane list does.
    static bool isPluginExtension(const QString &extension);
    static bool isPrefPaneExtension(const QString &extension);

    // The record of one plug-in bundle.
    std::shared_ptr<BundleItem> plugin(const fs::path &url) const;
    // The record of one preference pane: an application record with the pane's label.
    std::shared_ptr<ApplicationItem> prefPane(const fs::path &url) const;

private:
    platform::SettingsStore &m_settings;
};

} // namespace zembra
