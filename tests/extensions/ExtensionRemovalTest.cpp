#include "extensions/ExtensionRemoval.h"
#include "extensions/Bundle.h"
#include "extensions/SafariExtension.h"
#include "extensions/SafariExtensionsList.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/FileSystem.h"
#include "platform/PropertyList.h"
#include "support/CaseName.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

namespace {

class ExtensionRemoval : public ::testing::Test {
protected:
    void SetUp() override { s.grant(grants::kHome, t.dir("home")); }
    // What the removal may delete, built from the grants as they stand.
    platform::DeletionScope scope() { return grants::GrantStore(s).deletionScope(); }

    std::shared_ptr<BundleItem> plugin() {
        const auto url = t.app("home/Library/Address Book Plug-Ins/Card Sync.bundle",
                               "com.x.cardsync", "Card Sync");
        return Bundle(s).plugin(url);
    }

    fs::path list() const { return t / "home/Library/Safari/Extensions/Extensions.plist"; }
    SafariItem safariItem(const QString &identifier) {
        for (const auto &i : SafariExtension(s).extensionsInListOrder())
            if (i->bundle() == identifier)
                return *i;
        ADD_FAILURE() << "no " << identifier.toStdString() << " in the list";
        return {};
    }

    TreeBuilder t;
    TestSettings s;
};

} // namespace

TEST_F(ExtensionRemoval, PluginWithLeftovers_AllGone_NothingRemains) {
    const auto item = plugin();
    const auto pref = t.file("home/Library/Preferences/com.x.cardsync.plist");
    const auto cache = t.file("home/Library/Caches/com.x.cardsync/c");
    const auto desktop = t.dir("home/Desktop/Card Sync"); // the user's own: no desktop pass here
    bool done = false;
    const auto remainder = remove_files(scope(), *item, s, [&](bool ok) { done = ok; });
    EXPECT_TRUE(done);
    EXPECT_FALSE(platform::itemExists(*item->url()));
    EXPECT_FALSE(platform::itemExists(pref));
    EXPECT_FALSE(platform::itemExists(cache.parent_path()));
    EXPECT_TRUE(platform::itemExists(desktop));
    EXPECT_TRUE(remainder.empty());
    EXPECT_TRUE(item->sizes().empty());
}

TEST_F(ExtensionRemoval, ItemThatCannotBeDeleted_ReportsEveryLaterEntry) {
    const auto item = plugin();
    t.file("home/Library/Preferences/com.x.cardsync.plist");
    ExtensionRemovalServices refuseItem;
    refuseItem.removeItem = [&](const fs::path &p) {
        return p != *item->url() && scope().remove(p);
    };
    const auto remainder = remove_files(scope(), *item, s, nullptr, refuseItem);
    // Everything after the item: the "Preferences" marker and file, the "Plugins" marker and the
    // item found again by its own folder's pass.
    ASSERT_EQ(remainder.size(), 5u);
    EXPECT_EQ(remainder[0].path(), *item->url());
    EXPECT_FALSE(remainder[1].isFileURL());
}

TEST_F(ExtensionRemoval, LeftoverThatCannotBeDeleted_WhileTheItemWent_NothingReported) {
    const auto item = plugin();
    const auto outside = t.file("home/Library/Preferences/com.x.cardsync.plist");
    ExtensionRemovalServices refuseLeftover;
    refuseLeftover.removeItem = [&](const fs::path &p) {
        return p != outside && scope().remove(p);
    };
    EXPECT_TRUE(remove_files(scope(), *item, s, nullptr, refuseLeftover).empty());
    EXPECT_FALSE(platform::itemExists(*item->url()));
    EXPECT_TRUE(platform::itemExists(outside));
}

TEST_F(ExtensionRemoval, SafariExtension_BinaryListStaysBinary_OtherKeysKept) {
    t.file("home/Library/Safari/Extensions/Extensions.plist",
           test::readFixture("plists/safari/synthetic_Extensions_binary.plist"));
    const auto archive = t.file("home/Library/Safari/Extensions/Blocker-3.1.safariextz");
    const auto cache = t.dir("home/Library/Caches/com.example.blocker-ABCDE");
    SafariItem item = safariItem(QStringLiteral("com.example.blocker-ABCDE"));
    ASSERT_TRUE(item.bundle());
    bool done = false;
    remove_safari_extension(scope(), item, s, [&](bool ok) { done = ok; });
    EXPECT_TRUE(done);
    EXPECT_FALSE(platform::itemExists(archive));
    EXPECT_FALSE(platform::itemExists(cache));
    const std::string bytes = test::readFile(list());
    EXPECT_EQ(bytes.rfind("bplist00", 0), 0u);
    EXPECT_EQ(bytes.find("com.example.blocker-ABCDE"), std::string::npos);
    const auto plist = platform::PropertyList::fromFile(list());
    EXPECT_TRUE(plist.root().item("Some Future Key").isDictionary());
    const auto remaining = safari::readInstalledExtensions(list());
    EXPECT_EQ(remaining.size(), 5u);
    EXPECT_EQ(remaining[0].archiveFileName, QStringLiteral("Ghostery-7.3.safariextz"));
}

TEST_F(ExtensionRemoval, ArchiveThatCannotBeDeleted_EntryDroppedAllTheSame) {
    t.file("home/Library/Safari/Extensions/Extensions.plist",
           test::readFixture("plists/safari/synthetic_Extensions_xml.plist"));
    auto items = SafariExtension(s).extensionsInListOrder();
    ASSERT_FALSE(items.empty());
    SafariItem item = *items[0];
    ExtensionRemovalServices refuse;
    refuse.removeItem = [](const fs::path &) { return false; };
    remove_safari_extension(scope(), item, s, nullptr, refuse);
    EXPECT_EQ(safari::readInstalledExtensions(list()).size(), items.size() - 1);
}

TEST_F(ExtensionRemoval, FlaggedRows_NeverDeleted_NorTheFoldersHoldingThem) {
    s.grant(grants::kApplications, t.dir("Applications"));
    t.app("Applications/Card Sync Pro.app", "com.x.cardsyncpro", "Card Sync Pro");
    const auto item = plugin();
    const auto mine = t.file("home/Library/Preferences/com.x.cardsync.plist");
    const auto theirs = t.file("home/Library/Preferences/com.x.cardsyncpro.plist");
    const auto logs = t.dir("home/Library/Logs/Card Sync");
    const auto theirLog = t.file("home/Library/Logs/Card Sync/Card Sync Pro.log");
    findFilesWithoutReview(*item, s);
    const auto kept = keptWithoutReview(*item, s);
    const auto files = item->files();
    ASSERT_EQ(kept.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].isFileURL() && (files[i].path() == theirs || files[i].path() == theirLog)) {
            EXPECT_EQ(kept[i], QStringLiteral("also used by Card Sync Pro"));
        }
    const auto remainder = remove_files(scope(), *item, s, nullptr);
    EXPECT_FALSE(platform::itemExists(*item->url()));
    EXPECT_FALSE(platform::itemExists(mine));
    EXPECT_TRUE(platform::itemExists(theirs));
    EXPECT_TRUE(platform::itemExists(theirLog)); // and so the Logs folder holding it
    EXPECT_TRUE(remainder.empty());              // kept rows are no failures
}

TEST_F(ExtensionRemoval, SafariExtension_FlaggedRowKept) {
    s.grant(grants::kApplications, t.dir("Applications"));
    t.app("Applications/Blocker Studio.app", "com.example.blocker-ABCDE.studio", "Blocker Studio");
    t.file("home/Library/Safari/Extensions/Extensions.plist",
           test::readFixture("plists/safari/synthetic_Extensions_binary.plist"));
    t.file("home/Library/Safari/Extensions/Blocker-3.1.safariextz");
    const auto mine = t.dir("home/Library/Caches/com.example.blocker-ABCDE");
    const auto theirs = t.dir("home/Library/Caches/com.example.blocker-ABCDE.studio");
    SafariItem item = safariItem(QStringLiteral("com.example.blocker-ABCDE"));
    ASSERT_TRUE(item.bundle());
    remove_safari_extension(scope(), item, s, nullptr);
    EXPECT_FALSE(platform::itemExists(mine));
    EXPECT_TRUE(platform::itemExists(theirs));
}

namespace {

// Safari's list that cannot lose the entry: the archive and the leftovers stay with it,
// so that the list and the disk keep agreeing and a later try can still succeed.
struct UnrewritableCase {
    const char *name;
    std::function<void(TreeBuilder &, const std::string &list)> build;
};
ZEMBRA_PRINT_CASE_BY_NAME(UnrewritableCase)

class SafariListNotRewritable : public ExtensionRemoval,
                                public ::testing::WithParamInterface<UnrewritableCase> {};

const std::string kSafariList = "home/Library/Safari/Extensions/Extensions.plist";

} // namespace

TEST_P(SafariListNotRewritable, NothingDeleted_ArchiveReportedAsRemained) {
    const auto archive = t.file("home/Library/Safari/Extensions/A.safariextz", "archive");
    const auto pref = t.file("home/Library/Preferences/id.vendor.blocker.plist");
    GetParam().build(t, kSafariList);
    const std::string before = test::readFile(t / kSafariList);
    SafariItem item = safariItem(QStringLiteral("id.vendor.blocker"));
    bool done = false;
    const auto remainder = remove_safari_extension(scope(), item, s, [&](bool ok) { done = ok; });
    EXPECT_TRUE(done);
    EXPECT_TRUE(platform::itemExists(archive));
    EXPECT_TRUE(platform::itemExists(pref));
    EXPECT_EQ(test::readFile(t / kSafariList), before);
    ASSERT_FALSE(remainder.empty());
    EXPECT_EQ(remainder.front().path(), archive);
}

INSTANTIATE_TEST_SUITE_P(
    ExtensionRemoval, SafariListNotRewritable,
    ::testing::Values(UnrewritableCase{"ListIsALink",
                                       [](TreeBuilder &t, const std::string &list) {
                                           const auto real =
                                               t.file("elsewhere/Extensions.plist",
                                                      test::safariList(test::safariEntry(
                                                          "A.safariextz", "id.vendor.blocker")));
                                           t.link(list, real);
                                       }},
                      UnrewritableCase{
                          "ListKeyTwice",
                          [](TreeBuilder &t, const std::string &list) {
                              const std::string entry =
                                  test::safariEntry("A.safariextz", "id.vendor.blocker");
                              t.file(list, test::safariList(
                                               entry, "<key>Installed Extensions</key><array>" +
                                                          entry + "</array>"));
                          }}),
    zembra::test::CaseName());

TEST_F(ExtensionRemoval, RowsOnlyAGenericNameFound_KeptAsWeakMatches) {
    const auto url = t.app("home/Library/Address Book Plug-Ins/Card Tools.bundle",
                           "com.cardtools.helper", "Card Tools");
    const auto item = Bundle(s).plugin(url);
    const auto mine = t.file("home/Library/Logs/Card Tools.log");
    const auto theirs = t.file("home/Library/LaunchAgents/com.vendor.helper.plist");
    const auto groupFolder = t.dir("home/Library/Group Containers/group.helper.shared");
    const auto inside = t.file("home/Library/Group Containers/group.helper.shared/Card Tools.db");
    findFilesWithoutReview(*item, s);
    const auto kept = keptWithoutReview(*item, s);
    const auto files = item->files();
    ASSERT_EQ(kept.size(), files.size());
    size_t weakRows = 0;
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].isFileURL() && (files[i].path() == theirs || files[i].path() == groupFolder)) {
            EXPECT_EQ(kept[i], QStringLiteral("weak match")) << files[i].path();
            ++weakRows;
        }
    EXPECT_EQ(weakRows, 2u);
    const auto remainder = remove_files(scope(), *item, s, nullptr);
    EXPECT_FALSE(platform::itemExists(*item->url()));
    EXPECT_FALSE(platform::itemExists(mine));
    EXPECT_TRUE(platform::itemExists(theirs));
    EXPECT_TRUE(platform::itemExists(inside));
    EXPECT_TRUE(remainder.empty());
}

// An extension's found files pass the guard a review's do: a granted folder, or one holding
// a granted folder, is never deleted, even where a wider grant would allow it.
TEST(ExtensionRemovalGuards, GrantedFoldersAmongTheFoundFiles_NeverDeleted) {
    TreeBuilder t;
    platform::DeletionScope scope;
    for (const char *granted : {"disk", "disk/Users/me", "disk/Applications"})
        scope.addFolder(t.dir(granted));
    t.file("disk/Users/me/Library/Preferences/com.x.plist");
    const std::vector<fs::path> granted{t / "disk/Users/me", t / "disk/Users",
                                        t / "disk/Applications"};
    BundleItem item;
    item.setUrl(t.app("disk/Users/me/Library/Address Book Plug-Ins/X.bundle", "com.x"));
    std::vector<FileEntry> files{FileEntry::word(QStringLiteral("Supportfiles"))};
    for (const fs::path &p : granted)
        files.push_back(FileEntry::file(p));
    item.setFiles(files);
    removeFoundFiles(scope, item, {});
    for (const fs::path &p : granted)
        EXPECT_TRUE(platform::itemExists(p)) << p;
}
