// The watcher as a real process, one path for each thing a user sees of it; its login item on
// Linux: the XDG autostart entry, and the watcher it starts and stops through the pid file.

#include "catalogue/ApplicationSnapshot.h"
#include "catalogue/InstalledBundles.h"
#include "platform/LoginItem.h"
#include "platform/PidFile.h"
#include "platform/Trash.h"
#include "platform/linux/AutostartLoginItem.h"
#include "preferences/PreferenceKeys.h"
#include "spider/SpiderProcess.h"
#include "support/CliRunner.h"

#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zembra;
using namespace zembra::test;

namespace {

const QString kStandard = QStringLiteral("Uninstaller zembra"); // the standard store's name

void moveToTrash(const WatchedTree &t, const std::string &name) {
    fs::rename(t.applications / (name + ".app"), t.trash / (name + ".app"));
}

volatile sig_atomic_t g_askedToEnd = 0;

} // namespace

// A bundle's name is shown escaped, and never read as markup where the body is.
TEST(Watcher, BurstOfRemovals_FirstToldAtOnce_ThenOneNoticeThatOpensTheRemovedApplications) {
    Watching t;
    constexpr int kBurst = 30;
    const std::string odd = "A<i>d\x1b[2J\n\u202e%1 & Co";
    const auto name = [&](int i) {
        return i == 0 ? odd
                      : QStringLiteral("App %1").arg(i, 2, 10, QLatin1Char('0')).toStdString();
    };
    std::vector<std::string> gone{"com.vendor.zed"};
    for (int i = 0; i < kBurst; ++i) {
        gone.push_back("com.burst.app" + std::to_string(i));
        // The label is the bundle's name on the disk; the property list stays plain.
        t.tree.file("home/Library/Preferences/" + gone.back() + ".plist", std::string(3000, 'x'));
        t.tree.app("Applications/" + name(i) + ".app", gone.back(), "Plain", "Plain");
    }
    t.appsWithLeftovers({"Zed"});
    const fs::path bin = t.tree.dir("bin"), record = t.tree / "opened";
    fs::copy_file(ZEMBRA_SPIDER_PATH, bin / "zembra-spider");
    std::ofstream(bin / "uninstaller-zembra")
        << "#!/bin/sh\n{ printf '%s\\n' \"$@\"; echo ==; } >> '" << record.native() << "'\n";
    fs::permissions(bin / "uninstaller-zembra", fs::perms::owner_all);
    ASSERT_TRUE(t.start({QStringLiteral("--invoke"), QStringLiteral("review")},
                        QString::fromStdString((bin / "zembra-spider").native())));
    auto &bus = *t.bus;

    moveToTrash(t, name(0));
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    for (int i = 1; i < kBurst; ++i)
        moveToTrash(t, name(i));
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 2; }));
    // One more removal afterwards: a notice of its own.
    moveToTrash(t, "Zed");
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 3; }));
    EXPECT_TRUE(t.waitForGone(gone)) << "written after the notice";

    ASSERT_EQ(bus.notices().size(), 3u) << "leaving the folder and arriving in the Trash is one";
    // The summary is plain text to the notification service; the body is read as markup.
    EXPECT_EQ(bus.fields("summary"), "A<i>d\\x1b[2J\\n\\u202e%1 & Co was removed | 30 "
                                     "applications were removed | Zed was removed");
    EXPECT_EQ(bus.fields("replaces"), "0 | " + bus.field(0, "id") + " | 0") << "the burst's";
    EXPECT_EQ(bus.field(1, "body"),
              "A&lt;i&gt;d\\x1b[2J\\n\\u202e%1 &amp; Co, App 01, App 02 and 27 "
              "others left 30 items behind (90 KB).");
    EXPECT_NE(bus.field(1, "actions").find("Show removed applications"), std::string::npos);
    EXPECT_EQ(bus.field(2, "body"), "It left one item behind (3 KB).");
    EXPECT_NE(bus.field(2, "actions").find("Review leftovers"), std::string::npos);

    // The stand-in service presses each notice's action as it arrives.
    const std::string grants = t.folderArguments().join(QLatin1Char('\n')).toStdString() + "\n";
    const std::string expected = "--review-remembered=com.burst.app0\n" + grants +
                                 "==\n--removed-applications\n" + grants +
                                 "==\n--review-remembered=com.vendor.zed\n" + grants + "==\n";
    ASSERT_TRUE(waitUntil([&] { return readFile(record).size() >= expected.size(); }));
    EXPECT_EQ(readFile(record), expected);
    EXPECT_TRUE(t.watcher->running());
}

// An update whose new copy lands after the removal was told: when the burst goes quiet its
// notice names only what is still gone, and is taken down when nothing is.
TEST(Watcher, RemovedApplicationBackWithinTheBurst_ItsNoticeIsReplacedOrTakenDown) {
    Watching t;
    t.appsWithLeftovers({"Editor", "Viewer"});
    ASSERT_TRUE(t.start());
    auto &bus = *t.bus;
    const fs::path away = t.tree.dir("staging");
    const auto move = [&](const char *name, bool back) {
        const fs::path there = t.applications / name, staged = away / name;
        fs::rename(back ? staged : there, back ? there : staged);
    };

    move("Editor.app", false);
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 1; }));
    move("Viewer.app", false);
    move("Editor.app", true);
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 2; }));
    EXPECT_EQ(bus.field(1, "summary"), "Viewer was removed");
    EXPECT_EQ(bus.field(1, "replaces"), bus.field(0, "id"));

    // A new burst whose only application comes back: its notice goes.
    move("Editor.app", false);
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 3; }));
    move("Editor.app", true);
    ASSERT_TRUE(waitUntil([&] { return !bus.closed().empty(); }))
        << "the notice of an application that is back stays up";
    EXPECT_EQ(std::to_string(bus.closed().front()), bus.field(2, "id"));
    EXPECT_EQ(bus.notices().size(), 3u);
}

// Silenced by a switch, nothing the review would tick, removed through the command line, or
// only left out of the list: not told. Gone from the disk while left out: told.
TEST(Watcher, RemovalsNotToTell_StaySilent_LeftOutApplicationsWatchedAlike) {
    Watching t;
    t.appsWithLeftovers({"Editor", "Viewer", "Player", "Zed"});
    // Sketchpad's only leftover is the vendor folder that Sketchpad 2 uses too.
    t.tree.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad");
    t.tree.app("Applications/Sketchpad 2.app", "com.lumina.sketchpad2", "Sketchpad 2",
               "Sketchpad 2");
    t.tree.file("home/Library/Caches/Lumina/cache.db", std::string(205000, 'x'));
    t.appWithLeftovers("Utilities/DiskSight", "com.vendor.disksight");
    t.appWithLeftovers("Notes", "com.apple.Notes");
    t.setInteger(kStandard, preferences::kIncludeUtilities, 1);
    t.setInteger(kStandard, preferences::kIncludeDefaultApps, 1);
    t.setInteger(preferences::kSharedSuiteName, preferences::kDisabelRemoveNotification, 1);
    ASSERT_TRUE(t.start());
    auto &bus = *t.bus;

    moveToTrash(t, "Editor");
    ASSERT_TRUE(t.waitForGone({"com.vendor.editor"})) << "removal notices off";
    // Every notification off, the removal notices on again: still silent.
    t.setInteger(preferences::kSharedSuiteName, preferences::kDisableNotification, 1);
    t.setInteger(preferences::kSharedSuiteName, preferences::kDisabelRemoveNotification, 0);
    fs::remove_all(t.applications / "Viewer.app");
    ASSERT_TRUE(t.waitForGone({"com.vendor.editor", "com.vendor.viewer"}));
    t.setInteger(preferences::kSharedSuiteName, preferences::kDisableNotification, 0);
    fs::remove_all(t.applications / "Sketchpad.app");
    ASSERT_TRUE(t.waitForGone({"com.vendor.editor", "com.vendor.viewer", "com.lumina.sketchpad"}));

    std::vector<std::string> remove{"remove", (t.applications / "Player.app").native(), "--yes"};
    for (const QString &argument : t.folderArguments())
        remove.push_back(argument.toStdString());
    const CliRun cli = runCli(t.tree, remove);
    ASSERT_EQ(cli.status, 0) << cli.err;
    ASSERT_FALSE(fs::exists(t.applications / "Player.app"));

    // The list leaves them out now; they are still on the disk.
    t.setInteger(kStandard, preferences::kIncludeUtilities, 0);
    t.setInteger(kStandard, preferences::kIncludeDefaultApps, 0);
    moveToTrash(t, "Zed");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    // Player, removed through us, is forgotten.
    ASSERT_TRUE(t.waitForGone(
        {"com.vendor.editor", "com.vendor.viewer", "com.lumina.sketchpad", "com.vendor.zed"}));
    EXPECT_EQ(bus.fields("summary"), "Zed was removed");

    // On a notice of their own, or with Zed's when they left within its burst.
    fs::rename(t.applications / "Utilities/DiskSight.app",
               t.tree.dir("Elsewhere") / "DiskSight.app");
    fs::remove_all(t.applications / "Notes.app");
    EXPECT_TRUE(waitUntil([&] {
        const std::string told = bus.fields("summary") + bus.fields("body");
        return told.find("DiskSight") != std::string::npos &&
               told.find("Notes") != std::string::npos;
    }));
}

// A settings folder the watcher cannot use safely, or one another copy watches from: it
// says why and does not run, and touches nothing a link points at. The copy that watches,
// without a bus or without a notification service on it, goes on remembering removals.
TEST(Watcher, SettingsFolderLinkedOrInUse_RefusesSayingWhy) {
    for (const std::string linked :
         {"settings/zembra-spider.pid", "settings", "in use, no bus", "in use, no service"}) {
        SCOPED_TRACE(linked);
        WatchedTree t;
        t.appsWithLeftovers({"Editor"});
        const auto outside = t.tree.file("elsewhere/precious.txt", "precious");
        const bool inUse = linked.starts_with("in use");
        std::optional<PrivateBus> bus;
        if (linked == "in use, no service")
            bus.emplace(t.tree, QStringList{QStringLiteral("--no-service")});
        std::optional<WatcherProcess> first;
        if (inUse) {
            ASSERT_TRUE(!bus || bus->ready());
            ASSERT_TRUE(first.emplace(t, bus ? &*bus : nullptr).started());
        } else if (linked == "settings" && fs::remove(t.settings))
            fs::create_symlink(outside.parent_path(), t.settings);
        else
            fs::create_symlink(outside, t.tree / linked);
        WatcherProcess watcher(t, nullptr);
        ASSERT_TRUE(watcher.process.waitForFinished(5000));
        EXPECT_EQ(watcher.process.exitCode(), 1);
        const std::string err = watcher.process.readAllStandardError().toStdString();
        EXPECT_NE(
            err.find(inUse ? "already running" : "is a symbolic link: the watcher does not run"),
            std::string::npos)
            << err;
        EXPECT_EQ(err.find(inUse ? "symbolic link" : "already running"), std::string::npos) << err;
        EXPECT_EQ(readFile(outside), "precious");
        EXPECT_EQ(entryCount(outside.parent_path()), 1u);
        if (first) {
            moveToTrash(t, "Editor");
            EXPECT_TRUE(t.waitForGone({"com.vendor.editor"}));
            EXPECT_TRUE(first->running());
        }
    }
}

// The Trash is made later too: the downloaded application thrown into it is told. In the
// new folder, a removal three levels down in Utilities (which the list reads one level
// deeper than elsewhere) is seen when it happens, by the watch on its own folder.
class ApplicationsFolderReplaced : public ::testing::TestWithParam<bool> {};

TEST_P(ApplicationsFolderReplaced, WatchedAgain) {
    Watching t;
    t.tree.app("Applications/Plain.app", "com.vendor.plain", "Plain", "Plain"); // leaves nothing
    // Run from the Downloads folder, never installed.
    t.tree.file("home/Library/Preferences/com.web.tool.plist", std::string(2000, 'x'));
    t.tree.app("home/Downloads/Tool.app", "com.web.tool", "Tool", "Tool");
    fs::remove_all(t.home / ".local");
    ASSERT_TRUE(t.start());

    if (GetParam())
        fs::rename(t.applications, t.tree / "Applications.old");
    else
        fs::remove_all(t.applications);
    // The watcher looks while the folder is missing, tells of something else, and has
    // gone quiet (its writes make it look once more, a quarter second later) before the
    // folder comes back. Only a watcher that goes deaf needs the pause to show it.
    ASSERT_TRUE(t.waitForGone({"com.vendor.plain"}));
    fs::create_directories(t.trash);
    fs::rename(t.home / "Downloads/Tool.app", t.trash / "Tool.app");
    ASSERT_TRUE(waitUntil([&] { return !t.bus->notices().empty(); })) << "the new Trash unseen";
    EXPECT_EQ(t.bus->field(0, "body"), "It left one item behind (2 KB).");
    QThread::msleep(1000);
    t.appWithLeftovers("Utilities/Tools/Extra/Meter", "com.vendor.meter");
    ASSERT_TRUE(waitUntil([&] { return t.remembered("com.vendor.meter") != nullptr; }))
        << "the new folder's application was never seen";

    // Idle again: no other look would find it.
    QThread::msleep(1500);
    fs::remove_all(t.applications / "Utilities/Tools/Extra/Meter.app");
    ASSERT_TRUE(waitUntil([&] { return t.bus->notices().size() == 2; }))
        << "deaf after the folder was replaced, or to its deepest folders";
    EXPECT_EQ(t.bus->fields("summary"), "Tool was removed | Meter was removed");
}

INSTANTIATE_TEST_SUITE_P(Watcher, ApplicationsFolderReplaced, ::testing::Bool(),
                         [](const auto &info) {
                             return info.param ? "RenamedAwayAndMadeAgain" : "DeletedAndMadeAgain";
                         });

// Between two looks: renames and updates by a move (the old bundle to the Trash or
// elsewhere, the new one in, at the same name or another) are no removals; a bundle moved
// away with another application copied in under its name before the watcher looked is
// one, whose review never reaches the newcomer. The snapshot on the disk ends as a full
// listing of the folder from the first one makes it.
TEST(WatcherChanges, MovesUpdatesAndAReplacement_OnlyTheReplacedOneTold_SnapshotAsListed) {
    struct Move {
        std::string name;
        const char *oldTo, *newName; // below the tree; the update's, none for a rename
    };
    const std::vector<Move> moves{
        {"mover1", "Applications/mover1 Pro.app", nullptr},
        {"mover2", "home/.local/share/Trash/files/mover2.app", "mover2.app"},
        {"mover3", "old/mover3.app", "mover3.app"},
        {"mover4", "home/.local/share/Trash/files/mover4.app", "mover4 2.app"}};
    Watching t;
    // Gone without leftovers: remembered, not told.
    t.tree.app("Applications/Utilities/Meter.app", "com.vendor.meter");
    t.tree.app("Applications/Viewer.app", "com.vendor.viewer");
    t.tree.app("Applications/Trashed.app", "com.vendor.trashed");
    t.appsWithLeftovers({"Editor", "mover1", "mover2", "mover3", "mover4"});
    for (const Move &m : moves)
        t.tree.app("Downloads/" + m.name + ".app", "com.vendor." + m.name);
    ASSERT_TRUE(t.start());
    const fs::path file = snapshotFile(t.settingsFolder);
    const ApplicationSnapshot first = readSnapshot(file);

    for (const Move &m : moves) {
        fs::create_directories((t.tree / m.oldTo).parent_path());
        fs::rename(t.applications / (m.name + ".app"), t.tree / m.oldTo);
        if (m.newName)
            fs::rename(t.tree / "Downloads" / (m.name + ".app"), t.applications / m.newName);
    }
    fs::rename(t.applications / "Editor.app", t.tree / "Editor.app");
    t.tree.app("Applications/Editor.app", "com.attack.editor", "Editor", "Editor");
    fs::rename(t.applications / "Trashed.app", t.trash / "Trashed.app");
    fs::remove_all(t.applications / "Viewer.app");
    fs::remove_all(t.applications / "Utilities/Meter.app");
    t.tree.app("Applications/Utilities/Gauge.app", "com.vendor.gauge");
    ASSERT_TRUE(t.waitForGone(
        {"com.vendor.editor", "com.vendor.trashed", "com.vendor.viewer", "com.vendor.meter"}));
    for (const Move &m : moves) {
        SCOPED_TRACE(m.name);
        const auto record = t.remembered(("com.vendor." + m.name).c_str());
        ASSERT_TRUE(record);
        EXPECT_EQ(record->url(), m.newName ? t.applications / m.newName : t.tree / m.oldTo);
    }
    ASSERT_TRUE(t.remembered("com.vendor.editor") && t.remembered("com.attack.editor"));
    EXPECT_FALSE(t.remembered("com.vendor.editor")->url()) << "the review reaches the newcomer";
    EXPECT_EQ(t.remembered("com.attack.editor")->url(), t.applications / "Editor.app");

    // One more look, for a change that is no removal: still nothing else told.
    t.tree.app("Applications/Late.app", "com.vendor.late");
    ASSERT_TRUE(waitUntil([&] { return t.remembered("com.vendor.late") != nullptr; }));
    EXPECT_EQ(t.bus->fields("summary"), "Editor was removed");
    EXPECT_EQ(t.bus->field(0, "body"), "It left one item behind (3 KB).");

    TestSettings settings;
    InstalledBundles installed(settings);
    installed.refresh(t.applications);
    ApplicationSnapshot expected =
        refreshSnapshot(first, t.applications, installed.applications(), {}, [](const QString &) {
            return false;
        }).snapshot;
    const ApplicationSnapshot written = readSnapshot(file);
    // Written to the second: the time each was noticed is the watcher's own.
    ASSERT_EQ(written.applications.size(), expected.applications.size());
    for (size_t i = 0; i < written.applications.size(); ++i)
        expected.applications[i].goneSince = written.applications[i].goneSince;
    EXPECT_TRUE(sameSnapshot(written, expected));
}

// Switching the watcher off must not keep the preferences waiting for it to end. The
// watcher here lingers two seconds once asked, unless the test has looked before: a
// switch that waits for its end (as it once did, for up to three seconds) sees it gone,
// and a busy machine has two seconds, not one, to return from the switch. Its pid file
// was left behind by a process that died: our own pid in it, but nobody held the lock.
TEST(AutostartEntry, SwitchedOff_ReturnsBeforeASlowWatcherEnds_WhichThenEnds) {
    TreeBuilder tree;
    const fs::path pidFile = tree.file("w.pid", std::to_string(getpid()) + "\n");
    EXPECT_FALSE(platform::PidFile::holder(pidFile));
    EXPECT_TRUE(platform::PidFile::stopHolder(pidFile, 100))
        << "nothing to stop, nothing signalled";
    int release[2];
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGTERM, [](int) { g_askedToEnd = 1; });
        const auto held = platform::PidFile::acquire(pidFile);
        for (int i = 0; held && !g_askedToEnd; ++i)
            if (i == 2000)
                _exit(2); // never asked
            else
                usleep(10 * 1000);
        pollfd released{release[0], POLLIN, 0};
        poll(&released, 1, 2 * 1000);
        _exit(held ? 0 : 1);
    }
    ASSERT_TRUE(waitUntil([&] { return platform::PidFile::holder(pidFile) == child; }));
    EXPECT_FALSE(platform::PidFile::acquire(pidFile)) << "one holder at a time";
    auto item = platform::makeWatcherLoginItem({QStringLiteral("/bin/false"), {}, pidFile, {}});

    EXPECT_TRUE(item->setEnabled(false));
    EXPECT_TRUE(platform::PidFile::holder(pidFile))
        << "switching off waited for the watcher to end";
    ASSERT_EQ(write(release[1], "x", 1), 1);
    EXPECT_TRUE(waitUntil([&] { return !platform::PidFile::holder(pidFile); }, 15000))
        << "the watcher was not asked to end";
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the watcher was never asked";
    close(release[0]);
    close(release[1]);
}

TEST(AutostartEntry, ExecLine_QuotesWhatTheDesktopFormatReserves) {
    // Quoted, with " ` $ \ escaped inside, the backslashes doubled again for the key
    // file, and a percent sign doubled.
    EXPECT_EQ(platform::execLine(QStringLiteral("/a b/spider"),
                                 {QStringLiteral("$x\"y\\z"), QStringLiteral("50%")}),
              QStringLiteral("\"/a b/spider\" \"\\\\$x\\\\\"y\\\\\\\\z\" 50%%"));
    EXPECT_EQ(platform::execLine(QStringLiteral("/s"), {QString()}), QStringLiteral("/s \"\""));
    // A newline would start a key of its own: such a command is not written at all.
    EXPECT_FALSE(platform::execLine(QStringLiteral("/s"), {QStringLiteral("a\nHidden=true")}));
}

TEST(AutostartEntry, SwitchedOnAndOff_EntryAndWatcherComeAndGo) {
    WatchedTree t;
    const fs::path pidFile = platform::watcherPidFile(t.settingsFolder);
    // The folders granted for this run only reach the watcher started now, never the entry.
    auto item = platform::makeWatcherLoginItem({QStringLiteral(ZEMBRA_SPIDER_PATH),
                                                t.folderArguments().mid(4), pidFile,
                                                t.folderArguments().mid(0, 4)});
    const fs::path entry = platform::autostartEntryFile(platform::kWatcherIdentifier).toStdString();
    EXPECT_EQ(entry.filename(), "com.Torvan.Belquist.Uninstaller-zembra-Spider.desktop");

    ASSERT_TRUE(item->setEnabled(true));
    const std::string text = readFile(entry);
    EXPECT_NE(text.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
    EXPECT_NE(
        text.find("\nExec=" ZEMBRA_SPIDER_PATH " --settings-dir " + t.settings.native() + "\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find("--applications"), std::string::npos) << text;
    ASSERT_TRUE(waitUntil([&] { return platform::PidFile::holder(pidFile).has_value(); }))
        << "the watcher did not start";
    const long pid = *platform::PidFile::holder(pidFile);
    ASSERT_TRUE(item->setEnabled(true));
    EXPECT_EQ(platform::PidFile::holder(pidFile), pid) << "switched on again: the same watcher";

    ASSERT_TRUE(item->setEnabled(false));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_TRUE(waitUntil([&] { return !fs::exists(pidFile); }))
        << "the watcher did not end cleanly, taking its pid file along";
    EXPECT_TRUE(item->setEnabled(false)) << "switching off twice is fine";
}

TEST(TrashFolder, GivenHome_KeepsItsOwnTrash_TheUsersHomeFollowsXdgDataHome) {
    TreeBuilder tree;
    const fs::path home = qEnvironmentVariable("HOME").toStdString();
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((tree / "data").native()));
    EXPECT_EQ(platform::trashFilesFolder(tree / "demo-home"),
              tree / "demo-home/.local/share/Trash/files");
    EXPECT_EQ(platform::trashFilesFolder(home), tree / "data/Trash/files");
    qputenv("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(platform::trashFilesFolder(home), home / ".local/share/Trash/files");
    qputenv("XDG_DATA_HOME", data);
}
