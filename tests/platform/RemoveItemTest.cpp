#include "platform/FileSystem.h"
#include "platform/FolderAccess.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>


using namespace zembra::platform;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

class RemoveItem : public ::testing::Test {
protected:
    void SetUp() override
    {
        FolderAccess::reset();
        FolderAccess::startAccessing(t / "granted");
    }
    void TearDown() override { FolderAccess::reset(); }
    TreeBuilder t;
};

TEST_F(RemoveItem, OutsideGrantedFolders_RefusedAndKept)
{
    const auto outside = t.file("elsewhere/file");
    EXPECT_FALSE(removeItem(outside));
    EXPECT_TRUE(itemExists(outside));
    EXPECT_FALSE(removeItem(t / "granted")); // the granted folder itself is not below it
    EXPECT_FALSE(removeItem(t / "granted/../elsewhere/file"));
    EXPECT_TRUE(itemExists(outside));
}

TEST_F(RemoveItem, FolderWithEverythingInside_HiddenIncluded)
{
    t.file("granted/App/a/b/c");
    t.file("granted/App/.DS_Store");
    EXPECT_TRUE(removeItem(t / "granted/App"));
    EXPECT_FALSE(itemExists(t / "granted/App"));
}

TEST_F(RemoveItem, LinkInsideLeftoverFolder_OnlyTheLinkGoes)
{
    const auto precious = t.file("elsewhere/precious");
    t.dir("elsewhere/dir");
    t.link("granted/Leftover/to-file", precious);
    t.link("granted/Leftover/to-dir", t / "elsewhere");
    EXPECT_TRUE(removeItem(t / "granted/Leftover"));
    EXPECT_TRUE(itemExists(precious));
    EXPECT_TRUE(itemExists(t / "elsewhere/dir"));
    const auto direct = t.link("granted/direct-link", t / "elsewhere");
    EXPECT_TRUE(removeItem(direct));
    EXPECT_TRUE(itemExists(precious));
}

TEST_F(RemoveItem, FolderSwappedForLinkOnTheWay_DoesNotLeadElsewhere)
{
    const auto precious = t.file("elsewhere/Sub/precious");
    t.link("granted/Sub", t / "elsewhere/Sub"); // a component on the way is a link
    EXPECT_FALSE(removeItem(t / "granted/Sub/precious"));
    EXPECT_TRUE(itemExists(precious));
}

TEST_F(RemoveItem, GrantedFolderReachedThroughALink_DeletesBelowIt)
{
    const auto file = t.file("real/folder/leftover");
    const auto viaLink = t.link("linked", t / "real") / "folder";
    FolderAccess::startAccessing(viaLink);
    EXPECT_TRUE(removeItem(viaLink / "leftover"));
    EXPECT_FALSE(itemExists(file));
}

TEST_F(RemoveItem, NameThatIsNotUtf8_ExactlyThatFileGoes)
{
    const std::string latin1 = "caf\xe9";
    const auto odd = t.file("granted/" + latin1);
    const auto similar = t.file("granted/caf\xc3\xa9");
    EXPECT_TRUE(removeItem(odd));
    EXPECT_FALSE(itemExists(odd));
    EXPECT_TRUE(itemExists(similar));
}

TEST_F(RemoveItem, PartlyDeletableFolder_ReportsFailureAndDeletesTheRest)
{
    t.file("granted/App/locked/file");
    t.file("granted/App/free");
    ZEMBRA_HAND_TO_TEST_USER_OR_SKIP(t.root());
    zembra::test::makeReadOnlyForTestUser(t / "granted/App/locked");
    EXPECT_TRUE(zembra::test::runAsTestUser([&] {
        return !removeItem(t / "granted/App") && itemExists(t / "granted/App/locked/file") &&
               !itemExists(t / "granted/App/free");
    }));
    fs::permissions(t / "granted/App/locked", fs::perms(0755));
}

TEST_F(RemoveItem, DroppedItemGrant_CoversTheItemItself)
{
    const auto app = t.file("dropped/Foo.app/Contents/Info.plist").parent_path().parent_path();
    EXPECT_FALSE(removeItem(app));
    FolderAccess::grantItem(app);
    EXPECT_TRUE(removeItem(app));
    EXPECT_FALSE(itemExists(app));
    EXPECT_FALSE(FolderAccess::mayDelete(t / "dropped"));
}
