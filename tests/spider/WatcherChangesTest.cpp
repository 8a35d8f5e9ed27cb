// The watcher as a real process, on what changes between two of its looks: a bundle
// renamed, replaced by another application or by its update, and what the snapshot ends as.

#include "catalogue/ApplicationSnapshot.h"
#include "catalogue/InstalledBundles.h"
#include "spider/SpiderProcess.h"

#include <QThread>

#include <gtest/gtest.h>

using namespace zembra::test;

// Moved away and another application copied in under the same name before the watcher
// looked: the one that left is announced, and its review never reaches the newcomer.
TEST(WatcherChanges, BundleReplacedByAnotherApplication_OldOneIsRemoved) {
    Watching w;
    auto &t = w.t;
    t.appsWithLeftovers({"Editor", "Viewer"});
    ASSERT_TRUE(w.start());

    fs::rename(t.applications / "Editor.app", t.tree / "Editor.app");
    t.tree.app("Applications/Editor.app", "com.attack.editor", "Editor", "Editor");
    ASSERT_TRUE(waitUntil([&] { return !w.bus->notices().empty(); }));
    EXPECT_EQ(w.bus->summaries(), std::vector<QString>{QStringLiteral("Editor was removed")});
    EXPECT_EQ(w.bus->notices()[0].value("body").toString(),
              QStringLiteral("It left one item behind (3 KB)."));
    ASSERT_TRUE(t.waitForGone({"com.vendor.editor"})) << "written after the notice";
    const auto review = t.remembered(QStringLiteral("com.vendor.editor"));
    ASSERT_TRUE(review);
    EXPECT_FALSE(review->url()) << "the review must not list the newcomer's bundle";
    const auto newcomer = t.remembered(QStringLiteral("com.attack.editor"));
    ASSERT_TRUE(newcomer);
    EXPECT_EQ(newcomer->url(), t.applications / "Editor.app");
}

// A rename, or an update that replaces a bundle by a move: the old bundle out (to the
// Trash, or elsewhere), the new one in, at the same name or another. Nothing was removed.
struct MoveCase {
    const char *name;
    const char *oldTo;   // below the tree
    const char *newName; // the update's, in the Applications folder; none for a rename
};

void PrintTo(const MoveCase &c, std::ostream *out) {
    *out << c.name;
}

class UpdateByMove : public ::testing::TestWithParam<MoveCase> {};

TEST_P(UpdateByMove, IsNotARemoval) {
    const MoveCase &c = GetParam();
    Watching w;
    auto &t = w.t;
    t.appsWithLeftovers({"Editor", "Viewer"});
    const fs::path update =
        t.tree.app("Downloads/Editor.app", "com.vendor.editor", "Editor", "Editor");
    ASSERT_TRUE(w.start());

    fs::create_directories((t.tree / c.oldTo).parent_path());
    fs::rename(t.applications / "Editor.app", t.tree / c.oldTo);
    if (c.newName)
        fs::rename(update, t.applications / c.newName);
    const fs::path now = c.newName ? t.applications / c.newName : t.tree / c.oldTo;
    ASSERT_TRUE(waitUntil([&] {
        const auto editor = t.remembered(QStringLiteral("com.vendor.editor"));
        return editor && editor->url() == now;
    })) << "the record follows the bundle";
    // A removal afterwards is told alone.
    fs::remove_all(t.applications / "Viewer.app");
    ASSERT_TRUE(waitUntil([&] { return !w.bus->notices().empty(); }));
    EXPECT_EQ(w.bus->summaries(), std::vector<QString>{QStringLiteral("Viewer was removed")});
    EXPECT_TRUE(t.waitForGone({"com.vendor.viewer"})) << "written after the notice";
}

INSTANTIATE_TEST_SUITE_P(
    WatcherChanges, UpdateByMove,
    ::testing::Values(
        MoveCase{"RenamedInPlace", "Applications/Editor Pro.app", nullptr},
        MoveCase{"OldToTrashSameName", "home/.local/share/Trash/files/Editor.app", "Editor.app"},
        MoveCase{"OldElsewhereSameName", "old/Editor.app", "Editor.app"},
        MoveCase{"OldToTrashNewName", "home/.local/share/Trash/files/Editor.app", "Editor 2.app"}),
    [](const auto &info) { return std::string(info.param.name); });

// The list reads one level deeper in Utilities than elsewhere: a removal there is seen
// when it happens, not at the next unrelated change.
TEST(WatcherChanges, RemovalThreeLevelsDownInUtilities_IsSeen) {
    Watching w;
    auto &t = w.t;
    t.appsWithLeftovers({"Viewer"});
    t.tree.file("home/Library/Preferences/com.vendor.meter.plist", std::string(3000, 'x'));
    t.tree.app("Applications/Utilities/Tools/Extra/Meter.app", "com.vendor.meter", "Meter");
    ASSERT_TRUE(w.start());

    // Removed once the first burst is over, and the watcher idle: no other look would find
    // it but the one the watch on its folder starts.
    fs::remove_all(t.applications / "Viewer.app");
    ASSERT_TRUE(waitUntil([&] { return w.bus->notices().size() == 1; }));
    QThread::msleep(1500);
    fs::remove_all(t.applications / "Utilities/Tools/Extra/Meter.app");
    ASSERT_TRUE(waitUntil([&] { return w.bus->notices().size() == 2; }));
    EXPECT_EQ(w.bus->summaries()[1], QStringLiteral("Meter was removed"));
}

// Removals told at once and written after, a rename and a new bundle: the snapshot on the
// disk ends as a full listing of the folder from the first one makes it.
TEST(WatcherChanges, SnapshotAfterChanges_EqualsOneMadeFromAFullListing) {
    Watching w;
    auto &t = w.t;
    for (int i = 0; i < 20; ++i)
        t.tree.app("Applications/Tool " + std::to_string(i) + ".app",
                   "com.tools.t" + std::to_string(i));
    t.tree.app("Applications/Utilities/Meter.app", "com.vendor.meter");
    t.appsWithLeftovers({"Editor", "Viewer"});
    ASSERT_TRUE(w.start());
    const fs::path file = zembra::snapshotFile(QString::fromStdString(t.settings.native()));
    const zembra::ApplicationSnapshot first = zembra::readSnapshot(file);

    fs::rename(t.applications / "Editor.app", t.trash / "Editor.app");
    fs::remove_all(t.applications / "Viewer.app");
    fs::rename(t.applications / "Tool 3.app", t.applications / "Tool 3 Pro.app");
    t.tree.app("Applications/Utilities/Gauge.app", "com.vendor.gauge");
    fs::remove_all(t.applications / "Utilities/Meter.app");
    ASSERT_TRUE(t.waitForGone({"com.vendor.editor", "com.vendor.viewer", "com.vendor.meter"}));
    ASSERT_TRUE(
        waitUntil([&] { return t.remembered(QStringLiteral("com.vendor.gauge")) != nullptr; }));

    TestSettings settings;
    zembra::InstalledBundles installed(settings);
    installed.refresh(t.applications);
    zembra::ApplicationSnapshot expected =
        zembra::refreshSnapshot(first, t.applications, installed.applications(), {},
                                [](const QString &) { return false; })
            .snapshot;
    const zembra::ApplicationSnapshot written = zembra::readSnapshot(file);
    // Written to the second: the time each was noticed is the watcher's own.
    ASSERT_EQ(written.applications.size(), expected.applications.size());
    for (size_t i = 0; i < written.applications.size(); ++i)
        expected.applications[i].goneSince = written.applications[i].goneSince;
    EXPECT_TRUE(zembra::sameSnapshot(written, expected));
}
