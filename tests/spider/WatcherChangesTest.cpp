// The watcher as a real process, on what changes between two of its looks: one removal
// among many applications, a bundle renamed, a bundle replaced by another application.

#include "catalogue/ApplicationSnapshot.h"
#include "spider/SpiderProcess.h"

#include <QJsonArray>
#include <QThread>

#include <gtest/gtest.h>

using namespace zembra::test;

namespace {

std::vector<QString> summaries(const PrivateBus &bus) {
    std::vector<QString> out;
    for (const QJsonObject &n : bus.notices())
        out.push_back(n.value("summary").toString());
    return out;
}

std::shared_ptr<zembra::ApplicationItem> remembered(const WatchedTree &t, const char *key) {
    return zembra::rememberedApplication(
        zembra::readSnapshot(zembra::snapshotFile(QString::fromStdString(t.settings.native()))),
        QString::fromLatin1(key));
}

} // namespace

TEST(WatcherChanges, OneRemovalAmongMany_IsAnnouncedAlone) {
    WatchedTree t;
    for (int i = 0; i < 300; ++i)
        t.tree.app("Applications/Tool " + std::to_string(i) + ".app",
                   "com.tools.t" + std::to_string(i));
    t.tree.app("Applications/Group/Grouped.app", "com.tools.grouped");
    t.appWithLeftovers("Editor", "com.vendor.editor");
    PrivateBus bus(t.tree);
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());

    fs::rename(t.applications / "Editor.app", t.trash / "Editor.app");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    const auto notices = bus.notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].value("summary").toString(), QStringLiteral("Editor was removed"));
    EXPECT_EQ(notices[0].value("body").toString(),
              QStringLiteral("It left one item behind (3 KB)."));
    EXPECT_TRUE(notices[0].value("actions").toArray().contains(QStringLiteral("Review leftovers")));
    EXPECT_EQ(t.goneKeys(), std::vector<std::string>{"com.vendor.editor"});
}

TEST(WatcherChanges, RenamedBundle_IsNotARemoval) {
    WatchedTree t;
    t.appWithLeftovers("Editor", "com.vendor.editor");
    t.appWithLeftovers("Viewer", "com.vendor.viewer");
    PrivateBus bus(t.tree);
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());

    fs::rename(t.applications / "Editor.app", t.applications / "Editor Pro.app");
    ASSERT_TRUE(waitUntil([&] {
        const auto editor = remembered(t, "com.vendor.editor");
        return editor && editor->url() == t.applications / "Editor Pro.app";
    })) << "the record follows the bundle to its new name";
    // A removal afterwards is told alone: the rename was not one.
    fs::remove_all(t.applications / "Viewer.app");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    EXPECT_EQ(summaries(bus), std::vector<QString>{QStringLiteral("Viewer was removed")});
    EXPECT_EQ(t.goneKeys(), std::vector<std::string>{"com.vendor.viewer"});
}

// Moved away and another application copied in under the same name before the watcher
// looked: the one that left is announced, and its review never reaches the newcomer.
TEST(WatcherChanges, BundleReplacedByAnotherApplication_OldOneIsRemoved) {
    WatchedTree t;
    t.appWithLeftovers("Editor", "com.vendor.editor");
    t.appWithLeftovers("Viewer", "com.vendor.viewer");
    PrivateBus bus(t.tree);
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());

    fs::rename(t.applications / "Editor.app", t.tree / "Editor.app");
    t.tree.app("Applications/Editor.app", "com.attack.editor", "Editor", "Editor");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    EXPECT_EQ(summaries(bus), std::vector<QString>{QStringLiteral("Editor was removed")});
    EXPECT_EQ(bus.notices()[0].value("body").toString(),
              QStringLiteral("It left one item behind (3 KB)."));
    EXPECT_EQ(t.goneKeys(), std::vector<std::string>{"com.vendor.editor"});
    const auto review = remembered(t, "com.vendor.editor");
    ASSERT_TRUE(review);
    EXPECT_FALSE(review->url()) << "the review must not list the newcomer's bundle";
    const auto newcomer = remembered(t, "com.attack.editor");
    ASSERT_TRUE(newcomer);
    EXPECT_EQ(newcomer->url(), t.applications / "Editor.app");
}

// The list reads one level deeper in Utilities than elsewhere: a removal there is seen
// when it happens, not at the next unrelated change.
TEST(WatcherChanges, RemovalThreeLevelsDownInUtilities_IsSeen) {
    WatchedTree t;
    t.tree.file("home/Library/Preferences/com.vendor.meter.plist", std::string(3000, 'x'));
    t.tree.app("Applications/Utilities/Tools/Extra/Meter.app", "com.vendor.meter", "Meter",
               "Meter");
    t.appWithLeftovers("Viewer", "com.vendor.viewer");
    PrivateBus bus(t.tree);
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());

    // Removed once the watcher is idle: its own writes to the settings folder (the
    // snapshot, the settings' lock file) wake it for one more look shortly after a notice,
    // and that look would find the removal whether the folder is watched or not.
    fs::remove_all(t.applications / "Viewer.app");
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 1; }));
    QThread::msleep(1500);
    fs::remove_all(t.applications / "Utilities/Tools/Extra/Meter.app");
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 2; }));
    EXPECT_EQ(summaries(bus), (std::vector<QString>{QStringLiteral("Viewer was removed"),
                                                    QStringLiteral("Meter was removed")}));
}
