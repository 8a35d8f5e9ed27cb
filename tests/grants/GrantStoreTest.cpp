#include "grants/GrantStore.h"
#include "grants/GrantKeys.h"
#include "platform/RunningApplications.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace zembra;
using namespace zembra::grants;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

TEST(GrantStore, NothingStoredResolvesNothing_ValidityLooksAtTheFolderName) {
    TreeBuilder t;
    TestSettings s;
    GrantStore g(s);
    EXPECT_FALSE(g.resolve(kHome).folder);
    EXPECT_FALSE(g.isValid(kApplications));
    EXPECT_FALSE(g.isValid(kHome));
    const std::string user = platform::userName().toStdString();
    g.createGrant(kApplications, t.dir("Applications"));
    g.createGrant(kHome, t.dir("Users/" + user));
    EXPECT_TRUE(g.isValid(kApplications));
    EXPECT_TRUE(g.isValid(kHome));

    g.createGrant(kApplications, t.dir("Programs")); // the wrong folder is stored all the same
    EXPECT_FALSE(g.isValid(kApplications));
    EXPECT_EQ(g.resolve(kApplications).folder, t / "Programs");
    g.createGrant(kHome, t / "Users"); // the parent of home covers it but is not it
    EXPECT_FALSE(g.isValid(kHome));
}

TEST(GrantStore, WholeDisk_AllowAnyGatesTheSystemFolders) {
    TreeBuilder t;
    TestSettings s;
    GrantStore g(s);
    EXPECT_FALSE(g.systemFoldersAllowed(g.resolve(kMacOS)));
    g.createGrant(kMacOS, t.root()); // not "/": still sets AllowAny
    EXPECT_EQ(s.store().integerForKey(kAllowAny), 1);
    EXPECT_FALSE(g.isValid(kMacOS));
    EXPECT_TRUE(g.systemFoldersAllowed(g.resolve(kMacOS)));
    s.store().remove(kAllowAny);
    EXPECT_FALSE(g.systemFoldersAllowed(g.resolve(kMacOS)));
    EXPECT_TRUE(g.resolve(kMacOS).folder);
}

TEST(GrantStore, DeletionScope_FromTheStoredGrants_AndGrantsSurviveARestart) {
    TreeBuilder t;
    TestSettings s;
    GrantStore(s).createGrant(kHome, t.dir("home"));
    GrantStore(s).createGrant(kApplications, t.dir("Applications"));
    platform::SettingsStore reopened(s.store().fileName());
    const platform::DeletionScope scope = GrantStore(reopened).deletionScope();
    EXPECT_TRUE(scope.allows(t / "home/x"));
    EXPECT_TRUE(scope.allows(t / "Applications/A.app"));
    EXPECT_FALSE(scope.allows(t / "home"));
    EXPECT_FALSE(scope.allows(t / "elsewhere/x"));
}

TEST(GrantStore, WholeDisk_DeletableOnlyWhenAllowedAndValid) {
    TreeBuilder t;
    TestSettings s;
    GrantStore g(s);
    g.createGrant(kHome, t.dir("home"));
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

    g.createGrant(kMacOS, t.root()); // allowed, but not the whole disk: not valid
    const platform::DeletionScope scope = g.deletionScope();
    EXPECT_FALSE(scope.allows("/etc/zembra-never"));
    EXPECT_FALSE(scope.allows(t / "Library/x"));
}
