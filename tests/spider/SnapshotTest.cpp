// The watcher's running list of installed bundles (the same bundles and records as a full
// listing, with only new or changed Info.plists read again), its memory of the installed
// applications, its rule for what to announce, the marks that a removal through
// Uninstaller zembra leaves for it, and what its notices count: only the leftovers the
// review would start ticked, each byte once.

#include "catalogue/Application.h"
#include "catalogue/ApplicationSnapshot.h"
#include "catalogue/InstalledBundles.h"
#include "catalogue/RemovedApplications.h"
#include "grants/GrantKeys.h"
#include "grants/GrantOverrides.h"
#include "leftovers/LeftoverWeight.h"
#include "leftovers/RemovalMarks.h"
#include "platform/FileSystem.h"
#include "support/TreeBuilder.h"

#include <QThread>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

const fs::path kApps = "/Applications";
const auto kNever = [](const QString &) { return false; };

std::shared_ptr<ApplicationItem> app(const char *label, const char *bundle, fs::path url = {}) {
    auto item = std::make_shared<ApplicationItem>();
    item->setLabel(QString::fromUtf8(label));
    item->setLabel_name(QString::fromUtf8(label));
    item->setBundle(bundle ? OptString(QString::fromUtf8(bundle)) : std::nullopt);
    item->setUrl(url.empty() ? kApps / (std::string(label) + ".app") : url);
    return item;
}

// Each label, or with the identifier and path too.
std::vector<std::string> labels(const ApplicationList &list, bool whole = false) {
    std::vector<std::string> out;
    for (const auto &item : list)
        out.push_back(
            item->label().value_or(QString()).toStdString() +
            (whole ? " " + item->bundle().value_or(QStringLiteral("-")).toStdString() + " " +
                         platform::displayPath(item->url().value_or(fs::path())).toStdString()
                   : ""));
    return out;
}

// A tree whose Applications folder is refreshed, every stamp trusted at once (the tests
// control when files change).
struct Counted {
    TreeBuilder tree;
    const fs::path apps = tree / "Applications";
    TestSettings settings;
    InstalledBundles bundles{settings, {}, false, std::chrono::nanoseconds(0)};
    // How many bundles it read.
    size_t refresh(const std::optional<fs::path> &folder = std::nullopt) {
        bundles.refresh(folder ? folder : apps);
        return bundles.readsInLastRefresh();
    }
    std::vector<std::string> shownFromAFullListing() {
        settings.grant(grants::kApplications, apps);
        return labels(Application(settings).everyInstalledApplication(), true);
    }
};

} // namespace

// The same bundles, records and order as a full listing, read only where new or changed;
// also after refreshes where bundles only went. Another folder, or none, replaces the list.
TEST(InstalledBundles, Refresh_AsAFullListing_ReadsOnlyWhatIsNewOrChanged) {
    Counted c;
    // Labels from the bundles' names; deeper than the list reads, or inside a bundle: not listed.
    int n = 0;
    for (const std::string path :
         {"Zebra", "alpha", "Same/alpha", "Sub/Inner", "Sub/Deep/Deeper", "Sub/Deep/Too/Far",
          "Utilities/A/B/Tool", "Utilities/A/B/C/Far", "Zebra.app/Contents/Inside"})
        c.tree.app("Applications/" + path + ".app", "com.vendor.app" + std::to_string(n++));
    c.tree.app("Applications/Safari.app", "com.apple.Safari");
    c.tree.app("Applications/Utilities/Terminal.app", "com.apple.Terminal");
    // Equal labels: their order is the listing's, and a removal must not disturb it.
    for (const char *name : {"b", "a", "d", "c", "e"})
        c.tree.app(std::string("Applications/") + name + ".app", std::string("com.vendor.") + name,
                   "Same");
    c.tree.bundleWithPlist("Applications/Broken.app", "not a plist");
    c.tree.file("Applications/File.app", "a file, not a bundle");
    c.tree.link("Applications/Link.app", c.apps / "Zebra.app");

    EXPECT_EQ(c.refresh(), 14u) << "the first look reads every bundle";
    EXPECT_EQ(labels(c.bundles.applications(), true), c.shownFromAFullListing());
    EXPECT_TRUE(c.bundles.takeChange());
    // The folders to watch: every one looked into for bundles, never a bundle or a link.
    EXPECT_EQ(c.bundles.folders(),
              (std::vector<fs::path>{c.apps / "Same", c.apps / "Sub", c.apps / "Sub/Deep",
                                     c.apps / "Utilities", c.apps / "Utilities/A",
                                     c.apps / "Utilities/A/B"}));
    EXPECT_EQ(c.refresh(), 0u) << "nothing changed, nothing read";
    EXPECT_FALSE(c.bundles.takeChange());
    for (const char *gone : {"d.app", "alpha.app", "Sub/Inner.app"}) {
        fs::remove_all(c.apps / gone);
        EXPECT_EQ(c.refresh(), 0u) << gone;
        EXPECT_TRUE(c.bundles.takeChange()) << gone;
        EXPECT_EQ(labels(c.bundles.applications(), true), c.shownFromAFullListing()) << gone;
    }
    // New, renamed and gone at once: only the new paths are read.
    c.tree.app("Applications/New.app", "com.vendor.new");
    fs::remove_all(c.apps / "c.app");
    fs::rename(c.apps / "Zebra.app", c.apps / "Zebra Pro.app");
    EXPECT_EQ(c.refresh(), 2u);
    EXPECT_EQ(labels(c.bundles.applications(), true), c.shownFromAFullListing());
    // A change another refresh saw first is still taken once.
    fs::remove_all(c.apps / "e.app");
    c.refresh();
    c.refresh();
    EXPECT_TRUE(c.bundles.takeChange());
    EXPECT_FALSE(c.bundles.takeChange());

    // Rewritten in place: same inode, same size, the old modification time. Only the
    // change time tells, once the file system's clock (coarser than a write) moved on.
    const fs::path plist = c.apps / "Safari.app/Contents/Info.plist";
    const auto modified = fs::last_write_time(plist);
    for (int i = 0; i < 2000 && fs::last_write_time(c.tree.file("clock-probe")) <= modified; ++i)
        QThread::msleep(1);
    const size_t at = test::readFile(plist).find("com.apple.Safari");
    ASSERT_NE(at, std::string::npos);
    std::fstream(plist, std::ios::in | std::ios::out | std::ios::binary).seekp(at)
        << "com.attack.Safari";
    fs::last_write_time(plist, modified);
    ASSERT_EQ(fs::last_write_time(plist), modified);
    EXPECT_EQ(c.refresh(), 1u);
    EXPECT_EQ(labels(c.bundles.applications(), true), c.shownFromAFullListing());

    // A stamp taken within the window is not trusted: read again at the next refresh.
    InstalledBundles wary(c.settings, {}, false, std::chrono::hours(1));
    wary.refresh(c.apps);
    wary.refresh(c.apps);
    EXPECT_EQ(wary.readsInLastRefresh(), wary.applications().size());

    c.refresh(c.tree.dir("Empty"));
    EXPECT_TRUE(c.bundles.applications().empty());
    c.refresh();
    ASSERT_FALSE(c.bundles.applications().empty());
    c.bundles.refresh(std::nullopt);
    EXPECT_TRUE(c.bundles.applications().empty());
}

TEST(ApplicationSnapshot,
     RoundTrip_KeepsNullEmptyAndExactPathBytes_MissingOrGarbledReadsAsNothing) {
    TreeBuilder tree;
    auto named = app("Editor", "com.vendor.editor");
    named->setCompany_name(QString()); // empty, not null
    named->setExecutable_info(std::nullopt);
    // Everything JSON must escape, and text beyond the first plane.
    const QString escaped =
        QStringLiteral("\"q\" \\ /\n\t") + QChar(0x01) + QChar(0x1f) + QStringLiteral("\u202e😀");
    named->setLabel_name(escaped);
    const auto odd = app("Odd", nullptr, "/Applications/Od\xff\x64.app");
    const ApplicationSnapshot snapshot{
        kApps,
        {{named, true, {}}, {odd, false, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC)}}};
    ASSERT_TRUE(writeSnapshot(tree / "remembered.json", snapshot));
    const ApplicationSnapshot back = readSnapshot(tree / "remembered.json");
    EXPECT_TRUE(sameSnapshot(back, snapshot)) << "every field, null or empty, and the path's bytes";
    // The key of an application without identifier is its path, and it finds the record.
    const auto found = rememberedApplication(back, rememberedKey(*odd));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->label(), OptString(QStringLiteral("Odd")));
    EXPECT_FALSE(rememberedApplication(back, QStringLiteral("com.other")));

    // A missing or garbled file reads as nothing remembered.
    EXPECT_TRUE(readSnapshot(tree / "none.json").applications.empty());
    EXPECT_TRUE(
        readSnapshot(tree.file("garbled.json", "{\"applications\": [1, {\"label\": 2}, \"x\""))
            .applications.empty());
}

TEST(ApplicationSnapshot, Refresh_AnnouncesOnlyWhatLeftWithoutUs_ForgetsTheOldestGoneFirst) {
    const auto editor = app("Editor", "com.vendor.editor"),
               copy = app("Editor copy", "com.vendor.editor"),
               viewer = app("Viewer", "com.vendor.viewer");
    const auto first = refreshSnapshot({}, kApps, {editor, copy, viewer}, {}, kNever);
    EXPECT_TRUE(first.gone.empty()) << "a first look announces nothing";
    EXPECT_EQ(first.snapshot.applications.size(), 2u) << "one record for the two copies";
    // What a look after the first announces.
    const auto next = [&](const ApplicationList &installed, const ApplicationList &trash = {},
                          const std::function<bool(const QString &)> &byUs = kNever,
                          const fs::path &folder = kApps) {
        return refreshSnapshot(first.snapshot, folder, installed, trash, byUs);
    };

    const SnapshotChange left = next({viewer});
    EXPECT_EQ(labels(left.gone), std::vector<std::string>{"Editor"});
    const SnapshotChange again = refreshSnapshot(left.snapshot, kApps, {viewer}, {}, kNever);
    EXPECT_TRUE(again.gone.empty()) << "a gone application is announced once";
    EXPECT_TRUE(rememberedApplication(again.snapshot, QStringLiteral("com.vendor.editor")));
    const auto back = refreshSnapshot(again.snapshot, kApps, {editor, viewer}, {}, kNever).snapshot;
    ASSERT_EQ(back.applications.size(), 2u);
    EXPECT_TRUE(back.applications[0].installed && back.applications[1].installed)
        << "installed again, it is installed like any other";

    // Removed through us: its fresh mark is taken, once, and it is forgotten. Only a gone
    // application's mark is asked for; a stale one does not count, and is cleared.
    TreeBuilder tree;
    const QString marks = QString::fromStdString((tree / "settings").native());
    ASSERT_TRUE(leftovers::markRemoval(*editor, marks) && leftovers::markRemoval(*viewer, marks));
    const auto byUs = [&](const QString &key) { return leftovers::takeRemovalMark(key, marks); };
    const SnapshotChange ours = next({viewer}, {}, byUs);
    EXPECT_TRUE(ours.gone.empty());
    EXPECT_FALSE(rememberedApplication(ours.snapshot, QStringLiteral("com.vendor.editor")));
    EXPECT_EQ(labels(next({viewer}, {}, byUs).gone), std::vector<std::string>{"Editor"});
    EXPECT_FALSE(fs::is_empty(leftovers::removalMarksFolder(marks))) << "the installed one's";
    const QDateTime later = QDateTime::currentDateTimeUtc().addSecs(11 * 60);
    EXPECT_FALSE(leftovers::takeRemovalMark(QStringLiteral("com.vendor.viewer"), marks, later));
    EXPECT_TRUE(fs::is_empty(leftovers::removalMarksFolder(marks)));

    // One of the copies stays, or it moved into a subfolder.
    EXPECT_TRUE(next({copy, viewer}).gone.empty());
    EXPECT_TRUE(next({app("Editor", "com.vendor.editor", "/Applications/Tools/Editor.app"), viewer})
                    .gone.empty());
    const SnapshotChange other = next({}, {}, kNever, "/Other/Applications");
    EXPECT_TRUE(other.gone.empty() && other.snapshot.applications.empty())
        << "another Applications folder announces nothing";

    // Arrivals in the Trash: announced by an identifier neither installed nor removed by us.
    const fs::path trash = "/home/u/.local/share/Trash/files";
    const ApplicationList arrivals{app("Downloaded", "com.web.tool", trash / "Downloaded.app"),
                                   app("Viewer", "com.vendor.viewer", trash / "Viewer.app"),
                                   app("Nameless", nullptr, trash / "Nameless.app"),
                                   app("Ours", "com.removed.byus", trash / "Ours.app")};
    EXPECT_EQ(
        labels(next({editor, viewer}, arrivals,
                    [](const QString &key) { return key == QLatin1String("com.removed.byus"); })
                   .gone),
        std::vector<std::string>{"Downloaded"});

    // Many gone: the oldest are forgotten first.
    ApplicationList all;
    for (size_t i = 0; i <= kRememberedGoneLimit; ++i)
        all.push_back(app("App", ("com.many.app" + std::to_string(i)).c_str()));
    SnapshotChange change = refreshSnapshot({}, kApps, all, {}, kNever);
    for (size_t i = 0; i < all.size(); ++i) // they leave one by one, the first one first
        change = refreshSnapshot(change.snapshot, kApps,
                                 ApplicationList(all.begin() + i + 1, all.end()), {}, kNever);
    EXPECT_EQ(change.snapshot.applications.size(), kRememberedGoneLimit);
    EXPECT_FALSE(rememberedApplication(change.snapshot, QStringLiteral("com.many.app0")));
    EXPECT_TRUE(rememberedApplication(change.snapshot, QStringLiteral("com.many.app1")));
}

TEST(GrantOverrides, GivenFolders_ShadowTheStoreAndAreNotWritten_AMissingOneIsNamed) {
    TreeBuilder tree;
    TestSettings settings;
    const fs::path apps = tree.dir("Applications");
    const auto error = grants::applyGrantOverrides(
        {{"--applications", apps.native()}, {"--root", (tree / "nothing").native()}}, settings);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("--root"), std::string::npos);
    EXPECT_EQ(settings.store().dataForKey(grants::kApplications),
              QByteArray::fromStdString(apps.native()));
    EXPECT_EQ(settings.store().integerForKey(grants::kAllowAny), 0);
    EXPECT_EQ(test::readFile(settings.store().fileName().toStdString()).find("Applications"),
              std::string::npos);
}

// A review from a notice, or from the list of removed applications, opens only on a gone
// record whose application is not installed now; its path stays only while that
// application itself is there.
TEST(RemovedApplication, OnlyAGoneRecordNotInstalledNow_OpensAReview_ItsPathOnlyWhileThere) {
    TreeBuilder tree;
    TestSettings settings;
    const fs::path path = tree / "Applications/Sketchpad.app";
    const auto viewer = app("Viewer", "com.vendor.viewer"), back = app("Back", "com.vendor.back");
    const auto sketchpad = Application(settings).application(
        tree.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad"));
    const ApplicationSnapshot snapshot{
        tree / "Applications", {{viewer, true, {}}, {back, false, {}}, {sketchpad, false, {}}}};
    for (const char *key : {"com.vendor.viewer", "com.vendor.back", "com.vendor.none"})
        EXPECT_FALSE(removedApplication(snapshot, {viewer, back}, QString::fromLatin1(key))) << key;
    const auto reviewedPath = [&] {
        const auto viaNotice =
            removedApplication(snapshot, {viewer, back}, QStringLiteral("com.lumina.sketchpad"));
        const ApplicationList viaList = removedApplications(snapshot, {viewer, back});
        EXPECT_EQ(labels(viaList), std::vector<std::string>{"Sketchpad"});
        EXPECT_EQ(viaNotice->url(), viaList.empty() ? std::nullopt : viaList[0]->url());
        return viaNotice->url();
    };
    EXPECT_EQ(reviewedPath(), path); // still installed there: its bundle is its own
    fs::remove_all(path);
    EXPECT_EQ(reviewedPath(), std::nullopt);
    tree.app("Applications/Sketchpad.app", "com.other.paint", "Sketchpad");
    EXPECT_EQ(reviewedPath(), std::nullopt);

    // Without an identifier, the identity fields decide.
    fs::remove_all(path);
    const auto anonymous = Application(settings).application(
        tree.app("Applications/Sketchpad.app", "", "Sketchpad", "Sketchpad"));
    EXPECT_EQ(reviewableCopy(*anonymous)->url(), path);
    fs::remove_all(path);
    tree.app("Applications/Sketchpad.app", "", "Sketchpad", "Other");
    EXPECT_EQ(reviewableCopy(*anonymous)->url(), std::nullopt);
}

// Sketchpad is gone, only its record left; Sketchpad 2 shares its vendor's folders. The
// whole disk is searched but not open to deletion (its grant is not the disk's root), as
// on a machine where the user granted a folder that is not "/".
TEST(NoticeWeight, CountsWhatTheReviewWouldTick) {
    const std::string lib = "Users/me/Library/",
                      own = lib + "Preferences/com.lumina.sketchpad.plist",
                      other = lib + "Preferences/com.lumina.sketchpad2.plist",
                      ownCache = lib + "Caches/com.lumina.sketchpad/a",
                      shared = lib + "Caches/Lumina/cache.db",
                      agent = "Library/LaunchAgents/com.lumina.sketchpad.agent.plist",
                      support = "Library/Application Support/Sketchpad/data";
    const std::map<std::string, size_t> bytes{{own, 1000},      {other, 500}, {ownCache, 300},
                                              {shared, 205000}, {agent, 700}, {support, 900}};
    struct Case {
        const char *name;
        std::vector<std::string> files; // below the tree
        int count;
        std::uint64_t bytes;
    };
    for (const Case &c :
         std::vector<Case>{{"OnlyTheVendorFolderAnotherApplicationUses", {shared}, 0, 0},
                           {"OwnPreferencesBesideAnotherApplicationsOnes", {own, other}, 1, 1000},
                           {"OwnEntriesBesideASharedFolder", {own, ownCache, shared}, 2, 1300},
                           {"SystemFolderTheRemovalWouldRefuse", {own, agent, support}, 1, 1000}}) {
        SCOPED_TRACE(c.name);
        TreeBuilder t;
        TestSettings s;
        s.grantTree(t, "Users/me", true);
        t.app("Applications/Sketchpad 2.app", "com.lumina.sketchpad2", "Sketchpad 2",
              "Sketchpad 2");
        const auto gone = Application(s).application(
            t.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad"));
        fs::remove_all(t / "Applications/Sketchpad.app");
        for (const std::string &path : c.files)
            t.file(path, std::string(bytes.at(path), 'x'));
        const leftovers::LeftoverWeight weight =
            leftovers::weighLeftovers(*gone, s, Application(s).everyInstalledApplication());
        EXPECT_EQ(weight.count, c.count);
        EXPECT_EQ(weight.bytes, c.bytes);
        EXPECT_EQ(weight.empty(), c.count == 0);
    }
}

TEST(NoticeWeight, SeveralApplications_AnEntryInsideAnotherOrListedTwiceCountsOnce) {
    const auto weightOf = [](std::vector<std::pair<const char *, std::uint64_t>> rows) {
        leftovers::LeftoverWeight w;
        for (const auto &[path, bytes] : rows) {
            w.files.push_back(FileEntry::file(path));
            w.sizes.push_back(SizeEntry::bytes(bytes));
        }
        return w;
    };
    const leftovers::LeftoverWeight total = leftovers::combinedWeight({
        weightOf({{"/h/Library/Caches/Lumina", 3000}}),
        weightOf({{"/h/Library/Caches/Lumina/a", 1000}, {"/h/Library/Logs/Lumina", 200}}),
        weightOf({{"/h/Library/Logs/Lumina", 200}, {"/h/Library/Caches/Lumina2", 50}}),
    });
    EXPECT_EQ(total.count, 3);
    EXPECT_EQ(total.bytes, 3250u);
    EXPECT_TRUE(leftovers::combinedWeight({}).empty());
}
