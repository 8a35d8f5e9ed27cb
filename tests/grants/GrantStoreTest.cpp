#include "grants/GrantStore.h"
#include "grants/GrantKeys.h"
#include "platform/RunningApplications.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace zembra;
using namespace zembra::grants;

struct Grants : ::testing::Test {
    test::TreeBuilder t;
    test::TestSettings s;
    GrantStore g{s};
};

TEST_F(Grants, ValidityByFolderName_ScopeFromWhatIsStored_WholeDiskOnlyWhenAllowedAndValid) {
    EXPECT_FALSE(g.resolve(kHome).folder);
    EXPECT_FALSE(g.isValid(kApplications) || g.isValid(kHome));
    g.createGrant(kApplications, t.dir("Applications"));
    g.createGrant(kHome, t.dir("Users/" + platform::userName().toStdString()));
    EXPECT_TRUE(g.isValid(kApplications) && g.isValid(kHome));
    g.createGrant(kApplications, t.dir("Programs")); // the wrong folder is stored all the same
    EXPECT_FALSE(g.isValid(kApplications));
    EXPECT_EQ(g.resolve(kApplications).folder, t / "Programs");
    g.createGrant(kHome, t / "Users"); // the parent of home covers it but is not it
    EXPECT_FALSE(g.isValid(kHome));

    // The deletion scope comes from the stored grants, which survive a restart.
    g.createGrant(kHome, t.dir("home"));
    g.createGrant(kApplications, t.dir("Applications"));
    platform::SettingsStore reopened(s.store().fileName());
    const platform::DeletionScope scope = GrantStore(reopened).deletionScope();
    EXPECT_TRUE(scope.allows(t / "home/x"));
    EXPECT_TRUE(scope.allows(t / "Applications/A.app"));
    EXPECT_FALSE(scope.allows(t / "home"));
    EXPECT_FALSE(scope.allows(t / "elsewhere/x"));

    // The whole disk: AllowAny gates the system folders; deletable only when allowed and valid.
    EXPECT_FALSE(g.systemFoldersAllowed(g.resolve(kMacOS)));
    g.createGrant(kMacOS, t.root()); // not "/": still sets AllowAny
    EXPECT_EQ(s.store().integerForKey(kAllowAny), 1);
    EXPECT_FALSE(g.isValid(kMacOS));
    EXPECT_TRUE(g.systemFoldersAllowed(g.resolve(kMacOS)));
    EXPECT_FALSE(g.deletionScope().allows(t / "Library/x")) << "allowed, but not the whole disk";
    s.store().remove(kAllowAny);
    EXPECT_FALSE(g.systemFoldersAllowed(g.resolve(kMacOS)));
    EXPECT_TRUE(g.resolve(kMacOS).folder);

    // The search reads every grant, the whole disk's too: that never makes deletion possible.
    g.createGrant(kMacOS, "/");
    s.store().remove(kAllowAny);
    (void)g.resolve(kMacOS);
    (void)g.isValid(kMacOS);
    EXPECT_FALSE(g.deletionScope().allows("/etc/zembra-never"));
    EXPECT_FALSE(g.deletionScope().remove(t / "system-file"));
    EXPECT_TRUE(g.deletionScope().allows(t / "home/x"));
    s.store().setInteger(kAllowAny, 1);
    EXPECT_TRUE(g.deletionScope().allows("/etc/zembra-never"));
    EXPECT_FALSE(g.deletionScope().allows("/"));
}
