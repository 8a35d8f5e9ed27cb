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

#include <QDir>
#include <QProcess>

#include <algorithm>
#include <functional>
#include <utility>

namespace zembra::spider {

namespace fs = std::filesystem;

namespace {

// A scan waits until the watched folders were still this long (an update that replaces a
// bundle by a move takes the old one out and puts the new one in back to back, so the scan
// sees the new one), and a removal is told only then; a long copy is still looked at
// every quarter second.
constexpr qint64 kStillMs = 80;
constexpr qint64 kLongestSettleMs = 250;
// Removals closer together than this are one burst, shown in one notice; a burst that goes
// on is shown in full after the longest wait all the same.
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
    // A coarse timer may fire early, before the folders were still long enough.
    m_settle.setTimerType(Qt::PreciseTimer);
    connect(&m_settle, &QTimer::timeout, this, &Spider::scan);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString &dir) {
        const bool settings = dir == m_settingsFolder;
        if (settings)
            reloadSwitches();
        scheduleScan(!settings);
    });
    m_burstQuiet.setSingleShot(true);
    connect(&m_burstQuiet, &QTimer::timeout, this, &Spider::closeBurst);
    connect(&m_notifier, &platform::DesktopNotifier::actionInvoked, this, &Spider::actionInvoked);
}

void Spider::start() {
    QDir().mkpath(m_settingsFolder);
    m_snapshot = readSnapshot(snapshotFile(m_settingsFolder));
    reloadSwitches();
    scan();
}

void Spider::scheduleScan(bool watched) {
    if (watched) {
        m_watchedChanged = true;
        m_lastChange.start();
    }
    if (!m_settle.isActive())
        m_settleSince.start();
    m_settle.start(
        int(std::clamp(kLongestSettleMs - m_settleSince.elapsed(), qint64(0), kStillMs)));
}

void Spider::lookAgain(qint64 inMs) {
    m_watchedChanged = true;
    if (!m_settle.isActive())
        m_settleSince.start();
    m_settle.start(int(inMs));
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
    const bool watchedChanged = std::exchange(m_watchedChanged, false);
    m_settings.synchronize();
    const grants::GrantStore grants(m_settings);
    const auto applications = grants.resolve(grants::kApplications).folder;
    const auto home = grants.resolve(grants::kHome).folder;
    const auto trash =
        home ? std::optional<fs::path>(platform::trashFilesFolder(*home)) : std::nullopt;
    // Only the settings folder changed (this watcher's own writes, a switch) and the
    // grants name the same folders: there is nothing new to look at.
    if (!watchedChanged && applications == m_applications && trash == m_trash) {
        tellAndWrite();
        return;
    }
    m_applications = applications;
    m_trash = trash;

    // Removed means gone from the disk: what the list's settings leave out (Apple's own
    // applications, the Utilities folder) is installed all the same.
    m_installed.refresh(m_applications);
    // The folders the refresh looked into are the ones to watch.
    watchFolders();
    const bool installedChanged = m_installed.takeChange();
    m_ownersStale = m_ownersStale || installedChanged;
    const ApplicationList trashed = trashArrivals();
    // Nothing came, went or changed, and nothing arrived in the Trash: the snapshot stays
    // as it is (a folder switch empties the list, which counts as a change). The first look
    // compares with the file even when the folder is empty.
    if (m_applications && (installedChanged || !trashed.empty() || m_unwritten ||
                           m_snapshot.applicationsFolder != *m_applications)) {
        SnapshotChange change =
            refreshSnapshot(m_snapshot, *m_applications, m_installed.applications(), trashed,
                            [this](const QString &key) {
                                return leftovers::takeRemovalMark(key, m_settingsFolder);
                            });
        if (!sameSnapshot(change.snapshot, m_snapshot)) {
            m_snapshot = std::move(change.snapshot);
            m_unwritten = true;
        }
        // A removal seen while its notices are off is remembered, never told later.
        if (!change.gone.empty() && removeNoticesOn()) {
            if (m_pending.empty())
                m_pendingSince.start();
            m_pending.insert(m_pending.end(), change.gone.begin(), change.gone.end());
        }
    }
    tellAndWrite();
}

void Spider::tellAndWrite() {
    tellPending();
    // Told before the snapshot is written: a crash between the two tells the removal again
    // at the next start, never loses it. Not written while removals wait to be told, for
    // the same reason: a burst's removals are written once, with its notice.
    if (m_pending.empty() && m_unwritten && m_applications)
        m_unwritten = !writeSnapshot(snapshotFile(m_settingsFolder), m_snapshot);
    // The installed applications' keys, derived while nothing waits, so that weighing the
    // next removal costs what changed, not ten thousand applications.
    if (m_pending.empty() && m_ownersStale) {
        m_ownersStale = false;
        QTimer::singleShot(0, this, [this] { m_owners.update(m_installed.applications()); });
    }
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
        // Every folder that holds bundles the list reads, as the last refresh looked into
        // them: the Applications folder's subfolders and theirs, and one level deeper in
        // Utilities (Utilities/Sub/Deeper/Foo.app); never the inside of a bundle.
        const auto &folders = m_installed.folders();
        for (size_t i = 0; i < folders.size() && i < size_t(kMaxWatchedFolders); ++i)
            want(folders[i]);
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
    // Set after the listing: look again for what changed in between (not for a watch
    // that could not be set, which is tried again at every scan).
    if (!added.isEmpty() && m_watcher.addPaths(added).size() < added.size())
        lookAgain(kStillMs);
    // Made between the look above and the watch on the folder above it: look again.
    for (const fs::path &path : missing)
        if (platform::isRealDirectory(path)) {
            lookAgain(kStillMs);
            break;
        }
}

void Spider::weigh(const ApplicationList &items, std::set<QString> &keys, ApplicationList &told,
                   std::vector<leftovers::LeftoverWeight> &weights) {
    const ApplicationList &installed = m_installed.applications();
    // Keys derived again only for the applications that changed since the last notice.
    m_owners.update(installed);
    for (const auto &item : items) {
        if (!keys.insert(rememberedKey(*item)).second)
            continue;
        leftovers::LeftoverWeight weight =
            leftovers::weighLeftovers(*item, m_settings, installed, &m_owners);
        if (weight.empty())
            continue;
        told.push_back(item);
        weights.push_back(std::move(weight));
    }
}

void Spider::tellPending() {
    // A burst that went quiet is looked at once more even when nothing waits: what came
    // back since its notice (an update by a slow copy) is taken out of it.
    if (m_pending.empty() && !m_burstEnding)
        return;
    if (!removeNoticesOn()) {
        m_pending.clear();
        endBurst();
        return;
    }
    // A later removal of a burst whose notice shows: told when the burst goes quiet.
    if (!m_burst.empty() && !m_burstEnding) {
        if (m_burstSince.elapsed() < kLongestNoticeWaitMs)
            m_burstQuiet.start(kNoticeQuietMs);
        else if (!m_burstQuiet.isActive())
            m_burstQuiet.start(0); // waited long enough: shown now
        return;
    }
    const qint64 still = m_lastChange.isValid() ? m_lastChange.elapsed() : kStillMs;
    if (!m_pending.empty() && still < kStillMs && m_pendingSince.elapsed() < kLongestNoticeWaitMs) {
        lookAgain(kStillMs - still);
        return;
    }

    // Back already (an update that replaced the bundle), or seen twice: not told.
    std::set<QString> keys;
    for (const auto &item : m_installed.applications())
        keys.insert(rememberedKey(*item));
    ApplicationList shown;
    std::vector<leftovers::LeftoverWeight> shownWeights;
    for (size_t i = 0; i < m_burst.size(); ++i)
        if (keys.insert(rememberedKey(*m_burst[i])).second) {
            shown.push_back(m_burst[i]);
            shownWeights.push_back(m_burstWeights[i]);
        }
    const size_t before = shown.size();
    ApplicationList pending;
    pending.swap(m_pending);
    sortByLabel(pending);
    weigh(pending, keys, shown, shownWeights);
    const bool changed = shown.size() != before || before != m_burst.size();
    if (m_burst.empty()) {
        if (shown.empty())
            return;
        // The first removal of a burst is told at once; its notice stays the burst's.
        m_noticeId = notify(shown, shownWeights, 0);
        m_burst = std::move(shown);
        m_burstWeights = std::move(shownWeights);
        m_burstSince.start();
        m_burstQuiet.start(kNoticeQuietMs);
        return;
    }
    // The burst went quiet: its notice now shows every removal of it, and is taken down
    // when every application it told of is back.
    if (changed && !shown.empty()) {
        // The weights add up in any order; the names are listed by label.
        sortByLabel(shown);
        notify(shown, shownWeights, m_noticeId);
    } else if (changed) {
        m_notifier.close(m_noticeId);
    }
    endBurst();
}

void Spider::closeBurst() {
    m_burstEnding = true;
    // Something changed since the last scan: look first, so that the notice is up to date.
    if (m_watchedChanged) {
        m_settle.stop();
        scan();
    } else {
        tellAndWrite();
    }
    m_burstEnding = false;
}

void Spider::endBurst() {
    m_burstQuiet.stop();
    m_burst.clear();
    m_burstWeights.clear();
    m_noticeId = 0;
}

uint Spider::notify(const ApplicationList &told,
                    const std::vector<leftovers::LeftoverWeight> &weights, uint replaces) {
    if (told.size() == 1) {
        const leftovers::LeftoverWeight &left = weights.front();
        const QString weight = platform::formatByteCount(left.bytes);
        const QString body = left.count == 1
                                 ? tr("It left one item behind (%1).").arg(weight)
                                 : tr("It left %1 items behind (%2).").arg(left.count).arg(weight);
        return m_notifier.notify(tr("%1 was removed").arg(noticeName(*told.front())), body,
                                 tr("Review leftovers"),
                                 kReviewToken + rememberedKey(*told.front()), replaces);
    }
    const leftovers::LeftoverWeight left = leftovers::combinedWeight(weights);
    const QString weight = platform::formatByteCount(left.bytes);
    const QString names = nameList(told);
    const QString body =
        left.count == 1
            ? tr("%1 left one item behind (%2).").arg(names, weight)
            : tr("%1 left %2 items behind (%3).").arg(names, QString::number(left.count), weight);
    return m_notifier.notify(tr("%1 applications were removed").arg(told.size()), body,
                             tr("Show removed applications"), kRemovedListToken, replaces);
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
