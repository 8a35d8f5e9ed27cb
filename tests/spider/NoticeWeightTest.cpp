// What the watcher's notices and the list of removed applications count: only the
// leftovers the review would start ticked, each byte once. The whole disk is searched but
// not open to deletion (its grant is not the disk's root), as on a machine where the user
// granted a folder that is not "/".

#include "catalogue/Application.h"
#include "leftovers/LeftoverWeight.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <map>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

// Sketchpad is gone, only its record left; Sketchpad 2 shares its vendor's folders.
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
