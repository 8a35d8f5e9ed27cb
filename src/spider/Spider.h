#pragma once
// The background watcher: watches the granted Applications folder (and the subfolders
// the application list reads), the Trash and the settings folder. When an application
// leaves the Applications folder, or arrives in the Trash, without having gone through
// Uninstaller zembra, it remembers the application as gone and shows a notice naming it
// and what its leftovers weigh, with an action that opens their review.
//
// Removed means gone from the disk: every bundle of the Applications folder and its
// subfolders is watched, whatever the application list's settings leave out. Removals
// seen close together are told in one notice, whose action opens the list of removed
// applications. Only what the review would start ticked is counted.
//
// Event-driven: file-system notifications start a short settle timer and one scan; idle,
// it does nothing. A scan reads only the bundles that are new or changed since the last
// one (InstalledBundles), so its cost follows what changed, not how much is installed.
// Owned by main(); main thread only.

#include "catalogue/ApplicationSnapshot.h"
#include "catalogue/InstalledBundles.h"
#include "platform/DesktopNotifier.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace zembra::spider {

class Spider : public QObject {
    Q_OBJECT
public:
    // `settings` is the standard store (with this run's grants), `suite` the shared suite
    // with the two notification switches; `guiArguments` are handed to the application
    // when the user asks for a review (this run's grants and settings folder). With
    // `rereadAll` every scan reads every bundle again (to compare costs against).
    Spider(platform::SettingsStore &settings, platform::SettingsStore &suite,
           QString settingsFolder, platform::DesktopNotifier &notifier, QStringList guiArguments,
           bool rereadAll = false, QObject *parent = nullptr);

    // Reads the remembered applications, takes the first look and starts watching.
    void start();

private:
    void scheduleScan();
    void scan();
    void watchFolders();
    void reloadSwitches();
    bool removeNoticesOn() const { return !m_disableNotification && !m_disableRemoveNotification; }
    ApplicationList trashArrivals();
    void announcePending();
    void actionInvoked(const QString &token);
    void openReview(const QString &key);
    void openRemovedApplications();

    platform::SettingsStore &m_settings;
    platform::SettingsStore &m_suite;
    QString m_settingsFolder;
    platform::DesktopNotifier &m_notifier;
    QStringList m_guiArguments;

    QFileSystemWatcher m_watcher;
    std::map<QString, std::optional<platform::FileIdentity>>
        m_watchedIdentity; // as each watch was set
    QTimer m_settle;
    ApplicationList m_pending; // removals seen but not told yet
    QTimer m_noticeDelay;
    QElapsedTimer m_pendingSince;
    ApplicationSnapshot m_snapshot;
    InstalledBundles m_installed;
    QByteArray m_written; // digest of the snapshot as last written, to skip writing it unchanged
    std::optional<std::filesystem::path> m_applications;
    std::optional<std::filesystem::path> m_trash;
    std::optional<std::set<std::string>> m_trashNames; // nothing before the first look
    bool m_disableNotification = false;
    bool m_disableRemoveNotification = false;
};

} // namespace zembra::spider
