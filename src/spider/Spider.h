#pragma once
// The background watcher: watches the granted Applications folder (and the subfolders
// the application list reads), the Trash and the settings folder. When an application
// leaves the Applications folder, or arrives in the Trash, without having gone through
// Uninstaller zembra, it remembers the application as gone and shows a notice naming it
// and what its leftovers weigh, with an action that opens their review.
//
// Removed means gone from the disk: every bundle of the Applications folder and its
// subfolders is watched, whatever the application list's settings leave out. The first
// removal is told as soon as a scan has seen it; removals that follow within a second
// replace that notice, once they stop, with one for the whole burst, whose action opens
// the list of removed applications. Only what the review would start ticked is counted.
//
// Event-driven: file-system notifications start a short settle timer and one scan, once
// the folders were still for a moment; idle, it does nothing. A scan reads only the bundles that
// are new or changed since the last one (InstalledBundles), so its cost follows what changed, not
// how much is installed; a change of the settings folder alone (its own writes) lists nothing
// again. The snapshot is written only when it changed, after the notice. Owned by main(); main
// thread only.

#include "catalogue/ApplicationSnapshot.h"
#include "catalogue/InstalledBundles.h"
#include "leftovers/LeftoverWeight.h"
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
#include <vector>

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
    // `watched`: a watched folder changed (not only the settings folder).
    void scheduleScan(bool watched = true);
    // A scan that lists everything again, `inMs` from now, with no change seen.
    void lookAgain(qint64 inMs);
    void scan();
    void watchFolders();
    void reloadSwitches();
    bool removeNoticesOn() const { return !m_disableNotification && !m_disableRemoveNotification; }
    ApplicationList trashArrivals();
    // Tells what waits to be told, then writes the snapshot when it changed.
    void tellAndWrite();
    void tellPending();
    void closeBurst();
    void endBurst();
    // Adds to `told` the `items` worth telling (their key not in `keys`, something the
    // review would tick), with their weights.
    void weigh(const ApplicationList &items, std::set<QString> &keys, ApplicationList &told,
               std::vector<leftovers::LeftoverWeight> &weights);
    // The notice for `told`: one application's, or a burst's; its id.
    uint notify(const ApplicationList &told, const std::vector<leftovers::LeftoverWeight> &weights,
                uint replaces);
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
    bool m_watchedChanged = true; // a watched folder changed since the last scan
    QElapsedTimer m_lastChange;   // since a watched folder last changed
    QElapsedTimer m_settleSince;  // since the first change the next scan looks at
    ApplicationList m_pending;    // removals seen but not told yet
    QElapsedTimer m_pendingSince;
    // A burst: the first removal is told at once; those that follow while m_burstQuiet
    // runs replace that notice with one for the whole burst when it goes quiet.
    QTimer m_burstQuiet;
    QElapsedTimer m_burstSince;
    ApplicationList m_burst; // told in this burst, its notice showing them
    std::vector<leftovers::LeftoverWeight> m_burstWeights;
    uint m_noticeId = 0;        // the burst's notice, 0 when none is shown
    bool m_burstEnding = false; // the burst went quiet: what waits joins its notice now
    ApplicationSnapshot m_snapshot;
    InstalledBundles m_installed;
    leftovers::InstalledOwners m_owners; // the installed applications' keys, for weighing
    bool m_ownersStale = false;
    bool m_unwritten = true; // the snapshot differs from the file, or its write failed
    std::optional<std::filesystem::path> m_applications;
    std::optional<std::filesystem::path> m_trash;
    std::optional<std::set<std::string>> m_trashNames; // nothing before the first look
    bool m_disableNotification = false;
    bool m_disableRemoveNotification = false;
};

} // namespace zembra::spider
