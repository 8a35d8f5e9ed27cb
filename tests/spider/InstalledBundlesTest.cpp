// The watcher's running list of installed bundles: the same bundles and records as a
// full listing, with only new or changed Info.plists read again.

#include "catalogue/InstalledBundles.h"
#include "grants/GrantKeys.h"
#include "platform/FileStamp.h"
#include "platform/FileSystem.h"
#include "support/TreeBuilder.h"

#include <QThread>

#include <gtest/gtest.h>

#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

// Every stamp is trusted at once: the tests control when files change.
constexpr std::chrono::nanoseconds kTrustAtOnce{0};

struct CountedBundles {
    TestSettings settings;
    std::vector<fs::path> reads;
    InstalledBundles bundles{settings,
                             [this](const fs::path &bundle) {
                                 reads.push_back(bundle);
                                 return platform::BundleInfo::read(bundle);
                             },
                             false, kTrustAtOnce};
    size_t refresh(const fs::path &folder) {
        reads.clear();
        bundles.refresh(folder);
        return reads.size();
    }
};

std::vector<std::string> identifiers(const ApplicationList &list) {
    std::vector<std::string> out;
    for (const auto &item : list)
        out.push_back(item->bundle().value_or(QStringLiteral("-")).toStdString());
    return out;
}

std::vector<std::string> shown(const ApplicationList &list) {
    std::vector<std::string> out;
    for (const auto &item : list)
        out.push_back(item->label().value_or(QString()).toStdString() + " " +
                      item->bundle().value_or(QStringLiteral("-")).toStdString() + " " +
                      platform::displayPath(item->url().value_or(fs::path())).toStdString());
    return out;
}

// Waits until the file system's clock has moved past the last change of `file`, so that a
// change made now gives it another change time (the clock may be coarser than a write).
void letClockPass(const TreeBuilder &tree, const fs::path &file) {
    const auto before = platform::fileStamp(file, platform::FollowLinks::Yes);
    ASSERT_TRUE(before);
    const fs::path probe = tree / "clock-probe";
    for (int i = 0; i < 2000; ++i) {
        fs::remove(probe);
        { std::ofstream(probe) << i; }
        if (platform::fileStamp(probe, platform::FollowLinks::Yes)->changedNs > before->changedNs)
            return;
        QThread::msleep(1);
    }
    FAIL() << "the file system's clock did not move";
}

void rewriteInPlaceKeepingTime(const fs::path &file, const std::string &from,
                               const std::string &to) {
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    std::string bytes = test::readFile(file);
    const size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(from.size(), to.size());
    bytes.replace(at, from.size(), to);
    const int fd = open(file.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    close(fd);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

} // namespace

TEST(InstalledBundles, Listing_SameBundlesRecordsAndOrderAsEveryInstalledApplication) {
    TreeBuilder tree;
    tree.app("Applications/Zebra.app", "com.vendor.zebra", "Zebra");
    tree.app("Applications/alpha.app", "com.vendor.alpha", "Alpha");
    tree.app("Applications/Safari.app", "com.apple.Safari", "Safari");
    tree.app("Applications/Sub/Inner.app", "com.vendor.inner", "Inner");
    tree.app("Applications/Sub/Deep/Deeper.app", "com.vendor.deeper");
    tree.app("Applications/Sub/Deep/Too/Far.app", "com.vendor.far");
    tree.app("Applications/Utilities/Terminal.app", "com.apple.Terminal");
    tree.app("Applications/Utilities/A/B/Tool.app", "com.vendor.tool");
    tree.app("Applications/Utilities/A/B/C/Far.app", "com.vendor.far2");
    tree.app("Applications/Same/alpha.app", "com.vendor.alpha2", "Alpha");
    tree.bundleWithPlist("Applications/Broken.app", "not a plist");
    tree.file("Applications/File.app", "a file, not a bundle");
    tree.link("Applications/Link.app", tree / "Applications/Zebra.app");
    tree.app("Applications/Zebra.app/Contents/Inside.app", "com.vendor.inside");
    TestSettings settings;
    settings.grant(grants::kApplications, tree / "Applications");

    CountedBundles counted;
    counted.refresh(tree / "Applications");
    const ApplicationList every = Application(settings).everyInstalledApplication();
    ASSERT_EQ(every.size(), 9u);
    EXPECT_EQ(shown(counted.bundles.applications()), shown(every));
    EXPECT_EQ(counted.reads.size(), every.size());
    // The folders to watch: every one looked into for bundles, never a bundle or a link.
    const fs::path apps = tree / "Applications";
    EXPECT_EQ(
        counted.bundles.folders(),
        (std::vector<fs::path>{apps / "Same", apps / "Sub", apps / "Sub/Deep", apps / "Utilities",
                               apps / "Utilities/A", apps / "Utilities/A/B"}));
}

TEST(InstalledBundles, Refresh_ReadsOnlyWhatIsNewOrChanged) {
    TreeBuilder tree;
    for (int i = 0; i < 40; ++i)
        tree.app("Applications/App " + std::to_string(i) + ".app",
                 "com.vendor.app" + std::to_string(i));
    tree.app("Applications/Group/Grouped.app", "com.vendor.grouped");
    CountedBundles counted;
    const fs::path apps = tree / "Applications";
    EXPECT_EQ(counted.refresh(apps), 41u) << "the first look reads every bundle";
    EXPECT_TRUE(counted.bundles.takeChange());

    EXPECT_EQ(counted.refresh(apps), 0u) << "nothing changed, nothing read";
    EXPECT_FALSE(counted.bundles.takeChange());

    fs::remove_all(apps / "App 7.app");
    fs::remove_all(apps / "Group/Grouped.app");
    tree.app("Applications/New.app", "com.vendor.new");
    EXPECT_EQ(counted.refresh(apps), 1u);
    EXPECT_EQ(counted.reads, std::vector<fs::path>{apps / "New.app"});
    const auto ids = identifiers(counted.bundles.applications());
    EXPECT_EQ(ids.size(), 40u);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "com.vendor.app7"), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "com.vendor.grouped"), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "com.vendor.new"), 1);

    // Renamed: the new path is read, nothing else.
    fs::rename(apps / "App 9.app", apps / "App Nine.app");
    EXPECT_EQ(counted.refresh(apps), 1u);
    EXPECT_EQ(counted.reads, std::vector<fs::path>{apps / "App Nine.app"});

    // A change another refresh saw first is still taken once.
    fs::remove_all(apps / "App 8.app");
    counted.refresh(apps);
    counted.refresh(apps);
    EXPECT_TRUE(counted.bundles.takeChange());
    EXPECT_FALSE(counted.bundles.takeChange());
}

TEST(InstalledBundles, InfoPlistRewrittenInPlace_SameSizeAndTimeSetBack_IsReadAgain) {
    TreeBuilder tree;
    tree.app("Applications/Editor.app", "com.vendor.editor", "Editor");
    tree.app("Applications/Viewer.app", "com.vendor.viewer", "Viewer");
    CountedBundles counted;
    const fs::path apps = tree / "Applications";
    const fs::path plist = apps / "Editor.app/Contents/Info.plist";
    counted.refresh(apps);
    letClockPass(tree, plist);

    // Same inode, same size, the old modification time: only the change time tells.
    rewriteInPlaceKeepingTime(plist, "com.vendor.editor", "com.attack.editor");
    EXPECT_EQ(counted.refresh(apps), 1u);
    EXPECT_EQ(identifiers(counted.bundles.applications()),
              (std::vector<std::string>{"com.attack.editor", "com.vendor.viewer"}));
}

TEST(InstalledBundles, RecentlyChangedBundle_IsReadAgainUntilItsStampIsOldEnough) {
    TreeBuilder tree;
    tree.app("Applications/Editor.app", "com.vendor.editor");
    TestSettings settings;
    size_t reads = 0;
    InstalledBundles bundles(
        settings,
        [&](const fs::path &bundle) {
            ++reads;
            return platform::BundleInfo::read(bundle);
        },
        false, std::chrono::hours(1));
    bundles.refresh(tree / "Applications");
    bundles.refresh(tree / "Applications");
    EXPECT_EQ(reads, 2u) << "a stamp taken within the window is not trusted";
}

TEST(InstalledBundles, RemovalsOnly_ListStaysAsAFullListingSortsIt_AnotherFolderReplacesIt) {
    TreeBuilder tree;
    // Equal labels: their order is the listing's, and a removal must not disturb it.
    for (const char *name : {"b", "a", "d", "c", "e"})
        tree.app(std::string("Applications/") + name + ".app", std::string("com.vendor.") + name,
                 "Same");
    tree.app("Applications/Zeta.app", "com.vendor.zeta", "Zeta");
    tree.app("Applications/Alpha.app", "com.vendor.alpha", "Alpha");
    tree.app("Applications/Group/Mid.app", "com.vendor.mid", "Mid");
    TestSettings settings;
    settings.grant(grants::kApplications, tree / "Applications");
    CountedBundles counted;
    const fs::path apps = tree / "Applications";
    counted.refresh(apps);

    for (const char *gone : {"d.app", "Alpha.app", "Group/Mid.app"}) {
        fs::remove_all(apps / gone);
        EXPECT_EQ(counted.refresh(apps), 0u) << gone;
        EXPECT_TRUE(counted.bundles.takeChange()) << gone;
        EXPECT_EQ(shown(counted.bundles.applications()),
                  shown(Application(settings).everyInstalledApplication()))
            << gone;
    }

    // No folder, or an empty one: nothing is installed there, whatever was before.
    counted.refresh(tree.dir("Empty"));
    EXPECT_TRUE(counted.bundles.applications().empty());
    counted.refresh(apps);
    ASSERT_FALSE(counted.bundles.applications().empty());
    counted.bundles.refresh(std::nullopt);
    EXPECT_TRUE(counted.bundles.applications().empty());
}
