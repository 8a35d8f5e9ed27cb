// The watcher's running list of installed bundles: the same bundles and records as a
// full listing, with only new or changed Info.plists read again.

#include "catalogue/InstalledBundles.h"
#include "grants/GrantKeys.h"
#include "platform/FileSystem.h"
#include "support/TreeBuilder.h"

#include <QThread>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <tuple>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> shown(const ApplicationList &list) {
    std::vector<std::string> out;
    for (const auto &item : list)
        out.push_back(item->label().value_or(QString()).toStdString() + " " +
                      item->bundle().value_or(QStringLiteral("-")).toStdString() + " " +
                      platform::displayPath(item->url().value_or(fs::path())).toStdString());
    return out;
}

// A tree whose Applications folder is refreshed with every read counted, every stamp
// trusted at once (the tests control when files change).
struct Counted {
    TreeBuilder tree;
    const fs::path apps = tree / "Applications";
    TestSettings settings;
    std::vector<fs::path> reads;
    InstalledBundles bundles{settings,
                             [this](const fs::path &bundle) {
                                 reads.push_back(bundle);
                                 return platform::BundleInfo::read(bundle);
                             },
                             false, std::chrono::nanoseconds(0)};
    size_t refresh() { return refresh(apps); }
    size_t refresh(const std::optional<fs::path> &folder) {
        reads.clear();
        bundles.refresh(folder);
        return reads.size();
    }
    std::vector<std::string> shownFromAFullListing() {
        settings.grant(grants::kApplications, apps);
        return shown(Application(settings).everyInstalledApplication());
    }
};

// Waits until the file system's clock has moved past the last change of `file`, so that a
// change made now gives it another change time (the clock may be coarser than a write).
void letClockPass(TreeBuilder &tree, const fs::path &file) {
    const auto before = fs::last_write_time(file);
    for (int i = 0; i < 2000 && fs::last_write_time(tree.file("clock-probe")) <= before; ++i)
        QThread::msleep(1);
}

} // namespace

// What a full listing shows, also after refreshes where bundles only went; another
// folder, or none, replaces the list.
TEST(InstalledBundles, Listing_AsAFullListingAlsoAfterRemovalsOnly_AnotherFolderReplacesIt) {
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

    EXPECT_EQ(c.refresh(), 14u);
    EXPECT_EQ(shown(c.bundles.applications()), c.shownFromAFullListing());
    // The folders to watch: every one looked into for bundles, never a bundle or a link.
    EXPECT_EQ(c.bundles.folders(),
              (std::vector<fs::path>{c.apps / "Same", c.apps / "Sub", c.apps / "Sub/Deep",
                                     c.apps / "Utilities", c.apps / "Utilities/A",
                                     c.apps / "Utilities/A/B"}));
    for (const char *gone : {"d.app", "alpha.app", "Sub/Inner.app"}) {
        fs::remove_all(c.apps / gone);
        EXPECT_EQ(c.refresh(), 0u) << gone;
        EXPECT_TRUE(c.bundles.takeChange()) << gone;
        EXPECT_EQ(shown(c.bundles.applications()), c.shownFromAFullListing()) << gone;
    }

    c.refresh(c.tree.dir("Empty"));
    EXPECT_TRUE(c.bundles.applications().empty());
    c.refresh();
    ASSERT_FALSE(c.bundles.applications().empty());
    c.refresh(std::nullopt);
    EXPECT_TRUE(c.bundles.applications().empty());
}

TEST(InstalledBundles, Refresh_ReadsOnlyWhatIsNewOrChanged_InfoPlistRewrittenInPlaceIsReadAgain) {
    Counted c;
    for (int i = 0; i < 40; ++i)
        c.tree.app("Applications/App " + std::to_string(i) + ".app",
                   "com.vendor.app" + std::to_string(i));
    c.tree.app("Applications/Group/Grouped.app", "com.vendor.grouped");
    EXPECT_EQ(c.refresh(), 41u) << "the first look reads every bundle";
    EXPECT_TRUE(c.bundles.takeChange());
    EXPECT_EQ(c.refresh(), 0u) << "nothing changed, nothing read";
    EXPECT_FALSE(c.bundles.takeChange());

    fs::remove_all(c.apps / "App 7.app");
    fs::remove_all(c.apps / "Group/Grouped.app");
    c.tree.app("Applications/New.app", "com.vendor.new");
    EXPECT_EQ(c.refresh(), 1u);
    EXPECT_EQ(c.reads, std::vector<fs::path>{c.apps / "New.app"});
    EXPECT_EQ(shown(c.bundles.applications()), c.shownFromAFullListing());

    // Renamed: the new path is read, nothing else.
    fs::rename(c.apps / "App 9.app", c.apps / "App Nine.app");
    EXPECT_EQ(c.refresh(), 1u);
    EXPECT_EQ(c.reads, std::vector<fs::path>{c.apps / "App Nine.app"});

    // A change another refresh saw first is still taken once.
    fs::remove_all(c.apps / "App 8.app");
    c.refresh();
    c.refresh();
    EXPECT_TRUE(c.bundles.takeChange());
    EXPECT_FALSE(c.bundles.takeChange());

    // Rewritten in place: same inode, same size, the old modification time. Only the
    // change time tells.
    const fs::path plist = c.apps / "App 0.app/Contents/Info.plist";
    letClockPass(c.tree, plist);
    const auto modified = fs::last_write_time(plist);
    const size_t at = test::readFile(plist).find("com.vendor.app0");
    ASSERT_NE(at, std::string::npos);
    std::fstream(plist, std::ios::in | std::ios::out | std::ios::binary).seekp(at)
        << "com.attack.app0";
    fs::last_write_time(plist, modified);
    ASSERT_EQ(fs::last_write_time(plist), modified);
    EXPECT_EQ(c.refresh(), 1u);
    EXPECT_EQ(shown(c.bundles.applications()), c.shownFromAFullListing());

    // A stamp taken within the window is not trusted: read again at the next refresh.
    InstalledBundles wary(c.settings, {}, false, std::chrono::hours(1));
    wary.refresh(c.apps);
    wary.refresh(c.apps);
    EXPECT_EQ(wary.readsInLastRefresh(), wary.applications().size());
}
