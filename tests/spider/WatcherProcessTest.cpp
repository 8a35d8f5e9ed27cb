// The watcher as a real process on a temporary tree, with a private session bus and a
// stand-in notification service.

#include "catalogue/ApplicationSnapshot.h"
#include "preferences/PreferenceKeys.h"
#include "spider/SpiderProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sys/stat.h>

using namespace zembra::test;
namespace preferences = zembra::preferences;

namespace {

bool contains(const std::vector<std::string> &v, const std::string &s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

void moveToTrash(const WatchedTree &t, const std::string &name) {
    fs::rename(t.applications / (name + ".app"), t.trash / (name + ".app"));
}

} // namespace

TEST(Watcher, BundleMovedToTrash_NotifiesNameAndWeightWithReviewAction) {
    WatchingTwoApplications w;
    ASSERT_TRUE(w.start());
    auto &[t, bus, watcher] = w;
    EXPECT_TRUE(bus.notices().empty()) << "the first look announces nothing";

    moveToTrash(t, "Editor");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }))
        << "no notice within five seconds";
    const auto notices = bus.notices();
    ASSERT_EQ(notices.size(), 1u) << "leaving the folder and arriving in the Trash is one removal";
    EXPECT_EQ(notices[0].value("summary").toString(), QStringLiteral("Editor was removed"));
    EXPECT_EQ(notices[0].value("body").toString(),
              QStringLiteral("It left one item behind (3 KB)."));
    EXPECT_TRUE(notices[0].value("actions").toArray().contains(QStringLiteral("Review leftovers")));
    // Written after the notice.
    EXPECT_TRUE(
        waitUntil([&] { return t.goneKeys() == std::vector<std::string>{"com.vendor.editor"}; }));
    EXPECT_TRUE(watcher->running());
}

// An update whose new copy lands after the watcher told the old one's removal: within the
// burst, the notice names only what is still gone, and is taken down when nothing is.
TEST(Watcher, RemovedApplicationBackWithinTheBurst_ItsNoticeIsReplacedOrTakenDown) {
    WatchingTwoApplications w;
    ASSERT_TRUE(w.start());
    auto &[t, bus, watcher] = w;
    const fs::path away = t.tree.dir("staging");
    const auto takeAway = [&](const char *name) {
        fs::rename(t.applications / (std::string(name) + ".app"),
                   away / (std::string(name) + ".app"));
    };
    const auto putBack = [&](const char *name) {
        fs::rename(away / (std::string(name) + ".app"),
                   t.applications / (std::string(name) + ".app"));
    };

    takeAway("Editor");
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 1; }));
    takeAway("Viewer");
    putBack("Editor");
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 2; }));
    EXPECT_EQ(bus.shown().at(0).value("summary").toString(), QStringLiteral("Viewer was removed"));
    EXPECT_EQ(bus.notices()[1].value("replaces"), bus.notices()[0].value("id"));

    // A new burst whose only application comes back: its notice goes.
    takeAway("Editor");
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 3; }));
    putBack("Editor");
    ASSERT_TRUE(waitUntil([&] { return !bus.closed().empty(); }))
        << "the notice of an application that is back stays up";
    EXPECT_EQ(bus.closed().front().value("closed"), bus.notices()[2].value("id"));
    EXPECT_EQ(bus.notices().size(), 3u);
}

TEST(Watcher, NotificationSwitches_SilenceNoticesAndAreReadAgainWhenChanged) {
    WatchedTree t;
    t.appWithLeftovers("Editor", "com.vendor.editor");
    t.appWithLeftovers("Viewer", "com.vendor.viewer");
    t.appWithLeftovers("Player", "com.vendor.player");
    t.setSuiteSwitch(preferences::kDisabelRemoveNotification, 1);
    PrivateBus bus(t.tree);
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());

    // Silenced: the removal is remembered, but nothing is shown.
    moveToTrash(t, "Editor");
    ASSERT_TRUE(waitUntil([&] { return contains(t.goneKeys(), "com.vendor.editor"); }));

    // Every notification off, the removal notices on again: still silent.
    t.setSuiteSwitch(preferences::kDisableNotification, 1);
    t.setSuiteSwitch(preferences::kDisabelRemoveNotification, 0);
    fs::remove_all(t.applications / "Viewer.app");
    ASSERT_TRUE(waitUntil([&] { return contains(t.goneKeys(), "com.vendor.viewer"); }));

    t.setSuiteSwitch(preferences::kDisableNotification, 0);
    moveToTrash(t, "Player");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    const auto notices = bus.notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].value("summary").toString(), QStringLiteral("Player was removed"));
}

TEST(Watcher, RemovedThroughTheCommandLine_StaysSilentAndForgetsIt) {
    WatchingTwoApplications w;
    ASSERT_TRUE(w.start());
    auto &[t, bus, watcher] = w;

    QProcess cli;
    cli.setProcessEnvironment(isolatedEnvironment(t.tree));
    cli.start(QStringLiteral(ZEMBRA_CLI_PATH),
              {QStringLiteral("remove"),
               QString::fromStdString((t.applications / "Editor.app").native()),
               QStringLiteral("--yes"), QStringLiteral("--applications"),
               QString::fromStdString(t.applications.native()), QStringLiteral("--home"),
               QString::fromStdString(t.home.native()), QStringLiteral("--settings-dir"),
               QString::fromStdString(t.settings.native())});
    ASSERT_TRUE(cli.waitForFinished(10000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    ASSERT_FALSE(fs::exists(t.applications / "Editor.app"));

    // A removal by hand afterwards is seen, so the watcher did look at the first one.
    moveToTrash(t, "Viewer");
    ASSERT_TRUE(waitUntil([&] { return contains(t.goneKeys(), "com.vendor.viewer"); }));
    // Written after the notice.
    EXPECT_TRUE(
        waitUntil([&] { return t.goneKeys() == std::vector<std::string>{"com.vendor.viewer"}; }));
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 1; }));
    EXPECT_EQ(bus.notices()[0].value("summary").toString(), QStringLiteral("Viewer was removed"));
}

TEST(Watcher, ReviewAction_OpensTheApplicationOnTheRememberedRecord) {
    WatchedTree t;
    t.appWithLeftovers("Editor", "com.vendor.editor");
    // The watcher finds the application beside itself: a copy with a recording stand-in.
    const fs::path bin = t.tree.dir("bin");
    fs::copy_file(ZEMBRA_SPIDER_PATH, bin / "zembra-spider");
    const fs::path record = t.tree / "review-arguments";
    {
        std::ofstream gui(bin / "uninstaller-zembra");
        gui << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << record.native() << ".tmp' && mv '"
            << record.native() << ".tmp' '" << record.native() << "'\n";
    }
    fs::permissions(bin / "uninstaller-zembra", fs::perms::owner_all);
    PrivateBus bus(t.tree, {QStringLiteral("--invoke"), QStringLiteral("review")});
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus, QString::fromStdString((bin / "zembra-spider").native()));
    ASSERT_TRUE(watcher.started());

    moveToTrash(t, "Editor");
    ASSERT_TRUE(waitUntil([&] { return fs::exists(record); })) << "the review was not opened";
    const std::string expected = "--review-remembered=com.vendor.editor\n--applications\n" +
                                 t.applications.native() + "\n--home\n" + t.home.native() +
                                 "\n--settings-dir\n" + t.settings.native() + "\n";
    EXPECT_EQ(readFile(record), expected);
}

TEST(Watcher, WithoutNotificationServiceOrBus_KeepsWatchingSilently) {
    WatchedTree t;
    t.appWithLeftovers("Editor", "com.vendor.editor");
    t.appWithLeftovers("Viewer", "com.vendor.viewer");
    {
        PrivateBus bus(t.tree, {QStringLiteral("--no-service")});
        ASSERT_TRUE(bus.ready());
        WatcherProcess watcher(t, &bus);
        ASSERT_TRUE(watcher.started());
        moveToTrash(t, "Editor");
        ASSERT_TRUE(waitUntil([&] { return contains(t.goneKeys(), "com.vendor.editor"); }));
        EXPECT_TRUE(watcher.running());
    }
    WatcherProcess watcher(t, nullptr);
    ASSERT_TRUE(watcher.started());
    moveToTrash(t, "Viewer");
    ASSERT_TRUE(waitUntil([&] { return contains(t.goneKeys(), "com.vendor.viewer"); }));
    EXPECT_TRUE(watcher.running());
}

TEST(Watcher, SecondCopyForOneSettingsFolder_Refuses) {
    WatchedTree t;
    WatcherProcess first(t, nullptr);
    ASSERT_TRUE(first.started());
    WatcherProcess second(t, nullptr);
    ASSERT_TRUE(second.process().waitForFinished(5000));
    EXPECT_EQ(second.process().exitCode(), 1);
    EXPECT_TRUE(first.running());
}

TEST(Watcher, DownloadedApplicationThrownIntoATrashMadeLater_Notified) {
    WatchedTree t;
    t.appWithLeftovers("Viewer", "com.vendor.viewer");
    // Run from the Downloads folder, never installed; the Trash does not exist yet.
    t.tree.file("home/Library/Preferences/com.web.tool.plist", std::string(2000, 'x'));
    t.tree.app("home/Downloads/Tool.app", "com.web.tool", "Tool", "Tool");
    fs::remove_all(t.home / ".local");
    PrivateBus bus(t.tree);
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());

    fs::create_directories(t.trash);
    fs::rename(t.home / "Downloads/Tool.app", t.trash / "Tool.app");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }))
        << "no notice within five seconds";
    EXPECT_EQ(bus.notices()[0].value("summary").toString(), QStringLiteral("Tool was removed"));
    EXPECT_EQ(bus.notices()[0].value("body").toString(),
              QStringLiteral("It left one item behind (2 KB)."));
    // Written after the notice.
    EXPECT_TRUE(
        waitUntil([&] { return t.goneKeys() == std::vector<std::string>{"com.web.tool"}; }));
}

// A settings folder the watcher cannot use safely: it says why and does not run, never
// "already running", and touches nothing a link points at.
TEST(Watcher, SettingsFolderWithLinkOrAsLink_RefusesSayingWhy) {
    for (const std::string linked : {"settings/zembra-spider.pid", "settings"}) {
        SCOPED_TRACE(linked);
        WatchedTree t;
        const auto outside = t.tree.file("elsewhere/precious.txt", "precious");
        if (linked == "settings")
            fs::remove(t.settings);
        fs::create_symlink(linked == "settings" ? outside.parent_path() : outside, t.tree / linked);
        QProcess watcher;
        watcher.setProcessEnvironment(isolatedEnvironment(t.tree));
        watcher.start(
            QStringLiteral(ZEMBRA_SPIDER_PATH),
            {QStringLiteral("--applications"), QString::fromStdString(t.applications.native()),
             QStringLiteral("--settings-dir"), QString::fromStdString(t.settings.native())});
        ASSERT_TRUE(watcher.waitForFinished(5000));
        EXPECT_EQ(watcher.exitCode(), 1);
        const QString err = QString::fromUtf8(watcher.readAllStandardError());
        EXPECT_TRUE(err.contains(QStringLiteral("is a symbolic link: the watcher does not run")))
            << err.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("already running"))) << err.toStdString();
        EXPECT_EQ(readFile(outside), "precious");
        EXPECT_EQ(entryCount(outside.parent_path()), 1u);
    }
}

TEST(Watcher, ListSettingsSwitchedOff_AnnounceNothing_LeftOutApplicationsWatchedAlike) {
    WatchedTree t;
    t.appWithLeftovers("Editor", "com.vendor.editor");
    t.tree.file("home/Library/Preferences/com.vendor.disksight.plist", std::string(3000, 'x'));
    t.tree.app("Applications/Utilities/DiskSight.app", "com.vendor.disksight", "DiskSight",
               "DiskSight");
    t.appWithLeftovers("Notes", "com.apple.Notes");
    t.setSetting(preferences::kIncludeUtilities, 1);
    t.setSetting(preferences::kIncludeDefaultApps, 1);
    PrivateBus bus(t.tree);
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());

    // The list leaves them out now; they are still on the disk.
    t.setSetting(preferences::kIncludeUtilities, 0);
    t.setSetting(preferences::kIncludeDefaultApps, 0);
    fs::remove_all(t.applications / "Editor.app");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    ASSERT_EQ(bus.notices().size(), 1u);
    EXPECT_EQ(bus.notices()[0].value("summary").toString(), QStringLiteral("Editor was removed"));
    // Written after the notice.
    EXPECT_TRUE(
        waitUntil([&] { return t.goneKeys() == std::vector<std::string>{"com.vendor.editor"}; }));

    // Gone from the disk while the list leaves them out: announced like any other (on a
    // notice of their own, or with Editor's when they left within its burst).
    fs::rename(t.applications / "Utilities/DiskSight.app",
               t.tree.dir("Elsewhere") / "DiskSight.app");
    ASSERT_TRUE(waitUntil([&] { return bus.told(QStringLiteral("DiskSight")); }));
    fs::remove_all(t.applications / "Notes.app");
    ASSERT_TRUE(waitUntil([&] { return bus.told(QStringLiteral("Notes")); }));
}

TEST(Watcher, LeftoversTheReviewWouldKeep_AreNotAnnounced) {
    WatchedTree t;
    // Sketchpad's only leftover is the vendor folder that Sketchpad 2 uses too.
    t.tree.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad");
    t.tree.app("Applications/Sketchpad 2.app", "com.lumina.sketchpad2", "Sketchpad 2",
               "Sketchpad 2");
    t.tree.file("home/Library/Caches/Lumina/cache.db", std::string(205000, 'x'));
    // Editor left its own preferences and a file in that folder.
    t.appWithLeftovers("Editor", "com.vendor.editor");
    t.tree.file("home/Library/Caches/Lumina/com.lumina.sketchpad2.plist", std::string(4000, 'x'));
    PrivateBus bus(t.tree);
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());

    fs::remove_all(t.applications / "Sketchpad.app");
    ASSERT_TRUE(waitUntil([&] { return contains(t.goneKeys(), "com.lumina.sketchpad"); }));
    fs::remove_all(t.applications / "Editor.app");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    ASSERT_TRUE(waitUntil([&] { return contains(t.goneKeys(), "com.vendor.editor"); }));
    const auto notices = bus.notices();
    ASSERT_EQ(notices.size(), 1u) << "nothing of Sketchpad's would go";
    EXPECT_EQ(notices[0].value("summary").toString(), QStringLiteral("Editor was removed"));
    EXPECT_EQ(notices[0].value("body").toString(),
              QStringLiteral("It left one item behind (3 KB)."));
}

class ApplicationsFolderReplaced : public ::testing::TestWithParam<bool> {};

TEST_P(ApplicationsFolderReplaced, WatchedAgain) {
    const bool renamedAway = GetParam();
    WatchedTree t;
    t.tree.app("Applications/Plain.app", "com.vendor.plain", "Plain", "Plain"); // leaves nothing
    t.tree.file("home/Library/Preferences/com.web.tool.plist", std::string(2000, 'x'));
    t.tree.app("home/Downloads/Tool.app", "com.web.tool", "Tool", "Tool");
    PrivateBus bus(t.tree);
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());

    if (renamedAway)
        fs::rename(t.applications, t.tree / "Applications.old");
    else
        fs::remove_all(t.applications);
    // The watcher looks while the folder is missing, tells of something else, and has
    // gone quiet (its writes make it look once more, a quarter second later) before the
    // folder comes back. Only a watcher that goes deaf needs the pause to show it.
    ASSERT_TRUE(waitUntil([&] { return contains(t.goneKeys(), "com.vendor.plain"); }));
    fs::rename(t.home / "Downloads/Tool.app", t.trash / "Tool.app");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    QThread::msleep(1000);
    fs::create_directory(t.applications);
    t.appWithLeftovers("Editor", "com.vendor.editor");
    const QString settings = QString::fromStdString(t.settings.native());
    ASSERT_TRUE(waitUntil([&] {
        const auto snapshot = zembra::readSnapshot(zembra::snapshotFile(settings));
        return std::any_of(
            snapshot.applications.begin(), snapshot.applications.end(), [](const auto &r) {
                return r.installed && r.item->bundle() == QStringLiteral("com.vendor.editor");
            });
    })) << "the new folder's application was never seen";

    fs::remove_all(t.applications / "Editor.app");
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 2; }))
        << "deaf after the folder was replaced";
    EXPECT_EQ(bus.notices()[1].value("summary").toString(), QStringLiteral("Editor was removed"));
}

INSTANTIATE_TEST_SUITE_P(Watcher, ApplicationsFolderReplaced, ::testing::Bool(),
                         [](const auto &info) {
                             return info.param ? "RenamedAwayAndMadeAgain" : "DeletedAndMadeAgain";
                         });

// The first removal is told at once; the rest of the burst (removed after that notice
// was shown) replaces it with one notice for all of them.
TEST(Watcher, BurstOfRemovals_FirstToldAtOnce_ThenOneNoticeThatOpensTheRemovedApplications) {
    WatchedTree t;
    constexpr int kBurst = 30;
    const auto name = [](int i) {
        return QStringLiteral("App %1").arg(i, 2, 10, QLatin1Char('0')).toStdString();
    };
    for (int i = 0; i < kBurst; ++i)
        t.appWithLeftovers(name(i), "com.burst.app" + std::to_string(i));
    t.appWithLeftovers("Zed", "com.vendor.zed");
    const fs::path bin = t.tree.dir("bin");
    fs::copy_file(ZEMBRA_SPIDER_PATH, bin / "zembra-spider");
    const fs::path record = t.tree / "opened";
    {
        std::ofstream gui(bin / "uninstaller-zembra");
        gui << "#!/bin/sh\n{ printf '%s\\n' \"$@\"; echo ==; } >> '" << record.native() << "'\n";
    }
    fs::permissions(bin / "uninstaller-zembra", fs::perms::owner_all);
    PrivateBus bus(t.tree, {QStringLiteral("--invoke"), QStringLiteral("review")});
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus, QString::fromStdString((bin / "zembra-spider").native()));
    ASSERT_TRUE(watcher.started());

    moveToTrash(t, name(0));
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    for (int i = 1; i < kBurst; ++i)
        moveToTrash(t, name(i));
    const QString burst = QStringLiteral("30 applications were removed");
    ASSERT_TRUE(waitUntil([&] { return bus.shown().front().value("summary") == burst; }));
    // One more removal afterwards: a notice of its own.
    moveToTrash(t, "Zed");
    ASSERT_TRUE(waitUntil([&] { return bus.shown().size() == 2; }));

    const auto calls = bus.notices();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].value("summary").toString(), QStringLiteral("App 00 was removed"));
    EXPECT_EQ(calls[0].value("replaces").toInt(), 0);
    EXPECT_EQ(calls[1].value("replaces"), calls[0].value("id")) << "the burst replaces it";
    EXPECT_EQ(calls[2].value("replaces").toInt(), 0);
    const auto shown = bus.shown();
    EXPECT_EQ(shown[0].value("summary").toString(), burst);
    EXPECT_EQ(shown[0].value("body").toString(),
              QStringLiteral("App 00, App 01, App 02 and 27 others left 30 items behind (90 KB)."));
    EXPECT_TRUE(
        shown[0].value("actions").toArray().contains(QStringLiteral("Show removed applications")));
    EXPECT_EQ(shown[1].value("summary").toString(), QStringLiteral("Zed was removed"));

    // The stand-in service presses each notice's action as it arrives.
    const std::string grants = "--applications\n" + t.applications.native() + "\n--home\n" +
                               t.home.native() + "\n--settings-dir\n" + t.settings.native() + "\n";
    const std::string expected = "--review-remembered=com.burst.app0\n" + grants +
                                 "==\n--removed-applications\n" + grants +
                                 "==\n--review-remembered=com.vendor.zed\n" + grants + "==\n";
    ASSERT_TRUE(waitUntil([&] { return readFile(record).size() >= expected.size(); }));
    EXPECT_EQ(readFile(record), expected);
}

TEST(Watcher, OddNames_ShownEscapedAndNeverReadAsMarkup) {
    WatchedTree t;
    const std::string odd = "A<i>d\x1b[2J\n\u202e%1 & Co";
    // The label is the bundle's name on the disk; the property lists stay plain.
    for (const auto &[name, word] :
         {std::pair{odd, "alpha"}, std::pair{std::string("B<b>x"), "beta"}}) {
        const std::string id = "com." + std::string(word) + "soft." + word;
        t.tree.file("home/Library/Preferences/" + id + ".plist", std::string(3000, 'x'));
        t.tree.app("Applications/" + name + ".app", id, word, word);
    }
    t.appWithLeftovers("Zed", "com.vendor.zed");
    PrivateBus bus(t.tree, {QStringLiteral("--markup")});
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());

    moveToTrash(t, odd);
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    // The summary is plain text to the notification service; the body may be markup.
    EXPECT_EQ(bus.notices()[0].value("summary").toString(),
              QStringLiteral("A<i>d\\x1b[2J\\n\\u202e%1 & Co was removed"));

    // Within its burst: one notice for the three, whose body is read as markup.
    moveToTrash(t, "B<b>x");
    moveToTrash(t, "Zed");
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 2; }));
    EXPECT_EQ(bus.notices()[1].value("body").toString(),
              QStringLiteral("A&lt;i&gt;d\\x1b[2J\\n\\u202e%1 &amp; Co, B&lt;b&gt;x and Zed left 3 "
                             "items behind (9 KB)."));
}
