#include "leftovers/RelatedSearch.h"
#include "catalogue/Application.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Review.h"
#include "leftovers/SharedEntries.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <map>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

TEST(IdentifierRelation, Names_ByWholeComponents_TeamIdsGroupsAndHelpers) {
    const QStringList sketchpad = {QStringLiteral("sketchpad"), QStringLiteral("Sketchpad")};
    const QStringList beacon = {QStringLiteral("beacon-mac"), QStringLiteral("Beacon")};
    const std::string uuid = "6F1C2A3B-9D4E-4F50-8A61-7B2C3D4E5F60";
    const char *same = "same identifier", *team = "team-ID prefix",
               *product = "identifier of the same product";
    const struct {
        std::string name;
        const char *identifier;
        const QStringList &products;
        const char *expected;
    } cases[] = {
        {"com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, same},
        {"com.lumina.Sketchpad.binarycookies", "com.lumina.sketchpad", sketchpad, same},
        {"com.lumina.sketchpad." + uuid + ".plist", "com.lumina.sketchpad", sketchpad, same},
        {"Q8W2E4R6T1.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, team},
        {"Q8W2E4R6T1.com.lumina.sketchpad.share", "com.lumina.sketchpad", sketchpad, team},
        {"Q8W2E4R6T.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, team},
        {"7Y3Q5XK2.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, team},
        // Not upper case, five characters, a word without a digit, eleven characters.
        {"q8w2e4r6t1.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, ""},
        {"Q8W2E.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, ""},
        {"LUMINAPRO.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, ""},
        {"Q8W2E4R6T1X.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, ""},
        {"group.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, "group identifier"},
        {"com.lumina.sketchpad.ShipIt", "com.lumina.sketchpad", sketchpad, product},
        {"com.lumina.SketchpadUpdater.plist", "com.lumina.sketchpad", sketchpad, product},
        {"com.lumina.sketchpad-helper", "com.lumina.sketchpad", sketchpad, product},
        {"com.beaconhq.BeaconHelper", "com.beaconhq.beacon-mac", beacon, product},
        {"com.beaconhq.Beacon.LoginItem", "com.beaconhq.beacon-mac", beacon, product},
        // Not whole components, another product, another vendor; a vendor is no product.
        {"com.lumina.sketchpad2", "com.lumina.sketchpad", sketchpad, ""},
        {"com.lumina.sketchpadding", "com.lumina.sketchpad", sketchpad, ""},
        {"com.beaconhq.Beaconator", "com.beaconhq.beacon-mac", beacon, ""},
        {"com.other.sketchpad", "com.lumina.sketchpad", sketchpad, ""},
        {"com.lumina", "com.lumina.sketchpad", sketchpad, ""},
        {"com.lumina.anything", "com.lumina", sketchpad, ""},
        {"com.lumina", "com.lumina", sketchpad, same},
        {"sketchpad", "com.lumina.sketchpad", sketchpad, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(
            identifierRelation(c.name, QString::fromLatin1(c.identifier), c.products).toStdString(),
            c.expected)
            << c.name;
}

namespace {

class SharedEntriesTable : public ::testing::Test {
protected:
    void SetUp() override {
        s.grantTree(t, "Users/me", true);
        for (const std::string app :
             {"Sketchpad=com.lumina.sketchpad", "Sketchpad 2=com.lumina.sketchpad2",
              "Ink=com.quillworks.ink", "Inkwell=com.inkwelllabs.inkwell",
              "Letterbox Mail=com.letterbox.mail", "Mail=com.apple.mail",
              "Utilities/Ink Monitor=com.quillworks.inkmonitor", "Notes=com.example.notes",
              "Nimbus Notes=com.nimbusweb.notes"}) {
            const std::string bundle = app.substr(0, app.find('=')),
                              name = bundle.substr(bundle.find('/') + 1);
            t.app("Applications/" + bundle + ".app", app.substr(app.find('=') + 1), name, name);
        }
        installed = Application(s).everyInstalledApplication();
    }
    std::shared_ptr<ApplicationItem> app(const std::string &bundle) {
        return Application(s).application(t / ("Applications/" + bundle));
    }

    TreeBuilder t;
    TestSettings s;
    ApplicationList installed;
};

class RelatedSearch : public SharedEntriesTable {
protected:
    std::shared_ptr<ApplicationItem> searched() {
        const auto item = app("Sketchpad.app");
        listings = searchLeftovers(*item, s, SearchMode::Review).listings;
        return item;
    }
    // The related step reading the folders itself and reading the search's listings of
    // them: the same entries, in the same order. Paths relative to the home.
    std::map<std::string, std::string> related(const ItemRecord &item) {
        const auto line = [](const std::vector<RelatedEntry> &entries) {
            std::string out;
            for (const RelatedEntry &e : entries)
                out += e.path.native() + " " + e.reason.toStdString() +
                       (e.strong ? " strong\n" : "\n");
            return out;
        };
        const std::vector<RelatedEntry> own = findRelated(item, s);
        EXPECT_TRUE(listings);
        EXPECT_EQ(line(own), line(findRelated(item, s, {}, listings.get())));
        std::map<std::string, std::string> out;
        for (const RelatedEntry &e : own)
            out[e.path.lexically_relative(t / "Users/me").native()] = e.reason.toStdString();
        return out;
    }
    std::shared_ptr<const FolderListings> listings;
};

} // namespace

TEST_F(SharedEntriesTable, RealLookingCases_FlaggedWithTheApplicationThatTiesMoreSpecifically) {
    // The item, a row below the home's Library (or the root), the flag's text ("" none).
    const struct {
        const char *item, *row, *expected;
    } cases[] = {
        // A longer identifier contained in the name.
        {"Sketchpad", "Preferences/com.lumina.sketchpad2.plist", "Sketchpad 2"},
        {"Sketchpad", "Preferences/com.lumina.sketchpad.plist", ""},
        {"Sketchpad 2", "Preferences/com.lumina.sketchpad2.plist", ""},
        // The name equals the other's label.
        {"Sketchpad", "Logs/Sketchpad 2", "Sketchpad 2"},
        {"Sketchpad", "Application Support/Sketchpad", ""},
        // A short label inside another vendor's folder name and identifier.
        {"Ink", "Application Support/Inkwell Labs", "Inkwell"},
        {"Ink", "Preferences/com.inkwelllabs.inkwell.plist", "Inkwell"},
        {"Ink", "Preferences/com.quillworks.ink.plist", ""},
        // A Utilities application of the same vendor.
        {"Ink", "Preferences/com.quillworks.inkmonitor.plist", "Ink Monitor"},
        // The vendor folder both use.
        {"Sketchpad", "Caches/Lumina", "shared"},
        {"Sketchpad 2", "Caches/Lumina", "shared"},
        // An Apple application's group container, matched by a generic last component.
        {"Letterbox Mail", "Group Containers/group.com.apple.mail", "Mail"},
        {"Letterbox Mail", "Group Containers/group.com.letterbox.mail", ""},
        // Behind a team ID or "group.", the rest names the application it belongs to.
        {"Notes", "Group Containers/7Y3Q5XK2AB.NimbusNotes", "Nimbus Notes"},
        // Team IDs of six to nine characters hold a digit; an upper-case word is no team.
        {"Notes", "Group Containers/7Y3Q5XK2.NimbusNotes", "Nimbus Notes"},
        {"Notes", "Group Containers/7Y3Q5X.NimbusNotes", "Nimbus Notes"},
        {"Notes", "Group Containers/NIMBUSES.Notes", ""},
        {"Notes", "Group Containers/7Y3Q5XK2AB.group.nimbus-notes", "Nimbus Notes"},
        {"Notes", "Group Containers/group.Nimbus_Notes.shared", "Nimbus Notes"},
        {"Notes", "Preferences/7Y3Q5XK2AB.NimbusNotes.plist", "Nimbus Notes"},
        {"Nimbus Notes", "Group Containers/7Y3Q5XK2AB.NimbusNotes", ""},
        {"Nimbus Notes", "Group Containers/ABCDEFGHIJ.Notes", "Notes"},
        {"Notes", "Group Containers/ABCDEFGHIJ.Notes", ""},
        {"Notes", "Group Containers/7Y3Q5XK2AB.com.example.notes", ""},
        {"Notes", "Group Containers/group.com.example.notes", ""},
        {"Notes", "Group Containers/7Y3Q5XK2AB.group.com.example.notes.shared", ""},
        // The item's own rows.
        {"Sketchpad", "Applications/Sketchpad.app", ""},
        {"Ink", "Applications/Ink.app/Contents/Library/LoginItems/Inkwell.app", ""},
    };
    // The same from the keys a caller keeps across calls.
    InstalledOwners owners;
    owners.update(installed);
    for (const auto &c : cases) {
        const std::string row = c.row;
        const fs::path path =
            t / (row.rfind("Applications/", 0) == 0 ? row : "Users/me/Library/" + row);
        const auto item = app(std::string(c.item) + ".app");
        EXPECT_EQ(SharedEntries(*item, installed).flagOf(path).text().toStdString(), c.expected)
            << c.item << " / " << c.row;
        EXPECT_EQ(SharedEntries(*item, owners).flagOf(path).text().toStdString(), c.expected)
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

TEST_F(SharedEntriesTable,
       FlagNamesTheOthersAndWhy_RowsInsideAFlaggedFolderCarryIt_TheBundleNever) {
    const SharedEntries shared(*app("Sketchpad.app"), installed);
    const std::string logs = "Users/me/Library/Logs/";
    const SharedFlag vendor = shared.flagOf(t / "Users/me/Library/Caches/Lumina");
    EXPECT_TRUE(vendor.shared);
    EXPECT_EQ(vendor.others, QStringList{QStringLiteral("Sketchpad 2")});
    EXPECT_EQ(vendor.keptReason(), QStringLiteral("shared with Sketchpad 2"));
    EXPECT_EQ(shared.flagOf(t / (logs + "Sketchpad 2")).keptReason(),
              QStringLiteral("also used by Sketchpad 2"));
    const auto flags = shared.flagsOf(
        {FileEntry::word(kExecutables), FileEntry::file(t / "Applications/Sketchpad.app"),
         FileEntry::word(kLogs), FileEntry::file(t / (logs + "Sketchpad 2")),
         FileEntry::file(t / (logs + "Sketchpad 2/sketchpad-bridge.log")),
         FileEntry::file(t / (logs + "Sketchpad/sketchpad.log"))});
    ASSERT_EQ(flags.size(), 6u);
    EXPECT_FALSE(flags[1].flagged());
    EXPECT_EQ(flags[3].text(), QStringLiteral("Sketchpad 2"));
    EXPECT_EQ(flags[4].text(), QStringLiteral("Sketchpad 2"));
    EXPECT_FALSE(flags[5].flagged());
}

TEST_F(SharedEntriesTable, Review_FlaggedRowsStartUnticked_CountOnlyWhenTicked) {
    t.file("Users/me/Library/Preferences/com.lumina.sketchpad2.plist", "1234567");
    t.entries({"Users/me/Library/Preferences/com.lumina.sketchpad.plist",
               "Users/me/Library/Caches/Lumina/Sketchpad/cache.db"});
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

TEST_F(RelatedSearch, WherePassesDoNotLook_FoundWithTheirReasons_NothingTwiceNothingBehindLinks) {
    const std::string byHost = "Library/Preferences/ByHost/"
                               "com.lumina.sketchpad.6F1C2A3B-9D4E-4F50-8A61-7B2C3D4E5F60.plist";
    t.entries(
        {"Users/me/Library/HTTPStorages/com.lumina.sketchpad/",
         "Users/me/Library/HTTPStorages/com.lumina.sketchpad.binarycookies", "Users/me/" + byHost,
         "Users/me/Library/Caches/Lumina Software/Sketchpad/c.db", "Users/me/.sketchpad/",
         // The search lists these itself (the updater's identifier holds the item's
         // once folded; the Logs pass reads deep): never offered twice.
         "Users/me/Library/Logs/Lumina/Sketchpad.log",
         "Users/me/Library/LaunchAgents/com.lumina.SketchpadUpdater.plist",
         "Users/me/Library/Preferences/com.lumina.sketchpad.plist",
         "Users/me/Library/Caches/com.lumina.sketchpad/HTTPStorages/x", // inside a listed row
         "Users/me/Library/Caches/Lumina/Sketchpad Extras/c.db", // not the product's whole name
         "Users/me/Library/Caches/Lumen/Sketchpad/c.db",         // not the vendor's folder
         "outside/Sketchpad/secret.db",
         "Users/me/Library/HTTPStorages/com.lumina.sketchpad2/", // another product
         "Users/me/.sketchpad2/", "Users/me/.config/"});
    t.link("Users/me/Library/Application Support/Lumina", t / "outside"); // never entered
    const auto item = searched();
    EXPECT_EQ(related(*item),
              (std::map<std::string, std::string>{
                  {"Library/HTTPStorages/com.lumina.sketchpad", "same identifier in HTTPStorages"},
                  {"Library/HTTPStorages/com.lumina.sketchpad.binarycookies",
                   "same identifier in HTTPStorages"},
                  {byHost, "ByHost preferences"},
                  {"Library/Caches/Lumina Software/Sketchpad", "vendor folder"},
                  {".sketchpad", "named after the product, in the home folder"},
              }));
    const auto files = item->files();
    for (const char *own :
         {"LaunchAgents/com.lumina.SketchpadUpdater.plist", "Logs/Lumina/Sketchpad.log"})
        EXPECT_NE(std::find(files.begin(), files.end(),
                            FileEntry::file(t / (std::string("Users/me/Library/") + own))),
                  files.end())
            << own;
}

// Listings handed in stand only for the folders the step reads itself, on its own terms:
// one of another folder, or of a folder behind a linked Library, adds nothing.
TEST_F(RelatedSearch, HandedListings_ServeOnlyFoldersTheStepReads) {
    const std::vector<std::string> planted = {"com.lumina.sketchpad", "group.com.lumina.sketchpad",
                                              "Lumina"};
    const auto listingOf = [&planted](const TreeBuilder &tree,
                                      const std::vector<std::string> &folders) {
        FolderListings handed;
        for (const std::string &folder : folders) {
            platform::FolderListing names;
            for (const std::string &n : planted)
                names.add(n, platform::EntryType::Directory);
            names.sortByName();
            handed.emplace((tree / folder).native(), std::move(names));
        }
        return handed;
    };
    const auto item = searched();
    for (const std::string &name : planted)
        t.entries({"Users/me/Documents/" + name + "/",
                   "Users/me/Library/Application Support/Other/" + name + "/",
                   "elsewhere/HTTPStorages/" + name + "/"});
    const FolderListings other =
        listingOf(t, {"Users/me/Documents", "Users/me/Library/Application Support/Other"});
    EXPECT_TRUE(findRelated(*item, s, {}, &other).empty());

    // Library itself a link: none of its folders is read, whatever listings come with it.
    TreeBuilder linked;
    TestSettings ls;
    ls.grantTree(linked, "Users/me", true);
    const auto app = Application(ls).application(
        linked.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad"));
    linked.entries(
        {"elsewhere/HTTPStorages/com.lumina.sketchpad/", "elsewhere/Caches/Lumina/Sketchpad/"});
    linked.link("Users/me/Library", linked / "elsewhere");
    searchLeftovers(*app, ls, SearchMode::Review);
    const FolderListings behindLink =
        listingOf(linked, {"Users/me/Library/HTTPStorages", "Users/me/Library/Caches"});
    EXPECT_TRUE(findRelated(*app, ls, {}, &behindLink).empty());
    EXPECT_TRUE(findRelated(*app, ls).empty());
}

TEST_F(RelatedSearch, Review_AppendsTheGroupAfterTheSearchsRows_StrongTiesTicked) {
    const std::string lib = "Users/me/Library/";
    t.file(lib + "Preferences/com.lumina.sketchpad.plist", "12");
    t.file(lib + "HTTPStorages/com.lumina.sketchpad/store.db", "12345");
    t.file(lib + "Caches/Lumina/Sketchpad/c.db", "123");
    const auto item = searched();
    const Review review = buildReview(*item, s, installed, true);
    auto expected = item->files();
    const size_t http = expected.size() + 1, vendor = expected.size() + 2;
    ASSERT_EQ(review.searchRows, expected.size());
    // Caches/Lumina is listed by the search and shared with Sketchpad 2; its Sketchpad
    // folder is offered all the same.
    expected.insert(expected.end(),
                    {FileEntry::word(kRelated),
                     FileEntry::file(t / (lib + "HTTPStorages/com.lumina.sketchpad")),
                     FileEntry::file(t / (lib + "Caches/Lumina/Sketchpad"))});
    EXPECT_EQ(review.files, expected);
    EXPECT_EQ(review.sizes[http], SizeEntry::bytes(5));
    EXPECT_EQ(review.reasons[http], QStringLiteral("same identifier in HTTPStorages"));
    EXPECT_EQ(review.reasons[vendor], QStringLiteral("vendor folder"));
    // Both tie to the application itself (its identifier, its name below its vendor's
    // folder in the home): they start ticked, with their reasons.
    const Selection selection = review.selection();
    EXPECT_TRUE(selection.isSelected(http));
    EXPECT_TRUE(selection.isSelected(vendor));
    EXPECT_TRUE(review.isTied(http));
    EXPECT_EQ(selection.common_remove_size(), review.sizes[1].byteCount() + 2 + 5 + 3);
}
