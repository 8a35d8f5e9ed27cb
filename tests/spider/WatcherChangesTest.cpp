// The watcher as a real process, on what changes between two of its looks: a bundle
// renamed, replaced by another application or by its update, and what the snapshot ends as.

#include "catalogue/ApplicationSnapshot.h"
#include "catalogue/InstalledBundles.h"
#include "spider/SpiderProcess.h"

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

TEST(WatcherChanges, RenamedBundle_IsNotARemoval) {
    WatchingTwoApplications w;
    ASSERT_TRUE(w.start());
    auto &[t, bus, watcher] = w;

    fs::rename(t.applications / "Editor.app", t.applications / "Editor Pro.app");
    ASSERT_TRUE(waitUntil([&] {
        const auto editor = remembered(t, "com.vendor.editor");
        return editor && editor->url() == t.applications / "Editor Pro.app";
    })) << "the record follows the bundle to its new name";
    // A removal afterwards is told alone: the rename was not one.
    fs::remove_all(t.applications / "Viewer.app");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    EXPECT_EQ(summaries(bus), std::vector<QString>{QStringLiteral("Viewer was removed")});
    // Written after the notice.
    EXPECT_TRUE(
        waitUntil([&] { return t.goneKeys() == std::vector<std::string>{"com.vendor.viewer"}; }));
}

// Moved away and another application copied in under the same name before the watcher
// looked: the one that left is announced, and its review never reaches the newcomer.
TEST(WatcherChanges, BundleReplacedByAnotherApplication_OldOneIsRemoved) {
    WatchingTwoApplications w;
    ASSERT_TRUE(w.start());
    auto &[t, bus, watcher] = w;

    fs::rename(t.applications / "Editor.app", t.tree / "Editor.app");
    t.tree.app("Applications/Editor.app", "com.attack.editor", "Editor", "Editor");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    EXPECT_EQ(summaries(bus), std::vector<QString>{QStringLiteral("Editor was removed")});
    EXPECT_EQ(bus.notices()[0].value("body").toString(),
              QStringLiteral("It left one item behind (3 KB)."));
    // Written after the notice.
    EXPECT_TRUE(
        waitUntil([&] { return t.goneKeys() == std::vector<std::string>{"com.vendor.editor"}; }));
    const auto review = remembered(t, "com.vendor.editor");
    ASSERT_TRUE(review);
    EXPECT_FALSE(review->url()) << "the review must not list the newcomer's bundle";
    const auto newcomer = remembered(t, "com.attack.editor");
    ASSERT_TRUE(newcomer);
    EXPECT_EQ(newcomer->url(), t.applications / "Editor.app");
}

// An update that replaces a bundle by a move: the old bundle out (to the Trash, or
// elsewhere), the new one in, at the same name or another. Nothing was removed.
struct UpdateCase {
    const char *name;
    bool oldToTrash;
    const char *newName;
};

void PrintTo(const UpdateCase &c, std::ostream *out) {
    *out << c.name;
}

class UpdateByMove : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(UpdateByMove, IsNotARemoval) {
    WatchedTree t;
    t.appWithLeftovers("Editor", "com.vendor.editor");
    t.appWithLeftovers("Viewer", "com.vendor.viewer");
    const fs::path update =
        t.tree.app("Downloads/Editor.app", "com.vendor.editor", "Editor", "Editor");
    PrivateBus bus(t.tree);
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());

    fs::rename(t.applications / "Editor.app",
               (GetParam().oldToTrash ? t.trash : t.tree.dir("old")) / "Editor.app");
    fs::rename(update, t.applications / GetParam().newName);
    ASSERT_TRUE(waitUntil([&] {
        const auto editor = remembered(t, "com.vendor.editor");
        return editor && editor->url() == t.applications / GetParam().newName;
    }));
    // A removal afterwards is told alone: the update was not one.
    fs::remove_all(t.applications / "Viewer.app");
    ASSERT_TRUE(waitUntil([&] { return !bus.notices().empty(); }));
    EXPECT_EQ(summaries(bus), std::vector<QString>{QStringLiteral("Viewer was removed")});
    // Written after the notice.
    EXPECT_TRUE(
        waitUntil([&] { return t.goneKeys() == std::vector<std::string>{"com.vendor.viewer"}; }));
}

INSTANTIATE_TEST_SUITE_P(WatcherChanges, UpdateByMove,
                         ::testing::Values(UpdateCase{"OldToTrashSameName", true, "Editor.app"},
                                           UpdateCase{"OldElsewhereSameName", false, "Editor.app"},
                                           UpdateCase{"OldToTrashNewName", true, "Editor 2.app"}),
                         [](const auto &info) { return std::string(info.param.name); });

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

    // Removed once the first burst is over, and the watcher idle: no other look would find
    // it but the one the watch on its folder starts.
    fs::remove_all(t.applications / "Viewer.app");
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 1; }));
    QThread::msleep(1500);
    fs::remove_all(t.applications / "Utilities/Tools/Extra/Meter.app");
    ASSERT_TRUE(waitUntil([&] { return bus.notices().size() == 2; }));
    EXPECT_EQ(summaries(bus), (std::vector<QString>{QStringLiteral("Viewer was removed"),
                                                    QStringLiteral("Meter was removed")}));
}

// Removals told at once and written after, a rename and a new bundle: the snapshot on the
// disk ends as a full listing of the folder from the first one makes it.
TEST(WatcherChanges, SnapshotAfterChanges_EqualsOneMadeFromAFullListing) {
    WatchedTree t;
    for (int i = 0; i < 20; ++i)
        t.tree.app("Applications/Tool " + std::to_string(i) + ".app",
                   "com.tools.t" + std::to_string(i));
    t.tree.app("Applications/Utilities/Meter.app", "com.vendor.meter");
    t.appWithLeftovers("Editor", "com.vendor.editor");
    t.appWithLeftovers("Viewer", "com.vendor.viewer");
    PrivateBus bus(t.tree);
    ASSERT_TRUE(bus.ready());
    WatcherProcess watcher(t, &bus);
    ASSERT_TRUE(watcher.started());
    const fs::path file = zembra::snapshotFile(QString::fromStdString(t.settings.native()));
    const zembra::ApplicationSnapshot first = zembra::readSnapshot(file);

    fs::rename(t.applications / "Editor.app", t.trash / "Editor.app");
    fs::remove_all(t.applications / "Viewer.app");
    fs::rename(t.applications / "Tool 3.app", t.applications / "Tool 3 Pro.app");
    t.tree.app("Applications/Utilities/Gauge.app", "com.vendor.gauge");
    fs::remove_all(t.applications / "Utilities/Meter.app");
    ASSERT_TRUE(waitUntil([&] { return t.goneKeys().size() == 3; }));
    ASSERT_TRUE(waitUntil([&] { return remembered(t, "com.vendor.gauge") != nullptr; }));

    zembra::test::TestSettings settings;
    zembra::InstalledBundles installed(settings);
    installed.refresh(t.applications);
    zembra::ApplicationSnapshot expected =
        zembra::refreshSnapshot(first, t.applications, installed.applications(), {},
                                [](const QString &) { return false; })
            .snapshot;
    zembra::ApplicationSnapshot written = zembra::readSnapshot(file);
    // Written to the second: the time each was noticed is the watcher's own.
    ASSERT_EQ(written.applications.size(), expected.applications.size());
    for (size_t i = 0; i < written.applications.size(); ++i)
        expected.applications[i].goneSince = written.applications[i].goneSince;
    EXPECT_TRUE(zembra::sameSnapshot(written, expected));
}
