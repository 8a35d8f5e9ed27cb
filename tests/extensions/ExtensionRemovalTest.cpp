#include "extensions/ExtensionRemoval.h"
#include "extensions/Bundle.h"
#include "extensions/SafariExtension.h"
#include "extensions/SafariExtensionsList.h"
#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/FileSystem.h"
#include "platform/PropertyList.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

namespace {

const std::string kSafariList = "home/Library/Safari/Extensions/Extensions.plist";

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

TEST_F(ExtensionRemoval, PluginWithLeftovers_OwnGone_FlaggedRowsAndTheirFoldersKept) {
    s.grant(grants::kApplications, t.dir("Applications"));
    t.app("Applications/Card Sync Pro.app", "com.x.cardsyncpro", "Card Sync Pro");
    const auto item = plugin();
    t.entries({"home/Library/Preferences/com.x.cardsync.plist",
               "home/Library/Caches/com.x.cardsync/c",
               "home/Library/Preferences/com.x.cardsyncpro.plist",
               "home/Library/Logs/Card Sync/Card Sync Pro.log", "home/Desktop/Card Sync/"});
    const fs::path lib = t / "home/Library", theirs = lib / "Preferences/com.x.cardsyncpro.plist",
                   theirLog = lib / "Logs/Card Sync/Card Sync Pro.log";
    bool done = false;
    EXPECT_TRUE(remove_files(scope(), *item, s, [&](bool ok) { done = ok; }).empty());
    EXPECT_TRUE(done);
    EXPECT_TRUE(item->sizes().empty());
    for (const fs::path &gone :
         {*item->url(), lib / "Preferences/com.x.cardsync.plist", lib / "Caches/com.x.cardsync"})
        EXPECT_FALSE(platform::itemExists(gone)) << gone;
    // The user's own Desktop folder is no leftover here.
    for (const fs::path &stays : {theirs, theirLog, t / "home/Desktop/Card Sync"})
        EXPECT_TRUE(platform::itemExists(stays)) << stays;
}

TEST_F(ExtensionRemoval, EntryThatCannotBeDeleted_ReportedOnlyWhileTheItemStays) {
    for (const bool refuseItem : {true, false}) {
        SCOPED_TRACE(refuseItem ? "item refused" : "leftover refused");
        const auto item = plugin();
        const auto pref = t.file("home/Library/Preferences/com.x.cardsync.plist");
        const fs::path refused = refuseItem ? *item->url() : pref;
        ExtensionRemovalServices refuse;
        refuse.removeItem = [&](const fs::path &p) { return p != refused && scope().remove(p); };
        const auto remainder = remove_files(scope(), *item, s, nullptr, refuse);
        EXPECT_TRUE(platform::itemExists(refused));
        if (!refuseItem) {
            EXPECT_TRUE(remainder.empty());
            EXPECT_FALSE(platform::itemExists(*item->url()));
            continue;
        }
        // The "Preferences" marker and file, the "Plugins" marker and the item found again.
        ASSERT_EQ(remainder.size(), 5u);
        EXPECT_EQ(remainder[0].path(), *item->url());
        EXPECT_FALSE(remainder[1].isFileURL());
    }
}

TEST_F(ExtensionRemoval, SafariExtension_OwnGone_FlaggedKept_BinaryListStaysBinaryOtherKeysKept) {
    s.grant(grants::kApplications, t.dir("Applications"));
    t.app("Applications/Blocker Studio.app", "com.example.blocker-ABCDE.studio", "Blocker Studio");
    t.file(kSafariList, test::readFixture("plists/safari/synthetic_Extensions_binary.plist"));
    t.entries({"home/Library/Safari/Extensions/Blocker-3.1.safariextz",
               "home/Library/Caches/com.example.blocker-ABCDE/",
               "home/Library/Caches/com.example.blocker-ABCDE.studio/"});
    SafariItem item = safariItem(QStringLiteral("com.example.blocker-ABCDE"));
    bool done = false;
    remove_safari_extension(scope(), item, s, [&](bool ok) { done = ok; });
    EXPECT_TRUE(done);
    EXPECT_FALSE(platform::itemExists(t / "home/Library/Safari/Extensions/Blocker-3.1.safariextz"));
    EXPECT_FALSE(platform::itemExists(t / "home/Library/Caches/com.example.blocker-ABCDE"));
    EXPECT_TRUE(platform::itemExists(t / "home/Library/Caches/com.example.blocker-ABCDE.studio"));
    const std::string bytes = test::readFile(t / kSafariList);
    EXPECT_EQ(bytes.rfind("bplist00", 0), 0u);
    EXPECT_EQ(bytes.find("com.example.blocker-ABCDE"), std::string::npos);
    const auto list = platform::PropertyList::fromFile(t / kSafariList);
    EXPECT_TRUE(list.root().item("Some Future Key").isDictionary());
    EXPECT_EQ(safari::readInstalledExtensions(t / kSafariList).size(), 5u);
}

TEST_F(ExtensionRemoval, ArchiveThatCannotBeDeleted_EntryDroppedAllTheSame) {
    t.file(kSafariList, test::readFixture("plists/safari/synthetic_Extensions_xml.plist"));
    auto items = SafariExtension(s).extensionsInListOrder();
    ASSERT_FALSE(items.empty());
    ExtensionRemovalServices refuse;
    refuse.removeItem = [](const fs::path &) { return false; };
    remove_safari_extension(scope(), *items[0], s, nullptr, refuse);
    EXPECT_EQ(safari::readInstalledExtensions(t / kSafariList).size(), items.size() - 1);
}

// The list and the disk keep agreeing, so a later try can still succeed. Why a list cannot be
// rewritten (here: which of its two lists would Safari read?) is SafariListUntouched's.
TEST_F(ExtensionRemoval, SafariListNotRewritable_NothingDeleted_ArchiveReportedAsRemained) {
    const std::string entry = test::safariEntry("A.safariextz", "id.vendor.blocker");
    const auto archive = t.file("home/Library/Safari/Extensions/A.safariextz", "archive");
    const auto pref = t.file("home/Library/Preferences/id.vendor.blocker.plist");
    const std::string list =
        test::safariList(entry, "<key>Installed Extensions</key><array>" + entry + "</array>");
    t.file(kSafariList, list);
    SafariItem item = safariItem(QStringLiteral("id.vendor.blocker"));
    const auto remainder = remove_safari_extension(scope(), item, s, nullptr);
    EXPECT_TRUE(platform::itemExists(archive) && platform::itemExists(pref));
    EXPECT_EQ(test::readFile(t / kSafariList), list);
    ASSERT_FALSE(remainder.empty());
    EXPECT_EQ(remainder.front().path(), archive);
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
