#pragma once
// The watcher's running list of every application bundle of an Applications folder (the
// same bundles, records and order as Application::everyInstalledApplication), kept up
// to date by looking at listings and file stamps: on each refresh only the bundles that
// are new, or whose folder or Contents/Info.plist changed, are read again; the others
// keep their record. A bundle replaced at the same path by another one (a new folder, a
// new or rewritten Info.plist) is always read again, so its record never carries the
// identity of the application that was there before.
//
// Owned by one user (the watcher's main thread); not thread-safe.

#include "catalogue/Application.h"
#include "platform/BundleInfo.h"
#include "platform/FileStamp.h"
#include "platform/SettingsStore.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zembra {

class InstalledBundles {
public:
    using Reader =
        std::function<std::optional<platform::BundleInfo>(const std::filesystem::path &bundle)>;

    // Longer than the coarsest clock of a file system we may meet (FAT's two seconds).
    static constexpr std::chrono::seconds kUntrustedWindow{3};

    // `reader` reads a bundle's information (BundleInfo::read unless a caller counts or
    // checks the reads). With `rereadAll`, every refresh reads every bundle again (the
    // plain way, kept to compare against). A bundle whose folder or Info.plist changed
    // less than `untrustedWindow` before its stamp was taken is read again at the next
    // refresh too: a further change within the same clock tick would leave the stamp as
    // it was.
    explicit InstalledBundles(platform::SettingsStore &settings, Reader reader = {},
                              bool rereadAll = false,
                              std::chrono::nanoseconds untrustedWindow = kUntrustedWindow);

    // Lists `folder` again and brings the records up to date; no folder, no bundles.
    // True when the list differs from the one before (a bundle came, went or was read
    // again).
    bool refresh(const std::optional<std::filesystem::path> &folder);
    // Whether any refresh changed the list since the last call; clears it. For a user that
    // refreshes in more than one place and acts on changes in one of them.
    bool takeChange() { return std::exchange(m_untaken, false); }

    // Sorted by label, as everyInstalledApplication sorts them.
    const ApplicationList &applications() const { return m_applications; }
    // The subfolders the last refresh looked into for bundles (never a bundle), in listing
    // order: the folders to watch besides the Applications folder itself.
    const std::vector<std::filesystem::path> &folders() const { return m_folders; }
    // How many Info.plists the last refresh read.
    size_t readsInLastRefresh() const { return m_lastReads; }

private:
    struct Known {
        std::optional<platform::FileStamp> folder;
        std::optional<platform::FileStamp> info;
        bool lookAgain = false; // stamped too close to a change to be trusted next time
        std::shared_ptr<ApplicationItem> record;
    };

    platform::SettingsStore &m_settings;
    Reader m_reader;
    bool m_rereadAll;
    std::chrono::nanoseconds m_untrustedWindow;
    std::optional<std::filesystem::path> m_folder;
    // By the bundle path's bytes, in the order the last refresh listed them.
    std::vector<std::pair<std::string, Known>> m_known;
    ApplicationList m_applications;
    std::vector<std::filesystem::path> m_folders;
    size_t m_lastReads = 0;
    bool m_untaken = false;
};

// The bundles everyInstalledApplication lists below `folder`, in listing order: the
// folder's own, its subfolders' and theirs, and one level deeper in Utilities.
std::vector<std::filesystem::path> everyApplicationBundle(const std::filesystem::path &folder);

} // namespace zembra
