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
using zembra::test::entryOf;
using zembra::test::runCli;
using zembra::test::runGranted;
using zembra::test::TreeBuilder;
namespace test = zembra::test;
namespace fs = std::filesystem;

namespace {

bool has(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

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
    const fs::path pref = t / "Users/me/Library/Preferences/com.vendor.editor.plist";
};

} // namespace

TEST_F(Cli, Apps_JsonFields_GrantsFromTheSettingsFolderNamed_LinkedFolderUntouched) {
    const fs::path dir = t.dir("settings"), elsewhere = t.dir("elsewhere");
    zembra::platform::SettingsStore(
        QString::fromStdString((dir / "Uninstaller zembra.conf").native()))
        .setData(zembra::grants::kApplications, zembra::platform::bookmarkData(t / "Applications"));
    t.link(".config/zembra", elsewhere);
    const CliRun all =
        runGranted(t, {"apps", "--json", "--include-default-apps", "--include-utilities"});
    EXPECT_PRED2(has, all.err, "is a symbolic link: settings are kept for this run only");
    EXPECT_EQ(test::entryCount(elsewhere), 0u);
    ASSERT_EQ(all.json()["items"].toArray().size(), 3);
    EXPECT_EQ(all.json()["items"][2].toObject()["label_name"].toString(), "empty_string");

    EXPECT_EQ(runCli(t, {"apps", "--json"}).status, 2); // the default store has no grant
    EXPECT_EQ(runCli(t, {"apps", "--settings-dir", (t / "missing").native()}).status, 2);
    const CliRun r = runCli(t, {"apps", "--json", "--settings-dir", dir.native()});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.json()["items"].toArray().size(), 1);
    const QJsonObject editor = r.json()["items"][0].toObject();
    EXPECT_EQ(editor["label"].toString(), QStringLiteral("Editor"));
    EXPECT_EQ(editor["url"].toString().toStdString(), app);
    EXPECT_EQ(editor.keys().size(), 8);
}

TEST_F(Cli, UsageErrors) {
    const std::pair<std::vector<std::string>, std::string> misused[] = {
        {{"frobnicate"}, ""},
        {{"apps", "--bogus"}, ""},
        {{"leftovers"}, ""},
        {{"leftovers", (t / "nothing.app").native()}, ""},
        {{"apps", "--keep", "/x"}, ""},
        {{"remove", app, "--include", (t / "not/listed").native(), "--yes"}, ""},
        // Only a bundle can be the item that is removed, never a folder such as home.
        {{"remove", (t / "Users/me").native(), "--yes"}, ""},
        {{"remove-plugin", (t / "Users/me/Library").native(), "--yes"}, ""},
        // A bundle is a folder: a file named like one is not taken.
        {{"leftovers", t.file("Applications/Fake.app").native()}, ""},
        {{"remove-plugin", t.file("Users/me/Library/Fake.bundle").native(), "--yes"},
         "a bundle is a folder"},
        {{"leftovers", "/x\r\x1b[2Kfake.app"}, "/x\\r\\x1b[2Kfake.app"}};
    for (const auto &[args, why] : misused) {
        const CliRun r = runGranted(t, args);
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
        EXPECT_PRED2(has, r.err, why);
    }
    EXPECT_EQ(runCli(t, {"apps", "--applications", (t / "missing").native()}).status, 2);
    EXPECT_TRUE(fs::exists(t / "Users/me/Library/Preferences"));
    EXPECT_PRED2(has, runCli(t, {"--help"}).out, "leftovers APP_PATH");
    EXPECT_EQ(runCli(t, {"--version"}).out, "zembra " ZEMBRA_VERSION "\n");
}

// JSON gives a name that is no UTF-8 exactly, in base64 beside the readable path.
TEST_F(Cli, Leftovers_JsonAndText_ForgingNamesEscapedForPeopleExactInJson) {
    const std::string logs = "Users/me/Library/Logs/";
    const std::vector<std::string> forged = {"Editor\r\x1b[2K.log",
                                             "Editor\n  1 KB      fake\xe2\x80\xae.log",
                                             "Editor-\xff.log", "Editor-\xfe.log"};
    for (const std::string &name : forged)
        t.file(logs + name);
    const CliRun r = runGranted(t, {"leftovers", app, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.json()["item"].toObject()["bundle"].toString(), "com.vendor.editor");
    const QJsonArray files = r.json()["files"].toArray();
    EXPECT_EQ(files[0].toObject()["marker"].toString(), QStringLiteral("Executables"));
    EXPECT_EQ(entryOf(files, pref)["size"].toInteger(), 5);
    EXPECT_EQ(r.out.find_first_of("\r\x1b\x7f"), std::string::npos);
    EXPECT_FALSE(has(r.out, "\xe2\x80\xae"));
    std::set<std::string> exact;
    for (const auto &v : files) {
        const QJsonObject e = v.toObject();
        const std::string path = e["path"].toString().toStdString();
        const QByteArray bytes = QByteArray::fromBase64(e["path_bytes"].toString().toLatin1());
        EXPECT_EQ(e.contains("path_bytes"), has(path, "\xef\xbf\xbd")) << path;
        exact.insert(e.contains("path_bytes") ? bytes.toStdString() : path);
    }
    for (const std::string &name : forged)
        EXPECT_TRUE(exact.count((t / logs).native() + name)) << name;
    for (const auto &args :
         {std::vector<std::string>{"leftovers", app}, {"remove", app, "--dry-run"}}) {
        const CliRun human = runGranted(t, args);
        ASSERT_EQ(human.status, 0) << human.err;
        EXPECT_EQ(human.out.find_first_of("\r\x1b"), std::string::npos);
        EXPECT_FALSE(has(human.out, "\xe2\x80\xae"));
        for (const char *shown : {"Editor\\r\\x1b[2K.log", "Editor\\n  1 KB      fake\\u202e.log",
                                  "Editor-\\xff.log", "5 bytes"})
            EXPECT_PRED2(has, human.out, shown);
    }
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
    EXPECT_FALSE(fs::exists(app) || fs::exists(pref));
    EXPECT_LT(r.json()["freed"].toInteger(), 1000);
    fs::permissions(logs, fs::perms(0755));
}

TEST_F(Cli, UnreadableHomeLibrary_ReportedAndNothingRemoved) {
    ZEMBRA_TEST_USER_RUNS_CLI_OR_SKIP();
    const auto library = t / "Users/me/Library";
    ZEMBRA_HAND_TO_TEST_USER_OR_SKIP(t.root());
    test::makeUnreadableForTestUser(library);
    const CliRun list = runGranted(t, {"leftovers", app}, true);
    EXPECT_EQ(list.status, 1);
    EXPECT_PRED2(has, list.err, "could not read " + library.native());
    EXPECT_EQ(runGranted(t, {"remove", app, "--yes"}, true).status, 1);
    EXPECT_TRUE(fs::exists(app));
    fs::permissions(library, fs::perms(0755));
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
    const CliRun r = runCli(t, {"remove", app, "--applications", t.dir("Elsewhere").native(),
                                "--home", (t / "Users/me").native(), "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(app));
}

// Each kind reaches its own records: a pane is labelled as the pane list labels it.
TEST_F(Cli, PluginsAndPanes_ListedAndRemovedAsTheirKind) {
    const auto pane = t.app("Users/me/Library/PreferencePanes/Sync Tool 2.0.prefPane",
                            "com.sync.tool", "Sync Tool");
    t.file("Users/me/Library/Preferences/com.sync.tool.plist");
    const CliRun panes = runGranted(t, {"leftovers", pane.native(), "--json"});
    ASSERT_EQ(panes.status, 0) << panes.err;
    EXPECT_EQ(panes.json()["item"].toObject()["label"].toString(), QStringLiteral("Sync Tool 2"));
    EXPECT_EQ(panes.json()["files"].toArray().size(), 4);

    EXPECT_EQ(runGranted(t, {"plugins", "--json"}).json()["items"].toArray().size(), 1);
    const auto plugin = t / "Users/me/Library/Address Book Plug-Ins/Cards.bundle";
    const CliRun dry = runGranted(t, {"remove-plugin", plugin.native(), "--dry-run", "--json"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    ASSERT_GE(dry.json()["files"].toArray().size(), 4);
    EXPECT_FALSE(dry.json()["files"][1].toObject().contains("size"));
    EXPECT_TRUE(fs::exists(plugin));
    EXPECT_EQ(runGranted(t, {"remove-plugin", plugin.native(), "--yes"}).status, 0);
    EXPECT_FALSE(fs::exists(plugin) ||
                 fs::exists(t / "Users/me/Library/Preferences/com.cards.plugin.plist"));
}

TEST_F(Cli, Remove_NeedsYes_KeepingAFileInsideAListedFolder_KeepsTheFolder) {
    const CliRun refused = runGranted(t, {"remove", app});
    EXPECT_EQ(refused.status, 2);
    EXPECT_PRED2(has, refused.err, "--yes");
    EXPECT_EQ(runGranted(t, {"remove", app, "--keep", "/not/listed", "--yes"}).status, 2);
    EXPECT_TRUE(fs::exists(app));
    const auto folder = t / "Users/me/Library/Logs/Editor", log = folder / "Editor.log";
    const CliRun dry =
        runGranted(t, {"remove", app, "--keep", log.native(), "--dry-run", "--json"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    const QJsonArray files = dry.json()["files"].toArray();
    EXPECT_EQ(entryOf(files, folder)["kept"].toString(), QStringLiteral("holds a kept entry"));
    EXPECT_EQ(entryOf(files, log)["kept"].toString(), QStringLiteral("--keep"));
    EXPECT_FALSE(entryOf(files, pref).contains("kept"));
    const CliRun r = runGranted(t, {"remove", app, "--keep", log.native(), "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(app) || fs::exists(pref));
    EXPECT_TRUE(fs::exists(log));
    EXPECT_PRED2(has, r.err,
                 "keeping " + folder.native() + ", which holds the kept entry " + log.native());
}

TEST_F(Cli, OutputThatCannotBeWritten_FailsAndSaysSo) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full to write to";
    const CliRun apps = runGranted(t, {"apps"}, false, "/dev/full");
    EXPECT_EQ(apps.status, 1);
    EXPECT_PRED2(has, apps.err, "could not write");
    // The list to confirm was lost: nothing is deleted.
    EXPECT_EQ(runGranted(t, {"remove", app, "--yes"}, false, "/dev/full").status, 1);
    EXPECT_TRUE(fs::exists(app));
    // Removed, but the report was lost.
    const CliRun reportLost = runGranted(t, {"remove", app, "--yes", "--json"}, false, "/dev/full");
    EXPECT_EQ(reportLost.status, 1);
    EXPECT_FALSE(fs::exists(app));
    EXPECT_PRED2(has, reportLost.err, "removal was carried out");
}

// After "--" (the grants given first) every argument is an operand, one starting with a dash too.
TEST_F(Cli, RemoveSafariExtension_ListThroughLinkRefused_UnknownExitsOne_DashAfterDoubleDash) {
    const std::string extensions = "Users/me/Library/Safari/Extensions/";
    const std::string list = test::safariList(test::safariEntry("Weird.safariextz", "-weird.id") +
                                              test::safariEntry("Ok.safariextz", "com.ok"));
    const fs::path archive = t.file(extensions + "Weird.safariextz"),
                   ok = t.file(extensions + "Ok.safariextz");
    t.link(extensions + "Extensions.plist", t.file("elsewhere/Extensions.plist", list));
    for (const std::string mode : {"--dry-run", "--yes"}) {
        const CliRun r = runGranted(t, {"remove-safari-extension", "com.ok", mode});
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_PRED2(has, r.err, "cannot be rewritten");
        EXPECT_PRED2(has, r.err,
                     mode == "--yes" ? "nothing was removed" : "nothing would be removed");
    }
    EXPECT_TRUE(fs::exists(ok));
    EXPECT_EQ(test::readFile(t / "elsewhere/Extensions.plist"), list);

    fs::remove(t / extensions / "Extensions.plist");
    t.file(extensions + "Extensions.plist", list);
    EXPECT_EQ(runGranted(t, {"remove-safari-extension", "com.nobody.here", "--yes"}).status, 1);
    EXPECT_EQ(runGranted(t, {"remove-safari-extension", "-weird.id", "--yes"}).status, 2);
    EXPECT_TRUE(fs::exists(archive));
    const CliRun dashed =
        runCli(t, {"remove-safari-extension", "--applications", (t / "Applications").native(),
                   "--home", (t / "Users/me").native(), "--yes", "--", "-weird.id"});
    EXPECT_EQ(dashed.status, 0) << dashed.err;
    EXPECT_FALSE(fs::exists(archive));
    EXPECT_EQ(runGranted(t, {"safari-extensions", "--json"}).json()["items"].toArray().size(), 1);
}

namespace {

// "N entries, SIZE" of a human list's last lines.
std::pair<int, std::string> summaryOf(const std::string &out) {
    const auto at = out.rfind(" entr");
    const auto start = out.rfind('\n', at) + 1;
    const auto comma = out.find(", ", at);
    const auto end = out.find_first_of(";\n", comma);
    return {std::stoi(out.substr(start, at - start)), out.substr(comma + 2, end - comma - 2)};
}

bool once(const std::string &text, const std::string &what) {
    return has(text, what) && text.find(what) == text.rfind(what);
}

} // namespace

// A login item's container is found by the application's identifier and by the helper's
// name, and is listed once.
TEST(SharedRowsCli, FlaggedWeakAndRelatedRowsSayWhy_KeptUnlessIncluded_TotalIsWhatIsFreed) {
    TreeBuilder t;
    const std::string lib = "Users/me/Library/", app = (t / "Applications/Sketchpad.app").native();
    t.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad");
    t.app("Applications/Sketchpad 2.app", "com.lumina.sketchpad2", "Sketchpad 2", "Sketchpad 2");
    t.app("Applications/Sketchpad.app/Contents/Library/LoginItems/Launcher.app",
          "com.other.launcher", "Launcher");
    t.dir(lib + "Containers/com.lumina.sketchpad.Launcher");
    const fs::path own = t.file(lib + "Preferences/com.lumina.sketchpad.plist", "12345"),
                   sibling = t.file(lib + "Preferences/com.lumina.sketchpad2.plist", "1234567"),
                   vendor =
                       t.file(lib + "Caches/Lumina/Sketchpad/c.db").parent_path().parent_path(),
                   http = t.file(lib + "HTTPStorages/com.lumina.sketchpad.ShipIt/s").parent_path(),
                   storage = t.dir(lib + "HTTPStorages/com.lumina.sketchpad");
    const QJsonArray plain = runGranted(t, {"leftovers", app, "--json"}).json()["files"].toArray();
    EXPECT_TRUE(entryOf(plain, http).isEmpty()); // the related group is off by default
    const QJsonArray files =
        runGranted(t, {"leftovers", app, "--json", "--related"}).json()["files"].toArray();
    EXPECT_EQ(entryOf(files, sibling)["also"].toArray(), QJsonArray{QStringLiteral("Sketchpad 2")});
    EXPECT_TRUE(entryOf(files, sibling)["weak"].toBool());
    EXPECT_EQ(entryOf(files, own).keys(), (QStringList{"path", "size"}));
    EXPECT_EQ(entryOf(files, http)["reason"].toString(), "identifier of the same product");
    EXPECT_TRUE(entryOf(files, storage)["tied"].toBool());
    EXPECT_FALSE(entryOf(files, http)["tied"].toBool());
    const std::string human = runGranted(t, {"leftovers", app, "--related"}).out;
    for (const char *line : {"com.lumina.sketchpad2.plist  ~ weak match  ! also Sketchpad 2",
                             "Lumina  ~ weak match  ! shared with Sketchpad 2", "Possibly related",
                             "com.lumina.sketchpad.ShipIt  ? identifier of the same product"})
        EXPECT_PRED2(has, human, line);
    EXPECT_PRED2(once, human, "Containers/com.lumina.sketchpad.Launcher\n");

    SCOPED_TRACE("the removal lists the same rows, keeps flagged and related ones unless included");
    const QJsonArray dry = runGranted(t, {"remove", app, "--dry-run", "--json", "--related"})
                               .json()["files"]
                               .toArray();
    ASSERT_EQ(dry.size(), files.size());
    for (qsizetype i = 0; i < dry.size(); ++i)
        EXPECT_EQ(dry[i].toObject()["path"], files[i].toObject()["path"]) << i;
    EXPECT_EQ(entryOf(dry, sibling)["kept"].toString(), "also used by Sketchpad 2");
    EXPECT_EQ(entryOf(dry, http)["kept"].toString(),
              "possibly related: identifier of the same product");
    EXPECT_FALSE(entryOf(dry, own).contains("kept"));
    EXPECT_PRED2(has, runGranted(t, {"remove", app, "--dry-run"}).out,
                 "com.lumina.sketchpad2.plist  - kept: also used by Sketchpad 2");

    const auto before = summaryOf(runGranted(t, {"remove", app, "--related", "--dry-run"}).out);
    const CliRun included =
        runGranted(t, {"remove", app, "--related", "--include", http.native(), "--dry-run"});
    EXPECT_PRED2(once, included.out,
                 "com.lumina.sketchpad.ShipIt  ? identifier of the same product\n");
    const auto total = summaryOf(included.out);
    EXPECT_EQ(total.first, before.first + 1) << included.out;
    EXPECT_TRUE(fs::exists(app));

    const CliRun r =
        runGranted(t, {"remove", app, "--related", "--include", http.native(), "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(summaryOf(r.out), total);
    EXPECT_PRED2(has, r.out, "Freed " + total.second + ".");
    for (const fs::path &gone : {fs::path(app), own, http, vendor / "Sketchpad"})
        EXPECT_FALSE(fs::exists(gone)) << gone;             // the related one named by --include
    EXPECT_TRUE(fs::exists(sibling) && fs::exists(vendor)); // Sketchpad 2's, the shared vendor's
}
