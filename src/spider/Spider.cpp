#include "spider/Spider.h"

#include "catalogue/Application.h"
#include "catalogue/SortByLabel.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "leftovers/LeftoverWeight.h"
#include "leftovers/RemovalMarks.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/Programs.h"
#include "platform/Trash.h"
#include "platform/VisibleText.h"
#include "preferences/PreferenceKeys.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>

#include <functional>

namespace zembra::spider {

namespace fs = std::filesystem;

namespace {

// Long enough for a move or a copy of a bundle to settle, well inside two seconds.
constexpr int kSettleMs = 250;
// Removals closer together than this are one burst, told in one notice; a burst that goes
// on is told after the longest wait all the same.
constexpr int kNoticeQuietMs = 1000;
constexpr qint64 kLongestNoticeWaitMs = 10000;
// inotify watches are cheap, but a huge Applications tree should not use them all up.
constexpr int kMaxWatchedFolders = 512;
// How many names a notice of several removals spells out.
constexpr int kNamesInNotice = 3;

// Notice tokens: a review of one remembered key, or the list of removed applications.
// Prefixed, so that no identifier can pass for the other kind.
const QString kReviewToken = QStringLiteral("review:");
const QString kRemovedListToken = QStringLiteral("removed-applications");

bool isAppName(const std::string &name) {
    return platform::nameExtension(name) == "app";
}

// The name a notice shows: a bundle's name may hold line breaks, escapes or bidirectional
// overrides, shown escaped as the command line shows them.
QString noticeName(const ApplicationItem &item) {
    const OptString name = item.label() ? item.label() : item.bundle_name();
    return name && !name->isEmpty() ? platform::visiblyEscaped(*name)
                                    : Spider::tr("An application");
}

// "A and B", "A, B and C", "A, B, C and 2 others".
QString nameList(const ApplicationList &items) {
    QStringList names;
    for (size_t i = 0; i < items.size() && i < size_t(kNamesInNotice); ++i)
        names << noticeName(*items[i]);
    const int others = int(items.size()) - int(names.size());
    const QString last = others == 1  ? Spider::tr("one other")
                         : others > 1 ? Spider::tr("%1 others").arg(others)
                                      : names.takeLast();
    // One pass over the arguments: a "%1" inside a name stays as it is.
    return Spider::tr("%1 and %2").arg(names.join(QLatin1String(", ")), last);
}

// The nearest folder at or above `path` that is there.
fs::path nearestFolder(fs::path path) {
    while (!platform::isRealDirectory(path) && path.has_relative_path() &&
           path != path.parent_path())
        path = path.parent_path();
    return path;
}

} // namespace

Spider::Spider(platform::SettingsStore &settings, platform::SettingsStore &suite,
               QString settingsFolder, platform::DesktopNotifier &notifier,
               QStringList guiArguments, bool rereadAll, QObject *parent)
    : QObject(parent), m_settings(settings), m_suite(suite),
      m_settingsFolder(std::move(settingsFolder)), m_notifier(notifier),
      m_guiArguments(std::move(guiArguments)), m_installed(settings, {}, rereadAll) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &Spider::scan);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString &dir) {
        if (dir == m_settingsFolder)
            reloadSwitches();
        scheduleScan();
    });
    m_noticeDelay.setSingleShot(true);
    m_noticeDelay.setInterval(kNoticeQuietMs);
    connect(&m_noticeDelay, &QTimer::timeout, this, &Spider::announcePending);
    connect(&m_notifier, &platform::DesktopNotifier::actionInvoked, this, &Spider::actionInvoked);
}

void Spider::start() {
    QDir().mkpath(m_settingsFolder);
    m_snapshot = readSnapshot(snapshotFile(m_settingsFolder));
    reloadSwitches();
    scan();
}

void Spider::scheduleScan() {
    // Not restarted by every event: a long copy still gets looked at every quarter second.
    if (!m_settle.isActive())
        m_settle.start();
}

void Spider::reloadSwitches() {
    // Another process (the preferences) writes the suite: read the file again.
    m_suite.synchronize();
    m_disableNotification = m_suite.integerForKey(preferences::kDisableNotification) == 1;
    m_disableRemoveNotification =
        m_suite.integerForKey(preferences::kDisabelRemoveNotification) == 1;
}

ApplicationList Spider::trashArrivals() {
    std::set<std::string> names;
    ApplicationList arrivals;
    const Application enumerator(m_settings);
    const auto listing =
        m_trash ? platform::listDirectory(*m_trash) : std::vector<platform::DirEntry>{};
    for (const platform::DirEntry &e : listing) {
        names.insert(e.name());
        if (m_trashNames && !m_trashNames->count(e.name()) && isAppName(e.name()) &&
            platform::isRealDirectory(e.path))
            arrivals.push_back(enumerator.application(e.path));
    }
    m_trashNames = std::move(names);
    return arrivals;
}

void Spider::scan() {
    m_settings.synchronize();
    const grants::GrantStore grants(m_settings);
    m_applications = grants.resolve(grants::kApplications).folder;
    const auto home = grants.resolve(grants::kHome).folder;
    m_trash = home ? std::optional<fs::path>(platform::trashFilesFolder(*home)) : std::nullopt;
    // Watch before listing, so that nothing happening during the listing goes unseen.
    watchFolders();

    // Removed means gone from the disk: what the list's settings leave out (Apple's own
    // applications, the Utilities folder) is installed all the same.
    m_installed.refresh(m_applications);
    // Also what the refresh before a notice saw: it changes the list, not the snapshot.
    const bool installedChanged = m_installed.takeChange();
    const ApplicationList trashed = trashArrivals();
    if (!m_applications)
        return;
    // Nothing came, went or changed, and nothing arrived in the Trash: the snapshot stays
    // as it is (a folder switch empties the list, which counts as a change).
    if (!installedChanged && trashed.empty() && !m_written.isEmpty() &&
        m_snapshot.applicationsFolder == *m_applications)
        return;
    const SnapshotChange change = refreshSnapshot(
        m_snapshot, *m_applications, m_installed.applications(), trashed,
        [this](const QString &key) { return leftovers::takeRemovalMark(key, m_settingsFolder); });
    m_snapshot = change.snapshot;
    // A removal seen while its notices are off is remembered, never told later. Queued
    // before the snapshot is written: the burst's wait runs while the write syncs.
    if (!change.gone.empty() && removeNoticesOn()) {
        if (m_pending.empty())
            m_pendingSince.start();
        m_pending.insert(m_pending.end(), change.gone.begin(), change.gone.end());
        if (m_pendingSince.elapsed() < kLongestNoticeWaitMs)
            m_noticeDelay.start();
    }
    const QByteArray json = snapshotJson(m_snapshot);
    const QByteArray digest = QCryptographicHash::hash(json, QCryptographicHash::Sha256);
    // A failed write is tried again at the next scan.
    if (digest != m_written)
        m_written = writeSnapshotJson(snapshotFile(m_settingsFolder), json) ? digest : QByteArray();
}

void Spider::watchFolders() {
    // A watch ends with the folder it was set on: the folder above the Applications folder
    // and above the Trash is watched too, so that the scan after a folder was deleted,
    // renamed away, made again or replaced sets a watch on the one that is there now.
    std::map<QString, fs::path> wanted{
        {m_settingsFolder, platform::pathFromText(m_settingsFolder)}};
    const auto want = [&](const fs::path &p) { wanted.emplace(platform::displayPath(p), p); };
    if (m_applications) {
        want(*m_applications);
        want(nearestFolder(m_applications->parent_path()));
        // Every folder that holds bundles the list reads (everyApplicationBundle): the
        // Applications folder, its subfolders and theirs, and one level deeper in
        // Utilities (Utilities/Sub/Deeper/Foo.app); never the inside of a bundle.
        int folders = 0;
        const std::function<void(const fs::path &, int)> watchBelow = [&](const fs::path &folder,
                                                                          int depth) {
            for (const platform::DirEntry &f : platform::listDirectory(folder))
                if (f.type == platform::EntryType::Directory && !isAppName(f.name())) {
                    want(f.path);
                    ++folders;
                    if (depth > 1)
                        watchBelow(f.path, depth - 1);
                }
        };
        for (const platform::DirEntry &e : platform::listDirectory(*m_applications)) {
            if (e.type != platform::EntryType::Directory || isAppName(e.name()))
                continue;
            want(e.path);
            ++folders;
            watchBelow(e.path, e.name() == "Utilities" ? 2 : 1);
            if (folders >= kMaxWatchedFolders)
                break;
        }
    }
    if (m_trash) {
        want(*m_trash);
        want(nearestFolder(m_trash->parent_path()));
    }

    // A path still watched may name another folder by now (the watch may still be on the
    // one renamed away): its identity tells, and the watch is set again.
    QStringList gone;
    for (const QString &dir : m_watcher.directories()) {
        const auto it = wanted.find(dir);
        const auto set = m_watchedIdentity.find(dir);
        if (it == wanted.end() || set == m_watchedIdentity.end() ||
            platform::fileIdentity(it->second) != set->second)
            gone << dir;
    }
    if (!gone.isEmpty())
        m_watcher.removePaths(gone);
    for (const QString &dir : gone)
        m_watchedIdentity.erase(dir);
    const QStringList watched = m_watcher.directories();
    QStringList added;
    std::vector<fs::path> missing;
    for (const auto &[dir, path] : wanted) {
        if (watched.contains(dir))
            continue;
        if (!platform::isRealDirectory(path)) {
            missing.push_back(path);
            continue;
        }
        m_watchedIdentity[dir] = platform::fileIdentity(path);
        added << dir;
    }
    if (!added.isEmpty())
        m_watcher.addPaths(added);
    // Made between the look above and the watch on the folder above it: look again.
    for (const fs::path &path : missing)
        if (platform::isRealDirectory(path)) {
            scheduleScan();
            break;
        }
}

void Spider::announcePending() {
    ApplicationList pending;
    pending.swap(m_pending);
    if (!removeNoticesOn())
        return;
    m_settings.synchronize();
    m_installed.refresh(grants::GrantStore(m_settings).resolve(grants::kApplications).folder);
    const ApplicationList &installed = m_installed.applications();
    // Back already (an update that replaced the bundle), or seen twice: not told.
    std::set<QString> keys;
    for (const auto &item : installed)
        keys.insert(rememberedKey(*item));
    sortByLabel(pending);
    ApplicationList told;
    std::vector<leftovers::LeftoverWeight> weights;
    for (const auto &item : pending) {
        if (!keys.insert(rememberedKey(*item)).second)
            continue;
        leftovers::LeftoverWeight weight = leftovers::weighLeftovers(*item, m_settings, installed);
        if (weight.empty())
            continue;
        told.push_back(item);
        weights.push_back(std::move(weight));
    }
    if (told.empty())
        return;

    if (told.size() == 1) {
        const leftovers::LeftoverWeight &left = weights.front();
        const QString weight = platform::formatByteCount(left.bytes);
        const QString body = left.count == 1
                                 ? tr("It left one item behind (%1).").arg(weight)
                                 : tr("It left %1 items behind (%2).").arg(left.count).arg(weight);
        m_notifier.notify(tr("%1 was removed").arg(noticeName(*told.front())), body,
                          tr("Review leftovers"), kReviewToken + rememberedKey(*told.front()));
        return;
    }
    const leftovers::LeftoverWeight left = leftovers::combinedWeight(weights);
    const QString weight = platform::formatByteCount(left.bytes);
    const QString names = nameList(told);
    const QString body =
        left.count == 1
            ? tr("%1 left one item behind (%2).").arg(names, weight)
            : tr("%1 left %2 items behind (%3).").arg(names, QString::number(left.count), weight);
    m_notifier.notify(tr("%1 applications were removed").arg(told.size()), body,
                      tr("Show removed applications"), kRemovedListToken);
}

void Spider::actionInvoked(const QString &token) {
    if (token == kRemovedListToken)
        openRemovedApplications();
    else if (token.startsWith(kReviewToken))
        openReview(token.mid(kReviewToken.size()));
}

void Spider::openReview(const QString &key) {
    // One argument: an identifier read from a bundle may itself look like an option.
    const QStringList arguments =
        QStringList{QStringLiteral("--review-remembered=") + key} + m_guiArguments;
    QProcess::startDetached(platform::guiProgram(), arguments);
}

void Spider::openRemovedApplications() {
    const QStringList arguments =
        QStringList{QStringLiteral("--removed-applications")} + m_guiArguments;
    QProcess::startDetached(platform::guiProgram(), arguments);
}

} // namespace zembra::spider
