#pragma once
// The background watcher: watches the granted Applications folder (and the subfolders
// the application list reads), the Trash and the settings folder. When an application
// leaves the Applications folder, or arrives in the Trash, without having gone through
// Uninstaller zembra, it remembers the application as gone and shows a notice naming it
// and what its leftovers weigh, with an action that opens their review.
//
// Event-driven: file-system notifications start a short settle timer and one scan; idle,
// it does nothing. Owned by main(); main thread only.

#include "catalogue/ApplicationSnapshot.h"
#include "platform/DesktopNotifier.h"
#include "platform/SettingsStore.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

namespace zembra::spider {

class Spider : public QObject {
    Q_OBJECT
public:
    // `settings` is the standard store (with this run's grants), `suite` the shared suite
    // with the two notification switches; `guiArguments` are handed to the application
    // when the user asks for a review (this run's grants and settings folder).
    Spider(platform::SettingsStore &settings, platform::SettingsStore &suite, QString settingsFolder,
           platform::DesktopNotifier &notifier, QStringList guiArguments, QObject *parent = nullptr);

    // Reads the remembered applications, takes the first look and starts watching.
    void start();

private:
    void scheduleScan();
    void scan();
    void watchFolders();
    void reloadSwitches();
    ApplicationList trashArrivals();
    void announce(const ApplicationItem &item);
    void openReview(const QString &key);

    platform::SettingsStore &m_settings;
    platform::SettingsStore &m_suite;
    QString m_settingsFolder;
    platform::DesktopNotifier &m_notifier;
    QStringList m_guiArguments;

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    ApplicationSnapshot m_snapshot;
    QByteArray m_written; // digest of the snapshot as last written, to skip writing it unchanged
    std::optional<std::filesystem::path> m_applications;
    std::optional<std::filesystem::path> m_trash;
    std::optional<std::set<std::string>> m_trashNames; // nothing before the first look
    bool m_disableNotification = false;
    bool m_disableRemoveNotification = false;
};

} // namespace zembra::spider
