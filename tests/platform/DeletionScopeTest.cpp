// Folder handles and the deletion scope built on them: links on the way never followed,
// the granted folder itself never deleted, another device on the way never entered.
#include "platform/DeletionScope.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zembra::platform;
using zembra::test::readFile;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

class RemoveItem : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scope.addFolder(t.dir("granted"))); }
    TreeBuilder t;
    DeletionScope scope;
};

TEST_F(RemoveItem, OutsideGrantedFoldersOrTheGrantedFolderItself_Refused_ExactlyWhatIsNamedGoes) {
    const auto outside = t.file("elsewhere/file");
    for (const fs::path &given : {outside, t / "granted/../elsewhere/file", fs::path("granted/x")})
        EXPECT_FALSE(scope.remove(given)) << given;
    EXPECT_TRUE(itemExists(outside));
    EXPECT_FALSE(DeletionScope().remove(t / "granted/x")); // an empty scope allows nothing
    t.file("granted/leftover");
    for (const fs::path &given : {t / "granted", fs::path((t / "granted").native() + "/"),
                                  t / "granted/.", t / "granted/sub/.."}) {
        EXPECT_FALSE(scope.allows(given)) << given;
        EXPECT_FALSE(scope.remove(given)) << given;
    }
    EXPECT_TRUE(itemExists(t / "granted/leftover"));

    SCOPED_TRACE("exactly what is named goes, hidden entries and names not UTF-8 included");
    t.entries(
        {"granted/App/a/b/c", "granted/App/.DS_Store", "granted/caf\xe9", "granted/caf\xc3\xa9"});
    EXPECT_TRUE(scope.remove(t / "granted/App"));
    EXPECT_FALSE(itemExists(t / "granted/App"));
    EXPECT_TRUE(scope.remove(t / "granted/caf\xe9"));
    EXPECT_FALSE(itemExists(t / "granted/caf\xe9"));
    EXPECT_TRUE(itemExists(t / "granted/caf\xc3\xa9"));

    // A dropped item's grant covers the item itself only.
    t.entries({"dropped/Foo.app/Contents/Info.plist", "dropped/Foo.app.other"});
    const auto app = t / "dropped/Foo.app";
    EXPECT_FALSE(scope.remove(app));
    ASSERT_TRUE(scope.addItem(app));
    EXPECT_FALSE(scope.allows(t / "dropped"));
    EXPECT_FALSE(scope.allows(t / "dropped/Foo.app.other"));
    EXPECT_FALSE(scope.remove(t / "dropped/Foo.app.other"));
    EXPECT_TRUE(scope.remove(app / "Contents/Info.plist"));
    EXPECT_TRUE(scope.remove(app));
    EXPECT_FALSE(itemExists(app));
    EXPECT_TRUE(itemExists(t / "dropped"));
    EXPECT_FALSE(scope.addItem(t / "dropped/Missing.app"));
}

TEST_F(RemoveItem, LinksOnlyEverRemovedThemselves_OnTheWayOrInside_GrantedFolderMayBeReachedByOne) {
    // A folder on the way swapped for a link after the scope was built.
    const auto deep = t.file("elsewhere/A/B/precious");
    t.link("granted/A", t / "elsewhere/A"); // where a folder was when the grant was taken
    EXPECT_TRUE(scope.allows(t / "granted/A/B/precious"));
    EXPECT_FALSE(scope.remove(t / "granted/A/B/precious"));
    EXPECT_FALSE(scope.remove(t / "granted/A/B"));
    EXPECT_TRUE(scope.remove(t / "granted/A")); // the link itself may go, never its target
    EXPECT_TRUE(itemExists(deep));

    // Links inside a leftover folder: only the links go.
    const auto precious = t.file("elsewhere/precious");
    t.dir("elsewhere/dir");
    t.link("granted/Leftover/to-file", precious);
    t.link("granted/Leftover/to-dir", t / "elsewhere");
    EXPECT_TRUE(scope.remove(t / "granted/Leftover"));
    EXPECT_TRUE(scope.remove(t.link("granted/direct-link", t / "elsewhere")));
    EXPECT_TRUE(itemExists(precious));
    EXPECT_TRUE(itemExists(t / "elsewhere/dir"));

    const auto viaLink = t.link("linked", t / "elsewhere") / "dir";
    ASSERT_TRUE(scope.addFolder(viaLink));
    t.file("elsewhere/dir/leftover");
    EXPECT_TRUE(scope.remove(viaLink / "leftover"));
    EXPECT_FALSE(itemExists(t / "elsewhere/dir/leftover"));
}

TEST_F(RemoveItem, WalkDownRefusesParentsDotsEmptyComponentsAndOtherDevices) {
    t.file("granted/a/b/file");
    const FolderHandle root = FolderHandle::openBase(t / "granted");
    ASSERT_TRUE(root.isValid());
    EXPECT_TRUE(root.walkDown("a/b").isValid());
    for (const char *bad : {"a/../a", "a/./b", "a/b/", "..", "/a", "a/b/file"})
        EXPECT_FALSE(root.walkDown(bad).isValid()) << bad;
    // Another device than the root's stands for a mount point on the way.
    EXPECT_FALSE(root.walkDown("a/b", root.device() + 1).isValid());
    EXPECT_TRUE(root.walkDown("a/b", root.device()).isValid());
}

TEST_F(RemoveItem, PartlyDeletableFolder_ReportsFailureAndDeletesTheRest) {
    t.entries({"granted/App/locked/file", "granted/App/free"});
    ZEMBRA_HAND_TO_TEST_USER_OR_SKIP(t.root());
    zembra::test::makeReadOnlyForTestUser(t / "granted/App/locked");
    EXPECT_TRUE(zembra::test::runAsTestUser([&] {
        return !scope.remove(t / "granted/App") && itemExists(t / "granted/App/locked/file") &&
               !itemExists(t / "granted/App/free");
    }));
    fs::permissions(t / "granted/App/locked", fs::perms(0755));
}

TEST(FolderHandle, ReplaceFile_WholeFileReplacedModeKeptNoTemporaryLeft_RefusedLeavesItUntouched) {
    // The new file starts as the temporary's 0600: every other mode must be set anew.
    for (const auto mode : {0600, 0644, 0640, 0604, 0444}) {
        TreeBuilder t;
        const auto f = t.file("home/Library/list.plist", "old contents that are longer");
        fs::permissions(f, fs::perms(mode));
        const FolderHandle folder = FolderHandle::open(t / "home", "Library");
        ASSERT_TRUE(folder.isValid());
        QByteArray seen;
        ASSERT_TRUE(folder.replaceFile("list.plist", "new", [&](const QByteArray &written) {
            seen = written;
            return true;
        }));
        EXPECT_EQ(seen, QByteArray("new")); // what was read back from the disk
        EXPECT_EQ(readFile(f), "new");
        EXPECT_EQ(fs::status(f).permissions() & fs::perms::all, fs::perms(mode)) << mode;
        EXPECT_EQ(zembra::test::entryCount(t / "home/Library"), 1u);

        EXPECT_FALSE(
            folder.replaceFile("list.plist", "newer", [](const QByteArray &) { return false; }));
        EXPECT_FALSE(folder.replaceFile("../list.plist", "newer"));
        EXPECT_FALSE(fs::exists(t / "home/list.plist"));
        EXPECT_EQ(readFile(f), "new");
        EXPECT_EQ(zembra::test::entryCount(t / "home/Library"), 1u);
    }
}

TEST(FolderHandle, LinkOrUpwardStepInPath_NotOpened_FilesReadOnlyWhenRegularAndWithinLimit) {
    TreeBuilder t;
    t.file("elsewhere/Safari/Extensions/Extensions.plist", "foreign");
    t.entries({"home/Library/", "home2/Library/Safari/", "home3/Library/Safari/Extensions/"});
    t.link("home/Library/Safari", t / "elsewhere/Safari");
    t.link("home2/Library/Safari/Extensions", t / "elsewhere/Safari/Extensions");
    EXPECT_FALSE(FolderHandle::open(t / "home", "Library/Safari/Extensions").isValid());
    EXPECT_FALSE(FolderHandle::open(t / "home2", "Library/Safari/Extensions").isValid());
    for (const fs::path &bad :
         {fs::path("Library/../../elsewhere"), t / "elsewhere", fs::path("Library/Missing")})
        EXPECT_FALSE(FolderHandle::open(t / "home3", bad).isValid()) << bad;
    // The granted folder's own path may pass through a link.
    t.link("granted", t / "home3");
    EXPECT_TRUE(FolderHandle::open(t / "granted", "Library/Safari/Extensions").isValid());

    // Files are read only when regular, not through a link, and within the limit.
    t.file("home/list.plist", "12345");
    t.link("home/linked.plist", t.file("outside.plist", "foreign"));
    ASSERT_EQ(mkfifo((t / "home/fifo.plist").c_str(), 0644), 0);
    const FolderHandle folder = FolderHandle::open(t / "home", "");
    EXPECT_EQ(folder.readFile("list.plist", 5), QByteArray("12345"));
    EXPECT_FALSE(folder.readFile("list.plist", 4));
    // The FIFO: returns instead of waiting for a writer.
    for (const char *none : {"linked.plist", "fifo.plist", "missing.plist"})
        EXPECT_FALSE(folder.readFile(none, 100)) << none;
}
