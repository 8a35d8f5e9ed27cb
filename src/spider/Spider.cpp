#include "spider/Spider.h"

#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "leftovers/LeftoverWeight.h"
#include "leftovers/RemovalMarks.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/Programs.h"
#include "platform/Trash.h"
#include "preferences/PreferenceKeys.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>

namespace zembra::spider {

namespace fs = std::filesystem;

namespace {

// Long enough for a move or a copy of a bundle to settle, well inside two seconds.
constexpr int kSettleMs = 250;
// inotify watches are cheap, but a huge Applications tree should not use them all up.
constexpr int kMaxWatchedFolders = 512;

bool isAppName(const std::string &name) { return platform::nameExtension(name) == "app"; }

QString text(const fs::path &p) { return QString::fromStdString(p.native()); }

} // namespace

Spider::Spider(platform::SettingsStore &settings, platform::SettingsStore &suite, QString settingsFolder,
               platform::DesktopNotifier &notifier, QStringList guiArguments, QObject *parent)
    : QObject(parent), m_settings(settings), m_suite(suite), m_settingsFolder(std::move(settingsFolder)),
      m_notifier(notifier), m_guiArguments(std::move(guiArguments))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &Spider::scan);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString &dir) {
        if (dir == m_settingsFolder)
            reloadSwitches();
        scheduleScan();
    });
    connect(&m_notifier, &platform::DesktopNotifier::actionInvoked, this, &Spider::openReview);
}

void Spider::start()
{
    QDir().mkpath(m_settingsFolder);
    m_snapshot = readSnapshot(snapshotFile(m_settingsFolder));
    reloadSwitches();
    scan();
}

void Spider::scheduleScan()
{
    // Not restarted by every event: a long copy still gets looked at every quarter second.
    if (!m_settle.isActive())
        m_settle.start();
}

void Spider::reloadSwitches()
{
    // Another process (the preferences) writes the suite: read the file again.
    m_suite.synchronize();
    m_disableNotification = m_suite.integerForKey(preferences::kDisableNotification) == 1;
    m_disableRemoveNotification = m_suite.integerForKey(preferences::kDisabelRemoveNotification) == 1;
}

ApplicationList Spider::trashArrivals()
{
    std::set<std::string> names;
    ApplicationList arrivals;
    const Application enumerator(m_settings);
    const auto listing = m_trash ? platform::listDirectory(*m_trash) : std::vector<platform::DirEntry>{};
    for (const platform::DirEntry &e : listing) {
        names.insert(e.name());
        if (m_trashNames && !m_trashNames->count(e.name()) && isAppName(e.name()) && platform::isRealDirectory(e.path))
            arrivals.push_back(enumerator.application(e.path));
    }
    m_trashNames = std::move(names);
    return arrivals;
}

void Spider::scan()
{
    m_settings.synchronize();
    const grants::GrantStore grants(m_settings);
    m_applications = grants.resolve(grants::kApplications).folder;
    const auto home = grants.resolve(grants::kHome).folder;
    m_trash = home ? std::optional<fs::path>(platform::trashFilesFolder(*home)) : std::nullopt;
    // Watch before listing, so that nothing happening during the listing goes unseen.
    watchFolders();

    // Removed means gone from the disk: what the list's settings leave out (Apple's own
    // applications, the Utilities folder) is installed all the same.
    const ApplicationList installed = Application(m_settings).everyInstalledApplication();
    const ApplicationList trashed = trashArrivals();
    if (!m_applications)
        return;
    const SnapshotChange change =
        refreshSnapshot(m_snapshot, *m_applications, installed, trashed,
                        [this](const QString &key) { return leftovers::takeRemovalMark(key, m_settingsFolder); });
    m_snapshot = change.snapshot;
    const QByteArray digest = QCryptographicHash::hash(snapshotJson(m_snapshot), QCryptographicHash::Sha256);
    if (digest != m_written && writeSnapshot(snapshotFile(m_settingsFolder), m_snapshot))
        m_written = digest;
    for (const auto &item : change.gone)
        announce(*item);
}

void Spider::watchFolders()
{
    QStringList wanted{m_settingsFolder};
    if (m_applications) {
        // The folders the application list reads: the Applications folder, its subfolders
        // and theirs (Utilities/Sub/Foo.app), never the inside of a bundle.
        wanted << text(*m_applications);
        for (const platform::DirEntry &e : platform::listDirectory(*m_applications)) {
            if (e.type != platform::EntryType::Directory || isAppName(e.name()))
                continue;
            wanted << text(e.path);
            for (const platform::DirEntry &f : platform::listDirectory(e.path))
                if (f.type == platform::EntryType::Directory && !isAppName(f.name()))
                    wanted << text(f.path);
            if (wanted.size() >= kMaxWatchedFolders)
                break;
        }
    }
    if (m_trash) {
        // Until the Trash exists, watch the nearest folder above it that does.
        fs::path trash = *m_trash;
        while (!platform::isRealDirectory(trash) && trash.has_relative_path() && trash != trash.parent_path())
            trash = trash.parent_path();
        wanted << text(trash);
    }
    const QStringList watched = m_watcher.directories();
    QStringList gone;
    for (const QString &dir : watched)
        if (!wanted.contains(dir))
            gone << dir;
    if (!gone.isEmpty())
        m_watcher.removePaths(gone);
    QStringList added;
    for (const QString &dir : wanted)
        if (!watched.contains(dir) && !added.contains(dir) && QDir(dir).exists())
            added << dir;
    if (!added.isEmpty())
        m_watcher.addPaths(added);
}

void Spider::announce(const ApplicationItem &item)
{
    if (m_disableNotification || m_disableRemoveNotification)
        return;
    const leftovers::LeftoverWeight left =
        leftovers::weighLeftovers(item, m_settings, Application(m_settings).everyInstalledApplication());
    if (left.empty())
        return;
    const QString name = item.label().value_or(item.bundle_name().value_or(tr("An application")));
    const QString summary = tr("%1 was removed").arg(name);
    const QString weight = platform::formatByteCount(left.bytes);
    const QString body = left.count == 1 ? tr("It left one item behind (%1).").arg(weight)
                                         : tr("It left %1 items behind (%2).").arg(left.count).arg(weight);
    m_notifier.notify(summary, body, tr("Review leftovers"), rememberedKey(item));
}

void Spider::openReview(const QString &key)
{
    // One argument: an identifier read from a bundle may itself look like an option.
    const QStringList arguments = QStringList{QStringLiteral("--review-remembered=") + key} + m_guiArguments;
    QProcess::startDetached(platform::guiProgram(), arguments);
}

} // namespace zembra::spider
