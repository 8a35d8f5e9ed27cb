#include "leftovers/LeftoverKeys.h"
#include "leftovers/Removal.h"
#include "leftovers/Selection.h"
#include "platform/FileSystem.h"
#include "platform/FolderAccess.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::platform::RunningApplication;
using zembra::test::TreeBuilder;

namespace {

FileEntry marker(const QString &w) { return FileEntry::word(w); }

class Removal : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::FolderAccess::reset();
        platform::FolderAccess::startAccessing(t / "granted");
        item.setBundle(QStringLiteral("com.vendor.editor"));
        item.setUrl(t / "granted/Editor.app");
        services.runningApplications = [this] { return running; };
        services.playCompletionSound = [this] { ++sounds; };
    }
    void TearDown() override { platform::FolderAccess::reset(); }

    RemovalOutcome remove(const std::vector<FileEntry> &files, const std::vector<std::uint64_t> &bytes)
    {
        std::vector<SizeEntry> sizes;
        for (size_t i = 0; i < files.size(); ++i)
            sizes.push_back(files[i].isFileURL() ? SizeEntry::bytes(bytes[i]) : SizeEntry::marker(files[i].absoluteString()));
        Selection selection(files, sizes);
        return removeSelection(item, selection.prepare(), selection.clean_size(), selection.common_remove_size(),
                               services);
    }

    TreeBuilder t;
    ApplicationItem item;
    std::vector<RunningApplication> running;
    RemovalServices services;
    int sounds = 0;
};

} // namespace

TEST_F(Removal, RunningApplicationOrHelper_RefusesAndTouchesNothing)
{
    const auto app = t.dir("granted/Editor.app");
    running = {{1, "/x", QStringLiteral("com.other")}, {2, "/y", QStringLiteral("com.vendor.editor.helper")}};
    const auto outcome = remove({marker(kExecutables), FileEntry::file(app)}, {0, 10});
    EXPECT_TRUE(outcome.refusedRunning);
    EXPECT_TRUE(platform::itemExists(app));
    EXPECT_EQ(sounds, 0);
}

TEST_F(Removal, RunningCheck_CaseSensitive_AndByExecutableWithoutIdentifier)
{
    EXPECT_FALSE(isRunning(item, {{1, "/x", QStringLiteral("com.Vendor.Editor")}, {2, "/y", std::nullopt}}));
    ApplicationItem anonymous;
    anonymous.setUrl(t / "granted/Tool.app");
    EXPECT_TRUE(isRunning(anonymous, {{3, t / "granted/Tool.app/Contents/MacOS/Tool", std::nullopt}}));
    EXPECT_FALSE(isRunning(anonymous, {{3, t / "granted/Tool.apple/x", std::nullopt}}));
    anonymous.setBundle(QStringLiteral(""));
    EXPECT_TRUE(isRunning(anonymous, {{3, t / "granted/Tool.app/Contents/MacOS/Tool", std::nullopt}}));
}

TEST_F(Removal, EverythingDeleted_NothingRemains_FullSizeFreed)
{
    const auto app = t.file("granted/Editor.app/Contents/x");
    const auto pref = t.file("granted/Library/Preferences/com.vendor.editor.plist");
    const auto outcome = remove({marker(kExecutables), FileEntry::file(t / "granted/Editor.app"), marker(kPreferences),
                                 FileEntry::file(pref)},
                                {0, 100, 0, 20});
    EXPECT_FALSE(outcome.refusedRunning);
    EXPECT_TRUE(outcome.remainder_urls.empty());
    EXPECT_EQ(outcome.common_remove_size, 120u);
    EXPECT_FALSE(platform::itemExists(pref));
    EXPECT_FALSE(platform::itemExists(app));
    EXPECT_EQ(sounds, 1);
}

TEST_F(Removal, FolderThenFileInside_FileNotReported_FreedOnceWithItsFolder)
{
    const auto logs = t.dir("granted/Logs/Editor");
    const auto log = t.file("granted/Logs/Editor/Editor.log");
    // Progress comes after each position, in list order, the entry already handled.
    std::vector<std::pair<size_t, bool>> progress;
    services.progress = [&](size_t done, size_t total) {
        EXPECT_EQ(total, 3u);
        progress.emplace_back(done, platform::itemExists(log));
    };
    const auto outcome = remove({marker(kLogs), FileEntry::file(logs), FileEntry::file(log)}, {0, 50, 50});
    EXPECT_TRUE(outcome.remainder_urls.empty());
    EXPECT_EQ(outcome.common_remove_size, 50u); // the folder's size holds the file's
    EXPECT_EQ(progress, (std::vector<std::pair<size_t, bool>>{{1, true}, {2, false}, {3, false}}));
}

TEST_F(Removal, FailureThenSuccesses_OnlyWhatRemainsIsReported)
{
    const auto outside = t.file("elsewhere/com.vendor.editor.plist"); // not granted: refused
    const auto a = t.file("granted/a");
    const auto gone = t / "granted/already-gone";
    const auto outcome = remove({marker(kPreferences), FileEntry::file(outside), FileEntry::file(a),
                                 FileEntry::file(gone)},
                                {0, 30, 5, 7});
    ASSERT_EQ(outcome.remainder_urls.size(), 1u);
    EXPECT_EQ(outcome.remainder_urls[0].path(), outside);
    EXPECT_EQ(outcome.common_remove_size, 12u);
    EXPECT_FALSE(platform::itemExists(a));
    EXPECT_EQ(sounds, 1);
}

TEST_F(Removal, DeselectedAndMarkersUntouched)
{
    const auto keep = t.file("granted/keep");
    const auto go = t.file("granted/go");
    std::vector<FileEntry> files = {marker(kSupportfiles), FileEntry::file(keep), FileEntry::file(go)};
    Selection selection(files, {SizeEntry::marker(kSupportfiles), SizeEntry::bytes(4), SizeEntry::bytes(6)});
    selection.setSelected(1, false);
    const auto outcome = removeSelection(item, selection.prepare(), selection.clean_size(),
                                         selection.common_remove_size(), services);
    EXPECT_TRUE(platform::itemExists(keep));
    EXPECT_FALSE(platform::itemExists(go));
    EXPECT_EQ(outcome.common_remove_size, 6u);
}

TEST(Selection, TotalFollowsEveryRowOnceAndNeverWraps)
{
    const std::vector<FileEntry> files = {FileEntry::word(kExecutables), FileEntry::file("/a"),
                                          FileEntry::word(kLogs), FileEntry::file("/l"), FileEntry::file("/m")};
    const std::vector<SizeEntry> sizes = {SizeEntry::marker(kExecutables), SizeEntry::bytes(7),
                                          SizeEntry::marker(kLogs), SizeEntry::bytes(5), SizeEntry::bytes(5)};
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

TEST(Selection, KeptEntryKeepsTheFoldersHoldingIt_SelectingAFolderTakesItsRowsBack)
{
    const std::vector<FileEntry> files = {FileEntry::word(kLogs),          FileEntry::file("/L/Victim"),
                                          FileEntry::file("/L/Victim/a"),  FileEntry::file("/L/Victim/sub/V.log"),
                                          FileEntry::file("/L/VictimToo"), FileEntry::file("/L/Victim/sub/V.log"),
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
    s.setSelected(1, true); // the folder again: what is inside it goes with it
    EXPECT_EQ(selected(), "0111110");
    EXPECT_EQ(s.common_remove_size(), 101u); // Victim and VictimToo: what lies inside Victim goes with it
    EXPECT_EQ(s.deselect("/L/Victim/a"), 1u);
    EXPECT_EQ(selected(), "0001110");
    EXPECT_EQ(s.deselect("/L/Victim"), 1u); // kept whole, with what is inside it
    EXPECT_EQ(selected(), "0000100");
}
