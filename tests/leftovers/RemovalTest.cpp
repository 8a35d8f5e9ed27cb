#include "leftovers/Removal.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/ProtectedFolders.h"
#include "leftovers/Selection.h"
#include "leftovers/StandardFolders.h"
#include "platform/FileSystem.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::platform::itemExists;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

constexpr auto marker = &FileEntry::word;

// A folder granted for the plain cases; a disk root granted whole, a home inside it and an
// application folder for the guards, as the application's own run would see them.
class Removal : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char *granted : {"granted", "disk", "disk/Users/me", "disk/Applications"})
            scope.addFolder(t.dir(granted));
        item.setBundle(QStringLiteral("com.vendor.editor"));
        item.setUrl(t / "granted/Editor.app");
        services.runningApplications = [this] { return running; };
        services.playCompletionSound = [this] { ++sounds; };
    }
    // Every row selected but the `unticked` ones.
    RemovalOutcome remove(const std::vector<FileEntry> &files,
                          const std::vector<std::uint64_t> &bytes,
                          const std::vector<size_t> &unticked = {},
                          const ItemRecord *record = nullptr) {
        std::vector<SizeEntry> sizes;
        for (size_t i = 0; i < files.size(); ++i)
            sizes.push_back(files[i].isFileURL() ? SizeEntry::bytes(bytes[i])
                                                 : SizeEntry::marker(files[i].absoluteString()));
        Selection selection(files, sizes);
        for (const size_t row : unticked)
            selection.setSelected(row, false);
        return removeSelection(scope, record ? *record : item, selection.prepare(),
                               selection.clean_size(), selection.common_remove_size(), services);
    }
    // Every path selected, ten bytes each.
    RemovalOutcome removeAll(const ItemRecord &record, const std::vector<fs::path> &paths) {
        std::vector<FileEntry> files{FileEntry::word(kSupportfiles)};
        for (const fs::path &p : paths)
            files.push_back(FileEntry::file(p));
        return remove(files, std::vector<std::uint64_t>(files.size(), 10), {}, &record);
    }
    ApplicationItem record(const char *identifier,
                           const std::optional<fs::path> &url = std::nullopt) {
        ApplicationItem r;
        r.setBundle(QString::fromLatin1(identifier));
        r.setUrl(url);
        return r;
    }

    TreeBuilder t;
    platform::DeletionScope scope;
    ApplicationItem item;
    std::vector<platform::RunningApplication> running;
    RemovalServices services;
    int sounds = 0;
};

} // namespace

TEST_F(Removal, RunningByIdentifierOrInsideWhatGoes_WholeComponents_RefusesAndTouchesNothing) {
    const fs::path clipper = t.app("disk/Applications/Clipper.app", "com.vendor.clipper");
    const fs::path launcher = t.app(
        "disk/Applications/Clipper.app/Contents/Library/LoginItems/Launcher.app", "com.v.launcher");
    const fs::path support = t.dir("disk/Users/me/Library/Application Support/Clipper");
    const ApplicationItem app = record("com.vendor.clipper", clipper);
    ApplicationItem anonymous, emptyId = record("", t / "granted/Tool.app");
    anonymous.setUrl(t / "granted/Tool.app");
    const std::vector<FileEntry> deleting{FileEntry::file(clipper), FileEntry::file(support)};
    const struct {
        const ApplicationItem &item;
        fs::path exe;
        OptString id;
        bool runs;
    } cases[] = {
        // The identifier contains the item's, case-sensitive.
        {item, "/y", QStringLiteral("com.vendor.editor.helper"), true},
        {item, "/x", QStringLiteral("com.Vendor.Editor"), false},
        {item, "/x", std::nullopt, false},
        // No identifier: by the executable's place, in the bundle or in what goes.
        {anonymous, t / "granted/Tool.app/Contents/MacOS/Tool", std::nullopt, true},
        {anonymous, t / "granted/Tool.apple/x", std::nullopt, false},
        {emptyId, t / "granted/Tool.app/Contents/MacOS/Tool", std::nullopt, true},
        {app, launcher / "Contents/MacOS/Launcher", QStringLiteral("com.v.launcher"), true},
        {app, support / "Agent.app/Contents/MacOS/agent", std::nullopt, true},
        {app, t / "disk/Applications/clipper.app/x", std::nullopt, false},
        {app, t / "disk/Users/me/Library/Application Support/Clipper 2/x", std::nullopt, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isRunning(c.item, {{7, c.exe, c.id}}, deleting), c.runs) << c.exe;
    // The bundle reached through a link is the same bundle.
    t.link("disk/Apps", t / "disk/Applications");
    EXPECT_TRUE(isRunning(record("com.x", t / "disk/Apps/Clipper.app"),
                          {{7, clipper / "Contents/MacOS/Clipper", std::nullopt}}));

    running = {{7, launcher / "Contents/MacOS/Launcher", QStringLiteral("com.v.launcher")}};
    const auto outcome = removeAll(app, {clipper, support});
    EXPECT_TRUE(outcome.refusedRunning);
    EXPECT_TRUE(itemExists(launcher));
    EXPECT_TRUE(itemExists(support));
    EXPECT_EQ(sounds, 0);
}

// In list order: an unticked row, an entry outside the scope (never handed to the
// deletion), one already gone, a folder and a file inside it.
TEST_F(Removal, SelectedDeleted_UntickedAndOutsideKept_OnlyWhatRemainsReported_FreedOnce) {
    t.app("granted/Editor.app", "com.vendor.editor");
    const fs::path pref = t.file("granted/Library/Preferences/com.vendor.editor.plist"),
                   keep = t.file("granted/Library/Preferences/com.vendor.editor.keep.plist"),
                   outside = t.file("elsewhere/com.vendor.editor.plist"),
                   log = t.file("granted/Logs/Editor/Editor.log"), logs = log.parent_path();
    bool asked = false;
    services.removeItem = [&](const fs::path &p) {
        asked = asked || p == outside;
        return scope.remove(p);
    };
    // Progress comes after each position, in list order, the entry already handled.
    std::vector<std::pair<size_t, bool>> progress, expected;
    services.progress = [&](size_t done, size_t total) {
        EXPECT_EQ(total, 10u);
        progress.emplace_back(done, itemExists(log));
    };
    const auto outcome = remove({marker(kExecutables), FileEntry::file(t / "granted/Editor.app"),
                                 marker(kPreferences), FileEntry::file(pref), FileEntry::file(keep),
                                 FileEntry::file(outside), FileEntry::file(t / "granted/gone"),
                                 marker(kLogs), FileEntry::file(logs), FileEntry::file(log)},
                                {0, 100, 0, 20, 4, 30, 7, 0, 50, 50}, {4});
    EXPECT_FALSE(asked);
    EXPECT_TRUE(itemExists(keep));
    EXPECT_TRUE(itemExists(outside));
    for (const fs::path &p : {pref, logs, t / "granted/Editor.app"})
        EXPECT_FALSE(itemExists(p)) << p;
    EXPECT_FALSE(outcome.refusedRunning);
    EXPECT_EQ(outcome.remainder_urls, std::vector<FileEntry>{FileEntry::file(outside)});
    EXPECT_EQ(outcome.common_remove_size, 177u); // the folder's size holds the file's
    for (size_t done = 1; done <= 10; ++done)
        expected.emplace_back(done, done < 9);
    EXPECT_EQ(progress, expected);
    EXPECT_EQ(sounds, 1);
}

TEST(Selection, TotalFollowsEveryRowOnceAndNeverWraps) {
    const std::vector<FileEntry> files = {marker(kExecutables), FileEntry::file("/a"),
                                          marker(kLogs), FileEntry::file("/l"),
                                          FileEntry::file("/m")};
    Selection s(files, {SizeEntry::marker(kExecutables), SizeEntry::bytes(7),
                        SizeEntry::marker(kLogs), SizeEntry::bytes(5), SizeEntry::bytes(5)});
    EXPECT_EQ(s.common_remove_size(), 17u); // equal sizes are all counted
    s.setSelected(3, false);
    s.setSelected(3, false); // twice changes nothing
    EXPECT_EQ(s.common_remove_size(), 12u);
    EXPECT_EQ(s.prepare()[3], marker(kEmpty));
    s.setSelected(3, true);
    EXPECT_EQ(s.common_remove_size(), 17u);
    for (size_t i = 0; i < files.size(); ++i) // a marker is not a row to select
        s.setSelected(i, false);
    EXPECT_EQ(s.common_remove_size(), 0u);
    EXPECT_FALSE(s.anySelected());
    EXPECT_EQ(s.prepare()[2], marker(kLogs));
    EXPECT_EQ(s.deselect("/nowhere"), 0u);
}

TEST(Selection, KeptEntryKeepsTheFoldersHoldingIt_SelectingAFolderTakesItsRowsBack) {
    std::vector<FileEntry> files = {marker(kLogs)};
    std::vector<SizeEntry> sizes = {SizeEntry::marker(kLogs)};
    const char *paths[] = {"/L/Victim",    "/L/Victim/a",         "/L/Victim/sub/V.log",
                           "/L/VictimToo", "/L/Victim/sub/V.log", "/L"};
    const std::uint64_t bytes[] = {100, 10, 20, 1, 20, 1000};
    for (size_t i = 0; i < 6; ++i) {
        files.push_back(FileEntry::file(paths[i]));
        sizes.push_back(SizeEntry::bytes(bytes[i]));
    }
    Selection s(files, sizes);
    const auto selected = [&] {
        std::string out;
        for (size_t i = 0; i < files.size(); ++i)
            out += s.isSelected(i) ? '1' : '0';
        return out;
    };
    s.setSelected(3, false); // the log, listed twice, inside Victim, inside /L
    EXPECT_EQ(selected(), "0010100");
    EXPECT_EQ(s.common_remove_size(), 11u);
    EXPECT_EQ(s.keptRowsBelow(1), (std::vector<size_t>{3, 5}));
    EXPECT_EQ(s.keptRowsBelow(6), (std::vector<size_t>{1, 3, 5}));
    EXPECT_TRUE(s.keptRowsBelow(4).empty()); // "VictimToo" is not inside "Victim"
    s.setSelected(1, true);                  // the folder again: what is inside it goes with it
    EXPECT_EQ(selected(), "0111110");
    EXPECT_EQ(s.common_remove_size(), 101u);
    EXPECT_EQ(s.deselect("/L/Victim/a"), 1u);
    EXPECT_EQ(selected(), "0001110");
    EXPECT_EQ(s.deselect("/L/Victim"), 1u); // kept whole, with what is inside it
    EXPECT_EQ(selected(), "0000100");
}

TEST_F(Removal, GrantedLibraryStandardOrReadFolder_NeverDeleted_ReportedAsRemaining) {
    t.entries({"disk/Users/me/Library/Preferences/com.x.plist",
               "disk/Library/LaunchDaemons/com.x.plist", "disk/Users/me/Library/caches/",
               "disk/Users/me/Desktop/"});
    for (const char *entry :
         {"disk/Users/me", "disk/Users/me/", "disk/Users", "disk/Applications",
          "disk/Users/me/Library", "disk/Library", "disk/Users/me/Library/Preferences",
          "disk/Users/me/Library/caches", "disk/Library/LaunchDaemons", "disk/Users/me/Desktop"}) {
        SCOPED_TRACE(entry);
        const auto outcome = removeAll(record("com.x"), {t / entry});
        EXPECT_TRUE(itemExists(t / entry));
        EXPECT_EQ(outcome.remainder_urls.size(), 1u);
        EXPECT_EQ(outcome.common_remove_size, 0u);
        EXPECT_EQ(outcome.removedEntries, 0u);
    }
}

TEST_F(Removal, WhatBecameOfTheBundle_RemovedKeptRemainedOrNotListed) {
    const fs::path chess = t.app("disk/Applications/Chess.app", "com.vendor.chess");
    t.entries({"disk/Users/me/Library/Caches/com.vendor.chess/a",
               "disk/Users/me/Library/Logs/Chess.log",
               "disk/Users/me/Library/Preferences/com.vendor.chess.plist"});
    ApplicationItem chessItem = record("com.vendor.chess", chess);

    // The bundle's row unticked: the application stays, its leftovers go.
    const auto kept = removeAll(chessItem, {t / "disk/Users/me/Library/Caches/com.vendor.chess"});
    EXPECT_EQ(kept.bundle, BundleFate::Kept);
    EXPECT_EQ(kept.removedEntries, 1u);
    EXPECT_TRUE(itemExists(chess));

    const auto removed = removeAll(chessItem, {chess, t / "disk/Users/me/Library/Logs/Chess.log"});
    EXPECT_EQ(removed.bundle, BundleFate::Removed);
    EXPECT_EQ(removed.removedEntries, 1u);
    EXPECT_FALSE(itemExists(chess));

    // Chess is gone; another application now sits where it was: kept, and told.
    const fs::path paint = t.app("disk/Applications/Chess.app", "com.other.paint");
    const fs::path pref = t / "disk/Users/me/Library/Preferences/com.vendor.chess.plist";
    const auto remained = removeAll(chessItem, {paint, pref});
    EXPECT_TRUE(itemExists(paint / "Contents/Info.plist"));
    EXPECT_FALSE(itemExists(pref));
    EXPECT_EQ(remained.bundle, BundleFate::Remained);
    EXPECT_EQ(remained.removedEntries, 1u);
    EXPECT_EQ(remained.remainder_urls, std::vector<FileEntry>{FileEntry::file(paint)});

    chessItem.setUrl(std::nullopt); // a remembered application whose bundle is gone
    EXPECT_EQ(removeAll(chessItem, {}).bundle, BundleFate::NotListed);
}

TEST_F(Removal, StopRequested_BetweenEntriesAndInsideAFolder_RestStaysAndIsReported) {
    const fs::path big = t.dir("disk/Users/me/Library/Caches/com.vendor.big");
    for (int i = 0; i < 20; ++i)
        t.file("disk/Users/me/Library/Caches/com.vendor.big/f" + std::to_string(i));
    const fs::path after = t.file("disk/Users/me/Library/Logs/big.log");
    int asked = 0;
    services.stopRequested = [&] { return ++asked > 5; }; // a few files into the folder
    const auto outcome = removeAll(record("com.vendor.big"), {big, after});
    EXPECT_TRUE(outcome.stopped);
    EXPECT_LT(zembra::test::entryCount(big), 20u);
    EXPECT_TRUE(itemExists(after));
    EXPECT_EQ(outcome.remainder_urls.size(), 2u);
    EXPECT_EQ(outcome.common_remove_size, 0u);
    EXPECT_EQ(outcome.removedEntries, 0u);
}

TEST_F(Removal, ProtectedFolders_SecondWayToTheHome_LinksThemselvesAreNot) {
    t.link("disk/alias", t / "disk/Users");
    const ProtectedFolders guard(scope.folders());
    for (const auto &[path, isProtected] : std::vector<std::pair<fs::path, bool>>{
             {t / "disk/alias/me", true},
             {t / "disk/alias/me/Library/Caches", true},
             {t / "disk/alias", false}, // deleting a link deletes only the link
             {t / "disk/alias/me/Library/Caches/com.x", false},
             {t / "disk/Users/me/Library/Preferences/com.x.plist", false},
             {t / "disk/Applications/Foo.app", false},
             {"/", true},
             {"", true}})
        EXPECT_EQ(guard.contains(path), isProtected) << path;
}

TEST(RemovalOutcomeRule, RemainderStandsOnlyWhileItsFirstEntryExists) {
    TreeBuilder t;
    const auto there = FileEntry::file(t.file("there")), gone = FileEntry::file(t / "gone");
    const std::pair<std::vector<FileEntry>, bool> cases[] = {
        {{}, false},
        {{there}, true},
        {{gone, there}, false},
        {{marker(kSupportfiles), there}, false},
    };
    for (const auto &[remainder, stands] : cases) {
        EXPECT_EQ(remainderStands(remainder), stands) << remainder.size();
        RemovalOutcome outcome;
        outcome.remainder_urls = remainder;
        EXPECT_EQ(outcome.standingRemainder().size(), stands ? remainder.size() : 0u);
    }
}

TEST(ProtectedFolder, StandardSharedAndPerUserFolders_OnlyThemselves) {
    const fs::path disk = "/Volumes/Test";
    const std::vector<fs::path> roots = {disk / "Users/me", disk};
    const auto expect = [&](bool isProtected, std::initializer_list<const char *> paths) {
        for (const char *path : paths)
            EXPECT_EQ(isProtectedFolder(disk / path, roots), isProtected) << path;
    };
    // The roots and their Library folders; standard folders through the home and the
    // system Library in any case; shared folders inside them (one of each listed kind).
    expect(true,
           {"Users/me", "Users/me/Library", "Library", "Users/me/Library/Caches", "Library/Caches",
            "Users/me/library/CACHES", "Users/me/Library/Caches/",
            "Users/me/Library/Caches/../Caches", "Users/me/Library/Preferences/ByHost",
            "Users/me/Library/Preferences/BYHOST", "Users/me/Library/Logs/DiagnosticReports",
            "Library/Logs/diagnosticreports", "Users/me/Library/Logs/CrashReporter",
            "Library/Logs/CrashReporter", "Users/me/Library/Application Support/CrashReporter",
            "Users/me/Library/Application Support/com.apple.sharedfilelist",
            "Users/me/Library/Caches/CloudKit", ""});
    expect(true, {"var/folders", "var/folders/zz", "var/folders/zz/zyxvpxvq6csfxvn_n0000000000000",
                  "var/folders/xx/yyyy/C", "var/folders/xx/yyyy/T", "var/folders/xx/yyyy/0",
                  "var/folders/xx/yyyy/c", "private/var/folders/xx/yyyy"}); // the per-user roots
    // What lies inside them; a shared name in the wrong folder, a standard name deeper down.
    expect(false,
           {"Users", "Users/me/Library/Preferences/ByHost/com.vendor.app.0123456789AB.plist",
            "Users/me/Library/Logs/DiagnosticReports/Editor_2024-01-01.crash",
            "Users/me/Library/Caches/ByHost", "Users/me/Library/Application Support/Editor/Caches",
            "Users/me/Documents/Library/Caches", "Users/me/Library/Application Support/Editor",
            "var/folders/xx/yyyy/C/com.vendor.editor", "var/folders/xx/yyyy/X", "var/db/receipts"});
    // No roots, or an empty path: nothing.
    EXPECT_FALSE(isProtectedFolder("/Library/Caches", {}));
    EXPECT_FALSE(isProtectedFolder("", {"/"}));
    EXPECT_TRUE(isProtectedFolder("/Library/Caches", {"/"}));
    EXPECT_FALSE(isProtectedFolder("/Other/Library/Caches", {"/Users/me"}));
}
