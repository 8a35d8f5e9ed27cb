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
    t.app("Applications/Top.app", "com.x.top");
    t.app("Applications/Games/Chess.app", "com.x.chess");
    t.app("Applications/Games/Chess Pro/Chess.app", "com.x.chesspro");
    t.app("Applications/Games/More/Deeper/Chess.app", "com.x.deep");
    t.app("Applications/Top.app/Contents/Inner.app", "com.x.inner");
    t.app("Applications/.Hidden.app", "com.x.hidden");
    t.app("Applications/Upper.APP", "com.x.upper");
    t.app("Applications/Utilities/Tool.app", "com.x.tool");
    t.app("Applications/Utilities/Vendor/Tool.app", "com.x.tool2");
    t.app("Applications/Utilities/Vendor/Sub/Tool.app", "com.x.tool3");
    t.app("Applications/Utilities/Vendor/Sub/Deeper/Tool.app", "com.x.tool4");
    t.app("Applications/utilities/Lower.app", "com.x.lower");
    t.dir("Applications/NotABundle.app");

    const std::vector<std::string> always = {"Games/Chess Pro/Chess.app", "Games/Chess.app",
                                             "NotABundle.app", "Top.app", "utilities/Lower.app"};
    EXPECT_EQ(relativeUrls(list(), t), always);

    s.store().setInteger(preferences::kIncludeUtilities, 1);
    std::vector<std::string> withUtilities = always;
    for (const char *u :
         {"Utilities/Tool.app", "Utilities/Vendor/Sub/Tool.app", "Utilities/Vendor/Tool.app"})
        withUtilities.push_back(u);
    std::sort(withUtilities.begin(), withUtilities.end());
    EXPECT_EQ(relativeUrls(list(), t), withUtilities);
}

TEST_F(InstalledApplications, IdentifierRule) {
    t.app("Applications/Safari.app", "com.apple.Safari");
    t.app("Applications/Xcode.app", "com.apple.dt.Xcode");
    t.app("Applications/iTunes.app", "com.apple.iTunes");
    t.app("Applications/Sauce.app", "com.applesauce.tool");
    t.app("Applications/Other.app", "org.example.other");
    EXPECT_EQ(relativeUrls(list(), t),
              (std::vector<std::string>{"Other.app", "Xcode.app", "iTunes.app"}));
    s.store().setInteger(preferences::kIncludeDefaultApps, 1);
    EXPECT_EQ(list().size(), 5u);
    s.store().setInteger(preferences::kIncludeDefaultApps, 2); // only 1 means on
    EXPECT_EQ(list().size(), 3u);
}

TEST_F(InstalledApplications, SortedByLabel_DuplicatesListedTwice) {
    t.app("Applications/gamma.app", "g");
    t.app("Applications/Beta.app", "b");
    t.app("Applications/alpha.app", "a");
    t.app("Applications/Folder/alpha.app", "a");
    const auto items = list();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0]->label(), QStringLiteral("alpha"));
    EXPECT_EQ(items[1]->label(), QStringLiteral("alpha"));
    EXPECT_NE(items[0]->url(), items[1]->url());
    EXPECT_EQ(items[2]->label(), QStringLiteral("Beta"));
    EXPECT_EQ(items[3]->label(), QStringLiteral("gamma"));
}

TEST_F(InstalledApplications, NoGrant_EmptyList) {
    TestSettings none;
    Application a(none);
    EXPECT_TRUE(a.installedApplications().empty());
    EXPECT_FALSE(a.url_applications());
}

TEST_F(InstalledApplications, NameThatIsNotUtf8_KeptByteForByte) {
    const std::string odd = "Caf\xe9.app";
    t.app("Applications/" + odd, "com.x.cafe");
    const auto items = list();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]->url()->filename().native(), odd);
    EXPECT_EQ(items[0]->bundle(), QStringLiteral("com.x.cafe"));
}

TEST_F(InstalledApplications, EveryInstalledApplication_IgnoresTheListSettings) {
    t.app("Applications/Editor.app", "com.x.editor");
    t.app("Applications/Safari.app", "com.apple.Safari");
    t.app("Applications/Utilities/Tool.app", "com.x.tool");
    const auto every = Application(s).everyInstalledApplication();
    EXPECT_EQ(relativeUrls(every, t),
              (std::vector<std::string>{"Editor.app", "Safari.app", "Utilities/Tool.app"}));
    EXPECT_EQ(list().size(), 1u); // the list the user removes from stays as set
}

TEST_F(InstalledApplications, NamedLikeAnApplicationButNoFolder_LeftOut) {
    t.app("Applications/Real.app", "com.x.real");
    t.file("Applications/File.app");
    t.file("Applications/Games/Nested.app");
    ASSERT_EQ(mkfifo((t / "Applications/Fifo.app").c_str(), 0644), 0);
    t.link("Applications/Link.app", t / "Applications/Real.app");
    t.link("Applications/Dangling.app", t / "nowhere.app");
    EXPECT_EQ(relativeUrls(list(), t), std::vector<std::string>{"Real.app"});
}
