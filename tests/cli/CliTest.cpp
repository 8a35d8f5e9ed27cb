#include "grants/GrantKeys.h"
#include "platform/FileSystem.h"
#include "platform/FolderAccess.h"
#include "support/CliRunner.h"
#include "support/TreeBuilder.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <set>

using zembra::test::CliRun;
using zembra::test::runCli;
using zembra::test::runGranted;
using zembra::test::TreeBuilder;
namespace test = zembra::test;
namespace fs = std::filesystem;

namespace {

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        t.app("Applications/Editor.app", "com.vendor.editor", "Editor", "Editor");
        t.app("Applications/Safari.app", "com.apple.Safari", "Safari", "Safari");
        t.app("Applications/Utilities/Tool.app", "com.vendor.tool");
        t.file("Users/me/Library/Preferences/com.vendor.editor.plist", "12345");
        t.file("Users/me/Library/Logs/Editor/Editor.log", "abc");
        t.app("Users/me/Library/Address Book Plug-Ins/Cards.bundle", "com.cards.plugin", "Cards");
        t.file("Users/me/Library/Preferences/com.cards.plugin.plist");
    }
    TreeBuilder t;
    const std::string app = (t / "Applications/Editor.app").native();
};

} // namespace

TEST_F(Cli, AppsJson_ListOrderAndFields) {
    const CliRun r = runGranted(t, {"apps", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonArray items = r.json()["items"].toArray();
    ASSERT_EQ(items.size(), 1);
    const QJsonObject editor = items[0].toObject();
    EXPECT_EQ(editor["label"].toString(), QStringLiteral("Editor"));
    EXPECT_EQ(editor["url"].toString().toStdString(), app);
    EXPECT_EQ(editor["company_name"].toString(), QStringLiteral("vendor"));
    EXPECT_EQ(editor.keys().size(), 8);

    const CliRun all =
        runGranted(t, {"apps", "--json", "--include-default-apps", "--include-utilities"});
    const QJsonArray everything = all.json()["items"].toArray();
    ASSERT_EQ(everything.size(), 3);
    EXPECT_EQ(everything[2].toObject()["label"].toString(), QStringLiteral("Tool"));
    EXPECT_TRUE(everything[2].toObject()["label_name"].toString() ==
                QStringLiteral("empty_string"));
}

TEST_F(Cli, UsageErrors) {
    EXPECT_EQ(runCli(t, {"apps"}).status, 2); // no Applications grant stored
    EXPECT_EQ(runCli(t, {"apps", "--applications", (t / "missing").native()}).status, 2);
    const std::vector<std::vector<std::string>> misused = {
        {"frobnicate"},
        {"apps", "--bogus"},
        {"leftovers"},
        {"leftovers", (t / "nothing.app").native()},
        {"apps", "--keep", "/x"},
        // Only a bundle can be the item that is removed, never a folder such as home.
        {"remove", (t / "Users/me").native(), "--yes"},
        {"remove-plugin", (t / "Users/me/Library").native(), "--yes"},
        // A bundle is a folder: a file named like one is not taken.
        {"leftovers", t.file("Applications/Fake.app").native()}};
    for (const auto &args : misused)
        EXPECT_EQ(runGranted(t, args).status, 2) << testing::PrintToString(args);
    EXPECT_TRUE(fs::exists(t / "Users/me/Library/Preferences"));
    const CliRun file =
        runGranted(t, {"remove-plugin", t.file("Users/me/Library/Fake.bundle").native(), "--yes"});
    EXPECT_EQ(file.status, 2);
    EXPECT_NE(file.err.find("a bundle is a folder"), std::string::npos) << file.err;
    // A message quoting a name shows its control characters escaped.
    const CliRun forged = runGranted(t, {"leftovers", "/x\r\x1b[2Kfake.app"});
    EXPECT_EQ(forged.status, 2);
    EXPECT_NE(forged.err.find("/x\\r\\x1b[2Kfake.app"), std::string::npos) << forged.err;
    const CliRun help = runCli(t, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("leftovers APP_PATH"), std::string::npos);
    const CliRun version = runCli(t, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zembra " ZEMBRA_VERSION "\n");
}

TEST_F(Cli, LeftoversJson_MarkersPathsAndSizes) {
    const CliRun r = runGranted(t, {"leftovers", app, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonObject o = r.json();
    EXPECT_EQ(o["item"].toObject()["bundle"].toString(), QStringLiteral("com.vendor.editor"));
    const QJsonArray files = o["files"].toArray();
    ASSERT_EQ(files.size(), 7);
    EXPECT_EQ(files[0].toObject()["marker"].toString(), QStringLiteral("Executables"));
    EXPECT_EQ(files[3].toObject()["path"].toString().toStdString(),
              (t / "Users/me/Library/Preferences/com.vendor.editor.plist").native());
    EXPECT_EQ(files[3].toObject()["size"].toInteger(), 5);
    EXPECT_EQ(files[4].toObject()["marker"].toString(), QStringLiteral("Logs"));
    const CliRun human = runGranted(t, {"leftovers", app});
    EXPECT_NE(human.out.find("Preferences"), std::string::npos);
    EXPECT_NE(human.out.find("5 bytes"), std::string::npos);
}

TEST_F(Cli, RemoveWhatCannotBeDeleted_ReportsItAndExitsOne) {
    ZEMBRA_TEST_USER_RUNS_CLI_OR_SKIP();
    const auto logs = t / "Users/me/Library/Logs/Editor";
    ZEMBRA_HAND_TO_TEST_USER_OR_SKIP(t.root());
    test::makeReadOnlyForTestUser(logs);
    const CliRun r = runGranted(t, {"remove", app, "--yes", "--json"}, true);
    EXPECT_EQ(r.status, 1) << r.err;
    const QJsonArray remainder = r.json()["remainder_urls"].toArray();
    ASSERT_EQ(remainder.size(), 2); // the folder, and the log inside it
    EXPECT_EQ(remainder[0].toObject()["path"].toString().toStdString(), logs.native());
    EXPECT_FALSE(fs::exists(app));
    EXPECT_FALSE(fs::exists(t / "Users/me/Library/Preferences/com.vendor.editor.plist"));
    EXPECT_LT(r.json()["freed"].toInteger(), 1000);
    fs::permissions(logs, fs::perms(0755));
}

// A root named on the command line is the disk's root for the run: system leftovers below it
// are removed, not refused after the fact; without it they are not searched at all.
TEST_F(Cli, RemoveWithARoot_SystemLeftoversGo) {
    const fs::path agent = t.file("Library/LaunchAgents/com.vendor.editor.agent.plist");
    const CliRun r = runGranted(t, {"remove", app, "--root", t.root().native(), "--yes", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.json()["remainder_urls"].toArray().isEmpty());
    EXPECT_FALSE(fs::exists(agent));
}

TEST_F(Cli, RemoveNamesTheBundle_WhichGrantsIt) {
    const fs::path other = t.dir("Elsewhere");
    const CliRun r = runCli(t, {"remove", app, "--applications", other.native(), "--home",
                                (t / "Users/me").native(), "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(app));
}

TEST_F(Cli, PreferencePaneLeftovers_LabelledAsThePaneList) {
    const auto pane = t.app("Users/me/Library/PreferencePanes/Sync Tool 2.0.prefPane",
                            "com.sync.tool", "Sync Tool");
    t.file("Users/me/Library/Preferences/com.sync.tool.plist");
    const CliRun r = runGranted(t, {"leftovers", pane.native(), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.json()["item"].toObject()["label"].toString(), QStringLiteral("Sync Tool 2"));
    EXPECT_EQ(r.json()["files"].toArray().size(), 4);
}

TEST_F(Cli, PluginsAndRemovePlugin) {
    const CliRun list = runGranted(t, {"plugins", "--json"});
    ASSERT_EQ(list.status, 0) << list.err;
    ASSERT_EQ(list.json()["items"].toArray().size(), 1);
    const auto plugin = t / "Users/me/Library/Address Book Plug-Ins/Cards.bundle";
    const CliRun dry = runGranted(t, {"remove-plugin", plugin.native(), "--dry-run", "--json"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    const QJsonArray files = dry.json()["files"].toArray();
    ASSERT_GE(files.size(), 4);
    EXPECT_FALSE(files[1].toObject().contains("size"));
    EXPECT_TRUE(fs::exists(plugin));
    const CliRun done = runGranted(t, {"remove-plugin", plugin.native(), "--yes"});
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_FALSE(fs::exists(plugin));
    EXPECT_FALSE(fs::exists(t / "Users/me/Library/Preferences/com.cards.plugin.plist"));
}

TEST_F(Cli, RemoveSafariExtension_UnknownIdentifierExitsOne) {
    t.file("Users/me/Library/Safari/Extensions/Extensions.plist",
           zembra::test::readFixture("plists/safari/synthetic_Extensions_xml.plist"));
    const CliRun list = runGranted(t, {"safari-extensions", "--json"});
    EXPECT_EQ(list.json()["items"].toArray().size(), 5);
    EXPECT_EQ(runGranted(t, {"remove-safari-extension", "com.nobody.here", "--yes"}).status, 1);
    const CliRun done = runGranted(
        t, {"remove-safari-extension", "com.betafish.adblockforsafari-UAMUU4S2D9", "--yes"});
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(runGranted(t, {"safari-extensions", "--json"}).json()["items"].toArray().size(), 4);
}

TEST_F(Cli, SettingsDir_ReadsTheGrantsStoredThere) {
    const fs::path dir = t.dir("settings");
    {
        zembra::platform::SettingsStore store(
            QString::fromStdString((dir / "Uninstaller zembra.conf").native()));
        store.setData(zembra::grants::kApplications,
                      zembra::platform::bookmarkData(t / "Applications"));
    }
    EXPECT_EQ(runCli(t, {"apps", "--json"}).status, 2); // the default store has no grant
    const CliRun r = runCli(t, {"apps", "--json", "--settings-dir", dir.native()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.json()["items"].toArray().size(), 1);
    EXPECT_EQ(runCli(t, {"apps", "--settings-dir", (t / "missing").native()}).status, 2);
}

// Without a terminal only --yes confirms; --keep names a listed row, and keeping a file
// inside a listed folder keeps the folder.
TEST_F(Cli, Remove_NeedsYes_KeepingAFileInsideAListedFolder_KeepsTheFolder) {
    const CliRun refused = runGranted(t, {"remove", app});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("--yes"), std::string::npos);
    EXPECT_EQ(runGranted(t, {"remove", app, "--keep", "/not/listed", "--yes"}).status, 2);
    EXPECT_TRUE(fs::exists(app));
    const auto folder = t / "Users/me/Library/Logs/Editor", log = folder / "Editor.log";
    const CliRun dry =
        runGranted(t, {"remove", app, "--keep", log.native(), "--dry-run", "--json"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    // Every row found, in order; the two a removal keeps say why.
    const QJsonArray files = dry.json()["files"].toArray();
    ASSERT_EQ(files.size(), 7);
    EXPECT_EQ(files[5].toObject()["kept"].toString(), QStringLiteral("holds a kept entry"));
    EXPECT_EQ(files[6].toObject()["kept"].toString(), QStringLiteral("--keep"));
    EXPECT_FALSE(files[3].toObject().contains("kept"));
    const CliRun r = runGranted(t, {"remove", app, "--keep", log.native(), "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(app));
    EXPECT_FALSE(fs::exists(t / "Users/me/Library/Preferences/com.vendor.editor.plist"));
    EXPECT_TRUE(fs::exists(log));
    EXPECT_NE(
        r.err.find("keeping " + folder.native() + ", which holds the kept entry " + log.native()),
        std::string::npos)
        << r.err;
}

TEST_F(Cli, ForgingNames_EscapedForPeople_ExactInJson) {
    const std::string logs = "Users/me/Library/Logs/";
    t.file(logs + "Editor\r\x1b[2K.log");
    t.file(logs + "Editor\n  1 KB      fake\xe2\x80\xae.log");
    t.file(logs + "Editor-\xff.log");
    t.file(logs + "Editor-\xfe.log");
    for (const auto &args :
         {std::vector<std::string>{"leftovers", app}, {"remove", app, "--dry-run"}}) {
        const CliRun human = runGranted(t, args);
        ASSERT_EQ(human.status, 0) << human.err;
        EXPECT_EQ(human.out.find_first_of("\r\x1b"), std::string::npos);
        EXPECT_EQ(human.out.find("\xe2\x80\xae"), std::string::npos);
        EXPECT_NE(human.out.find("Editor\\r\\x1b[2K.log"), std::string::npos) << human.out;
        EXPECT_NE(human.out.find("Editor\\n  1 KB      fake\\u202e.log"), std::string::npos);
        EXPECT_NE(human.out.find("Editor-\\xff.log"), std::string::npos);
    }
    const CliRun r = runGranted(t, {"leftovers", app, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find_first_of("\r\x1b\x7f"), std::string::npos);
    EXPECT_EQ(r.out.find("\xe2\x80\xae"), std::string::npos);
    std::set<std::string> exact;
    for (const auto &v : r.json()["files"].toArray()) {
        const QJsonObject e = v.toObject();
        const std::string path = e["path"].toString().toStdString();
        const QByteArray bytes = QByteArray::fromBase64(e["path_bytes"].toString().toLatin1());
        EXPECT_EQ(e.contains("path_bytes"), path.find("\xef\xbf\xbd") != std::string::npos) << path;
        exact.insert(e.contains("path_bytes") ? bytes.toStdString() : path);
    }
    for (const char *name : {"Editor\r\x1b[2K.log", "Editor\n  1 KB      fake\xe2\x80\xae.log",
                             "Editor-\xff.log", "Editor-\xfe.log"})
        EXPECT_TRUE(exact.count((t / logs).native() + name)) << name;
}

TEST_F(Cli, OutputThatCannotBeWritten_FailsAndSaysSo) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full to write to";
    const CliRun apps = runGranted(t, {"apps"}, false, "/dev/full");
    EXPECT_EQ(apps.status, 1);
    EXPECT_NE(apps.err.find("could not write"), std::string::npos) << apps.err;
    // The list to confirm was lost: nothing is deleted.
    const CliRun listLost = runGranted(t, {"remove", app, "--yes"}, false, "/dev/full");
    EXPECT_EQ(listLost.status, 1);
    EXPECT_TRUE(fs::exists(app));
    // Removed, but the report was lost.
    const CliRun reportLost = runGranted(t, {"remove", app, "--yes", "--json"}, false, "/dev/full");
    EXPECT_EQ(reportLost.status, 1);
    EXPECT_FALSE(fs::exists(app));
    EXPECT_NE(reportLost.err.find("removal was carried out"), std::string::npos) << reportLost.err;
}

TEST_F(Cli, UnreadableHomeLibrary_ReportedAndNothingRemoved) {
    ZEMBRA_TEST_USER_RUNS_CLI_OR_SKIP();
    const auto library = t / "Users/me/Library";
    ZEMBRA_HAND_TO_TEST_USER_OR_SKIP(t.root());
    test::makeUnreadableForTestUser(library);
    const CliRun list = runGranted(t, {"leftovers", app}, true);
    EXPECT_EQ(list.status, 1);
    EXPECT_NE(list.err.find("could not read " + library.native()), std::string::npos) << list.err;
    EXPECT_EQ(runGranted(t, {"remove", app, "--yes"}, true).status, 1);
    EXPECT_TRUE(fs::exists(app));
    fs::permissions(library, fs::perms(0755));
}

// Grants given first: after "--" every argument is an operand, one starting with a dash too.
TEST_F(Cli, RemoveSafariExtension_DashIdentifierOnlyAfterDoubleDash) {
    const std::string extensions = "Users/me/Library/Safari/Extensions/";
    t.file(extensions + "Extensions.plist",
           test::safariList(test::safariEntry("Weird.safariextz", "-weird.id")));
    const fs::path archive = t.file(extensions + "Weird.safariextz");
    EXPECT_EQ(runGranted(t, {"remove-safari-extension", "-weird.id", "--yes"}).status, 2);
    EXPECT_TRUE(fs::exists(archive));
    const CliRun dashed =
        runCli(t, {"remove-safari-extension", "--applications", (t / "Applications").native(),
                   "--home", (t / "Users/me").native(), "--yes", "--", "-weird.id"});
    EXPECT_EQ(dashed.status, 0) << dashed.err;
    EXPECT_FALSE(fs::exists(archive));
}

// Safari's list reached through a link cannot be rewritten: the command says so for the dry
// run and the removal alike, and removes nothing.
TEST_F(Cli, RemoveSafariExtension_ListThroughLink_SaysNothingRemovedExitsOne) {
    const std::string original =
        test::readFixture("plists/safari/synthetic_Extensions_binary.plist");
    const fs::path foreign = t.file("elsewhere/Extensions.plist", original);
    const fs::path mine = t.file("Users/me/Library/Safari/Extensions/Blocker-3.1.safariextz");
    t.link("Users/me/Library/Safari/Extensions/Extensions.plist", foreign);
    for (const char *mode : {"--dry-run", "--yes"}) {
        const CliRun r =
            runGranted(t, {"remove-safari-extension", "com.example.blocker-ABCDE", mode});
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_NE(r.err.find("cannot be rewritten"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(std::string(mode) == "--yes" ? "nothing was removed"
                                                          : "nothing would be removed"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_TRUE(fs::exists(mine));
    EXPECT_EQ(test::readFile(foreign), original);
}

// The command line's settings folder is a link to a folder elsewhere: said once, and
// nothing is written there.
TEST_F(Cli, SettingsFolderIsALink_SaidSo_NothingWrittenThere) {
    const auto elsewhere = t.dir("elsewhere");
    t.link(".config/zembra", elsewhere);
    const CliRun r = runGranted(t, {"apps", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("is a symbolic link: settings are kept for this run only"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(test::entryCount(elsewhere), 0u);
}
