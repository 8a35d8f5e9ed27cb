#include "support/CliRunner.h"
#include "support/TreeBuilder.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using zembra::test::CliRun;
using zembra::test::entryOf;
using zembra::test::runGranted;
using zembra::test::TreeBuilder;
namespace test = zembra::test;
namespace fs = std::filesystem;

namespace {

const std::string kLib = "Users/me/Library/";

// Every application's files in the folders macOS shares.
std::vector<fs::path> sharedFolderContents(TreeBuilder &t) {
    t.dir("Applications");
    return {t.file(kLib + "Preferences/ByHost/com.apple.dock.0123456789AB.plist"),
            t.file(kLib + "Logs/DiagnosticReports/Mail_2024-05-01.crash"),
            t.file(kLib + "Logs/CrashReporter/Notes.log")};
}

} // namespace

TEST(SharedFoldersCli, RemoveAnApplicationNamedByHost_LeavesEveryonesPerHostPreferences) {
    TreeBuilder t;
    const auto others = sharedFolderContents(t);
    const fs::path app = t.app("Applications/ByHost.app", "com.tester.byhost", "ByHost", "ByHost");
    const CliRun r = runGranted(t, {"remove", app.native(), "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(app));
    for (const fs::path &p : others)
        EXPECT_TRUE(fs::exists(p)) << p;
}

TEST(SharedFoldersCli, RemoveSafariExtensionsNamedAfterSharedFolders_LeavesThemWhole) {
    TreeBuilder t;
    const std::string safari = kLib + "Safari/Extensions/";
    t.file(safari + "Extensions.plist",
           test::safariList(
               test::safariEntry("Reports-1.0.safariextz", "com.tester.DiagnosticReports") +
               test::safariEntry("diagnosticreports.safariextz", "com.tester.reports") +
               test::safariEntry("Crashes.safariextz", "com.tester.CrashReporter")));
    for (const char *archive :
         {"Reports-1.0.safariextz", "diagnosticreports.safariextz", "Crashes.safariextz"})
        t.file(safari + archive);
    for (const char *id :
         {"com.tester.DiagnosticReports", "com.tester.reports", "com.tester.CrashReporter"}) {
        const auto others = sharedFolderContents(t);
        const CliRun dry = runGranted(t, {"remove-safari-extension", id, "--dry-run", "--json"});
        ASSERT_EQ(dry.status, 0) << dry.err;
        for (const char *folder : {"Logs/DiagnosticReports", "Logs/CrashReporter"})
            EXPECT_TRUE(entryOf(dry.json()["files"].toArray(), t / (kLib + folder)).isEmpty())
                << id << " " << folder;
        const CliRun done = runGranted(t, {"remove-safari-extension", id, "--yes"});
        EXPECT_EQ(done.status, 0) << done.err;
        for (const fs::path &p : others)
            EXPECT_TRUE(fs::exists(p)) << id << ": " << p;
    }
}

TEST(WeakMatchCli, Remove_KeepsWeakMatches_UnlessIncluded) {
    for (const bool include : {false, true}) {
        TreeBuilder t;
        const fs::path app = t.app("Applications/Go.app", "com.gosoft.go", "Go", "Go");
        const fs::path own = t.file(kLib + "Preferences/com.gosoft.go.plist");
        const fs::path google =
            t.file(kLib + "Application Support/Google/Chrome/Default").parent_path().parent_path();

        const CliRun listed = runGranted(t, {"leftovers", app.native(), "--json"});
        ASSERT_EQ(listed.status, 0) << listed.err;
        EXPECT_TRUE(entryOf(listed.json()["files"].toArray(), google)["weak"].toBool());
        EXPECT_FALSE(entryOf(listed.json()["files"].toArray(), own).contains("weak"));
        const CliRun human = runGranted(t, {"leftovers", app.native()});
        EXPECT_NE(human.out.find("Google  ~ weak match"), std::string::npos) << human.out;

        const CliRun dry = runGranted(t, {"remove", app.native(), "--dry-run", "--json"});
        ASSERT_EQ(dry.status, 0) << dry.err;
        EXPECT_EQ(entryOf(dry.json()["files"].toArray(), google)["kept"].toString(),
                  QStringLiteral("weak match"));
        EXPECT_FALSE(entryOf(dry.json()["files"].toArray(), own).contains("kept"));

        std::vector<std::string> args = {"remove", app.native(), "--yes"};
        if (include)
            args.insert(args.end(), {"--include", google.native()});
        const CliRun done = runGranted(t, args);
        EXPECT_EQ(done.status, 0) << done.err;
        EXPECT_FALSE(fs::exists(own));
        EXPECT_EQ(fs::exists(google), !include);
    }
}

TEST(WeakMatchCli, RemoveSafariExtensionWithAGenericName_KeepsWhatOnlyThatNameFound) {
    TreeBuilder t;
    t.dir("Applications");
    const std::string safari = kLib + "Safari/Extensions/";
    t.file(safari + "Extensions.plist",
           test::safariList(test::safariEntry("Clipper-2.safariextz", "com.clipperworks.helper")));
    t.file(safari + "Clipper-2.safariextz");
    const fs::path own = t.dir(kLib + "Caches/com.clipperworks.helper");
    const fs::path other = t.file(kLib + "LaunchAgents/com.vendor.updater.helper.plist");
    const CliRun dry = runGranted(
        t, {"remove-safari-extension", "com.clipperworks.helper", "--dry-run", "--json"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(entryOf(dry.json()["files"].toArray(), other)["kept"].toString(),
              QStringLiteral("weak match"));
    const CliRun done =
        runGranted(t, {"remove-safari-extension", "com.clipperworks.helper", "--yes"});
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_FALSE(fs::exists(own));
    EXPECT_TRUE(fs::exists(other));
}
