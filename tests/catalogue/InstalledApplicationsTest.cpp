// The installed applications: where they lie, which are listed, the fields of each record.
#include "catalogue/Application.h"
#include "extensions/Bundle.h"
#include "extensions/SafariExtension.h"
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

using Fields = InstalledApplications;

} // namespace

TEST_F(InstalledApplications,
       LocationTable_NamedLikeAnApplicationButNoFolderLeftOut_NoGrantNoList) {
    std::vector<std::string> always = {"Top.app", "Games/Chess.app", "Games/Chess Pro/Chess.app",
                                       "utilities/Lower.app"};
    std::vector<std::string> utilities = {"Utilities/Tool.app", "Utilities/Vendor/Tool.app",
                                          "Utilities/Vendor/Sub/Tool.app"};
    std::vector<std::string> never = {"Games/More/Deeper/Chess.app", "Top.app/Contents/Inner.app",
                                      ".Hidden.app", "Upper.APP",
                                      "Utilities/Vendor/Sub/Deeper/Tool.app"};
    for (const auto *group : {&always, &utilities, &never})
        for (const std::string &path : *group)
            t.app("Applications/" + path, "com.x.any");
    t.dir("Applications/NotABundle.app");
    always.push_back("NotABundle.app");
    // Named like an application but no folder: left out.
    t.entries({"Applications/File.app", "Applications/Games/Nested.app"});
    ASSERT_EQ(mkfifo((t / "Applications/Fifo.app").c_str(), 0644), 0);
    t.link("Applications/Link.app", t / "Applications/Top.app");
    t.link("Applications/Dangling.app", t / "nowhere.app");
    std::sort(always.begin(), always.end());
    EXPECT_EQ(relativeUrls(list(), t), always);
    always.insert(always.end(), utilities.begin(), utilities.end());
    std::sort(always.begin(), always.end());
    s.store().setInteger(preferences::kIncludeUtilities, 1);
    EXPECT_EQ(relativeUrls(list(), t), always);
    TestSettings none; // no grant, no list
    EXPECT_TRUE(Application(none).installedApplications().empty());
    EXPECT_FALSE(Application(none).url_applications());
}

TEST_F(InstalledApplications, IdentifierRule_EveryInstalledApplicationIgnoresTheListSettings) {
    std::vector<std::string> every;
    for (const auto &[path, identifier] : {std::pair{"Safari", "com.apple.Safari"},
                                           {"Xcode", "com.apple.dt.Xcode"},
                                           {"iTunes", "com.apple.iTunes"},
                                           {"Sauce", "com.applesauce.tool"},
                                           {"Other", "org.example.other"},
                                           {"Utilities/Tool", "com.x.tool"}})
        t.app("Applications/" + every.emplace_back(std::string(path) + ".app"), identifier);
    EXPECT_EQ(relativeUrls(list(), t),
              (std::vector<std::string>{"Other.app", "Xcode.app", "iTunes.app"}));
    std::sort(every.begin(), every.end());
    EXPECT_EQ(relativeUrls(Application(s).everyInstalledApplication(), t), every);
    s.store().setInteger(preferences::kIncludeDefaultApps, 1);
    every.erase(std::find(every.begin(), every.end(), "Utilities/Tool.app"));
    EXPECT_EQ(relativeUrls(list(), t), every);
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

TEST_F(Fields, IdentifierSplitIntoBundleAndCompanyName_WorkedExample) {
    // The identifier, then its bundle name and company name.
    const std::pair<const char *, const char *> cases[] = {{"com.example.FooBar", "FooBar example"},
                                                           {"foobar", "foobar foobar"},
                                                           {"com.example", "example example"},
                                                           {"com.", " "},
                                                           {".x", "x x"},
                                                           {"com..x", "x "},
                                                           {"", " "}};
    for (const auto &[identifier, names] : cases)
        EXPECT_EQ(*fields::bundleName(QString::fromUtf8(identifier)) + " " +
                      *fields::companyName(QString::fromUtf8(identifier)),
                  QString::fromUtf8(names))
            << identifier;
    EXPECT_FALSE(fields::bundleName(std::nullopt) || fields::companyName(std::nullopt));

    // A worked example of every field derived from a bundle.
    const auto url = t.app("Applications/Foo Bar.app", "com.example.FooBar", "Foo Bar", "FooBar",
                           "AppIcon.icns");
    t.file("Applications/Foo Bar.app/Contents/Resources/AppIcon.icns");
    const auto item = Application(s).application(url);
    EXPECT_EQ(item->label(), QStringLiteral("Foo Bar"));
    EXPECT_EQ(item->label_name(), QStringLiteral("Foo_Bar"));
    EXPECT_EQ(item->bundle_name(), QStringLiteral("FooBar"));
    EXPECT_EQ(item->bundle_name_info(), QStringLiteral("Foo Bar"));
    EXPECT_EQ(item->executable_info(), QStringLiteral("FooBar"));
    EXPECT_EQ(item->company_name(), QStringLiteral("example"));
    EXPECT_EQ(item->app_icon(), ImageRef::imageFile(url / "Contents/Resources/AppIcon.icns"));
    // The same bundle as a preference pane is labelled by the plug-in rule.
    fs::rename(url, t / "Applications/Foo Bar 2.0.prefPane");
    EXPECT_EQ(Bundle(s).setLabel(t / "Applications/Foo Bar 2.0.prefPane"),
              QStringLiteral("Foo Bar 2"));
    EXPECT_EQ(Bundle(s).setLabel("/L/Mr. X.plugin"), QStringLiteral("Mr"));
    for (const auto &[archive, label] : {std::pair{"Foo.safariextz", "Foo"},
                                         {"Foo.Bar.safariextz", "Foo"},
                                         {"Blocker-3.1.safariextz", "Blocker-3"}})
        EXPECT_EQ(SafariExtension(s).setLabel(QString::fromUtf8(archive)),
                  QString::fromUtf8(label));
}

TEST_F(Fields,
       BlankEmptyAndMissingNames_NotABundle_TakeTheFallBacks_AppIconNameCutOnlyWhenItHoldsDotI) {
    const Application a(s);
    const auto name = [&](const char *bundle, const char *plistName) {
        return t.bundleWithPlist(
            bundle, test::xmlPlist(plistName ? std::string("<key>CFBundleName</key><string>") +
                                                   plistName + "</string>"
                                             : ""));
    };
    EXPECT_EQ(a.setLabelName(name("B.app", "My Great App")), QStringLiteral("My_Great_App"));
    EXPECT_EQ(a.setLabelName(name("E.app", "")), QStringLiteral(""));
    EXPECT_EQ(a.setBundleNameInfo(t / "E.app"), QStringLiteral(""));
    EXPECT_EQ(a.setLabelName(name("N.app", nullptr)), QStringLiteral("empty_string"));
    EXPECT_EQ(a.setExecutableInfo(t / "N.app"), QStringLiteral("empty_string"));

    const auto item = a.application(t.dir("Broken.app"));
    EXPECT_EQ(item->label(), QStringLiteral("Broken"));
    EXPECT_TRUE(item->icon());
    for (const OptString &fallBack :
         {item->label_name(), item->bundle_name_info(), item->executable_info()})
        EXPECT_EQ(fallBack, QStringLiteral("empty_string"));
    EXPECT_FALSE(item->bundle() || item->bundle_name() || item->company_name() || item->app_icon());

    // The icon file's name is cut only when it holds ".i".
    const auto cut = t.app("C.app", "c", "", "", "My.App.icns");
    const auto whole = t.app("W.app", "w", "", "", "icon.png");
    t.entries({"C.app/Contents/Resources/My.icns", "W.app/Contents/Resources/icon.png",
               "W.app/Contents/Resources/icon.icns"});
    EXPECT_EQ(a.setAppIcon(cut), ImageRef::imageFile(cut / "Contents/Resources/My.icns"));
    EXPECT_EQ(a.setAppIcon(whole), ImageRef::imageFile(whole / "Contents/Resources/icon.png"));
    EXPECT_FALSE(a.setAppIcon(t.app("M.app", "m", "", "", "Gone.icns")));
}
