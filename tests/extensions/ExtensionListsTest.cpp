#include "extensions/Bundle.h"
#include "extensions/SafariBundle.h"
#include "extensions/SafariExtension.h"
#include "extensions/SafariExtensionsList.h"
#include "grants/GrantKeys.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

namespace {

template <typename List> std::vector<std::string> labels(const List &items) {
    std::vector<std::string> out;
    for (const auto &i : items)
        out.push_back(i->label().value_or(QStringLiteral("<none>")).toStdString());
    return out;
}

class ExtensionLists : public ::testing::Test {
protected:
    void SetUp() override {
        s.grant(grants::kHome, t / "home");
        t.app("home/Library/Address Book Plug-Ins/Card Sync.bundle", "com.x.cards", "Card Sync");
        t.app("home/Library/PreferencePanes/beta.prefPane", "com.x.beta", "Beta");
        t.entries(
            {"home/Library/Address Book Plug-Ins/.Hidden.bundle/",
             "home/Library/Address Book Plug-Ins/Notes.txt/",
             "home/Library/Spotlight/Home.mdimporter/", "Library/Spotlight/X.mdimporter/",
             "Library/QuickLook/Q.qlgenerator/", "Library/Internet Plug-Ins/Player.plugin/",
             "Library/Internet Plug-Ins/Foo.webplugin/", "Library/Internet Plug-Ins/Bar.PlugIn/",
             "Library/Internet Plug-Ins/Baz.bundle/", "home/Library/PreferencePanes/Foo.PrefPane/",
             "Library/PreferencePanes/beta.prefPane/", "Library/PreferencePanes/Alpha.prefPane/",
             // Named like a bundle but no folder: never listed.
             "home/Library/Address Book Plug-Ins/File.bundle"});
        ASSERT_EQ(mkfifo((t / "Library/Internet Plug-Ins/Fifo.plugin").c_str(), 0644), 0);
        t.link("home/Library/PreferencePanes/Link.prefPane",
               t / "home/Library/PreferencePanes/beta.prefPane");
        t.link("home/Library/PreferencePanes/Dangling.prefPane", t / "nowhere.prefPane");
    }
    TreeBuilder t;
    TestSettings s;
};

} // namespace

TEST_F(ExtensionLists, HomeOnlyWithoutTheWholeDisk_SystemFoldersWithIt_FoldersOnly) {
    const auto plugins = Bundle(s).installedPlugins();
    EXPECT_EQ(labels(plugins), (std::vector<std::string>{"Card Sync"}));
    EXPECT_EQ(plugins[0]->bundle(), QStringLiteral("com.x.cards"));
    EXPECT_FALSE(plugins[0]->app_icon());
    EXPECT_EQ(labels(Bundle(s).installedPrefPanes()), (std::vector<std::string>{"beta"}));

    SCOPED_TRACE("the whole disk granted: the system folders too");
    s.grant(grants::kMacOS, t.root());
    EXPECT_EQ(labels(Bundle(s).installedPlugins()),
              (std::vector<std::string>{"Bar", "Card Sync", "Foo", "Player", "Q", "X"}));
    const auto panes = Bundle(s).installedPrefPanes();
    EXPECT_EQ(labels(panes), (std::vector<std::string>{"Alpha", "beta", "beta"}));
    EXPECT_NE(panes[1]->url(), panes[2]->url());
}

TEST_F(ExtensionLists, SafariList_EmptyWithoutAListOrItsKey_SortedUsableEntriesOnly) {
    EXPECT_TRUE(SafariExtension(s).installedSafariExtensions().empty());
    t.file("home/Library/Safari/Extensions/Extensions.plist",
           test::readFixture("plists/safari/synthetic_Extensions_no_installed.plist"));
    EXPECT_TRUE(SafariExtension(s).installedSafariExtensions().empty());
    t.file("home/Library/Safari/Extensions/Extensions.plist",
           test::readFixture("plists/safari/synthetic_Extensions_binary.plist"));
    const auto items = SafariExtension(s).installedSafariExtensions();
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(labels(items), (std::vector<std::string>{"alpha", "Blocker-3", "Ghostery-7",
                                                       "Übersetzer", "zeta", "Zeta Clipper"}));
    const auto &blocker = items[1];
    EXPECT_EQ(blocker->bundle(), QStringLiteral("com.example.blocker-ABCDE"));
    EXPECT_EQ(blocker->url(), t / "home/Library/Safari/Extensions/Blocker-3.1.safariextz");
    EXPECT_EQ(blocker->label_name(), QStringLiteral(""));
    EXPECT_EQ(blocker->bundle_name_info(), QStringLiteral(""));
    EXPECT_FALSE(blocker->icon());
    EXPECT_FALSE(items[0]->bundle()); // alpha has no identifier
}

TEST_F(ExtensionLists, SafariList_UntrustedArchiveNamesGiveNoRecord) {
    std::string entries;
    for (const char *name : {"", ".", "..", "../../Documents", "ok.safariextz", "a/b.safariextz"})
        entries += test::safariEntry(name, "com.x.y");
    entries +=
        "<string>not a dict</string><dict><key>Archive File Name</key><integer>3</integer></dict>";
    const auto list = t.file("list.plist", test::safariList(entries));
    const auto read = safari::readInstalledExtensions(list);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].archiveFileName, QStringLiteral("ok.safariextz"));
}

TEST(SafariBundle, SystemSafariMissing_GrantedApplicationsFolderStandsIn_NoneAnywhereNoImage) {
    TreeBuilder t;
    TestSettings s;
    s.grant(grants::kApplications, t.dir("Applications"));
    EXPECT_FALSE(safariBundle(s, t / "missing/Safari.app"));
    EXPECT_FALSE(safariCompassImage(s, t / "missing/Safari.app"));

    const auto granted = t.app("Applications/Safari.app", "com.apple.Safari", "Safari");
    const auto image = t.file("Applications/Safari.app/Contents/Resources/compass.icns", "icns");
    EXPECT_EQ(safariBundle(s, t / "missing/Safari.app"), granted);
    EXPECT_EQ(safariCompassImage(s, t / "missing/Safari.app"), image);

    // The system's Safari comes first where it exists.
    const auto system = t.app("System/Safari.app", "com.apple.Safari", "Safari");
    EXPECT_EQ(safariBundle(s, system), system);
    EXPECT_FALSE(safariCompassImage(s, system)); // it has no compass image
}
