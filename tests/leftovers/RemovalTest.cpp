#include "leftovers/Removal.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/ProtectedFolders.h"
#include "leftovers/Selection.h"
#include "platform/FileSystem.h"
#include "support/CaseName.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::platform::RunningApplication;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

FileEntry marker(const QString &w) {
    return FileEntry::word(w);
}

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

    TreeBuilder t;
    platform::DeletionScope scope;
    ApplicationItem item;
    std::vector<RunningApplication> running;
    RemovalServices services;
    int sounds = 0;
};

} // namespace

TEST_F(Removal, RunningApplicationOrHelper_RefusesAndTouchesNothing) {
    const auto app = t.dir("granted/Editor.app");
    running = {{1, "/x", QStringLiteral("com.other")},
               {2, "/y", QStringLiteral("com.vendor.editor.helper")}};
    const auto outcome = remove({marker(kExecutables), FileEntry::file(app)}, {0, 10});
    EXPECT_TRUE(outcome.refusedRunning);
    EXPECT_TRUE(platform::itemExists(app));
    EXPECT_EQ(sounds, 0);
}

TEST_F(Removal, RunningCheck_CaseSensitive_AndByExecutableWithoutIdentifier) {
    EXPECT_FALSE(
        isRunning(item, {{1, "/x", QStringLiteral("com.Vendor.Editor")}, {2, "/y", std::nullopt}}));
    ApplicationItem anonymous;
    anonymous.setUrl(t / "granted/Tool.app");
    EXPECT_TRUE(
        isRunning(anonymous, {{3, t / "granted/Tool.app/Contents/MacOS/Tool", std::nullopt}}));
    EXPECT_FALSE(isRunning(anonymous, {{3, t / "granted/Tool.apple/x", std::nullopt}}));
    anonymous.setBundle(QStringLiteral(""));
    EXPECT_TRUE(
        isRunning(anonymous, {{3, t / "granted/Tool.app/Contents/MacOS/Tool", std::nullopt}}));
}

TEST_F(Removal, SelectedDeleted_UntickedKept_NothingRemains_SelectedSizeFreed) {
    t.app("granted/Editor.app", "com.vendor.editor");
    const auto app = t.file("granted/Editor.app/Contents/x");
    const auto pref = t.file("granted/Library/Preferences/com.vendor.editor.plist");
    const auto keep = t.file("granted/Library/Preferences/com.vendor.editor.keep.plist");
    const auto outcome =
        remove({marker(kExecutables), FileEntry::file(t / "granted/Editor.app"),
                marker(kPreferences), FileEntry::file(pref), FileEntry::file(keep)},
               {0, 100, 0, 20, 4}, {4});
    EXPECT_TRUE(platform::itemExists(keep));
    EXPECT_FALSE(outcome.refusedRunning);
    EXPECT_TRUE(outcome.remainder_urls.empty());
    EXPECT_EQ(outcome.common_remove_size, 120u);
    EXPECT_FALSE(platform::itemExists(pref));
    EXPECT_FALSE(platform::itemExists(app));
    EXPECT_EQ(sounds, 1);
}

TEST_F(Removal, FolderThenFileInside_FileNotReported_FreedOnceWithItsFolder) {
    const auto logs = t.dir("granted/Logs/Editor");
    const auto log = t.file("granted/Logs/Editor/Editor.log");
    // Progress comes after each position, in list order, the entry already handled.
    std::vector<std::pair<size_t, bool>> progress;
    services.progress = [&](size_t done, size_t total) {
        EXPECT_EQ(total, 3u);
        progress.emplace_back(done, platform::itemExists(log));
    };
    const auto outcome =
        remove({marker(kLogs), FileEntry::file(logs), FileEntry::file(log)}, {0, 50, 50});
    EXPECT_TRUE(outcome.remainder_urls.empty());
    EXPECT_EQ(outcome.common_remove_size, 50u); // the folder's size holds the file's
    EXPECT_EQ(progress, (std::vector<std::pair<size_t, bool>>{{1, true}, {2, false}, {3, false}}));
}

TEST_F(Removal, EntryOutsideTheScopeThenSuccesses_OnlyWhatRemainsIsReported) {
    const auto outside = t.file("elsewhere/com.vendor.editor.plist"); // not granted: refused
    const auto a = t.file("granted/a");
    const auto gone = t / "granted/already-gone";
    bool asked = false;
    services.removeItem = [&](const fs::path &p) { // never sees what the scope refuses
        asked = asked || p == outside;
        return scope.remove(p);
    };
    const auto outcome = remove(
        {marker(kPreferences), FileEntry::file(outside), FileEntry::file(a), FileEntry::file(gone)},
        {0, 30, 5, 7});
    EXPECT_FALSE(asked);
    EXPECT_TRUE(platform::itemExists(outside));
    ASSERT_EQ(outcome.remainder_urls.size(), 1u);
    EXPECT_EQ(outcome.remainder_urls[0].path(), outside);
    EXPECT_EQ(outcome.common_remove_size, 12u);
    EXPECT_FALSE(platform::itemExists(a));
    EXPECT_EQ(sounds, 1);
}

TEST(Selection, TotalFollowsEveryRowOnceAndNeverWraps) {
    const std::vector<FileEntry> files = {FileEntry::word(kExecutables), FileEntry::file("/a"),
                                          FileEntry::word(kLogs), FileEntry::file("/l"),
                                          FileEntry::file("/m")};
    const std::vector<SizeEntry> sizes = {SizeEntry::marker(kExecutables), SizeEntry::bytes(7),
                                          SizeEntry::marker(kLogs), SizeEntry::bytes(5),
                                          SizeEntry::bytes(5)};
    Selection s(files, sizes);
    EXPECT_EQ(s.common_remove_size(), 17u); // equal sizes are all counted
    s.setSelected(3, false);
    s.setSelected(3, false); // twice changes nothing
    EXPECT_EQ(s.common_remove_size(), 12u);
    EXPECT_EQ(s.prepare()[3], FileEntry::word(kEmpty));
    s.setSelected(3, true);
    EXPECT_EQ(s.common_remove_size(), 17u);
    s.setSelected(0, false); // a marker is not a row to select
    for (size_t i = 0; i < files.size(); ++i)
        s.setSelected(i, false);
    EXPECT_EQ(s.common_remove_size(), 0u);
    EXPECT_FALSE(s.anySelected());
    EXPECT_EQ(s.prepare()[2], FileEntry::word(kLogs));
    EXPECT_EQ(s.deselect("/nowhere"), 0u);
}

TEST(Selection, KeptEntryKeepsTheFoldersHoldingIt_SelectingAFolderTakesItsRowsBack) {
    const std::vector<FileEntry> files = {FileEntry::word(kLogs),
                                          FileEntry::file("/L/Victim"),
                                          FileEntry::file("/L/Victim/a"),
                                          FileEntry::file("/L/Victim/sub/V.log"),
                                          FileEntry::file("/L/VictimToo"),
                                          FileEntry::file("/L/Victim/sub/V.log"),
                                          FileEntry::file("/L")};
    std::vector<SizeEntry> sizes = {SizeEntry::marker(kLogs)};
    for (std::uint64_t n : {100, 10, 20, 1, 20, 1000})
        sizes.push_back(SizeEntry::bytes(n));
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
    EXPECT_EQ(s.common_remove_size(),
              101u); // Victim and VictimToo: what lies inside Victim goes with it
    EXPECT_EQ(s.deselect("/L/Victim/a"), 1u);
    EXPECT_EQ(selected(), "0001110");
    EXPECT_EQ(s.deselect("/L/Victim"), 1u); // kept whole, with what is inside it
    EXPECT_EQ(selected(), "0000100");
}

namespace {

struct GuardCase {
    const char *name;
    std::function<fs::path(TreeBuilder &)> entry;
};

ZEMBRA_PRINT_CASE_BY_NAME(GuardCase)

class ProtectedEntry : public Removal, public ::testing::WithParamInterface<GuardCase> {};

} // namespace

TEST_P(ProtectedEntry, NeverDeleted_ReportedAsRemaining) {
    t.file("disk/Users/me/Library/Preferences/com.x.plist");
    t.file("disk/Library/LaunchDaemons/com.x.plist");
    const fs::path entry = GetParam().entry(t);
    ApplicationItem record;
    record.setBundle(QStringLiteral("com.x"));
    const auto outcome = removeAll(record, {entry});
    EXPECT_TRUE(platform::itemExists(entry)) << entry;
    ASSERT_EQ(outcome.remainder_urls.size(), 1u);
    EXPECT_EQ(outcome.common_remove_size, 0u);
    EXPECT_EQ(outcome.removedEntries, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Removal, ProtectedEntry,
    ::testing::Values(
        GuardCase{"Home", [](TreeBuilder &t) { return t / "disk/Users/me"; }},
        GuardCase{"HomeWithTrailingSlash",
                  [](TreeBuilder &t) { return fs::path((t / "disk/Users/me").native() + "/"); }},
        GuardCase{"FolderHoldingTheHome", [](TreeBuilder &t) { return t / "disk/Users"; }},
        GuardCase{"ApplicationsFolder", [](TreeBuilder &t) { return t / "disk/Applications"; }},
        GuardCase{"HomeLibrary", [](TreeBuilder &t) { return t / "disk/Users/me/Library"; }},
        GuardCase{"SystemLibrary", [](TreeBuilder &t) { return t / "disk/Library"; }},
        GuardCase{"StandardFolder",
                  [](TreeBuilder &t) { return t / "disk/Users/me/Library/Preferences"; }},
        GuardCase{"StandardFolderOtherCase",
                  [](TreeBuilder &t) { return t.dir("disk/Users/me/Library/caches"); }},
        GuardCase{"SystemStandardFolder",
                  [](TreeBuilder &t) { return t / "disk/Library/LaunchDaemons"; }},
        GuardCase{"FolderTheSearchReads",
                  [](TreeBuilder &t) { return t.dir("disk/Users/me/Desktop"); }}),
    zembra::test::CaseName());

TEST_F(Removal, WhatBecameOfTheBundle_RemovedKeptRemainedOrNotListed) {
    const fs::path chess =
        t.app("disk/Applications/Chess.app", "com.vendor.chess", "Chess", "Chess");
    const fs::path a = t.file("disk/Users/me/Library/Caches/com.vendor.chess/a");
    const fs::path b = t.file("disk/Users/me/Library/Logs/Chess.log");
    ApplicationItem item;
    item.setBundle(QStringLiteral("com.vendor.chess"));
    item.setUrl(chess);

    // The bundle's row unticked: the application stays, its leftovers go.
    auto kept = removeAll(item, {a.parent_path()});
    EXPECT_EQ(kept.bundle, BundleFate::Kept);
    EXPECT_EQ(kept.removedEntries, 1u);
    EXPECT_TRUE(platform::itemExists(chess));

    auto removed = removeAll(item, {chess, b});
    EXPECT_EQ(removed.bundle, BundleFate::Removed);
    EXPECT_EQ(removed.removedEntries, 1u);
    EXPECT_FALSE(platform::itemExists(chess));

    // Chess is gone; another application now sits where it was: kept, and told.
    const fs::path paint =
        t.app("disk/Applications/Chess.app", "com.other.paint", "Paint", "Paint");
    const fs::path pref = t.file("disk/Users/me/Library/Preferences/com.vendor.chess.plist");
    const auto remained = removeAll(item, {paint, pref});
    EXPECT_TRUE(platform::itemExists(paint / "Contents/Info.plist"));
    EXPECT_FALSE(platform::itemExists(pref));
    EXPECT_EQ(remained.bundle, BundleFate::Remained);
    EXPECT_EQ(remained.removedEntries, 1u);
    ASSERT_EQ(remained.remainder_urls.size(), 1u);
    EXPECT_EQ(remained.remainder_urls[0].path(), paint);

    item.setUrl(std::nullopt); // a remembered application whose bundle is gone
    EXPECT_EQ(removeAll(item, {}).bundle, BundleFate::NotListed);
}

TEST_F(Removal, StopRequested_BetweenEntriesAndInsideAFolder_RestStaysAndIsReported) {
    const fs::path big = t.dir("disk/Users/me/Library/Caches/com.vendor.big");
    for (int i = 0; i < 20; ++i)
        t.file("disk/Users/me/Library/Caches/com.vendor.big/f" + std::to_string(i));
    const fs::path after = t.file("disk/Users/me/Library/Logs/big.log");
    ApplicationItem item;
    item.setBundle(QStringLiteral("com.vendor.big"));
    int asked = 0;
    services.stopRequested = [&] { return ++asked > 5; }; // a few files into the folder
    const auto outcome = removeAll(item, {big, after});
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(platform::itemExists(big));
    EXPECT_LT(zembra::test::entryCount(big), 20u);
    EXPECT_TRUE(platform::itemExists(after));
    ASSERT_EQ(outcome.remainder_urls.size(), 2u);
    EXPECT_EQ(outcome.common_remove_size, 0u);
    EXPECT_EQ(outcome.removedEntries, 0u);
}

TEST_F(Removal, HelperRunningInsideTheBundleOrALeftover_Refuses) {
    const fs::path clipper =
        t.app("disk/Applications/Clipper.app", "com.vendor.clipper", "Clipper", "Clipper");
    const fs::path launcher =
        t.app("disk/Applications/Clipper.app/Contents/Library/LoginItems/Clipper Launcher.app",
              "com.vendor.launcher", "Clipper Launcher", "Clipper Launcher");
    const fs::path support = t.dir("disk/Users/me/Library/Application Support/Clipper");
    ApplicationItem item;
    item.setBundle(QStringLiteral("com.vendor.clipper"));
    item.setUrl(clipper);
    const std::vector<FileEntry> deleting{FileEntry::file(clipper), FileEntry::file(support)};
    const auto runs = [&](const fs::path &exe, const OptString &id) {
        return isRunning(item, {{7, exe, id}}, deleting);
    };
    EXPECT_TRUE(
        runs(launcher / "Contents/MacOS/Clipper Launcher", QStringLiteral("com.vendor.launcher")));
    EXPECT_TRUE(runs(support / "Agent.app/Contents/MacOS/agent", std::nullopt));
    // Whole components, byte for byte.
    EXPECT_FALSE(runs(t / "disk/Applications/Clipper.apple/x", std::nullopt));
    EXPECT_FALSE(runs(t / "disk/Applications/clipper.app/x", std::nullopt));
    EXPECT_FALSE(runs(t / "disk/Users/me/Library/Application Support/Clipper 2/x", std::nullopt));
    // The bundle reached through a link is the same bundle.
    t.link("disk/Apps", t / "disk/Applications");
    item.setUrl(t / "disk/Apps/Clipper.app");
    EXPECT_TRUE(isRunning(item, {{7, clipper / "Contents/MacOS/Clipper", std::nullopt}}));

    running = {
        {7, launcher / "Contents/MacOS/Clipper Launcher", QStringLiteral("com.vendor.launcher")}};
    item.setUrl(clipper);
    const auto outcome = removeAll(item, {clipper});
    EXPECT_TRUE(outcome.refusedRunning);
    EXPECT_TRUE(platform::itemExists(launcher));
}

TEST_F(Removal, ProtectedFolders_SecondWayToTheHome_LinksThemselvesAreNot) {
    t.link("disk/alias", t / "disk/Users");
    const ProtectedFolders guard = ProtectedFolders(scope.folders());
    EXPECT_TRUE(guard.contains(t / "disk/alias/me"));
    EXPECT_TRUE(guard.contains(t / "disk/alias/me/Library/Caches"));
    EXPECT_FALSE(guard.contains(t / "disk/alias")); // deleting a link deletes only the link
    EXPECT_FALSE(guard.contains(t / "disk/alias/me/Library/Caches/com.x"));
    EXPECT_FALSE(guard.contains(t / "disk/Users/me/Library/Preferences/com.x.plist"));
    EXPECT_FALSE(guard.contains(t / "disk/Applications/Foo.app"));
    EXPECT_TRUE(guard.contains("/"));
    EXPECT_TRUE(guard.contains(""));
}

TEST(RemovalOutcomeRule, RemainderStandsOnlyWhileItsFirstEntryExists) {
    TreeBuilder t;
    const auto there = t.file("there");
    const auto gone = t / "gone";
    struct Case {
        std::vector<FileEntry> remainder;
        bool stands;
    };
    const Case cases[] = {
        {{}, false},
        {{FileEntry::file(there)}, true},
        {{FileEntry::file(gone), FileEntry::file(there)}, false},
        {{marker(kSupportfiles), FileEntry::file(there)}, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(remainderStands(c.remainder), c.stands) << c.remainder.size();
        RemovalOutcome outcome;
        outcome.remainder_urls = c.remainder;
        EXPECT_EQ(outcome.standingRemainder().size(), c.stands ? c.remainder.size() : 0u);
    }
}
