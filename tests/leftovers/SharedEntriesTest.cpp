#include "leftovers/SharedEntries.h"
#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Review.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

namespace {

class SharedEntriesTable : public ::testing::Test {
protected:
    void SetUp() override {
        s.grantTree(t, "Users/me", false);
        t.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad");
        t.app("Applications/Sketchpad 2.app", "com.lumina.sketchpad2", "Sketchpad 2",
              "Sketchpad 2");
        t.app("Applications/Ink.app", "com.quillworks.ink", "Ink", "Ink");
        t.app("Applications/Inkwell.app", "com.inkwelllabs.inkwell", "Inkwell", "Inkwell");
        t.app("Applications/Letterbox Mail.app", "com.letterbox.mail", "Letterbox Mail",
              "Letterbox Mail");
        t.app("Applications/Mail.app", "com.apple.mail", "Mail", "Mail");
        t.app("Applications/Utilities/Ink Monitor.app", "com.quillworks.inkmonitor", "Ink Monitor",
              "Ink Monitor");
        t.app("Applications/Notes.app", "com.example.notes", "Notes", "Notes");
        t.app("Applications/Nimbus Notes.app", "com.nimbusweb.notes", "Nimbus Notes",
              "Nimbus Notes");
        installed = Application(s).everyInstalledApplication();
    }
    std::shared_ptr<ApplicationItem> app(const std::string &bundle) {
        return Application(s).application(t / ("Applications/" + bundle));
    }

    TreeBuilder t;
    TestSettings s;
    ApplicationList installed;
};

} // namespace

TEST_F(SharedEntriesTable, RealLookingCases_FlaggedWithTheApplicationThatTiesMoreSpecifically) {
    const std::string lib = "Users/me/Library/";
    struct Case {
        const char *item;
        std::string row;
        const char *expected; // "" unflagged
    };
    const std::vector<Case> cases = {
        // A longer identifier contained in the name.
        {"Sketchpad.app", lib + "Preferences/com.lumina.sketchpad2.plist", "Sketchpad 2"},
        {"Sketchpad.app", lib + "Preferences/com.lumina.sketchpad.plist", ""},
        {"Sketchpad 2.app", lib + "Preferences/com.lumina.sketchpad2.plist", ""},
        // The name equals the other's label.
        {"Sketchpad.app", lib + "Logs/Sketchpad 2", "Sketchpad 2"},
        {"Sketchpad.app", lib + "Application Support/Sketchpad", ""},
        // A short label inside another vendor's folder name and identifier.
        {"Ink.app", lib + "Application Support/Inkwell Labs", "Inkwell"},
        {"Ink.app", lib + "Preferences/com.inkwelllabs.inkwell.plist", "Inkwell"},
        {"Ink.app", lib + "Preferences/com.quillworks.ink.plist", ""},
        // A Utilities application of the same vendor.
        {"Ink.app", lib + "Preferences/com.quillworks.inkmonitor.plist", "Ink Monitor"},
        // The vendor folder both use.
        {"Sketchpad.app", lib + "Caches/Lumina", "shared"},
        {"Sketchpad 2.app", lib + "Caches/Lumina", "shared"},
        // An Apple application's group container, matched by a generic last component.
        {"Letterbox Mail.app", lib + "Group Containers/group.com.apple.mail", "Mail"},
        {"Letterbox Mail.app", lib + "Group Containers/group.com.letterbox.mail", ""},
        // Behind a team ID or "group.", the rest names the application it belongs to.
        {"Notes.app", lib + "Group Containers/7Y3Q5XK2AB.NimbusNotes", "Nimbus Notes"},
        // Team IDs of six to nine characters hold a digit; an upper-case word is no team.
        {"Notes.app", lib + "Group Containers/7Y3Q5XK2.NimbusNotes", "Nimbus Notes"},
        {"Notes.app", lib + "Group Containers/7Y3Q5X.NimbusNotes", "Nimbus Notes"},
        {"Notes.app", lib + "Group Containers/NIMBUSES.Notes", ""},
        {"Notes.app", lib + "Group Containers/7Y3Q5XK2AB.group.nimbus-notes", "Nimbus Notes"},
        {"Notes.app", lib + "Group Containers/group.Nimbus_Notes.shared", "Nimbus Notes"},
        {"Notes.app", lib + "Preferences/7Y3Q5XK2AB.NimbusNotes.plist", "Nimbus Notes"},
        {"Nimbus Notes.app", lib + "Group Containers/7Y3Q5XK2AB.NimbusNotes", ""},
        {"Nimbus Notes.app", lib + "Group Containers/ABCDEFGHIJ.Notes", "Notes"},
        {"Notes.app", lib + "Group Containers/ABCDEFGHIJ.Notes", ""},
        {"Notes.app", lib + "Group Containers/7Y3Q5XK2AB.com.example.notes", ""},
        {"Notes.app", lib + "Group Containers/group.com.example.notes", ""},
        {"Notes.app", lib + "Group Containers/7Y3Q5XK2AB.group.com.example.notes.shared", ""},
        // The item's own rows.
        {"Sketchpad.app", "Applications/Sketchpad.app", ""},
        {"Ink.app", "Applications/Ink.app/Contents/Library/LoginItems/Inkwell.app", ""},
    };
    // The same from the keys a caller keeps across calls.
    InstalledOwners owners;
    owners.update(installed);
    for (const Case &c : cases) {
        const SharedEntries shared(*app(c.item), installed);
        EXPECT_EQ(shared.flagOf(t / c.row).text().toStdString(), c.expected)
            << c.item << " / " << c.row;
        const SharedEntries kept(*app(c.item), owners);
        EXPECT_EQ(kept.flagOf(t / c.row).text().toStdString(), c.expected)
            << c.item << " / " << c.row << " (kept keys)";
    }
}

TEST_F(SharedEntriesTable, KeptKeys_DerivedOnlyForNewRecords_AnEntryKeepsTheListItWasMadeFrom) {
    InstalledOwners owners;
    owners.update(installed);
    EXPECT_EQ(owners.derivedInLastUpdate(), installed.size());
    const auto item = app("Sketchpad.app");
    const SharedEntries before(*item, owners);
    const auto row = t / "Users/me/Library/Logs/Sketchpad 2";

    // Sketchpad 2 gone, a new copy of Ink read again: only that one is derived.
    ApplicationList next;
    for (const auto &a : installed)
        if (a->label() != QStringLiteral("Sketchpad 2"))
            next.push_back(a->label() == QStringLiteral("Ink") ? app("Ink.app") : a);
    owners.update(next);
    EXPECT_EQ(owners.derivedInLastUpdate(), 1u);
    EXPECT_EQ(SharedEntries(*item, owners).flagOf(row).text(), QString());
    EXPECT_EQ(before.flagOf(row).text(), QStringLiteral("Sketchpad 2"));
    EXPECT_EQ(SharedEntries(*app("Ink.app"), owners)
                  .flagOf(t / "Users/me/Library/Preferences/com.inkwelllabs.inkwell.plist")
                  .text(),
              QStringLiteral("Inkwell"));

    // Ink read again many times: the keys of the old copies are let go now and then, and
    // every entry, old or new, still reads its own list.
    for (int i = 0; i < 100; ++i) {
        for (auto &a : next)
            if (a->label() == QStringLiteral("Ink"))
                a = app("Ink.app");
        owners.update(next);
    }
    EXPECT_EQ(SharedEntries(*item, owners).flagOf(t / "Users/me/Library/Caches/Lumina").text(),
              QString());
    EXPECT_EQ(before.flagOf(t / "Users/me/Library/Caches/Lumina").text(), QStringLiteral("shared"));
    EXPECT_EQ(SharedEntries(*app("Inkwell.app"), owners)
                  .flagOf(t / "Users/me/Library/Preferences/com.quillworks.ink.plist")
                  .text(),
              QStringLiteral("Ink"));
}

TEST_F(SharedEntriesTable, SharedFlag_NamesTheOthersAndSaysWhyItIsKept) {
    const SharedEntries shared(*app("Sketchpad.app"), installed);
    const SharedFlag vendor = shared.flagOf(t / "Users/me/Library/Caches/Lumina");
    EXPECT_TRUE(vendor.shared);
    EXPECT_EQ(vendor.others, QStringList{QStringLiteral("Sketchpad 2")});
    EXPECT_EQ(vendor.keptReason(), QStringLiteral("shared with Sketchpad 2"));
    EXPECT_EQ(shared.flagOf(t / "Users/me/Library/Logs/Sketchpad 2").keptReason(),
              QStringLiteral("also used by Sketchpad 2"));
}

TEST_F(SharedEntriesTable, RowsInsideAFlaggedFolder_CarryItsFlag_TheBundleNever) {
    const auto item = app("Sketchpad.app");
    const SharedEntries shared(*item, installed);
    const std::vector<FileEntry> files = {
        FileEntry::word(kExecutables),
        FileEntry::file(t / "Applications/Sketchpad.app"),
        FileEntry::word(kLogs),
        FileEntry::file(t / "Users/me/Library/Logs/Sketchpad 2"),
        FileEntry::file(t / "Users/me/Library/Logs/Sketchpad 2/sketchpad-bridge.log"),
        FileEntry::file(t / "Users/me/Library/Logs/Sketchpad/sketchpad.log")};
    const auto flags = shared.flagsOf(files);
    ASSERT_EQ(flags.size(), files.size());
    EXPECT_FALSE(flags[1].flagged());
    EXPECT_EQ(flags[3].text(), QStringLiteral("Sketchpad 2"));
    EXPECT_EQ(flags[4].text(), QStringLiteral("Sketchpad 2"));
    EXPECT_FALSE(flags[5].flagged());
}

TEST_F(SharedEntriesTable, Review_FlaggedRowsStartUnticked_CountOnlyWhenTicked) {
    t.file("Users/me/Library/Preferences/com.lumina.sketchpad.plist", "12345");
    t.file("Users/me/Library/Preferences/com.lumina.sketchpad2.plist", "1234567");
    t.file("Users/me/Library/Caches/Lumina/Sketchpad/cache.db", "123");
    const auto item = app("Sketchpad.app");
    searchLeftovers(*item, s, SearchMode::Review);
    const Review review = buildReview(*item, s, installed, false);
    EXPECT_EQ(review.files, item->files()); // the search's list, unchanged
    EXPECT_EQ(review.sizes, item->sizes());
    Selection selection = review.selection();
    std::uint64_t ticked = 0;
    size_t flaggedRow = 0;
    for (size_t i = 0; i < review.files.size(); ++i) {
        if (!review.files[i].isFileURL())
            continue;
        EXPECT_EQ(selection.isSelected(i), !review.flags[i].flagged()) << review.files[i].path();
        if (selection.isSelected(i))
            ticked += review.sizes[i].byteCount();
        if (review.files[i].path().filename() == "com.lumina.sketchpad2.plist")
            flaggedRow = i;
    }
    ASSERT_NE(flaggedRow, 0u);
    EXPECT_EQ(selection.common_remove_size(), ticked);
    selection.setSelected(flaggedRow, true);
    EXPECT_EQ(selection.common_remove_size(), ticked + 7);
}
