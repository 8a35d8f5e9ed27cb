#include "platform/FolderHandle.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zembra::platform;
using zembra::test::readFile;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

TEST(FolderHandle, ReplaceFile_WholeFileReplacedModeKeptNoTemporaryLeft) {
    // The new file starts as the temporary's 0600: every other mode must be set anew.
    for (const auto mode :
         {fs::perms(0600), fs::perms(0644), fs::perms(0640), fs::perms(0604), fs::perms(0444)}) {
        TreeBuilder t;
        const auto f = t.file("home/Library/list.plist", "old contents that are longer");
        fs::permissions(f, mode);
        const FolderHandle folder = FolderHandle::open(t / "home", "Library");
        ASSERT_TRUE(folder.isValid());
        QByteArray seen;
        ASSERT_TRUE(folder.replaceFile("list.plist", "new", [&](const QByteArray &written) {
            seen = written;
            return true;
        }));
        EXPECT_EQ(seen, QByteArray("new")); // what was read back from the disk
        EXPECT_EQ(readFile(f), "new");
        EXPECT_EQ(fs::status(f).permissions() & fs::perms::all, mode) << int(mode);
        EXPECT_EQ(zembra::test::entryCount(t / "home/Library"), 1u);
    }
}

TEST(FolderHandle, ReplaceFile_Refused_FileUntouchedNoTemporaryLeft) {
    TreeBuilder t;
    const auto f = t.file("home/list.plist", "old");
    const FolderHandle folder = FolderHandle::open(t / "home", "");
    ASSERT_TRUE(folder.isValid());
    EXPECT_FALSE(folder.replaceFile("list.plist", "new", [](const QByteArray &) { return false; }));
    EXPECT_FALSE(folder.replaceFile("../list.plist", "new"));
    EXPECT_EQ(readFile(f), "old");
    EXPECT_EQ(zembra::test::entryCount(t / "home"), 1u);
}

TEST(FolderHandle, LinkOrUpwardStepInPath_NotOpened) {
    TreeBuilder t;
    t.file("elsewhere/Safari/Extensions/Extensions.plist", "foreign");
    t.dir("home/Library");
    t.link("home/Library/Safari", t / "elsewhere/Safari");
    t.dir("home2/Library/Safari");
    t.link("home2/Library/Safari/Extensions", t / "elsewhere/Safari/Extensions");
    t.dir("home3/Library/Safari/Extensions");
    EXPECT_FALSE(FolderHandle::open(t / "home", "Library/Safari/Extensions").isValid());
    EXPECT_FALSE(FolderHandle::open(t / "home2", "Library/Safari/Extensions").isValid());
    EXPECT_FALSE(FolderHandle::open(t / "home3", "Library/../../elsewhere").isValid());
    EXPECT_FALSE(FolderHandle::open(t / "home3", t / "elsewhere").isValid());
    EXPECT_FALSE(FolderHandle::open(t / "home3", "Library/Missing").isValid());
    // The granted folder's own path may pass through a link.
    t.link("granted", t / "home3");
    EXPECT_TRUE(FolderHandle::open(t / "granted", "Library/Safari/Extensions").isValid());
}

TEST(FolderHandle, ReadFile_OnlyRegularFilesNotThroughLinksWithinLimit) {
    TreeBuilder t;
    t.file("home/list.plist", "12345");
    t.file("outside.plist", "foreign");
    t.link("home/linked.plist", t / "outside.plist");
    ASSERT_EQ(mkfifo((t / "home/fifo.plist").c_str(), 0644), 0);
    const FolderHandle folder = FolderHandle::open(t / "home", "");
    EXPECT_EQ(folder.readFile("list.plist", 5), QByteArray("12345"));
    EXPECT_FALSE(folder.readFile("list.plist", 4));
    EXPECT_FALSE(folder.readFile("linked.plist", 100));
    EXPECT_FALSE(folder.readFile("fifo.plist", 100)); // returns instead of waiting for a writer
    EXPECT_FALSE(folder.readFile("missing.plist", 100));
}
