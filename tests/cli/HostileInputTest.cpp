// The command line against hostile input: property lists nested far too deep, and
// Safari's list reached through symbolic links.
#include "support/CliRunner.h"
#include "support/HostilePlists.h"
#include "support/TreeBuilder.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

using zembra::test::TreeBuilder;
namespace test = zembra::test;
namespace fs = std::filesystem;

namespace {

QJsonArray items(const test::CliRun &r) {
    return r.json()["items"].toArray();
}

class HostileInput : public ::testing::Test {
protected:
    void SetUp() override {
        t.app("Applications/Editor.app", "com.vendor.editor", "Editor", "Editor");
        t.dir("Users/me/Library");
    }
    TreeBuilder t;
};

const char *kBlocker = "com.example.blocker-ABCDE";

} // namespace

TEST_F(HostileInput, Apps_OneBundleNestedTooDeep_TheOthersListedExitZero) {
    t.bundleWithPlist("Applications/Deep.app", test::deepBinary(100000));
    t.bundleWithPlist("Applications/DeepXml.app", test::deepXml(200000));
    const test::CliRun r = test::runGranted(t, {"apps", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Listed by name, as any application whose information cannot be read.
    ASSERT_EQ(items(r).size(), 3);
    for (const auto &value : items(r)) {
        const QJsonObject item = value.toObject();
        if (item["label"].toString() == QStringLiteral("Editor"))
            EXPECT_EQ(item["bundle"].toString(), QStringLiteral("com.vendor.editor"));
        else
            EXPECT_TRUE(item["bundle"].isNull()) << item["label"].toString().toStdString();
    }
}

TEST_F(HostileInput, SafariList_NestedTooDeep_ListsNothingRemovesNothing) {
    const auto list =
        t.file("Users/me/Library/Safari/Extensions/Extensions.plist", test::deepBinary(100000));
    const test::CliRun listed = test::runGranted(t, {"safari-extensions", "--json"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_TRUE(items(listed).isEmpty());
    EXPECT_EQ(test::runGranted(t, {"remove-safari-extension", kBlocker, "--yes"}).status, 1);
    EXPECT_EQ(test::readFile(list), test::deepBinary(100000));
}

// Safari's folder, its Extensions folder or the list itself is a link to one elsewhere:
// the list cannot be rewritten, so nothing is removed (the archive stays with its entry),
// the dry run says so too, and the list is neither rewritten nor joined by a temporary file.
TEST_F(HostileInput, RemoveSafariExtension_ListThroughLink_NothingRemovedExitOne) {
    const std::string original =
        test::readFixture("plists/safari/synthetic_Extensions_binary.plist");
    for (const std::string linked :
         {"Users/me/Library/Safari", "Users/me/Library/Safari/Extensions",
          "Users/me/Library/Safari/Extensions/Extensions.plist"}) {
        SCOPED_TRACE(linked);
        TreeBuilder tree;
        tree.app("Applications/Editor.app", "com.vendor.editor", "Editor", "Editor");
        tree.dir("Users/me/Library");
        const auto foreign =
            tree.file("elsewhere/Extensions/Extensions.plist", original).parent_path();
        const auto archive = tree.file("elsewhere/Extensions/Blocker-3.1.safariextz");
        if (linked.ends_with("Safari")) {
            tree.link(linked, tree / "elsewhere");
        } else if (linked.ends_with("Extensions")) {
            tree.dir("Users/me/Library/Safari");
            tree.link(linked, foreign);
        } else {
            tree.file("Users/me/Library/Safari/Extensions/Blocker-3.1.safariextz");
            tree.link(linked, foreign / "Extensions.plist");
        }
        const auto mine = tree / "Users/me/Library/Safari/Extensions/Blocker-3.1.safariextz";
        for (const char *mode : {"--dry-run", "--yes"}) {
            const test::CliRun r =
                test::runGranted(tree, {"remove-safari-extension", kBlocker, mode});
            EXPECT_EQ(r.status, 1) << r.out;
            EXPECT_NE(r.err.find("cannot be rewritten"), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(std::string(mode) == "--yes" ? "nothing was removed"
                                                              : "nothing would be removed"),
                      std::string::npos)
                << r.err;
        }
        EXPECT_TRUE(fs::exists(mine));
        EXPECT_TRUE(fs::exists(archive));
        EXPECT_EQ(test::readFile(foreign / "Extensions.plist"), original);
        EXPECT_EQ(test::entryCount(foreign),
                  2u); // the list and the archive: no temporary file joined them
    }
}

// The command line's settings folder is a link to a folder elsewhere: said once, and
// nothing is written there.
TEST_F(HostileInput, SettingsFolderIsALink_SaidSo_NothingWrittenThere) {
    const auto elsewhere = t.dir("elsewhere");
    t.link(".config/zembra", elsewhere);
    const test::CliRun r = test::runGranted(t, {"apps", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("is a symbolic link: settings are kept for this run only"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(test::entryCount(elsewhere), 0u);
}
