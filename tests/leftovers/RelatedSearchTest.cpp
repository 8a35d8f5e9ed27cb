#include "leftovers/RelatedSearch.h"
#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Review.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <map>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

TEST(IdentifierRelation, Names_ByWholeComponents_TeamIdsGroupsAndHelpers) {
    const QStringList sketchpad = {QStringLiteral("sketchpad"), QStringLiteral("Sketchpad")};
    const QStringList beacon = {QStringLiteral("beacon-mac"), QStringLiteral("Beacon")};
    const QString uuid = QStringLiteral("6F1C2A3B-9D4E-4F50-8A61-7B2C3D4E5F60");
    struct Case {
        std::string name;
        QString identifier;
        QStringList products;
        const char *expected;
    };
    const std::vector<Case> cases = {
        {"com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, "same identifier"},
        {"com.lumina.Sketchpad.binarycookies", "com.lumina.sketchpad", sketchpad,
         "same identifier"},
        {"com.lumina.sketchpad." + uuid.toStdString() + ".plist", "com.lumina.sketchpad", sketchpad,
         "same identifier"},
        {"Q8W2E4R6T1.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, "team-ID prefix"},
        {"Q8W2E4R6T1.com.lumina.sketchpad.share", "com.lumina.sketchpad", sketchpad,
         "team-ID prefix"},
        {"q8w2e4r6t1.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad,
         ""}, // not upper case
        {"Q8W2E4R6T.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, "team-ID prefix"},
        {"7Y3Q5XK2.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, "team-ID prefix"},
        {"Q8W2E.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, ""}, // five characters
        {"LUMINAPRO.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad,
         ""}, // a word, no digit
        {"Q8W2E4R6T1X.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, ""}, // eleven
        {"group.com.lumina.sketchpad", "com.lumina.sketchpad", sketchpad, "group identifier"},
        {"com.lumina.sketchpad.ShipIt", "com.lumina.sketchpad", sketchpad,
         "identifier of the same product"},
        {"com.lumina.SketchpadUpdater.plist", "com.lumina.sketchpad", sketchpad,
         "identifier of the same product"},
        {"com.lumina.sketchpad-helper", "com.lumina.sketchpad", sketchpad,
         "identifier of the same product"},
        {"com.beaconhq.BeaconHelper", "com.beaconhq.beacon-mac", beacon,
         "identifier of the same product"},
        {"com.beaconhq.Beacon.LoginItem", "com.beaconhq.beacon-mac", beacon,
         "identifier of the same product"},
        // Not whole components, another product, another vendor.
        {"com.lumina.sketchpad2", "com.lumina.sketchpad", sketchpad, ""},
        {"com.lumina.sketchpadding", "com.lumina.sketchpad", sketchpad, ""},
        {"com.beaconhq.Beaconator", "com.beaconhq.beacon-mac", beacon, ""},
        {"com.other.sketchpad", "com.lumina.sketchpad", sketchpad, ""},
        {"com.lumina", "com.lumina.sketchpad", sketchpad, ""},
        {"com.lumina.anything", "com.lumina", sketchpad, ""}, // a vendor, not a product
        {"com.lumina", "com.lumina", sketchpad, "same identifier"},
        {"sketchpad", "com.lumina.sketchpad", sketchpad, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(identifierRelation(c.name, c.identifier, c.products).toStdString(), c.expected)
            << c.name;
}

namespace {

class RelatedSearch : public ::testing::Test {
protected:
    void SetUp() override { s.grantTree(t, "Users/me", true); }
    std::shared_ptr<ApplicationItem> searched() {
        const auto item = Application(s).application(
            t.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad"));
        listings = searchLeftovers(*item, s, SearchMode::Review).listings;
        return item;
    }
    // The related step reading the folders itself and reading the search's listings of
    // them: the same entries, in the same order.
    std::map<std::string, std::string> related(const ItemRecord &item) {
        const std::vector<RelatedEntry> own = findRelated(item, s);
        EXPECT_TRUE(listings);
        const std::vector<RelatedEntry> shared = findRelated(item, s, {}, listings.get());
        EXPECT_EQ(paths(own), paths(shared));
        std::map<std::string, std::string> out;
        for (const RelatedEntry &e : own)
            out[e.path.lexically_relative(t / "Users/me").native()] = e.reason.toStdString();
        return out;
    }
    static std::vector<std::string> paths(const std::vector<RelatedEntry> &entries) {
        std::vector<std::string> out;
        for (const RelatedEntry &e : entries)
            out.push_back(e.path.native() + " " + e.reason.toStdString() +
                          (e.strong ? " strong" : ""));
        return out;
    }
    TreeBuilder t;
    TestSettings s;
    std::shared_ptr<const FolderListings> listings;
};

} // namespace

TEST_F(RelatedSearch, WherePassesDoNotLook_FoundWithTheirReasons) {
    const std::string lib = "Users/me/Library/";
    t.dir(lib + "HTTPStorages/com.lumina.sketchpad");
    t.file(lib + "HTTPStorages/com.lumina.sketchpad.binarycookies");
    t.file(lib +
           "Preferences/ByHost/com.lumina.sketchpad.6F1C2A3B-9D4E-4F50-8A61-7B2C3D4E5F60.plist");
    t.file(lib + "Caches/Lumina Software/Sketchpad/c.db");
    t.file(lib + "Logs/Lumina/Sketchpad.log");
    t.dir("Users/me/.sketchpad");
    t.file(lib + "LaunchAgents/com.lumina.SketchpadUpdater.plist");
    const auto item = searched();
    EXPECT_EQ(related(*item),
              (std::map<std::string, std::string>{
                  {"Library/HTTPStorages/com.lumina.sketchpad", "same identifier in HTTPStorages"},
                  {"Library/HTTPStorages/com.lumina.sketchpad.binarycookies",
                   "same identifier in HTTPStorages"},
                  {"Library/Preferences/ByHost/"
                   "com.lumina.sketchpad.6F1C2A3B-9D4E-4F50-8A61-7B2C3D4E5F60.plist",
                   "ByHost preferences"},
                  {"Library/Caches/Lumina Software/Sketchpad", "vendor folder"},
                  {".sketchpad", "named after the product, in the home folder"},
              }));
    // The search lists these itself (the updater's identifier holds the item's once
    // folded; the Logs pass reads deep): never offered twice.
    const auto files = item->files();
    for (const char *own :
         {"LaunchAgents/com.lumina.SketchpadUpdater.plist", "Logs/Lumina/Sketchpad.log"})
        EXPECT_NE(std::find(files.begin(), files.end(), FileEntry::file(t / (lib + own))),
                  files.end())
            << own;
}

TEST_F(RelatedSearch, ConservativeLimits_NothingListedTwiceNothingBehindLinks) {
    const std::string lib = "Users/me/Library/";
    t.file(lib + "Preferences/com.lumina.sketchpad.plist");     // the search's own row
    t.file(lib + "Caches/com.lumina.sketchpad/HTTPStorages/x"); // inside a listed row
    t.file(lib + "Caches/Lumina/Sketchpad Extras/c.db");        // not the product's whole name
    t.file(lib + "Caches/Lumen/Sketchpad/c.db");                // not the vendor's folder
    t.file("outside/Sketchpad/secret.db");
    t.link(lib + "Application Support/Lumina", t / "outside"); // never entered
    t.dir(lib + "HTTPStorages/com.lumina.sketchpad2");         // another product
    t.dir("Users/me/.sketchpad2");
    t.dir("Users/me/.config");
    const auto item = searched();
    EXPECT_EQ(related(*item), (std::map<std::string, std::string>{}));
}

// Listings handed in stand only for the folders the step reads itself, on its own terms:
// one of another folder, or of a folder behind a linked Library, adds nothing.
TEST_F(RelatedSearch, HandedListings_ServeOnlyFoldersTheStepReads) {
    const auto item = searched();
    const std::vector<std::string> planted = {"com.lumina.sketchpad", "group.com.lumina.sketchpad",
                                              "Lumina"};
    const auto listingOf = [&planted](const std::vector<std::string> &folders) {
        FolderListings handed;
        for (const std::string &folder : folders) {
            platform::FolderListing names;
            for (const std::string &n : planted)
                names.add(n, platform::EntryType::Directory);
            names.sortByName();
            handed.emplace(folder, std::move(names));
        }
        return handed;
    };
    for (const std::string &name : planted) {
        t.dir("Users/me/Documents/" + name);
        t.dir("Users/me/Library/Application Support/Other/" + name);
        t.dir("elsewhere/HTTPStorages/" + name);
    }
    const FolderListings other =
        listingOf({(t / "Users/me/Documents").native(),
                   (t / "Users/me/Library/Application Support/Other").native()});
    EXPECT_TRUE(findRelated(*item, s, {}, &other).empty());

    // Library itself a link: none of its folders is read, whatever listings come with it.
    TreeBuilder linked;
    TestSettings ls;
    ls.grantTree(linked, "Users/me", true);
    const auto app = Application(ls).application(
        linked.app("Applications/Sketchpad.app", "com.lumina.sketchpad", "Sketchpad", "Sketchpad"));
    linked.dir("elsewhere/HTTPStorages/com.lumina.sketchpad");
    linked.dir("elsewhere/Caches/Lumina/Sketchpad");
    linked.link("Users/me/Library", linked / "elsewhere");
    searchLeftovers(*app, ls, SearchMode::Review);
    const FolderListings behindLink =
        listingOf({(linked / "Users/me/Library/HTTPStorages").native(),
                   (linked / "Users/me/Library/Caches").native()});
    EXPECT_TRUE(findRelated(*app, ls, {}, &behindLink).empty());
    EXPECT_TRUE(findRelated(*app, ls).empty());
}

TEST_F(RelatedSearch, Review_AppendsTheGroupAfterTheSearchsRows_StrongTiesTicked) {
    const std::string lib = "Users/me/Library/";
    t.file(lib + "Preferences/com.lumina.sketchpad.plist", "12");
    t.file(lib + "HTTPStorages/com.lumina.sketchpad/store.db", "12345");
    t.file(lib + "Caches/Lumina/Sketchpad/c.db", "123");
    t.app("Applications/Sketchpad 2.app", "com.lumina.sketchpad2", "Sketchpad 2", "Sketchpad 2");
    const auto item = searched();
    const Review review = buildReview(*item, s, Application(s).everyInstalledApplication(), true);
    const auto files = item->files();
    ASSERT_EQ(review.searchRows, files.size());
    EXPECT_TRUE(std::equal(files.begin(), files.end(), review.files.begin()));
    ASSERT_EQ(review.files.size(), files.size() + 3);
    EXPECT_EQ(review.files[files.size()], FileEntry::word(kRelated));
    EXPECT_EQ(groupTitle(kRelated), QStringLiteral("Possibly related"));
    const size_t http = files.size() + 1, vendor = files.size() + 2;
    EXPECT_EQ(review.files[http], FileEntry::file(t / (lib + "HTTPStorages/com.lumina.sketchpad")));
    EXPECT_EQ(review.sizes[http], SizeEntry::bytes(5));
    EXPECT_EQ(review.reasons[vendor], QStringLiteral("vendor folder"));
    // Caches/Lumina is listed by the search and shared with Sketchpad 2; its Sketchpad
    // folder is offered all the same.
    EXPECT_EQ(review.files[vendor], FileEntry::file(t / (lib + "Caches/Lumina/Sketchpad")));
    // Both tie to the application itself (its identifier, its name below its vendor's
    // folder in the home): they start ticked, with their reasons.
    const Selection selection = review.selection();
    EXPECT_TRUE(selection.isSelected(http));
    EXPECT_TRUE(selection.isSelected(vendor));
    EXPECT_TRUE(review.isTied(http));
    EXPECT_EQ(selection.common_remove_size(), review.sizes[1].byteCount() + 2 + 5 + 3);
    EXPECT_EQ(review.reasons[http], QStringLiteral("same identifier in HTTPStorages"));
}
