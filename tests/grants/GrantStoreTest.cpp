#include "grants/GrantKeys.h"
#include "grants/GrantStore.h"
#include "platform/FolderAccess.h"
#include "platform/RunningApplications.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace zembra;
using namespace zembra::grants;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

TEST(GrantStore, NothingStoredResolvesNothing_ValidityLooksAtTheFolderName)
{
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

TEST(GrantStore, WholeDisk_AllowAnyGatesTheSystemFolders)
{
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

TEST(GrantStore, ResolvingStartsAccess_AndGrantsSurviveARestart)
{
    TreeBuilder t;
    TestSettings s;
    platform::FolderAccess::reset();
    GrantStore(s).createGrant(kHome, t.dir("home"));
    EXPECT_FALSE(platform::FolderAccess::mayDelete(t / "home/x"));
    platform::SettingsStore reopened(s.store().fileName());
    GrantStore(reopened).resolve(kHome);
    EXPECT_TRUE(platform::FolderAccess::mayDelete(t / "home/x"));
    platform::FolderAccess::reset();
}
