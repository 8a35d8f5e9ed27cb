#include "extensions/OtherApplications.h"
#include "extensions/SafariBundle.h"
#include "grants/GrantKeys.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

namespace {

struct OwnershipCase {
    const char *entry;
    bool another;
};

class OtherApplicationsRule : public ::testing::TestWithParam<OwnershipCase> {
protected:
    static BundleItem syncPlugin()
    {
        BundleItem item;
        item.setLabel(QStringLiteral("Sync"));
        item.setBundle(QStringLiteral("com.cards.sync"));
        item.setUrl(std::filesystem::path("/home/u/Library/Address Book Plug-Ins/Sync.bundle"));
        return item;
    }
    const OtherApplications others{{
        {QStringLiteral("com.dropbox.client"), QStringLiteral("Dropbox"), QStringLiteral("Dropbox")},
        {QStringLiteral("com.media.center"), QStringLiteral("Media Center"), QStringLiteral("MediaCenter")},
        {QStringLiteral(""), QStringLiteral("Sync"), QStringLiteral("empty_string")},
        {QStringLiteral("com.cards.sync"), QStringLiteral("Cards"), QStringLiteral("Cards")},
    }};
};

} // namespace

TEST_P(OtherApplicationsRule, Entry_NamedAfterAnApplication_StartsUnticked)
{
    const BundleItem item = syncPlugin();
    EXPECT_EQ(others.belongsToAnother(GetParam().entry, item), GetParam().another) << GetParam().entry;
}

INSTANTIATE_TEST_SUITE_P(
    Table, OtherApplicationsRule,
    ::testing::Values(
        // Another application's identifier anywhere in the name, in any case.
        OwnershipCase{"/h/Library/Caches/com.dropbox.client", true},
        OwnershipCase{"/h/Library/Preferences/COM.DROPBOX.CLIENT.sync.plist", true},
        // Its label or bundle name, whole, with or without an extension.
        OwnershipCase{"/h/Library/Application Support/Dropbox", true},
        OwnershipCase{"/h/Library/Logs/Media Center.log", true},
        OwnershipCase{"/h/Library/Application Support/médiacenter", true},
        // A name that only contains a label is not enough.
        OwnershipCase{"/h/Library/Application Support/Dropbox Sync Helper", false},
        // Equal to another application's label, also the item's own generic name.
        OwnershipCase{"/h/Library/Application Support/Sync", true},
        // The item's own identifier wins, whatever else the name holds.
        OwnershipCase{"/h/Library/Preferences/com.cards.sync.plist", false},
        OwnershipCase{"/h/Library/Caches/com.cards.sync.com.dropbox.client", false},
        // The item itself never belongs to another.
        OwnershipCase{"/home/u/Library/Address Book Plug-Ins/Sync.bundle", false},
        // The "empty_string" placeholder of an absent bundle name names nothing.
        OwnershipCase{"/h/Library/Logs/empty_string", false},
        OwnershipCase{"/h/Library/Logs/unrelated.log", false}));

TEST(OtherApplications, Installed_ReadsTheGrantedApplicationsFolder)
{
    TreeBuilder t;
    TestSettings s;
    t.app("Applications/Dropbox.app", "com.dropbox.client", "Dropbox");
    s.grant(grants::kApplications, t / "Applications");
    BundleItem item;
    item.setBundle(QStringLiteral("com.cards.sync"));
    const OtherApplications others = OtherApplications::installed(s);
    EXPECT_TRUE(others.belongsToAnother(t / "home/Library/Caches/com.dropbox.client", item));
    EXPECT_FALSE(others.belongsToAnother(t / "home/Library/Caches/com.other.thing", item));
}

TEST(SafariBundle, SystemSafariMissing_GrantedApplicationsFolderStandsIn)
{
    TreeBuilder t;
    TestSettings s;
    const auto granted = t.app("Applications/Safari.app", "com.apple.Safari", "Safari");
    const auto image = t.file("Applications/Safari.app/Contents/Resources/compass.icns", "icns");
    s.grant(grants::kApplications, t / "Applications");

    EXPECT_EQ(safariBundle(s, t / "missing/Safari.app"), granted);
    EXPECT_EQ(safariCompassImage(s, t / "missing/Safari.app"), image);

    // The system's Safari comes first where it exists.
    const auto system = t.app("System/Safari.app", "com.apple.Safari", "Safari");
    EXPECT_EQ(safariBundle(s, system), system);
    EXPECT_FALSE(safariCompassImage(s, system)); // it has no compass image
}

TEST(SafariBundle, NoSafariAnywhere_NoImage)
{
    TreeBuilder t;
    TestSettings s;
    s.grant(grants::kApplications, t.dir("Applications"));
    EXPECT_FALSE(safariBundle(s, t / "missing/Safari.app"));
    EXPECT_FALSE(safariCompassImage(s, t / "missing/Safari.app"));
}
