#include "catalogue/Application.h"
#include "grants/GrantKeys.h"
#include "preferences/PreferenceKeys.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

using namespace zembra;
using zembra::test::TestSettings;
using zembra::test::TreeBuilder;

namespace {

std::vector<std::string> relativeUrls(const ApplicationList &items, const TreeBuilder &t) {
    std::vector<std::string> out;
    for (const auto &i : items)
        out.push_back(i->url()->lexically_relative(t / "Applications").native());
    std::sort(out.begin(), out.end());
    return out;
}

class InstalledApplications : public ::testing::Test {
protected:
    void SetUp() override { s.grant(grants::kApplications, t / "Applications"); }
    ApplicationList list() { return Application(s).installedApplications(); }
    TreeBuilder t;
    TestSettings s;
};

} // namespace

TEST_F(InstalledApplications, LocationTable) {
    // Listed always (1), with the utilities (2), never (0).
    const std::pair<const char *, int> apps[] = {{"Top.app", 1},
                                                 {"Games/Chess.app", 1},
                                                 {"Games/Chess Pro/Chess.app", 1},
                                                 {"Games/More/Deeper/Chess.app", 0},
                                                 {"Top.app/Contents/Inner.app", 0},
                                                 {".Hidden.app", 0},
                                                 {"Upper.APP", 0},
                                                 {"utilities/Lower.app", 1},
                                                 {"Utilities/Tool.app", 2},
                                                 {"Utilities/Vendor/Tool.app", 2},
                                                 {"Utilities/Vendor/Sub/Tool.app", 2},
                                                 {"Utilities/Vendor/Sub/Deeper/Tool.app", 0}};
    std::vector<std::string> always = {"NotABundle.app"}, withUtilities = always;
    t.dir("Applications/NotABundle.app");
    for (const auto &[path, listed] : apps) {
        t.app(std::string("Applications/") + path, "com.x." + std::to_string(withUtilities.size()));
        if (listed == 1)
            always.push_back(path);
        if (listed)
            withUtilities.push_back(path);
    }
    std::sort(always.begin(), always.end());
    std::sort(withUtilities.begin(), withUtilities.end());
    EXPECT_EQ(relativeUrls(list(), t), always);
    s.store().setInteger(preferences::kIncludeUtilities, 1);
    EXPECT_EQ(relativeUrls(list(), t), withUtilities);
}

TEST_F(InstalledApplications, IdentifierRule_EveryInstalledApplicationIgnoresTheListSettings) {
    t.app("Applications/Safari.app", "com.apple.Safari");
    t.app("Applications/Xcode.app", "com.apple.dt.Xcode");
    t.app("Applications/iTunes.app", "com.apple.iTunes");
    t.app("Applications/Sauce.app", "com.applesauce.tool");
    t.app("Applications/Other.app", "org.example.other");
    t.app("Applications/Utilities/Tool.app", "com.x.tool");
    EXPECT_EQ(relativeUrls(list(), t),
              (std::vector<std::string>{"Other.app", "Xcode.app", "iTunes.app"}));
    EXPECT_EQ(Application(s).everyInstalledApplication().size(), 6u);
    s.store().setInteger(preferences::kIncludeDefaultApps, 1);
    EXPECT_EQ(list().size(), 5u);
    s.store().setInteger(preferences::kIncludeDefaultApps, 2); // only 1 means on
    EXPECT_EQ(list().size(), 3u);
}

TEST_F(InstalledApplications, SortedByLabel_DuplicatesListedTwice_NamesKeptByteForByte) {
    for (const char *name : {"gamma", "Beta", "alpha", "Folder/alpha", "Caf\xe9"})
        t.app(std::string("Applications/") + name + ".app", "com.x.same");
    std::vector<std::string> labels;
    bool odd = false;
    for (const auto &item : list()) {
        if (item->url()->filename().native() == "Caf\xe9.app")
            odd = item->bundle() == QStringLiteral("com.x.same");
        else
            labels.push_back(item->label()->toStdString());
    }
    EXPECT_TRUE(odd);
    EXPECT_EQ(labels, (std::vector<std::string>{"alpha", "alpha", "Beta", "gamma"}));
}

TEST_F(InstalledApplications, NoGrant_EmptyList) {
    TestSettings none;
    Application a(none);
    EXPECT_TRUE(a.installedApplications().empty());
    EXPECT_FALSE(a.url_applications());
}

TEST_F(InstalledApplications, NamedLikeAnApplicationButNoFolder_LeftOut) {
    t.app("Applications/Real.app", "com.x.real");
    t.entries({"Applications/File.app", "Applications/Games/Nested.app"});
    ASSERT_EQ(mkfifo((t / "Applications/Fifo.app").c_str(), 0644), 0);
    t.link("Applications/Link.app", t / "Applications/Real.app");
    t.link("Applications/Dangling.app", t / "nowhere.app");
    EXPECT_EQ(relativeUrls(list(), t), std::vector<std::string>{"Real.app"});
}
