#include "catalogue/Application.h"
#include "leftovers/LeftoverKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/NameKeys.h"
#include "leftovers/Review.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace zembra;
using namespace zembra::leftovers;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;
namespace fs = std::filesystem;

namespace {

TEST(WeakKey, ShortLetterlessOrGeneric_IsWeak) {
    const std::vector<std::pair<const char *, bool>> cases = {
        {"", true},         {"a", true},        {"Go", true},
        {".", true},        {"..", true},       {"  ab  ", true},
        {"123", true},      {"2048", true},     {"...", true},
        {"!?#", true},      {"日本語", true},   {"com", true},
        {"COM", true},      {" Helper ", true}, {"updater", true},
        {"Pro", true},      {"desktop", true},  {"abc", false},
        {"7zX", false},     {"Editor", false},  {"com.vendor.editor", false},
        {"Helpers", false}, {"ByHost", false}};
    for (const auto &[key, weak] : cases)
        EXPECT_EQ(isWeakKey(QString::fromUtf8(key)), weak) << key;
}

class WeakMatch : public ::testing::Test {
protected:
    void SetUp() override { s.grantTree(t, "Users/me", false); }

    // The rows of the last search with their weak flags, files relative to the tree.
    std::vector<std::pair<std::string, bool>> rows(const ItemRecord &item) const {
        std::vector<std::pair<std::string, bool>> out;
        const auto files = item.files();
        const auto weak = item.weakRows();
        EXPECT_EQ(weak.size(), files.size());
        for (size_t i = 0; i < files.size() && i < weak.size(); ++i)
            if (files[i].isFileURL())
                out.emplace_back(files[i].path().lexically_relative(t.root()).native(), weak[i]);
        return out;
    }
    Review review(ItemRecord &item) {
        searchLeftovers(item, s, SearchMode::Review);
        return buildReview(item, s, Application(s).everyInstalledApplication(), false);
    }
    // The review row of `path`; fails the test when it is not listed.
    static size_t rowOf(const Review &r, const fs::path &path) {
        for (size_t i = 0; i < r.files.size(); ++i)
            if (r.files[i].isFileURL() && r.files[i].path() == path)
                return i;
        ADD_FAILURE() << path << " is not listed";
        return 0;
    }

    TreeBuilder t;
    TestSettings s;
};

} // namespace

TEST_F(WeakMatch, OneLetterName_RowsOnlyItFound_AreWeak_TheListUnchanged) {
    const auto c = Application(s).application(t.app("Applications/C.app", "com.x.c", "C"));
    t.dir("Users/me/Library/Coda");
    t.file("Users/me/Library/Caches/C");
    t.dir("Users/me/Library/Caches/com.x.c");
    searchLeftovers(*c, s, SearchMode::Review);
    EXPECT_EQ(rows(*c),
              (std::vector<std::pair<std::string, bool>>{{"Applications/C.app", false},
                                                         {"Users/me/Library/Caches/C", true},
                                                         {"Users/me/Library/Caches/com.x.c", false},
                                                         {"Users/me/Library/Coda", true}}));
    // Replacing the list by hand drops flags that no longer belong to it.
    c->setFiles(c->files());
    EXPECT_TRUE(c->weakRows().empty());
}

TEST_F(WeakMatch, Review_WeakRowsStartUnticked_AStrongKeyOrTheFolderHoldingThemTicks) {
    const auto go = Application(s).application(t.app("Applications/Go.app", "com.gosoft.go", "Go"));
    const fs::path google = t.dir("Users/me/Library/Application Support/Google");
    const fs::path inside = t.file("Users/me/Library/Application Support/Google/Go Cache");
    const fs::path own = t.file("Users/me/Library/Preferences/com.gosoft.go.plist");
    // "Go" (weak) and the identifier (strong) both find this row: it is the item's.
    const fs::path cache = t.dir("Users/me/Library/Caches/com.gosoft.go");
    const fs::path logs = t.dir("Users/me/Library/Logs/com.gosoft.go");
    const fs::path log = t.file("Users/me/Library/Logs/com.gosoft.go/Go.log");
    const Review r = review(*go);
    const Selection selection = r.selection();
    const auto kept = r.keptReasons(selection);
    EXPECT_FALSE(selection.isSelected(rowOf(r, google)));
    EXPECT_EQ(kept[rowOf(r, google)], kKeptWeakMatch);
    EXPECT_FALSE(selection.isSelected(rowOf(r, inside)));
    EXPECT_TRUE(selection.isSelected(rowOf(r, own)));
    EXPECT_TRUE(selection.isSelected(1)); // the application itself
    EXPECT_EQ(r.files, go->files());      // the search's rows, in its order
    EXPECT_FALSE(r.isWeak(rowOf(r, cache)));
    EXPECT_TRUE(selection.isSelected(rowOf(r, cache)));
    EXPECT_TRUE(go->weakRows()[rowOf(r, log)]); // only the label found it ...
    EXPECT_FALSE(r.isWeak(rowOf(r, log)));      // ... but its folder is the item's
    EXPECT_TRUE(selection.isSelected(rowOf(r, logs)));
    EXPECT_TRUE(selection.isSelected(rowOf(r, log)));
}

TEST_F(WeakMatch, LoginItemWithAWeakIdentifier_OthersContainersStartUnticked) {
    for (const char *identifier : {"com", "a", "."}) {
        TreeBuilder tree;
        TestSettings settings;
        settings.grantTree(tree, "Users/me", false);
        const fs::path url = tree.app("Applications/Clip.app", "com.clip.main", "Clip");
        tree.app("Applications/Clip.app/Contents/Library/LoginItems/Launcher.app", identifier);
        const fs::path mail = tree.dir("Users/me/Library/Containers/com.apple.mail");
        const fs::path notes = tree.dir("Users/me/Library/Containers/com.apple.Notes");
        const fs::path scripts = tree.dir("Users/me/Library/Application Scripts/com.apple.mail");
        const auto clip = Application(settings).application(url);
        searchLeftovers(*clip, settings, SearchMode::Review);
        const Review r = buildReview(*clip, settings, {}, false);
        const Selection selection = r.selection();
        for (const fs::path &other : {mail, notes, scripts}) {
            const size_t row = rowOf(r, other);
            EXPECT_FALSE(selection.isSelected(row)) << identifier << ": " << other;
            EXPECT_EQ(r.keptReasons(selection)[row], kKeptWeakMatch) << identifier << ": " << other;
        }
    }
}

TEST(ReviewRows, RowsTheScopeRefuses_StartUntickedAndSayWhy_OthersAsBefore) {
    leftovers::Review review;
    review.files = {FileEntry::file("/h/Library/Preferences/a.plist"),
                    FileEntry::file("/Library/LaunchAgents/a.plist")};
    review.sizes = {SizeEntry::bytes(1), SizeEntry::bytes(2)};
    review.flags.resize(2);
    review.searchRows = 2;
    review.markNotAllowed([](const fs::path &p) { return p.native().rfind("/h/", 0) == 0; });
    const leftovers::Selection selection = review.selection();
    EXPECT_TRUE(selection.isSelected(0));
    EXPECT_FALSE(selection.isSelected(1));
    const std::vector<QString> kept = review.keptReasons(selection);
    EXPECT_EQ(kept[0], QString());
    EXPECT_EQ(kept[1], leftovers::kKeptNotAllowed);
}
